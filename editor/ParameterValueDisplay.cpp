#include "editor/ParameterValueDisplay.h"

#include "editor/ControlChangeManager.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "editor/PlaceBeside.h"
#include "gui/Animation.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/TextEditor.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"
#include "gui/ValueControl.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <algorithm>

namespace {

constexpr int kPlacementGap = 4;
// Hit only while fully opaque: alpha x opacity must exceed threshold x 255,
// so 254 is the highest threshold that a solid display still passes.
constexpr int kHitThreshold = 254;
constexpr int kDoubleClickBit = 64;

// The parameter index of line - 1's entry, or -1.
int entryIndex(ParameterValueDisplay& display, int line) {
    ParameterValueDisplay::Entry* entry = display.entryForLine(line);
    return entry != nullptr && entry->parameter != nullptr ? entry->parameter->getIndex() : -1;
}

} // namespace

// ---- listener defaults ------------------------------------------------------------------

void ParameterValueDisplay::Listener::valueEntered(ParameterValueDisplay& display, int line, float value) {
    const int index = entryIndex(display, line);
    if (index < 0) return;
    ControlChangeManager& manager = display.owner();
    manager.setLinkedParameterValue(gui::kGestureBegin, index, 0.0f, 0);
    manager.setLinkedParameterValue(gui::kGestureChange, index, value, 0);
    manager.setLinkedParameterValue(gui::kGestureEnd, index, 0.0f, 0);
    manager.refreshControls(index);
}

bool ParameterValueDisplay::Listener::canEditLine(ParameterValueDisplay& display, int line) {
    // Every parameter is editable.
    return line >= 1 && entryIndex(display, line) >= 0;
}

bool ParameterValueDisplay::Listener::parseValue(ParameterValueDisplay& display, int line,
                                                 const std::string& text, float& value) {
    Entry* entry = display.entryForLine(line);
    if (entry == nullptr || entry->parameter == nullptr) return false;
    return entry->parameter->textToValue(text, value);
}

void ParameterValueDisplay::Listener::displayChanged(ParameterValueDisplay& display) {
    display.refreshTexts();
    if (display.hasEntries()) display.place();
}

// ---- display --------------------------------------------------------------------------------

ParameterValueDisplay::ParameterValueDisplay(gui::UserInterface& userInterface,
                                             GenericPluginInterfaceBase& owner)
    : gui::MultiLabel(userInterface, kLines), owner_(&owner) {
    hideTimer_ = userInterface.createTimer();
    if (hideTimer_ != nullptr) {
        hideTimer_->interval.setValue(kHideInterval);
        hideTimer_->tickEvent.addHandler(NotifyEvent::bind(this, &ParameterValueDisplay::hide));
        // The user interface deletes its timers when it goes first.
        hideTimer_->destroyEvent.addHandler(NotifyEvent::bind([this] { hideTimer_ = nullptr; }));
    }
    lineCount.setLimits(1, kLines);
    lineCount.setValue(1);
    opacity.setValue(0);
    visible.setValue(false);
}

ParameterValueDisplay::~ParameterValueDisplay() {
    if (hideTimer_ != nullptr) {
        hideTimer_->destroyEvent.clear();
        hideTimer_->tickEvent.clear();
        delete hideTimer_;
        hideTimer_ = nullptr;
    }
    releaseValueSource();
    ControlChangeManager& manager = *owner_;
    if (manager.valueDisplay() == this) manager.setValueDisplay(nullptr);
}

void ParameterValueDisplay::ValueSource::valueDisplayRefreshed(ParameterValueDisplay&) {}

ParameterValueDisplay::Entry* ParameterValueDisplay::entryForLine(int line) {
    if (line < 1 || line > int(entries_.size())) return nullptr;
    return &entries_[std::size_t(line - 1)];
}

ParameterValueDisplay::Entry* ParameterValueDisplay::entryFor(int index) {
    for (Entry& entry : entries_) {
        if (entry.parameter == nullptr) continue;
        if (index == -1 || entry.parameter->getIndex() == index) return &entry;
    }
    return nullptr;
}

void ParameterValueDisplay::setValueSource(ValueSource* source) {
    if (source != valueSource_) releaseValueSource();
    if (source == nullptr) {
        ControlChangeManager& manager = *owner_;
        manager.setValueDisplay(this);
        return;
    }
    valueSource_ = source;
    source->valueDisplay_ = this;
    if (valueSourceComponent_ == nullptr) {
        valueSourceComponent_ = &source->sourceComponent();
        link(valueSourceComponent_);
    }
}

void ParameterValueDisplay::releaseValueSource() {
    if (valueSource_ == nullptr) return;
    if (valueSource_->valueDisplay_ == this) valueSource_->valueDisplay_ = nullptr;
    if (valueSourceComponent_ != nullptr && valueSourceComponent_ != hoverControl_ &&
        std::find(linkedControls_.begin(), linkedControls_.end(), valueSourceComponent_) ==
            linkedControls_.end())
        unlink(valueSourceComponent_);
    valueSourceComponent_ = nullptr;
    valueSource_ = nullptr;
}

void ParameterValueDisplay::addEntry(Listener* listener, AbstractPluginParameter* parameter,
                                     ValueSource* source) {
    if (editLine() >= 0) return;
    const bool continuing = hasEntries_ && hideTimer_ != nullptr && !hideTimer_->enabled.getValue();
    if (!continuing) entries_.clear();
    setValueSource(source);
    const bool present = std::any_of(entries_.begin(), entries_.end(),
                                     [parameter](const Entry& e) { return e.parameter == parameter; });
    if (!present)
        entries_.push_back(Entry{parameter, parameter != nullptr ? parameter->getValue() : 0.0f, false});
    hasEntries_ = true;
    listener_ = listener;
    lineCount.setValue(int(entries_.size()) + 1);
    if (entries_.size() == 1 && parameter != nullptr)
        if (gui::Text* name = text(0)) name->text.setValue(parameter->getName());
    if (hideTimer_ != nullptr) hideTimer_->enabled.setValue(false);
}

void ParameterValueDisplay::showFor(Listener* listener, gui::Control* control, ValueSource* source) {
    auto* valueControl = dynamic_cast<gui::ValueControl*>(control);
    if (valueControl == nullptr) return;
    const int index = valueControl->controlId.getValue();
    const ControlChangeManager& manager = *owner_;
    if (index < 0 || index >= manager.plugin().getNumParameters()) return;
    AbstractPluginParameter* parameter = manager.plugin().getParameter(index);
    if (parameter == nullptr) return;
    addEntry(listener, parameter, source);
}

void ParameterValueDisplay::showFor(gui::ValueControl* control) {
    showFor(&defaultListener_, control, nullptr);
    updateFade(false);
}

void ParameterValueDisplay::show() {
    if (shown_) return;
    shown_ = true;
    visible.setValue(true);
    gui::fadeControl(animator(), *this, 255, kFadeInDuration);
}

void ParameterValueDisplay::updateFade(bool force) {
    if (editLine() >= 0 && !force) return;
    const bool wanted = hoverControl_ != nullptr ? force : hasEntries_;
    if (wanted) {
        show();
        if (listener_ != nullptr) listener_->displayChanged(*this);
        if (valueSource_ != nullptr) valueSource_->valueDisplayRefreshed(*this);
        return;
    }
    if (!shown_) return;
    shown_ = false;
    gui::Animator* a = animator();
    if (a == nullptr) {
        opacity.setValue(0);
        visible.setValue(false);
        return;
    }
    // A faded-out display leaves the tree's hit tests alone.
    auto* fade = new gui::FadeAnimation(*a, *this, 0);
    fade->finishedEvent.addHandler(NotifyEvent::bind([this] {
        if (!shown_) visible.setValue(false);
    }));
}

void ParameterValueDisplay::startHideTimer() {
    if (hideTimer_ == nullptr) return;
    hideTimer_->enabled.setValue(false);
    hideTimer_->interval.setValue(kHideInterval);
    hideTimer_->enabled.setValue(true);
}

void ParameterValueDisplay::hide() {
    if (hideTimer_ != nullptr) hideTimer_->enabled.setValue(false);
    const bool editing = editLine() >= 0 || (editor() != nullptr && editor()->isOpen());
    if (editing) {
        hideWhenIdle_ = true;
        return;
    }
    hideWhenIdle_ = false;
    hasEntries_ = false;
    releaseValueSource();
    hoverControl_ = nullptr;
    updateFade(false);
}

void ParameterValueDisplay::startEditing(int line) {
    if (editLine() >= 0 || listener_ == nullptr || !listener_->canEditLine(*this, line)) return;
    updateFade(true);
    for (std::size_t i = 0; i < editCounts_.size(); ++i)
        if (++editCounts_[i] == 1) holdHighlight(i, true);
    if (Entry* entry = entryForLine(line)) entry->edited = true;
    beginTextEdit(line);
    if (hideTimer_ != nullptr) hideTimer_->enabled.setValue(false);
}

void ParameterValueDisplay::parameterValueSent(int32_t index, float plain) {
    if (Entry* entry = entryFor(index)) entry->value = plain;
    updateFade(false);
}

void ParameterValueDisplay::parameterRefreshed(int32_t index) {
    Entry* entry = entryFor(index);
    if (entry != nullptr && !entry->edited) entry->value = entry->parameter->getValue();
    updateFade(false);
}

void ParameterValueDisplay::setHoverControl(gui::Control* control) {
    if (control == hoverControl_) return;
    if (hoverControl_ != nullptr && hoverControl_ != valueSourceComponent_ &&
        std::find(linkedControls_.begin(), linkedControls_.end(), hoverControl_) == linkedControls_.end())
        unlink(hoverControl_);
    hoverControl_ = control;
    if (control != nullptr) link(control);
}

void ParameterValueDisplay::addLinkedControl(gui::Control* control) {
    if (control == nullptr ||
        std::find(linkedControls_.begin(), linkedControls_.end(), control) != linkedControls_.end())
        return;
    linkedControls_.push_back(control);
    editCounts_.push_back(0);
    heldHighlights_.push_back(false);
    link(control);
}

void ParameterValueDisplay::holdHighlight(std::size_t i, bool on) {
    auto* rollover = dynamic_cast<gui::RolloverValueControl*>(linkedControls_[i]);
    if (rollover == nullptr) return;
    if (on) {
        // A highlight the control already holds stays its own.
        if (rollover->highlighted.getValue()) return;
        heldHighlights_[i] = true;
        rollover->highlighted.setValue(true);
    } else if (heldHighlights_[i]) {
        // Released: the highlight fades out unless the pointer is on the control.
        heldHighlights_[i] = false;
        rollover->highlighted.setValue(false);
    }
}

int ParameterValueDisplay::editCount(const gui::Control* control) const {
    for (std::size_t i = 0; i < linkedControls_.size(); ++i)
        if (linkedControls_[i] == control) return editCounts_[i];
    return 0;
}

void ParameterValueDisplay::refreshTexts() {
    hitThreshold.setValue(kHitThreshold);
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        const Entry& entry = entries_[k];
        gui::Text* line = text(int(k) + 1);
        if (line == nullptr || entry.parameter == nullptr) continue;
        line->text.setValue(entry.parameter->valueToText(entry.value, 0));
    }
}

void ParameterValueDisplay::place() {
    Entry* first = entryFor(-1);
    if (first == nullptr) return;
    const int index = first->parameter->getIndex();
    const ControlChangeManager& manager = *owner_;
    gui::Control* control = nullptr;
    if (valueSource_ != nullptr)
        control = valueSource_->controlForParameter(index);
    else if (index >= 0 && index < manager.linkCount())
        control = manager.link(index).control;
    gui::RootControl* root = userInterface().rootControl();
    if (control == nullptr || root == nullptr) return;
    const gui::Rect target = owner_->unionBounds(control, hoverControl_);
    placeBeside(*this, target, PlacementSide::kBelow, kPlacementGap, root->localRect());
}

// ---- input and editing ------------------------------------------------------------------------

void ParameterValueDisplay::componentDeleted(gui::Component* component) {
    gui::MultiLabel::componentDeleted(component);
    if (component == valueSourceComponent_) {
        valueSourceComponent_ = nullptr;
        valueSource_ = nullptr; // gone with its component: nothing to clear in it
    }
    if (component == hoverControl_) hoverControl_ = nullptr;
    for (std::size_t i = linkedControls_.size(); i-- > 0;) {
        if (linkedControls_[i] != component) continue;
        linkedControls_.erase(linkedControls_.begin() + std::ptrdiff_t(i));
        editCounts_.erase(editCounts_.begin() + std::ptrdiff_t(i));
        heldHighlights_.erase(heldHighlights_.begin() + std::ptrdiff_t(i));
    }
}

void ParameterValueDisplay::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::MultiLabel::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft || !(modifiers & kDoubleClickBit) || editLine() >= 0)
        return;
    const int line = lineAtPoint(point);
    if (line >= 0) startEditing(line);
}

void ParameterValueDisplay::mouseEnter() {
    AliveGuard alive(this);
    gui::MultiLabel::mouseEnter();
    if (!alive.alive() || !hasEntries_) return;
    if (hideTimer_ != nullptr) hideTimer_->enabled.setValue(false);
    show();
}

void ParameterValueDisplay::mouseLeave() {
    AliveGuard alive(this);
    gui::MultiLabel::mouseLeave();
    if (alive.alive() && editLine() < 0) startHideTimer();
}

bool ParameterValueDisplay::isLineEditable(int index) {
    return listener_ != nullptr && listener_->canEditLine(*this, index);
}

void ParameterValueDisplay::textChanged() {
    AliveGuard alive(this);
    gui::MultiLabel::textChanged();
    if (!alive.alive() || editor() == nullptr || listener_ == nullptr) return;
    const int line = editLine();
    float value = 0.0f;
    // Text that the parameter cannot read changes nothing.
    if (!listener_->parseValue(*this, line, editor()->text().text.getValue(), value)) return;
    listener_->valueEntered(*this, line, value);
    if (Entry* entry = entryForLine(line)) entry->value = entry->parameter->getValue();
    updateFade(true);
    owner_->storeUndoStep(-1);
}

void ParameterValueDisplay::editEnded() {
    AliveGuard alive(this);
    gui::MultiLabel::editEnded();
    if (!alive.alive()) return;
    for (Entry& entry : entries_)
        entry.edited = false;
    for (std::size_t i = 0; i < editCounts_.size(); ++i) {
        editCounts_[i] = std::max(editCounts_[i] - 1, 0);
        if (editCounts_[i] == 0) holdHighlight(i, false);
    }
    refreshTexts();
    if (hideWhenIdle_) {
        hideWhenIdle_ = false;
        startHideTimer();
    }
}
