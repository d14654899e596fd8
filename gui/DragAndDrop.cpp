#include "gui/DragAndDrop.h"

#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <algorithm>

namespace gui {

namespace {

const Point kOutside(-1.0f, -1.0f);

} // namespace

// ---- drag object ---------------------------------------------------------------------

void DragObject::addDropTarget(Control* control, Control* partner) {
    if (control != nullptr) dropTargets.push_back({control, partner});
}

void DragObject::removeDropTarget(Control* control) {
    dropTargets.erase(std::remove_if(dropTargets.begin(), dropTargets.end(),
                                     [control](const DropTarget& t) { return t.control == control; }),
                      dropTargets.end());
}

// ---- drag stage ----------------------------------------------------------------------

DragStage::DragStage(UserInterface& userInterface) : Overlay(userInterface), hoverInterval(this, 400) {
    hoverTimer_ = userInterface.createTimer();
    hoverTimer_->interval.setValue(hoverInterval.getValue());
    hoverTimer_->tickEvent.setHandler(NotifyEvent::bind(this, &DragStage::hoverTick));
    hoverTimer_->destroyEvent.addHandler(NotifyEvent::bind([this] { hoverTimer_ = nullptr; }));
}

DragStage::~DragStage() {
    if (running_) endDrag(true);
    if (hoverTimer_ != nullptr) {
        Timer* timer = hoverTimer_;
        hoverTimer_ = nullptr;
        timer->destroyEvent.clear();
        delete timer;
    }
}

void DragStage::propertyChanged(AbstractProperty& property) {
    if (&property == &hoverInterval && hoverTimer_ != nullptr)
        hoverTimer_->interval.setValue(hoverInterval.getValue());
    Overlay::propertyChanged(property);
}

int DragStage::targetState(int index) {
    return index == current_ ? 2 : 1;
}

void DragStage::registerDropTargets() {
    if (dragObject_ == nullptr) return;
    const std::vector<DragObject::DropTarget> targets = dragObject_->dropTargets;
    for (const DragObject::DropTarget& t : targets) {
        addTarget(t.control, kOwnHitTest, 0);
        AliveGuard alive(this);
        t.control->fireEvent6(kTargetDragStarted);
        if (!alive.alive()) return;
    }
}

void DragStage::startDrag(Control* source, DragObject* dragObject) {
    if (running_ || finished_ != Finished::kRunning || dragObject == nullptr) return;
    dragObject->dragging = true;
    source_ = source;
    dragObject_ = dragObject;
    running_ = true;
    AliveGuard alive(this);
    registerDropTargets();
    if (!alive.alive()) return;
    hitThreshold.setValue(0);
    show();
    // The press moves off the source onto the stage.
    if (source != nullptr) {
        link(source);
        source->cancelMouse();
        if (!alive.alive()) return;
    }
    if (!running_) return;
    // The stage holds the pointer and ends the focus path, as a press on it would.
    if (RootControl* r = root()) {
        r->setMouseCapture(this);
        setCaptureState(CaptureState::kPress);
        setFocusedChild(nullptr);
    }
}

bool DragStage::dragEvent(int phase, const Point&, int) {
    if (phase != kDragEnter && phase != kDragLeave) return false;
    if (Control* target = targetControl(current_)) {
        AliveGuard alive(this);
        target->fireEvent6(phase);
        if (!alive.alive()) return false;
        if (Control* still = targetControl(current_))
            invalidateRect(Rect::fromXYWH(0, 0, still->width.getValue(), still->height.getValue())
                               .offset(fromRoot(still->toRoot(Point(0.0f, 0.0f)))));
    }
    if (hoverTimer_ != nullptr) hoverTimer_->enabled.setValue(phase == kDragEnter);
    return false;
}

void DragStage::mouseMove(const Point& point, int modifiers) {
    Overlay::mouseMove(point, modifiers);
    if (!running_) return;
    AliveGuard alive(this);
    const int t = findTargetAt(point);
    if (t != current_) {
        if (current_ != kNoTarget) {
            dragEvent(kDragLeave, point, modifiers);
            if (!alive.alive() || !running_) return;
        }
        current_ = t;
        if (t == kNoTarget) return;
        dragEvent(kDragEnter, point, modifiers);
    } else if (current_ != kNoTarget) {
        dragEvent(kDragOver, point, modifiers);
    }
}

void DragStage::hoverTick() {
    stopHover();
    if (!running_) return;
    if (Control* target = targetControl(current_))
        target->fireEvent6(kTargetRested);
    else if (VirtualGhostControl* g = ghost(current_))
        g->activate(current_ - controlCount());
}

void DragStage::stopHover() {
    if (hoverTimer_ != nullptr) hoverTimer_->enabled.setValue(false);
}

void DragStage::mouseUp(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    Overlay::mouseUp(button, point, modifiers);
    if (!alive.alive() || !running_) return; // a cancelled drag takes no drop
    const bool accepted = dragEvent(kDragDrop, point, modifiers);
    if (!alive.alive() || !running_) return;
    finished_ = accepted ? Finished::kAccepted : Finished::kDeclined;
    endDrag(false);
    if (!alive.alive()) return;
    if (RootControl* r = root()) r->dispatchMouseMove(toRoot(point), 0);
}

void DragStage::cancelDrag() {
    if (!running_) return;
    AliveGuard alive(this);
    if (current_ != kNoTarget) {
        dragEvent(kDragLeave, kOutside, 0);
        if (!alive.alive() || !running_) return;
        current_ = kNoTarget;
    }
    finished_ = Finished::kDeclined;
    endDrag(false);
}

void DragStage::endDrag(bool dying) {
    running_ = false;
    if (dying && current_ != kNoTarget) {
        if (Control* target = targetControl(current_)) target->fireEvent6(kTargetLeft);
        current_ = kNoTarget;
    }
    if (finished_ == Finished::kRunning) finished_ = Finished::kDeclined;
    if (dragObject_ != nullptr) dragObject_->dragging = false;
    stopHover();
    if (dragObject_ != nullptr) {
        const std::vector<DragObject::DropTarget> targets = dragObject_->dropTargets;
        AliveGuard alive(this);
        for (const DragObject::DropTarget& t : targets) {
            // Only targets still on the list (a dying one erases itself).
            auto& list = dragObject_->dropTargets;
            if (std::none_of(list.begin(), list.end(),
                             [&t](const DragObject::DropTarget& d) { return d.control == t.control; }))
                continue;
            t.control->fireEvent6(kTargetDragEnded);
            if (!alive.alive()) return;
        }
    }
    if (dying) {
        finishedEvent.notify(this);
        return;
    }
    // The stage no longer catches the pointer: the next press reaches the
    // control beneath even before the stage is deleted.
    hitThreshold.setValue(255);
    enabled.setValue(false);
    if (RootControl* r = root(); r != nullptr && r->getCaptureHolder() == this) r->setMouseCapture(nullptr);
    dragFinished();
}

void DragStage::dragFinished() {
    AliveGuard alive(this);
    finishedEvent.notify(this);
    if (alive.alive()) userInterface().postMessage(this, kDeleteMessage, kGuiList);
}

void DragStage::captureLost() {
    Overlay::captureLost();
    if (!running_) return;
    // The stage's own release gives up the capture just before its mouseUp,
    // which drops; any other loss cancels.
    RootControl* r = root();
    if (r != nullptr && !r->isLeftButtonHeld()) return;
    cancelDrag();
}

bool DragStage::keyPressed(int key, int character, int flags) {
    if (running_ && key == kKeyEscape) {
        cancelDrag();
        return true;
    }
    return Overlay::keyPressed(key, character, flags);
}

void DragStage::componentDeleted(Component* component) {
    Overlay::componentDeleted(component);
    if (source_ != nullptr && static_cast<Component*>(source_) == component) source_ = nullptr;
    if (dragObject_ != nullptr) {
        auto& list = dragObject_->dropTargets;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [component](const DragObject::DropTarget& t) {
                                      return static_cast<Component*>(t.control) == component;
                                  }),
                   list.end());
    }
    if (current_ != kNoTarget && current_ < controlCount() && targetControl(current_) == nullptr) {
        current_ = kNoTarget;
        stopHover();
    }
}

// ---- drag manager ----------------------------------------------------------------------

DragManager::DragManager(UserInterface& userInterface, Listener* listener)
    : Component(userInterface), listener_(listener) {}

DragManager::~DragManager() = default;

void DragManager::add(Control* control, std::uint32_t hoverOnly, std::uint32_t group) {
    if (control == nullptr) return;
    if (std::any_of(entries_.begin(), entries_.end(),
                    [control](const Entry& e) { return e.control == control; }))
        return;
    const Entry entry{control, hoverOnly, group};
    if (group == 0) {
        auto firstLater =
            std::find_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.group != 0; });
        entries_.insert(firstLater, entry);
    } else {
        entries_.push_back(entry);
    }
    link(control);
}

void DragManager::remove(Control* control) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [control](const Entry& e) { return e.control == control; });
    if (it == entries_.end()) return;
    entries_.erase(it);
    unlink(control);
}

DragStage* DragManager::createDragStage(std::uint32_t sourceIndex) {
    return listener_ != nullptr ? listener_->createDragStage(sourceIndex) : nullptr;
}

void DragManager::componentDeleted(Component* component) {
    Component::componentDeleted(component);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [component](const Entry& e) {
                                      return static_cast<Component*>(e.control) == component;
                                  }),
                   entries_.end());
}

} // namespace gui
