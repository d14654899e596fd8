#include "effect/SourceParameterSetList.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test::VarnelTestOwner;
using V = VarnelModulation;

struct ListCase {
    const char* name;
    AbstractParameterSetList* (*list)(VarnelParameters&);
    std::int32_t firstSource;
    std::int32_t sourcesPerSet;
    std::int32_t firstTarget; // -1: the sets have no targets
    std::int32_t targetsPerSet;
};

const ListCase kLists[] = {
    {"XY", [](VarnelParameters& p) -> AbstractParameterSetList* { return &p.xyControllers; }, 0, 2, -1, 0},
    {"XLFO", [](VarnelParameters& p) -> AbstractParameterSetList* { return &p.xlfos; }, 8, 1, 16, 3},
    {"EG", [](VarnelParameters& p) -> AbstractParameterSetList* { return &p.egs; }, 14, 1, 34, 6},
    {"EF", [](VarnelParameters& p) -> AbstractParameterSetList* { return &p.efs; }, 20, 1, 70, 2},
    {"MIDI", [](VarnelParameters& p) -> AbstractParameterSetList* { return &p.midiSources; }, 24, 1, -1, 0},
};

// With three active sets, removing the middle one: slots fed by it lose
// their source, slots fed by the last set follow it down, slots aimed at
// its parameters are cleared and dropped from the slot list, and slots aimed
// at the last set's parameters follow them down. Values move down too.
TEST(SourceParameterSetList, RemovalDisconnectsRenumbersAndRetargets) {
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.name);
        VarnelTestOwner owner;
        VarnelParameters& p = owner.p();
        AbstractParameterSetList& list = *c.list(p);
        ModMatrixParamController& slots = owner.getController();
        list.getNumActiveParameter().setValue(3.0f, 0);
        AbstractPluginParameter* lastFirst = list.getSet(2)->getParameter(0);
        lastFirst->setValue(lastFirst->getMax(), 0);

        const std::int32_t other = c.firstSource == 0 ? V::kFirstMidiSource : 0;
        const std::int32_t lastSourceOfSet = c.sourcesPerSet - 1;
        const bool targets = c.firstTarget >= 0;
        auto connect = [&](std::int32_t source, std::int32_t target) {
            const std::int32_t slot = slots.findFreeSlot();
            slots.setSource(slot, source);
            slots.setTarget(slot, target);
        };
        connect(c.firstSource + c.sourcesPerSet, V::kWetPanTarget); // 0: fed by the middle set
        connect(c.firstSource + 2 * c.sourcesPerSet + lastSourceOfSet,
                V::kDryPanTarget);                  // 1: by the last set
        connect(c.firstSource, V::kWetLevelTarget); // 2: by the first set
        if (targets) {
            connect(other, c.firstTarget + c.targetsPerSet);         // aimed at the middle set: dropped
            connect(other, c.firstTarget + 2 * c.targetsPerSet + 1); // aimed at the last set
        }
        ASSERT_EQ(p.slots.getNumActive(), targets ? 5 : 3);

        list.removeSet(1);

        EXPECT_EQ(list.getNumActive(), 2);
        EXPECT_EQ(list.getSet(1)->getParameter(0)->getValue(), lastFirst->getMax());
        EXPECT_EQ(list.getSet(2)->getParameter(0)->getValue(), lastFirst->getDefault());
        EXPECT_EQ(slots.getSource(0), -1);
        EXPECT_EQ(slots.getTarget(0), V::kWetPanTarget);
        EXPECT_EQ(slots.getSource(1), c.firstSource + c.sourcesPerSet + lastSourceOfSet);
        EXPECT_EQ(slots.getTarget(1), V::kDryPanTarget);
        EXPECT_EQ(slots.getSource(2), c.firstSource);
        if (targets) {
            EXPECT_EQ(p.slots.getNumActive(), 4);
            EXPECT_EQ(slots.getSource(3), other);
            EXPECT_EQ(slots.getTarget(3), c.firstTarget + c.targetsPerSet + 1);
            EXPECT_EQ(slots.getSource(4), -1);
            EXPECT_EQ(slots.getTarget(4), -1);
        } else {
            EXPECT_EQ(p.slots.getNumActive(), 3);
        }
        EXPECT_EQ(owner.depth, 0);
    }
}

TEST(SourceParameterSetList, SourcesOfOtherListsAndBadIndicesAreLeftAlone) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    ModMatrixParamController& slots = owner.getController();
    p.egs.getNumActiveParameter().setValue(2.0f, 0);
    p.efs.getNumActiveParameter().setValue(1.0f, 0);
    const std::int32_t slot = slots.findFreeSlot();
    slots.setSource(slot, V::kFirstEFSource); // EF 1 lies after the EG sources
    slots.setTarget(slot, V::delayTarget(0, V::kDelayTime));

    p.egs.removeSet(0);
    EXPECT_EQ(slots.getSource(slot), V::kFirstEFSource);
    EXPECT_EQ(p.egs.getNumActive(), 1);

    // Outside the active sets, or with none active: nothing happens.
    p.egs.removeSet(1);
    p.egs.removeSet(-1);
    EXPECT_EQ(p.egs.getNumActive(), 1);
    p.xlfos.removeSet(0);
    EXPECT_EQ(p.xlfos.getNumActive(), 0);
    EXPECT_EQ(slots.getSource(slot), V::kFirstEFSource);
    EXPECT_EQ(owner.depth, 0);
}

TEST(SourceParameterSetList, EveryListCountsFromZeroToItsSets) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    AbstractParameterSetList* lists[] = {&p.xyControllers, &p.xlfos,       &p.egs,
                                         &p.efs,           &p.midiSources, &p.slots};
    const int sets[] = {4, 6, 6, 4, 10, 24};
    for (size_t i = 0; i < std::size(lists); ++i) {
        const auto& count = lists[i]->getNumActiveParameter();
        EXPECT_EQ(count.getMin(), 0.0f) << count.getName();
        EXPECT_EQ(count.getMax(), static_cast<float>(sets[i])) << count.getName();
        EXPECT_EQ(count.getDefault(), 0.0f) << count.getName();
        EXPECT_EQ(count.getValue(), 0.0f) << count.getName();
        EXPECT_EQ(lists[i]->getNumSets(), sets[i]) << count.getName();
    }
}

} // namespace
