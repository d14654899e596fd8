#include "gui/ScrollButton.h"

#include "gui/Canvas.h"
#include "gui/ScrollArea.h"
#include "gui/UserInterface.h"

#include <cmath>

bool PropertyEquality<gui::Gradient>::equal(const gui::Gradient& held, const gui::Gradient& candidate) {
    if (held.stopCount() != candidate.stopCount()) return false;
    for (int i = 0; i < held.stopCount(); ++i)
        if (!(held.stopColor(i) == candidate.stopColor(i)) ||
            held.stopPosition(i) != candidate.stopPosition(i))
            return false;
    return true;
}

namespace gui {

namespace {

constexpr float kNoSpeed = 1.1920929e-7f;

} // namespace

ScrollButton::ScrollButton(ScrollArea* area, ScrollDirection direction, Button::Style* style)
    : Button(area->userInterface(), style), gradient(this, Gradient()), hoverSpeed(this, 0.0f), area_(area),
      direction_(direction), timer_(IntervalTimer::create(area->userInterface().clock())) {
    link(area);
}

ScrollButton::~ScrollButton() {
    if (Animator* a = animator()) a->forget(this);
}

void ScrollButton::setBackground(Bitmap* bitmap, const Rect& part) {
    background_ = bitmap;
    backgroundPart_ = part;
    lookStale_ = true;
    refresh();
}

float ScrollButton::pressedSpeed(float x) const {
    const float offset = direction_ == ScrollDirection::kForward ? kPressOffset : -kPressOffset;
    return kPressFactor * (x - pressPoint_.x + offset);
}

void ScrollButton::setTargetSpeed(float speed) {
    if (speed == target_) return;
    Animator* a = animator();
    if (a == nullptr) return;
    target_ = speed;
    if (running_) return;
    running_ = true;
    current_ = 0.0f;
    carry_ = 0.0f;
    timer_->restart();
    // Queued by the animator when it is ticking.
    AnimatedObject* self = this;
    a->startAnimation(self, this, self);
}

void ScrollButton::step() {
    current_ += (target_ - current_) * 0.5f;
    if (std::fabs(target_) <= kNoSpeed && std::fabs(current_) <= kStopSpeed) {
        running_ = false;
        // The last act of this step: the animator may drop the button now.
        if (Animator* a = animator()) a->removeAnimation(this);
        return;
    }
    const float distance = static_cast<float>(timer_->elapsed()) * current_ * 0.001f + carry_;
    timer_->restart();
    const float whole = std::trunc(distance);
    carry_ = distance - whole;
    // Held in the area's limits: at an end the position stays put.
    if (area_ != nullptr && whole != 0.0f) area_->scrollX.setValue(area_->scrollX.getValue() + whole);
}

// ---- input -----------------------------------------------------------------------

void ScrollButton::fireEvent6(int phase) {
    if (phase == kTargetEntered)
        setTargetSpeed(kDragEnterSpeed * sign());
    else if (phase == kTargetLeft)
        setTargetSpeed(0.0f);
    else if (phase == kTargetRested)
        setTargetSpeed(kDragRestSpeed * sign());
}

int ScrollButton::hitAlpha(const Point& point) {
    if (backgroundStyle.getValue() != BackgroundStyle::kCentred) return 255;
    const Rect local = localRect();
    const Rect bitmap = activeStyle().stateBitmap(0).getRect();
    const Rect centred =
        bitmap.offset((local.width() - bitmap.width()) * 0.5f, (local.height() - bitmap.height()) * 0.5f);
    if (centred.contains(point)) return 255;
    const float middle = local.width() * 0.5f;
    const bool onDirectionSide =
        direction_ == ScrollDirection::kForward ? point.x >= middle : point.x < middle;
    return onDirectionSide ? 255 : 0;
}

void ScrollButton::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    scrollPressed_ = true;
    pressPoint_ = point;
    setTargetSpeed(pressedSpeed(point.x));
}

void ScrollButton::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    if (scrollPressed_)
        setTargetSpeed(pressedSpeed(point.x));
    else
        setTargetSpeed(pointerOnButton(point) ? hoverSpeed.getValue() : 0.0f);
}

void ScrollButton::mouseEnter() {
    AliveGuard alive(this);
    Button::mouseEnter();
    // While pressed, the next move sets the speed (enter carries no point).
    if (alive.alive() && !scrollPressed_) setTargetSpeed(hoverSpeed.getValue());
}

void ScrollButton::mouseLeave() {
    AliveGuard alive(this);
    Button::mouseLeave();
    if (alive.alive() && !scrollPressed_) setTargetSpeed(0.0f);
}

void ScrollButton::mouseUp(int button, const Point& point, int modifiers) {
    const bool released = button == kMouseLeft && scrollPressed_;
    if (released) scrollPressed_ = false;
    const bool over = pointerOnButton(point);
    AliveGuard alive(this);
    Button::mouseUp(button, point, modifiers);
    if (alive.alive() && released) setTargetSpeed(over ? hoverSpeed.getValue() : 0.0f);
}

// ---- look ------------------------------------------------------------------------

Direction ScrollButton::gradientDirection() const {
    return direction_ == ScrollDirection::kForward ? Direction::kRight : Direction::kLeft;
}

void ScrollButton::rebuildLook() {
    lookStale_ = false;
    const Gradient& g = gradient.getValue();
    if (background_ == nullptr && g.stopCount() < 2) {
        look_.reset();
        return;
    }
    if (look_ == nullptr) look_ = std::make_unique<Bitmap>(userInterface().deviceBacking());
    const Rect local = localRect();
    look_->setSize(local.width(), local.height());
    look_->clear();
    Canvas& canvas = look_->getCanvas();
    if (background_ != nullptr) canvas.drawBitmap(*background_, local, backgroundPart_.topLeft(), 255);
    if (g.stopCount() >= 2) canvas.fillGradient(g, local, gradientDirection(), 0.0f, 1.0f, 255);
}

void ScrollButton::draw(Canvas& canvas) {
    if (lookStale_) rebuildLook();
    const Gradient& g = gradient.getValue();
    const Rect local = localRect();
    if (g.stopCount() == 1) {
        const Color colour = g.stopColor(0);
        const Gradient fade(colour, Color(colour.r, colour.g, colour.b, 0));
        canvas.fillGradient(fade, local, gradientDirection(), 0.0f, 1.0f, 255);
    } else if (look_ != nullptr) {
        canvas.drawBitmap(*look_, Point(0.0f, 0.0f), 255);
    }
    Button::draw(canvas);
}

void ScrollButton::propertyChanged(AbstractProperty& property) {
    Button::propertyChanged(property);
    if (&property == &gradient) {
        lookStale_ = true;
        refresh();
    }
}

void ScrollButton::componentDeleted(Component* component) {
    if (component == area_) area_ = nullptr;
    Button::componentDeleted(component);
}

void ScrollButton::scaleChanged() {
    lookStale_ = true;
    Button::scaleChanged();
}

void ScrollButton::boundsChanged() {
    Button::boundsChanged();
    if (gradient.getValue().stopCount() > 0 || background_ != nullptr) lookStale_ = true;
}

} // namespace gui
