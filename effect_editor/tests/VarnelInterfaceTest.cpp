// The product's main interface on the headless platform with the effect's
// model: the bars' layouts at both widths and heights, the delay section's
// bindings and targets, the dependent controls, the settings that a new
// instance reads back from the registry, and the product's source panels
// with their refreshes and indicators.

#include "effect_editor/VarnelInterface.h"
#include "editor/ComponentButton.h"
#include "editor/ComponentDisplay.h"
#include "editor/HelpHint.h"
#include "editor/HotspotButton.h"
#include "editor/tests/TestEditorModel.h"
#include "editor/tests/walk/ControlWalk.h"
#include "editor/tests/walk/IntegrityCheck.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/EFSourceInterface.h"
#include "effect_editor/EGSourceInterface.h"
#include "effect_editor/EnvelopeController.h"
#include "effect_editor/FilterInterface.h"
#include "effect_editor/MidiSourceInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/XLFOSourceInterface.h"
#include "effect_editor/XLFOStepInterface.h"
#include "effect_editor/XYSourceInterface.h"
#include "effect_editor/tests/PaintedPixels.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/Knob.h"
#include "gui/Light.h"
#include "gui/Modifiers.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/ScrollArea.h"
#include "gui/ScrollButton.h"
#include "gui/SelectButton.h"
#include "gui/Switch.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessTextEditor.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/FloatValueLabel.h"
#include "modulation_editor/ModulationIndicatorManager.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/SourceSlotController.h"
#include "modulation_editor/XLFOController.h"
#include "modulation_editor/XYControllerButton.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using test::RecordingAdapter;

// A host that takes every size and sizes the root as the editor host does.
class AcceptingHost : public GenericPluginInterface::InterfaceListener {
public:
    bool requestResize(int32_t width, int32_t height) override {
        ++requests;
        lastWidth = width;
        lastHeight = height;
        return true;
    }
    int requests = 0;
    int32_t lastWidth = 0;
    int32_t lastHeight = 0;
};

// Counts the rebuilds of the source containers.
class RebuildCounting : public VarnelInterface {
public:
    using VarnelInterface::VarnelInterface;
    void rebuildSources() override {
        ++rebuilds;
        VarnelInterface::rebuildSources();
    }
    int rebuilds = 0;
};

class VarnelInterfaceTest : public test::VarnelModelRig {
protected:
    void TearDown() override {
        close();
        VarnelModelRig::TearDown();
    }
    // The editor at the model's size, as the editor host opens it.
    void open() {
        ui = std::make_unique<gui::headless::HeadlessInterface>(float(model->getInterfaceWidth()),
                                                                float(model->getInterfaceHeight()), 1000);
        editor = std::make_unique<VarnelInterface>(*ui, *model, &host);
    }
    RebuildCounting& openCounting() {
        ui = std::make_unique<gui::headless::HeadlessInterface>(float(model->getInterfaceWidth()),
                                                                float(model->getInterfaceHeight()), 1000);
        auto counting = std::make_unique<RebuildCounting>(*ui, *model, &host);
        RebuildCounting& result = *counting;
        editor = std::move(counting);
        return result;
    }
    // One source of each kind, added as the Add Source menu adds them.
    std::vector<VarnelSourceInterface*> addOneOfEachKind() {
        for (int32_t type = 0; type < 5; ++type)
            editor->sourceController()->addSource(type);
        std::vector<VarnelSourceInterface*> panels;
        for (SourceInterface* panel : editor->sourceController()->panels())
            panels.push_back(dynamic_cast<VarnelSourceInterface*>(panel));
        return panels;
    }
    void close() {
        editor.reset();
        ui.reset();
    }
    void setSettings(int32_t layout, bool modulation) {
        VarnelPlugin::VarnelSettings& s = model->getVarnelSettings();
        s.interfaceLayout.setValue(layout == 1 ? VarnelPlugin::InterfaceLayout::kWide
                                               : VarnelPlugin::InterfaceLayout::kStandard);
        s.showModulation.setValue(modulation);
    }
    // The control's rectangle in root coordinates.
    static gui::Rect inRoot(const gui::Control& control) {
        gui::Rect r = control.bounds.getValue();
        for (const gui::Control* p = control.getParent(); p != nullptr && p->getParent() != nullptr;
             p = p->getParent()) {
            const gui::Rect& b = p->bounds.getValue();
            r = gui::Rect(r.left + b.left, r.top + b.top, r.right + b.left, r.bottom + b.top);
        }
        return r;
    }
    static void gesture(gui::ValueControl& control, int delta) {
        control.performGesture(gui::kGestureBegin, 0);
        control.performGesture(gui::kGestureChange, delta);
        control.performGesture(gui::kGestureEnd, 0);
    }
    // Sets a parameter as automation does, then drains the editor's queues.
    void automate(AbstractPluginParameter& parameter, float value) {
        parameter.setValue(value, kParameterChangeNotToHost);
        editor->refreshControls(parameter.getIndex());
    }
    // The control the editor bound to the parameter, or null.
    gui::ValueControl* boundTo(const AbstractPluginParameter& parameter) const {
        for (const VarnelInterface::BoundControl& b : editor->boundControls())
            if (b.parameter == &parameter) return b.control;
        return nullptr;
    }
    // A click at the control's centre, the pointer parked away afterwards,
    // and time for what it animates.
    void click(const gui::Control& control) {
        const gui::Point at =
            control.toRoot(gui::Point(control.width.getValue() * 0.5f, control.height.getValue() * 0.5f));
        ui->mouseMove(at);
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        ui->mouseMove(gui::Point(1, 1));
        ui->advance(1000);
    }
    static gui::Point centreOf(const gui::Control& control) {
        return control.toRoot(gui::Point(control.width.getValue() * 0.5f, control.height.getValue() * 0.5f));
    }
    // The control that a press at the point (in root coordinates) reaches.
    gui::Control* reachedAt(const gui::Point& point) const {
        gui::Control* reached = ui->rootControl();
        while (gui::Control* child = reached->findChildAt(reached->fromRoot(point)))
            reached = child;
        return reached;
    }
    // Scrolls the source strip to show the panel, as a click on its source
    // button does.
    void showSource(SourceInterface& panel) {
        editor->sourceController()->strip().scrollArea()->scrollToShow(&panel, nullptr, false);
        ui->advance(1000);
    }
    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }

    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    AcceptingHost host;
    std::unique_ptr<VarnelInterface> editor;
};

TEST_F(VarnelInterfaceTest, TopBarButtonsNeverOverlapEndAtTheLayoutsEdgeAndBottomBarStaysInside) {
    struct Case {
        int32_t layout;
        bool modulation;
        float width;
        float height;
        float lastRight;
    };
    const Case cases[] = {{0, false, 640, 321, 637},
                          {0, true, 640, 514, 637},
                          {1, false, 926, 321, 918},
                          {1, true, 926, 514, 918}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << " modulation " << c.modulation);
        setSettings(c.layout, c.modulation);
        open();
        ASSERT_FLOAT_EQ(ui->root().width.getValue(), c.width);
        ASSERT_FLOAT_EQ(ui->root().height.getValue(), c.height);
        for (int32_t k = 0; k + 1 < VarnelInterface::kTopBarCount; ++k) {
            const gui::Rect a = inRoot(*editor->topBarButton(k));
            const gui::Rect b = inRoot(*editor->topBarButton(k + 1));
            EXPECT_LE(a.right, b.left) << "button " << k;
        }
        EXPECT_FLOAT_EQ(inRoot(*editor->topBarButton(VarnelInterface::kHelp)).right, c.lastRight);
        // The Presets button lies between its step buttons, centred.
        const gui::Rect previous = inRoot(*editor->topBarButton(VarnelInterface::kPreviousPreset));
        const gui::Rect presets = inRoot(*editor->topBarButton(VarnelInterface::kPresets));
        const gui::Rect next = inRoot(*editor->topBarButton(VarnelInterface::kNextPreset));
        EXPECT_FLOAT_EQ(presets.left - previous.right, next.left - presets.right);
        EXPECT_FLOAT_EQ(presets.left, previous.right);

        const VarnelInterface::BottomBar& b = editor->bottomBar();
        EXPECT_FLOAT_EQ(inRoot(*b.bar).bottom, c.height);
        for (gui::Control* control :
             {static_cast<gui::Control*>(b.light), static_cast<gui::Control*>(b.midiLearn),
              static_cast<gui::Control*>(b.midiMenu), static_cast<gui::Control*>(b.channelModeLabel),
              static_cast<gui::Control*>(b.channelMode), static_cast<gui::Control*>(b.autoMute),
              static_cast<gui::Control*>(b.audition), static_cast<gui::Control*>(b.resize)}) {
            ASSERT_NE(control, nullptr);
            const gui::Rect r = inRoot(*control);
            EXPECT_GE(r.left, 0.0f);
            EXPECT_GE(r.top, 0.0f);
            EXPECT_LE(r.right, c.width);
            EXPECT_LE(r.bottom, c.height);
        }
        EXPECT_FLOAT_EQ(inRoot(*b.resize).left, c.width - 20);
        EXPECT_EQ(b.background->visible.getValue(), !c.modulation);
        EXPECT_EQ(b.resize->value.getValue(), c.layout);
        close();
    }
}

TEST_F(VarnelInterfaceTest, GesturingEachBoundControlMovesItsParameterAndIsItsTarget) {
    open();
    ASSERT_FALSE(editor->boundControls().empty());
    int targets = 0;
    for (const VarnelInterface::BoundControl& b : editor->boundControls()) {
        SCOPED_TRACE(b.parameter->getName());
        adapter->log.clear();
        const float before = b.parameter->getValue();
        const int range = b.control->maximum.getValue() - b.control->minimum.getValue();
        const bool atTop = b.control->value.getValue() >= b.control->maximum.getValue();
        const int step = std::max(1, range / 10);
        gesture(*b.control, atTop ? -step : step);
        EXPECT_NE(b.parameter->getValue(), before);
        const std::string kinds = adapter->kindsOf(b.parameter->getIndex());
        ASSERT_FALSE(kinds.empty());
        EXPECT_EQ(kinds.front(), 'b');
        EXPECT_EQ(kinds.back(), 'e');
        EXPECT_EQ(editor->getTargetIndex(b.control), b.target);
        if (b.target != VarnelInterface::kNoTarget) ++targets;
    }
    // Input, two delays' time, offset, feedback, cross feedback and pan, dry
    // and wet level and pan.
    EXPECT_EQ(targets, 15);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(VarnelInterfaceTest, TheTableBindsTheDelaySectionsParametersToTheirTargets) {
    open();
    struct Expect {
        AbstractPluginParameter* parameter;
        uint32_t target;
    };
    const Expect expected[] = {
        {&model->inputLevel, 78},
        {&model->delay[0].time, 0},
        {&model->delay[0].offset, 1},
        {&model->delay[0].feedback, 2},
        {&model->delay[0].crossFeedback, 3},
        {&model->delay[0].pan, 4},
        {&model->delay[1].time, 5},
        {&model->delay[1].offset, 6},
        {&model->delay[1].feedback, 7},
        {&model->delay[1].crossFeedback, 8},
        {&model->delay[1].pan, 9},
        {&model->dryPan, 80},
        {&model->dryLevel, 79},
        {&model->wetPan, 82},
        {&model->wetLevel, 81},
    };
    for (const Expect& e : expected) {
        gui::Control* control = editor->targetControl(e.target);
        ASSERT_NE(control, nullptr) << e.target;
        auto* value = dynamic_cast<gui::ValueControl*>(control);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->controlId.getValue(), e.parameter->getIndex()) << e.parameter->getName();
    }
}

TEST_F(VarnelInterfaceTest, SyncShowsTheOffsetKnobAndItsHotspotsAndDisablesTheTimeDisplay) {
    open();
    const VarnelInterface::DelayControls& d = editor->delayControls(0);
    ASSERT_NE(d.time, nullptr);
    EXPECT_TRUE(d.time->visible.getValue());
    EXPECT_FALSE(d.offset->visible.getValue());
    for (HotspotButton* h : d.hotspots)
        EXPECT_FALSE(static_cast<gui::Control*>(h)->visible.getValue());
    EXPECT_TRUE(d.timeDisplay->enabled.getValue());

    automate(model->delay[0].sync, 1.0f);
    EXPECT_FALSE(d.time->visible.getValue());
    EXPECT_TRUE(d.offset->visible.getValue());
    EXPECT_FALSE(d.timeDisplay->enabled.getValue());
    // The knob in the time knob's place now moves the offset.
    adapter->log.clear();
    gesture(*d.offset, 3600);
    EXPECT_FALSE(adapter->kindsOf(model->delay[0].offset.getIndex()).empty());
    EXPECT_TRUE(adapter->kindsOf(model->delay[0].time.getIndex()).empty());
    // The second delay keeps its own.
    EXPECT_TRUE(editor->delayControls(1).time->visible.getValue());
}

// Each time display shows its delay's time in the parameter's own text, and
// a drag, a tap and typed text set it in milliseconds.
TEST_F(VarnelInterfaceTest, TheTimeDisplaysShowDragTapAndTypeTheDelayTimeInMilliseconds) {
    open();
    for (int32_t d = 0; d < VarnelInterface::kDelayCount; ++d) {
        SCOPED_TRACE(d);
        FloatValueLabel& display = *editor->delayControls(d).timeDisplay;
        FloatPluginParameter& time = model->delay[size_t(d)].time;
        auto ms = [&time] { return time.normalizedToPlain(time.getValue()); };
        auto shown = [&display] { return display.text(0)->text.getValue(); };
        EXPECT_EQ(shown(), "350.0 ms"); // the default
        automate(time, time.plainToNormalized(1250.0f));
        EXPECT_EQ(shown(), "1.250 sec");
        automate(time, time.plainToNormalized(375.0f));
        EXPECT_EQ(shown(), "375.0 ms");

        // Nine rows up: four steps of 1 ms (held past a quick click).
        const gui::Rect r = inRoot(display);
        const gui::Point at((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
        ui->mouseDown(0, at, gui::kLeftButton);
        ui->mouseMove({at.x, at.y - 9.0f}, gui::kLeftButton);
        ui->advance(300);
        ui->mouseUp(0, {at.x, at.y - 9.0f});
        EXPECT_NEAR(ms(), 379.0f, 0.01f);
        EXPECT_EQ(shown(), "379.0 ms");

        // A quick click shows the tap face; a press 500 ms after the first
        // sets 500 ms.
        ui->mouseDown(0, at, gui::kLeftButton);
        ui->advance(50);
        ui->mouseUp(0, at);
        EXPECT_EQ(shown(), "TAP");
        ui->advance(450);
        ui->mouseDown(0, at, gui::kLeftButton);
        ui->mouseUp(0, at);
        EXPECT_NEAR(ms(), 500.0f, 0.05f);
        EXPECT_EQ(shown(), "500.0 ms");

        // Typed as the parameter reads a time. (On a label with a tap face a
        // double click is a tap, so its editor is opened here directly.)
        display.beginTextEdit(0);
        auto* typing = static_cast<gui::headless::HeadlessTextEditor*>(display.editor());
        ASSERT_NE(typing, nullptr);
        EXPECT_EQ(typing->nativeText(), "500.0 ms");
        typing->type("1.5 sec");
        typing->pressKey(gui::TextEditor::EditorKey::kEnter);
        ui->drainList(gui::kGuiList);
        EXPECT_NEAR(ms(), 1500.0f, 0.1f);
        EXPECT_EQ(shown(), "1.500 sec");
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// MIDI arriving lights the bottom bar's MIDI light until 250 ms after the
// last block that brought any, whether or not a control is armed for MIDI
// learn; an armed control takes the controller.
TEST_F(VarnelInterfaceTest, MidiArrivingLightsTheMidiLightFor250Ms) {
    open();
    gui::Light* light = editor->bottomBar().light;
    ASSERT_NE(light, nullptr);
    const gui::Rect r = inRoot(*light);
    auto pixels = [this, &r] {
        ui->paint();
        std::vector<gui::Color> out;
        for (int y = int(r.top); y < int(r.bottom); ++y)
            for (int x = int(r.left); x < int(r.right); ++x)
                out.push_back(ui->backBuffer().pixelAt(x, y));
        return out;
    };
    auto arrives = [this](int32_t controller) {
        model->notifyListener(GenericPlugin::kMidiControllerSeen, controller);
        ui->drainList(gui::kGuiList);
    };
    const std::vector<gui::Color> off = pixels();
    EXPECT_FALSE(light->on.getValue());
    ControllerMapping& mapping = *GenericPlugin::getControllerMapping();
    const uint32_t mapped7 = mapping.getParameter(7);

    arrives(7); // nothing armed
    EXPECT_TRUE(light->on.getValue());
    EXPECT_NE(pixels(), off);
    ui->advance(200);
    arrives(-1); // a block with MIDI but no controller
    ui->advance(249);
    EXPECT_TRUE(light->on.getValue());
    ui->advance(1);
    EXPECT_FALSE(light->on.getValue());
    EXPECT_EQ(pixels(), off);
    EXPECT_EQ(mapping.getParameter(7), mapped7);

    editor->setMidiLearnActive(true);
    const auto feedback = uint32_t(model->delay[0].feedback.getIndex());
    editor->armLearnIdentifier(feedback);
    arrives(21);
    EXPECT_TRUE(light->on.getValue());
    EXPECT_EQ(mapping.getParameter(21), feedback);
    ui->advance(250);
    EXPECT_FALSE(light->on.getValue());
}

TEST_F(VarnelInterfaceTest, DependentControlsFollowTheModelAfterAFullRefresh) {
    open();
    // Side by side in series, one above the other otherwise, always on the
    // routing picture shown.
    const float buttons[3][2][2] = {
        {{341, 128}, {430, 128}}, {{393, 61}, {393, 193}}, {{393, 61}, {393, 193}}};
    for (int32_t routing = 0; routing < 3; ++routing) {
        model->filterRouting.setValue(float(routing), kParameterChangeNotToHost);
        editor->refreshControls(-1);
        for (int32_t r = 0; r < 3; ++r)
            EXPECT_EQ(editor->routingBackground(r)->visible.getValue(), r == routing) << routing;
        for (int32_t f = 0; f < 2; ++f) {
            const gui::Control& button = *editor->filterButton(f);
            EXPECT_EQ(button.x.getValue(), buttons[routing][f][0]) << routing << " " << f;
            EXPECT_EQ(button.y.getValue(), buttons[routing][f][1]) << routing << " " << f;
        }
    }
    automate(model->feedbackLink, 1.0f);
    EXPECT_TRUE(editor->displayCover(0)->visible.getValue());
    EXPECT_FALSE(editor->displayCover(1)->visible.getValue());
    automate(model->delayFreeze, 1.0f);
    EXPECT_FALSE(editor->displayCover(0)->visible.getValue());
    EXPECT_TRUE(editor->freezeDimmer()->visible.getValue());
    automate(model->channelMode, 1.0f);
    EXPECT_FALSE(editor->stripBackground(0)->visible.getValue());
    EXPECT_TRUE(editor->stripBackground(1)->visible.getValue());
    automate(model->delayLink, 1.0f);
    EXPECT_TRUE(editor->delayDimmer()->visible.getValue());
    automate(model->dryEnabled, 0.0f);
    EXPECT_TRUE(editor->dryDimmer()->visible.getValue());

    automate(model->autoMuteSelfOsc, 0.0f);
    EXPECT_EQ(editor->bottomBar().autoMute->textLine(0)->color.getValue().a, 160);
    automate(model->autoMuteSelfOsc, 1.0f);
    EXPECT_EQ(editor->bottomBar().autoMute->textLine(0)->color.getValue().a, 255);
    automate(model->auditionSignal, 1.0f);
    EXPECT_EQ(editor->bottomBar().audition->textLine(0)->color.getValue(), VarnelInterface::kAuditionColor);
    EXPECT_TRUE(editor->bottomBar().audition->menuItems()[2]->enabled.getValue());
    // An instance without a side-chain input.
    close();
    model->setSideChainFlag(false);
    open();
    EXPECT_FALSE(editor->bottomBar().audition->menuItems()[2]->enabled.getValue());
}

TEST_F(VarnelInterfaceTest, TheModulationButtonAndTheResizeSelectorResizeAndReachANewInstance) {
    open();
    gui::ToggleButton* modulation = editor->modulationButton();
    ASSERT_NE(modulation, nullptr);
    EXPECT_FLOAT_EQ(modulation->x.getValue(), (640 - modulation->width.getValue()) / 2);
    modulation->value.setValue(1);
    editor->modulationButtonChanged();
    EXPECT_EQ(host.lastHeight, 514);
    EXPECT_FLOAT_EQ(ui->root().height.getValue(), 514);
    EXPECT_FLOAT_EQ(inRoot(*editor->bottomBar().bar).bottom, 514);
    EXPECT_FALSE(editor->bottomBar().background->visible.getValue());

    editor->bottomBar().resize->value.setValue(1);
    editor->layoutSelectorChanged();
    EXPECT_EQ(host.lastWidth, 926);
    EXPECT_FLOAT_EQ(inRoot(*editor->topBarButton(VarnelInterface::kHelp)).right, 918);
    editor->storeExpandedSection(~0u);
    close();

    // A new instance opens with the same layout.
    adapter.reset();
    model = std::make_unique<VarnelPlugin>(name_);
    adapter = std::make_unique<RecordingAdapter>(*model);
    EXPECT_EQ(model->getInterfaceWidth(), 926);
    EXPECT_EQ(model->getInterfaceHeight(), 514);
    EXPECT_EQ(model->getVarnelSettings().expandedSection.getValue(), -1);
    open();
    EXPECT_EQ(editor->modulationButton()->value.getValue(), 1);
    EXPECT_EQ(editor->bottomBar().resize->value.getValue(), 1);

    // Toggling twice comes back to the same height.
    for (int i = 0; i < 2; ++i) {
        editor->modulationButton()->value.setValue(1 - editor->modulationButton()->value.getValue());
        editor->modulationButtonChanged();
    }
    EXPECT_FLOAT_EQ(ui->root().height.getValue(), 514);
}

// The filter section (the display's section 1 after the delay strip): its
// unfolding and folding are stored, and in the wide layout a stored 1 opens
// it at once, as wide as its panel.
TEST_F(VarnelInterfaceTest, TheOpenSectionIsStoredAndStartsOpenInTheWideLayout) {
    const struct {
        int32_t layout;
        int32_t stored;
        bool open;
    } cases[] = {{1, 1, true}, {0, 1, false}, {1, -1, false}, {1, 7, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << ", stored " << c.stored);
        setSettings(c.layout, false);
        model->getVarnelSettings().expandedSection.setValue(c.stored);
        open();
        ComponentDisplay& display = *editor->componentDisplay();
        const int32_t index = editor->filterInterface()->componentIndex();
        const ComponentDisplay::Record& record = display.components()[size_t(index)];
        EXPECT_EQ(record.unfolded, c.open);
        EXPECT_FLOAT_EQ(record.control->width.getValue(),
                        c.open ? editor->filterInterface()->width.getValue() : 0);
        EXPECT_EQ(model->getVarnelSettings().expandedSection.getValue(), c.stored);
        display.toggleComponent(index);
        EXPECT_EQ(model->getVarnelSettings().expandedSection.getValue(), c.open ? -1 : 1);
        close();
    }
}

TEST_F(VarnelInterfaceTest, TheSlotListFollowsItsCountFromAutomation) {
    open();
    ASSERT_NE(editor->slotController(), nullptr);
    EXPECT_EQ(editor->slotController()->listedCount(), 0);
    automate(model->slots.getNumActiveParameter(), 2.0f);
    EXPECT_EQ(editor->slotController()->listedCount(), 2);
    automate(model->slots.getNumActiveParameter(), 1.0f);
    EXPECT_EQ(editor->slotController()->listedCount(), 1);
}

TEST_F(VarnelInterfaceTest, ConstructionSetsTheFeaturesTheSourceTargetRangesAndTheHelpHint) {
    open();
    EXPECT_EQ(editor->featureFlags(), 7u);
    struct Range {
        uint32_t target;
        int32_t position;
        const AbstractParameterSetList* group;
    };
    const Range ranges[] = {{15, 0, nullptr},     {16, 0, &model->xlfos}, {33, 5, &model->xlfos},
                            {34, 0, &model->egs}, {69, 5, &model->egs},   {70, 0, &model->efs},
                            {77, 3, &model->efs}, {78, 0, nullptr}};
    for (const Range& r : ranges) {
        EXPECT_EQ(editor->targetRange(r.target).group, r.group) << r.target;
        EXPECT_EQ(editor->targetRange(r.target).position, r.position) << r.target;
    }
    // A source's own parameter is a target only while the source is in use.
    EXPECT_FALSE(editor->canAddToTargetRange(16));
    model->xlfos.getNumActiveParameter().setValue(1.0f, 0);
    EXPECT_TRUE(editor->canAddToTargetRange(16));
    EXPECT_FALSE(editor->canAddToTargetRange(19));

    // The sources below the display, the product's five types in kind order.
    ASSERT_NE(editor->sourceController(), nullptr);
    const gui::Rect sources = editor->sourceController()->bounds.getValue();
    EXPECT_FLOAT_EQ(sources.top, 302.0f);
    EXPECT_FLOAT_EQ(sources.bottom, 493.0f);
    EXPECT_FLOAT_EQ(sources.width(), 640.0f);
    const auto& types = editor->sourceController()->sourceTypes();
    ASSERT_EQ(types.size(), 5u);
    const int32_t presetKinds[5] = {-1, 2, 3, 4, 5};
    for (size_t k = 0; k < types.size(); ++k)
        EXPECT_EQ(types[k].presetKind, presetKinds[k]) << k;
    EXPECT_EQ(types[0].outputs, 2);

    ASSERT_NE(editor->helpLabel(), nullptr);
    EXPECT_EQ(editor->hint().label(), editor->helpLabel());
    const gui::BasicRect<float> margins = editor->helpLabel()->margins.getValue();
    EXPECT_FLOAT_EQ(margins.left, 15.0f);
    EXPECT_FLOAT_EQ(margins.top, 10.0f);
    EXPECT_FLOAT_EQ(margins.right, 35.0f);
    EXPECT_FLOAT_EQ(margins.bottom, 15.0f);
}

TEST_F(VarnelInterfaceTest, ClosingDeletesTheTreeBeforeTheSkinInAnyState) {
    open();
    // A gesture left open when the editor closes ends once.
    gesture(*editor->delayControls(0).time, 0);
    editor->delayControls(1).time->performGesture(gui::kGestureBegin, 0);
    editor->delayControls(1).time->performGesture(gui::kGestureChange, 100);
    close();
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(VarnelInterfaceTest, EachSourceKindShowsTheProductsPanel) {
    open();
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    ASSERT_EQ(panels.size(), 5u);
    EXPECT_NE(dynamic_cast<XYSourceInterface*>(panels[0]), nullptr);
    EXPECT_NE(dynamic_cast<XLFOSourceInterface*>(panels[1]), nullptr);
    EXPECT_NE(dynamic_cast<EGSourceInterface*>(panels[2]), nullptr);
    EXPECT_NE(dynamic_cast<EFSourceInterface*>(panels[3]), nullptr);
    EXPECT_NE(dynamic_cast<MidiSourceInterface*>(panels[4]), nullptr);
    for (size_t k = 0; k < panels.size(); ++k) {
        EXPECT_EQ(panels[k]->sourceId().type, int32_t(k));
        EXPECT_EQ(panels[k]->sourceId().instance, 0);
    }
    // No panel for a kind the product lacks.
    EXPECT_EQ(editor->createSourceInterface(*editor->sourceController(), SourceId{5, 0}), nullptr);
    // The panels' skin: the section-preset menus of the product's kinds and
    // the indicators of the interface.
    EXPECT_EQ(editor->sourceSkin().indicators, editor->indicators());
    ASSERT_TRUE(editor->sourceSkin().presetMenu);
    EXPECT_NE(editor->sourceSkin().presetMenu(VarnelPlugin::kXLFO, 0), nullptr);
    EXPECT_EQ(editor->sourceSkin().presetMenu(VarnelPlugin::kXLFO, 99), nullptr);
    ASSERT_TRUE(editor->sourceSkin().sideChainUsable);
    EXPECT_EQ(editor->sourceSkin().sideChainUsable(), model->sideChainEnabled());
}

// The MIDI source panel's Input and Response Curve and the XLFO step
// panel's Glide function list their parameters' value texts; a click lists
// them in the menu, and picking one sets the parameter.
TEST_F(VarnelInterfaceTest, TheSourcePanelsSelectorsListTheirParametersValues) {
    using gui::headless::ModalAnswer;
    using gui::headless::ModalRequest;
    using gui::headless::ModalResponder;
    setSettings(1, true);
    open();
    auto check = [this](const char* what, gui::SelectButton* button, AbstractPluginParameter& parameter) {
        SCOPED_TRACE(what);
        ASSERT_NE(button, nullptr);
        std::vector<std::string> texts;
        for (int k = int(parameter.getMin()); k <= int(parameter.getMax()); ++k)
            texts.push_back(parameter.valueToText(float(k), 0));
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(button->choices(), texts);
        EXPECT_EQ(button->textLine(0)->text.getValue(), texts.front());

        ModalResponder::reset();
        ModalAnswer last;
        last.item = int(texts.size()) - 1;
        ModalResponder::push(last);
        const gui::Rect r = inRoot(*button);
        const gui::Point at((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
        ui->mouseDown(0, at, gui::kLeftButton);
        ui->mouseUp(0, at);
        ASSERT_EQ(ModalResponder::requests().size(), 1u);
        EXPECT_EQ(ModalResponder::requests()[0].kind, ModalRequest::Kind::kMenu);
        EXPECT_EQ(ModalResponder::requests()[0].items, texts);
        EXPECT_EQ(parameter.getValue(), parameter.getMax());
        EXPECT_EQ(button->textLine(0)->text.getValue(), texts.back());
    };

    editor->sourceController()->addSource(1);
    auto* xlfo = dynamic_cast<XLFOSourceInterface*>(editor->sourceController()->panels().at(0));
    ASSERT_NE(xlfo, nullptr);
    xlfo->stepEditor()->selectOnly(1);
    xlfo->stepEditor()->selectionChanged();
    ui->advance(1000); // the step panel opens, its container with it
    check("glide function",
          dynamic_cast<gui::SelectButton*>(xlfo->stepPanel()->stepControl(XLFOController::kGlideFunction)),
          model->xlfos[0].steps[1].glideFunction);

    editor->sourceController()->addSource(4);
    ui->advance(400); // the new panel grows in
    auto* midi = dynamic_cast<MidiSourceInterface*>(editor->sourceController()->panels().at(1));
    ASSERT_NE(midi, nullptr);
    check("input", midi->inputButton(), model->midiSources[0].input);
    check("response curve", midi->curveButton(), model->midiSources[0].responseCurve);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(VarnelInterfaceTest, AClaimedParameterRefreshesItsPanelAndAnUnclaimedOneRebuilds) {
    RebuildCounting& counting = openCounting();
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    ASSERT_EQ(panels.size(), 5u);
    auto* ef = dynamic_cast<EFSourceInterface*>(panels[3]);
    ASSERT_NE(ef, nullptr);
    AbstractPluginParameter& attack = model->efs[0].attack;
    ASSERT_TRUE(ef->claims(attack.getIndex()));

    struct Case {
        const char* what;
        AbstractPluginParameter* parameter; // null: all
        bool rebuilds;
    };
    const Case cases[] = {
        {"a source panel's parameter", &attack, false},
        {"an XLFO step", &model->xlfos[0].steps[2].value, false},
        {"a parameter no panel claims", &model->delay[0].time, true},
        {"every parameter", nullptr, true},
    };
    for (const Case& c : cases) {
        const int before = counting.rebuilds;
        if (c.parameter != nullptr)
            automate(*c.parameter, c.parameter->getValue() < 0.5f ? 0.75f : 0.25f);
        else
            editor->refreshControls(-1);
        EXPECT_EQ(counting.rebuilds - before, c.rebuilds ? 1 : 0) << c.what;
        // The panels stay (the counts did not change).
        EXPECT_EQ(editor->sourceController()->panels().size(), 5u) << c.what;
        EXPECT_EQ(editor->sourceController()->panels()[3], ef) << c.what;
    }

    // A slot panel claims its slot's parameters.
    automate(model->slots.getNumActiveParameter(), 1.0f);
    const int before = counting.rebuilds;
    const int32_t level = editor->slotGroupFirstParameter() + 1 + 2;
    ASSERT_EQ(editor->slotController()->slotOfParameter(level), 0u);
    model->getParameter(level)->setValue(0.25f, kParameterChangeNotToHost);
    editor->refreshControls(level);
    EXPECT_EQ(counting.rebuilds, before);
}

TEST_F(VarnelInterfaceTest, IndicatorsFollowTheModulationButtonAndAClickOnOneShowsTheSection) {
    setSettings(0, false);
    open();
    ModulationIndicatorManager* indicators = editor->indicators();
    ASSERT_NE(indicators, nullptr);
    // Pressed, an indicator keeps its active look.
    EXPECT_GT(indicators->style().stateBitmap(2).pixelWidth(), 0);
    EXPECT_EQ(indicators->style().stateBitmap(2).pixelWidth(),
              indicators->style().stateBitmap(1).pixelWidth());
    EXPECT_FALSE(indicators->sectionShown.getValue());
    indicators->showSectionEvent.notify(indicators);
    EXPECT_EQ(editor->modulationButton()->value.getValue(), 1);
    EXPECT_TRUE(model->getVarnelSettings().showModulation.getValue());
    EXPECT_TRUE(indicators->sectionShown.getValue());
    editor->modulationButton()->value.setValue(0);
    editor->modulationButtonChanged();
    EXPECT_FALSE(indicators->sectionShown.getValue());
}

TEST_F(VarnelInterfaceTest, ClosingWithSourcePanelsAndIndicatorsIsClean) {
    open();
    automate(model->slots.getNumActiveParameter(), 2.0f);
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    ASSERT_EQ(panels.size(), 5u);
    // A gesture left open when the editor closes ends once.
    editor->delayControls(0).time->performGesture(gui::kGestureBegin, 0);
    close();
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The pairs of the delay section follow their driver only under the link
// modifier (Alt): the delays' times and the dry and wet levels alike, the
// delays' pans mirrored.
TEST_F(VarnelInterfaceTest, LinkedPairsMoveTogetherUnderAltAsTheirModeSays) {
    open();
    struct Case {
        const char* what;
        AbstractPluginParameter* driver;
        AbstractPluginParameter* follower;
        int direction; // of the follower's move for a move up of the driver
    };
    const Case cases[] = {
        {"delay times", &model->delay[0].time, &model->delay[1].time, 1},
        {"delay pans", &model->delay[0].pan, &model->delay[1].pan, -1},
        {"dry and wet levels", &model->dryLevel, &model->wetLevel, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gui::ValueControl* driver = boundTo(*c.driver);
        ASSERT_NE(driver, nullptr);
        ASSERT_NE(boundTo(*c.follower), nullptr);
        for (AbstractPluginParameter* p : {c.driver, c.follower})
            automate(*p, p->fromLinearNormalized(0.5f));
        const int step = std::max(1, (driver->maximum.getValue() - driver->minimum.getValue()) / 10);
        for (int modifiers : {0, int(gui::kAlt)}) {
            const float start = c.follower->toLinearNormalized(c.follower->getValue());
            driver->updateLinkFromModifiers(modifiers);
            driver->applyGesture(0, 0, 0, 0);
            driver->applyGesture(1, 0, step, 0);
            driver->applyGesture(2, 0, 0, 0);
            const float moved = c.follower->toLinearNormalized(c.follower->getValue()) - start;
            if (modifiers == 0)
                EXPECT_FLOAT_EQ(moved, 0.0f) << "moved without the modifier";
            else
                EXPECT_GT(moved * float(c.direction), 0.01f) << "moved by " << moved;
        }
        driver->updateLinkFromModifiers(0);
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The two section presets buttons open their section's preset menu: a
// preset saved from it holds that section, and choosing it restores the
// section alone.
TEST_F(VarnelInterfaceTest, TheSectionPresetsButtonsSaveAndLoadTheirSectionsPresets) {
    using gui::headless::ModalAnswer;
    using gui::headless::ModalRequest;
    using gui::headless::ModalResponder;
    open();
    struct Case {
        int32_t section;
        const char* extension;
        AbstractPluginParameter* inside;  // a parameter of the section
        AbstractPluginParameter* outside; // one of the other section
        float x;
    };
    const Case cases[] = {
        {0, "delays", &model->delay[0].feedback, &model->filter[0].freq, 306},
        {1, "filters", &model->filter[0].freq, &model->delay[0].feedback, 480},
    };
    // Picks the menu item with the text.
    auto pick = [](const std::string& text) {
        ModalResponder::push([text](const ModalRequest& request) {
            ModalAnswer answer;
            const auto at = std::find(request.items.begin(), request.items.end(), text);
            if (at != request.items.end()) answer.item = int(at - request.items.begin());
            return answer;
        });
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        ModalResponder::reset();
        gui::Button* button = editor->sectionPresetButton(c.section);
        ASSERT_NE(button, nullptr);
        EXPECT_FLOAT_EQ(inRoot(*button).left, c.x);
        EXPECT_NE(button->helpText.getValue().find("section preset menu"), std::string::npos);
        const gui::Point at(inRoot(*button).left + 2.0f, inRoot(*button).top + 2.0f);

        automate(*c.inside, c.inside->fromLinearNormalized(0.8f));
        const float saved = c.inside->getValue();
        std::string path;
        pick("Save As...");
        ModalResponder::push([&path](const ModalRequest& request) {
            ModalAnswer answer;
            answer.chosen = true;
            const std::string& folder = request.startFolder;
            path = folder + (!folder.empty() && folder.back() == '\\' ? "" : "\\") + "Kept." +
                   request.defaultExtension;
            answer.path = path;
            return answer;
        });
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        ASSERT_EQ(ModalResponder::requests().size(), 2u);
        EXPECT_EQ(ModalResponder::requests()[1].kind, ModalRequest::Kind::kSaveDialog);
        EXPECT_EQ(ModalResponder::requests()[1].defaultExtension, c.extension);

        automate(*c.inside, c.inside->fromLinearNormalized(0.2f));
        automate(*c.outside, c.outside->fromLinearNormalized(0.3f));
        const float other = c.outside->getValue();
        pick("Kept");
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        ASSERT_EQ(ModalResponder::requests().size(), 3u);
        const std::vector<std::string>& items = ModalResponder::requests()[2].items;
        EXPECT_NE(std::find(items.begin(), items.end(), "Kept"), items.end());
        EXPECT_FLOAT_EQ(c.inside->getValue(), saved);
        EXPECT_FLOAT_EQ(c.outside->getValue(), other);
    }
}

// The sources builder's look: the selection bar's styles and spacing, the
// strip's scroll area, and the layout of the panels and their slots.
TEST_F(VarnelInterfaceTest, TheSourcesBuilderGivesTheBarTheStripAndTheSlotsTheirLook) {
    setSettings(0, true);
    open();
    editor->sourceController()->addSource(1);
    SourceController& sources = *editor->sourceController();
    SourceSelectionBar* bar = sources.selectionBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->spacing.getValue(), 8);
    EXPECT_EQ(bar->overhang.getValue(), 5);
    EXPECT_GT(bar->selectorStyle().stateBitmap(0).pixelWidth(), 0);
    EXPECT_GT(bar->selectorStyle().stateBitmap(1).pixelWidth(), 0);
    ASSERT_EQ(bar->sourceButtons().size(), 1u);
    // The source button has the style's faces, its level bar and dark text.
    SourceSelectionBar::SourceButton* button = bar->sourceButtons()[0];
    EXPECT_EQ(button->style(), &bar->sourceButtonStyle());
    for (int i = 0; i < gui::Button::Style::kStateBitmapCount; ++i)
        EXPECT_GT(bar->sourceButtonStyle().stateBitmap(i).pixelWidth(), 0) << i;
    EXPECT_GT(bar->sourceButtonStyle().width.getValue(), 0.0f);
    ASSERT_NE(button->textLine(0), nullptr);
    EXPECT_EQ(button->textLine(0)->color.getValue(), gui::Color(0, 0, 0, 255));
    EXPECT_FLOAT_EQ(button->textOffsetY.getValue(), 1.0f);
    EXPECT_EQ(bar->addLabel()->text(0)->color.getValue(), gui::Color(255, 255, 255, 255));

    gui::ScrollArea* area = sources.strip().scrollArea();
    EXPECT_FLOAT_EQ(area->paddingX.getValue(), 26.0f);
    EXPECT_FLOAT_EQ(area->marginX.getValue(), 0.0f);
    EXPECT_FLOAT_EQ(sources.sourceBar().spacing.getValue(), 2.0f);
    EXPECT_EQ(sources.strip().text().color.getValue(), gui::Color(255, 255, 255, 128));
    ASSERT_NE(editor->slotController()->warningBitmap(), nullptr);
    EXPECT_GT(editor->slotController()->warningBitmap()->pixelWidth(), 0);
    // The slot pitch is the slot frame's height.
    EXPECT_FLOAT_EQ(sources.slotPanelWidth.getValue(),
                    editor->skin().image(VarnelSkin::kSlotBackground)->height.getValue());
    EXPECT_FLOAT_EQ(sources.slotSpacing.getValue(), -8.0f);
    EXPECT_EQ(sources.lineColor.getValue(), gui::Color(101, 101, 101, 255));
    EXPECT_EQ(sources.separatorColor.getValue(), gui::Color(0, 0, 0, 16));
}

// Every source panel's Remove Source button has the skin's face, icon and
// size in the panel's title row, and a click removes its source (the first
// panel each time, which the strip always shows).
TEST_F(VarnelInterfaceTest, EverySourcePanelsRemoveButtonIsSizedAndRemovesItsSource) {
    setSettings(1, true);
    open();
    addOneOfEachKind();
    ui->advance(1000);
    const AbstractParameterSetList* lists[5] = {&model->xyControllers, &model->xlfos, &model->egs,
                                                &model->efs, &model->midiSources};
    for (int32_t type = 0; type < 5; ++type) {
        SCOPED_TRACE(type);
        ASSERT_FALSE(editor->sourceController()->panels().empty());
        SourceInterface* panel = editor->sourceController()->panels().front();
        ASSERT_EQ(panel->sourceId().type, type);
        // The strip shows the source added last: this panel comes into view first.
        panel->scrollIntoView();
        ui->advance(1500);
        gui::Button* remove = panel->removeButton();
        ASSERT_NE(remove, nullptr);
        const gui::Rect r = remove->bounds.getValue();
        EXPECT_GE(r.width(), 12.0f);
        EXPECT_GE(r.height(), 12.0f);
        EXPECT_LE(r.right, panel->width.getValue());
        ASSERT_NE(remove->style(), nullptr);
        EXPECT_GT(remove->style()->stateBitmap(0).pixelWidth(), 0) << "no face";
        EXPECT_GT(remove->style()->stateBitmap(3).pixelWidth(), 0) << "no icon";
        EXPECT_TRUE(remove->isVisibleInTree());
        EXPECT_EQ(lists[type]->getNumActive(), 1);
        click(*remove);
        EXPECT_EQ(lists[type]->getNumActive(), 0);
    }
    EXPECT_TRUE(editor->sourceController()->panels().empty());
}

// The delay section's toggles and the dry button that works its toggle show
// an icon on their faces, on and off, and look different on and off; so do
// the filter section's enable switches and the filter buttons' (shown while
// the pointer is over the button).
TEST_F(VarnelInterfaceTest, TheSectionsTogglesLookDifferentOnAndOff) {
    setSettings(1, false);
    model->getVarnelSettings().expandedSection.setValue(1);
    open();
    auto* filterButton = dynamic_cast<ComponentButton*>(editor->filterButton(0));
    ASSERT_NE(filterButton, nullptr);
    struct Case {
        const char* what;
        gui::Control* control;
        AbstractPluginParameter* parameter;
        gui::Control* hover; // where the pointer rests, or null
    };
    const Case cases[] = {
        {"delay 1 feedback invert", boundTo(model->delay[0].feedbackInvert), &model->delay[0].feedbackInvert,
         nullptr},
        {"delay 2 feedback invert", boundTo(model->delay[1].feedbackInvert), &model->delay[1].feedbackInvert,
         nullptr},
        {"dry enable toggle", boundTo(model->dryEnabled), &model->dryEnabled, nullptr},
        {"dry enable button", editor->dryButton(), &model->dryEnabled, nullptr},
        {"filter 1 enable", editor->filterInterface()->filterControls(0).enable, &model->filter[0].enabled,
         nullptr},
        {"filter 2 enable", editor->filterInterface()->filterControls(1).enable, &model->filter[1].enabled,
         nullptr},
        {"filter button 1 enable", filterButton->enableToggle(), &model->filter[0].enabled, filterButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.control, nullptr);
        if (c.hover != nullptr) ui->mouseMove(c.hover->toRoot(gui::Point(40, 60)));
        ASSERT_TRUE(c.control->isVisibleInTree());
        auto* button = dynamic_cast<gui::Button*>(c.control);
        ASSERT_NE(button, nullptr);
        automate(*c.parameter, 0.0f);
        ui->advance(1000);
        EXPECT_TRUE(test::showsAnIcon(*ui, *button)) << "a blank face while off";
        const std::vector<gui::Color> off = test::paintedPixels(*ui, test::middleOf(*button));
        automate(*c.parameter, 1.0f);
        ui->advance(1000);
        EXPECT_TRUE(test::showsAnIcon(*ui, *button)) << "a blank face while on";
        EXPECT_NE(test::paintedPixels(*ui, test::middleOf(*button)), off) << "on looks like off";
        ui->mouseMove(gui::Point(1, 1));
    }
    // A click on the dry button works the toggle, and both show it.
    auto* dryToggle = dynamic_cast<gui::Button*>(boundTo(model->dryEnabled));
    ASSERT_NE(dryToggle, nullptr);
    for (float expected : {0.0f, 1.0f}) {
        click(*editor->dryButton());
        EXPECT_EQ(model->dryEnabled.getValue(), expected);
        EXPECT_EQ(dryToggle->on.getValue(), expected != 0.0f);
        EXPECT_EQ(editor->dryButton()->on.getValue(), expected != 0.0f);
    }
}

// The XY pad is drawn from the skin's XY face: its light title band carries
// the panel's title readably, its screen the target icon where the point
// stands, which moves with the controller's values.
TEST_F(VarnelInterfaceTest, TheXYPadShowsItsFaceAReadableTitleAndTheTargetAtItsPoint) {
    setSettings(0, true);
    open();
    editor->sourceController()->addSource(0);
    ui->advance(1000);
    auto* xy = dynamic_cast<XYSourceInterface*>(editor->sourceController()->panels().at(0));
    ASSERT_NE(xy, nullptr);
    XYControllerButton& pad = *xy->pad();
    EXPECT_EQ(pad.backgroundSource(), editor->skin().image(VarnelSkin::kXYMask));
    EXPECT_GT(pad.background().pixelWidth(), 0);
    EXPECT_GT(pad.pointIcon().pixelWidth(), 0);

    // The title's text stands out from what lies under it.
    const std::vector<gui::Color> title = test::paintedPixels(*ui, *xy->title());
    ASSERT_FALSE(title.empty());
    int darkest = 255, lightest = 0;
    for (const gui::Color& c : title) {
        darkest = std::min(darkest, test::lightness(c));
        lightest = std::max(lightest, test::lightness(c));
    }
    EXPECT_GT(lightest - darkest, 60) << "a title that cannot be read";

    // The target icon: the pixels around the point change when it moves away.
    XYParameterSet& set = model->xyControllers[0];
    const float icon = pad.pointIcon().getRect().width();
    auto around = [&](const gui::Point& point) {
        const gui::Point at = pad.toRoot(point);
        return test::paintedPixels(*ui,
                                   gui::Rect::fromXYWH(at.x - icon * 0.5f, at.y - icon * 0.5f, icon, icon));
    };
    automate(set.hor, set.hor.fromLinearNormalized(0.25f));
    automate(set.ver, set.ver.fromLinearNormalized(0.25f));
    const gui::Point first = pad.point();
    const std::vector<gui::Color> with = around(first);
    automate(set.hor, set.hor.fromLinearNormalized(0.75f));
    automate(set.ver, set.ver.fromLinearNormalized(0.75f));
    EXPECT_GT(pad.point().x - first.x, icon);
    EXPECT_NE(around(first), with) << "nothing marks the point";
}

// The XLFO's Balance knob is the outer ring around its rate knob (Frequency,
// or Frequency Offset when synced): one centre, the ring the larger, as the
// dry and wet pairs are.
TEST_F(VarnelInterfaceTest, TheXLFOsBalanceIsTheRingAroundItsRateKnob) {
    setSettings(0, true);
    open();
    editor->sourceController()->addSource(1);
    auto* xlfo = dynamic_cast<XLFOSourceInterface*>(editor->sourceController()->panels().at(0));
    ASSERT_NE(xlfo, nullptr);
    gui::Knob* balance = xlfo->balanceKnob();
    EXPECT_EQ(balance->style(), editor->skin().knobStyle(VarnelSkin::kOuterRing));
    auto centre = [](const gui::Control& c) {
        return c.toRoot(gui::Point(c.width.getValue() * 0.5f, c.height.getValue() * 0.5f));
    };
    for (gui::Knob* rate : {xlfo->frequencyKnob(), xlfo->frequencyOffsetKnob()}) {
        EXPECT_EQ(rate->style(), editor->skin().knobStyle(VarnelSkin::kInnerKnob));
        EXPECT_FLOAT_EQ(centre(*rate).x, centre(*balance).x);
        EXPECT_FLOAT_EQ(centre(*rate).y, centre(*balance).y);
        EXPECT_GT(balance->width.getValue(), rate->width.getValue());
    }
}

// With the XLFO's step panel open its panel grows by the step panel's width,
// and the source strip's range grows with it: holding the forward scroll
// button brings the MIDI panel, the last one, into view, its drag button and
// selectors where a press reaches them. Hiding the step panel shrinks the
// range again, and the view stays inside it, at its end.
TEST_F(VarnelInterfaceTest, TheSourceStripScrollsToItsLastPanelWhileAPanelHasGrown) {
    setSettings(1, true);
    open();
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    ui->advance(1000);
    auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panels.at(1));
    auto* midi = dynamic_cast<MidiSourceInterface*>(panels.at(4));
    ASSERT_NE(xlfo, nullptr);
    ASSERT_NE(midi, nullptr);
    ModulationScrollStrip& strip = editor->sourceController()->strip();
    gui::ScrollArea& area = *strip.scrollArea();
    const gui::Control& container = *xlfo->getParent();
    // The content beside the XLFO's container, which stays as it is.
    const float others = area.contentWidth.getValue() - container.width.getValue();
    const float closed = xlfo->width.getValue();
    xlfo->stepEditor()->selectOnly(0);
    xlfo->stepEditor()->selectionChanged();
    ui->advance(1000);
    ASSERT_GT(xlfo->width.getValue(), closed);
    EXPECT_FLOAT_EQ(area.contentWidth.getValue(), others + container.width.getValue());
    EXPECT_FLOAT_EQ(area.scrollX.getMaximum(), area.contentWidth.getValue() - area.width.getValue());

    // Held until the strip has stood still for half a second.
    gui::ScrollButton* forward = strip.forwardButton();
    const gui::Point at = centreOf(*forward);
    ASSERT_EQ(reachedAt(at), forward);
    ui->mouseMove(at);
    ui->mouseDown(0, at);
    float last = area.scrollX.getValue();
    for (int i = 0, still = 0; i < 1000 && still < 30; ++i) {
        ui->advance(16);
        still = area.scrollX.getValue() == last ? still + 1 : 0;
        last = area.scrollX.getValue();
    }
    ui->mouseUp(0, at);
    ui->mouseMove(gui::Point(1, 1));
    ui->advance(1000);
    EXPECT_FLOAT_EQ(area.scrollX.getValue(), area.scrollX.getMaximum());
    const float stripRight = strip.toRoot(gui::Point(strip.width.getValue(), 0)).x;
    const float midiRight = midi->toRoot(gui::Point(midi->width.getValue(), 0)).x;
    EXPECT_LE(midiRight, stripRight);
    const std::pair<const char*, gui::Control*> parts[] = {
        {"drag button", midi->dragButtons().at(0)},
        {"Input", midi->inputButton()},
        {"Response Curve", midi->curveButton()},
    };
    for (const auto& [what, control] : parts) {
        ASSERT_NE(control, nullptr) << what;
        EXPECT_EQ(reachedAt(centreOf(*control)), control) << what;
    }

    // The step panel hidden: the XLFO's panel shrinks back, and the view with
    // it, so that the MIDI panel still ends where it did.
    xlfo->stepEditor()->hideStepPanel();
    ui->advance(1000);
    EXPECT_FLOAT_EQ(xlfo->width.getValue(), closed);
    EXPECT_FLOAT_EQ(area.contentWidth.getValue(), others + container.width.getValue());
    EXPECT_FLOAT_EQ(area.scrollX.getMaximum(), area.contentWidth.getValue() - area.width.getValue());
    EXPECT_FLOAT_EQ(area.scrollX.getValue(), area.scrollX.getMaximum());
    EXPECT_FLOAT_EQ(midi->toRoot(gui::Point(midi->width.getValue(), 0)).x, midiRight);
}

// A press that changes no value stores no undo step, on every surface that
// is dragged (the filter display's handle has its own test beside the
// section's): a knob, the envelope's handles, the XY pad's point, an XLFO
// step pressed at its value. A drag on each stores one; a drag of the XY
// pad's point against the corner it stands in stores none.
TEST_F(VarnelInterfaceTest, APressThatChangesNoValueStoresNoUndoStep) {
    setSettings(1, true);
    open();
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    ui->advance(1000);
    auto* xy = dynamic_cast<XYSourceInterface*>(panels.at(0));
    auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panels.at(1));
    auto* eg = dynamic_cast<EGSourceInterface*>(panels.at(2));
    ASSERT_TRUE(xy != nullptr && xlfo != nullptr && eg != nullptr);

    // Each surface: the panel to scroll into view (if any), the control,
    // the point of it that a press takes hold of (in its coordinates) and a
    // drag from there that changes its value.
    struct Surface {
        const char* what;
        SourceInterface* panel;
        std::function<gui::Control*()> control;
        std::function<gui::Point(gui::Control&)> point;
        gui::Point drag;
    };
    auto middle = [](gui::Control& c) {
        return gui::Point(c.width.getValue() * 0.5f, c.height.getValue() * 0.5f);
    };
    const Surface surfaces[] = {
        {"delay time knob", nullptr, [this] { return editor->delayControls(0).time; }, middle, {0, -12}},
        {"envelope attack handle",
         eg,
         [eg] { return eg->display()->slider(EnvelopeController::kAttack); },
         [](gui::Control& c) { return static_cast<EnvelopeController::EGSlider&>(c).handleCentre(); },
         {12, 0}},
        {"envelope sustain handle",
         eg,
         [eg] { return eg->display()->slider(EnvelopeController::kSustain); },
         [](gui::Control& c) { return static_cast<EnvelopeController::EGSlider&>(c).handleCentre(); },
         {0, 12}},
        {"XY pad point",
         xy,
         [xy] { return xy->pad(); },
         [](gui::Control& c) { return static_cast<XYControllerButton&>(c).point(); },
         {12, -12}},
        {"XLFO step",
         xlfo,
         [xlfo] { return xlfo->stepEditor()->slider(1); },
         [](gui::Control& c) {
             const gui::Rect r = static_cast<XLFOController::StepSlider&>(c).valueArea();
             return gui::Point((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
         },
         {0, -12}},
    };
    for (const Surface& s : surfaces) {
        SCOPED_TRACE(s.what);
        if (s.panel != nullptr) showSource(*s.panel);
        gui::Control* control = s.control();
        ASSERT_NE(control, nullptr);
        const gui::Point at = control->toRoot(s.point(*control));
        ASSERT_EQ(reachedAt(at), control);
        const std::vector<float> before = [this] {
            std::vector<float> v;
            model->getMainCollection().getValues(v);
            return v;
        }();
        const int32_t undo = undoCount();
        ui->mouseMove(at);
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        ui->mouseMove(gui::Point(1, 1));
        ui->advance(1000);
        std::vector<float> after;
        model->getMainCollection().getValues(after);
        EXPECT_EQ(after, before);
        EXPECT_EQ(undoCount(), undo);

        // The same press dragged changes the value: one step.
        const gui::Point from = control->toRoot(s.point(*control));
        const gui::Point to(from.x + s.drag.x, from.y + s.drag.y);
        ui->mouseMove(from);
        ui->mouseDown(0, from);
        ui->mouseMove(gui::Point(from.x + s.drag.x * 0.5f, from.y + s.drag.y * 0.5f));
        ui->mouseMove(to);
        ui->mouseUp(0, to);
        ui->mouseMove(gui::Point(1, 1));
        ui->advance(1000);
        EXPECT_EQ(undoCount(), undo + 1);
    }

    // The XY pad's point in its top right corner, dragged on outwards: the
    // host hears the gestures, the values stay, and so does the history.
    showSource(*xy);
    automate(model->xyControllers[0].hor, model->xyControllers[0].hor.getMax());
    automate(model->xyControllers[0].ver, model->xyControllers[0].ver.getMax());
    const gui::Point corner = xy->pad()->toRoot(xy->pad()->point());
    ASSERT_EQ(reachedAt(corner), xy->pad());
    const int32_t undo = undoCount();
    adapter->log.clear();
    ui->mouseMove(corner);
    ui->mouseDown(0, corner);
    for (float d = 4.0f; d <= 24.0f; d += 4.0f)
        ui->mouseMove(gui::Point(corner.x + d, corner.y - d));
    ui->mouseUp(0, gui::Point(corner.x + 24.0f, corner.y - 24.0f));
    ui->mouseMove(gui::Point(1, 1));
    ui->advance(1000);
    EXPECT_EQ(adapter->kindsOf(model->xyControllers[0].hor.getIndex()), "be");
    EXPECT_FLOAT_EQ(model->xyControllers[0].ver.getValue(), model->xyControllers[0].ver.getMax());
    EXPECT_EQ(undoCount(), undo);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Every source's drag button dropped on every modulation target the full
// editor shows, at a point where a press reaches the target (the strip
// scrolled to the target's panel while the drag runs): each drop makes one
// slot from that source to the parameter the control is linked to, and
// where targets overlap (the envelope's handles) the one a press takes.
TEST_F(VarnelInterfaceTest, ADropConnectsTheTargetAPressAtItsPointReaches) {
    setSettings(1, true);
    open();
    const std::vector<VarnelSourceInterface*> panels = addOneOfEachKind();
    editor->componentDisplay()->toggleComponent(editor->filterInterface()->componentIndex());
    ui->advance(1000);
    ModulationScrollStrip& strip = editor->sourceController()->strip();
    // The panel of the strip that holds a control, or null.
    auto panelOf = [&panels](const gui::Control& control) -> SourceInterface* {
        for (const gui::Control* c = &control; c != nullptr; c = c->getParent())
            for (VarnelSourceInterface* panel : panels)
                if (c == panel) return panel;
        return nullptr;
    };
    // Where a press reaches the control (beneath the drag's stage, the
    // root's last child while a drag runs): its centre, a switch's handle,
    // or a point of a grid over it.
    auto pointOn = [this](gui::Control& control) {
        gui::Control& root = *ui->rootControl();
        const gui::Control* stage = root.children().back();
        return walk::firstReachingPoint(control, inRoot(control), [&](const gui::Point& p) {
            return root.pressedControlAt(p, stage) == &control;
        });
    };
    // Every target control the editor shows, with its panel in view.
    std::vector<gui::Control*> targets;
    auto collect = [&] {
        const walk::ControlWalk tree(*ui->rootControl());
        for (const walk::ShownControl& shown : tree.controls())
            if (editor->getTargetIndex(shown.control) != ModulationMatrixPluginInterface::kNoTarget &&
                std::find(targets.begin(), targets.end(), shown.control) == targets.end())
                targets.push_back(shown.control);
    };
    for (VarnelSourceInterface* panel : panels) {
        showSource(*panel);
        collect();
    }
    // The XLFO's phase offset and the envelope's handles are among them.
    auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panels.at(1));
    auto* eg = dynamic_cast<EGSourceInterface*>(panels.at(2));
    ASSERT_NE(xlfo, nullptr);
    ASSERT_NE(eg, nullptr);
    EXPECT_NE(std::find(targets.begin(), targets.end(), xlfo->stepEditor()->phaseOffsetSlider()),
              targets.end());
    gui::Control* attack = eg->display()->slider(EnvelopeController::kAttack);
    EXPECT_NE(std::find(targets.begin(), targets.end(), attack), targets.end());

    ModulationMatrixController& matrix = editor->matrixController();
    AbstractPluginParameter& slotCount = model->slots.getNumActiveParameter();
    for (VarnelSourceInterface* source : panels)
        for (SourceDragButton* button : source->dragButtons()) {
            const std::uint32_t sourceIndex = button->sourceIndex();
            for (gui::Control* target : targets) {
                SCOPED_TRACE(std::to_string(sourceIndex) + " onto " + walk::ControlWalk::kindOf(*target) +
                             " " + target->helpText.getValue().substr(0, 40));
                // The drag starts where the source's panel shows.
                showSource(*source);
                const gui::Point from = centreOf(*button);
                ASSERT_EQ(walk::ControlWalk::pressedAt(*ui->rootControl(), from), button);
                ui->mouseMove(from);
                ui->mouseDown(0, from);
                ui->mouseMove(gui::Point(from.x + 10.0f, from.y + 10.0f));
                ui->advance(50);
                if (SourceInterface* home = panelOf(*target)) {
                    strip.scrollArea()->scrollToShow(home, nullptr, false);
                    ui->advance(1000);
                }
                const std::optional<gui::Point> at = pointOn(*target);
                ASSERT_TRUE(at.has_value()) << "no press reaches the target";
                const int32_t before = int32_t(std::lround(slotCount.getValue()));
                ui->mouseMove(*at);
                ui->advance(50);
                ui->mouseUp(0, *at);
                ui->advance(1000);
                ASSERT_EQ(int32_t(std::lround(slotCount.getValue())), before + 1) << "the drop made no slot";
                EXPECT_EQ(matrix.getSource(before), int32_t(sourceIndex));
                EXPECT_EQ(uint32_t(matrix.getTarget(before)), editor->getTargetIndex(target));
                // The slot goes again, for the next drop.
                automate(slotCount, float(before));
                ui->advance(100);
            }
        }
}

} // namespace
