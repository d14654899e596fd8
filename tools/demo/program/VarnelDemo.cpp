// varnel-demo: the demo's renderer and checker.
//
//   varnel-demo render MODULE.clap OUTDIR TAG [--preset NAME]... [--presets N]
//     Writes the demo signal (OUTDIR/input.wav), then renders it through a
//     fresh instance of the module's plug-in (its start-up preset, "Default
//     Setting") and through each preset named (or the first N other presets,
//     by name) that the module's preset discovery finds, loaded through the
//     plug-in's preset-load extension. Each render goes to
//     OUTDIR/TAG-<preset>.wav, and its echoes after the lone click to
//     OUTDIR/TAG-<preset>.echoes; both are printed.
//   varnel-demo compare A.echoes B.echoes
//     Exits with 0 when the two agree within 0.1 ms and 0.1 dB.

#include "tools/demo/DemoRender.h"
#include "tools/demo/DemoSignal.h"
#include "tools/demo/EchoReport.h"
#include "tools/demo/FloatWavFile.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBlock = 512;
const char* const kDefaultPreset = "Default Setting";

std::string slug(const std::string& name) {
    std::string text;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u))
            text += static_cast<char>(std::tolower(u));
        else if (!text.empty() && text.back() != '-')
            text += '-';
    }
    while (!text.empty() && text.back() == '-')
        text.pop_back();
    return text.empty() ? "preset" : text;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    return folder + (folder.find('\\') != std::string::npos ? "\\" : "/") + name;
}

bool readText(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

struct Preset {
    std::string name;
    std::string location; // empty: the instance's start-up preset
    std::string loadKey;
};

int render(int argc, char** argv) {
    if (argc < 5) return 2;
    const std::string modulePath = argv[2];
    const std::string folder = argv[3];
    const std::string tag = argv[4];
    std::vector<std::string> wanted;
    int firstPresets = 0;
    for (int i = 5; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--preset" && i + 1 < argc)
            wanted.push_back(argv[++i]);
        else if (option == "--presets" && i + 1 < argc)
            firstPresets = std::atoi(argv[++i]);
        else
            return 2;
    }

    std::string error;
    auto module = ClapModule::load(modulePath, error);
    if (!module) {
        std::printf("cannot load %s: %s\n", modulePath.c_str(), error.c_str());
        return 1;
    }
    const clap_plugin_factory_t* factory = module->pluginFactory();
    const clap_plugin_descriptor_t* descriptor = factory && factory->get_plugin_count(factory) > 0
                                                     ? factory->get_plugin_descriptor(factory, 0)
                                                     : nullptr;
    if (!descriptor || !descriptor->id) {
        std::printf("%s has no plug-in\n", modulePath.c_str());
        return 1;
    }

    const DemoSignal signal = makeDemoSignal();
    if (!writeFloatWav(joinPath(folder, "input.wav"), {signal.left, signal.right}, DemoSignal::kSampleRate)) {
        std::printf("cannot write into %s\n", folder.c_str());
        return 1;
    }

    std::vector<Preset> presets{{kDefaultPreset, "", ""}};
    int failures = 0;
    auto renderOne = [&](const Preset& preset) {
        TestHost host;
        std::vector<std::vector<Echo>> echoes;
        {
            HostedPlugin plugin(host, factory, descriptor->id);
            if (!plugin.plugin() || !plugin.init()) {
                std::printf("%s: the plug-in cannot be created\n", preset.name.c_str());
                ++failures;
                return;
            }
            if (!preset.location.empty()) {
                if (!plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, preset.location.c_str(),
                                       preset.loadKey.c_str())) {
                    std::printf("%s: preset load refused %s\n", preset.name.c_str(), preset.location.c_str());
                    ++failures;
                    return;
                }
                plugin.pumpMainThread();
            }
            if (!plugin.activate(DemoSignal::kSampleRate, 1, kBlock)) {
                std::printf("%s: the plug-in does not activate\n", preset.name.c_str());
                ++failures;
                return;
            }
            const DemoRender result = renderDemo(plugin, signal, kBlock);
            if (!result.error.empty()) {
                std::printf("%s: %s\n", preset.name.c_str(), result.error.c_str());
                ++failures;
                return;
            }
            const std::string base = joinPath(folder, tag + "-" + slug(preset.name));
            if (!writeFloatWav(base + ".wav", result.channels, DemoSignal::kSampleRate)) {
                std::printf("cannot write %s.wav\n", base.c_str());
                ++failures;
                return;
            }
            EchoSearch search;
            search.clickStart = DemoSignal::kLoneClickStart;
            search.searchFrames = DemoSignal::kSilenceAfterClick;
            search.sampleRate = DemoSignal::kSampleRate;
            const std::vector<float> click = makeClick(DemoSignal::kSeed, 0.8f);
            for (const auto& channel : result.channels)
                echoes.push_back(findEchoes(channel, click, search));
            std::ofstream table(base + ".echoes", std::ios::binary | std::ios::trunc);
            table << writeEchoTable(echoes);
            std::printf("%s with \"%s\": %s.wav\n", tag.c_str(), preset.name.c_str(), base.c_str());
            std::printf("  echoes after the lone click, within the 3 s of silence after it (ms after it, dB "
                        "relative to it);\n  a list ends where that window ends, before the next clicks:\n");
            std::printf("    left : %s\n", formatEchoes(echoes[0]).c_str());
            std::printf("    right: %s\n", formatEchoes(echoes[1]).c_str());
        }
        for (const std::string& violation : host.violations()) {
            std::printf("  host check: %s\n", violation.c_str());
            ++failures;
        }
    };
    // The first instance also sets up the preset folder on a first start.
    renderOne(presets[0]);

    if (!wanted.empty() || firstPresets > 0) {
        const clap_preset_discovery_factory_t* discovery = module->presetDiscoveryFactory();
        const auto* provider =
            discovery && discovery->count(discovery) > 0 ? discovery->get_descriptor(discovery, 0) : nullptr;
        PresetIndexer indexer;
        if (!provider || !indexer.open(discovery, provider->id)) {
            std::printf("preset discovery is not available\n");
            return 1;
        }
        indexer.crawl();
        std::vector<DiscoveredPreset> found = indexer.presets();
        std::sort(found.begin(), found.end(),
                  [](const DiscoveredPreset& a, const DiscoveredPreset& b) { return a.name < b.name; });
        std::printf("preset discovery found %zu presets in %s\n", found.size(),
                    indexer.locations().empty() ? "(no location)" : indexer.locations()[0].location.c_str());
        for (const std::string& name : wanted) {
            auto it = std::find_if(found.begin(), found.end(), [&](const auto& p) { return p.name == name; });
            if (it == found.end()) {
                std::printf("preset \"%s\" not found by discovery\n", name.c_str());
                ++failures;
                continue;
            }
            presets.push_back({it->name, it->location, it->loadKey});
        }
        for (const DiscoveredPreset& p : found) {
            if (firstPresets <= 0) break;
            if (p.name == kDefaultPreset) continue;
            presets.push_back({p.name, p.location, p.loadKey});
            --firstPresets;
        }
        for (size_t i = 1; i < presets.size(); ++i)
            renderOne(presets[i]);
    }
    return failures == 0 ? 0 : 1;
}

int compare(int argc, char** argv) {
    if (argc != 4) return 2;
    std::string first, second;
    std::vector<std::vector<Echo>> a, b;
    if (!readText(argv[2], first) || !readText(argv[3], second) || !readEchoTable(first, a) ||
        !readEchoTable(second, b)) {
        std::printf("cannot read %s or %s\n", argv[2], argv[3]);
        return 1;
    }
    std::string why;
    if (!echoesAgree(a, b, EchoTolerance{}, why)) {
        std::printf("the echoes differ: %s\n", why.c_str());
        return 1;
    }
    std::printf("the echoes agree within 0.1 ms and 0.1 dB\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    int result = 2;
    if (command == "render")
        result = render(argc, argv);
    else if (command == "compare")
        result = compare(argc, argv);
    if (result == 2)
        std::fprintf(stderr,
                     "usage: varnel-demo render MODULE.clap OUTDIR TAG [--preset NAME]... [--presets N]\n"
                     "       varnel-demo compare A.echoes B.echoes\n");
    return result;
}
