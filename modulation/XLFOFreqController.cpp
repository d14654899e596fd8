#include "modulation/XLFOFreqController.h"

#include "dsp/ValueMaps.h"
#include "modulation/XLFO.h"

#include <algorithm>
#include <cmath>

namespace {
// Bars per cycle of sync modes 1..11: 16 bars down to 1/64 bar.
constexpr float kBars[] = {16.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.015625f};
// Hz per (beat per minute) for one bar of four beats: 1 / 240.
constexpr float kBarRate = 1.0f / 240.0f;
} // namespace

XLFOFreqController::XLFOFreqController(wave::Environment& environment, XLFO& xlfo)
    : wave::Source(environment), frequencyOffset(environment, 1.0f), syncedRate_(environment, 0.0f),
      xlfo_(&xlfo) {
    FloatParameter& offset = frequencyOffset.getParameter();
    offset.setLimits(0.5f, 2.0f);
    offset.smallChangeTime.setValue(1.0f);
    offset.largeChangeTime.setValue(1.0f);
    syncedRate_.setLimits(0.0f, 1000.0f);
}

float XLFOFreqController::barsOf(std::int32_t mode) {
    return kBars[std::clamp(mode, 1, kMaxSyncMode) - 1];
}

void XLFOFreqController::propertyChanged(AbstractProperty& property) {
    if (&property == &syncMode) {
        std::int32_t clamped = std::clamp(syncMode.getValue(), 0, kMaxSyncMode);
        if (clamped != syncMode.getValue()) syncMode.setValue(clamped);
        tempoPending_ = true;
    }
}

void XLFOFreqController::setTempo(float tempo, double position) {
    tempo_ = tempo > 0.0f && std::isfinite(tempo) ? tempo : 120.0f;
    position_ = position;
    tempoPending_ = true;
}

void XLFOFreqController::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    if (transport_ != nullptr && transport_->serial != seenSerial_) {
        seenSerial_ = transport_->serial;
        setTempo(transport_->tempo, transport_->position);
    }
    const int n = (count + 3) & ~3;
    std::int32_t mode = syncMode.getValue();
    float* out = block->data();
    if (mode <= 0) {
        tempoMark_ = -1000.0;
        const wave::BasicBlock<float>& in = wave::Producer::pull(rateInput_, getEnvironment(), count);
        RateMode rate = rateMode.getValue();
        if (rate == RateMode::kHertz) {
            setCurrentBlock(in);
            return;
        }
        int m = in.isConstant() ? 1 : n;
        for (int i = 0; i < m; ++i)
            out[i] = rate == RateMode::kOctaves ? std::exp2(in.data()[i]) : valueFromLog2Tail(in.data()[i]);
        if (in.isConstant()) std::fill(out, out + n, out[0]);
        block->setConstant(in.isConstant());
        return;
    }
    const float bars = barsOf(mode);
    if (tempoPending_) syncedRate_.setValue(kBarRate / bars * tempo_);
    const wave::BasicBlock<float>& synced = syncedRate_.advanceBlock(count);
    const wave::BasicBlock<float>& offset = frequencyOffset.pull(count);
    const bool hertz = rateMode.getValue() == RateMode::kHertz;
    for (int i = 0; i < n; ++i) {
        float o = offset.data()[offset.isConstant() ? 0 : i];
        out[i] = synced.data()[synced.isConstant() ? 0 : i] * (hertz ? o : std::exp2(o));
    }
    block->setConstant(synced.isConstant() && offset.isConstant());
    if (tempoPending_) {
        float o = offset.data()[0];
        float factor = hertz ? o : std::exp2(o);
        xlfo_->placeOnSongPosition(position_, double(bars) / double(factor));
        float rate = getEnvironment().getSampleRate();
        xlfo_->setBeatsPerSample(rate > 0.0f ? double(tempo_) / 60.0 / double(rate) : 0.0);
        tempoMark_ = position_;
        tempoPending_ = false;
    }
}
