// The processor base's own cost: GenericPluginProcessor::process at 48 kHz
// over an empty graph (each channel's output is its input, not bypassed), on
// host blocks of 128 and 512 stereo frames, and on a 512 block cut into 32
// pieces by MIDI events (one every 16 frames; the events are queued inside
// the timed loop, as a host's would be). The copy here runs each block in
// one piece, as the processor receives it.

#include "bench/BenchSupport.h"
#include "plugin/GenericPluginProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdint>

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

using bench::Stereo;

constexpr bench::Mixture kMixture{1.0f, 0.5f, 0.25f};

void copyCase(benchmark::State& state) {
    const int frames = int(state.range(0));
    Stereo audio(frames, kMixture);
    for (auto _ : state) {
        bench::copyStereo(audio, 0, frames);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

void processCase(benchmark::State& state) {
    const int frames = int(state.range(0));
    const int events = int(state.range(1));
    BenchProcessor processor;
    Stereo audio(frames, kMixture);
    const float* inputs[2] = {audio.left.data(), audio.right.data()};
    float* outputs[2] = {audio.outLeft.data(), audio.outRight.data()};
    const int spacing = events > 0 ? frames / events : 0;
    for (auto _ : state) {
        for (int e = 0; e < events; ++e)
            processor.getMidiQueue().push(MidiEvent::make(0x90, uint8_t(60 + e), 100, e * spacing));
        int32_t status = 0;
        processor.process(inputs, 2, outputs, 2, frames, &status);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

} // namespace

int main(int argc, char** argv) {
    bench::registerBlocks("copy", ::copyCase);
    benchmark::RegisterBenchmark("process", ::processCase)->Args({128, 0})->Args({512, 0})->Args({512, 32});
    return bench::runAndSummarize(argc, argv, {{"block"}, {"events"}});
}
