#include "modulation_editor/ModulationDragStage.h"

#include "gui/ScrollButton.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/ModulationComponentButton.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/ModulationDragObject.h"
#include "modulation_editor/ModulationHoverItem.h"
#include "modulation_editor/SlotAllocation.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/tests/SourceComponentRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// One section of three targets (10-12) and its button, which the drag
// manager offers.
class ModulationDragStageTest : public test::SourceComponentTest {
protected:
    void SetUp() override {
        SourceComponentTest::SetUp();
        addSection(3);
        button = addButton(0);
        editor->dragManager().add(button, 1, 0);
    }
    SourceDragButton& dragButton(int32_t panelPosition, size_t k = 0) {
        return *panel(panelPosition)->dragButtons()[k];
    }
    // Presses the drag button and moves the pointer by (dx, 0).
    void pressAndMove(SourceDragButton& b, float dx) {
        const gui::Point p = centreOf(b);
        ui->mouseDown(0, p, 8);
        ui->mouseMove(gui::Point(p.x + dx, p.y), 8);
    }
    ModulationDragStage* stage() {
        for (gui::Control* c : ui->root().children())
            if (auto* s = dynamic_cast<ModulationDragStage*>(c)) return s;
        return nullptr;
    }
    void dropOn(gui::Control& target) {
        const gui::Point at = centreOf(target);
        ui->mouseMove(at, 8);
        ui->mouseUp(0, at, 0);
    }
    std::vector<std::string> boxes() {
        std::vector<std::string> texts;
        for (const auto& r : gui::headless::ModalResponder::requests())
            texts.push_back(r.text);
        return texts;
    }

    ModulationComponentButton* button = nullptr;
};

TEST_F(ModulationDragStageTest, AMoveOfMoreThanFourUnitsStartsTheDrag) {
    pressAndMove(dragButton(1), 4.0f);
    EXPECT_EQ(stage(), nullptr);
    ui->mouseMove(centreOf(dragButton(1)) + gui::Point(4.01f, 0.0f), 8);
    ASSERT_NE(stage(), nullptr);
    EXPECT_TRUE(stage()->isRunning());
    auto* object = dynamic_cast<ModulationDragObject*>(stage()->dragObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->sourceIndex(), 8u);
    ui->mouseUp(0, gui::Point(10, 10), 0);
    // The Y button drags the source above the X button's.
    EXPECT_EQ(dragButton(0, 0).sourceIndex(), 0u);
    EXPECT_EQ(dragButton(0, 1).sourceIndex(), 1u);
    pressAndMove(dragButton(0, 1), 10.0f);
    ASSERT_NE(stage(), nullptr);
    dropOn(*time);
    EXPECT_EQ(editor->matrixController().getSource(0), 1);
}

// A drop fills the next slot: neutral level, bypass and invert off, one
// undo step, the source's slots listed; then the 500 ms animation and the
// stage goes.
TEST_F(ModulationDragStageTest, ADropFillsTheNextSlot) {
    setSlotsInUse(1);
    editor->matrixController().setSource(0, 9);
    editor->matrixController().setTarget(0, 5);
    const int32_t before = undoCount();
    pressAndMove(dragButton(1), 10.0f);
    dropOn(*time);
    ModulationMatrixController& c = editor->matrixController();
    EXPECT_EQ(editor->slotsInUse(), 2);
    EXPECT_EQ(c.getSource(1), 8);
    EXPECT_EQ(c.getTarget(1), 0);
    EXPECT_FALSE(c.isBypassed(1));
    EXPECT_FALSE(c.isInverted(1));
    EXPECT_EQ(undoCount() - before, 1);
    EXPECT_EQ(slots->sourceFilterFirst(), 8);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{1}));
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(0));
    EXPECT_EQ(panel->slotControl(SlotInterface::kLevel)->value.getValue(), 18000);
    EXPECT_EQ(adapter->gestureFaults(), "");
    ASSERT_NE(stage(), nullptr);
    EXPECT_EQ(stage()->lastDrop(), 0u);
    ui->advance(250);
    ASSERT_NE(stage(), nullptr);
    EXPECT_GT(stage()->dropProgress.getValue(), 1.5f);
    EXPECT_LT(stage()->dropProgress.getValue(), 2.5f);
    ui->advance(500);
    EXPECT_EQ(stage(), nullptr);
    EXPECT_TRUE(boxes().empty());
    // In target mode the list shows the target's slots instead.
    slots->activateMode.setValue(AbstractSlotController::ActivateMode::kShowTarget);
    pressAndMove(dragButton(1), 10.0f);
    dropOn(*freq);
    EXPECT_EQ(slots->targetFilterFirst(), 10);
    EXPECT_EQ(slots->targetFilterCount(), 1);
}

// All slots or none: a full matrix, three targets with two slots free and
// a drop on an item that only hovers change nothing and tell the user after
// the release.
TEST_F(ModulationDragStageTest, DropsThatCannotBeTakenChangeNothing) {
    struct Case {
        int32_t inUse;
        bool onComponent;
        bool onScrollButton;
        const char* box;
    } cases[] = {
        {24, false, false, kNoFreeSlotsText},
        {22, true, false, kNoFreeSlotsText},
        {0, false, true, ModulationDragStage::kHoverOnlyText},
    };
    for (const Case& c : cases) {
        gui::headless::ModalResponder::reset();
        setSlotsInUse(c.inUse);
        const int32_t before = undoCount();
        pressAndMove(dragButton(1), 10.0f);
        gui::Control* target = time;
        if (c.onComponent) target = button;
        if (c.onScrollButton) {
            target = slotStrip->forwardButton();
            target->visible.setValue(true);
            target->setBoundsXYWH(880, 0, 40, 100);
        }
        dropOn(*target);
        EXPECT_EQ(editor->slotsInUse(), c.inUse) << c.box;
        EXPECT_EQ(undoCount(), before) << c.box;
        EXPECT_TRUE(boxes().empty()) << "no box inside the release";
        ui->advance(10);
        EXPECT_EQ(boxes(), std::vector<std::string>{c.box});
        EXPECT_EQ(stage(), nullptr);
    }
    // With three free, the component's three targets are filled.
    setSlotsInUse(21);
    pressAndMove(dragButton(1), 10.0f);
    dropOn(*button);
    EXPECT_EQ(editor->slotsInUse(), 24);
    EXPECT_EQ(editor->matrixController().getTarget(23), 12);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ModulationDragStageTest, RestingOnAComponentButtonUnfoldsItUntilTheDragEnds) {
    pressAndMove(dragButton(1), 10.0f);
    ui->mouseMove(centreOf(*button), 8);
    ui->advance(399);
    EXPECT_FALSE(display->components()[0].unfolded);
    ui->advance(1);
    EXPECT_TRUE(display->components()[0].unfolded);
    ui->mouseMove(gui::Point(5, 5), 8);
    ui->mouseUp(0, gui::Point(5, 5), 0);
    EXPECT_FALSE(display->components()[0].unfolded);
    EXPECT_EQ(editor->slotsInUse(), 0);
}

// A preset loaded mid-drag may take the source away: the drop makes no slot.
TEST_F(ModulationDragStageTest, ASourceRemovedMidDragMakesNoSlot) {
    pressAndMove(dragButton(1), 10.0f);
    setActive(model->xlfos, 0, false);
    dropOn(*time);
    EXPECT_EQ(editor->slotsInUse(), 0);
    // And a target unbound mid-drag takes none either.
    setActive(model->xlfos, 1);
    pressAndMove(dragButton(1), 10.0f);
    editor->unlinkControl(&model->delay[0].time, time);
    dropOn(*time);
    EXPECT_EQ(editor->slotsInUse(), 0);
}

// A click without a drag toggles between the source's slots and all slots.
TEST_F(ModulationDragStageTest, AClickTogglesTheSourcesSlots) {
    const gui::Point p = centreOf(dragButton(1));
    ui->mouseDown(0, p, 8);
    ui->mouseUp(0, p, 0);
    EXPECT_EQ(stage(), nullptr);
    EXPECT_EQ(slots->sourceFilterFirst(), 8);
    EXPECT_EQ(slots->sourceFilterCount(), 1);
    ui->mouseDown(0, p, 8);
    ui->mouseUp(0, p, 0);
    EXPECT_FALSE(slots->hasFilter());
}

// The drag button's face follows the pointer, centred on it and kept
// inside the stage; it shows only while the drag runs.
TEST_F(ModulationDragStageTest, TheDraggedImageFollowsThePointerInsideTheStage) {
    SourceDragButton& b = dragButton(1);
    ASSERT_NE(b.style(), nullptr);
    gui::Bitmap& face = b.style()->stateBitmap(0);
    face.resize(20, 10);
    face.fillRect(face.getRect(), gui::Color(0, 200, 0, 255));
    pressAndMove(b, 10.0f);
    ModulationDragStage* s = stage();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->dragImage().getRect(), gui::Rect(0, 0, 20, 10));
    const float w = s->width.getValue(), h = s->height.getValue();
    struct Case {
        gui::Point pointer;
        gui::Rect expected;
    } cases[] = {
        {{200, 150}, gui::Rect::fromXYWH(190, 145, 20, 10)},
        {{3, 2}, gui::Rect::fromXYWH(0, 0, 20, 10)},
        {{w - 1, 150}, gui::Rect::fromXYWH(w - 20, 145, 20, 10)},
        {{200, h - 2}, gui::Rect::fromXYWH(190, h - 10, 20, 10)},
        {{10, 5}, gui::Rect::fromXYWH(0, 0, 20, 10)},
        {{10.5f, 5}, gui::Rect::fromXYWH(0.5f, 0, 20, 10)},
    };
    for (const Case& c : cases) {
        ui->mouseMove(s->toRoot(c.pointer), 8);
        EXPECT_EQ(s->dragImageRect(), c.expected) << c.pointer.x << "," << c.pointer.y;
    }
    ui->mouseMove(s->toRoot({200, 150}), 8);
    ui->advance(2 * gui::Overlay::kFadeDuration); // the stage has faded in
    ASSERT_EQ(s->opacity.getValue(), 255);
    ui->paint();
    const auto px = [&](float x, float y) {
        const gui::Point at = s->toRoot({x, y});
        return ui->backBuffer().pixelAt(int(at.x), int(at.y));
    };
    EXPECT_EQ(px(190.5f, 145.5f), face.pixelAt(0, 0));
    EXPECT_EQ(px(209.5f, 154.5f), face.pixelAt(0, 0));
    EXPECT_NE(px(210.5f, 150.5f), face.pixelAt(0, 0));
    // Released over nothing: the image goes with the drag (and the stage).
    const gui::Point inside = s->toRoot({195.5f, 150.5f});
    ui->mouseUp(0, s->toRoot({200, 150}), 0);
    ui->paint();
    EXPECT_NE(ui->backBuffer().pixelAt(int(inside.x), int(inside.y)), face.pixelAt(0, 0));
}

} // namespace
