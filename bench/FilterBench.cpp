// Filters on stereo audio at 48 kHz.
//
// Each case runs one host block of stereo audio per iteration (128 or 512
// frames), cut into graph chunks of at most 128 frames, under flush-to-zero
// and denormals-are-zero as on the audio thread.
//
// Design cases: the plain state-variable filter, a characteristic (Prime,
// drive 1.8) and the biquad, for low-, high- and band-pass at every slope
// (slope 0 for the biquad only), with a constant frequency and peak 0.5. The
// state-variable designs run stereo as two filters on one shared unit (as
// the effect does), the biquad with an own unit per channel.
//
// Position cases: one filter position as the effect runs it: four
// multi-design filters on one shared unit (both channels' feedback and output
// filters), with the ten characteristics loaded, Prime chosen, low-pass at
// 24 dB/oct, the analyser's peak multiplier on; constant, and with the
// frequency modulated per sample (+-1 octave at 3 Hz). "subnormal" feeds one
// stereo characteristic filter with subnormal input.

#include "bench/BenchSupport.h"
#include "dsp/BiQuadFilter.h"
#include "dsp/FilterAnalyzer.h"
#include "dsp/FilterCharacteristics.h"
#include "dsp/MultiDesignFilter.h"
#include "dsp/Simd.h"
#include "dsp/StateVariableFilter.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;

using bench::Stereo;

using Work = std::function<void(Stereo&, int offset, int count)>;

struct Case {
    std::string name;
    std::function<Work()> make;
    float inputScale = 1.0f;
};

void runCase(benchmark::State& state, const Case& c) {
    int hostBlock = static_cast<int>(state.range(0));
    // Made before flush-to-zero is on: subnormal input stays subnormal.
    Stereo audio(hostBlock, {0.5f, 0.25f, 0.1f}, c.inputScale);
    simd::ScopedControlWord csr;
    Work work = c.make();
    bench::runChunks(state, audio, work, hostBlock, 200);
}

const MultiDesignFilter::Style& characteristicList() {
    static const auto list = [] {
        auto l = std::make_unique<MultiDesignFilter::Style>();
        for (auto [file, drive] : kFilterCharacteristics)
            l->add(std::make_unique<DesignFilter::Style>(file, drive));
        return l;
    }();
    return *list;
}

// A frequency (log2 Hz) moving +-1 octave at 3 Hz around 1 kHz, per sample.
class Sweep : public wave::Source {
public:
    explicit Sweep(wave::Environment& e) : wave::Source(e) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i, ++n_)
            block->data()[i] = 9.9657843f + std::sin(6.2831853f * 3.0f * static_cast<float>(n_) / kRate);
        block->setConstant(false);
    }

private:
    long n_ = 0;
};

enum class Design { kPlain, kCharacteristic, kBiquad };

struct DesignGraph {
    wave::Environment e;
    wave::Input left{e}, right{e};
    std::unique_ptr<GenericFilter::ParallelFilterUnit> shared;
    std::unique_ptr<BiQuadFilter> ownLeft, ownRight;
    GenericFilter filterLeft{e}, filterRight{e};

    DesignGraph(Design design, int response, int slope) {
        e.setSampleRate(kRate);
        filterLeft.setInput(&left);
        filterRight.setInput(&right);
        if (design == Design::kBiquad) {
            ownLeft = std::make_unique<BiQuadFilter>(e);
            ownRight = std::make_unique<BiQuadFilter>(e);
            filterLeft.setUnit(ownLeft.get());
            filterRight.setUnit(ownRight.get());
        } else {
            if (design == Design::kPlain)
                shared = std::make_unique<StateVariableFilter>(e);
            else
                shared = std::make_unique<DesignFilter>(e, characteristicList().at(0));
            filterLeft.setParallelUnit(shared.get());
            filterRight.setParallelUnit(shared.get());
        }
        for (GenericFilter* f : {&filterLeft, &filterRight}) {
            f->response.setValue(GenericFilter::Response(response));
            f->slope.setValue(GenericFilter::Slope(slope));
            f->frequency.getParameter().setValue(std::log2(1000.0f), 0.0f);
            f->peak.getParameter().setValue(0.5f, 0.0f);
        }
    }
};

Work designWork(Design design, int response, int slope) {
    auto g = std::make_shared<DesignGraph>(design, response, slope);
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->filterLeft.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->filterRight.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        g->e.process(n, 0);
    };
}

struct PositionGraph {
    wave::Environment e;
    wave::Input left{e}, right{e};
    MultiDesignFilter::ParallelUnit unit;
    FilterAnalyzer analyzer{e};
    Sweep sweep{e};
    std::vector<std::unique_ptr<MultiDesignFilter>> filters;

    explicit PositionGraph(bool modulated) : unit(setRate(e), characteristicList()) {
        analyzer.setInput(&left);
        for (int i = 0; i < 4; ++i) {
            auto f = std::make_unique<MultiDesignFilter>(unit);
            f->appendSlot(nullptr, &unit.biquadUnit(), -1);
            f->setInput(i % 2 == 0 ? &left : &right);
            f->setPeakMultiplier(&analyzer);
            f->peakMultiplierEnabled.setValue(true);
            f->slope.setValue(GenericFilter::kSlope24);
            f->frequency.getParameter().setValue(std::log2(1000.0f), 0.0f);
            f->peak.getParameter().setValue(0.5f, 0.0f);
            if (modulated) f->frequency.setSource(&sweep);
            f->chooseDesign();
            filters.push_back(std::move(f));
        }
    }
    static wave::Environment& setRate(wave::Environment& e) {
        e.setSampleRate(kRate);
        return e;
    }
};

Work positionWork(bool modulated) {
    auto g = std::make_shared<PositionGraph>(modulated);
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->filters[0]->pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->filters[1]->pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        for (int i = 2; i < 4; ++i)
            benchmark::DoNotOptimize(g->filters[std::size_t(i)]->pull(n).data());
        g->e.process(n, 0);
    };
}

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back(
        {"copy", [] { return Work([](Stereo& a, int o, int n) { bench::copyStereo(a, o, n); }); }});
    const char* responses[] = {"LP", "HP", "BP"};
    const std::pair<Design, const char*> designs[] = {
        {Design::kPlain, "svf"}, {Design::kCharacteristic, "prime"}, {Design::kBiquad, "biquad"}};
    for (auto [design, designName] : designs) {
        for (int response = 0; response < 3; ++response) {
            for (int slope = design == Design::kBiquad ? 0 : 1; slope <= 3; ++slope) {
                std::string name =
                    std::string(designName) + " " + responses[response] + " s" + std::to_string(slope);
                list.push_back({name, [=] { return designWork(design, response, slope); }});
            }
        }
    }
    list.push_back({"position constant", [] { return positionWork(false); }});
    list.push_back({"position modulated", [] { return positionWork(true); }});
    list.push_back(
        {"subnormal prime LP s3", [] { return designWork(Design::kCharacteristic, 0, 3); }, 1e-39f});
    return list;
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<::Case> all = ::cases();
    bench::registerCases(all, ::runCase);
    return bench::runAndSummarize(argc, argv, {{"block"}});
}
