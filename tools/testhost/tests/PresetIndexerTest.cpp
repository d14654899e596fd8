#include "tools/testhost/PresetIndexer.h"

#include "tools/testhost/tests/GainFixtureRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class PresetIndexerTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = test::loadFixture(test::FixtureSource::kModuleFile);
        ASSERT_TRUE(module_);
        folder_ = std::filesystem::temp_directory_path() /
                  ("varnel-indexer-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "More");
        write("Half.vgp", "name=Half\ngain=0.5\ncreator=Tester\n");
        write("More/Loud.VGP", "name=Loud\ngain=2\nfavorite=1\n");
        write("notes.txt", "gain=1\n"); // not of the declared type
        folderText_ = folder_.string();
        control_.presetFolder = folderText_.c_str();
        indexer_.addExtension(VARNEL_GAIN_FIXTURE_CONTROL, &control_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::unique_ptr<ClapModule> module_;
    std::filesystem::path folder_;
    std::string folderText_;
    GainFixtureControl control_;
    PresetIndexer indexer_;
};

TEST_F(PresetIndexerTest, CrawlsTheDeclaredLocationForFilesOfTheDeclaredType) {
    ASSERT_TRUE(indexer_.open(module_->presetDiscoveryFactory(), VARNEL_GAIN_FIXTURE_PROVIDER_ID));
    ASSERT_EQ(indexer_.filetypes().size(), 1u);
    EXPECT_EQ(indexer_.filetypes()[0].extension, "vgp");
    ASSERT_EQ(indexer_.locations().size(), 1u);
    EXPECT_EQ(indexer_.locations()[0].kind, uint32_t{CLAP_PRESET_DISCOVERY_LOCATION_FILE});
    EXPECT_EQ(indexer_.locations()[0].location, folderText_);

    EXPECT_EQ(indexer_.crawl(), 0);
    const auto& presets = indexer_.presets();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].name, "Half");
    EXPECT_EQ(presets[0].location, path("Half.vgp"));
    EXPECT_FALSE(presets[0].hasLoadKey);
    EXPECT_EQ(presets[0].creators, std::vector<std::string>{"Tester"});
    EXPECT_EQ(presets[0].flags, uint32_t{CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT});
    EXPECT_EQ(presets[1].name, "Loud");
    EXPECT_EQ(presets[1].flags,
              uint32_t{CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT | CLAP_PRESET_DISCOVERY_IS_FAVORITE});
    for (const auto& preset : presets)
        EXPECT_EQ(preset.pluginIds,
                  (std::vector<std::pair<std::string, std::string>>{{"clap", VARNEL_GAIN_FIXTURE_ID}}));
    EXPECT_TRUE(indexer_.violations().empty());
}

TEST_F(PresetIndexerTest, FailedRequestsAndMisorderedCallsAreReported) {
    ASSERT_TRUE(indexer_.open(module_->presetDiscoveryFactory(), VARNEL_GAIN_FIXTURE_PROVIDER_ID));
    write("Broken.vgp", "name=Broken\n");
    EXPECT_EQ(indexer_.crawl(), 1);
    ASSERT_EQ(indexer_.errors().size(), 1u);
    EXPECT_NE(indexer_.errors()[0].find("Broken.vgp: 1 no gain in the preset"), std::string::npos);
    EXPECT_FALSE(indexer_.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, folderText_.c_str())); // a folder
    EXPECT_FALSE(indexer_.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, path("Missing.vgp").c_str()));
    EXPECT_TRUE(indexer_.violations().empty());

    control_.faults = kFaultMetadataBeforeBeginPreset;
    EXPECT_TRUE(indexer_.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, path("Half.vgp").c_str()));
    ASSERT_EQ(indexer_.violations().size(), 1u);
    EXPECT_NE(indexer_.violations()[0].find("add_creator before begin_preset"), std::string::npos);
}

TEST_F(PresetIndexerTest, RefusedDeclarationsAndUnknownProvidersFailToOpen) {
    PresetIndexer other;
    EXPECT_FALSE(other.open(module_->presetDiscoveryFactory(), "varnel.test.no-such-provider"));
    EXPECT_FALSE(other.provider());

    indexer_.refuseDeclarationsAfter(1); // the file type, not the location
    EXPECT_FALSE(indexer_.open(module_->presetDiscoveryFactory(), VARNEL_GAIN_FIXTURE_PROVIDER_ID));
    EXPECT_EQ(indexer_.locations().size(), 0u);
}

} // namespace
