#include "gui/BarAnimation.h"

#include "gui/ScrollArea.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

// The ease-out curve of the animator's motions, read backwards: 0.4^4 is
// its value at the far end and 1.0262727 = 1 / (1 - 0.4^4).
constexpr float kEaseFloor = 0.0256f;
constexpr float kEaseScale = 1.0262727f;

} // namespace

float BarAnimation::lengthEase(float t) {
    // The ends exactly, so a finished length is its target or 0.
    if (t <= 0.0f) return 1.0f;
    if (t >= 1.0f) return 0.0f;
    const float x = 0.6f * (1.0f - t) + 0.4f;
    // Near t = 0 the product exceeds 1: clamp, so a length never overshoots.
    return std::clamp(((x * x) * (x * x) - kEaseFloor) * kEaseScale, 0.0f, 1.0f);
}

BarAnimation::BarAnimation(Animator& animator, Control& bar, Control& child, Kind kind, int flags,
                           bool horizontal, float length, NotifyEvent::Handler* completionHandler,
                           ScrollArea* scrollArea)
    : Animation(animator, &bar, &child), bar_(&bar), child_(&child),
      link_(std::make_unique<Link>(bar.userInterface(), *this)),
      flags_(kind == Kind::kExpand || kind == Kind::kCollapse ? int(kAnimateLength)
                                                              : flags & (kAnimateLength | kAnimateOpacity)),
      completionHandler_(completionHandler), kind_(kind), horizontal_(horizontal),
      startOpacity_(child.opacity.getValue()),
      targetLength_(kind == Kind::kExpand ? length
                    : horizontal_         ? child.bounds.getValue().width()
                                          : child.bounds.getValue().height()),
      scrollArea_(scrollArea) {
    duration.setValue(kDuration);
    link_->link(&child);
    link_->link(&bar);
    if (scrollArea_ != nullptr) link_->link(scrollArea_);
    if (kind != Kind::kInsert) return;
    // The length and opacity were taken above: the child grows and fades in
    // to what it had.
    if (flags_ & kAnimateLength) setChildLength(0.0f);
    if ((flags_ & kAnimateOpacity) && child.opacity.getValue() != 0) child.opacity.setValue(0);
}

BarAnimation::~BarAnimation() {
    detach();
}

void BarAnimation::Link::componentDeleted(Component* component) {
    owner_.componentDeleted(component);
}

void BarAnimation::componentDeleted(Component* component) {
    // Only forget here: the next step (or the bar's end) ends the animation,
    // so nothing is deleted from inside the child's destructor.
    if (component == child_) child_ = nullptr;
    if (component == bar_) bar_ = nullptr;
    if (component == scrollArea_) scrollArea_ = nullptr;
}

void BarAnimation::detach() {
    if (child_ != nullptr) link_->unlink(child_);
    if (bar_ != nullptr) link_->unlink(bar_);
    if (scrollArea_ != nullptr) link_->unlink(scrollArea_);
    child_ = nullptr;
    bar_ = nullptr;
    scrollArea_ = nullptr;
}

void BarAnimation::step() {
    if (child_ == nullptr) {
        animator().removeAnimation(this);
        return;
    }
    Animation::step();
}

void BarAnimation::destroy() {
    Control* child = child_;
    detach();
    if (kind_ == Kind::kRemove && child != nullptr) {
        delete child;
        child = nullptr;
    }
    // Gone before the handler runs, so the handler may animate the child again.
    std::unique_ptr<NotifyEvent::Handler> handler = std::move(completionHandler_);
    delete this;
    if (handler != nullptr) handler->invoke(child);
}

void BarAnimation::setChildLength(float length) {
    const Rect b = child_->bounds.getValue();
    if (horizontal_)
        child_->setSize(length, b.height());
    else
        child_->setSize(b.width(), length);
}

void BarAnimation::apply(float progress) {
    if (child_ == nullptr) return;
    const bool both = (flags_ & kAnimateLength) && (flags_ & kAnimateOpacity);
    const float t1 = both ? std::min(2.0f * progress, 1.0f) : progress;
    const float t2 = both ? std::max(2.0f * progress - 1.0f, 0.0f) : progress;
    const float opacity = float(startOpacity_);
    if (kind_ == Kind::kInsert || kind_ == Kind::kExpand) {
        if (flags_ & kAnimateLength) setChildLength(targetLength_ * (1.0f - lengthEase(t1)));
        if (child_ != nullptr && (flags_ & kAnimateOpacity))
            child_->opacity.setValue(int(std::trunc(opacity * t2)));
    } else {
        if (flags_ & kAnimateOpacity) child_->opacity.setValue(int(std::trunc(opacity - opacity * t1)));
        if (child_ != nullptr && (flags_ & kAnimateLength)) setChildLength(targetLength_ * lengthEase(t2));
    }
    if (scrollArea_ != nullptr) scrollArea_->updateLayout();
}

} // namespace gui
