#include "editor/ComponentButton.h"

#include "editor/ComponentDisplay.h"
#include "editor/DynamicInterface.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/RecordingCanvas.h"
#include "plugin/GenericPluginSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using test::EditorModel;
using test::RecordingAdapter;

// What a recorded call names: the bitmap's drawing interface.
const void* asDrawn(const gui::Bitmap& bitmap) {
    return static_cast<const gui::IBitmap*>(&bitmap);
}

class CountingEditor : public GenericPluginInterfaceBase {
public:
    using GenericPluginInterfaceBase::GenericPluginInterfaceBase;
    void storeUndoStep(int32_t) override { ++undoSteps; }
    bool isMidiLearnActive() override { return midiLearn; }
    int undoSteps = 0;
    bool midiLearn = false;
};

// Counts its face renderings.
class FaceButton : public ComponentButton {
public:
    using ComponentButton::ComponentButton;
    void renderFace(gui::Canvas&, int) override { ++renders; }
    int renders = 0;
};

class Panel : public DynamicInterface {
public:
    using DynamicInterface::DynamicInterface;
    void rebuildInterface() override {}
};

class ComponentButtonTest : public test::PluginTest {
public:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
        editor = std::make_unique<CountingEditor>(*ui, *model);
        style = std::make_unique<ComponentButton::ComponentStyle>(*ui, nullptr);
        style->toggleOffset.setValue(gui::Point(2, 3));
        button = new FaceButton(*ui, *editor, style.get());
        button->setBoundsXYWH(100, 100, 60, 40);
        button->parent.setValue(&ui->root());
        if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings())
            shared->componentDisplaysShown.setValue(true);
    }
    void TearDown() override {
        if (editor) ui->root().deleteChildren();
        style.reset();
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings())
            shared->componentDisplaysShown.setValue(true);
        PluginTest::TearDown();
    }
    // The button's draw, recorded.
    std::vector<test::Call> draw(ComponentButton* which = nullptr) {
        ComponentButton& b = which != nullptr ? *which : *button;
        test::RecordingCanvas target;
        gui::Canvas canvas(&target);
        canvas.clip.setValue(b.localRect());
        b.draw(canvas);
        return target.calls;
    }
    bool overlayDrawn() {
        for (const auto& call : draw())
            if (call.object == asDrawn(style->overlayBitmap())) return true;
        return false;
    }
    gui::MultiLabel& label(int k) { return *style->valueLabel(k); }
    std::string line(int k, int n) { return label(k).text(n)->text.getValue(); }

    const gui::Point centre{130, 120};
    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<CountingEditor> editor;
    std::unique_ptr<ComponentButton::ComponentStyle> style;
    FaceButton* button = nullptr;
};

TEST_F(ComponentButtonTest, TheSecondPairIsNamedByTheModifierThatSelectsIt) {
    EXPECT_EQ(ComponentButton::secondPairModifierText(*ui), "Alt");
}

TEST_F(ComponentButtonTest, ValueLabelsShowNamesAndTheValueOfThePairInUse) {
    FloatPluginParameter time(nullptr, "Delay 1 Time");
    FloatPluginParameter offset(nullptr, "Delay 1 Offset");
    FloatPluginParameter feedback(nullptr, "Delay 1 Feedback");
    time.initValue(0.25f);
    offset.initValue(0.75f);
    feedback.initValue(0.5f);
    button->setParameter(0, &time);
    button->setParameter(2, &offset);
    button->setParameter(1, &feedback);

    struct Line {
        std::string text;
        bool bold;
        int alpha;
    };
    const std::string timeText = time.valueToText(0.25f, 0);
    const std::string offsetText = offset.valueToText(0.75f, 0);
    const std::string feedbackText = feedback.valueToText(0.5f, 0);
    const struct {
        int modifiers;
        Line first[3];
    } cases[] = {
        {0, {{"Delay 1 Time", true, 255}, {"(Alt) Offset", false, 128}, {timeText, false, -1}}},
        {gui::kAlt, {{"Delay 1 Time", false, 128}, {"(Alt) Offset", true, 255}, {offsetText, false, -1}}},
        {0, {{"Delay 1 Time", true, 255}, {"(Alt) Offset", false, 128}, {timeText, false, -1}}},
    };
    for (const auto& c : cases) {
        ui->mouseMove(centre, c.modifiers);
        ASSERT_TRUE(label(0).visible.getValue()) << c.modifiers;
        for (int n = 0; n < 3; ++n) {
            const gui::Text& text = *label(0).text(n);
            EXPECT_EQ(text.text.getValue(), c.first[n].text) << c.modifiers << " line " << n;
            if (c.first[n].alpha < 0) continue;
            EXPECT_EQ(text.bold.getValue(), c.first[n].bold) << c.modifiers << " line " << n;
            EXPECT_EQ(text.color.getValue().a, c.first[n].alpha) << c.modifiers << " line " << n;
        }
        // Without a second parameter: name and value, the value line plain.
        EXPECT_EQ(line(1, 0), "Delay 1 Feedback");
        EXPECT_TRUE(label(1).text(0)->bold.getValue());
        EXPECT_EQ(line(1, 1), feedbackText);
        EXPECT_FALSE(label(1).text(1)->bold.getValue());
        EXPECT_EQ(label(1).text(1)->color.getValue().a, 255);
        EXPECT_EQ(line(1, 2), "");
    }
    // Label 0 to the right of the button, label 1 above it, 2 away, both
    // root children.
    EXPECT_EQ(label(0).getParent(), &ui->root());
    EXPECT_FLOAT_EQ(label(0).bounds.getValue().left, 162.0f);
    EXPECT_FLOAT_EQ(label(1).bounds.getValue().bottom, 98.0f);

    // The pointer leaves: both hide.
    ui->mouseMove(gui::Point(10, 10));
    EXPECT_FALSE(label(0).visible.getValue());
    EXPECT_FALSE(label(1).visible.getValue());
    ui->root().deleteChildren();
}

TEST_F(ComponentButtonTest, WithoutTheSettingOrDuringLearnNoLabelsShow) {
    button->setParameter(0, &model->unit);
    button->setEnableParameter(&model->level);
    for (const bool learning : {false, true}) {
        GenericPlugin::getSharedSettings()->componentDisplaysShown.setValue(learning);
        editor->midiLearn = learning;
        ui->mouseMove(centre);
        EXPECT_FALSE(label(0).visible.getValue()) << learning;
        // The toggle shows on entering, not during learn.
        EXPECT_EQ(button->enableToggle()->visible.getValue(), !learning) << learning;
        ui->mouseMove(gui::Point(10, 10));
        EXPECT_FALSE(button->enableToggle()->visible.getValue());
    }
}

TEST_F(ComponentButtonTest, TheFaceRendersOncePerChange) {
    button->setParameter(0, &model->unit);
    button->setParameter(1, &model->frequency);
    button->addExtraParameter(&model->bipolar);
    button->setEnableParameter(&model->level);
    draw();
    draw();
    EXPECT_EQ(button->renders, 1);

    const struct {
        const char* what;
        std::function<void()> change;
        int renders;
    } cases[] = {
        {"a channel's parameter", [&] { button->parameterChanged(EditorModel::kFrequency); }, 2},
        {"every parameter", [&] { button->parameterChanged(-1); }, 3},
        {"an extra parameter", [&] { button->parameterChanged(EditorModel::kBipolar); }, 4},
        {"an unrelated parameter", [&] { button->parameterChanged(EditorModel::kNote); }, 4},
        {"the enable parameter (overlay only)", [&] { button->parameterChanged(EditorModel::kLevel); }, 4},
        {"dimmed (overlay only)", [&] { button->dimmed.setValue(true); }, 4},
        {"the size", [&] { button->setSize(70, 40); }, 5},
        {"the highlighted face while highlighted",
         [&] {
             button->highlightFace.setValue(true);
             button->rolloverManager().setRollover(true);
             button->rolloverManager().finish();
         },
         6},
    };
    for (const auto& c : cases) {
        c.change();
        draw();
        draw();
        EXPECT_EQ(button->renders, c.renders) << c.what;
    }
    // A drag renders once per position change.
    const int before = button->renders;
    ui->mouseDown(0, centre);
    for (float dx : {10.0f, 20.0f, 30.0f}) { // the first move starts the drag
        ui->mouseMove(gui::Point(centre.x + dx, centre.y), gui::kLeftButton);
        draw();
    }
    ui->mouseUp(0, gui::Point(centre.x + 30, centre.y));
    EXPECT_EQ(button->renders, before + 2);
}

TEST_F(ComponentButtonTest, AnOffComponentIsOverlaidAndItsToggleFollowsAutomationSilently) {
    style->overlayBitmap().setSize(10, 10);
    style->maskBitmap().setSize(60, 40);
    button->setParameter(0, &model->unit);
    model->level.setRange(0.0f, 1.0f);
    model->level.setValue(0.0f, kParameterChangeNotToHost);
    button->setEnableParameter(&model->level);
    gui::ToggleButton* toggle = button->enableToggle();
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->getParent(), button);
    EXPECT_FLOAT_EQ(toggle->bounds.getValue().left, 2.0f);
    EXPECT_FLOAT_EQ(toggle->bounds.getValue().top, 3.0f);
    EXPECT_FALSE(toggle->on.getValue());

    // The face goes through the mask; the overlay whole at the top-left.
    const auto calls = draw();
    bool masked = false;
    for (const auto& call : calls) {
        if (call.op == test::Op::kBitmapMasked && call.object == asDrawn(button->faceBitmap())) masked = true;
        if (call.object == asDrawn(style->overlayBitmap())) {
            EXPECT_FLOAT_EQ(call.rect.left, 0.0f);
            EXPECT_FLOAT_EQ(call.rect.top, 0.0f);
            EXPECT_EQ(call.alpha, 255);
        }
    }
    EXPECT_TRUE(masked);
    EXPECT_TRUE(overlayDrawn());
    const int renders = button->renders;

    // Automation switches it on: toggle on, no overlay, no new face, and
    // nothing reaches the host.
    model->level.setValue(1.0f, kParameterChangeNotToHost);
    button->parameterChanged(EditorModel::kLevel);
    EXPECT_TRUE(toggle->on.getValue());
    EXPECT_FALSE(overlayDrawn());
    EXPECT_EQ(button->renders, renders);
    EXPECT_TRUE(adapter->log.empty());
    button->dimmed.setValue(true);
    EXPECT_TRUE(overlayDrawn());

    // A click on the toggle is one gesture on the enable parameter.
    ui->mouseMove(centre);
    ASSERT_TRUE(toggle->visible.getValue());
    toggle->setBoundsXYWH(2, 3, 12, 12);
    ui->mouseDown(0, gui::Point(106, 108));
    ui->mouseUp(0, gui::Point(106, 108));
    EXPECT_EQ(adapter->kindsOf(EditorModel::kLevel), "bve");
    EXPECT_FLOAT_EQ(model->level.getValue(), 0.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ComponentButtonTest, AClickFoldsItsComponentAndACtrlClickResetsInstead) {
    auto* display = new ComponentDisplay(*ui, *editor);
    display->setBoundsXYWH(0, 200, 300, 100);
    display->parent.setValue(&ui->root());
    auto* panel = new Panel(*ui, *editor);
    panel->setSize(300, 80);
    const int index = display->addSectionContainer(0, panel);
    button->setDisplay(display, index);
    button->setParameter(0, &model->unit);
    ASSERT_EQ(display->buttons().size(), 1u);

    ui->mouseDown(0, centre);
    ui->mouseUp(0, centre);
    EXPECT_TRUE(display->components()[0].unfolded);
    EXPECT_EQ(editor->undoSteps, 0);

    model->unit.setValue(0.9f, 0);
    ui->mouseDown(0, centre, gui::kCtrl);
    ui->mouseUp(0, centre, gui::kCtrl);
    EXPECT_TRUE(display->components()[0].unfolded);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_EQ(editor->undoSteps, 1);
}

// Style, labels, button, toggle and display die in every order; nothing
// touches what is gone (ASan).
TEST_F(ComponentButtonTest, EveryOrderOfDeath) {
    enum class Kind { kStyle, kTree, kButton, kDisplay, kToggle, kDisplayHoldingTheButton };
    const struct {
        const char* what;
        Kind first;
    } cases[] = {
        {"style first", Kind::kStyle},
        {"tree first (labels are root children)", Kind::kTree},
        {"button first", Kind::kButton},
        {"display first", Kind::kDisplay},
        {"toggle first", Kind::kToggle},
        {"display first with the button inside it", Kind::kDisplayHoldingTheButton},
    };
    ui->root().deleteChildren();
    style.reset();
    for (const auto& c : cases) {
        style = std::make_unique<ComponentButton::ComponentStyle>(*ui, nullptr);
        auto* display = new ComponentDisplay(*ui, *editor);
        display->setBoundsXYWH(0, 200, 300, 100);
        display->parent.setValue(&ui->root());
        auto* b = new FaceButton(*ui, *editor, style.get());
        if (c.first == Kind::kDisplayHoldingTheButton)
            b->setBoundsXYWH(10, 10, 60, 40);
        else
            b->setBoundsXYWH(100, 100, 60, 40);
        b->parent.setValue(c.first == Kind::kDisplayHoldingTheButton ? static_cast<gui::Control*>(display)
                                                                     : &ui->root());
        b->setParameter(0, &model->unit);
        b->setEnableParameter(&model->level);
        b->setDisplay(display, 0);
        const gui::Point at = b->toRoot(gui::Point(30, 20));
        ui->mouseMove(at); // the labels become root children
        ASSERT_TRUE(style->valueLabel(0) != nullptr);
        ASSERT_EQ(style->valueLabel(0)->getParent(), &ui->root()) << c.what;

        switch (c.first) {
        case Kind::kStyle:
            style.reset();
            EXPECT_EQ(b->componentStyle(), nullptr);
            ui->mouseMove(gui::Point(at.x + 1, at.y));
            ui->mouseMove(gui::Point(5, 5));
            draw(b);
            break;
        case Kind::kTree:
            ui->root().deleteChildren();
            EXPECT_EQ(style->valueLabel(0), nullptr);
            // Never shown (channel 1 is empty): still the style's.
            EXPECT_NE(style->valueLabel(1), nullptr);
            break;
        case Kind::kButton:
            delete b;
            EXPECT_TRUE(display->buttons().empty());
            EXPECT_FALSE(style->valueLabel(0)->visible.getValue());
            break;
        case Kind::kDisplay:
            display->deleteChildren();
            delete display;
            EXPECT_EQ(b->display(), nullptr);
            EXPECT_EQ(b->componentIndex(), -1);
            ui->mouseDown(0, at);
            ui->mouseUp(0, at);
            break;
        case Kind::kToggle:
            delete b->enableToggle();
            EXPECT_EQ(b->enableToggle(), nullptr);
            model->level.setValue(0.0f, kParameterChangeNotToHost);
            b->parameterChanged(EditorModel::kLevel);
            ui->mouseMove(gui::Point(at.x + 1, at.y));
            break;
        case Kind::kDisplayHoldingTheButton:
            // As the tree deletes: the children first, the button among them.
            display->deleteChildren();
            delete display;
            break;
        }
        ui->root().deleteChildren();
        style.reset();
    }
}

} // namespace
