#include "editor/MidiLearnMode.h"

#include "editor/GenericPluginInterface.h"
#include "editor/HelpHint.h"
#include "editor/IndicatorLight.h"
#include "editor/MidiLearnController.h"
#include "editor/StandardButtons.h"
#include "editor/WatchedControl.h"
#include "gui/Button.h"
#include "plugin/ControllerMapping.h"
#include "plugin/GenericPlugin.h"

MidiLearnMode::MidiLearnMode(GenericPluginInterface& owner)
    : gui::Component(owner.userInterface()), owner_(owner) {}

MidiLearnMode::~MidiLearnMode() {
    forgetOverlay();
}

bool MidiLearnMode::hasOverlay() const {
    return overlay_ != nullptr && !overlay_->isHiding();
}

void MidiLearnMode::setActive(bool on) {
    if (on == active_) return;
    active_ = on;
    armed_ = kNone;
    gui::Button* learnButton = owner_.standardButtons().button(StandardButtonKind::kMidiLearn);
    if (on) {
        owner_.hint().clear();
        if (learnButton != nullptr) learnButton->on.setValue(true);
        MidiLearnController* overlay = owner_.createMidiLearnOverlay();
        if (overlay == nullptr) return;
        overlay_ = overlay;
        link(overlay_);
        // The learn and MIDI buttons stay usable on the overlay.
        overlay_->addTarget(learnButton, gui::Overlay::kOwnHitTest, 0);
        overlay_->addTarget(owner_.standardButtons().button(StandardButtonKind::kMidi),
                            gui::Overlay::kOwnHitTest, 0);
        owner_.addMidiLearnGhosts(*overlay_);
        overlay_->show();
        return;
    }
    if (learnButton != nullptr) learnButton->on.setValue(false);
    if (overlay_ == nullptr) return;
    MidiLearnController* overlay = overlay_;
    forgetOverlay();
    overlay->dropGhosts();
    // Deletes itself once it has faded out.
    overlay->hide();
}

void MidiLearnMode::arm(uint32_t identifier) {
    armed_ = active_ && hasOverlay() && isMappable(identifier) ? identifier : kNone;
}

void MidiLearnMode::controllerSeen(int32_t controller) {
    if (!hasOverlay()) return;
    if (armed_ != kNone && controller >= 0 && controller < ControllerMapping::numControllers &&
        isMappable(armed_))
        if (ControllerMapping* mapping = GenericPlugin::getControllerMapping())
            mapping->assign(controller, armed_);
    // assign may have reached the overlay's links; it may be gone.
    if (hasOverlay()) overlay_->refreshLabels();
}

void MidiLearnMode::refresh() {
    if (hasOverlay()) overlay_->refreshGhosts();
}

void MidiLearnMode::mapChanged() {
    if (hasOverlay()) overlay_->refreshLabels();
}

void MidiLearnMode::close() {
    active_ = false;
    armed_ = kNone;
    forgetOverlay();
}

bool MidiLearnMode::isMappable(uint32_t identifier) const {
    GenericPlugin& model = owner_.plugin();
    if (identifier < static_cast<uint32_t>(model.getNumParameters())) return true;
    const uint32_t virtualBase = ControllerMapping::virtualBase;
    return identifier >= virtualBase &&
           identifier - virtualBase < static_cast<uint32_t>(model.getNumMidiVirtualParameters());
}

std::string MidiLearnMode::identifierName(uint32_t identifier) const {
    GenericPlugin& model = owner_.plugin();
    if (identifier < static_cast<uint32_t>(model.getNumParameters())) {
        AbstractPluginParameter* parameter = model.getParameter(static_cast<int32_t>(identifier));
        return parameter != nullptr ? parameter->getName() : std::string();
    }
    const uint32_t virtualBase = ControllerMapping::virtualBase;
    if (identifier >= virtualBase &&
        identifier - virtualBase < static_cast<uint32_t>(model.getNumMidiVirtualParameters())) {
        MidiVirtualPluginParameter* parameter =
            model.getMidiVirtualParameter(static_cast<int32_t>(identifier - virtualBase));
        return parameter != nullptr ? parameter->getName() : std::string();
    }
    const uint32_t sourceBase = MidiLearnController::kMidiSourceBase;
    if (identifier >= sourceBase && identifier < virtualBase)
        return owner_.midiSourceName(static_cast<int32_t>(identifier - sourceBase));
    return {};
}

void MidiLearnMode::forgetOverlay() {
    if (overlay_ == nullptr) return;
    unlink(overlay_);
    overlay_ = nullptr;
}

void MidiLearnMode::componentDeleted(gui::Component* component) {
    gui::Component::componentDeleted(component);
    if (component == overlay_) {
        overlay_ = nullptr;
        armed_ = kNone;
    }
}

// --- The interface's MIDI-learn operations

void GenericPluginInterface::MidiLearnModeDeleter::operator()(MidiLearnMode* mode) const {
    delete mode;
}

void GenericPluginInterface::createMidiLearn() {
    midiLearn_.reset(new MidiLearnMode(*this));
}

void GenericPluginInterface::closeMidiLearn() {
    if (midiLearn_) midiLearn_->close();
    midiLearn_.reset();
}

void GenericPluginInterface::armLearnIdentifier(uint32_t identifier) {
    if (midiLearn_) midiLearn_->arm(identifier);
}

uint32_t GenericPluginInterface::armedLearnIdentifier() const {
    return midiLearn_ ? midiLearn_->armedIdentifier() : MidiLearnMode::kNone;
}

bool GenericPluginInterface::isLearnIdentifierMappable(uint32_t identifier) const {
    return midiLearn_ && midiLearn_->isMappable(identifier);
}

std::string GenericPluginInterface::learnIdentifierName(uint32_t identifier) const {
    return midiLearn_ ? midiLearn_->identifierName(identifier) : std::string();
}

bool GenericPluginInterface::isMidiLearnActive() {
    return midiLearn_ && midiLearn_->isActive();
}

void GenericPluginInterface::setMidiLearnActive(bool on) {
    if (midiLearn_) midiLearn_->setActive(on);
}

void GenericPluginInterface::midiLearnReceived(int32_t controller) {
    if (!midiLearn_) return;
    midiLearn_->controllerSeen(controller);
    midiLearnAssigned();
}

void GenericPluginInterface::midiLearnAssigned() {
    if (IndicatorLight* light = midiIndicator()) light->light(kMidiIndicatorMs);
}

void GenericPluginInterface::setMidiIndicator(IndicatorLight* light) {
    midiIndicator_.reset();
    if (light != nullptr) midiIndicator_ = std::make_unique<WatchedControl>(*light);
}

IndicatorLight* GenericPluginInterface::midiIndicator() const {
    return midiIndicator_ ? static_cast<IndicatorLight*>(midiIndicator_->control()) : nullptr;
}

void GenericPluginInterface::midiControllerMapChanged() {
    // Silent: the user did not ask for this write.
    plugin().saveMidiControllerMap();
    if (midiLearn_) midiLearn_->mapChanged();
    controllerMapEvent.notify(this);
}

void GenericPluginInterface::refreshLearnOverlay() {
    if (midiLearn_) midiLearn_->refresh();
}

bool GenericPluginInterface::hasLearnOverlay() {
    return midiLearn_ && midiLearn_->hasOverlay();
}
