#include "gui/Control.h"

#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

thread_local Control::AliveGuard* aliveGuards = nullptr;

// Movement thresholds and limits.
constexpr float kSizeRelayoutThreshold = 0.01f;
constexpr float kDeltaEpsilon = 1.1920929e-7f;
// Cancelled presses are released here, outside every control.
constexpr Point kOutsidePoint{-32.0f, 0.0f};

float rectArea(const Rect& r) {
    return r.isEmpty() ? 0.0f : r.width() * r.height();
}

bool movedBeyond(const Point& a, const Point& b, float threshold) {
    return std::fabs(a.x - b.x) > threshold || std::fabs(a.y - b.y) > threshold;
}

} // namespace

Control::AliveGuard::AliveGuard(Control* control) : control_(control), next_(aliveGuards) {
    aliveGuards = this;
}

Control::AliveGuard::~AliveGuard() {
    AliveGuard** link = &aliveGuards;
    while (*link != nullptr && *link != this)
        link = &(*link)->next_;
    if (*link == this) *link = next_;
}

void ParentProperty::setValue(Control* newParent) {
    for (Control* c = newParent; c != nullptr; c = c->getParent())
        if (c == self_) return; // would make a cycle
    assign(newParent);
}

Control::Control(UserInterface& userInterface)
    : Component(userInterface), anchors(nullptr, kLeftFixed | kTopFixed), movable(nullptr, false),
      backgroundColor(this, Color(0, 0, 0, 0)), bounds(this, Rect()),
      center(
          [this] {
              return Point(cachedBounds_.left + cachedBounds_.width() / 2.0f,
                           cachedBounds_.top + cachedBounds_.height() / 2.0f);
          },
          [this](Point c) {
              const Rect b = bounds.getValue();
              const float w = b.width(), h = b.height();
              setBounds({c.x - w / 2.0f, c.y - h / 2.0f, c.x - w / 2.0f + w, c.y - h / 2.0f + h});
          }),
      enabled(this, true), doubleClickEnabled(this, true), delayedClick(this, false),
      height([this] { return bounds.getValue().height(); },
             [this](float h) { setSize(bounds.getValue().width(), h); }),
      helpText(this, ""), opaque(this, false),
      x([this] { return bounds.getValue().left; }, [this](float v) { setX(v); }),
      position([this] { return bounds.getValue().topLeft(); },
               [this](Point p) {
                   const Rect b = bounds.getValue();
                   setBounds(Rect::fromXYWH(p.x, p.y, b.width(), b.height()));
               }),
      opacity(this, 0, 255, 255), hitThreshold(nullptr, 240), parent(this, this),
      size([this] { return bounds.getValue().size(); }, [this](Point s) { setSize(s.x, s.y); }),
      y([this] { return bounds.getValue().top; }, [this](float v) { setY(v); }), touchFlags(nullptr, 0),
      visible(this, true), width([this] { return bounds.getValue().width(); },
                                 [this](float w) { setSize(w, bounds.getValue().height()); }) {}

Control::~Control() {
    if (RootControl* r = root(); r != nullptr && r != this) {
        if (r->getCaptureHolder() == this) r->setMouseCapture(nullptr);
        if (r->getPendingClick() == this) r->clearPendingClick();
    }
    for (AliveGuard* g = aliveGuards; g != nullptr; g = g->next_)
        if (g->control_ == this) g->control_ = nullptr;
    dying_ = true;
    while (!children_.empty()) {
        Control* child = children_.back();
        children_.pop_back(); // a dying parent does not erase the child itself
        child->parent.setValue(nullptr);
    }
    parent.setValue(nullptr);
}

RootControl* Control::root() const {
    UserInterface& ui = userInterface();
    return ui.isBeingDestroyed() ? nullptr : ui.rootControl();
}

// ---- properties --------------------------------------------------------------

void Control::propertyChanged(AbstractProperty& property) {
    if (&property == &bounds) {
        boundsPropertyChanged();
    } else if (&property == &opacity) {
        visibilityOrOpacityChanged(ChildChange::kOpacity);
    } else if (&property == &parent) {
        parentPropertyChanged();
    } else if (&property == &visible) {
        visibilityOrOpacityChanged(ChildChange::kVisibility);
    } else if (&property == &opaque) {
        updateOpaqueRect();
    } else if (&property == &backgroundColor) {
        invalidateRect(localRect_);
    }
}

void Control::boundsPropertyChanged() {
    const Rect next = bounds.getValue();
    const Rect previous = cachedBounds_;
    const Point oldSize = previous.size();
    const Point newSize = next.size();
    // The old area is flushed where the control was, before it moves.
    if (visible.getValue() && opacity.getValue() >= 1) flushLocalRect();
    {
        Hold hold(*this);
        localRect_ = Rect(0.0f, 0.0f, newSize.x, newSize.y);
        cachedBounds_ = next;
        invalidateRect(localRect_);
        const bool resized = std::fabs(newSize.x - oldSize.x) > kSizeRelayoutThreshold ||
                             std::fabs(newSize.y - oldSize.y) > kSizeRelayoutThreshold ||
                             static_cast<long>(newSize.x) != static_cast<long>(oldSize.x) ||
                             static_cast<long>(newSize.y) != static_cast<long>(oldSize.y);
        if (resized) {
            layoutChildren(oldSize, newSize);
            boundsChanged();
            updateOpaqueRect();
        }
    }
    // A parent's covered area depends on where its opaque children are.
    Control* p = getParent();
    if (p != nullptr && !opaqueRect_.isEmpty() && (previous.left != next.left || previous.top != next.top))
        p->updateOpaqueRect();
    notifyParentAndWatchers(ChildChange::kBounds);
}

void Control::visibilityOrOpacityChanged(ChildChange code) {
    const bool redraw = code == ChildChange::kOpacity ? visible.getValue() : opacity.getValue() > 0;
    if (redraw) {
        // Straight to the parent: the guard of invalidateRect would skip a
        // control that has just been hidden or faded out.
        flushLocalRect();
        updateOpaqueRect();
    }
    notifyParentAndWatchers(code);
}

void Control::parentPropertyChanged() {
    Control* previous = cachedParent_;
    Control* next = getParent();
    if (previous != nullptr && !previous->dying_) previous->removeChild(this);
    cachedParent_ = next;
    if (next != nullptr) next->insertChild(this);
    for (std::size_t i = 0; i < watchers_.size(); ++i)
        watchers_[i]->childChanged(this, ChildChange::kParent);
}

void Control::removeChild(Control* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    if (hoverChild_ == child) hoverChild_ = this;
    if (focusedChild_ == child) focusedChild_ = nullptr;
    invalidateRect(child->cachedBounds_);
    childChanged(child, ChildChange::kRemoved);
    updateOpaqueRect();
}

void Control::insertChild(Control* child) {
    const int count = static_cast<int>(children_.size());
    if (childInsertionIndex_ < 0)
        children_.push_back(child);
    else
        children_.insert(children_.begin() + std::min(childInsertionIndex_, count), child);
    invalidateRect(child->cachedBounds_);
    childChanged(child, ChildChange::kAdded);
    updateOpaqueRect();
}

void Control::notifyParentAndWatchers(ChildChange code) {
    if (Control* p = getParent()) p->childChanged(this, code);
    for (std::size_t i = 0; i < watchers_.size(); ++i)
        watchers_[i]->childChanged(this, code);
}

void Control::layoutChildren(const Point& oldSize, const Point& newSize) {
    if (layoutGuard_) return;
    layoutGuard_ = true;
    const float dw = newSize.x - oldSize.x;
    const float dh = newSize.y - oldSize.y;
    for (std::size_t i = 0; i < children_.size(); ++i) {
        Control* child = children_[i];
        const int a = child->anchors.getValue();
        if (a == (kLeftFixed | kTopFixed)) continue;
        Rect r = child->bounds.getValue();
        if (a & kRightFollows) {
            r.right += dw;
            if (!(a & kLeftFixed)) r.left += dw;
        } else if (!(a & kLeftFixed)) {
            r.left += dw / 2.0f;
            r.right += dw / 2.0f;
        }
        if (a & kBottomFollows) {
            r.bottom += dh;
            if (!(a & kTopFixed)) r.top += dh;
        } else if (!(a & kTopFixed)) {
            r.top += dh / 2.0f;
            r.bottom += dh / 2.0f;
        }
        child->setBounds(r);
    }
    layoutGuard_ = false;
}

void Control::setX(float value) {
    const Rect b = bounds.getValue();
    setBounds({value, b.top, value + b.width(), b.bottom});
}

void Control::setY(float value) {
    const Rect b = bounds.getValue();
    setBounds({b.left, value, b.right, value + b.height()});
}

void Control::setSize(float w, float h) {
    const Rect b = bounds.getValue();
    setBounds({b.left, b.top, b.left + w, b.top + h});
}

// ---- invalidation and opaque areas ---------------------------------------------

void Control::invalidateRect(const Rect& rect) {
    if (!visible.getValue() || opacity.getValue() < 1) return;
    unite(dirtyRect_, intersection(rect, localRect_));
    requestUpdate();
}

void Control::update() {
    firePendingNotifications();
    if (dirtyRect_.isEmpty()) return;
    const Rect dirty = dirtyRect_;
    dirtyRect_ = Rect();
    addDirtyRect(dirty);
}

void Control::flushLocalRect() {
    if (!localRect_.isEmpty()) addDirtyRect(localRect_);
}

void Control::addDirtyRect(const Rect& rect) {
    Control* p = getParent();
    if (p == nullptr || !p->visible.getValue() || p->opacity.getValue() < 1) return;
    Rect r = rect.offset(cachedBounds_.topLeft());
    intersect(r, p->localRect_);
    unite(p->dirtyRect_, r);
    p->requestUpdate();
}

void Control::updateOpaqueRect() {
    Rect covered;
    std::vector<Rect> rects;
    for (Control* child : children_) {
        if (child->opaqueRect_.isEmpty()) continue;
        rects.push_back(child->opaqueRect_.offset(child->cachedBounds_.topLeft()));
    }
    std::stable_sort(rects.begin(), rects.end(), [](const Rect& a, const Rect& b) {
        return a.top < b.top || (a.top == b.top && a.left < b.left);
    });
    for (const Rect& r : rects) {
        if (covered.isEmpty()) {
            covered = r;
        } else if (covered.right < r.left || covered.left > r.right || covered.bottom < r.top ||
                   covered.top > r.bottom) {
            covered = Rect();
        } else {
            const Rect horizontal(std::min(covered.left, r.left), std::max(covered.top, r.top),
                                  std::max(covered.right, r.right), std::min(covered.bottom, r.bottom));
            const Rect vertical(std::max(covered.left, r.left), std::min(covered.top, r.top),
                                std::min(covered.right, r.right), std::max(covered.bottom, r.bottom));
            covered = rectArea(vertical) > rectArea(horizontal) ? vertical : horizontal;
        }
    }
    intersect(covered, localRect_);
    if (covered.isEmpty()) covered = Rect();
    coveredRect_ = covered;

    Rect published;
    if (visible.getValue() && opacity.getValue() == 255)
        published = opaque.getValue() ? localRect_ : coveredRect_;
    if (published.isEmpty()) published = Rect();
    if (!rectMoved(opaqueRect_, published)) return;
    opaqueRect_ = published;
    notifyParentAndWatchers(ChildChange::kOpaqueRect);
}

// ---- tree queries ----------------------------------------------------------------

bool Control::passesHitTest(const Point& local) {
    return localRect_.contains(local) && static_cast<long>(hitAlpha(local)) * opacity.getValue() >
                                             static_cast<long>(hitThreshold.getValue()) * 255;
}

Control* Control::pressTarget(const Point&) {
    return this;
}

Control* Control::findChildAt(const Point& point, const Control* skipped) {
    for (std::size_t i = children_.size(); i-- > 0;) {
        Control* child = children_[i];
        if (child == skipped || !child->visible.getValue() || !child->enabled.getValue()) continue;
        if (child->passesHitTest(point - child->cachedBounds_.topLeft())) return child;
    }
    return nullptr;
}

Control* Control::pressedControlAt(const Point& point, const Control* skipped) {
    Control* reached = this;
    Point local = point;
    while (Control* child = reached->findChildAt(local, skipped)) {
        local = local - child->cachedBounds_.topLeft();
        reached = child;
    }
    return reached->pressTarget(local);
}

bool Control::getVisibleRectInTree(Rect& rect) {
    Rect r = localRect_;
    const Control* c = this;
    while (true) {
        if (!c->visible.getValue() || c->opacity.getValue() == 0 || r.isEmpty()) {
            rect = Rect();
            return false;
        }
        const Control* p = c->getParent();
        if (p == nullptr) break;
        r = r.offset(c->cachedBounds_.topLeft());
        intersect(r, p->localRect_);
        c = p;
    }
    rect = r;
    return true;
}

bool Control::isVisibleInTree() {
    Rect ignored;
    return getVisibleRectInTree(ignored);
}

Point Control::toRoot(const Point& point) const {
    Point p = point;
    for (const Control* c = this; c->getParent() != nullptr; c = c->getParent())
        p = p + c->cachedBounds_.topLeft();
    return p;
}

Point Control::fromRoot(const Point& point) const {
    Point p = point;
    for (const Control* c = this; c->getParent() != nullptr; c = c->getParent())
        p = p - c->cachedBounds_.topLeft();
    return p;
}

void Control::setChildIndex(Control* child, int index) {
    auto found = std::find(children_.begin(), children_.end(), child);
    if (found == children_.end()) return;
    children_.erase(found);
    index = std::clamp(index, 0, static_cast<int>(children_.size()));
    children_.insert(children_.begin() + index, child);
    invalidateRect(child->cachedBounds_);
}

void Control::deleteChildren() {
    while (!children_.empty()) {
        Control* child = children_.back();
        child->deleteChildren();
        delete child; // its destructor takes it out of the list
    }
    hoverChild_ = nullptr;
    focusedChild_ = nullptr;
    invalidateRect(localRect_);
    updateOpaqueRect();
}

void Control::addWatcher(Control* watcher) {
    if (watcher == nullptr || std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end())
        return;
    watchers_.push_back(watcher);
    link(watcher);
}

void Control::componentDeleted(Component* component) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), component), watchers_.end());
}

// ---- rendering -----------------------------------------------------------------

void Control::render(Canvas& canvas) {
    const Rect clip = intersection(localRect_, canvas.clip.getValue());
    if (clip.isEmpty()) return;
    canvas.opacity.setValue(multiplyOpacity(opacity.getValue(), canvas.opacity.getValue()));

    Rect drawClip = clip;
    if (canvas.opacity.getValue() == 255) {
        const Rect c = intersection(coveredRect_, clip);
        if (!c.isEmpty()) {
            const bool fullHeight = c.top <= clip.top && c.bottom >= clip.bottom;
            const bool fullWidth = c.left <= clip.left && c.right >= clip.right;
            if (fullHeight && c.left <= clip.left)
                drawClip.left = c.right;
            else if (fullHeight && c.right >= clip.right)
                drawClip.right = c.left;
            if (fullWidth && c.bottom >= clip.bottom) drawClip.bottom = c.top;
            if (fullWidth && c.top <= clip.top) drawClip.top = c.bottom;
        }
    }
    if (!drawClip.isEmpty()) {
        canvas.clip.setValue(drawClip);
        paintContents(canvas);
    }

    canvas.clip.setValue(clip);
    for (std::size_t i = 0; i < children_.size(); ++i) {
        Control* child = children_[i];
        if (!child->visible.getValue() || child->opacity.getValue() < 1) continue;
        const Canvas::State saved = canvas.saveState();
        const Point at = child->cachedBounds_.topLeft();
        canvas.origin.setValue(saved.origin + at);
        canvas.clip.setValue(clip.offset(Point() - at));
        child->render(canvas);
        canvas.restoreState(saved);
    }
}

void Control::paintContents(Canvas& canvas) {
    draw(canvas);
}

void Control::draw(Canvas& canvas) {
    const Color background = backgroundColor.getValue();
    if (background.a != 0) canvas.fillRect(localRect_, background);
}

// ---- virtual defaults ----------------------------------------------------------

void Control::cancelMouse() {
    AliveGuard guard(this);
    if (captureState_ == CaptureState::kNone) {
        if (Control* child = findChildAt(kOutsidePoint))
            child->dispatchMouseUp(kMouseLeft, kOutsidePoint - child->cachedBounds_.topLeft(), 0);
    } else if (RootControl* r = root()) {
        if (r->getCaptureHolder() == this) r->setMouseCapture(nullptr);
        captureState_ = CaptureState::kNone;
    }
    if (guard.alive()) mouseUp(kMouseLeft, kOutsidePoint, 0);
}

void Control::fireEvent5() {
    clickEvent.notify(this);
}

void Control::fireEvent6(int phase) {
    if (phase == kTargetRested) activateEvent.notify(this);
}

void Control::getPaintBounds(Rect& rect) {
    rect = localRect_;
}

void Control::fireEvent8() {
    delayedClickEvent.notify(this);
}

void Control::captureLost() {
    captureState_ = CaptureState::kNone;
}

void Control::fireEvent11() {
    secondaryClickEvent.notify(this);
}

void Control::fireEvent12() {
    doubleClickEvent.notify(this);
}

int Control::hitAlpha(const Point&) {
    return 255;
}

bool Control::keyPressed(int, int, int) {
    return false;
}

void Control::mouseEnter() {
    enterEvent.notify(this);
}

void Control::mouseLeave() {
    leaveEvent.notify(this);
}

bool Control::magnify(int, const Point&, int, float) {
    return false;
}

bool Control::scroll(const Point&, int, float, int) {
    return false;
}

bool Control::scrollSecondary(const Point&, int, float, int) {
    return false;
}

void Control::scaleChanged() {
    propagateScaleChange();
}

void Control::propagateScaleChange() {
    for (std::size_t i = 0; i < children_.size(); ++i)
        children_[i]->scaleChanged();
}

void Control::childChanged(Control*, ChildChange code) {
    if (code == ChildChange::kOpaqueRect) updateOpaqueRect();
}

void Control::boundsChanged() {
    boundsEvent.notify(this);
}

void Control::setFocusedChild(Control* child) {
    focusedChild_ = child;
    if (Control* p = getParent()) p->setFocusedChild(this);
}

// ---- mouse ---------------------------------------------------------------------

void Control::mouseDown(int button, const Point& point, int modifiers) {
    lastButton_ = button;
    lastPoint_ = point;
    lastModifiers_ = modifiers;
    if (button == kMouseLeft) {
        if (movable.getValue()) {
            dragState_ = DragState::kArmed;
            pressPoint_ = point;
        }
        if ((modifiers & kDoubleClick) && doubleClickEnabled.getValue()) {
            clickState_ = ClickState::kNone;
            AliveGuard guard(this);
            fireEvent12();
            if (guard.alive()) pressEvent.notify(this);
            return;
        }
        clickState_ = ClickState::kLeft;
    } else if (button == kMouseRight) {
        clickState_ = ClickState::kRight;
    }
    pressEvent.notify(this);
}

void Control::mouseMove(const Point& point, int modifiers) {
    if (dragState_ == DragState::kArmed && movedBeyond(point, pressPoint_, kDragThreshold)) {
        dragState_ = DragState::kMoving;
        clickState_ = ClickState::kNone;
    }
    if (dragState_ == DragState::kMoving) {
        const Rect b = bounds.getValue();
        Point grabbed = b.topLeft() + point; // in the parent's coordinates
        if (Control* p = getParent()) {
            grabbed.x = std::clamp(grabbed.x, 0.0f, std::max(p->localRect_.right, 0.0f));
            grabbed.y = std::clamp(grabbed.y, 0.0f, std::max(p->localRect_.bottom, 0.0f));
        }
        const Point topLeft = grabbed - pressPoint_;
        setBounds(Rect::fromXYWH(topLeft.x, topLeft.y, b.width(), b.height()));
    }
    lastPoint_ = point;
    lastModifiers_ = modifiers;
    moveEvent.notify(this);
}

void Control::mouseUp(int button, const Point& point, int modifiers) {
    lastButton_ = button;
    lastPoint_ = point;
    lastModifiers_ = modifiers;
    dragState_ = DragState::kIdle;
    const ClickState click = clickState_;
    clickState_ = ClickState::kNone;
    const bool inside = visible.getValue() && enabled.getValue() && passesHitTest(point);
    const bool delayed = inside && click == ClickState::kLeft && delayedClick.getValue();
    if (delayed) {
        if (RootControl* r = root()) r->setPendingClick(this);
    }
    AliveGuard guard(this);
    releaseEvent.notify(this);
    if (!guard.alive() || !inside) return;
    if (click == ClickState::kLeft)
        fireEvent5();
    else if (click == ClickState::kRight)
        fireEvent11();
}

void Control::mouseDoubleClick(const Point& point) {
    if (touchFlags.getValue() & kTouchDoubleClickIsSecondary) {
        clickState_ = ClickState::kNone;
        fireEvent11();
        return;
    }
    AliveGuard guard(this);
    mouseUp(kMouseLeft, point, kLeftButton);
    if (guard.alive()) mouseDown(kMouseLeft, point, kLeftButton | kDoubleClick);
}

bool Control::mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                         const Point& secondDelta) {
    if (phase != kGestureChange) return false;
    if (std::fabs(firstDelta.x) > kDeltaEpsilon && scroll(point, modifiers, firstDelta.x, 0)) return true;
    if (std::fabs(firstDelta.y) > kDeltaEpsilon && scroll(point, modifiers, firstDelta.y, 1)) return true;
    if (std::fabs(secondDelta.x) > kDeltaEpsilon && scrollSecondary(point, modifiers, secondDelta.x, 0))
        return true;
    if (std::fabs(secondDelta.y) > kDeltaEpsilon && scrollSecondary(point, modifiers, secondDelta.y, 1))
        return true;
    return false;
}

bool Control::gesture(int kind, int phase, const Point& point, int modifiers, const Point& firstDelta,
                      const Point& secondDelta, float factor) {
    if (kind != kWheelGesture) return magnify(phase, point, modifiers, factor);
    AliveGuard guard(this);
    if (mouseWheel(phase, point, modifiers, firstDelta, secondDelta)) return true;
    if (guard.alive() && (modifiers & kKeyModifierMask) == kCtrl)
        return magnify(phase, point, modifiers, factor);
    return false;
}

void Control::dispatchMouseDown(int button, const Point& point, int modifiers) {
    RootControl* r = root();
    if (captureState_ >= CaptureState::kScrollGesture && r != nullptr) r->setMouseCapture(nullptr);
    if (Control* child = findChildAt(point)) {
        child->dispatchMouseDown(button, point - child->cachedBounds_.topLeft(), modifiers);
        return;
    }
    if (button == kMouseLeft) {
        setFocusedChild(nullptr);
        if (r != nullptr && r->getCaptureHolder() == nullptr) {
            r->setMouseCapture(this);
            captureState_ = CaptureState::kPress;
        }
    }
    userInterface().setHelpHint("");
    mouseDown(button, point, modifiers);
}

void Control::dispatchMouseMove(const Point& point, int modifiers) {
    if (captureState_ >= CaptureState::kScrollGesture &&
        movedBeyond(toRoot(point), gestureStart_, kDragThreshold)) {
        if (RootControl* r = root()) r->setMouseCapture(nullptr);
        captureState_ = CaptureState::kNone;
    }
    if (captureState_ == CaptureState::kNone) {
        if (Control* child = findChildAt(point)) {
            setHoverChild(child);
            child->dispatchMouseMove(point - child->cachedBounds_.topLeft(), modifiers);
            return;
        }
    }
    AliveGuard guard(this);
    setHoverChild(this);
    if (guard.alive()) mouseMove(point, modifiers);
}

void Control::dispatchMouseUp(int button, const Point& point, int modifiers) {
    if (captureState_ == CaptureState::kNone) {
        if (Control* child = findChildAt(point)) {
            child->dispatchMouseUp(button, point - child->cachedBounds_.topLeft(), modifiers);
            return;
        }
    } else if (button == kMouseLeft) {
        if (RootControl* r = root(); r != nullptr && r->getCaptureHolder() == this)
            r->setMouseCapture(nullptr);
        captureState_ = CaptureState::kNone;
    }
    mouseUp(button, point, modifiers);
}

void Control::setHoverChild(Control* child) {
    if (child == hoverChild_) return;
    Control* previous = hoverChild_;
    hoverChild_ = child;
    AliveGuard guard(this);
    if (previous != nullptr && previous != this) previous->setHoverChild(nullptr);
    if (!guard.alive()) return;
    if (child == nullptr) {
        if (!helpText.getValue().empty()) userInterface().setHelpHint("");
        mouseLeave();
    } else if (previous == nullptr) {
        mouseEnter();
        if (guard.alive() && !helpText.getValue().empty()) userInterface().setHelpHint(helpText.getValue());
    }
}

void Control::transferMouseCapture(Control* target, const Point& point, int modifiers) {
    if (target == nullptr) return;
    const Point inRoot = toRoot(point);
    AliveGuard targetGuard(target);
    mouseUp(kMouseLeft, point, modifiers);
    if (!targetGuard.alive()) return;
    RootControl* r = root();
    if (r != nullptr && r->getCaptureHolder() != target) r->setMouseCapture(target);
    target->captureState_ = CaptureState::kPress;
    const Point converted = target->fromRoot(inRoot);
    target->mouseDown(kMouseLeft, converted, modifiers);
    if (!targetGuard.alive()) return;
    for (Control* c = target; c->getParent() != nullptr; c = c->getParent())
        c->getParent()->setHoverChild(c);
}

bool Control::dispatchKey(int key, int character) {
    if (focusedChild_ != nullptr && focusedChild_->dispatchKey(key, character)) return true;
    return keyPressed(key, character, 0);
}

bool Control::dispatchGesture(int kind, int phase, const Point& point, int modifiers, const Point& firstDelta,
                              const Point& secondDelta, float factor) {
    if (captureState_ == CaptureState::kNone) {
        if (Control* child = findChildAt(point)) {
            if (child->dispatchGesture(kind, phase, point - child->cachedBounds_.topLeft(), modifiers,
                                       firstDelta, secondDelta, factor))
                return true;
        }
    }
    UserInterface& ui = userInterface();
    AliveGuard guard(this);
    const bool handled = gesture(kind, phase, point, modifiers, firstDelta, secondDelta, factor);
    if (!guard.alive()) {
        ui.setHelpHint("");
        return handled;
    }
    if (handled && phase != kGestureEnd && captureState_ == CaptureState::kNone) {
        if (RootControl* r = root()) {
            if (r->getCaptureHolder() != this) r->setMouseCapture(this);
            captureState_ =
                kind == kWheelGesture ? CaptureState::kScrollGesture : CaptureState::kOtherGesture;
            gestureStart_ = toRoot(point);
        }
    }
    ui.setHelpHint("");
    return handled;
}

// ---- touch -----------------------------------------------------------------------

void Control::touchEvent(const TouchRecord& record, const Point& point) {
    if (record.ignore) return;
    int modifiers = record.contactCount >= 2 ? (kLeftButton | kCtrl) : kLeftButton;
    if (record.mode == TouchRecord::kShiftTouch) modifiers |= kShift;
    if (record.mode == TouchRecord::kCtrlTouch) modifiers |= kCtrl;
    UserInterface& ui = userInterface();
    AliveGuard guard(this);
    switch (record.phase) {
    case TouchRecord::Phase::kDown:
        ui.setTouchHoldTimer(true);
        pressPoint_ = point;
        mouseMove(point, modifiers);
        if (guard.alive()) mouseDown(kMouseLeft, point, modifiers);
        break;
    case TouchRecord::Phase::kMove: {
        const bool moved = movedBeyond(point, pressPoint_, kDragThreshold);
        if (moved) ui.setTouchHoldTimer(false);
        Control* ancestor = nullptr;
        if (moved && (touchFlags.getValue() & kHandTouchToAncestor)) {
            ancestor = getParent();
            while (ancestor != nullptr && (ancestor->touchFlags.getValue() & kHandTouchToAncestor))
                ancestor = ancestor->getParent();
        }
        if (ancestor == nullptr) {
            mouseMove(point, modifiers);
            break;
        }
        const Point pressInRoot = toRoot(pressPoint_);
        const Point nowInRoot = toRoot(point);
        AliveGuard ancestorGuard(ancestor);
        cancelMouse();
        if (!ancestorGuard.alive()) break;
        if (RootControl* r = root()) r->setMouseCapture(ancestor);
        ancestor->captureState_ = CaptureState::kPress;
        TouchRecord down = record;
        down.phase = TouchRecord::Phase::kDown;
        ancestor->dispatchTouch(down, ancestor->fromRoot(pressInRoot));
        if (ancestorGuard.alive()) ancestor->dispatchTouch(record, ancestor->fromRoot(nowInRoot));
        break;
    }
    case TouchRecord::Phase::kUp:
    case TouchRecord::Phase::kCancel:
        mouseMove(point, modifiers);
        if (guard.alive()) mouseUp(kMouseLeft, point, modifiers & ~kLeftButton);
        ui.setTouchHoldTimer(false);
        break;
    }
}

void Control::dispatchTouch(const TouchRecord& record, const Point& point) {
    if (record.ignore) return;
    if (captureState_ == CaptureState::kNone) {
        Control* best = nullptr;
        int bestScore = 17;
        for (Control* child : children_) {
            if (!child->visible.getValue() || !child->enabled.getValue() || child->localRect_.isEmpty())
                continue;
            const Rect b = child->cachedBounds_;
            int score;
            if (child->touchFlags.getValue() & kNearestTouch) {
                const float dx = std::max({b.left - point.x, point.x - b.right, 0.0f});
                const float dy = std::max({b.top - point.y, point.y - b.bottom, 0.0f});
                const float d = std::max(dx, dy);
                score = d <= 0.0f ? 0 : (d > 16.0f ? 17 : static_cast<int>(d) + 1);
            } else {
                if (!child->passesHitTest(point - b.topLeft())) continue;
                score = 16;
                if (best != nullptr && b.containsRect(best->cachedBounds_)) {
                    best = child;
                    bestScore = score;
                    continue;
                }
            }
            if (score <= 16 && score <= bestScore) {
                best = child;
                bestScore = score;
            }
        }
        if (best != nullptr) {
            best->dispatchTouch(record, point - best->cachedBounds_.topLeft());
            return;
        }
    }
    RootControl* r = root();
    const bool ending =
        record.phase == TouchRecord::Phase::kUp || record.phase == TouchRecord::Phase::kCancel;
    if (record.mode == TouchRecord::kCaptureTouch && r != nullptr) {
        if (record.phase == TouchRecord::Phase::kDown && r->getCaptureHolder() == nullptr) {
            r->setMouseCapture(this);
            captureState_ = CaptureState::kPress;
        } else if (ending && r->getCaptureHolder() == this) {
            r->setMouseCapture(nullptr);
            captureState_ = CaptureState::kNone;
        }
    }
    AliveGuard guard(this);
    if (!ending) setHoverChild(this);
    if (guard.alive()) touchEvent(record, point);
}

} // namespace gui
