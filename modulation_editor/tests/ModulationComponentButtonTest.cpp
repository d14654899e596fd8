#include "modulation_editor/ModulationComponentButton.h"

#include "gui/Modifiers.h"
#include "gui/ScrollButton.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/tests/ComponentDisplayRig.h"
#include "modulation_editor/tests/SourceComponentRig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using test::EmptyPanel;

// The display's section 0 holds targets 10-12, section 1 targets 20-21 and section 2 none; the buttons stand
// for sections 0 and 1. A drag offers every entry of the drag manager, as the modulation drag stage does.
class ModulationComponentButtonTest : public test::ComponentDisplayRig {
protected:
    void SetUp() override {
        ComponentDisplayRig::SetUp();
        addPanel(10, 3);
        addPanel(20, 2);
        addPanel(0, 0);
        style = std::make_unique<ComponentButton::ComponentStyle>(*ui, nullptr);
        buttons[0] = makeButton(0, 0);
        buttons[1] = makeButton(1, 1);
    }
    void TearDown() override {
        closeEditor();
        style.reset();
        ComponentDisplayRig::TearDown();
    }
    ModulationComponentButton* makeButton(int32_t section, int slot,
                                          ModulationComponentDisplay* on = nullptr) {
        auto* b = new ModulationComponentButton(*ui, *editor, style.get(), nullptr,
                                                on != nullptr ? on : display, section);
        b->setBoundsXYWH(100.0f + 100.0f * static_cast<float>(slot), 20, 60, 40);
        b->parent.setValue(&ui->root());
        return b;
    }

    // Starts a drag on a stage that offers every drag-manager entry.
    void startDrag() {
        object = std::make_unique<gui::DragObject>();
        for (const gui::DragManager::Entry& e : editor->dragManager().entries())
            object->addDropTarget(e.control);
        stage = new gui::DragStage(*ui);
        ui->mouseDown(0, {5, 5}, gui::kLeftButton);
        stage->startDrag(nullptr, object.get());
    }
    void moveTo(const gui::Point& at) { ui->mouseMove(at, gui::kLeftButton); }
    void rest(const gui::Control& c) {
        moveTo(centreOf(c));
        ui->advance(400);
    }
    void endDrag() {
        ui->mouseUp(0, {5, 5});
        ui->advance(20); // the stage goes at the next drain
        stage = nullptr;
    }
    std::vector<bool> openStates() const {
        std::vector<bool> states;
        for (int i = 0; i < 3; ++i)
            states.push_back(display->isOpen(i));
        return states;
    }

    std::unique_ptr<ComponentButton::ComponentStyle> style;
    std::unique_ptr<gui::DragObject> object;
    ModulationComponentButton* buttons[2] = {};
    gui::DragStage* stage = nullptr;
};

TEST_F(ModulationComponentButtonTest, ButtonsAreHoverOnlyEntriesBeforeTheScrollButtons) {
    // A button made after the display's scroll buttons still goes before them.
    auto* late = makeButton(2, 3);
    const auto& entries = editor->dragManager().entries();
    std::vector<const gui::Control*> hoverOnly;
    for (const gui::DragManager::Entry& e : entries)
        if (e.hoverOnly == 1) hoverOnly.push_back(e.control);
    const std::vector<const gui::Control*> expected = {buttons[0], buttons[1], late,
                                                       display->backwardButton(), display->forwardButton()};
    EXPECT_EQ(hoverOnly, expected);
    for (const gui::DragManager::Entry& e : entries)
        EXPECT_EQ(e.group,
                  e.control == display->backwardButton() || e.control == display->forwardButton() ? 1u : 0u);
    delete late;
    for (const gui::DragManager::Entry& e : editor->dragManager().entries())
        EXPECT_NE(e.control, late);
}

TEST_F(ModulationComponentButtonTest, HoverFlipsAComponentAndTheEndOfTheDragRestoresIt) {
    struct Case {
        const char* name;
        std::vector<int> openBefore;    // sections toggled before the drag
        std::vector<int> rests;         // buttons rested on, in order
        std::vector<bool> whileDragged; // sections 0-2 after the rests
    } cases[] = {
        {"folded section unfolds", {}, {0}, {true, false, false}},
        {"open section folds", {0}, {0}, {false, false, false}},
        {"unfolding one folds the other", {1}, {0}, {true, false, false}},
        {"two rests on one button flip it back", {}, {0, 0}, {false, false, false}},
        {"rests on both buttons", {0}, {1, 0}, {true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 3; ++i)
            if (display->isOpen(i)) display->toggleComponent(i);
        for (int section : c.openBefore)
            display->toggleComponent(section);
        const std::vector<bool> before = openStates();
        startDrag();
        for (int b : c.rests) {
            rest(*buttons[b]);
            moveTo({5, 5}); // off the button, so the next rest enters again
        }
        EXPECT_EQ(openStates(), c.whileDragged);
        endDrag();
        EXPECT_EQ(openStates(), before);
    }
}

TEST_F(ModulationComponentButtonTest, AHoverShorterThanTheIntervalFlipsNothing) {
    startDrag();
    moveTo(centreOf(*buttons[0]));
    ui->advance(399);
    EXPECT_FALSE(display->isOpen(0));
    moveTo({5, 5}); // leaving stops the hover
    ui->advance(400);
    EXPECT_FALSE(display->isOpen(0));
    endDrag();
    EXPECT_FALSE(display->isOpen(0));
}

TEST_F(ModulationComponentButtonTest, AButtonWithoutASectionClicksWhenRestedOn) {
    auto* loose = makeButton(-1, 3);
    int clicks = 0;
    loose->clickEvent.addHandler(NotifyEvent::bind([&clicks] { ++clicks; }));
    EXPECT_FALSE(loose->hasSection());
    startDrag();
    rest(*loose);
    EXPECT_EQ(clicks, 1);
    endDrag();
    EXPECT_EQ(openStates(), (std::vector<bool>{false, false, false}));
}

TEST_F(ModulationComponentButtonTest, ADropOffersTheTargetsOfItsComponent) {
    std::vector<uint32_t> targets;
    buttons[0]->offeredTargets(targets);
    EXPECT_EQ(targets, (std::vector<uint32_t>{10, 11, 12}));
    targets.clear();
    makeButton(2, 3)->offeredTargets(targets); // a section without targets
    makeButton(-1, 4)->offeredTargets(targets);
    EXPECT_TRUE(targets.empty());
    // Slot levels are targets only while their slot is in use.
    const auto firstLevel = static_cast<int32_t>(editor->firstSlotTarget());
    addPanel(firstLevel, 3);
    auto* levels = makeButton(3, 5);
    setSlotsInUse(2);
    levels->offeredTargets(targets);
    EXPECT_EQ(targets, (std::vector<uint32_t>{static_cast<uint32_t>(firstLevel),
                                              static_cast<uint32_t>(firstLevel + 1)}));
}

TEST_F(ModulationComponentButtonTest, AClickThatOpensTheComponentFiltersTheSlotsToItsTargets) {
    ui->mouseDown(0, centreOf(*buttons[0]), gui::kLeftButton);
    ui->mouseUp(0, centreOf(*buttons[0]));
    ASSERT_TRUE(display->isOpen(0));
    EXPECT_EQ(slots->targetFilterFirst(), 10);
    EXPECT_EQ(slots->targetFilterCount(), 3);
    const gui::Control* panel = display->components()[0].control->children().front();
    const gui::Rect expected = editor->unionBounds(panel, nullptr);
    EXPECT_EQ(slots->highlightRect().left, expected.left);
    EXPECT_EQ(slots->highlightRect().top, expected.top);
    EXPECT_EQ(slots->highlightRect().width(), 120.0f);
    EXPECT_EQ(slots->highlightRect().height(), 120.0f);

    // Closing it refreshes the list (the display's fold and the click's own)
    // and keeps the filter.
    int before = slots->rebuilds;
    ui->mouseDown(0, centreOf(*buttons[0]), gui::kLeftButton);
    ui->mouseUp(0, centreOf(*buttons[0]));
    EXPECT_FALSE(display->isOpen(0));
    EXPECT_EQ(slots->rebuilds - before, 2);
    EXPECT_EQ(slots->targetFilterFirst(), 10);

    // Closing another component while this filter is on refreshes once, by its fold.
    display->toggleComponent(1);
    before = slots->rebuilds;
    ui->mouseDown(0, centreOf(*buttons[1]), gui::kLeftButton);
    ui->mouseUp(0, centreOf(*buttons[1]));
    EXPECT_EQ(slots->rebuilds - before, 1);
    EXPECT_EQ(slots->targetFilterFirst(), 10);
}

TEST_F(ModulationComponentButtonTest, AClickOnAComponentWithoutTargetsLeavesTheFilter) {
    slots->setSourceFilter(3, 1);
    auto* empty = makeButton(2, 3);
    ui->mouseDown(0, centreOf(*empty), gui::kLeftButton);
    ui->mouseUp(0, centreOf(*empty));
    EXPECT_TRUE(display->isOpen(2));
    EXPECT_EQ(slots->sourceFilterFirst(), 3);
    EXPECT_EQ(slots->sourceFilterCount(), 1);
    EXPECT_EQ(slots->targetFilterCount(), 0);
    // A reset click (Ctrl) neither folds nor filters.
    ui->mouseDown(0, centreOf(*buttons[0]), gui::kLeftButton | gui::kCtrl);
    ui->mouseUp(0, centreOf(*buttons[0]), gui::kCtrl);
    EXPECT_FALSE(display->isOpen(0));
    EXPECT_EQ(slots->targetFilterCount(), 0);
}

TEST_F(ModulationComponentButtonTest, ButtonAndDisplayDieInEitherOrder) {
    // The display first: the buttons lose their section and take no part.
    auto* other = new ModulationComponentDisplay(*ui, *editor, slots.get());
    other->parent.setValue(&ui->root());
    auto* panel = new EmptyPanel(*ui, *editor);
    panel->setSize(50.0f, 50.0f);
    other->addSectionContainer(0.0f, panel, 10, 3);
    auto* orphan = makeButton(0, 3, other);
    delete other;
    EXPECT_FALSE(orphan->hasSection());
    std::vector<uint32_t> targets;
    orphan->offeredTargets(targets);
    EXPECT_TRUE(targets.empty());
    startDrag();
    rest(*orphan);
    endDrag();
    // Then the button before its display.
    delete buttons[1];
    buttons[1] = nullptr;
    EXPECT_EQ(display->buttons().size(), 1u);
    // The button dies in the middle of a drag: the drag ends without it.
    startDrag();
    rest(*buttons[0]);
    delete buttons[0];
    buttons[0] = nullptr;
    endDrag();
    EXPECT_TRUE(display->isOpen(0)); // nobody restores it
}

// With the real drag stage and a source's drag button: the XLFO dragged
// onto the button of the section that holds targets 10-12.
class ComponentButtonDropTest : public test::SourceComponentTest {
protected:
    void SetUp() override {
        SourceComponentTest::SetUp();
        for (int32_t count : {3, 0})
            addSection(count);
        for (int32_t section : {0, 1})
            buttons[section] = addButton(section);
    }
    // Drags the XLFO's source onto the button, rests there and drops.
    void dropOn(gui::Control& target) {
        SourceDragButton& drag = *panel(1)->dragButtons()[0];
        const gui::Point from = centreOf(drag);
        ui->mouseDown(0, from, gui::kLeftButton);
        ui->mouseMove(gui::Point(from.x + 10.0f, from.y), gui::kLeftButton);
        ui->mouseMove(centreOf(target), gui::kLeftButton);
        ui->advance(400);
        unfoldedWhileDragged = display->isOpen(0);
        ui->mouseUp(0, centreOf(target), 0);
    }

    ModulationComponentButton* buttons[2] = {};
    bool unfoldedWhileDragged = false;
};

TEST_F(ComponentButtonDropTest, ADropConnectsTheSourceToEveryTargetOfTheComponent) {
    setSlotsInUse(1);
    const int32_t before = undoCount();
    dropOn(*buttons[0]);
    EXPECT_TRUE(unfoldedWhileDragged);
    EXPECT_FALSE(display->isOpen(0)); // the end of the drag folds it again
    ModulationMatrixController& c = editor->matrixController();
    ASSERT_EQ(editor->slotsInUse(), 4);
    for (int32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(c.getSource(1 + k), 8);
        EXPECT_EQ(c.getTarget(1 + k), 10 + k);
    }
    EXPECT_EQ(undoCount() - before, 1);
    EXPECT_EQ(slots->sourceFilterFirst(), 8);
    EXPECT_EQ(adapter->gestureFaults(), "");
    ui->advance(1000);
    EXPECT_TRUE(gui::headless::ModalResponder::requests().empty());
}

TEST_F(ComponentButtonDropTest, ADropOnAComponentWithoutTargetsOnlyHovers) {
    const int32_t before = undoCount();
    dropOn(*buttons[1]);
    EXPECT_EQ(editor->slotsInUse(), 0);
    EXPECT_EQ(undoCount(), before);
    ui->advance(20);
    ASSERT_EQ(gui::headless::ModalResponder::requests().size(), 1u);
    EXPECT_EQ(gui::headless::ModalResponder::requests()[0].text,
              std::string(ModulationDragStage::kHoverOnlyText));
}

} // namespace
