#include "gui/RootControl.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr float kNoDistance = 1.1920929e-7f;
constexpr int kRightEmulationMask = 0x187;

Point clampSpeed(const Point& speed) {
    return {std::clamp(speed.x, -1.0f, 1.0f), std::clamp(speed.y, -1.0f, 1.0f)};
}

bool timerRunning(const Timer* timer) {
    return timer != nullptr && timer->enabled.getValue();
}

} // namespace

RootControl::RootControl(UserInterface& userInterface)
    : Control(userInterface), fullScreen(this, false), liveness_(std::make_shared<Liveness>()) {}

RootControl::~RootControl() {
    endLiveness();
    // Destroyed inside a message: the lock that message took goes with it.
    if (lockDepth_ > 0) {
        lockDepth_ = 0;
        unlock();
    }
    delete gestureTimer_;
    delete singleClickTimer_;
}

void RootControl::endLiveness() {
    liveness_->alive.store(false, std::memory_order_release);
}

Point RootControl::convertToControl(const Control& control, const Point& point) {
    return control.fromRoot(point);
}

// ---- the lock ----------------------------------------------------------------

void RootControl::lock() {
    LockedObject::lock();
    noteLocked();
}

bool RootControl::tryEnter() {
    if (!LockedObject::tryEnter()) return false;
    noteLocked();
    return true;
}

void RootControl::noteLocked() {
    if (holdCount_++ == 0) owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void RootControl::unlock() {
    if (--holdCount_ == 0) owner_.store(std::thread::id(), std::memory_order_relaxed);
    LockedObject::unlock();
}

int RootControl::releaseLock() {
    const int depth = lockDepth_;
    if (depth >= 1) {
        lockDepth_ = 0;
        unlock();
    }
    return depth;
}

void RootControl::reacquireLock(int depth) {
    if (depth <= 0) return;
    lock();
    lockDepth_ = depth;
}

void RootControl::unlockSaved() {
    if (lockDepth_ < 1) return;
    lockDepth_ = 0;
    unlock();
}

void RootControl::enterFullScreen() {}

void RootControl::leaveFullScreen() {}

// ---- capture and the pending click ------------------------------------------

void RootControl::setMouseCapture(Control* control) {
    if (control == captureHolder_) return;
    if (Control* previous = captureHolder_) {
        endGesture();
        captureHolder_ = nullptr;
        previous->captureLost();
    }
    captureHolder_ = control;
    captureChangedEvent.notify(this);
}

void RootControl::setPendingClick(Control* control) {
    pendingClick_ = control;
    if (control != nullptr) startSingleClickTimer();
}

void RootControl::clearPendingClick() {
    pendingClick_ = nullptr;
    stopSingleClickTimer();
}

void RootControl::startSingleClickTimer() {
    if (singleClickTimer_ == nullptr) {
        singleClickTimer_ = userInterface().createTimer();
        singleClickTimer_->tickEvent.setHandler(NotifyEvent::bind(this, &RootControl::singleClickTick));
        singleClickTimer_->destroyEvent.addHandler(
            NotifyEvent::bind([this] { singleClickTimer_ = nullptr; }));
    }
    int interval = 500;
    if (userInterface().hasPlatformDelegate())
        interval = userInterface().platformDelegate().doubleClickTime();
    singleClickTimer_->interval.setValue(interval);
    singleClickTimer_->enabled.setValue(false);
    singleClickTimer_->enabled.setValue(true);
}

void RootControl::stopSingleClickTimer() {
    if (singleClickTimer_ != nullptr) singleClickTimer_->enabled.setValue(false);
}

void RootControl::firePendingClick() {
    Control* pending = pendingClick_;
    clearPendingClick();
    // Cleared first: the click's handlers may delete the control or press again.
    if (pending != nullptr) pending->fireEvent8();
}

void RootControl::singleClickTick() {
    firePendingClick();
}

void RootControl::startTimer(int, int) {}

void RootControl::stopTimer(int) {}

// ---- pointer input ----------------------------------------------------------

void RootControl::handleMouseDown(int button, const Point& point, int modifiers) {
    userInterface().setPointerDrag(UserInterface::PointerDrag::kIdle);
    if (pendingClick_ != nullptr) {
        if ((modifiers & kDoubleClickBit) == 0)
            firePendingClick();
        else
            clearPendingClick();
    }
    if (button == kMouseLeft && (modifiers & kRightEmulationMask) == kRightEmulationBit) {
        button = 1;
        modifiers &= ~kRightEmulationBit;
        rightEmulation_ = true;
    } else {
        rightEmulation_ = false;
        if (button == kMouseLeft) leftButtonHeld_ = true;
    }
    const LivenessToken token = liveness_;
    Control* target = getEventTarget();
    target->dispatchMouseMove(convertToControl(*target, point), modifiers | kSyntheticMoveBits);
    if (!token->alive) return;
    target = getEventTarget();
    target->dispatchMouseDown(button, convertToControl(*target, point), modifiers);
    if (!token->alive) return;
    lastPress_ = point;
}

void RootControl::handleMouseMove(const Point& point, int modifiers) {
    if (pendingClick_ != nullptr) {
        int threshold = 4;
        if (userInterface().hasPlatformDelegate())
            threshold = userInterface().platformDelegate().dragThreshold();
        const auto limit = static_cast<float>(threshold);
        if (std::fabs(point.x - lastPress_.x) > limit || std::fabs(point.y - lastPress_.y) > limit)
            firePendingClick();
    }
    UserInterface& ui = userInterface();
    if (ui.pointerDrag() == UserInterface::PointerDrag::kMenuOpened) {
        ui.setPointerDrag(UserInterface::PointerDrag::kMoved);
        ui.intervalClock().restart();
    }
    const LivenessToken token = liveness_;
    Control* target = getEventTarget();
    target->dispatchMouseMove(convertToControl(*target, point), modifiers);
    if (!token->alive) return;
    if (target != this && getEventTarget() == this) dispatchMouseMove(point, modifiers);
}

void RootControl::handleMouseUp(int button, const Point& point, int modifiers) {
    if (rightEmulation_) {
        button = 1;
        modifiers &= ~kRightEmulationBit;
        rightEmulation_ = false;
    }
    const LivenessToken token = liveness_;
    endGesture();
    if (!token->alive) return;
    leftButtonHeld_ = false;
    Control* target = getEventTarget();
    target->dispatchMouseMove(convertToControl(*target, point), modifiers | kSyntheticMoveBits);
    if (!token->alive) return;
    target = getEventTarget();
    target->dispatchMouseUp(button, convertToControl(*target, point), modifiers);
}

// ---- the wheel gesture ------------------------------------------------------

bool RootControl::handleMouseWheel(const Point& point, int modifiers, const Point& speed,
                                   const Point& distance, float factor) {
    if (std::fabs(distance.x) <= kNoDistance && std::fabs(distance.y) <= kNoDistance) return false;
    if (gestureTimer_ == nullptr) {
        gestureTimer_ = userInterface().createTimer();
        gestureTimer_->interval.setValue(kGestureTimeout);
        gestureTimer_->tickEvent.setHandler(NotifyEvent::bind(this, &RootControl::endGesture));
        gestureTimer_->destroyEvent.addHandler(NotifyEvent::bind([this] { gestureTimer_ = nullptr; }));
    }
    const LivenessToken token = liveness_;
    if (timerRunning(gestureTimer_)) {
        // The gesture continues; the countdown starts again below.
        gestureTimer_->enabled.setValue(false);
    } else {
        gestureTimer_->interval.setValue(kGestureTimeout);
        const Point none(0.0f, 0.0f);
        Control* target = getEventTarget();
        const bool taken = target->dispatchGesture(
            kWheelGesture, kGestureBegin, convertToControl(*target, point), modifiers, none, none, 0.0f);
        if (!token->alive) return false;
        if (!taken && captureHolder_ != nullptr &&
            captureHolder_->captureState() >= CaptureState::kOtherGesture) {
            setMouseCapture(nullptr);
            if (!token->alive) return false;
            dispatchGesture(kWheelGesture, kGestureBegin, point, modifiers, none, none, 0.0f);
            if (!token->alive) return false;
        }
        gestureTarget_ = getEventTarget();
        gestureOrigin_ = convertToControl(*gestureTarget_, point);
    }
    const bool taken = dispatchWheelChange(point, modifiers, speed, distance, factor);
    if (!token->alive) return taken;
    // A declined change keeps a running gesture's countdown, so its end still comes.
    if (taken || gestureKinds_ != 0) {
        gestureTimer_->enabled.setValue(true);
        if (taken) gestureKinds_ |= 1;
    }
    return taken;
}

bool RootControl::dispatchWheelChange(const Point& point, int modifiers, const Point& speed,
                                      const Point& distance, float factor) {
    if (gestureTarget_ != nullptr)
        return gestureTarget_->dispatchGesture(kWheelGesture, kGestureChange, gestureOrigin_, modifiers,
                                               clampSpeed(speed), distance, factor);
    Control* target = getEventTarget();
    return target->dispatchGesture(kWheelGesture, kGestureChange, convertToControl(*target, point), modifiers,
                                   clampSpeed(speed), distance, factor);
}

void RootControl::endGesture() {
    if (!timerRunning(gestureTimer_)) return;
    gestureTimer_->enabled.setValue(false);
    Control* target = gestureTarget_;
    const int kinds = gestureKinds_;
    gestureTarget_ = nullptr;
    gestureKinds_ = 0;
    if (target == nullptr) return;
    const LivenessToken token = liveness_;
    const Point none(0.0f, 0.0f);
    for (int kind = 0; kind < 2; ++kind) {
        if ((kinds & (1 << kind)) == 0) continue;
        AliveGuard guard(target);
        bool taken = false;
        if (target->captureState() == CaptureState::kNone) {
            if (Control* child = target->findChildAt(none)) {
                const Point local = none - Point(child->bounds.getValue().left, child->bounds.getValue().top);
                taken = child->dispatchGesture(kind, kGestureEnd, local, 0, none, none, 0.0f);
            }
        }
        if (!token->alive || !guard.alive()) return;
        if (!taken) target->gesture(kind, kGestureEnd, none, 0, none, none, 0.0f);
        if (!token->alive || !guard.alive()) return;
    }
}

// ---- painting and properties ------------------------------------------------

void RootControl::addDirtyRect(const Rect& rect) {
    unite(windowDirtyRect_, rect);
}

void RootControl::paint(Bitmap& bitmap) {
    if (windowDirtyRect_.width() <= 0.0f || windowDirtyRect_.height() <= 0.0f) return;
    Canvas& canvas = bitmap.getCanvas();
    canvas.clip.setValue(windowDirtyRect_);
    render(canvas);
    clearDirtyRect();
}

void RootControl::draw(Canvas& canvas) {
    Bitmap& background = userInterface().backgroundBitmap();
    const Rect area = localRect();
    if (background.pixelWidth() > 0 && background.pixelHeight() > 0)
        canvas.drawBitmap(background, area, Point(0.0f, 0.0f), 255);
    else
        canvas.fillRect(area, Color(192, 192, 192, 255));
}

void RootControl::boundsChanged() {
    Control::boundsChanged();
    setMouseCapture(nullptr);
}

void RootControl::propertyChanged(AbstractProperty& property) {
    if (&property != &fullScreen) {
        Control::propertyChanged(property);
        return;
    }
    paused_ = true;
    const LivenessToken token = liveness_;
    fullScreenSwitchedEvent.notify(this);
    if (!token->alive) return;
    userInterface().deviceBacking().useSecondTable.setValue(fullScreen.getValue());
    if (fullScreen.getValue())
        enterFullScreen();
    else
        leaveFullScreen();
    if (token->alive) paused_ = false;
}

} // namespace gui
