#include "gui/ToggleButton.h"

#include "gui/Modifiers.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::GestureRecorder;
using test::joined;

struct Rig {
    std::uint32_t now = 1000;
    GestureRecorder recorder{GestureRecorder::Words::kValues}; // outlives the buttons
    test::TestInterface ui{[this] { return now; }};
    RootControl& root = ui.root();

    Rig() { root.setBoundsXYWH(0, 0, 200, 100); }
    // A 20 x 20 toggle at (x, 10).
    ToggleButton* toggle(float x) {
        auto* b = new ToggleButton(ui, nullptr);
        b->setBoundsXYWH(x, 10, 20, 20);
        b->parent.setValue(&root);
        return b;
    }
    void click(float x) {
        root.handleMouseMove({x + 5, 15}, 0);
        root.handleMouseDown(0, {x + 5, 15}, kLeftButton);
        root.handleMouseUp(0, {x + 5, 15}, 0);
    }
};

TEST(ToggleButton, AClickSwitchesBetweenOnValueAndOff) {
    const struct {
        int onValue, maximum;
        int values[3]; // after the first, second and third click
    } cases[] = {{1, 1, {1, 0, 1}}, {0, 1, {1, 0, 1}}, {3, 3, {3, 0, 3}}};
    for (const auto& c : cases) {
        Rig rig;
        ToggleButton* t = rig.toggle(10);
        t->maximum.setValue(c.maximum);
        t->onValue.setValue(c.onValue);
        t->setListener(&rig.recorder);
        EXPECT_TRUE(t->toggles.getValue());
        EXPECT_EQ(t->on.getValue(), c.onValue == 0) << c.onValue; // value 0
        for (int v : c.values) {
            rig.click(10);
            EXPECT_EQ(t->value.getValue(), v) << c.onValue;
            EXPECT_EQ(t->on.getValue(), v == c.onValue) << c.onValue;
        }
        EXPECT_EQ(rig.recorder.log.size(), 9u);
    }
}

TEST(ToggleButton, AnOutsideValueSetsOnWithoutAnEcho) {
    Rig rig;
    ToggleButton* t = rig.toggle(10);
    t->maximum.setValue(3);
    t->onValue.setValue(3);
    t->setListener(&rig.recorder);
    t->value.setValue(2);
    EXPECT_TRUE(t->on.getValue()); // on for every value above 0
    EXPECT_EQ(t->value.getValue(), 2);
    t->value.setValue(0);
    EXPECT_FALSE(t->on.getValue());
    t->onValue.setValue(1);
    t->value.setValue(1);
    EXPECT_TRUE(t->on.getValue());
    t->value.setValue(2);
    EXPECT_FALSE(t->on.getValue()); // below 2 only the exact value is on
    EXPECT_TRUE(rig.recorder.log.empty());
}

struct Group {
    Rig rig;
    ToggleButton* lead = rig.toggle(10);
    ToggleButton* second = rig.toggle(40);
    ToggleButton* third = rig.toggle(70);
    Group() {
        lead->setListener(&rig.recorder);
        lead->addGroupMember(second);
        lead->addGroupMember(third);
    }
    std::vector<bool> lit() const {
        return {lead->on.getValue(), second->on.getValue(), third->on.getValue()};
    }
};

TEST(ToggleButton, AGroupLightsOneMemberAndTakesItsIndex) {
    Group g;
    EXPECT_EQ(g.lead->maximum.getValue(), 2);
    EXPECT_EQ(g.lead->group().size(), 3u);
    EXPECT_EQ(g.lit(), (std::vector<bool>{true, false, false}));
    g.rig.click(70);
    EXPECT_EQ(g.lead->value.getValue(), 2);
    EXPECT_EQ(g.lit(), (std::vector<bool>{false, false, true}));
    g.rig.click(70); // the lit member stays lit
    EXPECT_EQ(g.lit(), (std::vector<bool>{false, false, true}));
    g.rig.click(10);
    EXPECT_EQ(g.lead->value.getValue(), 0);
    EXPECT_EQ(g.lit(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(joined(g.rig.recorder.log), "b v2 e b e b v0 e");
    EXPECT_FALSE(g.second->inGesture());
    EXPECT_FALSE(g.lead->inGesture());

    // A choice from outside stays: nothing snaps back to member 0.
    g.rig.recorder.log.clear();
    g.lead->value.setValue(1);
    EXPECT_EQ(g.lead->value.getValue(), 1);
    EXPECT_EQ(g.lit(), (std::vector<bool>{false, true, false}));
    g.lead->minimum.setValue(-1); // the same value is now member 2
    EXPECT_EQ(g.lit(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(g.rig.recorder.log.empty());
}

TEST(ToggleButton, MembersFollowTheGroupsLookUnlessGivenTheirOwnOpacity) {
    Group g;
    g.lead->helpText.setValue("choose");
    g.lead->opacity.setValue(128);
    EXPECT_EQ(g.second->helpText.getValue(), "choose");
    EXPECT_EQ(g.second->opacity.getValue(), 128);
    EXPECT_EQ(g.third->opacity.getValue(), 128);
    g.third->opacity.setValue(200);
    g.lead->opacity.setValue(64);
    EXPECT_EQ(g.second->opacity.getValue(), 64);
    EXPECT_EQ(g.third->opacity.getValue(), 200);
    g.lead->visible.setValue(false);
    EXPECT_FALSE(g.second->visible.getValue());
    EXPECT_FALSE(g.third->visible.getValue());
}

TEST(ToggleButton, AGroupOutlivesItsMembersAndMembersTheirGroup) {
    Group g;
    delete g.second;
    EXPECT_EQ(g.lead->group()[1], nullptr);
    g.rig.click(70);
    EXPECT_EQ(g.lead->value.getValue(), 2);
    EXPECT_TRUE(g.third->on.getValue());
    g.lead->value.setValue(1);
    EXPECT_FALSE(g.third->on.getValue());
    delete g.lead;
    EXPECT_EQ(g.third->groupOwner(), nullptr);
    g.rig.click(70); // alone now: a plain toggle
    EXPECT_TRUE(g.third->on.getValue());
    EXPECT_EQ(g.third->value.getValue(), 1);
}

} // namespace
} // namespace gui
