#pragma once

// Dragging inside the editor. A DragObject says what is dragged and which
// controls accept it; a DragStage is an overlay shown while the drag runs:
// it holds the pointer, highlights the drop targets, tells them when the
// pointer enters, leaves or rests on them (fireEvent6 with a DropTargetPhase)
// and asks its subclass whether a drop is taken.
//
// A drag ends exactly once: by the release (a drop), or cancelled when the
// stage loses the pointer, when Escape reaches it or when it is destroyed
// while running. Either way every live target hears the end once and the
// stage deletes itself at the next drain of list 1.
//
// The DragManager keeps the controls that take part in drags (targets and
// hover-only controls) for the editor, which makes stages through its
// listener.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Component.h"
#include "gui/Overlay.h"

#include <cstdint>
#include <vector>

namespace gui {

class Timer;

class DragObject {
public:
    struct DropTarget {
        Control* control;
        Control* partner;
    };

    virtual ~DragObject() = default;

    bool dragging = false;
    std::vector<DropTarget> dropTargets;

    void addDropTarget(Control* control, Control* partner = nullptr);
    void removeDropTarget(Control* control);
};

class DragStage : public Overlay {
public:
    enum class Finished { kRunning = 0, kAccepted = 1, kDeclined = 2 };

    explicit DragStage(UserInterface& userInterface);
    ~DragStage() override;

    Property<int> hoverInterval; // milliseconds the pointer rests before a target is activated
    NotifyEvent finishedEvent;

    virtual int targetState(int index);
    virtual void startDrag(Control* source, DragObject* dragObject);
    // The phases of dragEvent; entered and left are passed on to the target
    // as kTargetEntered and kTargetLeft.
    enum DragPhase : int {
        kDragEnter = kTargetEntered,
        kDragLeave = kTargetLeft,
        kDragOver = 2,
        kDragDrop = 3
    };
    // A DragPhase; for kDragDrop, true takes the drop.
    virtual bool dragEvent(int phase, const Point& point, int modifiers);
    virtual void dragFinished();
    virtual void registerDropTargets();

    // Ends a running drag without a drop.
    void cancelDrag();

    int currentTarget() const { return current_; }
    Finished finished() const { return finished_; }
    bool isRunning() const { return running_; }
    Control* source() const { return source_; }
    DragObject* dragObject() const { return dragObject_; }
    Timer* hoverTimer() const { return hoverTimer_; }

    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    void captureLost() override;
    bool keyPressed(int key, int character, int flags) override;
    void componentDeleted(Component* component) override;
    void propertyChanged(AbstractProperty& property) override;

private:
    void hoverTick();
    void stopHover();
    // Ends the drag for every target; finishes unless the stage is dying.
    void endDrag(bool dying);

    DragObject* dragObject_ = nullptr;
    Control* source_ = nullptr;
    int current_ = kNoTarget;
    Finished finished_ = Finished::kRunning;
    bool running_ = false;
    Timer* hoverTimer_ = nullptr;
};

class DragManager : public Component {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual DragStage* createDragStage(std::uint32_t sourceIndex) = 0;
    };
    struct Entry {
        Control* control;
        std::uint32_t hoverOnly;
        std::uint32_t group;
    };

    DragManager(UserInterface& userInterface, Listener* listener);
    ~DragManager() override;

    bool flag = false;

    // Group 0 entries go before the first group 1 entry, in arrival order;
    // group 1 entries are appended. A control is entered once.
    void add(Control* control, std::uint32_t hoverOnly, std::uint32_t group);
    void remove(Control* control);
    const std::vector<Entry>& entries() const { return entries_; }
    Listener* listener() const { return listener_; }
    DragStage* createDragStage(std::uint32_t sourceIndex);

    void componentDeleted(Component* component) override;

private:
    Listener* listener_;
    std::vector<Entry> entries_;
};

} // namespace gui
