#include "effect_editor/VarnelInterface.h"

#include "editor/ABButton.h"
#include "editor/ComponentDisplay.h"
#include "editor/ComponentPresetHandler.h"
#include "editor/HelpHint.h"
#include "editor/HotspotButton.h"
#include "editor/StandardButtons.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/VarnelSourceInterface.h"
#include "effect_editor/VarnelSourcePanels.h"
#include "effect_editor/VarnelSourceSkin.h"
#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/Light.h"
#include "gui/MultiLabel.h"
#include "gui/PixelArithmetic.h"
#include "gui/RootControl.h"
#include "gui/ScrollArea.h"
#include "gui/ScrollStrip.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "modulation_editor/FloatValueLabel.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/ModulationDragStage.h"
#include "modulation_editor/ModulationIndicatorManager.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/SourceSlotController.h"
#include "modulation_editor/XLFOController.h"

#include <cmath>
#include <string>
#include <utility>

namespace {

// x and width of the eight top-bar buttons, after x 310, by layout.
constexpr float kTopBarLeft = 310.0f;
constexpr float kTopBarX[2][VarnelInterface::kTopBarCount] = {{0, 24, 54, 78, 116, 136, 261, 287},
                                                              {20, 52, 110, 142, 208, 240, 480, 548}};
constexpr float kTopBarWidth[2][VarnelInterface::kTopBarCount] = {{24, 24, 24, 32, 20, 125, 20, 40},
                                                                  {32, 32, 32, 32, 32, 240, 32, 60}};
constexpr float kTopBarHeight = 18.0f;

// Bottom-bar x positions by layout: channel-mode label, channel mode, auto
// mute, audition.
constexpr float kChannelLabelX[2] = {183, 248};
constexpr float kChannelModeX[2] = {264, 329};
constexpr float kAutoMuteX[2] = {370, 500};
constexpr float kAuditionX[2] = {532, 727};
// Controls at y 3 of the bar (489 of a 514 high interface), the light at 7.
constexpr int kBarControlY = 3;
constexpr int kBarLightY = 7;
// As high as the bar buttons' faces ("ButtonBar...png"), so that a face
// stretches along the button's width only.
constexpr float kBarControlHeight = 20.0f;
constexpr float kResizeFromRight = 20.0f;
// The channel-mode label: a gap to the selector its caption ends at, and
// its colour on the light band of the background.
constexpr float kLabelPadding = 3.0f;
constexpr gui::Color kLabelOnBandColor{0, 0, 0, 255};

// The note ratios of the offset hotspots, as the offset's log2 of a time
// ratio: 1/2, 2/3 (triplet), 3/4 (dotted eighth of a quarter), 1, 4/3, 3/2
// (dotted), 2.
const float kOffsetHotspots[VarnelInterface::kHotspotCount] = {
    -1.0f, float(std::log2(2.0 / 3.0)), float(std::log2(0.75)),
    0.0f,  float(std::log2(4.0 / 3.0)), float(std::log2(1.5)),
    1.0f};
constexpr float kHotspotRadius = 38.0f;

// Text of a plain "label" button: the auto-mute toggle's while off.
constexpr uint8_t kDimmedTextAlpha = 160;
constexpr int kDimmerOpacity = 170;

constexpr const char* kRoutingNames[3] = {"FilterSerialBack.png", "FilterParallelBack.png",
                                          "FilterPerChannelBack.png"};

constexpr const char* kUndoHelp =
    "The Undo button undoes the last change you made to the plug-in, for example when adjusting a knob or "
    "loading a preset.";
constexpr const char* kRedoHelp = "The Redo button cancels the last undo command.";
constexpr const char* kCompareHelp =
    "The A/B button switches between two plug-in states: A and B. Using this, you can quickly compare "
    "between two different states of the plug-in without having to save a preset.";
constexpr const char* kCopyHelp =
    "The Copy button works together with the A/B button. It saves the current plug-in settings to both the "
    "A and B states. This enables you to switch back to the saved state later using the A/B button.";
constexpr const char* kPreviousHelp =
    "The Previous Preset button selects the previous preset in the presets menu.";
constexpr const char* kPresetsHelp =
    "The Presets button opens the presets menu, where you can open and save presets. For more information, "
    "see Presets in the help file.";
constexpr const char* kNextHelp = "The Next Preset button selects the next preset in the presets menu.";
constexpr const char* kHelpHelp =
    "The Help button opens the help menu: the help file, the Zentor web site and the About dialog.";
constexpr const char* kTimeDisplayHelp =
    "The time display shows the current delay time in milliseconds. You can adjust the time by dragging up "
    "or down. Hold down the Shift key while dragging for fine adjustments.\n\nThis label also has a tap "
    "feature. Click the label once to activate it, and then click again. The time between the two clicks is "
    "measured and used as the delay time.\n\nThe delay time label is disabled when the delay time is "
    "synchronized to the host tempo.";
constexpr const char* kSectionPresetsHelp =
    "The Section Presets button opens the section preset menu. Using this menu, you can load and save the "
    "settings of the delay or filter sections in Varnel. This lets you easily re-use certain delay or filter "
    "settings.";
constexpr const char* kModulationHelp =
    "The Modulation button shows or hides the modulation section at the bottom of the interface.\n\nZentor "
    "Varnel 2 offers virtually unlimited modulation possibilities, but all this power might be a bit "
    "intimidating. That's why the modulation section is hidden by default, and you can look 'under the hood' "
    "when you want to tweak a preset or design your own.";
constexpr const char* kMidiLearnHelp =
    "The MIDI Learn button enables or disables MIDI Learning. With MIDI learn, you can associate MIDI "
    "controller numbers with any parameter. When the button is activated, the interface will go into MIDI "
    "Learn mode, and the current controller number association are shown for all controls. Now, you can do "
    "the following to associate a controller number with a parameter:\n\n1) Click any knob, slider or select "
    "button that is highlighted in the dimmed interface. You will see the current associated controller "
    "number or a '-' when it is not associated yet.\n\n2) Adjust the slider or knob on your MIDI keyboard or "
    "MIDI controller that you want to associate with that parameter.\n\nThat is all! The parameter will now "
    "be controlled by the MIDI controller. To exit MIDI Learn mode, just click the MIDI Learn button again.";
constexpr const char* kMidiMenuHelp =
    "The MIDI Learn menu lets you control the current parameter associations. It contains commands to enable "
    "or disable MIDI globally, view all MIDI-parameter associations, clear specific associations or the "
    "entire mapping, save the mapping, or revert to the previous mapping.";
constexpr const char* kResizeHelp =
    "The Resize / Scaling button selects between different interface sizes, ranging from small to large "
    "sizes, and sets the preferred interface scaling. Once you've chosen a setting, new instances of the "
    "plug-in will always open with the selected size and scaling.\n\nIf an option is greyed out, this means "
    "that the current display is too small to support this interface size.\n\nNote that the VST3 format "
    "supports custom resizing: you can simply drag the edges of the plug-in window to resize to any size if "
    "your host supports this.";

int32_t roundedInt(float v) {
    return static_cast<int32_t>(std::floor(v + 0.5f));
}

template <class T> void setIfDifferent(Property<T>& property, const T& value) {
    if (!(property.getValue() == value)) property.setValue(value);
}

template <class P> void setFloat(P& property, float value) {
    if (std::fabs(property.getValue() - value) > 0.001f) property.setValue(value);
}

void setText(gui::Button& button, const std::string& text) {
    if (button.lineCount.getValue() < 1) button.lineCount.setValue(1);
    if (gui::Text* line = button.textLine(0)) setIfDifferent(line->text, text);
}

void setTextColor(gui::Button& button, const gui::Color& color) {
    if (button.lineCount.getValue() < 1) button.lineCount.setValue(1);
    if (gui::Text* line = button.textLine(0)) setIfDifferent(line->color, color);
}

void loadIcon(gui::Button& button, int index, const char* name) {
    button.icon(index).load(name);
}

void setShown(gui::Control* control, bool shown) {
    if (control != nullptr) setIfDifferent(control->visible, shown);
}

void placeX(gui::Control* control, float x) {
    if (control != nullptr) setFloat(control->x, x);
}

} // namespace

// Forgets a kept control when it dies.
class VarnelInterface::Watch : public gui::Component {
public:
    using gui::Component::Component;
    ~Watch() override {
        for (auto& [control, forget] : entries_)
            unlink(control);
    }
    void add(gui::Component* control, std::function<void()> forget) {
        link(control);
        entries_.emplace_back(control, std::move(forget));
    }
    void componentDeleted(gui::Component* component) override {
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (it->first == component) {
                it->second();
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    std::vector<std::pair<gui::Component*, std::function<void()>>> entries_;
};

VarnelInterface::VarnelInterface(gui::UserInterface& userInterface, VarnelPlugin& plugin,
                                 InterfaceListener* listener)
    : ModulationMatrixPluginInterface(userInterface, plugin, kFeatureFlags), plugin_(plugin),
      watch_(std::make_unique<Watch>(userInterface)) {
    setInterfaceListener(listener);
    gui::RootControl* root = userInterface.rootControl();
    builder_ = std::make_unique<ControlBuilder>(*this, *root);
    skin_ = std::make_unique<VarnelSkin>(userInterface);
    buildTopBar();
    buildSources();
    buildDelaySection();
    if (componentDisplay_ != nullptr)
        componentDisplay_->componentToggledEvent.addHandler(
            NotifyEvent::bind(this, &VarnelInterface::componentToggled));
    // The logo.
    keep(logo_, createImage(skin_->loadBitmap("LogoBottom.png"), 0, kDisplayY, -1, -1, 255));
    buildBottomBar();
    if (indicators_) {
        indicators_->sectionShown.setValue(plugin_.getVarnelSettings().showModulation.getValue());
        indicators_->showSectionEvent.addHandler(
            NotifyEvent::bind(this, &VarnelInterface::showModulationSection));
    }
    fillTargetRanges();
    builder_->setParent(nullptr);
    builder_->setBaseOrigin(0, 0);
    createHelpHintLabel();
    root->boundsEvent.addHandler(NotifyEvent::bind(this, &VarnelInterface::rootBoundsChanged));
    completeSetup();
    layoutHelpHint();
    if (sourceController_ != nullptr) sourceController_->showAllSlots();
    built_ = true;
    interfaceResized();
    restoreExpandedSection();
}

VarnelInterface::~VarnelInterface() {
    prepareForClosing();
}

void VarnelInterface::removeHandlers() {
    if (gui::RootControl* root = userInterface().rootControl();
        root != nullptr && !userInterface().isBeingDestroyed())
        root->boundsEvent.removeHandler(this, &VarnelInterface::rootBoundsChanged);
    // The tree (panels and indicators' controls) is gone: the manager leaves
    // the slot controller and the interface before they go.
    if (indicators_)
        indicators_->showSectionEvent.removeHandler(this, &VarnelInterface::showModulationSection);
    indicators_.reset();
    if (componentDisplay_ != nullptr)
        componentDisplay_->componentToggledEvent.removeHandler(this, &VarnelInterface::componentToggled);
    ModulationMatrixPluginInterface::removeHandlers();
    if (skin_) skin_->release();
    lightStyle_.reset();
    egSliderStyle_.reset();
    egLevelSliderStyle_.reset();
    stepSliderStyle_.reset();
}

void VarnelInterface::createHelpHintLabel() {
    auto* label = new gui::ImageLabel(userInterface());
    if (resourceExists("HelpHintBackground.png") ||
        resourceExists(addDoubleScaleSuffix("HelpHintBackground.png")))
        label->background().load("HelpHintBackground.png");
    const gui::BasicRect<float> margins(15.0f, 10.0f, 35.0f, 15.0f);
    const gui::BasicRect<float> current = label->margins.getValue();
    if (std::fabs(current.left - margins.left) > 0.001f || std::fabs(current.top - margins.top) > 0.001f ||
        std::fabs(current.right - margins.right) > 0.001f ||
        std::fabs(current.bottom - margins.bottom) > 0.001f)
        label->margins.setValue(margins);
    const gui::Rect r = label->background().getRect();
    label->setBoundsXYWH(0, 0, r.width(), r.height());
    label->visible.setValue(false);
    label->parent.setValue(userInterface().rootControl());
    keep(helpLabel_, label);
    hint().setLabel(label);
    attachHelpHintArrow(*label);
}

void VarnelInterface::watch(gui::Component* control, std::function<void()> forget) {
    watch_->add(control, std::move(forget));
}

gui::DragStage* VarnelInterface::createDragStage(uint32_t) {
    return slotController_ ? new ModulationDragStage(*this, *slotController_) : nullptr;
}

void VarnelInterface::buildSources() {
    gui::RootControl* root = userInterface().rootControl();
    slotController_ = std::make_unique<SourceSlotController>(*this);
    slotController_->setPanelFactory([this] { return createSlotInterface(); });
    // A slot panel is as high as its art (the row and its margins), so that
    // the row lies inside it; the rows overlap by their margins. (Its width
    // also sets the column pitch and stays the controller's.)
    if (const gui::Bitmap* panel = skin_->image(VarnelSkin::kSlotActiveOverlay))
        slotController_->panelHeight.setValue(panel->getRect().height());
    buildSourceSkin();
    buildIndicators();
    auto* sources =
        new SourceController(*this, *this, *slotController_, skin_->buttonStyle(16), skin_->buttonStyle(17));
    constexpr float kSourcesTop = 302.0f;
    constexpr float kSourcesBottom = 493.0f;
    sources->setBoundsXYWH(0, kSourcesTop, float(roundedInt(root->width.getValue())),
                           kSourcesBottom - kSourcesTop);
    sources->parent.setValue(root);
    sources->sourceBar().spacing.setValue(2.0f);
    sources->setBarBitmaps("SourceBackground.png");
    buildSelectionBar(*sources);
    // The strip's scroll buttons draw their part of the editor's background.
    scrollButtonBackground_ = std::make_unique<gui::Bitmap>(userInterface().deviceBacking());
    VarnelSkin::loadIfPresent(*scrollButtonBackground_, "Background.png");
    sources->strip().setScrollButtonBackground(scrollButtonBackground_.get(), gui::Rect(0, 331, 640, 493));
    gui::ScrollArea* area = sources->strip().scrollArea();
    area->paddingX.setValue(26.0f);
    area->marginX.setValue(0.0f);
    slotController_->setWarningBitmap(skin_->loadBitmap("SlotWarning.png"));
    // The layout of the panels, their slots and the lines between them.
    sources->lineColor.setValue(gui::Color(101, 101, 101, 255));
    sources->layoutA.setValue(6.0f);
    sources->layoutB.setValue(4.0f);
    // The slot pitch is the slot frame's height.
    gui::Bitmap* slotFrame = skin_->image(VarnelSkin::kSlotBackground);
    sources->slotPanelWidth.setValue(slotFrame != nullptr ? slotFrame->height.getValue() : 0.0f);
    sources->columnSpacing.setValue(-9.0f);
    sources->panelSize.setValue(0.0f);
    sources->slotAreaOffset.setValue(-2.0f);
    sources->slotSpacing.setValue(-8.0f);
    sources->separatorColor.setValue(gui::Color(0, 0, 0, 16));
    sources->separatorWidth.setValue(6.0f);
    sources->strip().text().color.setValue(gui::Color(255, 255, 255, 128));
    sources->registerSourceType(plugin_.xyControllers, "XY Controller", -1, 2);
    sources->registerSourceType(plugin_.xlfos, "XLFO", VarnelPlugin::kXLFO, 1);
    sources->registerSourceType(plugin_.egs, "Envelope Generator", VarnelPlugin::kEG, 1);
    sources->registerSourceType(plugin_.efs, "Envelope Follower", VarnelPlugin::kEF, 1);
    sources->registerSourceType(plugin_.midiSources, "MIDI Source", VarnelPlugin::kMIDI, 1);
    keep(sourceController_, sources);
}

void VarnelInterface::buildSelectionBar(SourceController& sources) {
    SourceSelectionBar* bar = sources.selectionBar();
    if (bar == nullptr) return;
    gui::Button::Style& selector = bar->selectorStyle();
    VarnelSkin::loadIfPresent(selector.stateBitmap(0), "SourceSelectorNormal.png");
    VarnelSkin::loadIfPresent(selector.stateBitmap(1), "SourceSelectorActive.png");
    bar->spacing.setValue(8);
    // The selector reaches this far past the map on each side.
    bar->overhang.setValue(5);
    // Normal, active and down faces, the overlay and the level bar.
    gui::Button::Style& button = bar->sourceButtonStyle();
    static const char* const kSourceButtonBitmaps[gui::Button::Style::kStateBitmapCount] = {
        "SourceButtonNormal.png", "SourceButtonActive.png", "SourceButtonActive.png",
        "SourceButtonOverlay.png", "SourceButtonLevel.png"};
    for (int i = 0; i < gui::Button::Style::kStateBitmapCount; ++i)
        VarnelSkin::loadIfPresent(button.stateBitmap(i), kSourceButtonBitmaps[i]);
    button.updateSizeFromBitmaps();
    // The overlay is a gloss over the whole face, stretched as the face is.
    button.overlayStyle.setValue(gui::Button::OverlayStyle::kBackground);
    button.textColor.setValue(gui::Color(0, 0, 0, 255));
    button.textOffsetY.setValue(1.0f);
    if (gui::MultiLabel* label = bar->addLabel())
        if (gui::Text* text = label->text(0)) text->color.setValue(gui::Color(255, 255, 255, 255));
}

gui::Control* VarnelInterface::createButton(SourceController&, int32_t kind) {
    return createButton(kind);
}

SourceInterface* VarnelInterface::createSourceInterface(SourceController& controller, SourceId id) {
    return createVarnelSourceInterface(controller, id, plugin_, *sourceSkin_);
}

void VarnelInterface::buildSourceSkin() {
    gui::UserInterface& ui = userInterface();
    egSliderStyle_ = std::make_unique<gui::Switch::Style>(ui);
    egSliderStyle_->setBitmaps("", "", "EGHorSliderNormal.png", "EGHorSliderActive.png");
    egSliderStyle_->handleOnly.setValue(true);
    egLevelSliderStyle_ = std::make_unique<gui::Switch::Style>(ui);
    egLevelSliderStyle_->setBitmaps("", "", "EGVerSliderNormal.png", "EGVerSliderActive.png");
    egLevelSliderStyle_->handleOnly.setValue(true);
    auto step = std::make_unique<XLFOController::StepSlider::Style>(ui);
    step->setBitmaps("", "", "SliderNormal.png", "SliderActive.png");
    step->selectedHandle().load("SliderSelectedNormal.png");
    step->randomHandle().load("SliderRandomIndicator.png");
    stepSliderStyle_ = std::move(step);

    auto skin = std::make_unique<VarnelSourceSkin>();
    skin->dragButton = skin_->buttonStyle(18);
    skin->removeButton = skin_->buttonStyle(22);
    skin->presetButton = skin_->buttonStyle(15);
    skin->iconToggle = skin_->buttonStyle(5);
    skin->selectButton = skin_->buttonStyle(1);
    skin->valueButton = skin_->buttonStyle(0);
    skin->hotspotButton = skin_->buttonStyle(13);
    skin->xyButton = skin_->buttonStyle(14);
    // The step panel's Random toggle shows only its own check mark: a style
    // without icons.
    skin->checkToggle = skin_->buttonStyle(0);
    skin->hideButton = skin_->buttonStyle(VarnelSkin::kHideStyle);
    skin->removeStepButton = skin_->removeStepStyle();
    skin->addStepButton = skin_->buttonStyle(VarnelSkin::kAddStepStyle);
    skin->knob = skin_->knobStyle(VarnelSkin::kNormalKnob);
    skin->smallKnob = skin_->knobStyle(VarnelSkin::kNormalKnob);
    skin->outerRing = skin_->knobStyle(VarnelSkin::kOuterRing);
    skin->innerKnob = skin_->knobStyle(VarnelSkin::kInnerKnob);
    skin->egSlider = egSliderStyle_.get();
    skin->egLevelSlider = egLevelSliderStyle_.get();
    skin->stepSlider = stepSliderStyle_.get();
    skin->phaseOffsetHandle = skin_->image(VarnelSkin::kXLFOPhaseOffset);
    skin->phaseOffsetHandlePressed = skin_->image(VarnelSkin::kXLFOPhaseOffsetActive);
    skin->egDisplayBackground = skin_->image(VarnelSkin::kEGDisplay);
    skin->xyBackground = skin_->image(VarnelSkin::kXYMask);
    skin->xyPointIcon = "XYDot.png";
    skin->presetMenu = [this](int32_t kind, int32_t instance) -> gui::PopupMenu* {
        ComponentPresetHandler* handler = getComponentPresetHandler(kind, instance);
        return handler != nullptr ? &handler->menu() : nullptr;
    };
    skin->sideChainUsable = [this] { return plugin_.sideChainEnabled(); };
    sourceSkin_ = std::move(skin);
}

void VarnelInterface::buildIndicators() {
    indicators_ = std::make_unique<ModulationIndicatorManager>(*this, *slotController_);
    // The product's style shows its active look while pressed too.
    constexpr const char* kIndicatorActive = "ModulationIndicatorActive.png";
    if (resourceExists(kIndicatorActive) || resourceExists(addDoubleScaleSuffix(kIndicatorActive))) {
        indicators_->style().stateBitmap(2).load(kIndicatorActive);
        indicators_->style().updateSizeFromBitmaps();
    }
    indicators_->offset.setValue(gui::Point(1.0f, 0.0f));
    sourceSkin_->indicators = indicators_.get();
}

void VarnelInterface::showModulationSection() {
    if (modulationButton_ == nullptr || modulationButton_->value.getValue() != 0) return;
    modulationButton_->value.setValue(1);
    modulationButtonChanged();
}

gui::Button* VarnelInterface::createButton(int32_t kind) {
    constexpr int32_t kAddSource = 0;
    constexpr int32_t kAddSlot = 2;
    if (kind == kAddSource) return new gui::Button(userInterface(), skin_->buttonStyle(9));
    if (kind == kAddSlot) return new gui::Button(userInterface(), skin_->buttonStyle(10));
    return nullptr;
}

ComponentDisplay* VarnelInterface::createComponentDisplay() {
    return new ModulationComponentDisplay(userInterface(), *this, slotController_.get(),
                                          skin_->buttonStyle(16), skin_->buttonStyle(17));
}

int32_t VarnelInterface::layout() const {
    return plugin_.getVarnelSettings().interfaceLayout.getValue() == VarnelPlugin::InterfaceLayout::kWide ? 1
                                                                                                          : 0;
}

gui::Button* VarnelInterface::topBarButton(int32_t index) const {
    return index >= 0 && index < kTopBarCount ? topBar_[size_t(index)] : nullptr;
}

void VarnelInterface::bind(gui::ValueControl* control, AbstractPluginParameter& parameter, uint32_t target) {
    linkControl(&parameter, control, target);
    bound_.push_back({control, &parameter, target});
    watch(control, [this, control] {
        std::erase_if(bound_, [control](const BoundControl& b) { return b.control == control; });
    });
}

void VarnelInterface::linkPair(gui::ValueControl* first, gui::ValueControl* second,
                               gui::ValueLinkGroup::Mode mode) {
    if (first == nullptr || second == nullptr) return;
    first->linkWith(second);
    if (gui::ValueLinkGroup* group = first->linkGroup()) group->mode = mode;
}

gui::Image* VarnelInterface::createImage(gui::Bitmap* bitmap, float x, float y, float width, float height,
                                         int opacity) {
    auto* image = new gui::Image(userInterface(), bitmap);
    const gui::Rect r = bitmap != nullptr ? bitmap->getRect() : gui::Rect();
    image->setBoundsXYWH(0, 0, width >= 0 ? width : r.width(), height >= 0 ? height : r.height());
    if (width >= 0 || height >= 0) image->stretchMode.setValue(gui::Image::StretchMode::kStretched);
    setIfDifferent(image->opacity, opacity);
    builder_->placeControl(image, int(x), int(y), 255);
    return image;
}

// --- Top bar

void VarnelInterface::buildTopBar() {
    gui::Button::Style* style = skin_->buttonStyle(0);
    struct Entry {
        StandardButtonKind kind;
        const char* icon;
        const char* text;
        const char* help;
    };
    const Entry entries[kTopBarCount] = {
        {StandardButtonKind::kUndo, "IconUndo.png", nullptr, kUndoHelp},
        {StandardButtonKind::kRedo, "IconRedo.png", nullptr, kRedoHelp},
        {StandardButtonKind::kCompareSwitch, nullptr, nullptr, kCompareHelp},
        {StandardButtonKind::kCompareCopy, nullptr, "Copy", kCopyHelp},
        {StandardButtonKind::kPreviousPreset, "IconPrevious.png", nullptr, kPreviousHelp},
        {StandardButtonKind::kPresetName, nullptr, "", kPresetsHelp},
        {StandardButtonKind::kNextPreset, "IconNext.png", nullptr, kNextHelp},
        {StandardButtonKind::kHelp, nullptr, "Help", kHelpHelp},
    };
    for (int32_t k = 0; k < kTopBarCount; ++k) {
        const Entry& e = entries[k];
        gui::Button* button = k == kCompare ? builder_->createABButton(0, kTopBarY, style)
                                            : builder_->createButton(0, kTopBarY, style);
        setFloat(button->height, kTopBarHeight);
        setFloat(button->textPadding, VarnelSkin::kTightTextPadding);
        if (e.icon != nullptr) loadIcon(*button, 0, e.icon);
        if (e.text != nullptr) setText(*button, e.text);
        button->helpText.setValue(e.help);
        keep(topBar_[size_t(k)], button);
        standardButtons().setStandardButton(int32_t(e.kind), button);
    }
    positionTopBar();
}

void VarnelInterface::positionTopBar() {
    const int32_t l = layout();
    for (int32_t k = 0; k < kTopBarCount; ++k) {
        gui::Button* button = topBar_[size_t(k)];
        if (button == nullptr) continue;
        setFloat(button->x, kTopBarLeft + kTopBarX[l][k]);
        setFloat(button->width, kTopBarWidth[l][k]);
    }
}

void VarnelInterface::centrePresetButton() {
    gui::Button* presets = topBar_[kPresets];
    gui::Button* previous = topBar_[kPreviousPreset];
    gui::Button* next = topBar_[kNextPreset];
    if (presets == nullptr) return;
    // Between the step buttons it belongs to; without them, in the root.
    float left = 0.0f;
    float right = float(roundedInt(userInterface().rootControl()->width.getValue()));
    if (previous != nullptr && next != nullptr) {
        left = previous->bounds.getValue().right;
        right = next->bounds.getValue().left;
    }
    setFloat(presets->x, (left + right - presets->width.getValue()) / 2.0f);
}

// --- Delay section

void VarnelInterface::buildDelaySection() {
    gui::RootControl* root = userInterface().rootControl();
    const float w = float(roundedInt(root->width.getValue()));
    keep(inputBackground_, createImage(skin_->loadBitmap("InputBackground.png"), 0, 80, -1, -1, 255));
    // The display across the interface.
    ComponentDisplay* display = createComponentDisplay();
    if (display != nullptr) {
        display->setBoundsXYWH(0, kDisplayY, w, kDisplayHeight);
        display->parent.setValue(root);
        keep(componentDisplay_, display);
    }
    // The delay section's controls stand in the strip's coordinates, which
    // are the interface's: the panel is the display's first part, always
    // shown, and the sections unfold after it.
    auto* panel = new gui::Control(userInterface());
    if (display != nullptr) {
        panel->setBoundsXYWH(0, 0, kStripWidth, kDisplayHeight);
        display->addFixedPanel(panel);
    } else {
        panel->setBoundsXYWH(0, kDisplayY, kStripWidth, kDisplayHeight);
        panel->parent.setValue(root);
    }
    keep(delaySection_, panel);
    builder_->setParent(panel);
    // The strip's background, one per channel mode (L/R, M/S).
    const int32_t strips[2] = {VarnelSkin::kDisplayBackground, VarnelSkin::kDisplayBackgroundMS};
    for (int32_t m = 0; m < 2; ++m)
        keep(stripBackgrounds_[size_t(m)], createImage(skin_->image(strips[m]), 0, kDisplayY, -1, -1, 255));

    gui::Knob* input = builder_->createKnob(5, 140, skin_->knobStyle(VarnelSkin::kNormalKnob));
    bind(input, plugin_.inputLevel, 78);
    for (int32_t d = 0; d < kDelayCount; ++d)
        buildDelay(d);
    // Pairs that move together under the link modifier: the delays' times,
    // offsets and feedbacks alike, their pans mirrored.
    for (auto member : {&DelayControls::time, &DelayControls::offset, &DelayControls::feedback,
                        &DelayControls::crossFeedback})
        linkPair(delays_[0].*member, delays_[1].*member, gui::ValueLinkGroup::Mode::kSame);
    linkPair(delays_[0].pan, delays_[1].pan, gui::ValueLinkGroup::Mode::kMirrored);

    auto* feedbackLink = builder_->createToggleButton(97, 158, skin_->buttonStyle(6));
    loadIcon(*feedbackLink, 1, "IconLockOn.png");
    bind(feedbackLink, plugin_.feedbackLink, kNoTarget);
    auto* delayLink = builder_->createToggleButton(187, 158, skin_->buttonStyle(6));
    loadIcon(*delayLink, 1, "IconLockOn.png");
    bind(delayLink, plugin_.delayLink, kNoTarget);
    auto* readStyle = builder_->createSelectButton(216, 158, skin_->buttonStyle(3));
    setFloat(readStyle->width, 70.0f);
    addParameterValueItems(*readStyle, plugin_.delayBufferReadStyle);
    bind(readStyle, plugin_.delayBufferReadStyle, kNoTarget);
    auto* freeze = builder_->createToggleButton(297, 158, skin_->buttonStyle(6));
    loadIcon(*freeze, 0, "IconFreezeOff.png");
    loadIcon(*freeze, 1, "IconFreezeOn.png");
    bind(freeze, plugin_.delayFreeze, kNoTarget);
    keep(sectionPresetButtons_[0], createSectionPresetButton(306, VarnelPlugin::kDelays));

    // The cover over the second delay's feedback knobs draws the strip's
    // own part there.
    for (int32_t m = 0; m < 2; ++m) {
        gui::Image* cover = createImage(skin_->image(strips[m]), 82, 178, 47, 112, kDimmerOpacity);
        cover->stretchMode.setValue(gui::Image::StretchMode::kPlaced);
        cover->offset.setValue(gui::BasicPoint<float>(-82.0f, -(178.0f - kDisplayY)));
        keep(displayCovers_[size_t(m)], cover);
    }
    keep(delayDimmer_, createImage(skin_->loadBitmap("DelayDimmer.png"), 164, 181, -1, -1, kDimmerOpacity));
    keep(freezeDimmer_, createImage(skin_->loadBitmap("FreezeDimmer.png"), 0, 34, -1, -1, kDimmerOpacity));

    // The filter section's place: its routing backgrounds and selector.
    for (int32_t r = 0; r < 3; ++r)
        keep(routingBackgrounds_[size_t(r)],
             createImage(skin_->loadBitmap(kRoutingNames[r]), 325, 94, -1, -1, 255));
    buildFilterSection();
    auto* routing = builder_->createSelectButton(398, 40, skin_->buttonStyle(3));
    setFloat(routing->width, 80.0f);
    addParameterValueItems(*routing, plugin_.filterRouting);
    bind(routing, plugin_.filterRouting, kNoTarget);
    keep(sectionPresetButtons_[1], createSectionPresetButton(480, VarnelPlugin::kFilters));

    // Dry and wet.
    gui::Knob* dryPan = builder_->createKnob(567, 68, skin_->knobStyle(VarnelSkin::kOuterRing));
    bind(dryPan, plugin_.dryPan, 80);
    gui::Knob* dryLevel = builder_->createKnob(575, 76, skin_->knobStyle(VarnelSkin::kInnerKnob));
    bind(dryLevel, plugin_.dryLevel, 79);
    gui::Knob* wetPan = builder_->createKnob(567, 201, skin_->knobStyle(VarnelSkin::kOuterRing));
    bind(wetPan, plugin_.wetPan, 82);
    gui::Knob* wetLevel = builder_->createKnob(575, 209, skin_->knobStyle(VarnelSkin::kInnerKnob));
    bind(wetLevel, plugin_.wetLevel, 81);
    linkPair(dryLevel, wetLevel, gui::ValueLinkGroup::Mode::kSame);
    for (gui::Knob* k : {dryPan, dryLevel, wetPan, wetLevel})
        listenToControl(k);
    auto* dryButton = builder_->createButton(576, 40, skin_->buttonStyle(26));
    auto* dryToggle = builder_->createToggleButton(598, 40, skin_->buttonStyle(26));
    bind(dryToggle, plugin_.dryEnabled, kNoTarget);
    dryButton->clickEvent.addHandler(NotifyEvent::bind([dryToggle] {
        dryToggle->applyGesture(gui::kGestureBegin, 0, 0, 0);
        dryToggle->applyGesture(gui::kGestureChange, 0, dryToggle->value.getValue() != 0 ? -1 : 1, 0);
        dryToggle->applyGesture(gui::kGestureEnd, 0, 0, 0);
    }));
    dryToggle->link(dryButton);
    keep(dryButton_, dryButton);
    keep(dryDimmer_, createImage(skin_->loadBitmap("Dimmer.png"), 562, 66, 74, 86, kDimmerOpacity));

    builder_->setParent(nullptr);
    // The modulation button.
    auto* modulation = builder_->createToggleButton(0, 279, nullptr);
    static const char* const kModulationBitmaps[5] = {
        "ButtonModulationNormal.png", "ButtonModulationActive.png", "ButtonModulationDown.png",
        "ButtonModulationOff.png", "ButtonModulationOn.png"};
    for (int i = 0; i < 5; ++i)
        if (gui::Button::Style* s = modulation->style())
            s->stateBitmap(i == 3 ? 3 : i).load(kModulationBitmaps[i]);
    if (gui::Button::Style* s = modulation->style()) {
        s->updateSizeFromBitmaps();
        modulation->setBoundsXYWH(modulation->x.getValue(), 279, s->width.getValue(), s->height.getValue());
        loadIcon(*modulation, 1, kModulationBitmaps[4]);
    }
    modulation->value.setValue(plugin_.getVarnelSettings().showModulation.getValue() ? 1 : 0);
    modulation->helpText.setValue(kModulationHelp);
    modulation->clickEvent.addHandler(NotifyEvent::bind(this, &VarnelInterface::modulationButtonChanged));
    keep(modulationButton_, modulation);
}

gui::Button* VarnelInterface::createSectionPresetButton(int x, int32_t kind) {
    gui::Button* button = builder_->createButton(x, 40, skin_->buttonStyle(4));
    button->helpText.setValue(kSectionPresetsHelp);
    // The menu lists the section's presets each time it opens.
    if (ComponentPresetHandler* handler = getComponentPresetHandler(kind, 0))
        button->setPopupMenu(&handler->menu());
    return button;
}

void VarnelInterface::buildDelay(int32_t d) {
    DelayParameterSet& set = plugin_.delay[size_t(d)];
    DelayControls& c = delays_[size_t(d)];
    const uint32_t first = uint32_t(5 * d);
    const int timeY = d == 0 ? 68 : 201;
    gui::Knob::Style* large = skin_->knobStyle(VarnelSkin::kLargeKnob);
    gui::Knob::Style* normal = skin_->knobStyle(VarnelSkin::kNormalKnob);
    gui::Knob* time = builder_->createKnob(164, timeY, large);
    setFloat(time->fineFactor, d == 0 ? 0.01f : 0.05f);
    bind(time, set.time, first + 0);
    keep(c.time, time);
    gui::Knob* offset = builder_->createKnob(164, timeY, large);
    bind(offset, set.offset, first + 1);
    keep(c.offset, offset);
    buildSyncKnob(d, 164, timeY);
    std::vector<HotspotButton*> hotspots;
    builder_->createHotspotButtons(*offset, set.offset, skin_->buttonStyle(13), kHotspotRadius, kHotspotCount,
                                   kOffsetHotspots, &hotspots);
    for (size_t i = 0; i < hotspots.size() && i < c.hotspots.size(); ++i)
        keep(c.hotspots[i], hotspots[i]);
    createTimeDisplay(d, d == 0 ? 44 : 266);
    gui::Knob* feedback = builder_->createKnob(82, d == 0 ? 45 : 242, normal);
    bind(feedback, set.feedback, first + 2);
    gui::Knob* cross = builder_->createKnob(82, d == 0 ? 109 : 178, normal);
    bind(cross, set.crossFeedback, first + 3);
    auto* invert = builder_->createToggleButton(139, d == 0 ? 40 : 275, skin_->buttonStyle(5));
    bind(invert, set.feedbackInvert, kNoTarget);
    gui::Knob* pan = builder_->createKnob(272, d == 0 ? 76 : 208, normal);
    bind(pan, set.pan, first + 4);
    keep(c.feedback, feedback);
    keep(c.crossFeedback, cross);
    keep(c.pan, pan);
}

void VarnelInterface::buildSyncKnob(int32_t d, int x, int y) {
    gui::Control* previous = builder_->parent();
    gui::Control* container = builder_->createControl(x + 57, y - 14, 44, 92);
    builder_->setParent(container);
    gui::Knob* sync = builder_->createKnob(x - 30, y - 30, skin_->knobStyle(VarnelSkin::kSyncKnob));
    setFloat(sync->angleRange, 70.0f);
    setFloat(sync->angleOffset, 90.0f);
    sync->enterEvent.clear();
    sync->leaveEvent.clear();
    bind(sync, plugin_.delay[size_t(d)].sync, kNoTarget);
    keep(delays_[size_t(d)].sync, sync);
    builder_->setParent(previous);
}

void VarnelInterface::createTimeDisplay(int32_t d, int y) {
    auto* label = new FloatValueLabel(userInterface(), *this);
    // The size of the window the section's art draws for it (the tap
    // face's), so that the whole face takes the taps; the text stands in its
    // middle.
    setIfDifferent(label->autoSize, false);
    setIfDifferent(label->alignment, gui::Alignment::kCentre);
    label->setBoundsXYWH(0, 0, 54, 16);
    if (gui::Text* text = label->text(0)) {
        setFloat(text->fontSize, 8.0f);
        setIfDifferent(text->color, gui::Color(60, 60, 60, 255));
    }
    label->helpText.setValue(kTimeDisplayHelp);
    label->setTapFace(skin_->image(VarnelSkin::kTapDisplay));
    label->parameterText.setValue(true);
    builder_->placeControl(label, 169, y, ControlBuilder::kHitThreshold);
    label->setParameter(&plugin_.delay[size_t(d)].time);
    keep(delays_[size_t(d)].timeDisplay, label);
}

void VarnelInterface::showSyncControls(int32_t d, int32_t sync) {
    if (d < 0 || d >= kDelayCount) return;
    DelayControls& c = delays_[size_t(d)];
    const bool free = sync == 0;
    setShown(c.time, free);
    setShown(c.offset, !free);
    if (c.timeDisplay != nullptr) setIfDifferent(c.timeDisplay->enabled, free);
    for (HotspotButton* h : c.hotspots)
        setShown(h, !free);
}

// --- Bottom bar

void VarnelInterface::buildBottomBar() {
    gui::RootControl* root = userInterface().rootControl();
    const float w = float(roundedInt(root->width.getValue()));
    BottomBar& b = bottomBar_;
    keep(b.bar, builder_->createControl(0, 486, w, kBottomBarHeight));
    // Built at the interface's y 489 (the light at 493): the bar's 3 and 7.
    builder_->setParent(b.bar);
    constexpr int kY = 486 + kBarControlY;
    gui::Image* background =
        createImage(skin_->loadBitmap("BottomBarSimple.png"), 0, 486, w, kBottomBarHeight, 255);
    keep(b.background, background);
    lightStyle_ = std::make_unique<gui::Light::Style>(userInterface());
    lightStyle_->offBitmap().load("LightOff.png");
    lightStyle_->onBitmap().load("LightOn.png");
    IndicatorLight* light = builder_->createLight(lightStyle_.get());
    setFloat(light->y, float(kBarLightY));
    setMidiIndicator(light);
    keep(b.light, light);

    gui::Button::Style* bar = skin_->buttonStyle(8);
    auto sized = [](gui::Button* button, float width) {
        setFloat(button->width, width);
        setFloat(button->height, kBarControlHeight);
        return button;
    };
    gui::Button* learn = sized(builder_->createButton(24, kY, bar), 72);
    setText(*learn, "MIDI Learn");
    // Room for the caption beside the bar's on mark while learning.
    setFloat(learn->textPadding, VarnelSkin::kTightTextPadding);
    learn->helpText.setValue(kMidiLearnHelp);
    standardButtons().setStandardButton(int32_t(StandardButtonKind::kMidiLearn), learn);
    keep(b.midiLearn, learn);
    gui::Button* menu = sized(builder_->createButton(96, kY, bar), 20);
    loadIcon(*menu, 0, "IconMenu.png");
    menu->helpText.setValue(kMidiMenuHelp);
    standardButtons().setStandardButton(int32_t(StandardButtonKind::kMidi), menu);
    keep(b.midiMenu, menu);

    gui::SelectButton* channel = builder_->createSelectButton(264, kY, bar);
    sized(channel, 70);
    addParameterValueItems(*channel, plugin_.channelMode);
    bind(channel, plugin_.channelMode, kNoTarget);
    keep(b.channelMode, channel);
    // A label that ends at the selector (its colour follows the bar's
    // ground, positionBottomBar).
    gui::Button* label = builder_->createButton(183, kY, nullptr);
    sized(label, 264 - 183);
    setText(*label, "Channel Mode:");
    setFloat(label->textPadding, kLabelPadding);
    setIfDifferent(label->textAlignment, gui::Alignment::kRight);
    setIfDifferent(label->enabled, false);
    setIfDifferent(label->opacity, 255);
    keep(b.channelModeLabel, label);

    gui::ToggleButton* mute = builder_->createToggleButton(0, kY, bar);
    sized(mute, 130);
    loadIcon(*mute, 1, "IconCheck.png");
    setText(*mute, plugin_.autoMuteSelfOsc.getName());
    setFloat(mute->iconMargin, 4.0f);
    setFloat(mute->spacing, 2.0f);
    bind(mute, plugin_.autoMuteSelfOsc, kNoTarget);
    keep(b.autoMute, mute);

    gui::SelectButton* audition = builder_->createSelectButton(0, kY, bar);
    sized(audition, 84);
    loadIcon(*audition, 0, "IconAudition.png");
    setFloat(audition->iconMargin, 4.0f);
    setFloat(audition->spacing, 18.0f);
    addParameterValueItems(*audition, plugin_.auditionSignal);
    bind(audition, plugin_.auditionSignal, kNoTarget);
    // "Side Chain" only with a side-chain input.
    constexpr size_t kSideChainItem = 2;
    if (audition->menuItems().size() > kSideChainItem)
        setIfDifferent(audition->menuItems()[kSideChainItem]->enabled, plugin_.sideChainEnabled());
    keep(b.audition, audition);

    gui::SelectButton* resize = builder_->createSelectButton(0, kY, bar);
    sized(resize, 20);
    loadIcon(*resize, 0, "IconResize.png");
    resize->hitThreshold.setValue(128);
    resize->addChoice("Normal");
    resize->addChoice("Wide");
    resize->value.setValue(layout());
    resize->helpText.setValue(kResizeHelp);
    resize->clickEvent.addHandler(NotifyEvent::bind(this, &VarnelInterface::layoutSelectorChanged));
    keep(b.resize, resize);
    builder_->setParent(nullptr);
    positionBottomBar();
}

void VarnelInterface::positionBottomBar() {
    gui::RootControl* root = userInterface().rootControl();
    const BottomBar& b = bottomBar_;
    if (root == nullptr || b.bar == nullptr) return;
    const float w = float(roundedInt(root->width.getValue()));
    const float h = float(roundedInt(root->height.getValue()));
    b.bar->setBoundsXYWH(0, h - kBottomBarHeight, w, kBottomBarHeight);
    const bool plain = !plugin_.getVarnelSettings().showModulation.getValue();
    if (b.background != nullptr) {
        setFloat(b.background->width, w);
        setShown(b.background, plain);
    }
    // The label's caption on the plain bar's dark ground, or on the
    // background's light band below the modulation section.
    if (b.channelModeLabel != nullptr)
        setTextColor(*b.channelModeLabel, plain ? VarnelSkin::kBarTextColor : kLabelOnBandColor);
    const int32_t l = layout();
    placeX(b.channelModeLabel, kChannelLabelX[l]);
    if (b.channelModeLabel != nullptr)
        setFloat(b.channelModeLabel->width, kChannelModeX[l] - kChannelLabelX[l]);
    placeX(b.channelMode, kChannelModeX[l]);
    placeX(b.autoMute, kAutoMuteX[l]);
    placeX(b.audition, kAuditionX[l]);
    placeX(b.resize, w - kResizeFromRight);
}

// --- Size

void VarnelInterface::rootBoundsChanged() {
    if (built_) interfaceResized();
}

void VarnelInterface::interfaceResized() {
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr) return;
    const float w = float(roundedInt(root->width.getValue()));
    if (componentDisplay_ != nullptr) setFloat(componentDisplay_->width, w);
    if (sourceController_ != nullptr) setFloat(sourceController_->width, w);
    positionTopBar();
    positionBottomBar();
    if (modulationButton_ != nullptr)
        setFloat(modulationButton_->x, (w - modulationButton_->width.getValue()) / 2.0f);
    centrePresetButton();
    layoutHelpHint();
}

void VarnelInterface::modulationButtonChanged() {
    if (modulationButton_ == nullptr) return;
    const bool shown = modulationButton_->value.getValue() != 0;
    plugin_.getVarnelSettings().showModulation.setValue(shown);
    if (indicators_) indicators_->sectionShown.setValue(shown);
    applyInterfaceSize();
    positionBottomBar();
}

void VarnelInterface::layoutSelectorChanged() {
    if (bottomBar_.resize == nullptr) return;
    const bool wide = bottomBar_.resize->value.getValue() == 1;
    plugin_.getVarnelSettings().interfaceLayout.setValue(wide ? VarnelPlugin::InterfaceLayout::kWide
                                                              : VarnelPlugin::InterfaceLayout::kStandard);
    applyInterfaceSize();
    interfaceResized();
}

void VarnelInterface::componentToggled() {
    if (componentDisplay_ == nullptr) return;
    const std::vector<ComponentDisplay::Record>& records = componentDisplay_->components();
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].unfolded) {
            storeExpandedSection(uint32_t(int32_t(i) + kFirstFoldingSection));
            return;
        }
    storeExpandedSection(~0u);
}

void VarnelInterface::restoreExpandedSection() {
    if (componentDisplay_ == nullptr || layout() != 1) return;
    const int32_t index = plugin_.getVarnelSettings().expandedSection.getValue() - kFirstFoldingSection;
    const std::vector<ComponentDisplay::Record>& records = componentDisplay_->components();
    if (index < 0 || index >= int32_t(records.size()) || records[size_t(index)].unfolded) return;
    componentDisplay_->toggleComponent(index, false);
}

void VarnelInterface::storeExpandedSection(uint32_t section) {
    // ~0 (none) is stored as -1.
    plugin_.getVarnelSettings().expandedSection.setValue(section == ~0u ? -1 : int32_t(section));
}

void VarnelInterface::setFilterButtons(gui::Control* first, gui::Control* second) {
    keep(filterButtons_[0], first);
    keep(filterButtons_[1], second);
    showRouting(int32_t(plugin_.filterRouting.getValue()));
}

// --- Ranges

void VarnelInterface::fillTargetRanges() {
    struct Group {
        AbstractParameterSetList* list;
        uint32_t first;
        uint32_t perSet;
    };
    const Group groups[] = {
        {&plugin_.xlfos, VarnelModulation::kFirstXLFOTarget, VarnelModulation::kXLFOTargetsPerSet},
        {&plugin_.egs, VarnelModulation::kFirstEGTarget, VarnelModulation::kEGTargetsPerSet},
        {&plugin_.efs, VarnelModulation::kFirstEFTarget, VarnelModulation::kEFTargetsPerSet},
    };
    for (const Group& g : groups) {
        const int32_t count = int32_t(g.list->getNumActiveParameter().getMax());
        for (int32_t k = 0; k < count; ++k)
            for (uint32_t i = 0; i < g.perSet; ++i) {
                RangeEntry& entry = targetRange(g.first + g.perSet * uint32_t(k) + i);
                entry.position = k;
                entry.group = g.list;
            }
    }
}

// --- Refresh

void VarnelInterface::refreshControls(int32_t index) {
    ModulationMatrixPluginInterface::refreshControls(index);
    refreshProductControls(index);
    refreshSourcesAndSlots(index);
}

void VarnelInterface::refreshAll() {
    ModulationMatrixPluginInterface::refreshAll();
    refreshProductControls(-1);
    refreshSourcesAndSlots(-1);
}

void VarnelInterface::updatePresetDisplay() {
    ModulationMatrixPluginInterface::updatePresetDisplay();
    // After a preset change no slot filter stays in force.
    if (sourceController_ != nullptr) sourceController_->showAllSlots();
}

void VarnelInterface::refreshSourcesAndSlots(int32_t index) {
    // A slot panel claims its slot's five parameters.
    bool claimed = false;
    if (slotController_) {
        slotController_->refreshSlots(index);
        claimed = index >= 0 && slotController_->slotOfParameter(index) != kNoIndex;
    }
    if (sourceController_ == nullptr) return;
    // A source panel claims the parameters it linked (and refreshes).
    for (SourceInterface* panel : sourceController_->panels())
        if (auto* source = dynamic_cast<VarnelSourceInterface*>(panel);
            source != nullptr && source->visible.getValue())
            claimed = source->parameterChanged(index) || claimed;
    // A full refresh, an unclaimed parameter or a changed number of sources
    // of a type.
    bool rebuild = index < 0 || !claimed;
    for (const AbstractParameterSetList* list :
         {static_cast<const AbstractParameterSetList*>(&plugin_.xyControllers),
          static_cast<const AbstractParameterSetList*>(&plugin_.xlfos),
          static_cast<const AbstractParameterSetList*>(&plugin_.egs),
          static_cast<const AbstractParameterSetList*>(&plugin_.efs),
          static_cast<const AbstractParameterSetList*>(&plugin_.midiSources)})
        rebuild = rebuild || list->getNumActiveParameter().getIndex() == index;
    if (rebuild) rebuildSources();
}

void VarnelInterface::rebuildSources() {
    sourceController_->rebuildSourceContainers();
}

void VarnelInterface::showRouting(int32_t routing) {
    for (int32_t r = 0; r < 3; ++r)
        setShown(routingBackgrounds_[size_t(r)], r == routing);
    // Side by side in series, else one above the other, in the coordinates
    // of the filter section's place: the first button stands at (16, 94)
    // there and at its build position (341, 128) in the strip.
    const bool serial = routing == 0;
    const float positions[2][2][2] = {{{68, 27}, {68, 159}}, {{16, 94}, {105, 94}}};
    constexpr float kPlaceX = 341 - 16, kPlaceY = 128 - 94;
    for (int32_t i = 0; i < 2; ++i)
        if (gui::Control* button = filterButtons_[size_t(i)]) {
            setFloat(button->x, kPlaceX + positions[serial][i][0]);
            setFloat(button->y, kPlaceY + positions[serial][i][1]);
        }
}

void VarnelInterface::refreshProductControls(int32_t index) {
    const bool all = index < 0;
    auto is = [&](const AbstractPluginParameter& p) { return all || p.getIndex() == index; };
    if (is(plugin_.filterRouting)) showRouting(int32_t(plugin_.filterRouting.getValue()));
    refreshFilterSection(index);
    const int32_t mode = plugin_.channelMode.getValue() == 0 ? 0 : 1;
    if (is(plugin_.feedbackLink) || is(plugin_.delayFreeze) || is(plugin_.channelMode)) {
        const bool frozen = plugin_.delayFreeze.getValue() != 0;
        const bool covered = plugin_.feedbackLink.getValue() == 1 && !frozen;
        for (int32_t m = 0; m < 2; ++m)
            setShown(displayCovers_[size_t(m)], covered && m == mode);
        setShown(freezeDimmer_, frozen);
    }
    if (is(plugin_.delayLink)) setShown(delayDimmer_, plugin_.delayLink.getValue() == 1);
    if (is(plugin_.dryEnabled)) {
        const bool dry = plugin_.dryEnabled.getValue() != 0;
        setShown(dryDimmer_, !dry);
        // The button that works the toggle lights with it.
        if (dryButton_ != nullptr) setIfDifferent(dryButton_->on, dry);
    }
    for (int32_t d = 0; d < kDelayCount; ++d) {
        DelayParameterSet& set = plugin_.delay[size_t(d)];
        if (is(set.time) && delays_[size_t(d)].timeDisplay != nullptr)
            delays_[size_t(d)].timeDisplay->refresh();
        if (is(set.sync)) showSyncControls(d, int32_t(set.sync.getValue()));
    }
    if (is(plugin_.channelMode))
        for (int32_t m = 0; m < 2; ++m)
            setShown(stripBackgrounds_[size_t(m)], m == mode);
    if (is(plugin_.autoMuteSelfOsc) && bottomBar_.autoMute != nullptr) {
        const bool on = plugin_.autoMuteSelfOsc.getValue() != 0;
        const uint8_t alpha = on ? 255 : uint8_t(gui::pixel::multiply255(255, kDimmedTextAlpha));
        setTextColor(*bottomBar_.autoMute, gui::Color(255, 255, 255, alpha));
    }
    if (is(plugin_.auditionSignal) && bottomBar_.audition != nullptr)
        setTextColor(*bottomBar_.audition, plugin_.auditionSignal.getValue() == 0
                                               ? gui::Color(255, 255, 255, 255)
                                               : kAuditionColor);
}
