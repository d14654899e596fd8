#include "plugin/PluginParameter.h"
#include "plugin/tests/RecordingParameterOwner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

using test::RecordingParameterOwner;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

template <class T> struct RecordingListener : ValueAssignable<T> {
    void setValue(T value) override { received.push_back(value); }
    std::vector<T> received;
};

TEST(ParameterTest, RegistersWithItsOwner) {
    RecordingParameterOwner owner;
    FloatPluginParameter first(&owner, "First");
    IndexedPluginParameter<bool> second(&owner, "Second");
    FloatPluginParameter orphan(nullptr, "Orphan");

    EXPECT_EQ(first.getIndex(), 0);
    EXPECT_EQ(second.getIndex(), 1);
    EXPECT_EQ(orphan.getIndex(), -1);
    EXPECT_EQ(owner.getParameter(1), &second);
    EXPECT_EQ(second.getHostName(), "Second");
    EXPECT_FALSE(first.isStepped());
    EXPECT_TRUE(second.isStepped());
}

TEST(ParameterTest, FloatSetValueClampsComparesAndNotifies) {
    RecordingParameterOwner owner;
    FloatPluginParameter p(&owner, "Mix");
    p.initValue(0.5f);

    p.setValue(0.50000005f, 0);
    EXPECT_EQ(p.getValue(), 0.5f);
    EXPECT_TRUE(owner.changes.empty());

    p.setValue(2.0f, kParameterChangeNotToHost);
    EXPECT_EQ(p.getValue(), 1.0f);
    ASSERT_EQ(owner.changes.size(), 1u);
    EXPECT_EQ(owner.changes[0].index, p.getIndex());
    EXPECT_EQ(owner.changes[0].value, 1.0f);
    EXPECT_EQ(owner.changes[0].flags, kParameterChangeNotToHost);

    p.setValue(2.0f, 0);
    EXPECT_EQ(owner.changes.size(), 1u);

    const struct {
        float in;
        float out;
    } cases[] = {{kNaN, 0.0f}, {-kInf, 0.0f}, {kInf, 1.0f}, {-1e30f, 0.0f}, {1e30f, 1.0f}, {0.25f, 0.25f}};
    for (const auto& c : cases) {
        p.setValue(c.in, 0);
        EXPECT_EQ(p.getValue(), c.out) << c.in;
    }
}

TEST(ParameterTest, FloatMappingChainAndDisplayRange) {
    FloatPluginParameter p(nullptr, "Freq");
    p.setUnit(&ParameterUnits::expFreq);
    p.setDisplayRange(std::log2(20.0f), std::log2(20000.0f));

    EXPECT_NEAR(p.normalizedToPlain(0.0f), 20.0f, 1e-3f);
    EXPECT_NEAR(p.normalizedToPlain(1.0f), 20000.0f, 1.0f);
    EXPECT_NEAR(p.normalizedToInternal(1.0f), std::log2(20000.0f), 1e-5f);
    EXPECT_NEAR(p.internalToNormalized(std::log2(20000.0f)), 1.0f, 1e-6f);
    EXPECT_NEAR(p.plainToNormalized(p.normalizedToPlain(0.3f)), 0.3f, 1e-5f);

    RecordingListener<float> listener;
    p.addValueListener(&listener);
    p.applyValue(1.0f);
    ASSERT_EQ(listener.received.size(), 1u);
    EXPECT_NEAR(listener.received[0], std::log2(20000.0f), 1e-5f);
    EXPECT_EQ(p.getValue(), 0.0f); // applyValue does not store
}

TEST(ParameterTest, FloatLinearPositionAndEmptyRange) {
    FloatPluginParameter p(nullptr, "Time");
    p.setRange(5.0f, 5000.0f);
    EXPECT_FLOAT_EQ(p.toLinearNormalized(2502.5f), 0.5f);
    EXPECT_FLOAT_EQ(p.fromLinearNormalized(0.5f), 2502.5f);

    p.setRange(3.0f, 3.0f);
    EXPECT_EQ(p.toLinearNormalized(3.0f), 0.0f);
    EXPECT_EQ(p.getValue(), 3.0f);
}

TEST(ParameterTest, RescaleByRatioOrByDifference) {
    FloatPluginParameter p(nullptr, "Time");
    p.setRange(0.0f, 10.0f);
    EXPECT_FLOAT_EQ(p.rescale(2.0f, 4.0f, 8.0f), 4.0f);
    EXPECT_FLOAT_EQ(p.rescale(3.0f, 0.0f, 1.0f), 4.0f);
}

TEST(ParameterTest, IndexedSetValueClampsInFloatingPointFirst) {
    RecordingParameterOwner owner;
    IndexedPluginParameter<int> p(&owner, "Mode");
    p.setRange(0, 3);

    const struct {
        float in;
        int out;
    } cases[] = {{2.9f, 2}, {-1.0f, 0}, {3.0f, 3},          {kNaN, 0},  {1e30f, 3}, {-1e30f, 0},
                 {kInf, 3}, {-kInf, 0}, {2147483648.0f, 3}, {-0.5f, 0}, {1.0f, 1}};
    for (const auto& c : cases) {
        p.setValue(c.in, 0);
        EXPECT_EQ(p.getValue(), static_cast<float>(c.out)) << c.in;
        EXPECT_EQ(p.getTypedValue(), c.out) << c.in;
    }

    owner.clearRecords();
    p.setValue(1.7f, 0); // index 1 already
    EXPECT_TRUE(owner.changes.empty());
    p.setValue(2.2f, 0);
    ASSERT_EQ(owner.changes.size(), 1u);
    EXPECT_EQ(owner.changes[0].value, 2.0f);
}

TEST(ParameterTest, IndexTableMapsStoredValuesToIndices) {
    IndexedPluginParameter<int> p(nullptr, "Rate");
    p.setRange(0, 2);
    p.setIndexTable({10, 20, 30}, 0);

    EXPECT_EQ(p.internalToNormalized(20.0f), 1.0f);
    EXPECT_EQ(p.internalToNormalized(25.0f), 0.0f); // not in the table: the offset
    EXPECT_EQ(p.internalToNormalized(kNaN), 0.0f);
    EXPECT_EQ(p.internalToNormalized(1e30f), 0.0f);
    EXPECT_EQ(p.normalizedToInternal(2.0f), 30.0f);
    EXPECT_EQ(p.normalizedToInternal(7.0f), 30.0f);

    p.setValue(1.0f, 0);
    EXPECT_EQ(p.getTypedValue(), 20);
    EXPECT_EQ(p.getValue(), 1.0f);

    RecordingListener<int> listener;
    p.addValueListener(&listener);
    p.applyValue(2.0f);
    p.applyValue(kNaN);
    EXPECT_EQ(listener.received, (std::vector<int>{30, 10}));
}

enum class Routing { kSerial, kParallel, kPerChannel };

TEST(ParameterTest, TypedListenersGetStoredValues) {
    IndexedPluginParameter<bool> enabled(nullptr, "Enabled");
    enabled.setIndexTable({0, 5}, 0);
    RecordingListener<bool> flags;
    enabled.addValueListener(&flags);
    enabled.applyValue(1.0f);
    enabled.applyValue(0.0f);
    EXPECT_EQ(flags.received, (std::vector<bool>{true, false}));

    IndexedPluginParameter<Routing> routing(nullptr, "Filter Routing");
    routing.setValueNames("Serial,Parallel,Per Channel");
    routing.setMax(2);
    RecordingListener<Routing> modes;
    routing.addValueListener(&modes);
    routing.applyValue(2.0f);
    EXPECT_EQ(modes.received, std::vector<Routing>{Routing::kPerChannel});
    routing.setValue(1.0f, 0);
    EXPECT_EQ(routing.getTypedValue(), Routing::kParallel);
    EXPECT_EQ(routing.formatValue(routing.getValue()), "Parallel");
}

TEST(ParameterTest, IndexedLinearPositions) {
    IndexedPluginParameter<int> p(nullptr, "Slope");
    p.setRange(0, 3);
    const struct {
        float position;
        float value;
    } cases[] = {{0.5f, 2.0f},  {0.0f, 0.0f}, {1.0f, 3.0f}, {0.16f, 0.0f}, {0.17f, 1.0f},
                 {-5.0f, 0.0f}, {5.0f, 3.0f}, {kNaN, 0.0f}, {kInf, 3.0f},  {-kInf, 0.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(p.fromLinearNormalized(c.position), c.value) << c.position;

    EXPECT_FLOAT_EQ(p.toLinearNormalized(2.0f), 2.0f / 3.0f);
    EXPECT_EQ(p.toLinearNormalized(kNaN), 0.0f);
    EXPECT_EQ(p.toLinearNormalized(1e30f), 1.0f);

    // An empty range gives the minimum and position 0, never a division.
    p.setRange(2, 2);
    EXPECT_EQ(p.fromLinearNormalized(0.7f), 2.0f);
    EXPECT_EQ(p.toLinearNormalized(2.0f), 0.0f);
    p.setValue(kNaN, 0);
    EXPECT_EQ(p.getValue(), 2.0f);
}

TEST(ParameterTest, KeyRanges) {
    IndexedPluginParameter<int> p(nullptr, "Steps");
    p.setRange(0, 10);
    p.addRange(4, 1);
    p.addRange(8, 2);

    EXPECT_EQ(p.rangeBoundForKey(2), 8);
    EXPECT_EQ(p.rangeBoundForKey(5), -1);

    const struct {
        float value;
        int key;
        float position;
    } toPosition[] = {{2.0f, 1, 0.5f}, {6.0f, 2, 0.5f}, {4.0f, 2, 0.0f}, {3.0f, 2, 0.0f},
                      {8.0f, 2, 1.0f}, {9.0f, 3, 0.5f}, {kNaN, 1, 0.0f}};
    for (const auto& c : toPosition)
        EXPECT_FLOAT_EQ(p.toLinearNormalizedInRange(c.value, c.key), c.position)
            << c.value << " key " << c.key;

    const struct {
        float position;
        int key;
        float value;
        bool result;
    } fromPosition[] = {{0.5f, 2, 6.0f, true},  {0.0f, 2, 4.0f, false}, {0.0f, 1, 0.0f, true},
                        {1.0f, 3, 10.0f, true}, {kNaN, 2, 4.0f, false}, {-3.0f, 2, 4.0f, false}};
    for (const auto& c : fromPosition) {
        float value = -1.0f;
        EXPECT_EQ(p.fromLinearNormalizedInRange(c.position, c.key, value), c.result) << c.position;
        EXPECT_EQ(value, c.value) << c.position << " key " << c.key;
    }

    // A key range with upper = lower gives position 0 and its lower bound.
    IndexedPluginParameter<int> empty(nullptr, "Empty");
    empty.setRange(0, 10);
    empty.addRange(4, 1);
    empty.addRange(4, 2);
    EXPECT_EQ(empty.toLinearNormalizedInRange(4.0f, 2), 0.0f);
    float value = -1.0f;
    empty.fromLinearNormalizedInRange(0.9f, 2, value);
    EXPECT_EQ(value, 4.0f);

    // Without ranges both fall back to the whole range.
    IndexedPluginParameter<int> plain(nullptr, "Plain");
    plain.setRange(0, 3);
    EXPECT_TRUE(plain.fromLinearNormalizedInRange(0.5f, 7, value));
    EXPECT_EQ(value, 2.0f);
}

TEST(ParameterTest, IndexedFormatValueClampsAndFallsBackToTheNumber) {
    IndexedPluginParameter<int> named(nullptr, "Switch");
    named.setValueNames("Off,On");
    named.setRange(0, 3);
    IndexedPluginParameter<int> table(nullptr, "Rate");
    table.setRange(0, 3);
    table.setIndexTable({10, 20, 30, 40}, 0);

    const struct {
        const IndexedPluginParameter<int>* p;
        float value;
        const char* text;
    } cases[] = {{&named, 0.0f, "Off"}, {&named, 1.0f, "On"},    {&named, 3.0f, "3"},  {&named, 7.0f, "3"},
                 {&named, kNaN, "Off"}, {&named, -1e30f, "Off"}, {&table, 2.0f, "30"}, {&table, 9e9f, "40"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.p->formatValue(c.value), c.text) << c.value;

    EXPECT_TRUE(named.hasValueNames());
    EXPECT_FALSE(named.isContinuous());
    EXPECT_TRUE(table.isContinuous());
}

TEST(ParameterTest, ValueToTextShortensOrCuts) {
    IndexedPluginParameter<int> indexed(nullptr, "Target");
    indexed.setValueNames("Filter 1 Frequency,Delay");
    EXPECT_EQ(indexed.valueToText(0.0f, 8), "F1 Freq");
    EXPECT_EQ(indexed.valueToText(0.0f, 0), "Filter 1 Frequency");

    FloatPluginParameter continuous(nullptr, "Time");
    continuous.setRange(1.0f, 5000.0f);
    continuous.setUnit(&ParameterUnits::ms);
    EXPECT_EQ(continuous.valueToText(250.0f, 5), "250.0");
    EXPECT_EQ(continuous.valueToText(250.0f, 0), "250.0 ms");
}

TEST(ParameterTest, IndexedTextToValue) {
    IndexedPluginParameter<int> p(nullptr, "Response");
    p.setValueNames("LP,HP,BP");
    p.setRange(0, 2);
    p.initValue(1);

    const struct {
        const char* text;
        bool accepted;
        float value;
    } cases[] = {{"BP", true, 2.0f},        {"bp", true, 2.0f},           {"0", true, 0.0f},
                 {" +2 poles", true, 2.0f}, {"5", false, 1.0f},           {"-1", false, 1.0f},
                 {"Notch", false, 1.0f},    {"99999999999", false, 1.0f}, {"", false, 1.0f}};
    for (const auto& c : cases) {
        float value = -1.0f;
        EXPECT_EQ(p.textToValue(c.text, value), c.accepted) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }

    IndexedPluginParameter<int> table(nullptr, "Rate");
    table.setRange(0, 2);
    table.setIndexTable({10, 20, 30}, 0);
    float value = -1.0f;
    EXPECT_TRUE(table.textToValue("20", value));
    EXPECT_EQ(value, 1.0f);
}

TEST(ParameterTest, TextThatCannotBeReadKeepsTheValue) {
    FloatPluginParameter p(nullptr, "Mix");
    p.initValue(0.25f);
    float value = 0.0f;
    EXPECT_FALSE(p.textToValue("much", value));
    EXPECT_EQ(value, 0.25f);
    EXPECT_EQ(p.getValue(), 0.25f);
}

TEST(ParameterTest, SharedValueNames) {
    const std::vector<std::string> names{"Left", "Right"};
    IndexedPluginParameter<int> a(nullptr, "A");
    IndexedPluginParameter<int> b(nullptr, "B");
    a.setSharedValueNames(&names);
    b.setSharedValueNames(&names);
    EXPECT_EQ(a.formatValue(1.0f), "Right");
    EXPECT_EQ(&a.getValueNames(), &b.getValueNames());
}

// The stored value is shared between threads (the adapter sets processor
// parameters from the main thread); the TSan build checks this.
TEST(ParameterTest, StoredValueIsSafeAcrossThreads) {
    FloatPluginParameter f(nullptr, "F");
    IndexedPluginParameter<int> i(nullptr, "I");
    i.setRange(0, 100);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 0; k < 20000; ++k) {
            f.setValue(static_cast<float>(k % 100) * 0.01f, 0);
            i.setValue(static_cast<float>(k % 101), 0);
        }
        done = true;
    });
    while (!done) {
        const float fv = f.getValue();
        const float iv = i.getValue();
        ASSERT_TRUE(fv >= 0.0f && fv <= 1.0f);
        ASSERT_TRUE(iv >= 0.0f && iv <= 100.0f);
    }
    writer.join();
}

} // namespace
