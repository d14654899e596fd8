#pragma once

// The retained-mode widget from which every visible element derives.
//
// A control owns its observable properties and reacts to their changes in
// propertyChanged: moving, resizing, hiding or fading a control invalidates
// the right areas, lays out its children (anchors) and tells its parent and
// watchers. Invalidation is coalesced through the update hold: the control's
// dirty rect goes to its parent once per update, and on up to the root.
//
// Children are ordered bottom to top: drawn first to last, hit-tested last to
// first. A control does not own its children; containers delete them with
// deleteChildren(). Destroying a control detaches its children and itself.
//
// Input arrives through the dispatchers (called by the root control) and the
// virtual handlers. Handlers fire events last: an event handler may delete
// the control that fired it.
//
// Threading: GUI thread only. render runs under the root control's lock,
// which keeps the GUI thread from changing the tree meanwhile.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "foundation/UpdatedObject.h"
#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Component.h"
#include "gui/Keys.h"

#include <string>
#include <vector>

namespace gui {

class Canvas;
class Control;
class RootControl;

// The parent of a control: refuses a parent that would make a cycle.
class ParentProperty : public Property<Control*> {
public:
    ParentProperty(PropertyOwner* owner, Control* self) : Property<Control*>(owner, nullptr), self_(self) {}
    void setValue(Control* newParent) override;

private:
    Control* self_;
};

// The button of mouseDown and mouseUp (the buttons held during an event are
// the modifier bits of Modifiers.h).
enum MouseButton : int { kMouseLeft = 0, kMouseRight = 1 };

// The kind of a pointer gesture: the wheel (or a two-finger scroll) or a
// pinch.
enum GestureKind : int { kWheelGesture = 0, kMagnifyGesture = 1 };

// The phases of every gesture: the pointer gestures (gesture, mouseWheel,
// magnify) and the value gestures of ValueControl.
enum GesturePhase : int { kGestureBegin = 0, kGestureChange = 1, kGestureEnd = 2 };

// What fireEvent6 tells a drop target; entered and left share their values
// with DragStage's phases.
enum DropTargetPhase : int {
    kTargetEntered = 0,
    kTargetLeft = 1,
    kTargetRested = 2,
    kTargetDragStarted = 3,
    kTargetDragEnded = 4
};

// One touch input record.
struct TouchRecord {
    enum class Phase { kDown = 0, kMove = 1, kUp = 2, kCancel = 3 };
    // What the record adds to the pointer events it becomes.
    enum Mode : int { kPlainTouch = 0, kCaptureTouch = 1, kShiftTouch = 2, kCtrlTouch = 3 };
    Phase phase = Phase::kDown;
    bool ignore = false;
    int contactCount = 1;
    int mode = kPlainTouch; // kCaptureTouch takes and releases the capture
};

class Control : public Component, public UpdatedObject {
public:
    enum Anchor : int { kLeftFixed = 1, kTopFixed = 2, kRightFollows = 4, kBottomFollows = 8 };
    enum TouchFlag : int { kNearestTouch = 1, kHandTouchToAncestor = 2, kTouchDoubleClickIsSecondary = 8 };
    enum class ChildChange {
        kAdded = 0,
        kRemoved = 1,
        kParent = 2,
        kVisibility = 3,
        kBounds = 4,
        kOpacity = 5,
        kOpaqueRect = 6
    };
    enum class CaptureState { kNone = 0, kPress = 1, kScrollGesture = 2, kOtherGesture = 3 };
    enum class DragState { kIdle = 0, kArmed = 1, kMoving = 2 };
    enum class ClickState { kNone = 0, kLeft = 1, kRight = 2 };

    // Tells whether a control survived the calls made while it lived on the
    // stack (event handlers may delete their control).
    class AliveGuard {
    public:
        explicit AliveGuard(Control* control);
        AliveGuard(const AliveGuard&) = delete;
        AliveGuard& operator=(const AliveGuard&) = delete;
        ~AliveGuard();
        bool alive() const { return control_ != nullptr; }

    private:
        friend class Control;
        Control* control_;
        AliveGuard* next_;
    };

    explicit Control(UserInterface& userInterface);

    // Properties, in declaration order.
    Property<int> anchors;  // no owner
    Property<bool> movable; // no owner
    Property<Color> backgroundColor;
    Property<Rect> bounds;
    DelegatingProperty<Point> center;
    Property<bool> enabled;
    Property<bool> doubleClickEnabled;
    Property<bool> delayedClick;
    DelegatingProperty<float> height;
    Property<std::string> helpText;
    Property<bool> opaque;
    DelegatingProperty<float> x;
    DelegatingProperty<Point> position;
    LimitedProperty<int> opacity;
    Property<int> hitThreshold; // no owner
    ParentProperty parent;
    DelegatingProperty<Point> size;
    DelegatingProperty<float> y;
    Property<int> touchFlags; // no owner
    Property<bool> visible;
    DelegatingProperty<float> width;

    NotifyEvent clickEvent;
    NotifyEvent doubleClickEvent;
    NotifyEvent activateEvent;
    NotifyEvent pressEvent;
    NotifyEvent enterEvent;
    NotifyEvent leaveEvent;
    NotifyEvent moveEvent;
    NotifyEvent releaseEvent;
    NotifyEvent delayedClickEvent;
    NotifyEvent boundsEvent;
    NotifyEvent secondaryClickEvent;

    // Virtual operations. In the input handlers and dispatchers, button is a
    // MouseButton, kind a GestureKind and phase a GesturePhase.
    void propertyChanged(AbstractProperty& property) override;
    ~Control() override;
    void componentDeleted(Component* component) override;
    virtual void cancelMouse();
    virtual void fireEvent5();
    // Drop-target notification, a DropTargetPhase.
    virtual void fireEvent6(int phase);
    virtual void getPaintBounds(Rect& rect);
    virtual void fireEvent8();
    virtual void captureLost();
    virtual void paintContents(Canvas& canvas);
    virtual void fireEvent11();
    virtual void fireEvent12();
    virtual int hitAlpha(const Point& point);
    // The control a press at the point (local coordinates) acts on: this
    // one, unless the control hands its presses on (a marker laid over the
    // buttons it clicks names the button beneath).
    virtual Control* pressTarget(const Point& point);
    virtual bool keyPressed(int key, int character, int flags);
    virtual void mouseDown(int button, const Point& point, int modifiers);
    virtual void mouseEnter();
    virtual bool gesture(int kind, int phase, const Point& point, int modifiers, const Point& firstDelta,
                         const Point& secondDelta, float factor);
    virtual void mouseLeave();
    virtual bool magnify(int phase, const Point& point, int modifiers, float factor);
    virtual void mouseMove(const Point& point, int modifiers);
    virtual void mouseUp(int button, const Point& point, int modifiers);
    virtual bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                            const Point& secondDelta);
    virtual bool scroll(const Point& point, int modifiers, float delta, int axis);
    virtual bool scrollSecondary(const Point& point, int modifiers, float delta, int axis);
    virtual void scaleChanged();
    virtual void childChanged(Control* child, ChildChange code);
    virtual void draw(Canvas& canvas);
    virtual void boundsChanged();
    virtual void setFocusedChild(Control* child);
    virtual void touchEvent(const TouchRecord& record, const Point& point);
    virtual void mouseDoubleClick(const Point& point);
    virtual void addDirtyRect(const Rect& rect);

    // The update of the hold: pending records, then the dirty rect upwards.
    void update() override;

    // Geometry; each a no-op when no edge it changes moves by more than 0.001.
    void setBounds(const Rect& rect) { bounds.setValue(rect); }
    void setBoundsXYWH(float left, float top, float w, float h) {
        bounds.setValue(Rect::fromXYWH(left, top, w, h));
    }
    void setX(float value);
    void setY(float value);
    void setSize(float w, float h);
    void setSize(const Point& newSize) { setSize(newSize.x, newSize.y); }

    void invalidateRect(const Rect& rect);
    bool isVisibleInTree();
    bool getVisibleRectInTree(Rect& rect);
    // The topmost shown, enabled child whose hit test takes the point (local
    // coordinates), the skipped one passed over; null when none does.
    Control* findChildAt(const Point& point, const Control* skipped = nullptr);
    // The control a press at the point (local coordinates) reaches among
    // this control and its descendants: the deepest one the hit tests lead
    // to, handed on as its pressTarget says; this control when no child
    // takes it. A skipped control and what it holds are passed over (an
    // overlay asks what lies beneath it).
    Control* pressedControlAt(const Point& point, const Control* skipped = nullptr);
    void setChildIndex(Control* child, int index);
    // Where the next child is inserted (-1 appends); clamped on insertion.
    void setChildInsertionIndex(int index) { childInsertionIndex_ = index; }
    void deleteChildren();
    void setHoverChild(Control* child);
    void transferMouseCapture(Control* target, const Point& point, int modifiers);
    void render(Canvas& canvas);
    void updateOpaqueRect();
    void propagateScaleChange();

    void dispatchMouseDown(int button, const Point& point, int modifiers);
    void dispatchMouseMove(const Point& point, int modifiers);
    void dispatchMouseUp(int button, const Point& point, int modifiers);
    bool dispatchKey(int key, int character);
    bool dispatchGesture(int kind, int phase, const Point& point, int modifiers, const Point& firstDelta,
                         const Point& secondDelta, float factor);
    void dispatchTouch(const TouchRecord& record, const Point& point);

    // A watcher hears this control's changes through its childChanged.
    void addWatcher(Control* watcher);

    const std::vector<Control*>& children() const { return children_; }
    Control* getParent() const { return parent.getValue(); }
    Control* getFocusedChild() const { return focusedChild_; }
    Control* getHoverChild() const { return hoverChild_; }
    const Rect& localRect() const { return localRect_; }
    const Rect& coveredRect() const { return coveredRect_; }
    const Rect& opaqueRect() const { return opaqueRect_; }
    const Rect& dirtyRect() const { return dirtyRect_; }
    CaptureState captureState() const { return captureState_; }
    void setCaptureState(CaptureState state) { captureState_ = state; }
    DragState dragState() const { return dragState_; }
    ClickState clickState() const { return clickState_; }
    const Point& lastPoint() const { return lastPoint_; }
    int lastModifiers() const { return lastModifiers_; }
    int lastButton() const { return lastButton_; }
    const Point& pressPoint() const { return pressPoint_; }

    // Points between this control's coordinates and the root's.
    Point toRoot(const Point& point) const;
    Point fromRoot(const Point& point) const;

protected:
    // The root control, or null while the user interface is being destroyed.
    RootControl* root() const;
    // Forgets the press that the next release would turn into a click.
    void clearPendingClick() { clickState_ = ClickState::kNone; }

private:
    friend class ParentProperty;

    void boundsPropertyChanged();
    void parentPropertyChanged();
    void visibilityOrOpacityChanged(ChildChange code);
    void layoutChildren(const Point& oldSize, const Point& newSize);
    void notifyParentAndWatchers(ChildChange code);
    // Sends the local rect straight to the parent (no visibility guard).
    void flushLocalRect();
    bool passesHitTest(const Point& local);
    void removeChild(Control* child);
    void insertChild(Control* child);

    DragState dragState_ = DragState::kIdle;
    Rect cachedBounds_;
    Rect localRect_;
    std::vector<Control*> children_;
    Control* focusedChild_ = nullptr;
    Control* hoverChild_ = nullptr;
    int childInsertionIndex_ = -1;
    bool layoutGuard_ = false;
    bool dying_ = false;
    CaptureState captureState_ = CaptureState::kNone;
    int lastButton_ = 0;
    Point lastPoint_;
    int lastModifiers_ = 0;
    Point pressPoint_;
    Point gestureStart_; // root coordinates
    ClickState clickState_ = ClickState::kNone;
    std::vector<Control*> watchers_;
    Rect coveredRect_;
    Rect opaqueRect_;
    Rect dirtyRect_;
    Control* cachedParent_ = nullptr;
};

} // namespace gui
