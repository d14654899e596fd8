// clap-test-host MODULE.clap
//
// Loads a CLAP module as a host does and checks it end to end: every plug-in
// of its factory is created, initialised, activated at 48 kHz and run for a
// few blocks of a click (all outputs written, nothing past the block); its
// state is saved, loaded into a fresh instance and saved again, which must
// give the same bytes; every preset provider is created and crawled. Prints
// what it finds and exits with 1 on any failure or host-side violation.

#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

int failures = 0;

void fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

void reportViolations(TestHost& host) {
    for (const auto& violation : host.violations())
        fail(violation);
    host.clearViolations();
}

std::string joined(const char* const* list) {
    std::string text;
    for (; list && *list; ++list)
        text += (text.empty() ? "" : ", ") + std::string(*list);
    return text;
}

void checkPlugin(const ClapModule& module, const clap_plugin_descriptor_t* descriptor) {
    std::printf("plug-in %s: \"%s\" by %s, version %s, features: %s\n", descriptor->id, descriptor->name,
                descriptor->vendor ? descriptor->vendor : "(none)",
                descriptor->version ? descriptor->version : "(none)", joined(descriptor->features).c_str());
    TestHost host;
    std::vector<uint8_t> state;
    {
        HostedPlugin plugin(host, module.pluginFactory(), descriptor->id);
        if (!plugin.plugin() || !plugin.init() || !plugin.activate(48000.0, 1, 512))
            return fail("cannot create, initialise and activate it");
        std::printf("  %u input and %u output ports, %u parameters\n", plugin.inputPortCount(),
                    plugin.outputPortCount(), plugin.paramCount());
        HostEventList events;
        double peak = 0;
        for (int block = 0; block < 8; ++block) {
            for (uint32_t port = 0; port < plugin.inputPortCount(); ++port)
                for (uint32_t channel = 0; channel < plugin.inputChannelCount(port); ++channel)
                    for (uint32_t frame = 0; frame < 512; ++frame)
                        plugin.input(port, channel)[frame] = block == 0 && frame == 0 ? 1.0f : 0.0f;
            if (plugin.process(512, events) == CLAP_PROCESS_ERROR) fail("process returned an error");
            for (uint32_t port = 0; port < plugin.outputPortCount(); ++port)
                for (uint32_t channel = 0; channel < plugin.outputChannelCount(port); ++channel)
                    for (uint32_t frame = 0; frame < 512; ++frame) {
                        float value = plugin.output(port, channel)[frame];
                        if (!std::isfinite(value)) return fail("output is not finite");
                        peak = std::max(peak, std::fabs(double(value)));
                    }
        }
        std::printf("  peak output after a click: %.6f\n", peak);
        plugin.pumpMainThread();
        if (auto saved = plugin.saveState())
            state = *saved;
        else if (plugin.extension<clap_plugin_state_t>(CLAP_EXT_STATE))
            fail("state save failed");
    }
    reportViolations(host);
    if (!state.empty()) {
        TestHost otherHost;
        HostedPlugin plugin(otherHost, module.pluginFactory(), descriptor->id);
        if (!plugin.plugin() || !plugin.init() || !plugin.loadState(state))
            fail("state does not load into a fresh instance");
        else if (plugin.saveState() != state)
            fail("state saved again differs");
        else
            std::printf("  state of %zu bytes reloads byte-identical\n", state.size());
        reportViolations(otherHost);
    }
}

void checkProvider(const ClapModule& module, const clap_preset_discovery_provider_descriptor_t* descriptor) {
    std::printf("preset provider %s: \"%s\"\n", descriptor->id, descriptor->name);
    PresetIndexer indexer;
    if (!indexer.open(module.presetDiscoveryFactory(), descriptor->id))
        return fail("the provider cannot be created or initialised");
    int failed = indexer.crawl();
    std::printf("  %zu file types, %zu locations, %zu presets, %d failed requests\n",
                indexer.filetypes().size(), indexer.locations().size(), indexer.presets().size(), failed);
    for (const auto& violation : indexer.violations())
        fail(violation);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clap-test-host MODULE.clap\n");
        return 2;
    }
    std::string error;
    auto module = ClapModule::load(argv[1], error);
    if (!module) {
        std::printf("FAIL: cannot load %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const clap_plugin_factory_t* factory = module->pluginFactory();
    if (!factory) fail("no plug-in factory");
    for (uint32_t i = 0; factory && i < factory->get_plugin_count(factory); ++i) {
        const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, i);
        if (!descriptor || !descriptor->id || !descriptor->name)
            fail("plug-in " + std::to_string(i) + " has no descriptor, id or name");
        else
            checkPlugin(*module, descriptor);
    }
    if (const clap_preset_discovery_factory_t* discovery = module->presetDiscoveryFactory())
        for (uint32_t i = 0; i < discovery->count(discovery); ++i) {
            const auto* descriptor = discovery->get_descriptor(discovery, i);
            if (!descriptor || !descriptor->id)
                fail("preset provider " + std::to_string(i) + " has no descriptor or id");
            else
                checkProvider(*module, descriptor);
        }
    std::printf(failures ? "%d failures\n" : "passed\n", failures);
    return failures ? 1 : 0;
}
