#include "gui/ScrollArea.h"

#include "gui/Animation.h"
#include "gui/FlexibleInfo.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr float kNoDelta = 1.1920929e-7f;
constexpr float kFitTolerance = 0.001f;
// The unbounded range: -2^31 to 2^31.
constexpr float kUnboundedLimit = 2147483648.0f;
// Velocities are taken over at least this many seconds.
constexpr double kShortestInterval = 0.01;
constexpr float kDefaultThickness = 8.0f;
constexpr float kDefaultThumbMinimum = 16.0f;

bool movedBeyond(const Point& a, const Point& b, float threshold) {
    return std::fabs(a.x - b.x) > threshold || std::fabs(a.y - b.y) > threshold;
}

float along(const Point& p, int axis) {
    return axis == 0 ? p.x : p.y;
}

ScrollArea* areaAbove(const Control* control) {
    for (Control* c = control->getParent(); c != nullptr; c = c->getParent())
        if (auto* area = dynamic_cast<ScrollArea*>(c)) return area;
    return nullptr;
}

// The area's own content: hands a dragged press on its background to the
// area and relays its children's changes as layout updates.
class AreaContent : public Control {
public:
    // Touch drags on the content go on to the area.
    explicit AreaContent(UserInterface& userInterface) : Control(userInterface) {
        touchFlags.setValue(kHandTouchToAncestor);
    }

    void mouseDown(int button, const Point& point, int modifiers) override {
        pressed_ = button == kMouseLeft;
        press_ = point;
        // Catching the content stops it.
        if (auto* area = dynamic_cast<ScrollArea*>(getParent()); area != nullptr && pressed_)
            area->stopScrolling();
        Control::mouseDown(button, point, modifiers);
    }
    void mouseMove(const Point& point, int modifiers) override {
        AliveGuard alive(this);
        Control::mouseMove(point, modifiers);
        if (!alive.alive() || !pressed_ || !movedBeyond(point, press_, kDragThreshold)) return;
        pressed_ = false;
        if (auto* area = dynamic_cast<ScrollArea*>(getParent())) area->beginDrag(this, point, modifiers);
    }
    void mouseUp(int button, const Point& point, int modifiers) override {
        if (button == kMouseLeft) pressed_ = false;
        Control::mouseUp(button, point, modifiers);
    }
    void childChanged(Control* child, ChildChange code) override {
        Control::childChanged(child, code);
        if (code == ChildChange::kOpaqueRect) return;
        if (auto* area = dynamic_cast<ScrollArea*>(getParent())) area->updateLayout();
    }

private:
    bool pressed_ = false;
    Point press_;
};

} // namespace

// ---- the glide -------------------------------------------------------------------

// A position's glide after a release; tells the area when it ends, however
// it ends (finished, replaced or dropped).
class ScrollArea::Glide : public ValueAnimation<float, LimitedProperty<float>> {
public:
    Glide(Animator& animator, ScrollArea& area, int axis, float target)
        : ValueAnimation<float, LimitedProperty<float>>(animator, area.position(axis), target, &area, false),
          area_(&area), axis_(axis) {
        duration.setValue(kGlideDuration);
        motion.setValue(AnimationMotion::kEaseOut);
    }
    ~Glide() override {
        if (area_ != nullptr) area_->glideEnded(this);
    }

    ScrollArea* area_;
    int axis_;
};

// ---- scroll bar and gutter --------------------------------------------------------

ScrollArea::ScrollBar::ScrollBar(UserInterface& userInterface, Button::Style* style, Orientation axis)
    : Button(userInterface, style), minimumLength(this, kDefaultThumbMinimum), axis_(axis) {}

void ScrollArea::ScrollBar::setDragged(bool dragged) {
    dragged_ = dragged;
    setDrawingState(dragged ? DrawingState::kPressed : DrawingState::kNormal);
}

// The pointer leaves the thumb as the area takes it over; the pressed look
// stays while the drag runs.
void ScrollArea::ScrollBar::mouseEnter() {
    AliveGuard alive(this);
    Button::mouseEnter();
    if (alive.alive() && dragged_) setDrawingState(DrawingState::kPressed);
}

void ScrollArea::ScrollBar::mouseLeave() {
    AliveGuard alive(this);
    Button::mouseLeave();
    if (alive.alive() && dragged_) setDrawingState(DrawingState::kPressed);
}

void ScrollArea::ScrollBar::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    ScrollArea* area = areaAbove(this);
    if (area == nullptr) return;
    area->beginDrag(this, point, modifiers, true);
    if (alive.alive() && area->pressedBar_ == this) setDragged(true);
}

ScrollArea::ScrollBarGutter::ScrollBarGutter(UserInterface& userInterface, Orientation axis)
    : AnimatedControl(userInterface), axis_(axis) {
    timer_ = userInterface.createTimer();
    if (timer_ != nullptr) {
        timer_->interval.setValue(kRepeatDelay);
        timer_->tickEvent.setHandler(NotifyEvent::bind(this, &ScrollBarGutter::timerTick));
        timer_->destroyEvent.addHandler(NotifyEvent::bind([this] { timer_ = nullptr; }));
    }
}

ScrollArea::ScrollBarGutter::~ScrollBarGutter() {
    if (timer_ != nullptr) {
        timer_->destroyEvent.clear();
        delete timer_;
    }
}

ScrollArea* ScrollArea::ScrollBarGutter::area() const {
    return areaAbove(this);
}

void ScrollArea::ScrollBarGutter::page(const Point& point) {
    ScrollArea* a = area();
    if (a == nullptr) return;
    const int axis = index(axis_);
    const float track = axis == 0 ? width.getValue() : height.getValue();
    a->scrollTo(axis_, a->pagedPosition(axis_, along(point, axis), track), true);
}

void ScrollArea::ScrollBarGutter::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    held_ = true;
    following_ = false;
    lastPoint_ = point;
    page(point);
    if (alive.alive() && timer_ != nullptr) {
        timer_->enabled.setValue(false);
        timer_->enabled.setValue(true);
    }
}

void ScrollArea::ScrollBarGutter::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseMove(point, modifiers);
    if (!alive.alive() || !held_) return;
    lastPoint_ = point;
    if (!following_) return;
    if (ScrollArea* a = area()) a->stopScrolling();
    page(point);
}

void ScrollArea::ScrollBarGutter::mouseUp(int button, const Point& point, int modifiers) {
    if (button == kMouseLeft && held_) {
        held_ = false;
        following_ = false;
        if (timer_ != nullptr) timer_->enabled.setValue(false);
        if (ScrollArea* a = area()) a->stopScrolling();
    }
    AnimatedControl::mouseUp(button, point, modifiers);
}

void ScrollArea::ScrollBarGutter::timerTick() {
    if (timer_ != nullptr) timer_->enabled.setValue(false);
    if (!held_) return;
    ScrollArea* a = area();
    if (a == nullptr) return;
    if (ScrollBar* thumb = a->scrollBar(axis_); thumb != nullptr && thumb->visible.getValue()) {
        const Point onThumb = thumb->fromRoot(toRoot(lastPoint_));
        if (thumb->localRect().contains(onThumb)) return;
    }
    following_ = true;
    page(lastPoint_);
}

// ---- the area --------------------------------------------------------------------

ScrollArea::ScrollArea(UserInterface& userInterface)
    : AnimatedControl(userInterface), unbounded(this, false), padWhenScrolling(this, false),
      autoContentSize(this, true), showScrollBars(this, false), paddingX(this, 0.0f), marginX(this, 0.0f),
      tailX(this, 0.0f), scrollX(this, 0.0f, 1.0f, 0.0f), contentWidth(this, 0.0f), insets(this, Rect()),
      paddingY(this, 0.0f), marginY(this, 0.0f), scrollY(this, 0.0f, 1.0f, 0.0f), contentHeight(this, 0.0f) {
    setContent(new AreaContent(userInterface));
}

ScrollArea::~ScrollArea() {
    // No layout while the parts go.
    inLayout_ = true;
    for (Glide*& glide : glides_)
        if (glide != nullptr) {
            glide->area_ = nullptr;
            glide = nullptr;
        }
    if (RootControl* r = root(); r != nullptr && r->scrollingArea() == this) r->setScrollingArea(nullptr);
    // The content, the bars, the gutters and whatever else was put in.
    deleteChildren();
}

void ScrollArea::setContent(Control* content) {
    if (content == content_) return;
    if (Control* old = content_) {
        content_ = nullptr;
        old->deleteChildren();
        delete old;
    }
    content_ = content;
    if (content_ != nullptr) {
        link(content_);
        content_->parent.setValue(this);
    }
    updateLayout();
}

// ---- geometry --------------------------------------------------------------------

float ScrollArea::insetBefore(int axis) const {
    return axis == 0 ? insets.getValue().left : insets.getValue().top;
}

float ScrollArea::view(int axis) const {
    const Rect in = insets.getValue();
    const Rect local = localRect();
    const float v = axis == 0 ? local.width() - in.left - in.right : local.height() - in.top - in.bottom;
    return std::max(v, 0.0f);
}

float ScrollArea::viewLength(Orientation axis) const {
    return view(index(axis));
}

float ScrollArea::contentLength(Orientation axis) const {
    return length(index(axis));
}

bool ScrollArea::paddingCounts(int axis) const {
    return !(padWhenScrolling.getValue() && fits_[static_cast<std::size_t>(axis)]);
}

Rect ScrollArea::contentRect() const {
    const Rect local = localRect();
    const Rect in = insets.getValue();
    const float px = paddingX.getValue();
    const float py = paddingY.getValue();
    return {local.left + px + in.left, local.top + py + in.top, local.right - px - in.right,
            local.bottom - py - in.bottom};
}

float ScrollArea::trackLength(int axis) const {
    if (const ScrollBarGutter* g = gutters_[static_cast<std::size_t>(axis)])
        return axis == 0 ? g->width.getValue() : g->height.getValue();
    const Rect r = contentRect();
    return std::max(axis == 0 ? r.width() : r.height(), 0.0f);
}

float ScrollArea::thumbLength(Orientation axis, float track) const {
    const int a = index(axis);
    const float n = std::max(length(a), 1.0f);
    float minimum = 0.0f;
    if (const ScrollBar* bar = bars_[static_cast<std::size_t>(a)]) minimum = bar->minimumLength.getValue();
    return std::min(track, std::max(track * track / n, minimum));
}

float ScrollArea::thumbOffset(Orientation axis, float track) const {
    const int a = index(axis);
    const float n = std::max(length(a), 1.0f);
    return (track - thumbLength(axis, track)) * position(a).getValue() / std::max(n - track, 1.0f);
}

float ScrollArea::pagedPosition(Orientation axis, float point, float track) const {
    const int a = index(axis);
    if (track <= 0.0f) return position(a).getValue();
    if (point <= ScrollBarGutter::kEndSnap)
        point = 0.0f;
    else if (point >= track - ScrollBarGutter::kEndSnap)
        point = track;
    const float thumb = thumbLength(axis, track);
    const float middle = thumbOffset(axis, track) + thumb * 0.5f;
    if (point > middle) point -= thumb;
    return point / track * std::max(length(a), 1.0f);
}

Point ScrollArea::contentExtent() const {
    Point extent;
    if (content_ == nullptr) return extent;
    for (const Control* child : content_->children()) {
        if (!child->visible.getValue() || dynamic_cast<const ScrollBar*>(child) != nullptr ||
            dynamic_cast<const ScrollBarGutter*>(child) != nullptr)
            continue;
        if (const auto* flexible = dynamic_cast<const FlexibleInfo*>(child);
            flexible != nullptr && flexible->flexibleRecord().excluded)
            continue;
        const Rect b = child->bounds.getValue();
        extent.x = std::max(extent.x, b.right);
        extent.y = std::max(extent.y, b.bottom);
    }
    return extent;
}

// ---- layout ----------------------------------------------------------------------

void ScrollArea::updateContentSize() {
    const bool pad = padWhenScrolling.getValue();
    if (!autoContentSize.getValue()) {
        for (int axis = 0; axis < 2; ++axis)
            fits_[static_cast<std::size_t>(axis)] = length(axis) <= view(axis) + kFitTolerance;
        return;
    }
    extent_ = contentExtent();
    float lengths[2];
    for (int axis = 0; axis < 2; ++axis) {
        float l = 2.0f * margin(axis) + along(extent_, axis) + (axis == 0 ? tailX.getValue() : 0.0f);
        const bool fits = l <= view(axis) + kFitTolerance;
        fits_[static_cast<std::size_t>(axis)] = fits;
        if (!(pad && fits)) l += 2.0f * padding(axis);
        lengths[axis] = l;
    }
    contentWidth.setValue(lengths[0]);
    contentHeight.setValue(lengths[1]);
}

void ScrollArea::updateRange() {
    for (int axis = 0; axis < 2; ++axis) {
        LimitedProperty<float>& p = position(axis);
        if (unbounded.getValue())
            p.setLimits(-kUnboundedLimit, kUnboundedLimit);
        else
            p.setLimits(0.0f, std::max(length(axis) - view(axis), 0.0f));
        p.setValue(p.getValue());
    }
}

void ScrollArea::placeContent() {
    if (content_ == nullptr) return;
    placing_ = true;
    float origin[2];
    float size[2];
    for (int axis = 0; axis < 2; ++axis) {
        const float lead = (paddingCounts(axis) ? padding(axis) : 0.0f) + margin(axis);
        origin[axis] = insetBefore(axis) + lead - position(axis).getValue();
        if (autoContentSize.getValue())
            size[axis] = along(extent_, axis);
        else
            size[axis] = std::max(length(axis) - 2.0f * lead - (axis == 0 ? tailX.getValue() : 0.0f), 0.0f);
    }
    content_->setBoundsXYWH(origin[0], origin[1], size[0], size[1]);
    placing_ = false;
}

void ScrollArea::placeScrollBars() {
    const Rect cr = contentRect();
    for (int axis = 0; axis < 2; ++axis) {
        ScrollBar* bar = bars_[static_cast<std::size_t>(axis)];
        ScrollBarGutter* gutter = gutters_[static_cast<std::size_t>(axis)];
        float thickness = kDefaultThickness;
        if (bar != nullptr) {
            const float own = axis == 0 ? bar->height.getValue() : bar->width.getValue();
            if (own > 0.0f) thickness = own;
        }
        float start = axis == 0 ? cr.left : cr.top;
        float track = std::max(axis == 0 ? cr.width() : cr.height(), 0.0f);
        float cross = axis == 0 ? cr.bottom - thickness : cr.right - thickness;
        if (gutter != nullptr) {
            float own = axis == 0 ? gutter->height.getValue() : gutter->width.getValue();
            if (own <= 0.0f) own = thickness;
            if (axis == 0)
                gutter->setBoundsXYWH(cr.left, cr.bottom - own, track, own);
            else
                gutter->setBoundsXYWH(cr.right - own, cr.top, own, track);
            cross = axis == 0 ? cr.bottom - own : cr.right - own;
        }
        if (bar == nullptr) continue;
        const Orientation o = axis == 0 ? Orientation::kHorizontal : Orientation::kVertical;
        const float thumb = thumbLength(o, track);
        const float offset = thumbOffset(o, track);
        if (axis == 0)
            bar->setBoundsXYWH(start + offset, cross, thumb, thickness);
        else
            bar->setBoundsXYWH(cross, start + offset, thickness, thumb);
    }
}

void ScrollArea::updateLayout() {
    if (inLayout_) return;
    inLayout_ = true;
    const std::array<bool, 2> fitted = fits_;
    updateContentSize();
    updateRange();
    // A padded axis that starts to overflow shows its padding first.
    if (padWhenScrolling.getValue())
        for (int axis = 0; axis < 2; ++axis)
            if (fitted[static_cast<std::size_t>(axis)] && !fits_[static_cast<std::size_t>(axis)])
                position(axis).setValue(padding(axis));
    placeContent();
    placeScrollBars();
    inLayout_ = false;
    layoutEvent.notify(this);
}

void ScrollArea::makeScrollBars() {
    if (!showScrollBars.getValue()) {
        for (int axis = 0; axis < 2; ++axis) {
            delete bars_[static_cast<std::size_t>(axis)];
            delete gutters_[static_cast<std::size_t>(axis)];
        }
        return;
    }
    for (int axis = 0; axis < 2; ++axis) {
        const Orientation o = axis == 0 ? Orientation::kHorizontal : Orientation::kVertical;
        if (gutters_[static_cast<std::size_t>(axis)] == nullptr) {
            auto* gutter = new ScrollBarGutter(userInterface(), o);
            gutter->setBoundsXYWH(0.0f, 0.0f, kDefaultThickness, kDefaultThickness);
            gutter->parent.setValue(this);
        }
        if (bars_[static_cast<std::size_t>(axis)] == nullptr) {
            auto* bar = new ScrollBar(userInterface(), nullptr, o);
            bar->setBoundsXYWH(0.0f, 0.0f, kDefaultThickness, kDefaultThickness);
            bar->parent.setValue(this);
        }
    }
}

void ScrollArea::adopt(Control* child) {
    if (auto* bar = dynamic_cast<ScrollBar*>(child)) {
        ScrollBar*& slot = bars_[static_cast<std::size_t>(index(bar->axis()))];
        if (slot == nullptr) {
            slot = bar;
            link(bar);
        }
    } else if (auto* gutter = dynamic_cast<ScrollBarGutter*>(child)) {
        ScrollBarGutter*& slot = gutters_[static_cast<std::size_t>(index(gutter->axis()))];
        if (slot == nullptr) {
            slot = gutter;
            link(gutter);
        }
    }
}

// ---- scrolling -------------------------------------------------------------------

void ScrollArea::stopScrolling() {
    if (Animator* a = animator()) {
        a->stopAnimations(&scrollX);
        a->stopAnimations(&scrollY);
    }
}

void ScrollArea::scrollTo(Orientation axis, float target, bool animate) {
    LimitedProperty<float>& p = position(index(axis));
    target = LimitedProperty<float>::clampInto(target, p.getMinimum(), p.getMaximum());
    Animator* a = animator();
    if (animate && a != nullptr) {
        auto* animation = new ValueAnimation<float, LimitedProperty<float>>(*a, p, target, this, false);
        animation->motion.setValue(AnimationMotion::kEaseOut);
        return;
    }
    if (a != nullptr) a->stopAnimations(&p);
    p.setValue(target);
}

void ScrollArea::scrollBy(int axis, float delta) {
    LimitedProperty<float>& p = position(axis);
    const float now = p.getValue();
    float next = LimitedProperty<float>::clampInto(now + delta, p.getMinimum(), p.getMaximum());
    if (axis == 0 && autoContentSize.getValue()) {
        // The tail is room to drop things into, not to scroll into.
        const float limit = p.getMaximum() - tailX.getValue();
        if (next > limit && now <= limit) next = std::max(limit, std::min(now, next));
    }
    p.setValue(next);
}

void ScrollArea::scrollToStart() {
    scrollX.setValue(marginX.getValue());
    scrollY.setValue(marginY.getValue());
}

void ScrollArea::scrollToShow(Control* child, const Rect* rect, bool animate) {
    if (child == nullptr) return;
    Rect r = rect != nullptr ? *rect : child->localRect();
    const Control* c = child;
    for (; c != nullptr && c != this; c = c->getParent())
        r = r.offset(c->bounds.getValue().topLeft());
    if (c != this) return;
    for (int axis = 0; axis < 2; ++axis) {
        const LimitedProperty<float>& p = position(axis);
        const float now = p.getValue();
        const float lead = (paddingCounts(axis) ? padding(axis) : 0.0f) + margin(axis);
        const float origin = insetBefore(axis) + lead - now;
        const float start = (axis == 0 ? r.left : r.top) - origin;
        const float end = (axis == 0 ? r.right : r.bottom) - origin;
        const float v = view(axis);
        float target = now;
        if (rect == nullptr)
            target = (start + end) * 0.5f + lead - v * 0.5f;
        else if (end - start > v || start + lead < now)
            target = start + lead;
        else if (end + lead - v > now)
            target = end + lead - v;
        else
            continue;
        scrollTo(axis == 0 ? Orientation::kHorizontal : Orientation::kVertical, target, animate);
    }
}

double ScrollArea::nowSeconds() const {
    return static_cast<double>(userInterface().now()) / 1000.0;
}

void ScrollArea::recordVelocity(const Point& point) {
    if (std::fabs(point.x - lastPoint_.x) <= kNoDelta && std::fabs(point.y - lastPoint_.y) <= kNoDelta)
        return;
    const double now = nowSeconds();
    const auto seconds = static_cast<float>(std::max(now - lastTime_, kShortestInterval));
    // The position moves against the pointer.
    velocity_ = Point((lastPoint_.x - point.x) / seconds, (lastPoint_.y - point.y) / seconds);
    lastPoint_ = point;
    lastTime_ = now;
}

bool ScrollArea::startGlides() {
    Animator* a = animator();
    bool started = false;
    bool glided = false;
    for (int axis = 0; axis < 2; ++axis) {
        const float v = along(velocity_, axis);
        if (std::fabs(v) < kGlideSpeed) continue;
        glided = true;
        LimitedProperty<float>& p = position(axis);
        const float target = LimitedProperty<float>::clampInto(p.getValue() + v * kGlideSeconds,
                                                               p.getMinimum(), p.getMaximum());
        if (a == nullptr) {
            p.setValue(target);
            continue;
        }
        glides_[static_cast<std::size_t>(axis)] = new Glide(*a, *this, axis, target);
        started = true;
    }
    if (started) userInterface().postMessage(this, kGlideMessage, kGuiList);
    return glided;
}

void ScrollArea::glideEnded(Glide* glide) {
    Glide*& slot = glides_[static_cast<std::size_t>(glide->axis_)];
    if (slot == glide) slot = nullptr;
    if (isGliding() || !registered_) return;
    registered_ = false;
    if (RootControl* r = root(); r != nullptr && r->scrollingArea() == this) r->setScrollingArea(nullptr);
}

void ScrollArea::handleMessage(int code) {
    if (code != kGlideMessage) {
        AnimatedControl::handleMessage(code);
        return;
    }
    if (registered_ || !isGliding()) return;
    if (RootControl* r = root()) {
        r->setScrollingArea(this);
        registered_ = true;
    }
}

void ScrollArea::beginDrag(Control* source, const Point& point, int modifiers, bool thumb) {
    if (source == nullptr) return;
    const Point inRoot = source->toRoot(point);
    AliveGuard alive(this);
    // The source's press ends outside it: no click.
    if (source != this) source->cancelMouse();
    if (!alive.alive()) return;
    state_ = thumb ? State::kThumbDrag : State::kContentDrag;
    pressedBar_ = thumb ? dynamic_cast<ScrollBar*>(source) : nullptr;
    armed_ = false;
    if (RootControl* r = root()) r->setMouseCapture(this);
    setCaptureState(CaptureState::kPress);
    mouseDown(kMouseLeft, fromRoot(inRoot), modifiers);
}

void ScrollArea::dragTo(const Point& point) {
    if (state_ == State::kContentDrag) {
        scrollX.setValue(pressScroll_.x + pressPoint_.x - point.x);
        scrollY.setValue(pressScroll_.y + pressPoint_.y - point.y);
        return;
    }
    if (pressedBar_ == nullptr) return;
    const int axis = index(pressedBar_->axis());
    const Orientation o = pressedBar_->axis();
    const float track = trackLength(axis);
    const float v = view(axis);
    const float moved = along(point, axis) - along(pressPoint_, axis);
    const float thumb = thumbLength(o, track);
    position(axis).setValue(moved * (length(axis) - v) / std::max(v - thumb, 1.0f) +
                            along(pressScroll_, axis));
}

// ---- events ----------------------------------------------------------------------

void ScrollArea::propertyChanged(AbstractProperty& property) {
    AnimatedControl::propertyChanged(property);
    if (&property == &scrollX || &property == &scrollY) {
        placeContent();
        placeScrollBars();
        scrollEvent.notify(this);
        return;
    }
    if (&property == &showScrollBars) {
        makeScrollBars();
        updateLayout();
        return;
    }
    if (&property == &unbounded || &property == &padWhenScrolling || &property == &autoContentSize ||
        &property == &paddingX || &property == &marginX || &property == &tailX ||
        &property == &contentWidth || &property == &insets || &property == &paddingY ||
        &property == &marginY || &property == &contentHeight)
        updateLayout();
}

void ScrollArea::componentDeleted(Component* component) {
    for (int axis = 0; axis < 2; ++axis) {
        if (bars_[static_cast<std::size_t>(axis)] == component)
            bars_[static_cast<std::size_t>(axis)] = nullptr;
        if (gutters_[static_cast<std::size_t>(axis)] == component)
            gutters_[static_cast<std::size_t>(axis)] = nullptr;
    }
    if (pressedBar_ == component) pressedBar_ = nullptr;
    if (content_ == component) content_ = nullptr;
    AnimatedControl::componentDeleted(component);
}

void ScrollArea::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    stopScrolling();
    pressTime_ = nowSeconds();
    lastTime_ = pressTime_;
    pressPoint_ = point;
    lastPoint_ = point;
    pressScroll_ = Point(scrollX.getValue(), scrollY.getValue());
    velocity_ = Point();
    armed_ = state_ == State::kIdle;
}

void ScrollArea::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    AnimatedControl::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    if (armed_ && state_ == State::kIdle && movedBeyond(point, pressPoint_, kDragThreshold)) {
        // A press on the area itself drags the content from here on.
        armed_ = false;
        state_ = State::kContentDrag;
        pressPoint_ = point;
        lastPoint_ = point;
        lastTime_ = nowSeconds();
        return;
    }
    if (state_ != State::kContentDrag && state_ != State::kThumbDrag) return;
    dragTo(point);
    if (alive.alive() && state_ == State::kContentDrag) recordVelocity(point);
}

void ScrollArea::mouseUp(int button, const Point& point, int modifiers) {
    if (button == kMouseLeft) {
        armed_ = false;
        if (state_ == State::kContentDrag) startGlides();
    }
    AliveGuard alive(this);
    // The release and click events still see the drag's state.
    AnimatedControl::mouseUp(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    if (state_ == State::kContentDrag || state_ == State::kThumbDrag) state_ = State::kIdle;
    if (ScrollBar* bar = pressedBar_) {
        pressedBar_ = nullptr;
        bar->setDragged(false);
    }
}

bool ScrollArea::mouseWheel(int phase, const Point&, int, const Point&, const Point& secondDelta) {
    if (phase == kGestureEnd) {
        if (state_ == State::kWheel) state_ = State::kIdle;
        return false;
    }
    if (phase != kGestureChange) return false;
    auto scrolls = [this](int axis, float delta) {
        if (std::fabs(delta) <= kNoDelta) return false;
        const LimitedProperty<float>& p = position(axis);
        return p.getMaximum() > p.getMinimum();
    };
    const bool horizontal = scrolls(0, secondDelta.x);
    const bool vertical = scrolls(1, secondDelta.y);
    if (!horizontal && !vertical) return false;
    if (state_ != State::kWheel) {
        stopScrolling();
        state_ = State::kWheel;
    }
    if (horizontal) scrollBy(0, secondDelta.x);
    if (vertical) scrollBy(1, -secondDelta.y);
    return true;
}

void ScrollArea::childChanged(Control* child, ChildChange code) {
    AnimatedControl::childChanged(child, code);
    // A content that resized itself (a bar fitted to its children, as they
    // are added, removed, grow or shrink, animated or not): the range and
    // the position follow at once. Its moves by the area itself are no news.
    if (child == content_ && code == ChildChange::kBounds && !placing_) {
        updateLayout();
        return;
    }
    if (code != ChildChange::kAdded) return;
    adopt(child);
    // Gutters, then thumbs, stay on top of everything else.
    const int end = static_cast<int>(children().size());
    for (ScrollBarGutter* gutter : gutters_)
        if (gutter != nullptr && gutter->getParent() == this) setChildIndex(gutter, end);
    for (ScrollBar* bar : bars_)
        if (bar != nullptr && bar->getParent() == this) setChildIndex(bar, end);
    if (dynamic_cast<ScrollBar*>(child) != nullptr || dynamic_cast<ScrollBarGutter*>(child) != nullptr)
        updateLayout();
}

void ScrollArea::boundsChanged() {
    AnimatedControl::boundsChanged();
    updateLayout();
}

void ScrollArea::captureLost() {
    AnimatedControl::captureLost();
    // A wheel gesture's end may not reach the area; losing the gesture's
    // capture ends it as well.
    if (state_ == State::kWheel) state_ = State::kIdle;
}

void ScrollArea::touchEvent(const TouchRecord& record, const Point& point) {
    if (record.ignore) return;
    switch (record.phase) {
    case TouchRecord::Phase::kDown:
        stopScrolling();
        pressTime_ = nowSeconds();
        lastTime_ = pressTime_;
        pressPoint_ = point;
        lastPoint_ = point;
        velocity_ = Point();
        state_ = State::kTouch;
        break;
    case TouchRecord::Phase::kMove: {
        if (state_ != State::kTouch) break;
        const Point moved = point - lastPoint_;
        AliveGuard alive(this);
        scrollBy(0, -moved.x);
        if (alive.alive()) scrollBy(1, -moved.y);
        if (alive.alive()) recordVelocity(point);
        break;
    }
    case TouchRecord::Phase::kUp:
        if (state_ != State::kTouch) break;
        state_ = State::kIdle;
        // A flick glides (at once without an animator); a tap clicks.
        if (!startGlides()) fireEvent5();
        break;
    case TouchRecord::Phase::kCancel:
        if (state_ == State::kTouch) state_ = State::kIdle;
        break;
    }
}

} // namespace gui
