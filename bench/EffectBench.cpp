// The whole effect processor at 48 kHz stereo, on host blocks of 128 and 512
// frames, beside a plain copy of the same audio:
//   - "Default Setting" (two lines with feedback, filters off);
//   - both filters enabled at 24 dB/oct (serial, low-pass and high-pass);
//   - the worst case: every source list at its full count (XLFOs with 16
//     steps), all 24 slots in use drawing on every kind of source, with the
//     filter frequencies and delay times among the targets; both filters at
//     48 dB/oct with a saturating characteristic; the "Stretch" read style.
// Each setting is written as a preset source ("name = value" lines, the form
// the factory presets are authored in) and applied to the processor's own
// parameters; the processor then runs two seconds untimed, so rings, sources
// and smoothers are busy when the timing starts.

#include "bench/BenchSupport.h"
#include "dsp/Simd.h"
#include "effect/VarnelProcessor.h"
#include "plugin/PresetParameterCollection.h"
#include "tools/factorypresets/PresetSource.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr bench::Mixture kMixture{0.5f, 0.25f, 0.1f};

struct EffectCase {
    std::string name;
    std::string source;
};

const std::string kDefaultSetting = "Delay 1 Time = 375 ms\n"
                                    "Delay 1 Feedback = 0.35\n"
                                    "Delay 1 Pan = -1\n"
                                    "Delay 2 Time = 500 ms\n"
                                    "Delay 2 Feedback = 0.35\n"
                                    "Delay 2 Pan = 1\n";

std::string filters(const char* slope, const char* characteristic) {
    std::string text;
    const char* responses[2] = {"LP", "HP"};
    const char* frequencies[2] = {"2000 Hz", "300 Hz"};
    for (int f = 0; f < 2; ++f) {
        const std::string prefix = "Filter " + std::to_string(f + 1) + " ";
        text += prefix + "Enabled = Enabled\n";
        text += prefix + "Slope = " + slope + "\n";
        text += prefix + "Characteristic = " + characteristic + "\n";
        text += prefix + "Response = " + responses[f] + "\n";
        text += prefix + "Freq = " + frequencies[f] + "\n";
        text += prefix + "Peak = 0.3\n";
    }
    return text;
}

std::string worstCase() {
    std::string text = kDefaultSetting + filters("48", "Tube") + "Delay Buffer Read Style = Stretch\n";
    text += "Num Active XY Controllers = 4\n"
            "Num Active XLFOs = 6\n"
            "Num Active EGs = 6\n"
            "Num Active EFs = 4\n"
            "Num Active MIDI Sources = 10\n"
            "Num Active Slots = 24\n";
    for (int k = 1; k <= 6; ++k) {
        const std::string xlfo = "XLFO " + std::to_string(k);
        text += xlfo + " Frequency = " + std::to_string(k) + " Hz\n";
        text += "Num Active " + xlfo + " Steps = 16\n";
        for (int s = 1; s <= 16; ++s)
            text += xlfo + " Step " + std::to_string(s) + " Glide = 0.5\n";
        text += "EG " + std::to_string(k) + " Attack = 0.01 s\n";
        text += "EG " + std::to_string(k) + " Release = 0.2 s\n";
    }
    // Sources of every kind, spread over all 24 slots; the first targets are
    // the delay times and filter frequencies.
    const char* sources[24] = {"XLFO 1", "XLFO 2", "EG 1",     "EF 1",     "XLFO 3", "XY 1 Hor",
                               "EG 2",   "MIDI 1", "XLFO 4",   "XLFO 5",   "XLFO 6", "EG 3",
                               "EG 4",   "EG 5",   "EG 6",     "EF 2",     "EF 3",   "EF 4",
                               "MIDI 2", "MIDI 3", "XY 1 Ver", "XY 2 Hor", "MIDI 4", "XY 4 Ver"};
    const char* targets[24] = {"Delay 1 Time",     "Delay 2 Time",     "Filter 1 Freq", "Filter 2 Freq",
                               "Delay 1 Offset",   "Delay 2 Offset",   "Filter 1 Peak", "Filter 2 Peak",
                               "Delay 1 Pan",      "Delay 2 Pan",      "Filter 1 Pan",  "Filter 2 Pan",
                               "Delay 1 Feedback", "Delay 2 Feedback", "Wet Level",     "Dry Level",
                               "Wet Pan",          "Dry Pan",          "Input Level",   "XLFO 1 Freq",
                               "EG 1 Attack",      "EF 1 Release",     "Slot 1 Level",  "Slot 2 Level"};
    for (int s = 0; s < 24; ++s) {
        const std::string slot = "Slot " + std::to_string(s + 1);
        text += slot + " Source = " + sources[s] + "\n";
        text += slot + " Target = " + targets[s] + "\n";
        text += slot + " Level = 0.3\n";
    }
    return text;
}

void copyCase(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    bench::Stereo audio(frames, kMixture);
    for (auto _ : state) {
        bench::copyStereo(audio, 0, frames);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

void processCase(benchmark::State& state, const EffectCase& c) {
    simd::ScopedControlWord csr;
    const int frames = static_cast<int>(state.range(0));
    auto processor = std::make_unique<VarnelProcessor>();
    processor->activate(kRate);
    processor->reset();
    PresetParameterCollection collection(nullptr, nullptr);
    for (int32_t i = 0; i < processor->getNumParameters(); ++i)
        collection.add(processor->getParameter(i));
    std::string error;
    if (!applyPresetSource(collection, c.source, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    bench::Stereo audio(frames, kMixture);
    const float* inputs[2] = {audio.left.data(), audio.right.data()};
    float* outputs[2] = {audio.outLeft.data(), audio.outRight.data()};
    int32_t status = 0;
    for (int done = 0; done < 2 * static_cast<int>(kRate); done += frames)
        processor->process(inputs, 2, outputs, 2, frames, &status);
    for (auto _ : state) {
        processor->process(inputs, 2, outputs, 2, frames, &status);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<EffectCase> cases = {
        {"Default Setting", kDefaultSetting},
        {"filters 24 dB/oct", kDefaultSetting + filters("24", "Zentor Prime")},
        {"worst case", worstCase()},
    };
    bench::registerBlocks("copy", ::copyCase);
    bench::registerCases(cases, ::processCase);
    return bench::runAndSummarize(argc, argv, {{"block"}});
}
