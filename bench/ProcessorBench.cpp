// The processor base's own cost: GenericPluginProcessor::process at 48 kHz
// over an empty graph (each channel's output is its input, not bypassed), on
// host blocks of 128 and 512 stereo frames, and on a 512 block cut into 32
// pieces by MIDI events (one every 16 frames; the events are queued inside
// the timed loop, as a host's would be). A plain copy of the same stereo
// audio runs in the same program; the summary gives each case in ns per
// stereo frame and as a multiple of that copy.

#include "plugin/GenericPluginProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

class PassChannel : public GenericPluginProcessor::Channel {
public:
    explicit PassChannel(GenericPluginProcessor& processor) : Channel(processor) { setOutput(&getInput()); }
};

class BenchProcessor : public GenericPluginProcessor {
public:
    BenchProcessor() {
        pluginKind = kDelay;
        for (int c = 0; c < 2; ++c)
            addChannel(new PassChannel(*this));
        setBypassParameter(&bypass);
        setMidiStateParameter(&midiState);
        initProcessing();
        activate(48000.0f);
        reset();
    }
    IndexedPluginParameter<bool> bypass{this, "Bypass"};
    IndexedPluginParameter<MidiState> midiState{this, "Receive Midi"};
};

struct Stereo {
    explicit Stereo(int frames)
        : left(size_t(frames)), right(size_t(frames)), outLeft(size_t(frames)), outRight(size_t(frames)) {
        uint32_t state = 12345u;
        for (int i = 0; i < frames; ++i) {
            state = state * 1664525u + 1013904223u;
            left[size_t(i)] = float(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
            right[size_t(i)] = 0.5f * left[size_t(i)] + 0.25f;
        }
    }
    std::vector<float> left, right, outLeft, outRight;
};

void setFrameCounter(benchmark::State& state, int frames) {
    state.counters["ns_per_frame"] = benchmark::Counter(
        double(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void copyCase(benchmark::State& state) {
    const int frames = int(state.range(0));
    Stereo audio(frames);
    for (auto _ : state) {
        std::memcpy(audio.outLeft.data(), audio.left.data(), size_t(frames) * sizeof(float));
        std::memcpy(audio.outRight.data(), audio.right.data(), size_t(frames) * sizeof(float));
        benchmark::DoNotOptimize(audio.outLeft.data());
        benchmark::DoNotOptimize(audio.outRight.data());
        benchmark::ClobberMemory();
    }
    setFrameCounter(state, frames);
}

void processCase(benchmark::State& state) {
    const int frames = int(state.range(0));
    const int events = int(state.range(1));
    BenchProcessor processor;
    Stereo audio(frames);
    const float* inputs[2] = {audio.left.data(), audio.right.data()};
    float* outputs[2] = {audio.outLeft.data(), audio.outRight.data()};
    const int spacing = events > 0 ? frames / events : 0;
    for (auto _ : state) {
        for (int e = 0; e < events; ++e)
            processor.getMidiQueue().push(MidiEvent::make(0x90, uint8_t(60 + e), 100, e * spacing));
        int32_t status = 0;
        processor.process(inputs, 2, outputs, 2, frames, &status);
        benchmark::DoNotOptimize(audio.outLeft.data());
        benchmark::DoNotOptimize(audio.outRight.data());
        benchmark::ClobberMemory();
    }
    setFrameCounter(state, frames);
}

// Prints the usual table, then each processor case beside the copy of the
// same block size, in ns per frame and as a multiple of the copy.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("ns_per_frame");
            if (it == run.counters.end()) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !figures.count(run.run_name.str())))
                figures[run.run_name.str()] = it->second.value * 1.0e9;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %12s %12s %8s\n", "case", "ns/frame", "copy ns/fr", "x copy");
        for (const auto& [name, ns] : figures) {
            if (name.rfind("copy/", 0) == 0) continue;
            // name: process/<frames>/<events>
            const size_t first = name.find('/');
            const size_t second = name.find('/', first + 1);
            const std::string frames = name.substr(first + 1, second - first - 1);
            auto copy = figures.find("copy/" + frames);
            const double copyNs = copy != figures.end() ? copy->second : 0.0;
            std::printf("%-28s %12.3f %12.3f %8.2f\n", name.c_str(), ns, copyNs,
                        copyNs > 0.0 ? ns / copyNs : 0.0);
        }
    }

private:
    std::map<std::string, double> figures;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("copy", ::copyCase)->Arg(128)->Arg(512);
    benchmark::RegisterBenchmark("process", ::processCase)
        ->Args({128, 0})
        ->Args({512, 0})
        ->Args({512, 32});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
