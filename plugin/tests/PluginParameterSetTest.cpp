#include "plugin/PluginParameterSet.h"
#include "plugin/ParameterCollection.h"
#include "plugin/tests/RecordingParameterOwner.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using test::RecordingParameterOwner;

// A set of n float parameters named set name + " P<k>", range 0..100,
// default 10 * (k + 1).
class TestSet : public PluginParameterSet {
public:
    TestSet(GenericParameterOwner* owner, const std::string& name, int n) : PluginParameterSet(owner, name) {
        for (int k = 0; k < n; ++k) {
            auto p = std::make_unique<FloatPluginParameter>(this, name + " P" + std::to_string(k));
            p->setRange(0.0f, 100.0f);
            p->setDefault(10.0f * static_cast<float>(k + 1));
            p->initValue(p->getDefault());
            parameters_.push_back(std::move(p));
        }
    }
    FloatPluginParameter& at(int k) { return *parameters_[static_cast<size_t>(k)]; }
    void fill(float base) {
        for (size_t k = 0; k < parameters_.size(); ++k)
            parameters_[k]->initValue(base + static_cast<float>(k));
    }

private:
    std::vector<std::unique_ptr<FloatPluginParameter>> parameters_;
};

auto setMaker(GenericParameterOwner* owner, const std::string& prefix, int n) {
    return [owner, prefix, n](int32_t i) {
        return std::make_unique<TestSet>(owner, prefix + " " + std::to_string(i + 1), n);
    };
}

struct Activation : ValueAssignable<bool> {
    void setValue(bool value) override { received.push_back(value); }
    std::vector<bool> received;
};

TEST(PluginParameterSet, GlobalIndicesFollowConstructionOrder) {
    RecordingParameterOwner owner;
    FloatPluginParameter head(&owner, "Head");
    ParameterSetArray<TestSet> delays(2, setMaker(&owner, "Delay", 3));
    ParameterSetList<TestSet> lfos(&owner, "XLFOs", 3, setMaker(&owner, "XLFO", 2));
    FloatPluginParameter tail(&owner, "Tail");

    EXPECT_EQ(head.getIndex(), 0);
    EXPECT_EQ(delays[0].at(0).getIndex(), 1);
    EXPECT_EQ(delays[1].at(2).getIndex(), 6);
    EXPECT_EQ(lfos.getNumActiveParameter().getIndex(), 7);
    EXPECT_EQ(lfos.getNumActiveParameter().getName(), "Num Active XLFOs");
    EXPECT_EQ(lfos[0].at(0).getIndex(), 8);
    EXPECT_EQ(lfos[2].at(1).getIndex(), 13);
    EXPECT_EQ(tail.getIndex(), 14);
    ASSERT_EQ(owner.getNumParameters(), 15);
    EXPECT_EQ(owner.getParameter(9), &lfos[0].at(1));

    // Set numbers come from the owner's list of group names.
    EXPECT_EQ(delays[1].getSetNumber(), 1);
    EXPECT_EQ(lfos[0].getSetNumber(), 2);
    EXPECT_EQ(owner.groupNames[2], "XLFO 1");
    EXPECT_EQ(delays[1].getParameter(2), &delays[1].at(2));
    EXPECT_EQ(delays[1].getParameter(3), nullptr);

    EXPECT_EQ(delays.firstParameterIndex(), 1);
    EXPECT_EQ(delays.lastParameterIndex(), 6);
    EXPECT_EQ(lfos.firstParameterIndex(), 7);
    EXPECT_EQ(lfos.lastParameterIndex(), 13);

    RecordingParameterOwner registrar;
    lfos.registerWith(registrar);
    ASSERT_EQ(registrar.registered.size(), 7u);
    EXPECT_EQ(registrar.registered[0], &lfos.getNumActiveParameter());
    EXPECT_EQ(registrar.registered[1], &lfos[0].at(0));
    EXPECT_EQ(registrar.registered[6], &lfos[2].at(1));
}

TEST(PluginParameterSet, SetsForwardToTheirOwner) {
    RecordingParameterOwner owner;
    TestSet set(&owner, "Filter 1", 2);
    set.at(1).setValue(55.0f, kParameterChangeNotToHost);
    ASSERT_EQ(owner.changes.size(), 1u);
    EXPECT_EQ(owner.changes[0].index, 1);
    EXPECT_EQ(owner.changes[0].flags, kParameterChangeNotToHost);

    set.beginUpdate();
    set.endUpdate();
    set.requestLightReset();
    EXPECT_EQ(owner.beginCount, 1);
    EXPECT_EQ(owner.endCount, 1);
    EXPECT_EQ(owner.lightResets, 1);
    EXPECT_EQ(set.getName(), "Filter 1");
}

TEST(PluginParameterSet, ContainsParameterIndex) {
    RecordingParameterOwner owner;
    ParameterSetArray<TestSet> empty;
    ParameterSetArray<TestSet> filters(2, setMaker(&owner, "Filter", 2));             // 0..3
    ParameterSetList<TestSet> steps(&owner, "Steps", 2, setMaker(&owner, "Step", 2)); // 4..8
    filters.addLinkedList(&steps);

    const struct {
        int32_t index;
        bool inFilters;
        bool inSteps;
    } cases[] = {{-1, true, true}, {0, true, false},  {3, true, false},  {4, true, true},
                 {8, true, true},  {9, false, false}, {-2, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(filters.containsParameterIndex(c.index), c.inFilters) << c.index;
        EXPECT_EQ(steps.containsParameterIndex(c.index), c.inSteps) << c.index;
    }
    EXPECT_FALSE(empty.containsParameterIndex(-1));

    // A list of empty sets still holds its active-count parameter.
    ParameterSetList<TestSet> bare(&owner, "Bare", 2, setMaker(&owner, "Bare", 0)); // 9
    EXPECT_TRUE(bare.containsParameterIndex(9));
    EXPECT_TRUE(bare.containsParameterIndex(-1));
    EXPECT_FALSE(bare.containsParameterIndex(10));
    EXPECT_EQ(empty.firstParameterIndex(), -1);
    EXPECT_EQ(empty.lastParameterIndex(), -1);
}

TEST(PluginParameterSet, SetIndexOfParameter) {
    RecordingParameterOwner owner;
    std::vector<std::unique_ptr<FloatPluginParameter>> padding;
    for (int k = 0; k < 40; ++k)
        padding.push_back(std::make_unique<FloatPluginParameter>(&owner, "Pad"));
    ParameterSetArray<TestSet> sets(3, setMaker(&owner, "Set", 5));      // 40..54
    ParameterSetArray<TestSet> linked(2, setMaker(&owner, "Linked", 2)); // 55..58
    ParameterSetArray<TestSet> noParameters(2, setMaker(&owner, "Empty", 0));
    noParameters.addLinkedList(&linked);

    const struct {
        int32_t index;
        int32_t set;
    } cases[] = {{40, 0}, {44, 0}, {47, 1}, {54, 2}, {39, -1}, {36, -1}, {-1, -1}, {55, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(sets.setIndexOfParameter(c.index), c.set) << c.index;

    sets.addLinkedList(&linked);
    EXPECT_EQ(sets.setIndexOfParameter(57), 1);
    EXPECT_EQ(sets.setIndexOfParameter(39), -1);

    // Sets without parameters answer through their linked lists only.
    EXPECT_EQ(noParameters.setIndexOfParameter(55), 0);
    EXPECT_EQ(noParameters.setIndexOfParameter(10), -1);
}

class RemoveSetTest : public ::testing::Test {
protected:
    RecordingParameterOwner owner_;
    ParameterSetList<TestSet> sources_{&owner_, "Sources", 4, setMaker(&owner_, "Source", 2)};
    ParameterSetArray<TestSet> steps_{4, setMaker(&owner_, "Steps", 3)};

    void SetUp() override {
        sources_.addLinkedList(&steps_);
        sources_.getNumActiveParameter().setMin(1);
        sources_.getNumActiveParameter().initValue(3);
        for (int s = 0; s < 4; ++s) {
            sources_[s].fill(static_cast<float>(s + 1));
            steps_[s].fill(50.0f + static_cast<float>(s + 1));
        }
        owner_.clearRecords();
    }
};

TEST_F(RemoveSetTest, LaterSetsMoveDownInOneBatchAndTheFreedSetIsReset) {
    sources_.removeSet(1);

    EXPECT_EQ(sources_.getNumActive(), 2);
    EXPECT_EQ(sources_[0].at(0).getValue(), 1.0f);
    EXPECT_EQ(sources_[1].at(0).getValue(), 3.0f);
    EXPECT_EQ(sources_[1].at(1).getValue(), 4.0f);
    EXPECT_EQ(sources_[2].at(0).getValue(), 10.0f);
    EXPECT_EQ(sources_[2].at(1).getValue(), 20.0f);
    EXPECT_EQ(sources_[3].at(0).getValue(), 4.0f); // beyond the old count: untouched

    // The linked list moved with it.
    EXPECT_EQ(steps_[0].at(0).getValue(), 51.0f);
    EXPECT_EQ(steps_[1].at(0).getValue(), 53.0f);
    EXPECT_EQ(steps_[1].at(2).getValue(), 55.0f);
    EXPECT_EQ(steps_[2].at(0).getValue(), 10.0f);
    EXPECT_EQ(steps_[2].at(2).getValue(), 30.0f);
    EXPECT_EQ(steps_[3].at(0).getValue(), 54.0f);

    // One begin/end pair around every change, each change told with flags 0.
    EXPECT_EQ(owner_.beginCount, 1);
    EXPECT_EQ(owner_.endCount, 1);
    ASSERT_GE(owner_.log.size(), 3u);
    EXPECT_EQ(owner_.log.front(), "begin");
    EXPECT_EQ(owner_.log.back(), "end");
    for (size_t k = 1; k + 1 < owner_.log.size(); ++k)
        EXPECT_EQ(owner_.log[k], "set in batch");
    for (const auto& change : owner_.changes)
        EXPECT_EQ(change.flags, 0);
    EXPECT_EQ(owner_.changes.front().index, sources_.getNumActiveParameter().getIndex());
}

TEST_F(RemoveSetTest, RemovingTheLastActiveSetOnlyResetsIt) {
    sources_.removeSet(2);
    EXPECT_EQ(sources_.getNumActive(), 2);
    EXPECT_EQ(sources_[1].at(0).getValue(), 2.0f);
    EXPECT_EQ(sources_[2].at(0).getValue(), 10.0f);
    EXPECT_EQ(steps_[2].at(0).getValue(), 10.0f);
}

TEST_F(RemoveSetTest, OutsideTheActiveRangeOrAtTheMinimumNothingHappens) {
    for (int32_t i : {-1, 3, 4, 1000}) {
        sources_.removeSet(i);
        EXPECT_EQ(sources_.getNumActive(), 3) << i;
    }
    sources_.getNumActiveParameter().initValue(1);
    sources_.removeSet(0);
    EXPECT_EQ(sources_.getNumActive(), 1);
    EXPECT_EQ(sources_[0].at(0).getValue(), 1.0f);
    EXPECT_TRUE(owner_.log.empty());
}

TEST_F(RemoveSetTest, ResetToDefaultsReachesLinkedLists) {
    sources_.resetToDefaults();
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(sources_[s].at(1).getValue(), 20.0f);
        EXPECT_EQ(steps_[s].at(2).getValue(), 30.0f);
    }
    EXPECT_EQ(sources_.getNumActive(), 3); // the count is no set parameter
}

TEST(PluginParameterSet, CopyValuesFromNotifiesWithFlagsZero) {
    RecordingParameterOwner owner;
    TestSet a(&owner, "A", 3);
    TestSet b(&owner, "B", 2);
    b.fill(70.0f);
    owner.clearRecords();
    a.copyValuesFrom(b);
    EXPECT_EQ(a.at(0).getValue(), 70.0f);
    EXPECT_EQ(a.at(1).getValue(), 71.0f);
    EXPECT_EQ(a.at(2).getValue(), 30.0f);
    ASSERT_EQ(owner.changes.size(), 2u);
    EXPECT_EQ(owner.changes[0].flags, 0);
}

TEST(PluginParameterSet, ActivationTableIsToldWhichSetsAreActive) {
    RecordingParameterOwner owner;
    ParameterSetList<TestSet> list(&owner, "EGs", 4, setMaker(&owner, "EG", 1));
    Activation a0, a1, a2, a3, b0;
    list.addActivationRow({&a0, &a1, nullptr, &a3});
    list.addActivationRow({&b0});

    list.getNumActiveParameter().applyValue(2.0f);
    EXPECT_EQ(a0.received, std::vector<bool>{true});
    EXPECT_EQ(a1.received, std::vector<bool>{true});
    EXPECT_EQ(a3.received, std::vector<bool>{false});
    EXPECT_EQ(b0.received, std::vector<bool>{true});
    EXPECT_TRUE(a2.received.empty());

    list.getNumActiveParameter().applyValue(0.0f);
    EXPECT_EQ(a0.received, (std::vector<bool>{true, false}));
    EXPECT_EQ(list.getNumActive(), 0); // applying does not store
}

TEST(PluginParameterSet, CollectionSetsAndGetsValuesInIndexOrder) {
    RecordingParameterOwner owner;
    TestSet set(&owner, "S", 3);
    owner.collection.setValues({1.0f, 2.0f});
    EXPECT_EQ(set.at(0).getValue(), 1.0f);
    EXPECT_EQ(set.at(1).getValue(), 2.0f);
    EXPECT_EQ(set.at(2).getValue(), 30.0f);

    owner.collection.setValues({5.0f, 6.0f, 7.0f, 8.0f});
    std::vector<float> values{9.0f};
    owner.collection.getValues(values);
    EXPECT_EQ(values, (std::vector<float>{5.0f, 6.0f, 7.0f}));
    EXPECT_EQ(owner.collection.get(3), nullptr);
}

} // namespace
