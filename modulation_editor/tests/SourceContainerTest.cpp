#include "modulation_editor/SourceContainer.h"

#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class SourceContainerTest : public test::SourceTest {
protected:
    void connect(int32_t slot, int32_t source, int32_t target) {
        ModulationMatrixController& c = editor->matrixController();
        c.setSource(slot, source);
        c.setTarget(slot, target);
    }
    SlotInterface* panelOf(int32_t slot) {
        for (int32_t k = 0; k < slots->listedCount(); ++k)
            if (auto* p = static_cast<SlotInterface*>(slots->panelAt(k)); p != nullptr && p->slot() == slot)
                return p;
        return nullptr;
    }
};

// The slot panels of each output stand under their source, outputs one
// above the other, a new column every slotsPerColumn slots; the Add Slot
// button follows the last slot. A slot of a source without a panel hides.
TEST_F(SourceContainerTest, SlotPanelsStandUnderTheirOutputs) {
    sources->slotPanelWidth.setValue(20.0f);
    sources->slotSpacing.setValue(4.0f);
    sources->columnSpacing.setValue(6.0f);
    slots->panelWidth.setValue(50.0f);
    setActive(model->xyControllers, 1);
    setActive(model->xlfos, 1);
    setSlotsInUse(6);
    connect(0, 0, 0);  // X
    connect(1, 1, 1);  // Y
    connect(2, 0, 2);  // X
    connect(3, 8, 3);  // XLFO 1
    connect(4, 0, 4);  // X
    connect(5, 10, 5); // XLFO 3: no panel
    sources->rebuildSourceContainers();
    SourceContainer* xy = sources->containerAt(0);
    SourceContainer* xlfo = sources->containerAt(1);
    // (container height - slot area top - spacing) / (2 outputs x 24).
    const float top = 100.0f;
    const auto rows = static_cast<int32_t>((xy->height.getValue() - top - 4.0f) / 48.0f);
    ASSERT_EQ(xy->slotsPerColumn(), rows);
    ASSERT_GE(rows, 1);
    EXPECT_EQ(xy->slotCounts(), (std::vector<int32_t>{3, 1}));
    struct Case {
        int32_t slot;
        SourceContainer* home;
        int32_t output;
        int32_t index;
    } cases[] = {{0, xy, 0, 0}, {2, xy, 0, 1}, {4, xy, 0, 2}, {1, xy, 1, 0}, {3, xlfo, 0, 0}};
    for (const Case& c : cases) {
        SlotInterface* p = panelOf(c.slot);
        ASSERT_NE(p, nullptr) << c.slot;
        EXPECT_EQ(p->getParent(), c.home) << c.slot;
        const gui::Point at = c.home->slotPosition(c.output, c.index);
        EXPECT_FLOAT_EQ(p->x.getValue(), at.x) << c.slot;
        EXPECT_FLOAT_EQ(p->y.getValue(), at.y) << c.slot;
        EXPECT_FLOAT_EQ(at.y, top + static_cast<float>(c.output * rows + c.index % rows) * 24.0f) << c.slot;
        EXPECT_FLOAT_EQ(at.x, static_cast<float>(c.index / rows) * 56.0f) << c.slot;
    }
    EXPECT_EQ(panelOf(5), nullptr);
    const gui::Point add = xy->slotPosition(0, 3);
    EXPECT_FLOAT_EQ(xy->addSlotButtons()[0]->x.getValue(), add.x);
    EXPECT_FLOAT_EQ(xy->addSlotButtons()[0]->y.getValue(), add.y);

    // A filter dims the containers and lists fewer slots under them.
    slots->setSourceFilter(8, 1);
    EXPECT_EQ(xy->state(), SourceContainer::kDimmed);
    EXPECT_EQ(xy->slotCounts(), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(panelOf(3)->getParent(), xlfo);
}

// Columns whose panels overlap (a negative column spacing, as the product
// sets to lay the slots' shadows over each other) never cover the Add Slot
// button: one that starts a new column stands clear of the column before it,
// one inside a column stands where the next slot will.
TEST_F(SourceContainerTest, TheColumnBeforeNeverCoversTheAddSlotButton) {
    sources->slotPanelWidth.setValue(20.0f);
    sources->slotSpacing.setValue(4.0f);
    sources->columnSpacing.setValue(-9.0f);
    slots->panelWidth.setValue(50.0f);
    setActive(model->xlfos, 1);
    sources->rebuildSourceContainers();
    SourceContainer* xlfo = sources->containerAt(0);
    const int32_t rows = xlfo->slotsPerColumn();
    ASSERT_GE(rows, 1);
    for (int32_t count : {rows - 1, rows, 2 * rows}) {
        if (count < 0) continue;
        setSlotsInUse(count);
        for (int32_t s = 0; s < count; ++s)
            connect(s, 8, s);
        slots->refreshSlots(-1);
        SCOPED_TRACE(count);
        ASSERT_EQ(xlfo->slotCounts(), std::vector<int32_t>{count});
        const gui::Rect button = xlfo->addSlotButtons()[0]->bounds.getValue();
        const gui::Point next = xlfo->slotPosition(0, count);
        EXPECT_FLOAT_EQ(button.top, next.y);
        for (int32_t k = 0; k < slots->listedCount(); ++k) {
            const gui::Rect slot = slots->panelAt(k)->bounds.getValue();
            if (slot.top == button.top) {
                EXPECT_GE(button.left, slot.right) << k;
            }
        }
        if (count % rows != 0 || count == 0) {
            EXPECT_FLOAT_EQ(button.left, next.x);
        }
    }
}

// A panel that changes its width (an XLFO panel whose step panel opens)
// takes its container with it, and the containers after it make room.
TEST_F(SourceContainerTest, AContainerFollowsItsPanelsWidth) {
    setActive(model->xlfos, 2);
    sources->rebuildSourceContainers();
    ui->advance(400);
    SourceContainer* first = sources->containerAt(0);
    SourceContainer* second = sources->containerAt(1);
    const float start = panel(0)->width.getValue();
    for (float w : {start + 130.0f, start}) {
        panel(0)->width.setValue(w);
        EXPECT_FLOAT_EQ(first->width.getValue(), std::max(w, first->minWidth) + 1.0f) << w;
        EXPECT_GE(second->x.getValue(), first->bounds.getValue().right) << w;
    }
}

// Panels die with their container when a source goes; the slot controller
// forgets them and makes new ones (run under ASan).
TEST_F(SourceContainerTest, PanelsThatDieWithTheirContainerAreForgotten) {
    setActive(model->xlfos, 2);
    setSlotsInUse(2);
    connect(0, 8, 0);
    connect(1, 9, 1);
    sources->rebuildSourceContainers();
    ASSERT_NE(panelOf(1), nullptr);
    panel(1)->removeSource();
    ui->advance(400);
    EXPECT_EQ(editor->slotsInUse(), 1);
    ASSERT_NE(panelOf(0), nullptr);
    EXPECT_EQ(panelOf(0)->getParent(), sources->containerAt(0));
    setActive(model->xlfos, 2);
    setSlotsInUse(2);
    connect(1, 9, 1);
    slots->refreshSlots(-1);
    ASSERT_NE(panelOf(1), nullptr);
    EXPECT_EQ(panelOf(1)->getParent(), sources->containerAt(1));
}

// Each step of a level drag comes back as a refresh; the panel stays in
// its container with its link, so the host sees one gesture and one undo step.
TEST_F(SourceContainerTest, ARefreshDuringALevelDragKeepsTheGesture) {
    setActive(model->xlfos, 1);
    setSlotsInUse(2);
    connect(0, 8, 0);
    connect(1, 8, 1);
    sources->rebuildSourceContainers();
    SlotInterface* panel = panelOf(1);
    ASSERT_NE(panel, nullptr);
    gui::ValueControl* level = panel->slotControl(SlotInterface::kLevel);
    const int32_t index = model->slots.getSet(1)->level.getIndex();
    const int32_t before = undoCount();
    level->performGesture(gui::kGestureBegin, 0);
    for (int step = 0; step < 20; ++step) {
        level->performGesture(gui::kGestureChange, 100);
        slots->refreshSlots(index);
        editor->refreshControls(index);
    }
    level->performGesture(gui::kGestureEnd, 0);
    EXPECT_EQ(panelOf(1), panel);
    EXPECT_EQ(adapter->kindsOf(index), "b" + std::string(20, 'v') + "e");
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(undoCount() - before, 1);
}

// An output with slots draws a line from its drag button down, joined
// along the top of its first slot to the first column when that lies to the
// left; a column to the right gets no joining line.
TEST_F(SourceContainerTest, LinesJoinTheDragButtonToItsFirstColumn) {
    const gui::Color red(255, 0, 0, 255);
    sources->lineColor.setValue(red);
    sources->slotPanelWidth.setValue(20.0f);
    sources->slotSpacing.setValue(4.0f);
    sources->slotAreaOffset.setValue(6.0f);
    slots->panelWidth.setValue(50.0f);
    setActive(model->xlfos, 1);
    setSlotsInUse(1);
    connect(0, 8, 0);
    sources->rebuildSourceContainers();
    SourceContainer* xlfo = sources->containerAt(0);
    ASSERT_EQ(xlfo->buttonCentres(), (std::vector<float>{15.0f}));
    const gui::Point first = xlfo->slotPosition(0, 0);
    ASSERT_FLOAT_EQ(first.x, 0.0f);
    ASSERT_FLOAT_EQ(first.y, 106.0f);
    const auto px = [&](float x, float y) {
        ui->paint();
        const gui::Point at = xlfo->toRoot(gui::Point(x, y));
        return ui->backBuffer().pixelAt(int(at.x), int(at.y));
    };
    EXPECT_EQ(px(15.5f, 102.5f), red); // the vertical line
    EXPECT_NE(px(14.5f, 102.5f), red);
    EXPECT_EQ(px(0.5f, 105.5f), red); // the joining line, from the column
    EXPECT_EQ(px(10.5f, 105.5f), red);
    EXPECT_NE(px(16.5f, 105.5f), red); // ... up to the vertical line
    EXPECT_NE(px(10.5f, 104.5f), red);

    // The first column to the right of the drag button: no joining line.
    sources->margin.setValue(20.0f);
    sources->rebuildSourceContainers();
    ASSERT_FLOAT_EQ(xlfo->slotPosition(0, 0).x, 20.0f);
    EXPECT_NE(px(10.5f, 105.5f), red);
    EXPECT_EQ(px(15.5f, 102.5f), red);
}

} // namespace
