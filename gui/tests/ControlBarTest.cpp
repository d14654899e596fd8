#include "gui/ControlBar.h"

#include "gui/FlexibleInfo.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gui {
namespace {

class FlexBox : public Control, public FlexibleInfo {
public:
    FlexBox(UserInterface& ui, const Record& record) : Control(ui), record_(record) {}
    Record flexibleRecord() const override { return record_; }

private:
    Record record_;
};

// A bar under the root of a user interface without an animator.
struct Rig {
    test::TestInterface ui;
    ControlBar* bar = new ControlBar(ui);
    int layouts = 0;

    Rig() {
        ui.root().setBoundsXYWH(0, 0, 400, 400);
        bar->parent.setValue(&ui.root());
        bar->layoutEvent.addHandler(NotifyEvent::bind([this] { ++layouts; }));
    }
    Control* box(float w, float h) {
        auto* c = new Control(ui);
        c->setBoundsXYWH(0, 0, w, h);
        c->parent.setValue(bar);
        return c;
    }
    FlexBox* flex(const FlexibleInfo::Record& record, float thickness = 10) {
        auto* c = new FlexBox(ui, record);
        c->setBoundsXYWH(0, 0, 0, thickness);
        c->parent.setValue(bar);
        return c;
    }
};

struct Size {
    float w, h;
};
struct Place {
    float x, y;
};

struct LayoutCase {
    std::string name;
    Orientation orientation;
    Alignment alignment;
    Layout layout;
    float margin, spacing, maxSpacing;
    bool fit;
    float minimum; // minWidth or minHeight, by orientation
    float scale;
    Size bar;
    std::vector<Size> children;
    std::vector<Place> expected;
    Size barAfter;
};

TEST(ControlBar, LaysOutRowsAndColumns) {
    const auto kRow = Orientation::kHorizontal;
    const auto kColumn = Orientation::kVertical;
    const auto kL = Alignment::kLeft, kC = Alignment::kCentre, kR = Alignment::kRight;
    const auto kT = Layout::kTop, kM = Layout::kMiddle, kB = Layout::kBottom;
    const std::vector<Size> three = {{10, 10}, {10, 10}, {10, 10}};
    const LayoutCase cases[] = {
        {"centred row",
         kRow,
         kC,
         kM,
         0,
         5,
         0,
         false,
         0,
         1,
         {100, 20},
         three,
         {{30, 5}, {45, 5}, {60, 5}},
         {100, 20}},
        {"left, top, margin",
         kRow,
         kL,
         kT,
         4,
         5,
         0,
         false,
         0,
         1,
         {100, 20},
         three,
         {{4, 0}, {19, 0}, {34, 0}},
         {100, 20}},
        // The far alignments do not keep the margin clear.
        {"right, bottom, margin",
         kRow,
         kR,
         kB,
         4,
         5,
         0,
         false,
         0,
         1,
         {100, 20},
         three,
         {{52, 10}, {67, 10}, {82, 10}},
         {100, 20}},
        {"column: layout along, alignment across",
         kColumn,
         kR,
         kM,
         0,
         5,
         0,
         false,
         0,
         1,
         {20, 100},
         three,
         {{10, 30}, {10, 45}, {10, 60}},
         {20, 100}},
        {"cross start plus cross offset",
         kRow,
         kL,
         kM,
         0,
         0,
         0,
         false,
         0,
         1,
         {100, 40},
         {{10, 10}, {10, 20}},
         {{0, 15}, {10, 10}},
         {100, 40}},
        {"cross bottom",
         kRow,
         kL,
         kB,
         0,
         0,
         0,
         false,
         0,
         1,
         {100, 40},
         {{10, 10}, {10, 20}},
         {{0, 30}, {10, 20}},
         {100, 40}},
        {"spacing grows to maxSpacing",
         kRow,
         kC,
         kT,
         0,
         5,
         20,
         false,
         0,
         1,
         {100, 20},
         three,
         {{15, 0}, {45, 0}, {75, 0}},
         {100, 20}},
        {"spacing grows to fill",
         kRow,
         kL,
         kT,
         0,
         5,
         90,
         false,
         0,
         1,
         {100, 20},
         three,
         {{0, 0}, {45, 0}, {90, 0}},
         {100, 20}},
        // Fitted without a minimum: the margin leads for every alignment.
        {"fitted row",
         kRow,
         kR,
         kM,
         3,
         2,
         0,
         true,
         0,
         1,
         {100, 50},
         {{10, 10}, {10, 14}},
         {{3, 2}, {15, 0}},
         {28, 14}},
        {"fitted column",
         kColumn,
         kC,
         kB,
         3,
         2,
         0,
         true,
         0,
         1,
         {50, 100},
         {{10, 10}, {14, 10}},
         {{2, 3}, {0, 15}},
         {14, 28}},
        {"fitted row with a minimum",
         kRow,
         kC,
         kT,
         3,
         2,
         0,
         true,
         50,
         1,
         {100, 50},
         {{10, 10}, {10, 14}},
         {{11, 0}, {23, 0}},
         {50, 14}},
        {"scale 1.5 snaps positions",
         kRow,
         kC,
         kT,
         0,
         5,
         0,
         false,
         0,
         1.5f,
         {101, 20},
         three,
         {{46 / 1.5f, 0}, {68 / 1.5f, 0}, {91 / 1.5f, 0}},
         {101, 20}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (c.scale != 1.0f) rig.ui.deviceBacking().setSystemScale(c.scale);
        ASSERT_FLOAT_EQ(rig.ui.deviceBacking().getScale(), c.scale);
        rig.layouts = 0;
        ControlBar& bar = *rig.bar;
        {
            UpdatedObject::Hold hold(bar);
            bar.setBoundsXYWH(0, 0, c.bar.w, c.bar.h);
            bar.orientation.setValue(c.orientation);
            bar.alignment.setValue(c.alignment);
            bar.layout.setValue(c.layout);
            bar.margin.setValue(c.margin);
            bar.spacing.setValue(c.spacing);
            bar.maxSpacing.setValue(c.maxSpacing);
            (c.orientation == kRow ? bar.minWidth : bar.minHeight).setValue(c.minimum);
            bar.fitToContent.setValue(c.fit);
            for (const Size& s : c.children)
                rig.box(s.w, s.h);
        }
        EXPECT_EQ(rig.layouts, 1);
        ASSERT_EQ(bar.children().size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const Rect b = bar.children()[i]->bounds.getValue();
            EXPECT_FLOAT_EQ(b.left, c.expected[i].x) << i;
            EXPECT_FLOAT_EQ(b.top, c.expected[i].y) << i;
            EXPECT_FLOAT_EQ(b.width(), c.children[i].w) << i;
        }
        EXPECT_FLOAT_EQ(bar.bounds.getValue().width(), c.barAfter.w);
        EXPECT_FLOAT_EQ(bar.bounds.getValue().height(), c.barAfter.h);
    }
}

TEST(ControlBar, HiddenEmptyAndExcludedChildrenTakeNoRoomAndNoSpacing) {
    Rig rig;
    ControlBar& bar = *rig.bar;
    bar.setBoundsXYWH(0, 0, 100, 20);
    bar.alignment.setValue(Alignment::kLeft);
    bar.spacing.setValue(5);
    Control* first = rig.box(10, 10);
    Control* hidden = rig.box(10, 10);
    hidden->visible.setValue(false);
    rig.box(0, 10);
    FlexibleInfo::Record excluded;
    excluded.excluded = true;
    excluded.baseLength = 30;
    excluded.weight = 1;
    rig.flex(excluded);
    Control* last = rig.box(10, 10);
    EXPECT_FLOAT_EQ(first->x.getValue(), 0);
    EXPECT_FLOAT_EQ(last->x.getValue(), 15);
    // Showing the hidden one makes room for it.
    hidden->visible.setValue(true);
    EXPECT_FLOAT_EQ(hidden->x.getValue(), 15);
    EXPECT_FLOAT_EQ(last->x.getValue(), 30);
    const auto& records = bar.childLayouts();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_TRUE(records[1].included);
    EXPECT_FALSE(records[2].included);
    EXPECT_FALSE(records[3].included);
}

TEST(ControlBar, FlexibleChildrenShareTheFreeLengthByWeightWithinTheirLimits) {
    struct Flex {
        float base, weight, minimum, maximum;
    };
    struct Case {
        std::string name;
        float scale, barLength;
        std::vector<Flex> flexes;
        float plain; // a plain child's length after the flexible ones, 0 for none
        std::vector<float> lengths;
    };
    const Case cases[] = {
        {"weights 1 and 3", 1, 100, {{0, 1, 0, 0}, {0, 3, 0, 0}}, 0, {25, 75}},
        {"snapped down to device pixels", 1.5f, 101, {{0, 1, 0, 0}, {0, 3, 0, 0}}, 0, {37 / 1.5f, 76}},
        {"a maximum passes the rest on", 1, 100, {{0, 1, 0, 20}, {0, 1, 0, 0}}, 0, {20, 80}},
        {"base lengths and a plain child", 1, 100, {{10, 1, 0, 0}}, 10, {90}},
        {"a minimum is kept", 1, 20, {{0, 1, 30, 0}}, 0, {30}},
        {"no weight keeps the base", 1, 100, {{12, 0, 0, 0}}, 0, {12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (c.scale != 1.0f) rig.ui.deviceBacking().setSystemScale(c.scale);
        ControlBar& bar = *rig.bar;
        std::vector<Control*> flexes;
        {
            UpdatedObject::Hold hold(bar);
            bar.setBoundsXYWH(0, 0, c.barLength, 20);
            bar.alignment.setValue(Alignment::kLeft);
            for (const Flex& f : c.flexes) {
                FlexibleInfo::Record r;
                r.baseLength = f.base;
                r.weight = f.weight;
                r.minimumLength = f.minimum;
                r.maximumLength = f.maximum;
                flexes.push_back(rig.flex(r));
            }
            if (c.plain > 0) rig.box(c.plain, 10);
        }
        float x = 0;
        for (std::size_t i = 0; i < flexes.size(); ++i) {
            EXPECT_FLOAT_EQ(flexes[i]->width.getValue(), c.lengths[i]) << i;
            EXPECT_NEAR(flexes[i]->x.getValue(), x, 1e-4) << i;
            EXPECT_FLOAT_EQ(flexes[i]->height.getValue(), 10) << i; // thickness kept
            x += c.lengths[i];
        }
    }
}

TEST(ControlBar, LayoutRunsOncePerChangeOrOncePerHold) {
    Rig rig;
    ControlBar& bar = *rig.bar;
    bar.setBoundsXYWH(0, 0, 100, 20);
    bar.alignment.setValue(Alignment::kLeft);
    rig.layouts = 0;
    Control* a = rig.box(10, 10);
    Control* b = rig.box(10, 10);
    EXPECT_EQ(rig.layouts, 2);
    EXPECT_FLOAT_EQ(b->x.getValue(), 10);

    // Resizing a child moves its neighbours.
    a->setSize(30, 10);
    EXPECT_FLOAT_EQ(b->x.getValue(), 30);
    // The bar's own properties and bounds lay out again.
    rig.layouts = 0;
    bar.spacing.setValue(4);
    EXPECT_FLOAT_EQ(b->x.getValue(), 34);
    bar.alignment.setValue(Alignment::kRight);
    EXPECT_FLOAT_EQ(b->x.getValue(), 90);
    bar.setSize(200, 20);
    EXPECT_FLOAT_EQ(b->x.getValue(), 190);
    EXPECT_EQ(rig.layouts, 3);

    // Many changes under a hold: one layout at its end.
    rig.layouts = 0;
    {
        UpdatedObject::Hold hold(bar);
        bar.insertControl(0, new Control(rig.ui));
        bar.children()[0]->setSize(6, 6);
        bar.spacing.setValue(0);
        bar.alignment.setValue(Alignment::kLeft);
        EXPECT_EQ(rig.layouts, 0);
    }
    EXPECT_EQ(rig.layouts, 1);
    EXPECT_FLOAT_EQ(a->x.getValue(), 6);
    EXPECT_FLOAT_EQ(b->x.getValue(), 36);

    // A child removed or deleted closes the gap.
    delete a;
    EXPECT_FLOAT_EQ(b->x.getValue(), 6);
}

TEST(ControlBar, LayoutEventHandlersMayChangeTheBarAgain) {
    Rig rig;
    ControlBar& bar = *rig.bar;
    bar.setBoundsXYWH(0, 0, 100, 20);
    bar.alignment.setValue(Alignment::kLeft);
    Control* a = rig.box(10, 10);
    bool once = false;
    bar.layoutEvent.addHandler(NotifyEvent::bind([&] {
        if (once) return;
        once = true;
        bar.margin.setValue(7);
    }));
    bar.spacing.setValue(1);
    EXPECT_FLOAT_EQ(a->x.getValue(), 7);
    bar.layoutEvent.clear();
}

TEST(ControlBar, TouchDragsGoToAnAncestor) {
    Rig rig;
    EXPECT_EQ(rig.bar->touchFlags.getValue(), Control::kHandTouchToAncestor);
}

TEST(ControlBar, InsertingRemovingAndCollapsingWithoutAnAnimatorHappenAtOnce) {
    Rig rig;
    ControlBar& bar = *rig.bar;
    bar.setBoundsXYWH(0, 0, 100, 20);
    bar.alignment.setValue(Alignment::kLeft);
    rig.box(10, 10);
    Control* b = rig.box(10, 10);
    Control* c = rig.box(10, 10);
    const std::size_t components = rig.ui.components().size();

    std::vector<void*> handed;
    bar.removeControlAt(0, NotifyEvent::bind([&handed](void* child) { handed.push_back(child); }));
    EXPECT_EQ(handed, std::vector<void*>{nullptr});
    ASSERT_EQ(bar.children().size(), 2u);
    EXPECT_FLOAT_EQ(b->x.getValue(), 0);
    EXPECT_EQ(rig.ui.components().size(), components - 1);

    bar.removeControlAt(5, NotifyEvent::bind([&handed](void* child) { handed.push_back(child); }));
    EXPECT_EQ(handed.size(), 1u);

    bar.resizeControl(b);
    EXPECT_FLOAT_EQ(b->width.getValue(), 0);
    EXPECT_FLOAT_EQ(b->height.getValue(), 10);
    EXPECT_FLOAT_EQ(c->x.getValue(), 0);
    EXPECT_EQ(b->getParent(), &bar);

    // An insertion has grown in at once: its handler hears of the control.
    auto* inserted = new Control(rig.ui);
    bar.insertControl(0, inserted, nullptr,
                      NotifyEvent::bind([&handed](void* child) { handed.push_back(child); }));
    EXPECT_EQ(inserted->getParent(), &bar);
    EXPECT_EQ(handed, (std::vector<void*>{nullptr, inserted}));
}

} // namespace
} // namespace gui
