// The whole effect processor at 48 kHz stereo, on host blocks of 16, 32, 64,
// 128 and 512 frames, beside a plain copy of the same audio (the summary
// splits each case's time per call into a fixed part and a part per frame):
//   - "Default Setting" (two lines with feedback, filters off), alone and with
//     every modulation source (the worst case's sources and slots below);
//   - both filters enabled (low-pass and high-pass), "Zentor Prime" and
//     "Clean" at each slope, in series, and Prime at 24 dB/oct in parallel;
//   - Prime at 24 dB/oct fed subnormal input;
//   - the worst case: every source list at its full count (XLFOs with 16
//     steps), all 24 slots in use drawing on every kind of source, with the
//     filter frequencies and delay times among the targets; both filters at
//     48 dB/oct with a saturating characteristic; the "Stretch" read style.
// Each setting is written as a preset source ("name = value" lines, the form
// the factory presets are authored in) and applied to the processor's own
// parameters; the processor then runs two seconds untimed, so rings, sources
// and smoothers are busy when the timing starts.
//
// Options besides Google Benchmark's: --case=TEXT runs only the cases whose
// name contains TEXT (and the copy); --path=sse2 or --path=avx2 forces the
// kernels' instruction set (dsp/SimdPath.h). The program notes the path
// taken, the flush-to-zero and denormals-are-zero state of the timed loops
// and the machine's load (other work on the machine slows every figure).
// The subnormal input is made before flush-to-zero is switched on.

#include "bench/BenchSupport.h"
#include "dsp/Simd.h"
#include "dsp/SimdPath.h"
#include "effect/VarnelProcessor.h"
#include "plugin/PresetParameterCollection.h"
#include "tools/factorypresets/PresetSource.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr bench::Mixture kMixture{0.5f, 0.25f, 0.1f};

struct EffectCase {
    std::string name;
    std::string source;
    float inputScale = 1.0f; // subnormal input: 1e-39
};

const std::string kDefaultSetting = "Delay 1 Time = 375 ms\n"
                                    "Delay 1 Feedback = 0.35\n"
                                    "Delay 1 Pan = -1\n"
                                    "Delay 2 Time = 500 ms\n"
                                    "Delay 2 Feedback = 0.35\n"
                                    "Delay 2 Pan = 1\n";

std::string filters(const char* slope, const char* characteristic, const char* routing = "Serial") {
    std::string text = std::string("Filter Routing = ") + routing + "\n";
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

// Every source list at its full count and all 24 slots in use.
std::string everySource() {
    std::string text = "Num Active XY Controllers = 4\n"
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

std::string worstCase() {
    return kDefaultSetting + filters("48", "Tube") + "Delay Buffer Read Style = Stretch\n" + everySource();
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

// Whether every timed loop ran with flush-to-zero and denormals-are-zero.
bool flushedEverywhere = true;
bool timedAnything = false;

void processCase(benchmark::State& state, const EffectCase& c) {
    const int frames = static_cast<int>(state.range(0));
    // Made before flush-to-zero is on: subnormal input stays subnormal, as a
    // host hands it over.
    bench::Stereo audio(frames, kMixture, c.inputScale);
    simd::ScopedControlWord csr;
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
    const float* inputs[2] = {audio.left.data(), audio.right.data()};
    float* outputs[2] = {audio.outLeft.data(), audio.outRight.data()};
    int32_t status = 0;
    for (int done = 0; done < 2 * static_cast<int>(kRate); done += frames)
        processor->process(inputs, 2, outputs, 2, frames, &status);
    constexpr unsigned kFlushBits = 0x8040; // FTZ and DAZ
    flushedEverywhere = flushedEverywhere && (_mm_getcsr() & kFlushBits) == kFlushBits;
    timedAnything = true;
    for (auto _ : state) {
        processor->process(inputs, 2, outputs, 2, frames, &status);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(file >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen + " (1, 5, 15 min) on " +
           std::to_string(std::thread::hardware_concurrency()) + " hardware threads";
}

// Takes --NAME=VALUE out of the arguments; empty when absent.
std::string takeOption(int& argc, char** argv, const std::string& name) {
    const std::string prefix = "--" + name + "=";
    std::string value;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i > 0 && argument.rfind(prefix, 0) == 0)
            value = argument.substr(prefix.size());
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    const std::string only = takeOption(argc, argv, "case");
    const std::string path = takeOption(argc, argv, "path");
    if (path == "sse2" || path == "avx2") {
        const simd::Path wanted = path == "avx2" ? simd::Path::kAvx2 : simd::Path::kSse2;
        if (!simd::forcePath(wanted)) {
            std::fprintf(stderr, "This machine cannot run the %s path.\n", simd::pathName(wanted));
            return 1;
        }
    } else if (!path.empty()) {
        std::fprintf(stderr, "--path takes sse2 or avx2.\n");
        return 1;
    }
    static const std::vector<EffectCase> all = [] {
        std::vector<EffectCase> list = {{"Default Setting", kDefaultSetting},
                                        {"every modulation source", kDefaultSetting + everySource()}};
        for (const char* slope : {"12", "24", "48"})
            list.push_back({std::string("Zentor Prime ") + slope + " dB/oct",
                            kDefaultSetting + filters(slope, "Zentor Prime")});
        list.push_back(
            {"Zentor Prime 24 dB/oct parallel", kDefaultSetting + filters("24", "Zentor Prime", "Parallel")});
        for (const char* slope : {"12", "24", "48"})
            list.push_back(
                {std::string("Clean ") + slope + " dB/oct", kDefaultSetting + filters(slope, "Clean")});
        list.push_back({"Zentor Prime 24 dB/oct, subnormal input",
                        kDefaultSetting + filters("24", "Zentor Prime"), 1e-39f});
        list.push_back({"worst case", worstCase()});
        return list;
    }();
    static std::vector<EffectCase> cases;
    for (const EffectCase& c : all)
        if (c.name.find(only) != std::string::npos) cases.push_back(c);
    std::printf("CPU path: %s (%s); load before: %s\n", simd::pathName(simd::activePath()),
                path.empty() ? "chosen at start-up" : "forced", loadAverage().c_str());
    bench::registerBlocks("copy", ::copyCase, {}, bench::kLiveHostBlocks);
    bench::registerCases(cases, ::processCase, {}, bench::kLiveHostBlocks);
    const int result = bench::runAndSummarize(argc, argv, {{"block"}});
    std::printf(
        "\nCPU path %s; flush-to-zero and denormals-are-zero (the processor sets them on every call) in the "
        "timed loops: %s; load after: %s\n",
        simd::pathName(simd::activePath()),
        !timedAnything      ? "(nothing timed)"
        : flushedEverywhere ? "on"
                            : "NOT everywhere",
        loadAverage().c_str());
    return result;
}
