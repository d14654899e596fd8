#include "editor/ParameterButton.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// The modifier bits that choose a mouse action.
constexpr int kActionMask = 135;

} // namespace

ParameterButton::Channel::Channel(gui::UserInterface& userInterface) : tracker(userInterface.clock()) {}

ParameterButton::ParameterButton(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                                 gui::Button::Style* style)
    : gui::Button(userInterface, style), invertAxisLock(this, false), dragThreshold(this, true),
      limitToRange(this, true), interface_(&interface) {
    for (auto& channel : channels_)
        channel = std::make_unique<Channel>(userInterface);
}

ParameterButton::~ParameterButton() {
    // The host hears the end of whatever the button still holds.
    endChannels(false);
}

void ParameterButton::setParameter(int channel, AbstractPluginParameter* parameter) {
    if (channel < 0 || channel >= kChannels) return;
    Channel& c = *channels_[std::size_t(channel)];
    if (c.parameter == parameter) return;
    endChannel(channel);
    c.parameter = parameter;
    refreshParameterRange(channel);
}

AbstractPluginParameter* ParameterButton::parameter(int channel) const {
    if (channel < 0 || channel >= kChannels) return nullptr;
    return channels_[std::size_t(channel)]->parameter;
}

int ParameterButton::rangeMinimum(int channel) const {
    return channels_[std::size_t(channel)]->minimum;
}

int ParameterButton::rangeMaximum(int channel) const {
    return channels_[std::size_t(channel)]->maximum;
}

int ParameterButton::dragValue(int channel) const {
    return channels_[std::size_t(channel)]->dragValue;
}

bool ParameterButton::gestureOpen(int channel) const {
    return channels_[std::size_t(channel)]->open;
}

// ---- positions ---------------------------------------------------------------------------

void ParameterButton::getParameterRange(int channel, int& minimum, int& maximum) {
    AbstractPluginParameter* p = parameter(channel);
    if (p == nullptr) {
        minimum = maximum = 0;
    } else if (p->isStepped()) {
        minimum = int(std::trunc(p->getMin()));
        maximum = int(std::trunc(p->getMax()));
    } else {
        minimum = 0;
        maximum = kContinuousSpan;
    }
}

void ParameterButton::refreshParameterRange(int channel) {
    Channel& c = *channels_[std::size_t(channel)];
    const int span = c.maximum - c.minimum;
    getParameterRange(channel, c.minimum, c.maximum);
    c.tracker.resolution.setValue(std::max(c.maximum - c.minimum, 1));
    c.tracker.stepped.setValue(c.parameter != nullptr && c.parameter->isStepped());
    if (c.open) {
        c.tracker.reset();
        c.dragStart = c.dragValue = captureValue(channel);
    }
    if (c.maximum - c.minimum != span) rangeChangedEvent.notify(this);
}

int ParameterButton::positionOf(int record, float value) const {
    const Channel& c = *channels_[std::size_t(record)];
    double position;
    if (c.parameter->isStepped())
        position = std::round(double(value));
    else // the nearest unit: truncation loses a unit at many positions
        position = std::round(double(c.parameter->toLinearNormalized(value)) * kContinuousSpan);
    if (std::isnan(position)) position = c.minimum;
    return int(std::clamp(position, double(c.minimum), double(c.maximum)));
}

float ParameterButton::valueAt(int record, int position) const {
    const Channel& c = *channels_[std::size_t(record)];
    if (c.parameter->isStepped()) return float(position);
    return c.parameter->fromLinearNormalized(float(double(position) / kContinuousSpan));
}

int ParameterButton::captureValue(int channel) {
    AbstractPluginParameter* p = parameter(channel);
    return p != nullptr ? positionOf(channel, p->getValue()) : -1;
}

float ParameterButton::getDisplayedValue(int channel) {
    AbstractPluginParameter* p = parameter(channel);
    if (p == nullptr) return 0.0f;
    const Channel& c = *channels_[std::size_t(channel)];
    if (!c.open) return p->getValue();
    return valueAt(channel, std::clamp(c.dragValue, c.minimum, c.maximum));
}

void ParameterButton::positionChanged(int, int, int) {}

void ParameterButton::parameterChanged(int index) {
    if (dragState_ == DragState::kDragging) return;
    for (int k = 0; k < kChannels; ++k) {
        AbstractPluginParameter* p = parameter(k);
        if (p == nullptr || (index != -1 && p->getIndex() != index)) continue;
        positionChanged(k, captureValue(k), channels_[std::size_t(k)]->dragValue);
        return;
    }
}

void ParameterButton::parametersAt(const gui::Point& point, std::vector<int32_t>& indices) {
    gui::Rect paint;
    getPaintBounds(paint);
    if (!paint.contains(point)) return;
    for (int k = 0; k < kChannels; ++k)
        if (AbstractPluginParameter* p = parameter(k)) indices.push_back(p->getIndex());
}

// ---- gestures ------------------------------------------------------------------------------

int ParameterButton::performGesture(int, int) {
    return 0;
}

int ParameterButton::stepGesture(int phase, int channel, int delta, int flags) {
    return changeValue(phase, channel, delta, flags);
}

int ParameterButton::changeValue(int phase, int channel, int delta, int flags) {
    if (channel < 0 || channel >= kChannels) return 0;
    Channel& c = *channels_[std::size_t(channel)];
    if (c.parameter == nullptr) return 0;
    const int index = c.parameter->getIndex();
    if (phase != gui::kGestureChange) {
        if (phase == gui::kGestureBegin) c.dragStart = c.dragValue = captureValue(channel);
        interface_->sendParameterChange(phase, index, 0.0f);
        return 0;
    }
    std::int64_t base = c.dragValue;
    if (limitToRange.getValue() && (flags & kFromValue))
        base = std::clamp<std::int64_t>(base, c.minimum, c.maximum);
    std::int64_t target = (flags & kUnlimitedGroupFirst) ? c.dragStart : base + delta;
    target = std::clamp<std::int64_t>(target, c.minimum, c.maximum);
    const std::int64_t moved = limitToRange.getValue() ? target - base : delta;
    if (!(flags & kQueryOnly)) {
        const int previous = c.dragValue;
        c.dragValue = int(target);
        // Only a position that moved sends a value.
        if (c.dragValue != previous) {
            positionChanged(channel, c.dragValue, int(base));
            interface_->sendParameterChange(gui::kGestureChange, index, valueAt(channel, c.dragValue));
        }
    }
    return int(std::min<std::int64_t>(std::llabs(moved), INT32_MAX));
}

int ParameterButton::recordFor(int channel) const {
    const int second = channel + 2;
    return secondPair_ && channels_[std::size_t(second)]->parameter != nullptr ? second : channel;
}

void ParameterButton::beginChannel(int record) {
    Channel& c = *channels_[std::size_t(record)];
    if (c.parameter == nullptr || c.open) return;
    c.tracker.reset();
    c.dragStart = c.dragValue = -1;
    c.open = true;
    applyGesture(gui::kGestureBegin, record, 0, 0);
}

void ParameterButton::endChannel(int record) {
    Channel& c = *channels_[std::size_t(record)];
    if (!c.open) return;
    c.open = false;
    applyGesture(gui::kGestureEnd, record, 0, 0);
}

void ParameterButton::beginChannels() {
    beginChannel(recordFor(0));
    beginChannel(recordFor(1));
}

void ParameterButton::endChannels(bool storeUndo) {
    bool any = false;
    for (int k = 0; k < kChannels; ++k) {
        if (!channels_[std::size_t(k)]->open) continue;
        any = true;
        endChannel(k);
    }
    wheelChannel_ = -1;
    if (storeUndo && any) interface_->storeUndoStepIfChanged(pressValues_);
}

void ParameterButton::setSecondPair(int modifiers) {
    const bool wanted = (gui::modifierMode(modifiers) & gui::kModeLink) != 0 &&
                        (parameter(2) != nullptr || parameter(3) != nullptr);
    if (wanted == secondPair_) return;
    if (dragState_ != DragState::kDragging) {
        secondPair_ = wanted;
        return;
    }
    // The old pair's gestures end and the new pair's begin.
    const int old0 = recordFor(0), old1 = recordFor(1);
    secondPair_ = wanted;
    const int new0 = recordFor(0), new1 = recordFor(1);
    if (old0 != new0) endChannel(old0);
    if (old1 != new1) endChannel(old1);
    if (old0 != new0) beginChannel(new0);
    if (old1 != new1) beginChannel(new1);
}

bool ParameterButton::midiLearnActive() const {
    return interface_->isMidiLearnActive();
}

void ParameterButton::resetToDefault() {
    for (int k = 0; k < kChannels; ++k) {
        AbstractPluginParameter* p = parameter(k);
        if (p == nullptr) continue;
        interface_->sendParameterChange(gui::kGestureBegin, p->getIndex(), 0.0f);
        interface_->sendParameterChange(gui::kGestureChange, p->getIndex(), p->getDefault());
        interface_->sendParameterChange(gui::kGestureEnd, p->getIndex(), 0.0f);
    }
}

void ParameterButton::performMouseAction(int, int modifiers) {
    if (!(gui::modifierMode(modifiers & kActionMask) & gui::kModeReset) || midiLearnActive()) return;
    resetToDefault();
    interface_->storeUndoStepIfChanged(pressValues_);
}

// ---- input -----------------------------------------------------------------------------------

void ParameterButton::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    // A second press ends whatever the first one left open.
    if (dragState_ != DragState::kIdle || wheelChannel_ >= 0) {
        const bool dragged = dragState_ == DragState::kDragging || wheelChannel_ >= 0;
        dragState_ = DragState::kIdle;
        endChannels(dragged);
        if (!alive.alive()) return;
    }
    gui::Button::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft || !pressed()) return;
    dragState_ = DragState::kPressed;
    pressValues_ = interface_->undoValues();
    pressPoint_ = lastPoint_ = point;
    largestDx_ = largestDy_ = 0.0f;
    axisLock_ = -1;
    for (auto& channel : channels_)
        channel->tracker.setClickPoint(point);
    setSecondPair(modifiers);
    if (dragThreshold.getValue() || midiLearnActive()) return;
    if ((gui::modifierMode(modifiers & kActionMask) & gui::kModeReset) && parameter(2) == nullptr &&
        parameter(3) == nullptr) {
        resetToDefault(); // the button stays pressed; the release resets again
        return;
    }
    dragState_ = DragState::kDragging;
    beginChannels();
}

void ParameterButton::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::Button::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    // Hovering with the link modifier chooses the pair too (the wheel and
    // the value labels follow it).
    if (dragState_ == DragState::kIdle) {
        setSecondPair(modifiers);
        return;
    }
    updateLinkFromModifiers(modifiers);
    setSecondPair(modifiers);
    if (dragState_ == DragState::kPressed) {
        const bool far = std::fabs(point.x - pressPoint_.x) > gui::kDragThreshold ||
                         std::fabs(point.y - pressPoint_.y) > gui::kDragThreshold;
        if (!far || midiLearnActive()) return;
        lastPoint_ = point;
        dragState_ = DragState::kDragging;
        beginChannels();
        return;
    }
    const bool constrain =
        ((gui::modifierMode(modifiers) & gui::kModeFine) != 0) != invertAxisLock.getValue();
    if (constrain) {
        largestDx_ = std::max(largestDx_, std::fabs(point.x - pressPoint_.x));
        largestDy_ = std::max(largestDy_, std::fabs(point.y - pressPoint_.y));
        axisLock_ = largestDx_ > largestDy_ ? 1 : 0;
    } else {
        axisLock_ = -1;
    }
    for (int channel = 0; channel < 2; ++channel) {
        const int record = recordFor(channel);
        Channel& c = *channels_[std::size_t(record)];
        if (c.parameter == nullptr || !c.open) continue;
        const float delta = channel == 0 ? point.x - lastPoint_.x : lastPoint_.y - point.y;
        const int steps = c.tracker.dragMove(*this, point, delta, modifiers);
        const int flags = channel == axisLock_ ? kUnlimitedGroupFirst : 0;
        if (steps != 0 || flags != 0) applyGesture(gui::kGestureChange, record, steps, flags);
        if (!alive.alive()) return;
    }
    lastPoint_ = point;
}

void ParameterButton::mouseUp(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    if (button == gui::kMouseLeft) {
        const DragState state = dragState_;
        dragState_ = DragState::kIdle;
        if (state == DragState::kPressed)
            performMouseAction(button, modifiers);
        else if (state == DragState::kDragging)
            endChannels(true);
        if (!alive.alive()) return;
    }
    gui::Button::mouseUp(button, point, modifiers);
}

void ParameterButton::captureLost() {
    const bool pressed = captureState() == CaptureState::kPress;
    gui::Button::captureLost();
    if (dragState_ == DragState::kIdle) return;
    // The button's own release gives the capture up just before its mouseUp.
    gui::RootControl* r = root();
    if (pressed && r != nullptr && !r->isLeftButtonHeld()) return;
    const bool dragged = dragState_ == DragState::kDragging;
    dragState_ = DragState::kIdle;
    endChannels(dragged);
}

bool ParameterButton::mouseWheel(int phase, const gui::Point&, int modifiers, const gui::Point& firstDelta,
                                 const gui::Point&) {
    if (dragState_ != DragState::kIdle) return true;
    const bool horizontal = std::fabs(firstDelta.x) > std::fabs(firstDelta.y);
    const int record = recordFor(horizontal ? 0 : 1);
    if (parameter(record) == nullptr) return false;
    AliveGuard alive(this);
    if (phase == gui::kGestureEnd) {
        endWheel();
        return true;
    }
    if (wheelChannel_ != record) {
        endWheel();
        if (!alive.alive()) return true;
        wheelChannel_ = record;
        pressValues_ = interface_->undoValues();
        beginChannel(record);
        if (!alive.alive()) return true;
    }
    if (phase == gui::kGestureChange) {
        const float speed = std::clamp(horizontal ? firstDelta.x : firstDelta.y, -1.0f, 1.0f);
        const int steps = channels_[std::size_t(record)]->tracker.wheelStep(speed, speed, modifiers);
        if (steps != 0) applyGesture(gui::kGestureChange, record, steps, 0);
    }
    return true;
}

void ParameterButton::endWheel() {
    if (wheelChannel_ < 0) return;
    wheelChannel_ = -1;
    endChannels(true);
}

void ParameterButton::propertyChanged(AbstractProperty& property) {
    gui::Button::propertyChanged(property);
    const bool gone = (&property == &visible && !visible.getValue()) ||
                      (&property == &enabled && !enabled.getValue()) || &property == &parent;
    if (!gone || (dragState_ == DragState::kIdle && wheelChannel_ < 0)) return;
    AliveGuard alive(this);
    if (gui::RootControl* r = root(); r != nullptr && r->getCaptureHolder() == this)
        r->setMouseCapture(nullptr);
    if (!alive.alive()) return;
    const bool dragged = dragState_ == DragState::kDragging || wheelChannel_ >= 0;
    dragState_ = DragState::kIdle;
    endChannels(dragged);
}
