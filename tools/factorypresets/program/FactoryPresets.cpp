// factory-presets [--check] <source folder> <preset folder>
//
// Builds the effect's factory presets from their sources (PresetSource.h):
// the whole-effect presets (".ztp") and the six kinds of section preset, each
// written with the parameters the effect declares and the framework's preset
// writer, in the preset version the effect writes. Without --check the
// preset folder is replaced by the built files; with it nothing is written
// and the program fails, naming each file, when the folder differs from what
// the sources give.
//
// The parameters live in a bare owner (no model, no folders, no registry):
// the collections are filled as the effect's model fills its own, and the
// effect's tests prove that the model saves every file back to the same
// bytes.

#include "effect/VarnelParameters.h"
#include "modulation/ModulationMatrixOwner.h"
#include "plugin/GenericPluginBase.h"
#include "plugin/PresetParameterCollection.h"
#include "tools/factorypresets/FactoryPresetTree.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

// The preset version the effect writes.
constexpr int32_t kPresetVersion = 5;

struct CollectionHolder {
    ParameterCollection parameters;
};

// The owner's part of the parameters: it must be whole before the
// declarations register with it.
class BareOwner : private CollectionHolder, public GenericPluginBase, public ModulationMatrixOwner {
public:
    BareOwner() : GenericPluginBase(parameters) {}

    void beginUpdate() override {}
    void endUpdate() override {}
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return pluginName; }
    void setParameterValue(int32_t, float, int32_t) override {}
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override {}
    void requestFullReset() override {}
};

class PresetParameters : public BareOwner, public VarnelParameters {
public:
    PresetParameters() : VarnelParameters(*this, *this, *this) { setupParameterInfo(); }
};

// A preset collection over the parameters whose names the test accepts, in
// declaration order.
template <class Belongs>
std::unique_ptr<PresetParameterCollection> collect(const PresetParameters& owner, const Belongs& belongs) {
    auto collection = std::make_unique<PresetParameterCollection>(nullptr, nullptr);
    collection->setSignature(owner.pluginId);
    for (int32_t i = 0; i < owner.getNumParameters(); ++i)
        if (AbstractPluginParameter* p = owner.getParameter(i); p != nullptr && belongs(p->getName()))
            collection->add(p);
    return collection;
}

bool startsWith(const std::string& name, const std::string& prefix) {
    return name.compare(0, prefix.size(), prefix) == 0;
}

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* candidate : names)
        if (name == candidate) return true;
    return false;
}

// Section collections hold the first set of a source kind: a section preset
// loads into any set of its kind.
std::map<std::string, std::unique_ptr<PresetParameterCollection>>
makeCollections(const PresetParameters& owner) {
    std::map<std::string, std::unique_ptr<PresetParameterCollection>> collections;
    collections[".ztp"] = collect(owner, [](const std::string&) { return true; });
    collections[".delays"] = collect(owner, [](const std::string& name) {
        return startsWith(name, "Delay 1 ") || startsWith(name, "Delay 2 ") ||
               isOneOf(name, {"Feedback Link", "Delay Link", "Delay Buffer Read Style"});
    });
    collections[".filters"] = collect(owner, [](const std::string& name) {
        return startsWith(name, "Filter 1 ") || startsWith(name, "Filter 2 ") || name == "Filter Routing";
    });
    const struct {
        const char* extension;
        const char* prefix;
    } sources[] = {{".xlfo", "XLFO 1 "}, {".eg", "EG 1 "}, {".ef", "EF 1"}, {".midi", "MIDI Source 1 "}};
    for (const auto& source : sources) {
        const std::string prefix = source.prefix;
        collections[source.extension] = collect(owner, [&prefix](const std::string& name) {
            return startsWith(name, prefix) ||
                   startsWith(name, PresetParameterCollection::kNumActive + prefix);
        });
    }
    return collections;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 4 && std::strcmp(argv[1], "--check") == 0;
    if (argc != (check ? 4 : 3)) {
        std::fprintf(stderr, "usage: factory-presets [--check] <source folder> <preset folder>\n");
        return 2;
    }
    const std::filesystem::path sources(argv[check ? 2 : 1]);
    const std::filesystem::path presets(argv[check ? 3 : 2]);

    PresetParameters owner;
    auto collections = makeCollections(owner);
    FactoryPresetTree tree;
    std::string error;
    const auto collectionFor = [&collections](const std::string& extension) -> PresetParameterCollection* {
        auto it = collections.find(extension);
        return it != collections.end() ? it->second.get() : nullptr;
    };
    if (!tree.build(sources, collectionFor, kPresetVersion, error)) {
        std::fprintf(stderr, "factory-presets: %s\n", error.c_str());
        return 1;
    }
    if (check) {
        const std::vector<std::string> differences = tree.differences(presets);
        for (const std::string& line : differences)
            std::fprintf(stderr, "factory-presets: %s\n", line.c_str());
        if (!differences.empty())
            std::fprintf(stderr, "factory-presets: rebuild with the target regenerate_factory_presets\n");
        return differences.empty() ? 0 : 1;
    }
    if (!tree.write(presets, error)) {
        std::fprintf(stderr, "factory-presets: %s\n", error.c_str());
        return 1;
    }
    std::printf("factory-presets: wrote %zu presets into %s\n", tree.getFiles().size(),
                presets.string().c_str());
    return 0;
}
