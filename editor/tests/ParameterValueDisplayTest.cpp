#include "editor/ParameterValueDisplay.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/ZentorPluginInterface.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Animator.h"
#include "gui/Button.h"
#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/Timer.h"
#include "gui/ValueControl.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessTextEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using test::EditorModel;
using test::RecordingAdapter;

class CountingEditor : public GenericPluginInterfaceBase {
public:
    using GenericPluginInterfaceBase::GenericPluginInterfaceBase;
    void storeUndoStep(int32_t) override { ++undoSteps; }
    int undoSteps = 0;
};

// A panel that asked for the display: its own table of controls.
class PanelSource : public ParameterValueDisplay::ValueSource {
public:
    explicit PanelSource(gui::UserInterface& ui) : component(new gui::Control(ui)) {}
    gui::Control* controlForParameter(int32_t index) override {
        return index == boundIndex ? bound : nullptr;
    }
    gui::Component& sourceComponent() override { return *component; }
    gui::Control* component;
    gui::Control* bound = nullptr;
    int32_t boundIndex = -1;
};

class ValueDisplayTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        PluginTest::TearDown();
    }

    // The editor with (or without) the skin's animator at 15 ticks a second.
    void open(bool withAnimator = true) {
        editor = std::make_unique<CountingEditor>(*ui, *model);
        if (withAnimator) {
            auto made = std::make_unique<gui::Animator>(*ui, ui->clock());
            animator = made.get();
            animator->rate.setValue(15);
            animator->running.setValue(true);
            animator->tickEvent.addHandler(NotifyEvent::bind([this] { ++ticks; }));
            editor->adoptAnimator(std::move(made));
        }
        editor->adoptValueDisplay(std::make_unique<ParameterValueDisplay>(*ui, *editor));
        unit = control(&model->unit, 100);
        bipolar = control(&model->bipolar, 200);
    }
    gui::ValueControl* control(AbstractPluginParameter* parameter, float left) {
        auto* c = new gui::ValueControl(*ui);
        c->setBoundsXYWH(left, 100, 40, 40);
        c->parent.setValue(&ui->root());
        editor->linkControl(parameter, c);
        editor->listenToControl(c);
        return c;
    }
    ParameterValueDisplay& display() {
        return static_cast<ParameterValueDisplay&>(editor->valueDisplay()->displayControl());
    }
    void enter(gui::ValueControl* c) {
        const gui::Rect& b = c->bounds.getValue();
        ui->mouseMove(gui::Point(b.left + 20, b.top + 20));
    }
    void leave() { ui->mouseMove(gui::Point(390, 10)); }
    std::string line(int k) { return display().text(k)->text.getValue(); }
    // Advances until the next animator tick.
    void nextTick() {
        const int before = ticks;
        for (int i = 0; i < 100 && ticks == before; ++i)
            ui->advance(1);
    }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    gui::Animator* animator = nullptr;
    std::unique_ptr<CountingEditor> editor;
    gui::ValueControl* unit = nullptr;
    gui::ValueControl* bipolar = nullptr;
    int ticks = 0;
};

TEST_F(ValueDisplayTest, FadesInOver100MsBelowTheControl) {
    open();
    EXPECT_EQ(animator->timer()->interval.getValue(), 66);
    EXPECT_FALSE(display().visible.getValue());
    enter(unit);
    EXPECT_TRUE(display().shown());
    EXPECT_TRUE(display().visible.getValue());
    EXPECT_EQ(line(0), "Unit");
    EXPECT_EQ(line(1), model->unit.valueToText(0.5f, 0));
    nextTick();
    EXPECT_GT(display().opacity.getValue(), 0);
    EXPECT_LT(display().opacity.getValue(), 255);
    nextTick();
    EXPECT_EQ(display().opacity.getValue(), 255);
    // Below the control with a gap of 4, centred on it.
    const gui::Rect& b = display().bounds.getValue();
    gui::Rect paint;
    display().getPaintBounds(paint);
    EXPECT_FLOAT_EQ(b.top + paint.top, 144.0f);
    EXPECT_FLOAT_EQ(b.left + (paint.left + paint.right) / 2, 120.0f);
    EXPECT_EQ(display().getParent(), &ui->root());
}

TEST_F(ValueDisplayTest, HidesOneSecondAfterThePointerLeftAndFadesOutInFourTicks) {
    open();
    enter(unit);
    ui->advance(300);
    leave();
    ui->advance(999);
    EXPECT_TRUE(display().shown());
    EXPECT_TRUE(display().hasEntries());
    EXPECT_EQ(display().opacity.getValue(), 255);
    ui->advance(1);
    EXPECT_FALSE(display().hasEntries());
    EXPECT_FALSE(display().shown());
    for (int i = 0; i < 3; ++i)
        nextTick();
    EXPECT_GT(display().opacity.getValue(), 0);
    nextTick();
    EXPECT_EQ(display().opacity.getValue(), 0);
    EXPECT_FALSE(display().visible.getValue());
}

TEST_F(ValueDisplayTest, ReenteringCancelsTheHide) {
    open();
    enter(unit);
    leave();
    ui->advance(600);
    enter(unit);
    ui->advance(2000);
    EXPECT_TRUE(display().shown());
    EXPECT_EQ(display().entries().size(), 1u);
}

TEST_F(ValueDisplayTest, ASecondControlReplacesTheEntriesUnlessTheFirstGestureRuns) {
    open();
    enter(unit);
    leave();
    enter(bipolar);
    ASSERT_EQ(display().entries().size(), 1u);
    EXPECT_EQ(display().entries()[0].parameter, &model->bipolar);
    EXPECT_EQ(line(0), "Bipolar");

    // Linked controls move together: the follower's begin joins the running gesture.
    leave();
    unit->linkWith(bipolar);
    unit->updateLinkFromModifiers(gui::kAlt);
    unit->performGesture(gui::kGestureBegin, 0);
    unit->performGesture(gui::kGestureChange, 100);
    ASSERT_EQ(display().entries().size(), 2u);
    EXPECT_EQ(display().entries()[0].parameter, &model->unit);
    EXPECT_EQ(display().entries()[1].parameter, &model->bipolar);
    EXPECT_EQ(line(0), "Unit");
    EXPECT_EQ(display().lineCount.getValue(), 3);
    unit->performGesture(gui::kGestureEnd, 0);
    EXPECT_EQ(adapter->gestureFaults(), "");
    // The display follows the sent values.
    EXPECT_FLOAT_EQ(display().entries()[0].value, model->unit.getValue());
    EXPECT_EQ(line(1), model->unit.valueToText(model->unit.getValue(), 0));
}

TEST_F(ValueDisplayTest, ATypedValueIsOneGestureAndOneUndoStep) {
    open();
    enter(unit);
    ui->advance(200);
    const gui::Rect value = display().lineRect(1);
    const gui::Point at = display().toRoot(gui::Point(value.left + 2, value.top + 2));
    ui->mouseMove(at);
    ui->mouseDown(0, at, gui::kDoubleClick);
    ui->mouseUp(0, at);
    ASSERT_EQ(display().editLine(), 1);
    auto* editor_ = static_cast<gui::headless::HeadlessTextEditor*>(display().editor());
    editor_->type("0.25");
    editor_->pressKey(gui::TextEditor::EditorKey::kEnter);
    ui->advance(20);
    EXPECT_EQ(display().editLine(), -1);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bve");
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.25f);
    EXPECT_EQ(unit->value.getValue(), 9000);
    EXPECT_EQ(editor->undoSteps, 1);
    EXPECT_EQ(line(1), model->unit.valueToText(0.25f, 0));

    // Text that the parameter cannot read changes nothing.
    display().startEditing(1);
    editor_->type("loud");
    editor_->pressKey(gui::TextEditor::EditorKey::kEnter);
    ui->advance(20);
    EXPECT_EQ(display().editLine(), -1);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bve");
    EXPECT_EQ(editor->undoSteps, 1);
}

TEST_F(ValueDisplayTest, EditingHoldsTheDisplayUntilTheEditEnds) {
    open();
    enter(unit);
    display().startEditing(1);
    ASSERT_EQ(display().editLine(), 1);
    leave();
    ui->advance(1500);
    // The hide came while editing: it waits for the edit.
    EXPECT_TRUE(display().hideWhenIdle());
    EXPECT_TRUE(display().shown());
    display().updateFade(true);
    EXPECT_TRUE(display().shown());
    display().updateFade(false); // ignored while editing
    EXPECT_TRUE(display().shown());
    static_cast<gui::headless::HeadlessTextEditor*>(display().editor())
        ->pressKey(gui::TextEditor::EditorKey::kEscape);
    ui->advance(999);
    EXPECT_TRUE(display().shown());
    ui->advance(20);
    EXPECT_FALSE(display().shown());
    EXPECT_FALSE(display().hasEntries());
}

TEST_F(ValueDisplayTest, LinkedControlsHoldTheirHighlightWhileALineIsEdited) {
    open();
    auto* face = new gui::Button(*ui, nullptr);
    face->parent.setValue(&ui->root());
    auto* locked = new gui::Button(*ui, nullptr);
    locked->parent.setValue(&ui->root());
    locked->highlighted.setValue(true);
    display().addLinkedControl(face);
    display().addLinkedControl(locked);
    enter(unit);
    display().startEditing(1);
    EXPECT_EQ(display().editCount(face), 1);
    EXPECT_TRUE(face->highlighted.getValue());
    static_cast<gui::headless::HeadlessTextEditor*>(display().editor())
        ->pressKey(gui::TextEditor::EditorKey::kEscape);
    EXPECT_EQ(display().editCount(face), 0);
    EXPECT_FALSE(face->highlighted.getValue());
    EXPECT_TRUE(locked->highlighted.getValue()); // its own lock stays
}

TEST_F(ValueDisplayTest, ClosingTheEditorWhileALineIsEditedAndTheDisplayFades) {
    open();
    enter(unit);
    display().startEditing(1);
    ASSERT_EQ(display().editLine(), 1);
    static_cast<gui::headless::HeadlessTextEditor*>(display().editor())->type("0.75");
    editor.reset(); // deletes the display and the tree under the root lock
    ui->advance(500);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ValueDisplayTest, TheMakersEditorShowsItInTheSkinsLook) {
    ZentorPluginInterface zentor(*ui, *model);
    auto* display = dynamic_cast<ParameterValueDisplay*>(&zentor.valueDisplay()->displayControl());
    ASSERT_NE(display, nullptr);
    EXPECT_FLOAT_EQ(display->backgroundInset.getValue(), 10.0f);
    EXPECT_FALSE(display->visible.getValue());
    auto* c = new gui::ValueControl(*ui);
    c->setBoundsXYWH(100, 100, 40, 40);
    c->parent.setValue(&ui->root());
    zentor.linkControl(&model->level, c);
    zentor.listenToControl(c);
    ui->mouseMove(gui::Point(120, 120));
    EXPECT_TRUE(display->shown());
    EXPECT_EQ(display->text(0)->text.getValue(), "Level");
}

TEST_F(ValueDisplayTest, WithoutAnAnimatorItHidesAtOnce) {
    open(false);
    enter(unit);
    EXPECT_EQ(display().opacity.getValue(), 255);
    leave();
    ui->advance(1000);
    EXPECT_EQ(display().opacity.getValue(), 0);
    EXPECT_FALSE(display().visible.getValue());
}

TEST_F(ValueDisplayTest, ForgetsAValueSourceAndAHoverControlThatDie) {
    open();
    PanelSource source(*ui);
    auto* panelControl = new gui::Control(*ui);
    panelControl->setBoundsXYWH(300, 40, 40, 40);
    panelControl->parent.setValue(&ui->root());
    source.bound = panelControl;
    source.boundIndex = EditorModel::kLevel;
    display().addEntry(&display().editorListener(), &model->level, &source);
    EXPECT_EQ(source.valueDisplay(), &display());
    display().updateFade(false);
    // Placed by the panel's table: below its control.
    gui::Rect paint;
    display().getPaintBounds(paint);
    EXPECT_FLOAT_EQ(display().bounds.getValue().top + paint.top, 84.0f);

    auto* hover = new gui::Control(*ui);
    hover->setBoundsXYWH(0, 0, 10, 10);
    display().setHoverControl(hover);
    display().addLinkedControl(hover);
    delete hover;
    EXPECT_EQ(display().hoverControl(), nullptr);
    EXPECT_TRUE(display().linkedControls().empty());

    source.bound = nullptr;
    delete source.component;
    EXPECT_EQ(display().valueSource(), nullptr);
    display().updateFade(true); // places by the owner's table, touching nothing freed
    editor->refreshControls(-1);
    EXPECT_TRUE(display().shown());
}

TEST_F(ValueDisplayTest, ReleasingASourceClearsItsBackPointer) {
    open();
    PanelSource source(*ui);
    display().addEntry(&display().editorListener(), &model->level, &source);
    display().hide();
    EXPECT_EQ(source.valueDisplay(), nullptr);
    EXPECT_EQ(display().valueSource(), nullptr);
    delete source.component;
}

} // namespace
