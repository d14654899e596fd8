// The whole plug-in as a host runs it: the plug-in file loaded by the test
// host, one instance activated at 48 kHz, stereo noise through its main
// input, host blocks of 16, 32, 64, 128 and 512 frames processed on the
// host's audio thread. The warm-up blocks go through the test host's checks
// (output sentinels and guards); the timed ones are handed over as a plain
// host hands them, so the times are the plug-in's own. The summary splits each case's time per call into a
// fixed part and a part per frame. Cases: the start-up preset ("Default Setting"), and the same with
// every modulation source active (each source list at its largest count,
// every modulation slot in use). Beside them a plain copy of the same
// audio on the calling thread; the plug-in's times are wall-clock, since it
// runs on the host's audio thread.
//
// The plug-in file is the product's Linux .clap; VARNEL_BENCH_MODULE names
// another one.

#include "bench/BenchSupport.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/TestHost.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench::Stereo;

constexpr bench::Mixture kMixture{0.5f, 0.25f, 0.1f};
constexpr int kWarmupBlocks = 64;

std::string modulePath() {
    const char* path = std::getenv("VARNEL_BENCH_MODULE");
    return path && *path ? path : VARNEL_BENCH_PLUGIN_MODULE;
}

const ClapModule* module() {
    static std::unique_ptr<ClapModule> loaded = [] {
        std::string error;
        auto result = ClapModule::load(modulePath(), error);
        if (!result) std::fprintf(stderr, "cannot load %s: %s\n", modulePath().c_str(), error.c_str());
        return result;
    }();
    return loaded.get();
}

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Every list of sets at its largest count ("Num Active ..." parameters),
// and each modulation slot ("Slot N ...") given a source and a target of its
// own (0 is "none" for both) and a level.
void activateEveryModulationSource(HostedPlugin& plugin, HostEventList& events) {
    uint32_t slot = 0;
    for (uint32_t index = 0; index < plugin.paramCount(); ++index) {
        const auto info = plugin.paramInfo(index);
        if (!info) continue;
        const std::string name = info->name;
        const double span = info->max_value - info->min_value;
        if (startsWith(info->name, "Num Active ")) {
            events.addParamValue(0, info->id, info->max_value);
        } else if (startsWith(info->name, "Slot ") && span >= 1.0) {
            if (endsWith(name, " Source")) {
                events.addParamValue(0, info->id, info->min_value + 1.0 + std::fmod(slot, span));
            } else if (endsWith(name, " Target")) {
                events.addParamValue(0, info->id, info->min_value + 1.0 + std::fmod(slot * 7.0, span));
                ++slot;
            }
        } else if (startsWith(info->name, "Slot ") && endsWith(name, " Level")) {
            events.addParamValue(0, info->id, info->min_value + 0.75 * span);
        }
    }
}

void copyCase(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    Stereo audio(frames, kMixture);
    for (auto _ : state) {
        bench::copyStereo(audio, 0, frames);
        bench::keepOutput(audio);
    }
    bench::setFrameCounter(state, frames);
}

void pluginCase(benchmark::State& state, bool everySource) {
    const auto frames = static_cast<uint32_t>(state.range(0));
    const ClapModule* loaded = module();
    const clap_plugin_factory_t* factory = loaded ? loaded->pluginFactory() : nullptr;
    if (!factory || factory->get_plugin_count(factory) == 0) {
        state.SkipWithError("no plug-in module");
        return;
    }
    TestHost host;
    HostedPlugin plugin(host, factory, factory->get_plugin_descriptor(factory, 0)->id);
    if (!plugin.plugin() || !plugin.init() || !plugin.activate(48000.0, 1, frames) ||
        plugin.inputPortCount() == 0 || plugin.inputChannelCount(0) < 2) {
        state.SkipWithError("the plug-in does not start");
        return;
    }
    HostEventList first;
    if (everySource) activateEveryModulationSource(plugin, first);
    Stereo audio(static_cast<int>(frames), kMixture);
    std::memcpy(plugin.input(0, 0), audio.left.data(), frames * sizeof(float));
    std::memcpy(plugin.input(0, 1), audio.right.data(), frames * sizeof(float));
    if (!plugin.startProcessing()) {
        state.SkipWithError("start_processing failed");
        return;
    }
    HostEventList none;
    const ProcessOptions checked;
    ProcessOptions plain;
    plain.guarded = false;
    host.audioThread().run([&] {
        plugin.processHere(frames, first, checked);
        for (int i = 0; i < kWarmupBlocks; ++i)
            plugin.processHere(frames, none, checked);
        for (auto _ : state)
            benchmark::DoNotOptimize(plugin.processHere(frames, none, plain));
    });
    bench::setFrameCounter(state, static_cast<int>(frames));
    if (!host.violations().empty()) state.SkipWithError(host.violations().front().c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::int64_t>& blocks = bench::kLiveHostBlocks;
    bench::registerBlocks("copy", copyCase, {}, blocks);
    bench::registerBlocks(
        "plugin Default Setting", [](benchmark::State& s) { pluginCase(s, false); }, {}, blocks)
        ->UseRealTime();
    bench::registerBlocks(
        "plugin every modulation source", [](benchmark::State& s) { pluginCase(s, true); }, {}, blocks)
        ->UseRealTime();
    return bench::runAndSummarize(argc, argv, {{"block"}});
}
