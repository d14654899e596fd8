#include "clap/ClapPresetDiscoveryProvider.h"

#include "clap/HostPath.h"
#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"
#include "foundation/tests/RegistryFixture.h"
#include "foundation/tests/TestFiles.h"
#include "tools/testhost/PresetIndexer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <string>
#include <unistd.h>

namespace {

const char* const kPluginId = "com.Zentor.preset-discovery.Varnel.1";

// A factory whose create makes the provider, as the entry's does.
struct ProviderFactory {
    static const clap_preset_discovery_provider_descriptor_t descriptor;
    static GenericPluginInfo info;
    clap_preset_discovery_factory_t factory{};

    ProviderFactory() {
        factory.count = [](const clap_preset_discovery_factory_t*) -> uint32_t { return 1; };
        factory.get_descriptor = [](const clap_preset_discovery_factory_t*, uint32_t index) {
            return index == 0 ? &descriptor : nullptr;
        };
        factory.create = [](const clap_preset_discovery_factory_t*,
                            const clap_preset_discovery_indexer_t* indexer,
                            const char* id) -> const clap_preset_discovery_provider_t* {
            if (id == nullptr || std::string(id) != descriptor.id) return nullptr;
            return ClapPresetDiscoveryProvider::create(&descriptor, indexer, kPluginId, info);
        };
    }
};
const clap_preset_discovery_provider_descriptor_t ProviderFactory::descriptor = {
    CLAP_VERSION_INIT, kPluginId, "Varnel Preset Indexer", "Zentor"};
GenericPluginInfo ProviderFactory::info;

// Each test has its own product name (so its own registry key, also in a
// shared Wine prefix) and its own documents folder for the stand-in.
class PresetDiscoveryProvider : public test::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        static int counter = 0;
        name_ = "VarnelDiscovery" + std::to_string(getpid()) + "x" + std::to_string(counter++);
        ProviderFactory::info.pluginName = name_;
        ProviderFactory::info.pluginId = "ZVms";
        setDocuments(documents_.path());
        presets_ = documents_ / "Presets";
        createDirectories(presets_ + "\\Sub");
    }
    void TearDown() override {
        deleteRegistryKey(RegistryRoot::kCurrentUser, VersionInfo(name_).getProductKeyPath());
        RegistryTest::TearDown();
    }

    static void setDocuments(const std::string& folder) {
        static std::list<std::string> texts;
        texts.push_back("XDG_DOCUMENTS_DIR=" + test::fsPath(folder).generic_string());
        putenv(texts.back().data());
    }

    void storeFolder(const std::string& folder) {
        ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, VersionInfo(name_).getProductKeyPath(),
                                        "PresetFolder", folder));
    }

    static void writePreset(const std::string& path, const std::string& header) {
        ASSERT_TRUE(test::writeWholeFile(path, "[Preset]\nSignature=ZVms\nVersion=1\n" + header +
                                                   "\n[Parameters]\nGain=0.5\n"));
    }

    const DiscoveredPreset* find(const PresetIndexer& indexer, const std::string& name) {
        for (const DiscoveredPreset& preset : indexer.presets())
            if (preset.name == name) return &preset;
        return nullptr;
    }

    test::TemporaryFolder documents_{"discovery"};
    std::string name_;
    std::string presets_;
    ProviderFactory factory_;
};

TEST_F(PresetDiscoveryProvider, DeclaresTheStoredFolderAndTheFileType) {
    storeFolder(presets_);
    PresetIndexer indexer;
    ASSERT_TRUE(indexer.open(&factory_.factory, kPluginId));
    EXPECT_STREQ(indexer.provider()->desc->name, "Varnel Preset Indexer");
    EXPECT_EQ(indexer.provider()->get_extension(indexer.provider(), "clap.anything"), nullptr);

    ASSERT_EQ(indexer.locations().size(), 1u);
    const DeclaredLocation& location = indexer.locations()[0];
    EXPECT_EQ(location.flags, 3u);
    EXPECT_EQ(location.name, name_ + " Preset Folder");
    EXPECT_EQ(location.kind, static_cast<uint32_t>(CLAP_PRESET_DISCOVERY_LOCATION_FILE));
    EXPECT_EQ(location.location, toHostPath(presets_));

    ASSERT_EQ(indexer.filetypes().size(), 1u);
    EXPECT_EQ(indexer.filetypes()[0].name, "Zentor Preset");
    EXPECT_EQ(indexer.filetypes()[0].description, "Preset for a Zentor plugin");
    EXPECT_EQ(indexer.filetypes()[0].extension, "ztp");
    EXPECT_TRUE(indexer.violations().empty());
}

// Without a stored folder, or with one that is gone, the host is pointed at
// the default preset folder (where the plug-in keeps its presets then),
// never at an empty location.
TEST_F(PresetDiscoveryProvider, FallsBackToTheDefaultPresetFolder) {
    const VersionInfo version(name_);
    const std::string fallback = getPresetsFolderPath(version.getPluginName());
    for (const char* stored : {"", "gone"}) {
        if (*stored) storeFolder(documents_ / stored);
        PresetIndexer indexer;
        ASSERT_TRUE(indexer.open(&factory_.factory, kPluginId)) << stored;
        ASSERT_EQ(indexer.locations().size(), 1u);
        const std::string location = fromHostPath(indexer.locations()[0].location);
        EXPECT_FALSE(location.empty());
        EXPECT_EQ(location.rfind(fromHostPath(fallback), 0), 0u) << location;
    }
}

TEST_F(PresetDiscoveryProvider, RefusedDeclarationsFailInit) {
    storeFolder(presets_);
    for (int allowed : {0, 1}) {
        PresetIndexer indexer;
        indexer.refuseDeclarationsAfter(allowed);
        EXPECT_FALSE(indexer.open(&factory_.factory, kPluginId)) << allowed;
    }
}

// The crawl finds every preset with its name, metadata and the plug-in id;
// the favourites (relative lines of "Favorites.txt", '#' lines skipped) are
// flagged, with the folder stored with or without a trailing '\'.
TEST_F(PresetDiscoveryProvider, ReportsPresetsWithMetadataAndFavourites) {
    writePreset(presets_ + "\\Alpha.ztp", "Author=Ann\nDescription=\"Wide echo\"\nTags=\"Wide,Dark\"\n");
    writePreset(presets_ + "\\Beta.ztp", "");
    writePreset(presets_ + "\\Sub\\Gamma.ztp", "");
    ASSERT_TRUE(test::writeWholeFile(presets_ + "\\notes.txt", "not a preset"));
    ASSERT_TRUE(
        test::writeWholeFile(presets_ + "\\Favorites.txt", "# favourites\nSub/Gamma.ztp\n#Beta.ztp\n"));

    for (const std::string& stored : {presets_, presets_ + "\\"}) {
        storeFolder(stored);
        PresetIndexer indexer;
        ASSERT_TRUE(indexer.open(&factory_.factory, kPluginId)) << stored;
        EXPECT_EQ(indexer.crawl(), 0);
        EXPECT_TRUE(indexer.violations().empty());
        ASSERT_EQ(indexer.presets().size(), 3u) << stored;
        for (const DiscoveredPreset& preset : indexer.presets()) {
            EXPECT_EQ(preset.loadKey, preset.location);
            ASSERT_EQ(preset.pluginIds.size(), 1u);
            EXPECT_EQ(preset.pluginIds[0], std::make_pair(std::string("clap"), std::string(kPluginId)));
        }
        const DiscoveredPreset* alpha = find(indexer, "Alpha");
        ASSERT_NE(alpha, nullptr);
        EXPECT_EQ(alpha->creators, std::vector<std::string>{"Ann"});
        EXPECT_EQ(alpha->description, "Wide echo");
        EXPECT_EQ(alpha->features, (std::vector<std::string>{"Wide", "Dark"}));
        EXPECT_FALSE(alpha->flagsSet);

        const DiscoveredPreset* beta = find(indexer, "Beta");
        ASSERT_NE(beta, nullptr);
        EXPECT_FALSE(beta->flagsSet);
        EXPECT_TRUE(beta->creators.empty());
        EXPECT_TRUE(beta->features.empty());

        const DiscoveredPreset* gamma = find(indexer, "Gamma");
        ASSERT_NE(gamma, nullptr);
        EXPECT_TRUE(gamma->flagsSet);
        EXPECT_EQ(gamma->flags, 11u);
    }
}

TEST_F(PresetDiscoveryProvider, AsksForOtherThanAnExistingFileFail) {
    storeFolder(presets_);
    writePreset(presets_ + "\\Alpha.ztp", "");
    ASSERT_TRUE(test::writeWholeFile(presets_ + "\\Broken.ztp", std::string("\0\xff\x01", 3)));
    PresetIndexer indexer;
    ASSERT_TRUE(indexer.open(&factory_.factory, kPluginId));
    const std::string alpha = toHostPath(presets_ + "\\Alpha.ztp");
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, toHostPath(presets_).c_str()));
    EXPECT_FALSE(
        indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, toHostPath(presets_ + "\\Sub").c_str()));
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, (alpha + "x").c_str()));
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, nullptr));
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, alpha.c_str()));
    EXPECT_TRUE(indexer.presets().empty());

    // A file with unreadable metadata is still a preset, named after the file.
    ASSERT_TRUE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                    toHostPath(presets_ + "\\Broken.ztp").c_str()));
    ASSERT_EQ(indexer.presets().size(), 1u);
    EXPECT_EQ(indexer.presets()[0].name, "Broken");
    EXPECT_TRUE(indexer.violations().empty());
}

// A host that cached the declarations may ask for metadata without init:
// the answer is the same, favourites included.
TEST_F(PresetDiscoveryProvider, AnswersWithoutInit) {
    storeFolder(presets_);
    writePreset(presets_ + "\\Alpha.ztp", "");
    ASSERT_TRUE(test::writeWholeFile(presets_ + "\\Favorites.txt", "Alpha.ztp\n"));
    PresetIndexer indexer;
    ASSERT_TRUE(indexer.create(&factory_.factory, kPluginId));
    ASSERT_TRUE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                    toHostPath(presets_ + "\\Alpha.ztp").c_str()));
    ASSERT_EQ(indexer.presets().size(), 1u);
    EXPECT_EQ(indexer.presets()[0].flags, 11u);
    EXPECT_TRUE(indexer.violations().empty());
}

// CLAP makes the provider not thread-safe: a call while another runs (here
// from inside the receiver) is refused, and a destroy there is carried out
// as the running call returns.
TEST_F(PresetDiscoveryProvider, TakesOneCallAtATime) {
    storeFolder(presets_);
    writePreset(presets_ + "\\Alpha.ztp", "");
    const std::string alpha = toHostPath(presets_ + "\\Alpha.ztp");
    struct Reentry {
        const clap_preset_discovery_provider_t* provider = nullptr;
        const char* location = nullptr;
        bool innerAnswered = true;
        bool destroyInside = false;
        int presets = 0;
    } reentry;
    reentry.location = alpha.c_str();
    clap_preset_discovery_metadata_receiver_t receiver{};
    receiver.receiver_data = &reentry;
    receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* self, const char*,
                               const char*) {
        auto& r = *static_cast<Reentry*>(self->receiver_data);
        ++r.presets;
        r.innerAnswered =
            r.provider->init(r.provider) ||
            r.provider->get_metadata(r.provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, r.location, self) ||
            r.provider->get_extension(r.provider, "clap.anything") != nullptr;
        if (r.destroyInside) r.provider->destroy(r.provider);
        return true;
    };
    clap_preset_discovery_indexer_t host{};
    host.clap_version = CLAP_VERSION_INIT;
    for (bool destroyInside : {false, true}) {
        SCOPED_TRACE(destroyInside ? "destroyed inside" : "destroyed after");
        reentry = Reentry{nullptr, alpha.c_str(), true, destroyInside, 0};
        reentry.provider = factory_.factory.create(&factory_.factory, &host, kPluginId);
        ASSERT_NE(reentry.provider, nullptr);
        EXPECT_TRUE(reentry.provider->get_metadata(reentry.provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                                   alpha.c_str(), &receiver));
        EXPECT_EQ(reentry.presets, 1);
        EXPECT_FALSE(reentry.innerAnswered);
        // The sanitizer build's leak check sees that it is gone either way.
        if (!destroyInside) reentry.provider->destroy(reentry.provider);
    }
}

} // namespace
