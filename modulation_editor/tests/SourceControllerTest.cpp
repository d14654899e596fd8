#include "modulation_editor/SourceController.h"

#include "gui/Bitmap.h"
#include "gui/Menu.h"
#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/tests/ResourceImages.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/tests/ListlessSlotController.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// Supplies the show-modulation toggle as well.
class ToggleListener : public test::TestSourceListener {
public:
    using TestSourceListener::TestSourceListener;
    gui::Control* createButton(SourceController& controller, int32_t kind) override {
        if (kind != SourceHost::kAddModulationLabel)
            return TestSourceListener::createButton(controller, kind);
        auto* toggle = new gui::Button(controller.userInterface(), nullptr);
        toggle->toggles.setValue(true);
        toggle->setSize(20.0f, 16.0f);
        return toggle;
    }
};

// A source controller without per-source slots on the root, its listener
// supplying the toggle, with the XLFOs registered and its containers built.
struct PlainController {
    PlainController(ModulationMatrixPluginInterface& editor, VarnelPlugin& model, gui::Control& root)
        : slots(editor), toggles(model), controller(new SourceController(editor, toggles, slots)) {
        controller->setBoundsXYWH(0, 320, 926, 190);
        controller->parent.setValue(&root);
        controller->registerSourceType(model.xlfos, "XLFO", 2, 1);
        controller->rebuildSourceContainers();
    }
    ~PlainController() { delete controller; }
    PlainController(const PlainController&) = delete;
    PlainController& operator=(const PlainController&) = delete;

    test::ListlessSlotController slots;
    ToggleListener toggles;
    SourceController* controller;
};

class SourceControllerTest : public test::SourceTest {};

TEST_F(SourceControllerTest, EveryTypeOwnsAFixedBlockOfSourceIndices) {
    struct Case {
        SourceId id;
        std::pair<uint32_t, int32_t> range;
    } cases[] = {
        {{0, 3}, {6, 2}},
        {{1, 0}, {8, 1}},
        {{4, 9}, {33, 1}},
        {{2, 5}, {19, 1}},
        // Ids outside the tables give empty ranges.
        {{5, 0}, {0, 0}},
        {{-1, 0}, {0, 0}},
        {{1, 6}, {0, 0}},
        {{1, -1}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sources->getSourceParameterRange(c.id), c.range) << c.id.type << "," << c.id.instance;
    EXPECT_EQ(sources->typeOfOutput(7), 0);
    EXPECT_EQ(sources->typeOfOutput(8), 1);
    EXPECT_EQ(sources->typeOfOutput(34), -1);
    // A source is offered only while its instance is active.
    EXPECT_FALSE(editor->canAddToSourceRange(8));
    setActive(model->xlfos, 1);
    EXPECT_TRUE(editor->canAddToSourceRange(8));
    EXPECT_FALSE(editor->canAddToSourceRange(9));
}

TEST_F(SourceControllerTest, TheMenuListsTheTypesThenSortSlots) {
    gui::PopupMenu& menu = sources->addSourceMenu();
    std::vector<std::string> items;
    for (int i = 0; i < menu.itemCount(); ++i)
        items.push_back(menu.itemAt(i)->text.getValue());
    EXPECT_EQ(items,
              (std::vector<std::string>{"New XY Controller", "New XLFO", "New Envelope Generator",
                                        "New Envelope Follower", "New MIDI Source", "-", "Sort Slots"}));
    ASSERT_NE(sources->addSourceButton(), nullptr);
    EXPECT_EQ(sources->addSourceButton()->helpText.getValue(), SourceController::kAddSourceHelp);
}

// A new source is selected, loads its type's default preset and is one undo
// step; the menu item adds it.
TEST_F(SourceControllerTest, AddingASourceSelectsItAndLoadsItsDefaultPreset) {
    setActive(model->xlfos, 1);
    const int32_t before = undoCount();
    sources->addSourceMenu().itemAt(1)->fireSelected();
    EXPECT_EQ(model->xlfos.getNumActive(), 2);
    ASSERT_EQ(sources->panels().size(), 2u);
    SourceInterface* added = panel(1);
    EXPECT_EQ(added->sourceId(), (SourceId{1, 1}));
    EXPECT_EQ(added->sourceName(), "S1.2");
    EXPECT_TRUE(added->selected.getValue());
    EXPECT_FALSE(panel(0)->selected.getValue());
    EXPECT_EQ(editor->presetLoads, (std::vector<std::pair<int32_t, int32_t>>{{2, 1}}));
    EXPECT_EQ(undoCount() - before, 1);
    EXPECT_FALSE(sources->isPending());
    EXPECT_EQ(adapter->gestureFaults(), "");
    // A list at its maximum takes no more.
    setActive(model->efs, 4);
    sources->addSource(3);
    EXPECT_EQ(model->efs.getNumActive(), 4);
}

// The added source's container grows in to the width its panel needs, and
// the others keep theirs.
TEST_F(SourceControllerTest, AnAddedSourceGrowsInToItsPanelsWidth) {
    setActive(model->xlfos, 1);
    sources->addSource(1);
    sources->addSource(0);
    ui->advance(1000);
    ASSERT_EQ(sources->containerCount(), 3);
    for (int32_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        SourceContainer* container = sources->containerAt(k);
        EXPECT_GE(container->width.getValue(), 150.0f);
        EXPECT_FLOAT_EQ(container->width.getValue(), container->preferredWidth(k == 2));
        EXPECT_EQ(container->opacity.getValue(), 255);
    }
}

// A source added past the strip's right edge comes into view once its
// container has grown in (its selection alone found it not laid out yet,
// the strip's range short of it), and one added in view leaves the strip.
TEST_F(SourceControllerTest, AnAddedSourcePastTheStripsEdgeComesIntoView) {
    gui::ScrollArea* area = sources->strip().scrollArea();
    auto visible = [&](SourceInterface* added) {
        const float x = added->toRoot(gui::Point(0.0f, 0.0f)).x - area->toRoot(gui::Point(0.0f, 0.0f)).x;
        return x >= 0.0f && x + added->width.getValue() <= area->width.getValue();
    };
    setActive(model->xlfos, 2);
    sources->addSource(2);
    ui->advance(2000);
    ASSERT_EQ(sources->panels().size(), 3u);
    EXPECT_TRUE(visible(panel(2)));
    EXPECT_EQ(area->scrollX.getValue(), 0.0f);

    setActive(model->xlfos, 6);
    sources->addSource(3);
    ui->advance(2000);
    ASSERT_EQ(sources->panels().size(), 8u);
    SourceInterface* follower = panel(7);
    EXPECT_EQ(follower->sourceId(), (SourceId{3, 0}));
    EXPECT_GT(area->scrollX.getValue(), 0.0f);
    EXPECT_TRUE(visible(follower)) << "scrolled to " << area->scrollX.getValue();
}

// Removing XLFO 2 of 3 keeps the third panel, now instance 1, with its
// knob on target 19 and the slots that used it retargeted.
TEST_F(SourceControllerTest, RemovingASourceKeepsTheLaterPanels) {
    setActive(model->xlfos, 3);
    setSlotsInUse(2);
    ModulationMatrixController& c = editor->matrixController();
    c.setSource(0, 8);
    c.setTarget(0, VarnelModulation::xlfoTarget(2, 0)); // XLFO 1 -> XLFO 3 Freq (22)
    c.setSource(1, 9);                                  // XLFO 2 -> Delay 1 Time
    c.setTarget(1, 0);
    SourceInterface* third = panel(2);
    slots->setSourceFilter(9, 1);
    const int32_t before = undoCount();
    panel(1)->removeSource();
    EXPECT_TRUE(sources->isPending());
    ui->advance(400); // the bar's removal animation
    EXPECT_FALSE(sources->isPending());
    EXPECT_EQ(model->xlfos.getNumActive(), 2);
    ASSERT_EQ(sources->panels().size(), 2u);
    EXPECT_EQ(panel(1), third);
    EXPECT_EQ(third->sourceId(), (SourceId{1, 1}));
    auto* frequency = static_cast<test::TestSourcePanel*>(third)->frequency;
    EXPECT_EQ(editor->getTargetIndex(frequency), 19u);
    EXPECT_EQ(frequency->controlId.getValue(), model->xlfos[1].frequency.getIndex());
    // XLFO 2's slot went; XLFO 1's slot follows its target to XLFO 2's Freq.
    EXPECT_EQ(editor->slotsInUse(), 1);
    EXPECT_EQ(c.getTarget(0), 19);
    // The old filter would name the next source now.
    EXPECT_FALSE(slots->hasFilter());
    EXPECT_EQ(undoCount() - before, 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(SourceControllerTest, APendingChangeBlocksTheNext) {
    setActive(model->xlfos, 2);
    setActive(model->egs, 1);
    panel(0)->removeSource();
    ASSERT_TRUE(sources->isPending());
    panel(1)->removeSource();
    sources->addSource(2);
    ui->advance(400);
    EXPECT_EQ(model->xlfos.getNumActive(), 1);
    EXPECT_EQ(model->egs.getNumActive(), 1);
    EXPECT_EQ(sources->panels().size(), 2u);
}

// The cache lags the model after a preset load until the queued refresh.
TEST_F(SourceControllerTest, CountsComeFromTheModelNotTheCache) {
    // An add after the model grew adds at the model's count.
    setActive(model->xlfos, 1);
    setActive(model->xlfos, 3, false);
    sources->addSource(1);
    EXPECT_EQ(model->xlfos.getNumActive(), 4);
    EXPECT_EQ(sources->panels().size(), 4u);
    EXPECT_EQ(panel(3)->sourceId(), (SourceId{1, 3}));

    // A removal whose animation spans a change removes nothing and rebuilds.
    const int32_t before = undoCount();
    panel(1)->removeSource();
    setActive(model->xlfos, 2, false);
    ui->advance(400);
    EXPECT_FALSE(sources->isPending());
    EXPECT_EQ(model->xlfos.getNumActive(), 2);
    ASSERT_EQ(sources->panels().size(), 2u);
    EXPECT_EQ(panel(0)->sourceId(), (SourceId{1, 0}));
    EXPECT_EQ(panel(1)->sourceId(), (SourceId{1, 1}));
    EXPECT_EQ(undoCount(), before);
}

// An Add Slot button adds an empty slot of its output, under the drop's
// rule: past the count in use, or a box when the matrix is full.
TEST_F(SourceControllerTest, AddSlotFollowsTheCountInUse) {
    setActive(model->xyControllers, 1);
    setSlotsInUse(2);
    SourceContainer* container = sources->containerAt(0);
    ASSERT_EQ(container->addSlotButtons().size(), 2u);
    const int32_t before = undoCount();
    container->addSlotButtons()[1]->clickEvent.notify(container->addSlotButtons()[1]);
    EXPECT_EQ(editor->slotsInUse(), 3);
    EXPECT_EQ(editor->matrixController().getSource(2), 1);
    EXPECT_EQ(editor->matrixController().getTarget(2), -1);
    EXPECT_EQ(undoCount() - before, 1);
    setSlotsInUse(24);
    container->addSlotButtons()[0]->clickEvent.notify(container->addSlotButtons()[0]);
    EXPECT_EQ(editor->slotsInUse(), 24);
    ui->advance(10);
    ASSERT_EQ(gui::headless::ModalResponder::requests().size(), 1u);
    EXPECT_EQ(gui::headless::ModalResponder::requests()[0].text,
              "No free slots are available. Clear one or more slots and try again.");
}

// Closing the editor during a removal keeps the source (run under ASan).
TEST_F(SourceControllerTest, ClosingDuringARemovalKeepsTheSource) {
    setActive(model->xlfos, 2);
    panel(0)->removeSource();
    ui->advance(100);
    editor->prepareForClosing();
    EXPECT_EQ(model->xlfos.getNumActive(), 2);
}

// Without per-source slots the button container at the bar's end follows
// the visible panels: "Add Modulation" with none, the toggle once a panel
// shows, "Show Modulation" while modulation is hidden.
TEST_F(SourceControllerTest, TheButtonContainerFollowsTheVisiblePanels) {
    PlainController made(*editor, *model, ui->root());
    SourceController* plain = made.controller;
    SourceController::ButtonContainer* buttons = plain->buttonContainer();
    ASSERT_NE(buttons, nullptr);
    auto* add = static_cast<gui::Button*>(buttons->addSourceButton());
    auto* toggle = static_cast<gui::Button*>(buttons->toggle());
    EXPECT_EQ(plain->containerCount(), 0);
    EXPECT_EQ(add->textLine(0)->text.getValue(), "Add Modulation");
    EXPECT_TRUE(add->visible.getValue());
    EXPECT_FALSE(toggle->visible.getValue());
    EXPECT_FLOAT_EQ(add->x.getValue(), 10.0f);

    setActive(model->xlfos, 1, false);
    plain->rebuildSourceContainers();
    ASSERT_EQ(plain->containerCount(), 1);
    EXPECT_EQ(plain->sourceBar().children().back(), buttons);
    EXPECT_EQ(add->textLine(0)->text.getValue(), "");
    EXPECT_TRUE(toggle->visible.getValue());
    EXPECT_TRUE(toggle->on.getValue());
    EXPECT_FLOAT_EQ(toggle->x.getValue(), add->width.getValue() + 14.0f);

    plain->showModulation.setValue(false);
    EXPECT_FALSE(add->visible.getValue());
    EXPECT_EQ(toggle->textLine(0)->text.getValue(), "Show Modulation");
    EXPECT_FLOAT_EQ(toggle->x.getValue(), 10.0f);
    EXPECT_FLOAT_EQ(plain->containerAt(0)->preferredWidth(true), 0.0f);
}

// The shadow bitmap lies under the row of visible buttons, centred on it
// and stretched to 20 units past both ends, and follows the row as the
// buttons change.
TEST_F(SourceControllerTest, TheButtonContainerDrawsItsShadowAroundItsButtons) {
    static const bool registered =
        test::registerSolidImages({{"TestButtonShadow.png", 8, 30, gui::Color(10, 20, 30, 255)}});
    ASSERT_TRUE(registered);
    PlainController made(*editor, *model, ui->root());
    SourceController* plain = made.controller;
    SourceController::ButtonContainer* buttons = plain->buttonContainer();
    buttons->setShadowBitmap("TestButtonShadow");
    ASSERT_NE(buttons->shadowBitmap(), nullptr);
    // The pixels as loaded.
    const gui::Color shade = buttons->shadowBitmap()->pixelAt(3, 3);
    gui::Control* add = buttons->addSourceButton();
    const gui::Rect row = add->bounds.getValue();
    const float midY = row.top + row.height() * 0.5f;
    EXPECT_EQ(buttons->shadowRect(), gui::Rect(row.left - 20, midY - 15, row.right + 20, midY + 15));

    ui->paint();
    const auto px = [&](float x, float y) {
        const gui::Point at = buttons->toRoot(gui::Point(x, y));
        return ui->backBuffer().pixelAt(int(at.x), int(at.y));
    };
    EXPECT_EQ(px(row.right + 10.5f, midY), shade);
    EXPECT_EQ(px(row.right + 10.5f, midY - 14.5f), shade);
    EXPECT_NE(px(row.right + 10.5f, midY - 15.5f), shade);
    EXPECT_EQ(px(row.right + 19.5f, midY), shade);
    EXPECT_NE(px(row.right + 20.5f, midY), shade);

    // Once the toggle shows, the shadow reaches past it as well.
    setActive(model->xlfos, 1, false);
    plain->rebuildSourceContainers();
    gui::Control* toggle = buttons->toggle();
    ASSERT_TRUE(toggle->visible.getValue());
    EXPECT_FLOAT_EQ(buttons->shadowRect().right, toggle->bounds.getValue().right + 20.0f);
    buttons->setShadowBitmap("");
    EXPECT_EQ(buttons->shadowBitmap(), nullptr);
}

// The scroll bar's state bitmaps make the strip's scroll-bar button, as
// thick as its bitmaps and at half opacity without a pressed bitmap; a
// second set replaces the first.
TEST_F(SourceControllerTest, BarBitmapsMakeTheScrollBarButton) {
    static const bool registered = test::registerSolidImages({
        {"TestThumbNormal.png", 12, 6, gui::Color(200, 0, 0, 255)},
        {"TestThumbActive.png", 12, 6, gui::Color(0, 200, 0, 255)},
        {"TestThumbDown.png", 12, 6, gui::Color(0, 0, 200, 255)},
    });
    ASSERT_TRUE(registered);
    gui::ScrollArea* area = sources->strip().scrollArea();
    sources->setBarBitmaps("");
    EXPECT_EQ(sources->scrollBarButton(), nullptr);

    sources->setBarBitmaps("", {"TestThumbNormal", "TestThumbActive", "", "", ""});
    gui::Button* thumb = sources->scrollBarButton();
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(area->scrollBar(gui::Orientation::kHorizontal), thumb);
    EXPECT_EQ(thumb->getParent(), area);
    EXPECT_EQ(thumb->opacity.getValue(), 128);
    area->updateLayout();
    EXPECT_FLOAT_EQ(thumb->height.getValue(), 6.0f);

    sources->setBarBitmaps("", {"TestThumbNormal", "TestThumbActive", "TestThumbDown", "", ""});
    ASSERT_NE(sources->scrollBarButton(), nullptr);
    EXPECT_EQ(area->scrollBar(gui::Orientation::kHorizontal), sources->scrollBarButton());
    EXPECT_EQ(sources->scrollBarButton()->opacity.getValue(), 255);
    EXPECT_EQ(std::count_if(
                  area->children().begin(), area->children().end(),
                  [](gui::Control* c) { return dynamic_cast<gui::ScrollArea::ScrollBar*>(c) != nullptr; }),
              1);
}

// Sources that come without the insertion animation (a preset, automation)
// widen the strip's scroll range as they come and narrow it as they go, so
// that every panel can be scrolled into view.
TEST_F(SourceControllerTest, TheStripsRangeFollowsTheSourcesARebuildMakes) {
    gui::ScrollArea* area = sources->strip().scrollArea();
    setActive(model->xlfos, 6);
    setActive(model->egs, 6);
    const float wide = area->scrollX.getMaximum();
    EXPECT_GT(wide, 0.0f);
    EXPECT_NEAR(wide, area->contentWidth.getValue() - area->width.getValue(), 1.0f);
    setActive(model->egs, 0);
    EXPECT_LT(area->scrollX.getMaximum(), wide);
}

// The scroll listener hears every scroll of the strip, with its position,
// once the selection bar has followed; set back to null it hears nothing.
TEST_F(SourceControllerTest, TheScrollListenerIsToldAfterEveryScroll) {
    struct Recorder : SourceController::ScrollListener {
        std::vector<float> positions;
        float selector = -1.0f;
        void sourcesScrolled(SourceController& c, float position) override {
            positions.push_back(position);
            selector = c.selectionBar()->selector()->x.getValue();
        }
    } recorder;
    setActive(model->xlfos, 6);
    setActive(model->egs, 6);
    gui::ScrollArea* area = sources->strip().scrollArea();
    ASSERT_GT(area->scrollX.getMaximum(), 60.0f);
    sources->setScrollListener(&recorder);
    area->scrollX.setValue(40.0f);
    area->scrollX.setValue(60.0f);
    EXPECT_EQ(recorder.positions, (std::vector<float>{40.0f, 60.0f}));
    // The selection bar had followed the scroll to 60.
    SourceSelectionBar* bar = sources->selectionBar();
    EXPECT_FLOAT_EQ(recorder.selector,
                    bar->mapOrigin() + 60.0f * bar->mapWidth() / sources->sourceBar().width.getValue());
    sources->setScrollListener(nullptr);
    area->scrollX.setValue(10.0f);
    EXPECT_EQ(recorder.positions.size(), 2u);
}

// A product whose refresh rebuilds the sources, as an editor does when a
// source list's count changes: adding a source loads its preset and
// refreshes every control from inside the rebuild. The re-entries are
// bounded here so that a missing guard shows as duplicate panels.
class RebuildingInterface : public test::TestModulationInterface {
public:
    using TestModulationInterface::TestModulationInterface;
    void refreshControls(int32_t index) override {
        TestModulationInterface::refreshControls(index);
        if (sources == nullptr || depth >= 3) return;
        ++depth;
        ++refreshes;
        sources->rebuildSourceContainers();
        --depth;
    }
    SourceController* sources = nullptr;
    int depth = 0;
    int refreshes = 0;
};

class SourceControllerReentryTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        editor.reset();
        auto rebuilding = std::make_unique<RebuildingInterface>(*ui, *model);
        interface = rebuilding.get();
        editor = std::move(rebuilding);
        slots = std::make_unique<SourceSlotController>(*editor);
        listener = std::make_unique<test::TestSourceListener>(*model);
        sources = new SourceController(*editor, *listener, *slots);
        sources->setBoundsXYWH(0, 320, 926, 190);
        sources->parent.setValue(&ui->root());
        sources->registerSourceType(model->xyControllers, "XY Controller", -1, 2);
        sources->registerSourceType(model->xlfos, "XLFO", 2, 1);
        sources->registerSourceType(model->egs, "Envelope Generator", 3, 1);
        interface->sources = sources;
    }
    void TearDown() override {
        interface->sources = nullptr;
        editor->prepareForClosing();
        slots.reset();
        editor.reset();
        listener.reset();
        ModulationEditorTest::TearDown();
    }

    RebuildingInterface* interface = nullptr;
    std::unique_ptr<SourceSlotController> slots;
    std::unique_ptr<test::TestSourceListener> listener;
    SourceController* sources = nullptr;
};

TEST_F(SourceControllerReentryTest, ARefreshThatRebuildsDuringAnAddMakesOnePanelPerSource) {
    sources->addSource(1);
    sources->addSource(2);
    sources->addSource(1);
    // The preset loads asked for refreshes that reached the controller.
    EXPECT_EQ(editor->presetLoads, (std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {3, 0}, {2, 1}}));
    EXPECT_GT(interface->refreshes, 0);
    const std::vector<SourceInterface*> panels = sources->panels();
    ASSERT_EQ(panels.size(), 3u);
    EXPECT_EQ(panels[0]->sourceId(), (SourceId{1, 0}));
    EXPECT_EQ(panels[1]->sourceId(), (SourceId{1, 1}));
    EXPECT_EQ(panels[2]->sourceId(), (SourceId{2, 0}));
    EXPECT_EQ(sources->containerCount(), 3);
    EXPECT_FALSE(sources->isRebuilding());
    // The selection bar maps every container once the rebuild is over.
    ASSERT_NE(sources->selectionBar(), nullptr);
    EXPECT_EQ(sources->selectionBar()->sourceButtons().size(), 3u);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
