// The factory content the effect carries in its setup bundle: a fresh
// instance extracts it and starts on "Default Setting"; every factory and
// section preset loads and saves back to the same bytes; every full preset
// keeps a noise burst finite, below +12 dBFS, and lets it die away. The
// presets' sources write every value whose text the host sees with a unit
// with that unit, and the levels a full preset loads are the ones its source
// states.

#include "effect/VarnelProcessor.h"
#include "effect/tests/VarnelFixture.h"
#include "foundation/SetupBundle.h"
#include "foundation/tests/TestFiles.h"
#include "plugin/CollectionPresetLoader.h"
#include "plugin/PluginParameterUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test::fsPath;

std::string readBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Every file below a folder, by '/'-separated relative path.
std::map<std::string, std::string> filesBelow(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code code;
    for (auto it = fs::recursive_directory_iterator(folder, code);
         !code && it != fs::recursive_directory_iterator(); it.increment(code))
        if (it->is_regular_file())
            files[it->path().lexically_relative(folder).generic_string()] = readBytes(it->path());
    return files;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// One "name = value" line of a preset source.
struct SourceLine {
    int number = 0;
    std::string name;
    std::string value;
};

// The factory presets' sources (resources/presets/ of the source tree; the
// test runner sets VARNEL_SOURCE_DIR), by the path of the preset each one
// becomes ("_1 Basics/Slapback.ztp"): their lines, read here apart from the
// generator.
std::map<std::string, std::vector<SourceLine>> presetSources() {
    std::map<std::string, std::vector<SourceLine>> sources;
    const char* root = std::getenv("VARNEL_SOURCE_DIR");
    if (root == nullptr) return sources;
    const fs::path folder = fsPath(root) / "resources" / "presets";
    for (const auto& [name, text] : filesBelow(folder)) {
        if (!endsWith(name, ".txt")) continue;
        std::vector<SourceLine>& lines = sources[name.substr(0, name.size() - 4)];
        int number = 0;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            const std::string_view row = trim(std::string_view(text).substr(start, end - start));
            start = end + 1;
            ++number;
            const size_t equals = row.find('=');
            if (row.empty() || row.front() == '#' || equals == std::string_view::npos) continue;
            lines.push_back({number, std::string(trim(row.substr(0, equals))),
                             std::string(trim(row.substr(equals + 1)))});
        }
    }
    return sources;
}

// A text that starts with a number as the parameters read one ("," for the
// point): the number and the words after it.
bool splitNumber(std::string text, double& number, std::string& rest) {
    std::replace(text.begin(), text.end(), ',', '.');
    size_t at = 0;
    if (readTypedNumber(text, at, number) != TypedNumber::kRead) return false;
    rest = std::string(trim(std::string_view(text).substr(at)));
    return true;
}

bool isBareNumber(const std::string& text) {
    double number = 0.0;
    std::string rest;
    return splitNumber(text, number, rest) && rest.empty();
}

// The units in which a parameter shows its values to the host: the words
// after the number in its value texts across the range ("ms" and "sec" for a
// time; none for a plain number, nor for a parameter with value names).
std::set<std::string> unitsShown(const AbstractPluginParameter& p) {
    std::set<std::string> units;
    if (!p.isContinuous()) return units;
    for (int k = 0; k <= 8; ++k) {
        double number = 0.0;
        std::string rest;
        if (splitNumber(p.valueToText(p.fromLinearNormalized(k / 8.0f), 0), number, rest) && !rest.empty())
            units.insert(rest);
    }
    return units;
}

// The presets of the bundle this test program carries, as the plug-in
// carries it.
std::map<std::string, std::string> bundledPresets() {
    test::TemporaryFolder folder("factorycontent");
    EXPECT_TRUE(installSetupDocs(folder.path(), "FactoryPresets", true));
    return filesBelow(fsPath(folder.path()));
}

// Value i of a binary preset (NaN beyond its end).
float valueAt(const std::string& preset, int32_t i) {
    const size_t at = 12 + 4 * static_cast<size_t>(i);
    float value = NAN;
    if (at + 4 <= preset.size()) std::memcpy(&value, preset.data() + at, 4);
    return value;
}

// Renders a half-second noise burst at -6 dBFS and five and a half seconds
// of silence through a fresh processor given the preset's values (as the
// adapter hands them over). Per block: the stereo energy; peak: the largest
// magnitude, infinite when a sample was not finite.
std::vector<double> renderBurst(const std::string& preset, float& peak) {
    constexpr float kRate = 48000.0f;
    constexpr size_t kBlock = 512;
    const size_t burst = static_cast<size_t>(kRate / 2);
    const size_t total = static_cast<size_t>(kRate * 6);
    auto processor = std::make_unique<VarnelProcessor>();
    processor->activate(kRate);
    processor->reset();
    processor->tempoChanged(120.0f, 0.0f);
    uint32_t count = 0;
    std::memcpy(&count, preset.data() + 8, 4);
    EXPECT_EQ(count, static_cast<uint32_t>(processor->getNumParameters()));
    for (uint32_t i = 0; i < count && 12 + 4 * size_t(i) + 4 <= preset.size(); ++i) {
        float value = 0.0f;
        std::memcpy(&value, preset.data() + 12 + 4 * size_t(i), 4);
        processor->getParameter(static_cast<int32_t>(i))->setValue(value, 0);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    std::vector<double> energy;
    peak = 0.0f;
    for (size_t at = 0; at < total; at += kBlock) {
        for (size_t i = 0; i < kBlock; ++i) {
            left[i] = at + i < burst ? noise(random) : 0.0f;
            right[i] = at + i < burst ? noise(random) : 0.0f;
        }
        const float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        processor->process(in, 2, out, 2, static_cast<int32_t>(kBlock), nullptr);
        double sum = 0.0;
        for (size_t i = 0; i < kBlock; ++i) {
            if (!std::isfinite(outLeft[i]) || !std::isfinite(outRight[i])) {
                peak = INFINITY;
                return energy;
            }
            peak = std::max({peak, std::fabs(outLeft[i]), std::fabs(outRight[i])});
            sum += double(outLeft[i]) * outLeft[i] + double(outRight[i]) * outRight[i];
        }
        energy.push_back(sum);
    }
    return energy;
}

TEST(FactoryContent, EveryFullPresetKeepsANoiseBurstFiniteAndLetsItDie) {
    const float kPlus12dB = 3.98107f;
    int rendered = 0;
    for (const auto& [name, bytes] : bundledPresets()) {
        if (!endsWith(name, ".ztp")) continue;
        ++rendered;
        SCOPED_TRACE(name);
        // Loads keep "Delay Freeze" and "Dry Enabled": no preset may need
        // other values than their defaults (off, and on).
        EXPECT_EQ(valueAt(bytes, VarnelParameters::kDelayFreezeIndex), 0.0f);
        EXPECT_EQ(valueAt(bytes, VarnelParameters::kDryEnabledIndex), 1.0f);
        float peak = 0.0f;
        const std::vector<double> energy = renderBurst(bytes, peak);
        ASSERT_TRUE(std::isfinite(peak));
        EXPECT_LT(peak, kPlus12dB);
        // The last half second holds far less than the half second after
        // the burst.
        const size_t half = energy.size() / 12;
        double early = 0.0;
        double late = 0.0;
        for (size_t i = 0; i < half; ++i) {
            early += energy[half + i];
            late += energy[energy.size() - half + i];
        }
        EXPECT_LT(late, early * 0.01) << "early " << early << ", late " << late;
    }
    EXPECT_GE(rendered, 13); // "Default Setting" and at least 12 factory presets
}

class FactoryContentModelTest : public test::VarnelTest {
protected:
    // The presets the first instance extracted, by relative path.
    std::map<std::string, std::string> extractedPresets() { return filesBelow(fsPath(presetFolder())); }
};

TEST_F(FactoryContentModelTest, AFreshInstanceExtractsTheBundleAndStartsOnTheDefaultSetting) {
    auto plugin = makeVarnel();
    const std::map<std::string, std::string> presets = extractedPresets();
    EXPECT_EQ(presets, bundledPresets());
    ASSERT_EQ(presets.count("Default Setting.ztp"), 1u);
    for (const auto& folder : VarnelPlugin::kComponentFolders)
        EXPECT_EQ(
            presets.count(std::string("Component Presets/") + folder.name + "/Default" + folder.extension),
            1u)
            << folder.name;
    const std::map<std::string, std::string> documents =
        filesBelow(fsPath(GenericPlugin::getProductFolder()));
    ASSERT_EQ(documents.count("Varnel Help.html"), 1u);

    EXPECT_EQ(plugin->getCurrentPreset().getName(), "Default Setting");
    EXPECT_EQ(plugin->getMainCollection().binaryBytes(VarnelPlugin::kPresetVersion),
              presets.at("Default Setting.ztp"));
    // The "Default" delay and filter presets are the Default Setting's
    // sections.
    EXPECT_EQ(
        plugin->getParameterCollection(VarnelPlugin::kDelays, 0)->binaryBytes(VarnelPlugin::kPresetVersion),
        presets.at("Component Presets/Delays/Default.delays"));
    EXPECT_EQ(
        plugin->getParameterCollection(VarnelPlugin::kFilters, 0)->binaryBytes(VarnelPlugin::kPresetVersion),
        presets.at("Component Presets/Filters/Default.filters"));
    // Declared defaults but for the two lines' times, pans and feedback.
    const std::map<std::string, std::string> changed = {
        {"Delay 1 Time", "375 ms"}, {"Delay 1 Pan", "-1"}, {"Delay 1 Feedback", "0.35"},
        {"Delay 2 Time", "500 ms"}, {"Delay 2 Pan", "1"},  {"Delay 2 Feedback", "0.35"},
    };
    for (int32_t i = 0; i < plugin->getNumParameters(); ++i) {
        const AbstractPluginParameter& p = *plugin->getParameter(i);
        auto it = changed.find(p.getName());
        if (it == changed.end()) {
            EXPECT_EQ(p.getValue(), p.getDefault()) << p.getName();
            continue;
        }
        float expected = 0.0f;
        ASSERT_TRUE(p.textToValue(it->second, expected)) << p.getName();
        EXPECT_FLOAT_EQ(p.getValue(), expected) << p.getName();
        EXPECT_NE(p.getValue(), p.getDefault()) << p.getName();
    }
}

TEST_F(FactoryContentModelTest, EveryFactoryAndSectionPresetLoadsAndSavesBackToTheSameBytes) {
    auto plugin = makeVarnel();
    int factoryPresets = 0;
    for (const auto& [name, bytes] : extractedPresets()) {
        SCOPED_TRACE(name);
        if (endsWith(name, ".ztp")) {
            if (name.find('/') != std::string::npos) ++factoryPresets;
            const ErrorResult result = load(*plugin, bytes);
            EXPECT_EQ(result.getErrorCode(), 0) << result.getErrorMessage();
            EXPECT_EQ(plugin->getMainCollection().binaryBytes(VarnelPlugin::kPresetVersion), bytes);
            continue;
        }
        int32_t kind = -1;
        for (int32_t k = 0; k < VarnelPlugin::kNumComponentKinds; ++k)
            if (endsWith(name, VarnelPlugin::kComponentFolders[k].extension)) kind = k;
        ASSERT_GE(kind, 0) << "a file of no preset kind";
        // A section preset loads into every set of its kind.
        std::string path = presetFolder() + name;
        std::replace(path.begin(), path.end(), '/', '\\');
        const PresetCacheEntry entry(path);
        for (int32_t i = 0; i < VarnelPlugin::kComponentFolders[kind].collections; ++i) {
            PresetParameterCollection& collection = *plugin->getParameterCollection(kind, i);
            ErrorResult result;
            loadPresetFromEntry(collection, result, entry, -1);
            EXPECT_EQ(result.getErrorCode(), 0) << i << ": " << result.getErrorMessage();
            EXPECT_EQ(collection.binaryBytes(VarnelPlugin::kPresetVersion), bytes) << i;
        }
    }
    EXPECT_GE(factoryPresets, 12);
    EXPECT_LE(factoryPresets, 20);
}

TEST_F(FactoryContentModelTest, NoSourceWritesABareNumberWhereTheHostSeesAUnit) {
    auto plugin = makeVarnel();
    // What the rule takes as a unit is what the host's value texts carry.
    const std::map<std::string, std::set<std::string>> shown = {
        {"Wet Level", {"dB"}},     {"Input Level", {"dB"}},   {"Delay 1 Time", {"ms", "sec"}},
        {"Filter 1 Freq", {"Hz"}}, {"Filter 1 Pan", {"oct"}}, {"EF 1 Attack", {"ms", "sec"}},
        {"Delay 1 Feedback", {}},  {"Delay 1 Pan", {}},       {"Filter 1 Slope", {}},
    };
    for (const auto& [name, units] : shown) {
        const AbstractPluginParameter* p = plugin->findParameter(name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(unitsShown(*p), units) << name;
    }

    const std::map<std::string, std::vector<SourceLine>> sources = presetSources();
    ASSERT_FALSE(sources.empty()) << "no preset sources below VARNEL_SOURCE_DIR";
    for (const auto& [preset, lines] : sources) {
        for (const SourceLine& line : lines) {
            const AbstractPluginParameter* p = plugin->findParameter(line.name);
            ASSERT_NE(p, nullptr) << preset << " line " << line.number << ": " << line.name;
            if (unitsShown(*p).empty()) continue;
            float read = 0.0f;
            p->textToValue(line.value, read);
            EXPECT_FALSE(isBareNumber(line.value))
                << preset << " line " << line.number << ": \"" << line.name << " = " << line.value
                << "\" has no unit; it reads as " << p->valueToText(read, 0);
        }
    }
}

// Every full preset loads the input and wet level its source states (in dB,
// read here as the number it writes), and the default where it states none.
TEST_F(FactoryContentModelTest, EveryFullPresetLoadsTheInputAndWetLevelItsSourceStates) {
    auto plugin = makeVarnel();
    const std::map<std::string, std::string> presets = extractedPresets();
    int fullPresets = 0;
    for (const auto& [preset, lines] : presetSources()) {
        if (!endsWith(preset, ".ztp")) continue;
        ++fullPresets;
        SCOPED_TRACE(preset);
        ASSERT_EQ(presets.count(preset), 1u);
        const ErrorResult result = load(*plugin, presets.at(preset));
        ASSERT_EQ(result.getErrorCode(), 0) << result.getErrorMessage();
        for (const std::string name : {"Input Level", "Wet Level"}) {
            const AbstractPluginParameter& p = *plugin->findParameter(name);
            const auto line = std::find_if(lines.begin(), lines.end(),
                                           [&name](const SourceLine& l) { return l.name == name; });
            if (line == lines.end()) {
                EXPECT_EQ(p.getValue(), p.getDefault()) << name;
                continue;
            }
            double stated = 0.0;
            std::string unit;
            ASSERT_TRUE(splitNumber(line->value, stated, unit)) << name << " = " << line->value;
            EXPECT_EQ(unit, "dB") << name << " = " << line->value;
            EXPECT_NEAR(p.normalizedToPlain(p.getValue()), stated, 0.005)
                << name << " = " << line->value << " loads as " << p.valueToText(p.getValue(), 0);
        }
    }
    EXPECT_GE(fullPresets, 13); // "Default Setting" and the factory presets
}

} // namespace
