#include "editor/GenericPluginInterface.h"

#include "editor/ABButton.h"
#include "editor/ComponentPresetHandler.h"
#include "editor/HelpHint.h"
#include "editor/ParameterValueDisplay.h"
#include "editor/PresetBar.h"
#include "editor/StandardButtons.h"
#include "editor/WatchedControl.h"
#include "gui/Button.h"
#include "gui/DeviceBacking.h"
#include "gui/PNGFiler.h"
#include "gui/PixelArithmetic.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/PresetParameterCollection.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// Listener calls in progress on this thread (the debug check of closing).
thread_local int listenerDepth = 0;

struct ListenerCall {
    ListenerCall() noexcept { ++listenerDepth; }
    ~ListenerCall() { --listenerDepth; }
};

constexpr const char* kCannotResize =
    "Your host cannot dynamically resize the plug-in interface. To apply the new interface size, simply "
    "close the plug-in interface and then re-open it.";

// Half away from zero.
int32_t rounded(float v) {
    return static_cast<int32_t>(std::round(v));
}

} // namespace

// --- SizeChecker

GenericPluginInterface::SizeChecker::SizeChecker(GenericPluginInterface& owner)
    : gui::Component(owner.userInterface()), owner_(owner), timer_(owner.userInterface().createTimer()) {
    timer_->interval.setValue(kInterval);
    timer_->tickEvent.setHandler(NotifyEvent::bind(this, &SizeChecker::check));
}

GenericPluginInterface::SizeChecker::~SizeChecker() {
    delete timer_;
}

void GenericPluginInterface::SizeChecker::start() {
    timer_->enabled.setValue(false);
    timer_->enabled.setValue(true);
}

void GenericPluginInterface::SizeChecker::stop() {
    timer_->enabled.setValue(false);
}

void GenericPluginInterface::SizeChecker::check() {
    stop();
    gui::UserInterface& ui = owner_.userInterface();
    gui::RootControl* root = ui.rootControl();
    if (root == nullptr || owner_.isUserResizing()) return;
    const gui::Rect work = ui.platformDelegate().monitorRect();
    const float w = work.width();
    const float h = work.height();
    if (rounded(root->width.getValue()) <= w && rounded(root->height.getValue()) <= h) return;
    GenericPlugin::Settings* settings = owner_.plugin().getSettings();
    if (settings == nullptr) return;
    const auto& sizes = settings->getInterfaceSizes();
    // A product that lists no sizes keeps its size.
    if (sizes.empty()) return;
    int32_t entry =
        std::clamp<int32_t>(settings->layoutIndex.getValue(), 0, static_cast<int32_t>(sizes.size()) - 1);
    while (entry > 0 &&
           !(sizes[static_cast<size_t>(entry)].first <= w && sizes[static_cast<size_t>(entry)].second <= h))
        --entry;
    settings->layoutIndex.setValue(entry);
    const int32_t width = settings->interfaceWidth.getValue() > 0 ? settings->interfaceWidth.getValue()
                                                                  : rounded(root->width.getValue());
    const int32_t height = settings->interfaceHeight.getValue() > 0 ? settings->interfaceHeight.getValue()
                                                                    : rounded(root->height.getValue());
    settings->interfaceWidth.setValue(std::min(width, rounded(w)));
    settings->interfaceHeight.setValue(std::min(height, rounded(h)));
    owner_.applyInterfaceSize();
}

// --- The reference control, watched while it lives.

class GenericPluginInterface::ReferenceWatch : public gui::Component {
public:
    ReferenceWatch(gui::UserInterface& userInterface, gui::Control& control)
        : gui::Component(userInterface), control_(&control) {
        link(control_);
    }
    ~ReferenceWatch() override {
        if (control_ != nullptr) unlink(control_);
    }
    void componentDeleted(gui::Component* component) override {
        gui::Component::componentDeleted(component);
        if (component == control_) control_ = nullptr;
    }
    gui::Control* control() const { return control_; }

private:
    gui::Control* control_;
};

// --- GenericPluginInterface

GenericPluginInterface::GenericPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                                               uint32_t featureFlags)
    : GenericPluginInterfaceBase(userInterface, plugin), featureFlags_(featureFlags) {
    // The value display, hidden (a layer above may give it its look).
    adoptValueDisplay(std::make_unique<ParameterValueDisplay>(userInterface, *this));
    plugin.setInterface(&modelLink_);
    attached_ = true;
    // Bitmaps decoded from now on, in the whole process.
    gui::PNGFiler::setGammaFactor(1.1f);
    sizeChecker_ = std::make_unique<SizeChecker>(*this);
    if (gui::RootControl* root = userInterface.rootControl()) {
        root->monitorChangedEvent.addHandler(
            NotifyEvent::bind(this, &GenericPluginInterface::monitorChanged));
        root->boundsEvent.addHandler(NotifyEvent::bind(this, &GenericPluginInterface::rootBoundsChanged));
    }
    userInterface.scaleChangedEvent.addHandler(
        NotifyEvent::bind(this, &GenericPluginInterface::scaleChanged));
    HelpHint::Context hintContext;
    hintContext.productName = plugin.getProductDisplayName();
    hintContext.allowed = [this] { return !isMidiLearnActive(); };
    hintContext.interactiveHelp = [] {
        GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
        return shared == nullptr || shared->interactiveHelpShown.getValue();
    };
    helpHint_ = std::make_unique<HelpHint>(userInterface, std::move(hintContext));
    StandardButtons::Hooks buttonHooks;
    buttonHooks.presetNameRegistered = [this] { presetBar_->createPresetBar(); };
    buttonHooks.helpMenu = [this] { return helpMenu(); };
    buttonHooks.midiMenu = [this] { return midiMenu(); };
    buttonHooks.setMidiLearnActive = [this](bool on) { setMidiLearnActive(on); };
    buttonHooks.interfaceRequest = [this](int32_t code) {
        if (interfaceListener_ != nullptr) interfaceListener_->interfaceRequest(code);
    };
    buttonHooks.setFreeSize = [this](bool on) { setFreeSize(on); };
    buttonHooks.applyInterfaceSize = [this] { applyInterfaceSize(); };
    buttonHooks.showCompareSlot = [this](gui::Button& button, int32_t slot) {
        showCompareSlot(button, slot);
    };
    createMenus();
    createMidiLearn();
    standardButtons_ = std::make_unique<StandardButtons>(*this, std::move(buttonHooks));
    PresetBar::Hooks barHooks;
    barHooks.display = [this] {
        return standardButtons_ ? standardButtons_->button(StandardButtonKind::kPresetName) : nullptr;
    };
    barHooks.presetMenu = [this] { return presetMenu(); };
    presetBar_ = std::make_unique<PresetBar>(*this, std::move(barHooks));
    for (int32_t kind = 0; kind < plugin.getNumComponentPresetManagers(); ++kind) {
        auto& handlers = componentPresetHandlers_.emplace_back();
        for (int32_t index = 0; plugin.getParameterCollection(kind, index) != nullptr; ++index)
            handlers.push_back(std::make_unique<ComponentPresetHandler>(
                *this, kind, index, [this]() -> gui::OpenSaveDialog& { return presetBar_->fileDialog(); }));
    }
    updateMonitorDefaultScale();
    // The scale chosen for this monitor class in an earlier editor.
    if (GenericPlugin::Settings* settings = plugin.getSettings();
        settings != nullptr && !settings->scalingAdjustments.getValue().empty()) {
        userInterface.deviceBacking().parseScaleSettings(settings->scalingAdjustments.getValue());
        userInterface.deviceBacking().updateScale();
    }
    sizeChecker_->start();
}

GenericPluginInterface::~GenericPluginInterface() {
    prepareForClosing();
}

void GenericPluginInterface::notify(int32_t code, int32_t value) noexcept {
    pluginChanged(code, value);
}

void GenericPluginInterface::pluginChanged(int32_t code, int32_t argument) noexcept {
    const ListenerCall call;
    const gui::MessageList list = code == GenericPlugin::kParameterChanged ? gui::kFrameList : gui::kGuiList;
    userInterface().pushNotification(list, static_cast<std::uint32_t>(code),
                                     static_cast<std::uint32_t>(argument));
}

void GenericPluginInterface::idle(uint32_t) noexcept {
    const ListenerCall call;
}

gui::RootControl* GenericPluginInterface::getRootControlInterface() noexcept {
    const ListenerCall call;
    return userInterface().isBeingDestroyed() ? nullptr : userInterface().rootControl();
}

void GenericPluginInterface::idle() {
    if (attached_) plugin().idle(&modelLink_);
}

void GenericPluginInterface::linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control,
                                         uint32_t) {
    linkControl(parameter, control);
}

ILock& GenericPluginInterface::interfaceLock() const {
    return plugin().getInterfaceLock();
}

void GenericPluginInterface::parametersAt(const gui::Point& point, std::vector<int32_t>& indices) {
    gui::Control* control = userInterface().isBeingDestroyed() ? nullptr : userInterface().rootControl();
    if (control == nullptr) return;
    gui::Point local = point;
    while (gui::Control* child = control->findChildAt(local)) {
        local = local - child->bounds.getValue().topLeft();
        control = child;
    }
    if (auto* info = dynamic_cast<PositionToParameterInfo*>(control))
        info->parametersAt(local, indices);
    else if (auto* valueControl = dynamic_cast<gui::ValueControl*>(control);
             valueControl != nullptr && valueControl->controlId.getValue() >= 0)
        indices.push_back(valueControl->controlId.getValue());
}

void GenericPluginInterface::setReferenceControl(gui::Control* control) {
    reference_.reset();
    if (control != nullptr) reference_ = std::make_unique<ReferenceWatch>(userInterface(), *control);
}

void GenericPluginInterface::setReferenceProvider(std::function<gui::Control*()> provider) {
    referenceProvider_ = std::move(provider);
}

gui::Rect GenericPluginInterface::getReferenceRectangle() {
    gui::Control* control = referenceProvider_ ? referenceProvider_() : nullptr;
    if (control == nullptr && reference_) control = reference_->control();
    return control != nullptr ? unionBounds(control, nullptr) : gui::Rect();
}

uint32_t GenericPluginInterface::parameterAt(const gui::Point& point) {
    std::vector<int32_t> indices;
    parametersAt(point, indices);
    return indices.empty() ? kNoParameter : static_cast<uint32_t>(indices.front());
}

void GenericPluginInterface::monitorChanged() {
    updateMonitorDefaultScale();
    if (sizeChecker_) sizeChecker_->start();
}

void GenericPluginInterface::applyInterfaceSize() {
    if (!userInterface().isGuiThread()) {
        pluginChanged(kApplyInterfaceSize, 0);
        return;
    }
    GenericPlugin::Settings* settings = plugin().getSettings();
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr) return;
    int32_t width = plugin().getInterfaceWidth();
    int32_t height = plugin().getInterfaceHeight();
    if (settings != nullptr && !settings->getInterfaceSizes().empty()) {
        const auto& sizes = settings->getInterfaceSizes();
        const auto& size = sizes[static_cast<size_t>(std::clamp<int32_t>(
            settings->layoutIndex.getValue(), 0, static_cast<int32_t>(sizes.size()) - 1))];
        width = size.first;
        height = size.second;
    }
    if (width <= 0 || height <= 0) return;
    if (width == rounded(root->width.getValue()) && height == rounded(root->height.getValue())) return;
    if (interfaceListener_ != nullptr && interfaceListener_->requestResize(width, height))
        setRootSize(static_cast<float>(width), static_cast<float>(height));
    else
        showHelpHintText(kCannotResize, HelpHint::kAlways | HelpHint::kSticky);
}

void GenericPluginInterface::setRootSize(float width, float height) {
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr) return;
    settingRootSize_ = true;
    root->setSize(width, height);
    settingRootSize_ = false;
    if (standardButtons_) standardButtons_->refreshSizeMenu();
}

void GenericPluginInterface::rootBoundsChanged() {
    gui::RootControl* root = userInterface().rootControl();
    // Only a size change the editor did not make: the editor snaps back to
    // the size it holds and asks the host nothing (a rounding host cannot
    // make it ping-pong).
    if (root == nullptr || settingRootSize_ || freeSize_) return;
    GenericPlugin::Settings* settings = plugin().getSettings();
    if (settings == nullptr || settings->getInterfaceSizes().empty()) return;
    const auto& sizes = settings->getInterfaceSizes();
    const auto& size = sizes[static_cast<size_t>(
        std::clamp<int32_t>(settings->layoutIndex.getValue(), 0, static_cast<int32_t>(sizes.size()) - 1))];
    if (size.first != rounded(root->width.getValue()) || size.second != rounded(root->height.getValue())) {
        setRootSize(static_cast<float>(size.first), static_cast<float>(size.second));
        return;
    }
    if (standardButtons_) standardButtons_->refreshSizeMenu();
}

void GenericPluginInterface::scaleChanged() {
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr || interfaceListener_ == nullptr || freeSize_) return;
    if (!interfaceListener_->requestResize(rounded(root->width.getValue()), rounded(root->height.getValue())))
        showHelpHintText(kCannotResize, HelpHint::kAlways | HelpHint::kSticky);
}

void GenericPluginInterface::openParameterContextMenu(int32_t index, gui::ValueControl* control) {
    if (interfaceListener_ == nullptr || control == nullptr) return;
    // The host may close the editor inside: nothing follows.
    interfaceListener_->popupContextMenu(index, control->toRoot(control->lastPoint()));
}

void GenericPluginInterface::setPanelShown(int32_t panel, bool on) {
    if (panel < 0 || panel >= kPanelCount) return;
    if (!userInterface().isGuiThread()) {
        pluginChanged(kSetPanelShown, panel * 2 + (on ? 1 : 0));
        return;
    }
    const uint32_t bit = 1u << panel;
    const uint32_t current = panelMask();
    const uint32_t mask = on ? current | bit : current & ~bit;
    if (mask == current) return;
    panelMask_ = mask;
    if (GenericPlugin::Settings* settings = plugin().getSettings())
        settings->interfacePanels.setValue(static_cast<int32_t>(mask));
    if (!freeSize_) applyInterfaceSize();
    panelsChanged();
}

int32_t GenericPluginInterface::monitorDefaultScaleIndex(float workWidth, float backingScale, int32_t start) {
    constexpr int32_t kLast = static_cast<int32_t>(std::size(kScaleFactors)) - 1;
    // The widest layout the scaling steps are measured against.
    constexpr float kReferenceWidth = 1500.0f;
    int32_t index = std::clamp<int32_t>(start, 0, kLast);
    if (backingScale <= 0.0f) return index;
    while (index < kLast && kScaleFactors[index + 1] * kReferenceWidth / backingScale <= workWidth)
        ++index;
    return index;
}

void GenericPluginInterface::updateMonitorDefaultScale() {
    gui::DeviceBacking& backing = userInterface().deviceBacking();
    const int32_t held = backing.firstTableEntry(backing.getSystemClass());
    const int32_t start = held >= 0 ? held : backing.getSystemClass();
    const gui::Rect work = userInterface().platformDelegate().monitorRect();
    backing.setDefaultIndex(monitorDefaultScaleIndex(work.width(), backing.getScale(), start));
}

void GenericPluginInterface::chooseScaling(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(std::size(kScaleFactors))) return;
    gui::DeviceBacking& backing = userInterface().deviceBacking();
    backing.setTableEntry(backing.useSecondTable.getValue(), backing.getSystemClass(), index);
    backing.updateScale();
    if (GenericPlugin::Settings* settings = plugin().getSettings())
        settings->scalingAdjustments.setValue(backing.formatScaleSettings());
}

std::vector<GenericPluginInterface::ScalingEntry>
GenericPluginInterface::scalingEntries(int32_t monitorDefaultIndex, int32_t currentIndex) {
    std::vector<ScalingEntry> entries;
    gui::UserInterface& ui = userInterface();
    gui::RootControl* root = ui.rootControl();
    if (root == nullptr) return entries;
    float width = static_cast<float>(rounded(root->width.getValue()));
    float height = static_cast<float>(rounded(root->height.getValue()));
    GenericPlugin::Settings* settings = plugin().getSettings();
    if (isUserResizing() && settings != nullptr && !settings->getInterfaceSizes().empty()) {
        width = static_cast<float>(settings->getInterfaceSizes().front().first);
        height = static_cast<float>(settings->getInterfaceSizes().front().second);
    }
    const gui::Rect work = ui.platformDelegate().monitorRect();
    const float largest =
        width > 0.0f && height > 0.0f
            ? std::min(work.width() / width, work.height() / height) * ui.deviceBacking().getScale()
            : 0.0f;
    int32_t index = 0;
    for (float factor : kScaleFactors) {
        ScalingEntry entry;
        entry.factor = factor;
        entry.text = std::to_string(rounded(factor * 100.0f)) + "%";
        if (index == monitorDefaultIndex) entry.text += " (Monitor Default)";
        entry.enabled = largest >= factor;
        entry.ticked = index == currentIndex;
        entries.push_back(entry);
        ++index;
    }
    return entries;
}

// --- Closing

void GenericPluginInterface::detachFromModel() {
    // A listener call cannot close its own editor: the wait would not end.
    assert(listenerDepth == 0);
    if (!attached_) return;
    attached_ = false;
    plugin().setInterface(nullptr);
}

void GenericPluginInterface::stopTimersAndEdits() {
    if (sizeChecker_) sizeChecker_->stop();
}

void GenericPluginInterface::removeHandlers() {
    if (gui::RootControl* root =
            userInterface().isBeingDestroyed() ? nullptr : userInterface().rootControl()) {
        root->monitorChangedEvent.removeHandler(this, &GenericPluginInterface::monitorChanged);
        root->boundsEvent.removeHandler(this, &GenericPluginInterface::rootBoundsChanged);
    }
    if (!userInterface().isBeingDestroyed())
        userInterface().scaleChangedEvent.removeHandler(this, &GenericPluginInterface::scaleChanged);
    componentPresetHandlers_.clear();
    closeMidiLearn();
    menus_.reset();
    presetBar_.reset();
    standardButtons_.reset();
    helpHint_.reset();
    sizeChecker_.reset();
    reference_.reset();
    referenceProvider_ = {};
    midiIndicator_.reset();
}

// --- Commands

void GenericPluginInterface::completeSetup() {
    if (gui::Control* overlay = overlayControl())
        if (gui::Control* parent = overlay->parent.getValue())
            parent->setChildIndex(overlay, static_cast<int>(parent->children().size()));
    refreshAll();
    parametersChanged();
    built_ = true;
    buildHelpMenu();
    setupInterface();
    helpHint_->clear();
    if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
        shared != nullptr && shared->welcomeHintShown.getValue())
        helpHint_->showWelcome();
    if (GenericPlugin::getPresetCache() != nullptr)
        if (PresetManager* manager = plugin().getPresetManager(-1)) manager->update();
}

void GenericPluginInterface::handleCommand(int32_t code, int32_t argument) {
    switch (code) {
    case kSetPanelShown:
        setPanelShown(argument / 2, (argument & 1) != 0);
        break;
    case kApplyInterfaceSize:
        applyInterfaceSize();
        break;
    case kRefreshLearnOverlay:
        learnRefreshPending_ = false;
        if (hasLearnOverlay()) refreshLearnOverlay();
        break;
    case kStartupDone:
        startupDone();
        if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
            shared != nullptr && shared->welcomeHintShown.getValue())
            helpHint_->showWelcome();
        break;
    case kOpenHelpDocument:
        openHelpDocument();
        break;
    case kOpenWebAddress:
        openWebAddress();
        break;
    case GenericPlugin::kCurrentPresetChanged:
        updatePresetDisplay();
        break;
    case GenericPlugin::kMidiControllerSeen:
        midiLearnReceived(argument);
        break;
    case GenericPlugin::kControllerMappingChanged:
        midiControllerMapChanged();
        break;
    case GenericPlugin::kChannelLayoutChanged:
        parametersChanged();
        break;
    case GenericPlugin::kCustomSettingsChanged:
        customSettingsEvent.notify(this);
        break;
    case GenericPlugin::kProductNotification:
    case GenericPlugin::kExtraValuesRestored:
    case GenericPlugin::kInstanceNameChanged:
    case GenericPlugin::kTrackInfoChanged:
        productCommand(code, argument);
        break;
    default:
        break;
    }
}

ComponentPresetHandler* GenericPluginInterface::getComponentPresetHandler(int32_t kind, int32_t index) {
    if (kind < 0 || static_cast<size_t>(kind) >= componentPresetHandlers_.size()) return nullptr;
    auto& handlers = componentPresetHandlers_[static_cast<size_t>(kind)];
    if (index < 0 || static_cast<size_t>(index) >= handlers.size()) return nullptr;
    return handlers[static_cast<size_t>(index)].get();
}

void GenericPluginInterface::linksChanged() {
    if (learnRefreshPending_ || !hasLearnOverlay()) return;
    learnRefreshPending_ = true;
    pluginChanged(kRefreshLearnOverlay, 0);
}

uint32_t GenericPluginInterface::panelMask() const {
    const GenericPlugin::Settings* settings = plugin().getSettings();
    return settings != nullptr ? static_cast<uint32_t>(settings->interfacePanels.getValue()) : panelMask_;
}

void GenericPluginInterface::storeUndoStep(int32_t index) {
    GenericPluginInterfaceBase::storeUndoStep(index);
    if (standardButtons_) standardButtons_->updateHistoryButtons();
    if (index == -1) return;
    // An interface-default parameter: its defaults file follows (the
    // parameters have no groups, so the whole set is written).
    PresetParameterCollection& defaults = plugin().getSettingsCollection();
    for (const AbstractPluginParameter* p : defaults.getParameters())
        if (p != nullptr && p->getIndex() == index) {
            defaults.savePreset(GenericPlugin::getProductFolder() + GenericPlugin::kInterfaceDefaultsFile,
                                PresetParameterCollection::presetFormat().version);
            break;
        }
}

void GenericPluginInterface::refreshControls(int32_t index) {
    GenericPluginInterfaceBase::refreshControls(index);
    updatePresetDisplay();
}

void GenericPluginInterface::refreshAll() {
    if (featureFlags_ & kRefreshLinkedRange) {
        GenericPluginInterfaceBase::refreshControls(-1);
    } else {
        for (int32_t index = 0; index < plugin().getNumParameters(); ++index)
            GenericPluginInterfaceBase::refreshControls(index);
    }
    // Once for all the parameters.
    updatePresetDisplay();
}

void GenericPluginInterface::setPresetDisplayColor(const gui::Color& color) {
    presetDisplayColor_ = color;
    updatePresetDisplay();
}

void GenericPluginInterface::updatePresetDisplay() {
    if (!standardButtons_) return;
    gui::Button* display = standardButtons_->button(StandardButtonKind::kPresetName);
    if (display != nullptr) {
        const CurrentPresetRecord& preset = plugin().getCurrentPreset();
        gui::Color color = presetDisplayColor_;
        // Dimmed while the preset is modified.
        constexpr uint32_t kModifiedAlpha = 160;
        if (preset.isModified())
            color.a = static_cast<uint8_t>(gui::pixel::multiply255(color.a, kModifiedAlpha));
        if (!presetDisplayShown_ || color != shownPresetColor_ || preset.getName() != shownPresetName_) {
            if (gui::Text* line = display->lineCount.getValue() > 0 ? display->textLine(0) : nullptr) {
                line->text.setValue(preset.getName());
                line->color.setValue(color);
            }
            shownPresetName_ = preset.getName();
            shownPresetColor_ = color;
            presetDisplayShown_ = true;
        }
    }
    standardButtons_->updateHistoryButtons();
}

void GenericPluginInterface::showCompareSlot(gui::Button& button, int32_t slot) {
    if (auto* compare = dynamic_cast<ABButton*>(&button))
        compare->state.setValue(slot == 1);
    else
        button.on.setValue(slot == 1);
}

void GenericPluginInterface::showHelpHintText(const std::string& text, int32_t flags) {
    helpHint_->show(text, flags);
}

void GenericPluginInterface::hotspotClicked(HotspotButton& button) {
    if (presetBar_) presetBar_->hotspotClicked(button);
}

void GenericPluginInterface::helpHint(const std::string& text) {
    if (helpHint_ && !helpHint_->isSticky()) showHelpHintText(text, 0);
}
