#include "modulation/TargetParameterSetList.h"

#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

namespace {
class PairSet : public PluginParameterSet {
public:
    PairSet(GenericParameterOwner* owner, int i)
        : PluginParameterSet(owner, "Pair " + std::to_string(i)), a(this, "A"), b(this, "B") {}
    FloatPluginParameter a;
    FloatPluginParameter b;
};
} // namespace

// Three sets of two targets from target 10: removing the middle one clears
// the slots on its targets (and their modulators) and moves the slots on the
// last set down to the middle set's targets.
TEST(TargetParameterSetList, RemovingAMiddleSetRetargetsLaterSlots) {
    test::SlotOwnerFixture f(false);
    TargetParameterSetList<PairSet> list(
        &f.owner, "Pairs", 3, [&f](int i) { return std::make_unique<PairSet>(&f.owner, i); }, &f.matrixOwner,
        10, 2);
    list.getNumActiveParameter().setValue(3.0f, 0);
    auto& c = f.controller();
    auto connect = [&c](int slot, int source, int target) {
        c.setSource(slot, source);
        c.setTarget(slot, target);
    };
    connect(0, 0, 12); // on the middle set
    connect(1, 1, 15); // on the last set
    connect(2, 3, 10); // on the first set
    connect(3, 3, 83); // modulates slot 0
    list.removeSet(1);
    EXPECT_EQ(list.getNumActive(), 2);
    EXPECT_EQ(c.getTarget(0), -1);
    EXPECT_EQ(c.getTarget(3), -1);
    EXPECT_EQ(c.getTarget(1), 13);
    EXPECT_EQ(c.getTarget(2), 10);
    EXPECT_EQ(f.owner.depth, 0);

    // At the count parameter's minimum nothing happens.
    list.getNumActiveParameter().setMin(2);
    list.removeSet(0);
    EXPECT_EQ(list.getNumActive(), 2);
    EXPECT_EQ(c.getTarget(2), 10);
}
