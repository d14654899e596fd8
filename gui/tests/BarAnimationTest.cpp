#include "gui/BarAnimation.h"

#include "gui/ControlBar.h"
#include "gui/Timer.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

// A row bar (left aligned, no spacing) under the root, with an animator on
// a hand-driven clock. Children are 40 x 10 at opacity 200.
struct Rig {
    std::uint32_t now = 1000;
    std::unique_ptr<test::TestInterface> ui = std::make_unique<test::TestInterface>();
    std::unique_ptr<Animator> animator = std::make_unique<Animator>(*ui, [this] { return now; });
    ControlBar* bar = new ControlBar(*ui);
    std::vector<void*> handed; // what completion handlers received
    int handlers = 0;

    Rig() {
        ui->root().setBoundsXYWH(0, 0, 400, 100);
        bar->setBoundsXYWH(0, 0, 300, 20);
        bar->alignment.setValue(Alignment::kLeft);
        bar->layout.setValue(Layout::kTop);
        bar->parent.setValue(&ui->root());
        tickAt(0);
    }
    Control* child(float w = 40) {
        auto* c = new Control(*ui);
        c->setBoundsXYWH(0, 0, w, 10);
        c->opacity.setValue(200);
        return c;
    }
    Control* add(float w = 40) {
        Control* c = child(w);
        c->parent.setValue(bar);
        return c;
    }
    NotifyEvent::Handler* handler() {
        return NotifyEvent::bind([this](void* child) {
            ++handlers;
            handed.push_back(child);
        });
    }
    // Milliseconds after the clock's start.
    void tickAt(std::uint32_t time) {
        now = 1000 + time;
        animator->timer()->tick();
    }
};

constexpr std::uint32_t kTimes[] = {0, 75, 150, 225, 300};

TEST(BarAnimation, InsertGrowsThenFadesInAndRemovalFadesThenShrinks) {
    struct Case {
        std::string name;
        int flags;
        bool insert;
        float lengths[5];
        int opacities[5];
    };
    const Case cases[] = {
        {"insert, both", 3, true, {0, 31.194580f, 40, 40, 40}, {0, 0, 0, 100, 200}},
        {"removal, both", 3, false, {40, 40, 40, 8.805420f, 0}, {200, 100, 0, 0, 0}},
        {"insert, length", 1, true, {0, 19.622073f, 31.194580f, 37.294489f, 40}, {200, 200, 200, 200, 200}},
        {"insert, opacity", 2, true, {40, 40, 40, 40, 40}, {0, 50, 100, 150, 200}},
        {"removal, length", 1, false, {40, 20.377927f, 8.805420f, 2.705511f, 0}, {200, 200, 200, 200, 200}},
        {"removal, opacity", 2, false, {40, 40, 40, 40, 40}, {200, 150, 100, 50, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.bar->animationFlags.setValue(c.flags);
        Control* neighbour = rig.add(10);
        const std::size_t components = rig.ui->components().size();
        Control* child = rig.child();
        if (c.insert)
            rig.bar->insertControl(0, child);
        else {
            child->parent.setValue(rig.bar);
            rig.bar->setChildIndex(child, 0);
            rig.bar->requestLayout();
            rig.bar->removeControlAt(0, rig.handler());
        }
        for (int i = 0; i < 5; ++i) {
            rig.tickAt(kTimes[i]);
            if (!c.insert && i == 4) break; // the child is gone
            EXPECT_NEAR(child->width.getValue(), c.lengths[i], 1e-4) << kTimes[i];
            EXPECT_EQ(child->opacity.getValue(), c.opacities[i]) << kTimes[i];
            EXPECT_FLOAT_EQ(child->height.getValue(), 10);
            // The neighbour follows at the next device pixel of the length.
            EXPECT_FLOAT_EQ(neighbour->x.getValue(), std::floor(c.lengths[i] + 0.7f)) << kTimes[i];
        }
        EXPECT_EQ(rig.animator->runningCount(), 0);
        if (c.insert) {
            EXPECT_EQ(child->getParent(), rig.bar);
            EXPECT_EQ(rig.bar->children()[0], child);
        } else {
            // Deleted, and the handler got nothing.
            EXPECT_EQ(rig.bar->children(), std::vector<Control*>{neighbour});
            EXPECT_EQ(rig.handed, std::vector<void*>{nullptr});
            EXPECT_EQ(rig.ui->components().size(), components);
            EXPECT_FLOAT_EQ(neighbour->x.getValue(), 0);
        }
    }
}

TEST(BarAnimation, CollapseAndExpandMoveOnlyTheLengthAndKeepTheChild) {
    Rig rig;
    rig.bar->orientation.setValue(Orientation::kVertical);
    Control* child = rig.add();
    child->setSize(10, 40);
    rig.bar->resizeControl(child);
    rig.tickAt(150);
    EXPECT_NEAR(child->height.getValue(), 40 * BarAnimation::lengthEase(0.5f), 1e-4);
    EXPECT_NEAR(child->height.getValue(), 8.805420f, 1e-4);
    EXPECT_EQ(child->opacity.getValue(), 200);
    rig.tickAt(300);
    EXPECT_FLOAT_EQ(child->height.getValue(), 0);
    EXPECT_FLOAT_EQ(child->width.getValue(), 10);
    EXPECT_EQ(child->getParent(), rig.bar);

    BarAnimation* expand = rig.bar->animateControl(*child, BarAnimation::Kind::kExpand, 25, rig.handler());
    ASSERT_NE(expand, nullptr);
    EXPECT_EQ(expand->flags(), ControlBar::kAnimateLength);
    rig.tickAt(300);
    EXPECT_FLOAT_EQ(child->height.getValue(), 0);
    rig.tickAt(450);
    EXPECT_NEAR(child->height.getValue(), 25 * (1 - 0.220135f), 1e-4);
    rig.tickAt(600);
    EXPECT_FLOAT_EQ(child->height.getValue(), 25);
    EXPECT_EQ(child->opacity.getValue(), 200);
    EXPECT_EQ(rig.handed, std::vector<void*>{child});
}

TEST(BarAnimation, TheEaseIsClampedToItsEnds) {
    EXPECT_EQ(BarAnimation::lengthEase(0.0f), 1.0f);
    EXPECT_EQ(BarAnimation::lengthEase(1.0f), 0.0f);
    EXPECT_NEAR(BarAnimation::lengthEase(0.5f), 0.2201355f, 1e-6);
}

TEST(BarAnimation, AFittedBarFollowsEveryStepOfItsContent) {
    Rig rig;
    rig.bar->fitToContent.setValue(true);
    rig.add(10);
    int layouts = 0;
    rig.bar->layoutEvent.addHandler(NotifyEvent::bind([&layouts] { ++layouts; }));
    std::vector<float> widths;
    rig.bar->boundsEvent.addHandler(
        NotifyEvent::bind([&rig, &widths] { widths.push_back(rig.bar->width.getValue()); }));
    rig.bar->insertControl(1, rig.child());
    for (std::uint32_t t : kTimes) {
        layouts = 0;
        rig.tickAt(t);
        EXPECT_GE(layouts, t == 0 || t > 150 ? 0 : 1) << t;
        EXPECT_NEAR(rig.bar->width.getValue(), 10 + (t >= 150 ? 40 : t == 75 ? 31.194580f : 0), 1e-4) << t;
    }
    EXPECT_EQ(widths.size(), 2u); // 41.19.. and 50: the length moved in two steps
    rig.bar->layoutEvent.clear();
    rig.bar->boundsEvent.clear();
}

// The bar deletes its children and then drops its animations: a removal's
// end must not delete its child again, and no handler gets a dead child.
TEST(BarAnimation, ABarDeletedDuringItsAnimationsTouchesNoDeadChild) {
    for (bool duringTick : {false, true}) {
        SCOPED_TRACE(duringTick ? "during a tick" : "between ticks");
        Rig rig;
        const std::size_t components = rig.ui->components().size();
        ControlBar* bar = new ControlBar(*rig.ui);
        bar->parent.setValue(&rig.ui->root());
        Control* a = rig.child();
        a->parent.setValue(bar);
        Control* b = rig.child();
        b->parent.setValue(bar);
        bar->removeControlAt(0, rig.handler());
        bar->resizeControl(b);
        bar->insertControl(0, rig.child());
        bar->animateControl(*b, BarAnimation::Kind::kExpand, 30, rig.handler());
        rig.tickAt(75);
        EXPECT_EQ(rig.animator->runningCount(), 3);
        if (duringTick) {
            rig.animator->tickEvent.addHandler(NotifyEvent::bind([&bar] {
                delete bar;
                bar = nullptr;
            }));
            rig.tickAt(150);
            rig.animator->tickEvent.clear();
        } else {
            delete bar;
        }
        EXPECT_EQ(rig.animator->runningCount(), 0);
        EXPECT_EQ(rig.handed, (std::vector<void*>{nullptr, nullptr}));
        EXPECT_EQ(rig.ui->components().size(), components);
        rig.tickAt(300);
    }
}

TEST(BarAnimation, AChildDeletedMidAnimationIsNeverTouchedAgain) {
    for (auto kind :
         {BarAnimation::Kind::kInsert, BarAnimation::Kind::kRemove, BarAnimation::Kind::kCollapse}) {
        SCOPED_TRACE(int(kind));
        Rig rig;
        Control* neighbour = rig.add(10);
        Control* child = rig.add();
        rig.bar->setChildIndex(child, 0);
        rig.bar->requestLayout();
        ASSERT_NE(rig.bar->animateControl(*child, kind, 0, rig.handler()), nullptr);
        rig.tickAt(75);
        delete child;
        EXPECT_FLOAT_EQ(neighbour->x.getValue(), 0);
        rig.tickAt(150);
        EXPECT_EQ(rig.animator->runningCount(), 0);
        EXPECT_EQ(rig.handed, std::vector<void*>{nullptr});
        // A new control at the same address may be animated afresh.
        Control* next = rig.child();
        rig.bar->insertControl(0, next);
        rig.tickAt(450);
        EXPECT_FLOAT_EQ(next->width.getValue(), 40);
    }
}

TEST(BarAnimation, AChildBeingRemovedTakesNoFurtherBarAnimation) {
    Rig rig;
    Control* child = rig.add();
    rig.bar->removeControlAt(0, rig.handler());
    EXPECT_TRUE(rig.bar->isBeingRemoved(child));
    rig.tickAt(75);
    // Neither a collapse, an expansion, an insertion nor a second removal
    // replaces the removal (which would delete the child under them).
    rig.bar->resizeControl(child);
    EXPECT_EQ(rig.bar->animateControl(*child, BarAnimation::Kind::kExpand, 10, rig.handler()), nullptr);
    rig.bar->insertControl(0, child);
    rig.bar->removeControlAt(0, rig.handler());
    EXPECT_EQ(rig.animator->runningCount(), 1);
    rig.tickAt(225);
    EXPECT_NEAR(child->width.getValue(), 8.805420f, 1e-4);
    rig.tickAt(300);
    EXPECT_TRUE(rig.bar->children().empty());
    EXPECT_EQ(rig.handed, std::vector<void*>{nullptr});
}

TEST(BarAnimation, AnimationsStillRunningWhenTheAnimatorGoesEndCleanly) {
    Rig rig;
    Control* kept = rig.add();
    rig.add();
    rig.bar->resizeControl(kept);
    rig.bar->removeControlAt(1, rig.handler());
    rig.tickAt(75);
    rig.animator.reset();
    EXPECT_EQ(rig.bar->children(), std::vector<Control*>{kept});
    EXPECT_EQ(rig.handed, std::vector<void*>{nullptr});
}

// An insertion's handler hears of the child once it has grown in, and of
// nothing when the child died before.
TEST(BarAnimation, AnInsertionsHandlerRunsWhenTheChildHasGrownIn) {
    Rig rig;
    Control* child = rig.child();
    rig.bar->insertControl(0, child, nullptr, rig.handler());
    rig.tickAt(225);
    EXPECT_EQ(rig.handlers, 0);
    rig.tickAt(300);
    EXPECT_EQ(rig.handed, std::vector<void*>{child});
    EXPECT_FLOAT_EQ(child->width.getValue(), 40);

    Control* doomed = rig.child();
    rig.bar->insertControl(1, doomed, nullptr, rig.handler());
    rig.tickAt(375);
    delete doomed;
    rig.tickAt(450);
    EXPECT_EQ(rig.handed, (std::vector<void*>{child, nullptr}));
}

TEST(BarAnimation, ACompletionHandlerMayAnimateItsChildAgain) {
    Rig rig;
    Control* child = rig.add();
    int again = 0;
    rig.bar->animateControl(
        *child, BarAnimation::Kind::kCollapse, 0, NotifyEvent::bind([&rig, &again](void* c) {
            ++again;
            rig.bar->animateControl(*static_cast<Control*>(c), BarAnimation::Kind::kExpand, 40);
        }));
    rig.tickAt(300);
    EXPECT_EQ(again, 1);
    EXPECT_FLOAT_EQ(child->width.getValue(), 0);
    rig.tickAt(600);
    EXPECT_FLOAT_EQ(child->width.getValue(), 40);
    EXPECT_EQ(rig.animator->runningCount(), 0);
}

} // namespace
} // namespace gui
