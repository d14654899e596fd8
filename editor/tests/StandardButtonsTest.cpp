#include "editor/StandardButtons.h"

#include "editor/GenericPluginInterface.h"
#include "editor/tests/EditorRig.h"
#include "gui/Button.h"
#include "gui/PopupMenu.h"
#include "gui/SelectButton.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessPlatformDelegate.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Host : GenericPluginInterface::InterfaceListener {
    bool requestResize(int32_t, int32_t) override { return true; }
    void interfaceRequest(int32_t code) override { requests.push_back(code); }
    std::vector<int32_t> requests;
};

class LearnInterface : public GenericPluginInterface {
public:
    using GenericPluginInterface::GenericPluginInterface;
    bool isMidiLearnActive() override { return learning; }
    void setMidiLearnActive(bool on) override { learning = on; }
    bool learning = false;
};

class StandardButtonsTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<LearnInterface>(*ui, *model);
        editor->setInterfaceListener(&host);
    }
    void closeEditor() override { editor.reset(); }

    gui::Button* add(StandardButtonKind kind) {
        auto* b = new gui::Button(*ui, nullptr);
        b->parent.setValue(&ui->root());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(kind), b);
        return b;
    }
    static void click(gui::Button* b) { b->clickEvent.notify(b); }
    GenericPlugin::UndoHistory& history() { return *model->getUndoHistory(); }
    GenericPlugin::CompareStates& compare() { return *model->getCompareStates(); }
    void edit(float value) {
        gui::ValueControl* c = control();
        editor->linkControl(&model->unit, c);
        c->performGesture(gui::kGestureBegin, 0);
        c->performGesture(gui::kGestureChange, static_cast<int>(value * 36000.0f) - c->value.getValue());
        c->performGesture(gui::kGestureEnd, 0);
    }

    Host host;
    std::unique_ptr<LearnInterface> editor;
};

TEST_F(StandardButtonsTest, UndoRedoAndCompareButtonsFollowTheHistory) {
    gui::Button* undo = add(StandardButtonKind::kUndo);
    gui::Button* redo = add(StandardButtonKind::kRedo);
    gui::Button* copy = add(StandardButtonKind::kCompareCopy);
    gui::Button* ab = add(StandardButtonKind::kCompareSwitch);
    EXPECT_FALSE(undo->enabled.getValue());
    EXPECT_FALSE(redo->enabled.getValue());
    EXPECT_FALSE(copy->enabled.getValue());

    edit(0.25f);
    EXPECT_EQ(history().getUndoCount(), 1);
    EXPECT_TRUE(undo->enabled.getValue());
    EXPECT_TRUE(copy->enabled.getValue());

    click(undo);
    EXPECT_EQ(history().getUndoCount(), 0);
    EXPECT_EQ(history().getRedoCount(), 1);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_FALSE(undo->enabled.getValue());
    EXPECT_TRUE(redo->enabled.getValue());

    click(redo);
    EXPECT_EQ(history().getUndoCount(), 1);
    EXPECT_EQ(history().getRedoCount(), 0);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.25f);

    // A/B: B holds the state of the first attach; the switch restores it,
    // stores one undo step and leaves the compare state as it was.
    const bool changed = compare().isChanged();
    click(ab);
    EXPECT_EQ(compare().getActive(), 1);
    EXPECT_TRUE(ab->on.getValue());
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_EQ(history().getUndoCount(), 2);
    EXPECT_EQ(compare().isChanged(), changed);
    click(ab);
    EXPECT_EQ(compare().getActive(), 0);
    EXPECT_FALSE(ab->on.getValue());
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.25f);

    click(copy);
    EXPECT_FALSE(compare().isChanged());
    EXPECT_FALSE(copy->enabled.getValue());
}

TEST_F(StandardButtonsTest, OptionsLearnAndLabels) {
    gui::Button* options = add(StandardButtonKind::kOptions);
    gui::Button* help = add(StandardButtonKind::kHelp);
    gui::Button* learn = add(StandardButtonKind::kMidiLearn);
    EXPECT_EQ(options->textLine(0)->text.getValue(), "Options");
    EXPECT_EQ(help->textLine(0)->text.getValue(), "Help");
    click(options);
    EXPECT_EQ(host.requests, std::vector<int32_t>{StandardButtons::kOptionsRequest});
    click(learn);
    EXPECT_TRUE(editor->learning);
    click(learn);
    EXPECT_FALSE(editor->learning);
}

TEST_F(StandardButtonsTest, KindsOutsideTheTableAndDeadButtonsDoNothing) {
    auto* stray = new gui::Button(*ui, nullptr);
    for (int32_t kind : {-1, 14, 100}) {
        editor->standardButtons().setStandardButton(kind, stray);
        editor->standardButtons().click(kind);
    }
    EXPECT_FALSE(stray->clickEvent.hasHandlers());
    delete stray;

    gui::Button* undo = add(StandardButtonKind::kUndo);
    delete undo;
    EXPECT_EQ(editor->standardButtons().button(StandardButtonKind::kUndo), nullptr);
    edit(0.75f);
    editor->standardButtons().click(static_cast<int32_t>(StandardButtonKind::kUndo));
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
}

TEST_F(StandardButtonsTest, FreeSizeFollowsItsButtonAndTheSizeChoiceLeavesIt) {
    gui::Button* free = add(StandardButtonKind::kFreeSize);
    free->on.setValue(true);
    click(free);
    EXPECT_TRUE(editor->isFreeSize());
    gui::Button* size = add(StandardButtonKind::kInterfaceSize);
    click(size);
    EXPECT_FALSE(editor->isFreeSize());
}

// The headless work area is 1024 by 603 at scale 1.
TEST_F(StandardButtonsTest, TheSizeMenuEnablesOnlySizesStrictlySmallerThanTheWorkArea) {
    GenericPlugin::Settings& settings = *model->getSettings();
    settings.setInterfaceSizes({{640, 400}, {1000, 600}, {1024, 500}, {900, 603}, {1200, 700}});
    settings.layoutIndex.setValue(1);
    auto* size = new gui::SelectButton(*ui, nullptr);
    size->parent.setValue(&ui->root());
    for (const char* name : {"Small", "Large", "Wide", "Tall", "Huge"})
        size->addChoice(name);
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kInterfaceSize),
                                                size);
    const bool enabled[] = {true, true, false, false, false};
    for (size_t i = 0; i < std::size(enabled); ++i)
        EXPECT_EQ(size->menuItems()[i]->enabled.getValue(), enabled[i]) << i;
    EXPECT_EQ(size->value.getValue(), 1);

    // The menu refreshes its state as it opens.
    size->menuItems()[1]->enabled.setValue(false);
    settings.layoutIndex.setValue(0);
    auto* popup = dynamic_cast<gui::PopupMenu*>(&size->menu());
    ASSERT_NE(popup, nullptr);
    popup->openEvent.notify(popup);
    EXPECT_TRUE(size->menuItems()[1]->enabled.getValue());
    EXPECT_EQ(size->value.getValue(), 0);

    // Choosing an entry stores it and resizes through the host.
    size->value.setValue(1);
    click(size);
    EXPECT_EQ(settings.layoutIndex.getValue(), 1);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 1000.0f);
}

// This product lists no sizes: the size button stores and enables nothing.
TEST_F(StandardButtonsTest, AnEmptySizeTableStoresNothing) {
    auto* size = new gui::SelectButton(*ui, nullptr);
    size->parent.setValue(&ui->root());
    size->addChoice("Only");
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kInterfaceSize),
                                                size);
    size->value.setValue(0);
    click(size);
    EXPECT_EQ(model->getSettings()->layoutIndex.getValue(), 0);
    EXPECT_TRUE(size->menuItems()[0]->enabled.getValue());
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 926.0f);
}

} // namespace
