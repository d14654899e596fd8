#include "gui/Overlay.h"

#include "gui/Animation.h"
#include "gui/Canvas.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"

#include <algorithm>

namespace gui {

// ---- ghosts ----------------------------------------------------------------------

void Overlay::VirtualGhostControl::collectParameterIndex(std::vector<std::uint32_t>& list) {
    if (parameterIndex() != 0xFFFFFFFFu) list.push_back(parameterIndex());
}

std::uint32_t Overlay::VirtualGhostControl::parameterIndex() {
    return storedIndex;
}

bool Overlay::VirtualGhostControl::hitTest(const Point& point) {
    const Rect r = getRect();
    return r.left <= point.x && point.x < r.right && r.top <= point.y && point.y < r.bottom;
}

bool Overlay::VirtualGhostControl::isActive(int) {
    return true;
}

void Overlay::VirtualGhostControl::activate(int) {}

void Overlay::VirtualGhostControl::draw(Canvas&) {}

// ---- overlay -------------------------------------------------------------------------

Overlay::Overlay(UserInterface& userInterface)
    : AnimatedControl(userInterface), overlayColor(this, Color(0, 0, 0, 128)) {}

Overlay::~Overlay() = default;

void Overlay::show() {
    if (state_ != State::kShown) return;
    RootControl* r = root();
    if (r == nullptr) return;
    if (getParent() != r) parent.setValue(r);
    setBounds(r->localRect());
    anchors.setValue(kLeftFixed | kTopFixed | kRightFollows | kBottomFollows);
    if (Animator* a = animator()) {
        opacity.setValue(1);
        fadeControl(a, *this, 255, kFadeDuration);
    }
}

void Overlay::hide() {
    if (state_ != State::kShown) return;
    state_ = State::kHiding;
    Animator* a = animator();
    if (a == nullptr) {
        opacity.setValue(0);
        hideFinished();
        return;
    }
    auto* fade = new FadeAnimation(*a, *this, 0);
    fade->duration.setValue(kFadeDuration);
    fade->finishedEvent.setHandler(NotifyEvent::bind([this] {
        if (state_ == State::kHiding) hideFinished();
    }));
}

void Overlay::hideFinished() {
    state_ = State::kHidden;
    AliveGuard alive(this);
    hiddenEvent.notify(this);
    if (alive.alive()) userInterface().postMessage(this, kDeleteMessage, kGuiList);
}

void Overlay::handleMessage(int code) {
    if (code == kDeleteMessage) {
        delete this;
        return;
    }
    AnimatedControl::handleMessage(code);
}

void Overlay::addTarget(Control* control, int mode, int placement) {
    if (control == nullptr) return;
    const int index = int(controls_.size());
    controls_.push_back({control, mode});
    link(control);
    if (placement == 0) {
        auto firstGhost =
            std::find_if(order_.begin(), order_.end(), [](const Order& o) { return o.kind == kGhost; });
        order_.insert(firstGhost, {index, kRegisteredControl});
    } else {
        order_.push_back({index, kRegisteredControl});
    }
    invalidateRect(localRect());
}

void Overlay::addGhostControl(VirtualGhostControl* ghost) {
    if (ghost == nullptr) return;
    order_.push_back({int(ghosts_.size()), kGhost});
    ghosts_.emplace_back(ghost);
    invalidateRect(localRect());
}

Control* Overlay::targetControl(int index) const {
    return index >= 0 && index < int(controls_.size()) ? controls_[std::size_t(index)].control : nullptr;
}

Overlay::VirtualGhostControl* Overlay::ghost(int index) const {
    const int g = index - int(controls_.size());
    return index >= 0 && g >= 0 && g < int(ghosts_.size()) ? ghosts_[std::size_t(g)].get() : nullptr;
}

void Overlay::componentDeleted(Component* component) {
    AnimatedControl::componentDeleted(component);
    for (Registered& r : controls_)
        if (r.control != nullptr && static_cast<Component*>(r.control) == component) r.control = nullptr;
}

Point Overlay::positionOf(Control* control) {
    return fromRoot(control->toRoot(Point(0.0f, 0.0f)));
}

bool Overlay::controlMatches(Control* control, int mode, const Point& point) {
    if (control == nullptr || !control->isVisibleInTree()) return false;
    const Point local = point - positionOf(control);
    Rect paint;
    control->getPaintBounds(paint);
    if (!control->localRect().contains(local) || !paint.contains(local)) return false;
    if (mode == kPaintBounds) return true;
    if (!control->visible.getValue() || !control->enabled.getValue()) return false;
    return long(control->hitAlpha(local)) * control->opacity.getValue() >
           long(control->hitThreshold.getValue()) * 255;
}

int Overlay::pressedTargetAt(const Point& point) {
    Control* top = root();
    if (top == nullptr) return kNoTarget;
    for (Control* c = top->pressedControlAt(toRoot(point), this); c != nullptr; c = c->getParent())
        for (std::size_t i = 0; i < controls_.size(); ++i)
            if (controls_[i].control == c)
                return controls_[i].mode != kBlocking && controlMatches(c, controls_[i].mode, point)
                           ? int(i)
                           : kNoTarget;
    return kNoTarget;
}

int Overlay::findTargetAt(const Point& point) {
    // Where registered targets overlap, the one a press reaches wins.
    const int pressed = pressedTargetAt(point);
    for (std::size_t i = order_.size(); i-- > 0;) {
        const Order o = order_[i];
        if (o.kind == kGhost) {
            const int index = int(controls_.size()) + o.index;
            VirtualGhostControl* g = ghosts_[std::size_t(o.index)].get();
            if (g->isActive(index) && g->hitTest(point)) return index;
            continue;
        }
        const Registered& r = controls_[std::size_t(o.index)];
        if (!controlMatches(r.control, r.mode, point)) continue;
        if (r.mode == kBlocking) return kNoTarget;
        return pressed != kNoTarget ? pressed : o.index;
    }
    return kNoTarget;
}

Point Overlay::getTargetAnchor(int index) {
    if (VirtualGhostControl* g = ghost(index)) {
        const Rect r = g->getRect();
        return Point((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
    }
    Control* control = targetControl(index);
    if (control == nullptr) return Point(0.0f, 0.0f);
    Rect paint;
    control->getPaintBounds(paint);
    // The control's own position and its ancestors'.
    Point anchor =
        positionOf(control) + Point((paint.left + paint.right) * 0.5f, (paint.top + paint.bottom) * 0.5f);
    const Rect bounds = control->bounds.getValue();
    for (int next = index + 1; next <= index + 2; ++next) {
        Control* other = targetControl(next);
        if (other == nullptr || !other->visible.getValue() || other->getParent() != control->getParent())
            continue;
        if (!bounds.containsRect(other->bounds.getValue())) continue;
        Rect otherPaint;
        other->getPaintBounds(otherPaint);
        anchor.y = positionOf(control).y + (paint.top + paint.bottom) * 0.5f +
                   (paint.height() + otherPaint.height()) * 0.25f - 1.0f;
        break;
    }
    return anchor;
}

void Overlay::draw(Canvas& canvas) {
    canvas.fillRect(localRect(), overlayColor.getValue());
    for (const Order& o : order_) {
        if (o.kind == kGhost) {
            const int index = int(controls_.size()) + o.index;
            VirtualGhostControl* g = ghosts_[std::size_t(o.index)].get();
            if (g->isActive(index)) g->draw(canvas);
            continue;
        }
        Control* control = controls_[std::size_t(o.index)].control;
        if (control == nullptr || !control->isVisibleInTree()) continue;
        const Canvas::State saved = canvas.saveState();
        const Point at = positionOf(control);
        canvas.origin.setValue(saved.origin + at);
        Rect clip = saved.clip.offset(Point(0.0f, 0.0f) - at);
        intersect(clip, control->localRect());
        canvas.clip.setValue(clip);
        control->paintContents(canvas);
        canvas.restoreState(saved);
    }
}

} // namespace gui
