#include "gui/ValueControl.h"

#include "foundation/ModifierModeTable.h"
#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gui {

namespace {

float identity(float v) {
    return v;
}

constexpr float kRatioFloor = 0.0005f;

} // namespace

int modifierMode(int modifiers) {
    if (modifiers & kRightPressEmulation) return 0;
    std::uint32_t keys = 0;
    if (modifiers & kShift) keys |= kModifierShift;
    if (modifiers & kAlt) keys |= kModifierAlt;
    if (modifiers & kCtrl) keys |= kModifierControl;
    return gestureModeForModifiers(keys);
}

// ---- link group ----------------------------------------------------------------

ValueLinkGroup::ValueLinkGroup() : forward(identity), inverse(identity) {}

int ValueLinkGroup::computeStep(ValueControl* driver, int phase, int channel, int delta, int flags) {
    const std::vector<ValueControl*> others = members; // a listener may unlink meanwhile
    auto isMember = [this](ValueControl* c) {
        return std::find(members.begin(), members.end(), c) != members.end();
    };
    int best = 0;
    if (phase != kGestureChange) {
        for (ValueControl* m : others) {
            if (m == driver || !isMember(m)) continue;
            if (phase == kGestureBegin) m->led_ = true;
            best = std::max(best, m->stepGesture(phase, channel, delta, flags));
        }
        return best;
    }
    const int d = mode == Mode::kMirrored ? -delta : delta;
    const int driverStart = driver->linkStartValue_;
    const int driverAt = driver->gesturePosition_;
    const bool driverMapped = driver->valueToPosition != nullptr;
    bool ratioForm = false;
    float s = 0.0f, ratio = 0.0f, largestInverse = 1.0f;
    if (mode == Mode::kProportional) {
        s = forward(driver->position(driverStart));
        if (std::fabs(s) > kRatioFloor) {
            ratioForm = true;
            const double target = double(driverAt) + ((flags & ValueControl::kQueryOnly) ? delta : 0);
            const double range = double(driver->maximum.getValue()) - double(driver->minimum.getValue());
            if (target > driver->maximum.getValue())
                ratio = float(((target - driver->maximum.getValue()) / range + 1.0) / s);
            else
                ratio = forward(driver->position(int(target))) / s;
        }
    }
    for (ValueControl* m : others) {
        if (m == driver || !isMember(m)) continue;
        const int memberBase = m->minimum.getValue() - m->gesturePosition_;
        int step = d;
        if (driver->resetStep_) {
            step = memberBase + m->toSteps(m->valueAt(driver->position(driverAt)));
        } else if (mode == Mode::kMirroredMapped) {
            const float p =
                inverse(forward(m->position(m->linkStartValue_)) + forward(driver->position(driverStart)) -
                        forward(driver->position(driverAt)));
            step = memberBase + m->toSteps(m->valueAt(p));
        } else if (driverMapped || m->valueToPosition != nullptr) {
            float moved = driver->position(driverAt) - driver->position(driverStart);
            if (mode == Mode::kMirrored) moved = -moved;
            step = memberBase + m->toSteps(m->valueAt(m->position(m->linkStartValue_) + moved));
        } else if (ratioForm) {
            const float r = forward(m->normalized(m->linkStartValue_));
            step = memberBase + m->toSteps(m->valueAt(inverse(r * ratio)));
            if (r > kRatioFloor) largestInverse = std::max(largestInverse, 1.0f / r);
        }
        best = std::max(best, m->stepGesture(kGestureChange, channel, step, flags));
    }
    if (!ratioForm || driver->resetStep_) return best;
    const float f = std::min(largestInverse, ratio) * s;
    if (f <= 1.0f) return 0;
    const double range = double(driver->maximum.getValue()) - double(driver->minimum.getValue());
    const double limit = std::trunc((double(f) - 1.0) * range + driver->maximum.getValue());
    return int(std::min(std::fabs(limit - driverAt), 2147483647.0));
}

// ---- value control ---------------------------------------------------------------

ValueControl::ValueControl(UserInterface& userInterface)
    : AnimatedControl(userInterface), defaultValue(this, 0), indeterminate(this, false), maximum(this, 4096),
      minimum(this, 0), value(this, 0), controlId(this, -1),
      transformBehavior(this, TransformBehavior::kNone) {}

ValueControl::~ValueControl() {
    // The listener and the followers hear of the end; this control's own
    // events stay silent.
    quiet_ = true;
    endGesture();
    unlink();
}

float ValueControl::normalized(int v) const {
    const double range = double(maximum.getValue()) - double(minimum.getValue());
    return float((double(v) - minimum.getValue()) / range);
}

float ValueControl::position(int v) const {
    const float n = normalized(v);
    return valueToPosition != nullptr ? valueToPosition(n) : n;
}

float ValueControl::valueAt(float p) const {
    return positionToValue != nullptr ? positionToValue(p) : p;
}

int ValueControl::toSteps(double t) const {
    const double range = double(maximum.getValue()) - double(minimum.getValue());
    double steps = std::trunc((0.5 / range + t) * range);
    if (std::isnan(steps)) steps = 0.0;
    steps = std::clamp(steps, 0.0, range);
    return int(steps);
}

void ValueControl::setNormalizedValue(float t) {
    if (positionToValue != nullptr) t = positionToValue(t);
    value.setValue(int(double(minimum.getValue()) + toSteps(t)));
}

void ValueControl::propertyChanged(AbstractProperty& property) {
    AnimatedControl::propertyChanged(property);
    if (guard_) return;
    guard_ = true;
    if (inGesture_ && &property == &value && value.getValue() != gestureValue_)
        value.setValue(gestureValue_); // an outside change cannot move a control the user holds
    else
        valueControlPropertyChanged(property);
    guard_ = false;
    // A control that goes away from the user mid-gesture ends it.
    const bool gone = (&property == &visible && !visible.getValue()) ||
                      (&property == &enabled && !enabled.getValue()) || &property == &parent;
    if (gone && inGesture_) {
        AliveGuard alive(this);
        if (RootControl* r = root(); r != nullptr && r->getCaptureHolder() == this)
            r->setMouseCapture(nullptr);
        if (alive.alive()) endGesture();
    }
}

void ValueControl::valueControlPropertyChanged(AbstractProperty& property) {
    if (&property == &maximum && maximum.getValue() <= minimum.getValue())
        minimum.setValue(maximum.getValue() - 1);
    else if (&property == &minimum && minimum.getValue() >= maximum.getValue())
        maximum.setValue(minimum.getValue() + 1);
    if (&property == &value || &property == &minimum || &property == &maximum) {
        const int v = value.getValue();
        if (v < minimum.getValue())
            value.setValue(minimum.getValue());
        else if (v > maximum.getValue())
            value.setValue(maximum.getValue());
        if (!inGesture_) gesturePosition_ = value.getValue();
    }
}

void ValueControl::valueChanged() {
    valueChangedEvent.notify(this);
}

int ValueControl::performGesture(int phase, int delta) {
    return applyGesture(phase, 0, delta, 0);
}

int ValueControl::stepGesture(int phase, int /*channel*/, int delta, int flags) {
    if (phase == kGestureBegin) {
        if (inGesture_) stepGesture(kGestureEnd, gestureChannel_, 0, 0);
        gestureValue_ = gesturePosition_ = linkStartValue_ = value.getValue();
        inGesture_ = true;
        endOnRelease_ = false;
        if (listener_ != nullptr) listener_->valueControlChanged(this, kGestureBegin, 0);
        if (!quiet_) gestureBeginEvent.notify(this);
        return 0;
    }
    if (phase == kGestureChange) {
        const std::int64_t base = (flags & kFromValue) ? value.getValue() : gesturePosition_;
        const std::int64_t target =
            std::clamp<std::int64_t>(base + delta, std::int64_t(INT32_MIN), std::int64_t(INT32_MAX));
        const int clamped = target < minimum.getValue()
                                ? minimum.getValue()
                                : int(std::min<std::int64_t>(target, maximum.getValue()));
        int step = std::abs(clamped - value.getValue());
        if (!resetStep_ && delta != 0 && listener_ != nullptr)
            step = std::max(step, listener_->valueControlQuery(this, delta));
        if (flags & kQueryOnly) return step;
        gesturePosition_ = int(target);
        if (step < 1 && !(resetStep_ && indeterminate.getValue())) return step;
        gestureValue_ = clamped;
        value.setValue(clamped);
        if (listener_ != nullptr)
            listener_->valueControlChanged(this, kGestureChange, resetStep_ ? 0 : delta);
        if (!quiet_) valueChanged();
        return step;
    }
    if (!inGesture_) return 0; // an end without a begin
    gesturePosition_ = value.getValue();
    inGesture_ = false;
    led_ = false;
    endOnRelease_ = false;
    if (listener_ != nullptr) listener_->valueControlChanged(this, phase, 0);
    if (!quiet_) gestureEndEvent.notify(this);
    return 0;
}

int ValueControl::applyGesture(int phase, int channel, int delta, int flags) {
    const std::uint32_t bit = std::uint32_t{1} << (unsigned(channel) % 32u);
    if (phase == kGestureBegin) {
        if (inGesture_) endGesture(); // a begin during a gesture ends the running one first
        linkedChannels_ &= ~bit;
        gestureChannel_ = channel;
        stepGesture(kGestureBegin, channel, delta, flags);
    }
    const bool following = linkActive_ && linkGroup_ != nullptr;
    if (following != ((linkedChannels_ & bit) != 0)) {
        if (following) {
            linkStartValue_ = value.getValue();
            linkedChannels_ |= bit;
            linkGroup_->computeStep(this, kGestureBegin, channel, 0, 0);
        } else {
            linkedChannels_ &= ~bit;
            if (linkGroup_ != nullptr) linkGroup_->computeStep(this, kGestureEnd, channel, 0, 0);
            flags |= kFromValue;
        }
    }
    if (phase == kGestureBegin) return 0;
    if (phase == kGestureChange) {
        if (!(flags & (kUnlimitedGroupFirst | kUnlimited))) {
            int s = stepGesture(kGestureChange, channel, delta, flags | kQueryOnly);
            if (following)
                s = std::max(
                    s, linkGroup_->computeStep(this, kGestureChange, channel, delta, flags | kQueryOnly));
            delta = std::clamp(delta, -s, s);
        }
        if (flags & kUnlimitedGroupFirst) {
            int result = 0;
            if (following) result = linkGroup_->computeStep(this, kGestureChange, channel, delta, flags);
            return std::max(result, stepGesture(kGestureChange, channel, delta, flags));
        }
        const bool group = following && linkGroup_->members.size() > 2 && listener_ != nullptr;
        ValueControlListener* groupListener = group ? listener_ : nullptr;
        if (groupListener != nullptr) groupListener->beginValueControlGroup();
        int result = stepGesture(kGestureChange, channel, delta, flags);
        if (following && linkGroup_ != nullptr)
            result = linkGroup_->computeStep(this, kGestureChange, channel, delta, flags);
        if (groupListener != nullptr) groupListener->endValueControlGroup();
        return result;
    }
    if (following) {
        linkedChannels_ &= ~bit;
        linkGroup_->computeStep(this, phase, channel, delta, flags);
    }
    return stepGesture(phase, channel, delta, flags);
}

void ValueControl::endGesture() {
    const std::uint32_t bit = std::uint32_t{1} << (unsigned(gestureChannel_) % 32u);
    if (linkedChannels_ & bit) {
        linkedChannels_ &= ~bit;
        if (linkGroup_ != nullptr) linkGroup_->computeStep(this, kGestureEnd, gestureChannel_, 0, 0);
    }
    if (inGesture_) stepGesture(kGestureEnd, gestureChannel_, 0, 0);
}

void ValueControl::updateLinkFromModifiers(int modifiers) {
    linkActive_ = (modifierMode(modifiers) & kModeLink) != 0;
}

void ValueControl::resetToDefault() {
    resetStep_ = true;
    performGesture(kGestureChange, defaultValue.getValue() - gesturePosition_);
    resetStep_ = false;
}

void ValueControl::wheelPhase(int phase, const std::function<int()>& steps) {
    AliveGuard alive(this);
    if (phase == kGestureBegin) {
        performGesture(kGestureBegin, 0);
    } else if (phase == kGestureChange) {
        if (!inGesture()) performGesture(kGestureBegin, 0);
        if (!alive.alive()) return;
        const int n = steps();
        if (n != 0) wheelSteps(n);
    } else if (phase == kGestureEnd) {
        if (inGesture()) performGesture(kGestureEnd, 0);
    }
}

void ValueControl::wheelSteps(int steps) {
    performGesture(kGestureChange, steps);
}

void ValueControl::linkWith(ValueControl* other) {
    if (other == nullptr || other == this) return;
    if (other->linkGroup_ != nullptr) {
        if (other->linkGroup_ == linkGroup_) return;
        unlink();
        linkGroup_ = other->linkGroup_;
        linkGroup_->members.push_back(this);
        return;
    }
    if (linkGroup_ == nullptr) {
        linkGroup_ = new ValueLinkGroup;
        linkGroup_->members.push_back(this);
    }
    other->linkGroup_ = linkGroup_;
    linkGroup_->members.push_back(other);
}

void ValueControl::unlink() {
    ValueLinkGroup* group = linkGroup_;
    if (group == nullptr) return;
    // A driver ends its followers; a follower ends its own gesture.
    for (int channel = 0; channel < 32 && linkedChannels_ != 0; ++channel) {
        const std::uint32_t bit = std::uint32_t{1} << channel;
        if (!(linkedChannels_ & bit)) continue;
        linkedChannels_ &= ~bit;
        group->computeStep(this, kGestureEnd, channel, 0, 0);
    }
    if (led_ && inGesture_) stepGesture(kGestureEnd, gestureChannel_, 0, 0);
    linkGroup_ = nullptr;
    auto& members = group->members;
    members.erase(std::remove(members.begin(), members.end(), this), members.end());
    if (members.size() == 1) {
        members.front()->unlink(); // frees the group
    } else if (members.empty()) {
        delete group;
    }
}

// ---- input -----------------------------------------------------------------------

bool ValueControl::beginLeftPress(int button, const Point& point, int modifiers) {
    if (button != kMouseLeft) {
        ValueControl::mouseDown(button, point, modifiers);
        return false;
    }
    AliveGuard alive(this);
    updateLinkFromModifiers(modifiers);
    ValueControl::mouseDown(button, point, modifiers);
    if (!alive.alive()) return false;
    return (modifiers & kDoubleClick) == 0 || !doubleClickEnabled.getValue();
}

void ValueControl::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseDown(button, point, modifiers);
    if (alive.alive() && button == kMouseLeft) performGesture(kGestureBegin, 0);
}

void ValueControl::mouseUp(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseUp(button, point, modifiers);
    if (alive.alive() && inGesture_) performGesture(kGestureEnd, 0);
}

void ValueControl::captureLost() {
    const bool pressed = captureState() == CaptureState::kPress;
    AnimatedControl::captureLost();
    if (!inGesture_) return;
    // The control's own release gives up the capture just before its
    // mouseUp, which ends the gesture after the release's own step.
    RootControl* r = root();
    if (pressed && r != nullptr && !r->isLeftButtonHeld()) {
        endOnRelease_ = true;
        return;
    }
    endGesture();
}

// ---- rollover ----------------------------------------------------------------------

RolloverManager::RolloverManager(Control& control, int normalOpacity)
    : control_(&control), normalOpacity_(normalOpacity),
      blendBitmap_(std::make_unique<Bitmap>(control.userInterface().deviceBacking())) {}

RolloverManager::~RolloverManager() {
    if (animation_ != nullptr) {
        if (Animator* animator = Animator::of(control_->userInterface())) animator->stopAnimations(&level_);
        animation_ = nullptr;
    }
    level_ = state_ ? 255 : 0;
}

void RolloverManager::setRollover(bool on) {
    if (on == state_) return;
    state_ = on;
    Animator* animator = Animator::of(control_->userInterface());
    if (animator == nullptr) {
        level_ = on ? 255 : 0;
        control_->invalidateRect(control_->localRect());
        return;
    }
    auto* animation = new ValueAnimation<int, int>(*animator, level_, on ? 255 : 0, control_, true);
    animation->duration.setValue(on ? 100 : 300);
    animation->finishedEvent.setHandler(NotifyEvent::bind([this, animation] {
        if (animation_ == animation) animation_ = nullptr;
    }));
    animation_ = animation;
}

void RolloverManager::finish() {
    if (animation_ != nullptr) {
        if (Animator* animator = Animator::of(control_->userInterface())) animator->stopAnimations(&level_);
        animation_ = nullptr;
    }
    const int target = state_ ? 255 : 0;
    if (level_ == target) return;
    level_ = target;
    control_->invalidateRect(control_->localRect());
}

const Bitmap* RolloverManager::blend(const Bitmap& normal, const Bitmap& highlight, int& opacity,
                                     Rect* rect) {
    opacity = normalOpacity_ + (255 - normalOpacity_) * level_ / 255;
    if (level_ <= 0) return &normal;
    if (level_ >= 255) return &highlight;
    if (normal.pixelWidth() > 0 && normal.pixelHeight() > 0) {
        // Highlight pixels outside its own rect count as transparent.
        blendBitmap_->composite(normal, highlight, level_);
        if (rect != nullptr) *rect = blendBitmap_->getRect();
        return blendBitmap_.get();
    }
    opacity = level_;
    return &highlight;
}

RolloverValueControl::RolloverValueControl(UserInterface& userInterface)
    : ValueControl(userInterface), highlighted(this, false), normalOpacity(this, 255), rollover_(*this, 255) {
}

RolloverValueControl::~RolloverValueControl() = default;

void RolloverValueControl::propertyChanged(AbstractProperty& property) {
    ValueControl::propertyChanged(property);
    if (&property == &normalOpacity) {
        rollover_.setNormalOpacity(normalOpacity.getValue());
        invalidateRect(localRect());
    } else if (&property == &highlighted) {
        rollover_.setRollover(pointerInside_ || highlighted.getValue());
    }
}

void RolloverValueControl::setPointerInside(bool inside) {
    pointerInside_ = inside;
    rollover_.setRollover(inside || highlighted.getValue());
}

} // namespace gui
