#include "editor/GenericPluginInterfaceBase.h"

#include "foundation/ErrorResult.h"
#include "gui/Animator.h"
#include "gui/Control.h"
#include "gui/RootControl.h"
#include "gui/RootLockScope.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetManager.h"
#include "plugin/PresetParameterCollection.h"

#include <cmath>
#include <sstream>

namespace {

constexpr const char* kOpenFailed = "The preset file could not be opened.";
constexpr const char* kSaveFailed =
    "An error occurred while saving the preset. Please check that the preset file is writable: ";
constexpr const char* kNoPresetText = "The clipboard holds no preset.";
constexpr const char* kPresetTooLarge = "The text is too large for a preset.";

bool valuesDiffer(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::fabs(a[i] - b[i]) > ControlChangeManager::kValueTolerance) return true;
    return false;
}

} // namespace

GenericPluginInterfaceBase::GenericPluginInterfaceBase(gui::UserInterface& userInterface,
                                                       GenericPlugin& plugin)
    : ControlChangeManager(plugin), userInterface_(userInterface) {
    userInterface_.messageChannel().addListener(this);
    userInterface_.tickEvent.addHandler(NotifyEvent::bind(this, &GenericPluginInterfaceBase::tick));
    // The first attach: "Initial state" in the undo history, both A/B slots.
    plugin.initSnapshotsForEditor();
}

GenericPluginInterfaceBase::~GenericPluginInterfaceBase() {
    prepareForClosing();
    animator_.reset();
}

void GenericPluginInterfaceBase::adoptValueDisplay(std::unique_ptr<ValueDisplay> display) {
    setValueDisplay(display.get());
    valueDisplay_ = std::move(display);
}

void GenericPluginInterfaceBase::adoptAnimator(std::unique_ptr<gui::Animator> animator) {
    animator_ = std::move(animator);
}

// --- Gestures and undo

void GenericPluginInterfaceBase::setParameterFromControl(gui::ValueControl* control,
                                                         AbstractPluginParameter* parameter, int phase,
                                                         int delta) {
    ControlChangeManager::setParameterFromControl(control, parameter, phase, delta);
    if (phase == gui::kGestureChange)
        plugin().setPresetModified(true);
    else if (phase == gui::kGestureEnd && undoStepDiffers())
        storeUndoStep(parameter->getIndex());
}

bool GenericPluginInterfaceBase::undoStepDiffers() const {
    const GenericPlugin::UndoHistory* history = plugin().getUndoHistory();
    if (history == nullptr) return false;
    // A snapshot holds the main parameter collection's values.
    return valuesDiffer(history->getList().get(history->getIndex()).values, undoValues());
}

std::vector<float> GenericPluginInterfaceBase::undoValues() const {
    std::vector<float> values;
    plugin().getMainCollection().getValues(values);
    return values;
}

bool GenericPluginInterfaceBase::storeUndoStepIfChanged(const std::vector<float>& before, int32_t index) {
    if (!valuesDiffer(before, undoValues())) return false;
    storeUndoStep(index);
    return true;
}

void GenericPluginInterfaceBase::storeUndoStep(int32_t) {
    if (GenericPlugin::UndoHistory* history = plugin().getUndoHistory()) history->push(std::string());
    if (GenericPlugin::CompareStates* compare = plugin().getCompareStates()) compare->setChanged(true);
}

void GenericPluginInterfaceBase::parametersChanged() {
    ControlChangeManager::parametersChanged();
    parametersChangedEvent.notify(this);
}

ComponentPresetHandler* GenericPluginInterfaceBase::getComponentPresetHandler(int32_t, int32_t) {
    return nullptr;
}

void GenericPluginInterfaceBase::refreshAll() {
    refreshControls(-1);
}

// --- Notifications and the tick

void GenericPluginInterfaceBase::notification(std::uint32_t code, std::uint32_t argument) {
    const auto c = static_cast<int32_t>(code);
    const auto a = static_cast<int32_t>(argument);
    if (closed_) return;
    if (c == GenericPlugin::kParameterChanged)
        refreshControls(a);
    else if (c == GenericPlugin::kStoreUndoStep)
        storeUndoStep(-1);
    else
        handleCommand(c, a);
}

void GenericPluginInterfaceBase::handleCommand(int32_t code, int32_t) {
    if (code == GenericPlugin::kCurrentPresetChanged) updatePresetDisplay();
}

void GenericPluginInterfaceBase::tick() {
    if (closed_) return;
    idle();
    // Notifications lost to a full queue: everything may be stale.
    if (userInterface_.messageChannel().takeDroppedCount() > 0) {
        refreshAll();
        updatePresetDisplay();
    }
}

void GenericPluginInterfaceBase::idle() {
    plugin().idle(nullptr);
}

// --- The value display

void GenericPluginInterfaceBase::showValueDisplayFor(gui::ValueControl* control) {
    if (ValueDisplay* display = valueDisplay()) display->showFor(control);
}

void GenericPluginInterfaceBase::hideValueDisplay() {
    if (ValueDisplay* display = valueDisplay()) display->hide();
}

void GenericPluginInterfaceBase::showParameterContextMenu(gui::ValueControl* control) {
    const int32_t index = control != nullptr ? control->controlId.getValue() : -1;
    if (parameterAt(index) == nullptr) return;
    openParameterContextMenu(index, control);
}

void GenericPluginInterfaceBase::openParameterContextMenu(int32_t, gui::ValueControl*) {}

void GenericPluginInterfaceBase::listenToControl(gui::ValueControl* control) {
    if (control == nullptr) return;
    auto show = [this, control] { showValueDisplayFor(control); };
    auto hide = [this] {
        if (ValueDisplay* display = valueDisplay()) display->startHideTimer();
    };
    auto endOutside = [this, control] {
        auto* rollover = dynamic_cast<gui::RolloverValueControl*>(control);
        if (rollover != nullptr && rollover->pointerInside()) return;
        if (ValueDisplay* display = valueDisplay()) display->startHideTimer();
    };
    control->enterEvent.addHandler(NotifyEvent::bind(show));
    control->gestureBeginEvent.addHandler(NotifyEvent::bind(show));
    control->leaveEvent.addHandler(NotifyEvent::bind(hide));
    control->gestureEndEvent.addHandler(NotifyEvent::bind(endOutside));
}

gui::Rect GenericPluginInterfaceBase::unionBounds(const gui::Control* first, const gui::Control* second) {
    if (first == nullptr) return {};
    const gui::Point origin = first->toRoot(gui::Point(0.0f, 0.0f));
    gui::Rect rect =
        gui::Rect::fromXYWH(origin.x, origin.y, first->width.getValue(), first->height.getValue());
    if (second != nullptr && !rect.isEmpty()) {
        const gui::Point at = second->toRoot(gui::Point(0.0f, 0.0f));
        const gui::Rect other =
            gui::Rect::fromXYWH(at.x, at.y, second->width.getValue(), second->height.getValue());
        if (!other.isEmpty()) gui::unite(rect, other);
    }
    return rect;
}

// --- Presets

bool GenericPluginInterfaceBase::loadPresetFile(const std::string& path) {
    ErrorResult result;
    std::vector<float> before;
    plugin().getMainCollection().getValues(before);
    plugin().loadPreset(result, PresetCacheEntry(path));
    if (result.hasError()) {
        // A load may apply part of a preset and still report an error.
        storeUndoStepAfterFailedLoad(before);
        showError(kOpenFailed, result.getErrorMessage());
        return false;
    }
    // The undo step follows the load's notifications.
    userInterface_.pushNotification(gui::kGuiList, static_cast<std::uint32_t>(GenericPlugin::kStoreUndoStep),
                                    0);
    return true;
}

bool GenericPluginInterfaceBase::savePresetFile(const std::string& path) {
    if (plugin().savePreset(PresetCacheEntry(path))) return true;
    showError(kSaveFailed + path, std::string());
    return false;
}

void GenericPluginInterfaceBase::storeUndoStepAfterFailedLoad(const std::vector<float>& before) {
    // Posted like a good load's step, so that it follows the load's
    // notifications.
    if (valuesDiffer(before, undoValues()))
        userInterface_.pushNotification(gui::kGuiList,
                                        static_cast<std::uint32_t>(GenericPlugin::kStoreUndoStep), 0);
}

void GenericPluginInterfaceBase::copyPresetToClipboard() {
    // Flag 1: the header carries Name and Modified.
    const std::string text =
        plugin().getMainCollection().textBytes(PresetParameterCollection::presetFormat().version, 1);
    userInterface_.platformDelegate().setClipboardText(text);
}

bool GenericPluginInterfaceBase::pastePresetFromClipboard(std::string* error) {
    const std::string text = userInterface_.platformDelegate().clipboardText();
    if (text.empty()) {
        if (error != nullptr) *error = kNoPresetText;
        return false;
    }
    if (text.size() > PresetParameterCollection::kMaxFileSize) {
        if (error != nullptr) *error = kPresetTooLarge;
        return false;
    }
    std::istringstream stream(text, std::ios::in | std::ios::binary);
    ErrorResult result;
    std::vector<float> before;
    plugin().getMainCollection().getValues(before);
    plugin().loadPresetFromStream(result, stream);
    if (result.hasError()) {
        storeUndoStepAfterFailedLoad(before);
        if (error != nullptr) *error = result.getErrorMessage();
        return false;
    }
    userInterface_.pushNotification(gui::kGuiList, static_cast<std::uint32_t>(GenericPlugin::kStoreUndoStep),
                                    0);
    return true;
}

void GenericPluginInterfaceBase::showError(const std::string& message, const std::string& details,
                                           std::function<void()> okAction) {
    const std::string text = details.empty() ? message : message + "\n" + details;
    userInterface_.platformDelegate().messageBox(text, gui::UserInterface::PlatformDelegate::kButtonOk,
                                                 std::move(okAction));
}

std::string GenericPluginInterfaceBase::presetDialogFolder() const {
    const std::string& path = plugin().getCurrentPreset().getPath();
    const size_t slash = path.find_last_of('\\');
    if (!path.empty() && slash != std::string::npos) return path.substr(0, slash + 1);
    PresetManager* manager = plugin().getPresetManager(-1);
    return manager != nullptr ? manager->getPath() : std::string();
}

// --- Closing

void GenericPluginInterfaceBase::prepareForClosing() {
    if (closed_) return;
    closed_ = true;
    detachFromModel();
    gui::RootControl* root = userInterface_.isBeingDestroyed() ? nullptr : userInterface_.rootControl();
    if (root != nullptr) {
        gui::RootLockScope scope(*root);
        root->setMouseCapture(nullptr);
        root->endGesture();
        endOpenGestures();
        stopTimersAndEdits();
        if (valueDisplay_) valueDisplay_->hide();
        setValueDisplay(nullptr);
        valueDisplay_.reset();
        root->deleteChildren();
    } else {
        endOpenGestures();
        stopTimersAndEdits();
        setValueDisplay(nullptr);
        valueDisplay_.reset();
    }
    userInterface_.messageChannel().removeListener(this);
    userInterface_.tickEvent.removeHandler(this, &GenericPluginInterfaceBase::tick);
    removeHandlers();
    unlinkEveryControl();
    releaseWatcher();
}
