#include "plugin/GenericPluginBase.h"
#include "plugin/GenericPluginProcessor.h"
#include "plugin/tests/TestProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A plug-in base that records what reading a state block does to it.
class RecordingPluginBase : public GenericPluginBase {
public:
    struct Change {
        int32_t index;
        float value;
        int32_t flags;
    };

    RecordingPluginBase() : GenericPluginBase(collection) {}

    void beginUpdate() override { ++begins; }
    void endUpdate() override { ++ends; }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t index, float value, int32_t flags) override {
        changes.push_back({index, value, flags});
    }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override { ++lightResets; }
    void requestFullReset() override { ++fullResets; }

    std::vector<float> values() const {
        std::vector<float> result;
        collection.getValues(result);
        return result;
    }

    ParameterCollection collection;
    std::vector<Change> changes;
    int begins = 0;
    int ends = 0;
    int lightResets = 0;
    int fullResets = 0;
};

// N float parameters (range 0..1, default 0.25).
class FloatsBase : public RecordingPluginBase {
public:
    explicit FloatsBase(int count) {
        for (int i = 0; i < count; ++i) {
            parameters.push_back(std::make_unique<FloatPluginParameter>(this, "P" + std::to_string(i)));
            parameters.back()->setDefault(0.25f);
        }
    }
    void set(const std::vector<float>& values) {
        for (size_t i = 0; i < values.size(); ++i)
            parameters[i]->initValue(values[i]);
    }
    std::vector<std::unique_ptr<FloatPluginParameter>> parameters;
};

// A float, an indexed and an index-table parameter, each with its own range.
enum class Shape : int32_t { kA = 10, kB = 20, kC = 30 };

class MixedBase : public RecordingPluginBase {
public:
    MixedBase() {
        level.setRange(-2.0f, 3.0f);
        level.setDefault(0.5f);
        steps.setRange(1, 4);
        steps.setDefault(2);
        shape.setIndexTable({10, 20, 30}, 0);
        shape.setRange(0, 2);
        shape.setDefault(1);
    }
    FloatPluginParameter level{this, "Level"};
    IndexedPluginParameter<int> steps{this, "Steps"};
    IndexedPluginParameter<Shape> shape{this, "Shape"};
};

std::string stateOf(const GenericPluginBase& base) {
    std::ostringstream stream;
    EXPECT_TRUE(base.writeParameterState(stream));
    return stream.str();
}

std::string blockOf(uint32_t count, const std::vector<float>& values) {
    std::string bytes = "ZTBS";
    auto word = [&bytes](uint32_t w) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(w >> (8 * i)));
    };
    word(1);
    word(count);
    for (float v : values) {
        uint32_t w = 0;
        std::memcpy(&w, &v, 4);
        word(w);
    }
    return bytes;
}

bool readInto(GenericPluginBase& base, const std::string& bytes) {
    std::istringstream stream(bytes);
    return base.readParameterState(stream);
}

TEST(ParameterState, WritesTheExactBlock) {
    FloatsBase base(3);
    base.set({0.0f, 1.0f, 0.5f});
    const std::string bytes = stateOf(base);
    const unsigned char expected[] = {0x5A, 0x54, 0x42, 0x53, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x3F};
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected), sizeof expected));
}

TEST(ParameterState, StoresEachValueAsGetValueAndReadsItBackQuietly) {
    MixedBase source;
    source.level.initValue(-1.5f);
    source.steps.initValue(4);
    source.shape.initValue(2);
    const std::string bytes = stateOf(source);
    // An indexed parameter stores its index, not a normalised value.
    EXPECT_EQ(bytes, blockOf(3, {-1.5f, 4.0f, 2.0f}));

    MixedBase target;
    EXPECT_TRUE(readInto(target, bytes));
    EXPECT_EQ(target.values(), (std::vector<float>{-1.5f, 4.0f, 2.0f}));
    EXPECT_EQ(target.shape.getTypedValue(), Shape::kC);
    ASSERT_EQ(target.changes.size(), 3u);
    for (const auto& change : target.changes)
        EXPECT_EQ(change.flags, kParameterChangeNotToHost) << "parameter " << change.index;
    EXPECT_EQ(target.begins, 1);
    EXPECT_EQ(target.ends, 1);
    EXPECT_EQ(target.lightResets, 1);
    EXPECT_EQ(target.fullResets, 0);

    // The version is not checked.
    std::string later = bytes;
    later[4] = 7;
    MixedBase third;
    EXPECT_TRUE(readInto(third, later));
    EXPECT_EQ(third.values(), target.values());
}

TEST(ParameterState, FewerValuesGiveDefaultsAndMoreAreSkipped) {
    // 10 values into 12 parameters: 10 set, 10 and 11 back to their defaults.
    std::vector<float> ten(10);
    for (int i = 0; i < 10; ++i)
        ten[i] = 0.05f * float(i + 1);
    FloatsBase twelve(12);
    twelve.set(std::vector<float>(12, 0.9f));
    EXPECT_TRUE(readInto(twelve, blockOf(10, ten)));
    std::vector<float> expected = ten;
    expected.push_back(0.25f);
    expected.push_back(0.25f);
    EXPECT_EQ(twelve.values(), expected);

    // 14 values into 12 parameters: 12 set, 2 read and dropped, and the
    // stream stands right after the block.
    std::vector<float> fourteen(14);
    for (int i = 0; i < 14; ++i)
        fourteen[i] = 0.06f * float(i + 1);
    FloatsBase other(12);
    std::istringstream stream(blockOf(14, fourteen) + "NEXT");
    EXPECT_TRUE(other.readParameterState(stream));
    EXPECT_EQ(other.values(), std::vector<float>(fourteen.begin(), fourteen.begin() + 12));
    char next[4] = {};
    stream.read(next, 4);
    EXPECT_EQ(std::string(next, 4), "NEXT");
}

TEST(ParameterState, RefusesAnyOtherTagWithoutTouchingAnything) {
    const std::string body = blockOf(1, {0.75f}).substr(4);
    const std::string tags[] = {std::string("ZTB\0", 4), "ZTBs", "ZTCM", "SBTZ", "", "ZT"};
    for (const std::string& tag : tags) {
        FloatsBase base(1);
        base.set({0.5f});
        EXPECT_FALSE(readInto(base, tag + body)) << tag;
        EXPECT_EQ(base.values(), std::vector<float>{0.5f});
        EXPECT_EQ(base.begins + base.ends + base.lightResets, 0) << tag;
    }

    // A stream that has already failed has no tag.
    FloatsBase base(1);
    std::istringstream stream(blockOf(1, {0.75f}));
    stream.setstate(std::ios::failbit);
    EXPECT_FALSE(base.readParameterState(stream));
    EXPECT_EQ(base.lightResets, 0);
}

// Cut anywhere, a block gives false, sets exactly the values it holds in
// full, leaves the parameters it did not reach as they were (no defaults),
// and still ends its batch with a light reset once the tag was read.
TEST(ParameterState, StopsAtTheFirstFailedReadWhereverTheBlockEnds) {
    const std::vector<float> before = {0.1f, 0.2f, 0.3f};
    const std::vector<float> stored = {0.7f, 0.8f, 0.9f};
    const std::string whole = blockOf(3, stored);
    ASSERT_EQ(whole.size(), 24u);
    for (size_t length = 0; length < whole.size(); ++length) {
        FloatsBase base(3);
        base.set(before);
        EXPECT_FALSE(readInto(base, whole.substr(0, length))) << length;
        const size_t complete = length >= 12 ? (length - 12) / 4 : 0;
        std::vector<float> expected = before;
        for (size_t i = 0; i < complete; ++i)
            expected[i] = stored[i];
        EXPECT_EQ(base.values(), expected) << length;
        EXPECT_EQ(base.begins, base.ends) << length;
        EXPECT_EQ(base.lightResets, length >= 4 ? 1 : 0) << length;
    }
}

TEST(ParameterState, AHugeCountOverAShortBlockCostsOnlyTheData) {
    FloatsBase base(4);
    base.set({0.1f, 0.2f, 0.3f, 0.4f});
    EXPECT_FALSE(readInto(base, blockOf(0xFFFFFFFFu, {0.6f, 0.7f})));
    EXPECT_EQ(base.values(), (std::vector<float>{0.6f, 0.7f, 0.3f, 0.4f}));
    EXPECT_EQ(base.lightResets, 1);
    EXPECT_EQ(base.begins, 1);
    EXPECT_EQ(base.ends, 1);
}

TEST(ParameterState, HostileValuesStayInRange) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        float level;
        float steps;
        float shape;
    };
    const Case cases[] = {
        {nan, -2.0f, 1.0f, 0.0f},  {inf, 3.0f, 4.0f, 2.0f},     {-inf, -2.0f, 1.0f, 0.0f},
        {1e30f, 3.0f, 4.0f, 2.0f}, {-1e30f, -2.0f, 1.0f, 0.0f}, {2.5f, 2.5f, 2.0f, 2.0f},
    };
    for (const Case& c : cases) {
        MixedBase base;
        EXPECT_TRUE(readInto(base, blockOf(3, {c.value, c.value, c.value}))) << c.value;
        EXPECT_EQ(base.values(), (std::vector<float>{c.level, c.steps, c.shape})) << c.value;
        const Shape typed = base.shape.getTypedValue();
        EXPECT_TRUE(typed == Shape::kA || typed == Shape::kB || typed == Shape::kC) << c.value;
    }
}

TEST(ParameterState, OnAProcessorQueuesTheValuesAndOneLightResetWithoutReports) {
    test::TestProcessor processor;
    test::TestAdapter adapter;
    processor.setAdapter(&adapter);
    ParameterChange change;
    while (processor.getParameterQueue().pop(change)) {
    }

    EXPECT_TRUE(readInto(processor, blockOf(3, {1.0f, 1.0f, 0.5f})));
    std::vector<int32_t> indices;
    while (processor.getParameterQueue().pop(change))
        indices.push_back(change.index);
    EXPECT_EQ(indices, (std::vector<int32_t>{0, 1, 2, GenericPluginProcessor::kLightResetIndex}));
    EXPECT_TRUE(adapter.changedParameters.empty());
    EXPECT_FALSE(processor.isSuspended());
}

// One controller moves a group and keeps the spacing the user gave it, even
// through a clamp; moving a target by hand gives it a new offset.
TEST(MidiMultiVirtualPluginParameter, MovesTargetsTogetherKeepingTheirSpacing) {
    FloatsBase base(2);
    base.set({0.2f, 0.6f});
    MidiMultiVirtualPluginParameter group(base, "Group");
    EXPECT_EQ(group.getIndex(), MidiVirtualPluginParameter::kIndexBase);
    group.addParameter(base.parameters[0].get());
    group.addParameter(base.parameters[1].get());
    group.addParameter(base.parameters[0].get()); // once only: moves to the end
    ASSERT_EQ(group.getTargets().size(), 2u);
    EXPECT_EQ(group.getTargets()[0], base.parameters[1].get());

    auto values = [&] {
        return std::vector<float>{base.parameters[0]->getValue(), base.parameters[1]->getValue()};
    };
    group.setValue(0.5f);
    EXPECT_NEAR(values()[0], 0.3f, 1e-6f);
    EXPECT_NEAR(values()[1], 0.7f, 1e-6f);
    group.setValue(0.9f);
    EXPECT_NEAR(values()[0], 0.7f, 1e-6f);
    EXPECT_EQ(values()[1], 1.0f);
    group.setValue(0.5f);
    EXPECT_NEAR(values()[0], 0.3f, 1e-6f);
    EXPECT_NEAR(values()[1], 0.7f, 1e-6f);
    for (const auto& change : base.changes)
        EXPECT_EQ(change.flags, 0) << "changes are reported to the host";

    base.parameters[1]->setValue(0.5f, 0); // moved by hand: spacing now 0.2
    group.setValue(0.5f);
    EXPECT_NEAR(values()[0], 0.4f, 1e-6f);
    EXPECT_NEAR(values()[1], 0.6f, 1e-6f);

    MidiMultiVirtualPluginParameter second(base, "Second");
    EXPECT_EQ(base.getMidiVirtualParameter(1), &second);
    EXPECT_EQ(second.getIndex(), MidiVirtualPluginParameter::kIndexBase + 1);
    second.setValue(0.5f); // no targets: nothing happens
}

TEST(GenericPluginInfo, FlagsAndKinds) {
    FloatsBase base(0);
    base.pluginKind = GenericPluginInfo::kDelay;
    base.pluginFlags = GenericPluginInfo::kFlagSideChainInput | GenericPluginInfo::kFlagPresetDiscoveryId;
    EXPECT_EQ(base.pluginFlags, 0x1008u);
    EXPECT_FALSE(base.isInstrument());
    EXPECT_TRUE(base.sideChainEnabled());
    base.setSideChainFlag(false);
    EXPECT_FALSE(base.sideChainEnabled());
    base.setSideChainFlag(true);
    base.pluginFlags = GenericPluginInfo::kFlagEditorMidiQueue;
    EXPECT_FALSE(base.sideChainEnabled()) << "without flag 8 there is no side chain";

    EXPECT_EQ(base.getChannelLayout(), 1);
    EXPECT_EQ(base.getNumChannels(), 2);
    EXPECT_FALSE(base.setChannelLayout(29));
    EXPECT_FALSE(base.setChannelLayout(-1));
    EXPECT_EQ(base.getChannelLayout(), 1);
    EXPECT_TRUE(base.setChannelLayout(16));
    EXPECT_EQ(base.getNumChannels(), 16);
}

} // namespace
