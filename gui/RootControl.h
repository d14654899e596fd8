#pragma once

// The top control of an editor window. It routes the platform's pointer and
// wheel input into the tree, owns the mouse capture, the pending delayed
// single click, the wheel gesture and the window's dirty area (which every
// invalidation in the tree ends up in), paints the dirty part, and holds the
// lock that separates the GUI thread from the render thread. The platform's
// root control derives from it and adds the window, its timers and painting.
//
// The lock: every window message, the window's tick and the host's size and
// scale calls run inside one RootLockScope, which takes the lock when the
// lock depth goes from 0 to 1. Code that must block (modal calls, stopping
// the render thread) gives it up with releaseLock and takes it back with
// reacquireLock at the saved depth; releaseLock always frees it, so a modal
// call never shuts out the render thread. The lock also records the thread
// that holds it and how often: a caller that took it outside any scope (the
// depth stays 0) still holds it after releaseLock, and must not wait for the
// render thread then. The render thread takes it with tryEnter.
//
// Liveness: a shared record, set while the root lives; the window procedures
// and modal frames hold a token of it across a message, and skip every
// further step when the root died meanwhile.
//
// Threading: GUI thread only, except lock/unlock and what the render thread
// does under the lock.

#include "foundation/Lock.h"
#include "gui/Control.h"

#include <atomic>
#include <memory>
#include <thread>

namespace gui {

class Bitmap;
class Timer;

class RootControl : public Control, public LockedObject {
public:
    // Alive while the root lives; shared by whoever must outlive it safely.
    struct Liveness {
        std::atomic<bool> alive{true};
    };
    using LivenessToken = std::shared_ptr<const Liveness>;

    // The wheel gesture ends this long after the last taken change.
    static constexpr int kGestureTimeout = 500;
    // Modifier bits the root reads.
    static constexpr int kDoubleClickBit = 64;
    static constexpr int kRightEmulationBit = 128;
    static constexpr int kSyntheticMoveBits = 0x200;

    explicit RootControl(UserInterface& userInterface);
    ~RootControl() override;

    Property<bool> fullScreen; // owner: the root
    NotifyEvent captureChangedEvent;
    NotifyEvent fullScreenSwitchedEvent;
    NotifyEvent monitorChangedEvent;

    // Returns the lock depth; when it is at least 1, it becomes 0 and the
    // lock is freed.
    virtual int releaseLock();
    // Gives the capture to the control (null releases it): a previous holder
    // first ends a running gesture and gets captureLost, then the
    // capture-changed event fires.
    virtual void setMouseCapture(Control* control);
    // With a depth above 0: locks and sets the depth.
    virtual void reacquireLock(int depth);
    // When the depth is at least 1: 0, and unlocks.
    virtual void unlockSaved();
    virtual void enterFullScreen();
    virtual void leaveFullScreen();

    // The lock, recording its holder (see the class comment).
    void lock() override;
    void unlock() override;
    bool tryEnter() override;
    // Whether the calling thread holds the lock (at any count).
    bool heldByCurrentThread() const {
        return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }
    // How often the calling thread holds it (0 when another thread or none does).
    int holdCount() const { return heldByCurrentThread() ? holdCount_ : 0; }

    int lockDepth() const { return lockDepth_; }
    void setLockDepth(int depth) { lockDepth_ = depth; }
    LivenessToken liveness() const { return liveness_; }
    bool isPaused() const { return paused_; }
    bool isLeftButtonHeld() const { return leftButtonHeld_; }
    // The platform clears it when the system cancels the press (mouse mode cancelled).
    void clearLeftButtonHeld() { leftButtonHeld_ = false; }

    Control* getCaptureHolder() const { return captureHolder_; }
    // The capture holder, else the root itself.
    Control* getEventTarget() { return captureHolder_ != nullptr ? captureHolder_ : this; }

    // Platform input, on the GUI thread, points in the root's logical units.
    // Buttons: 0 left, 1 right.
    void handleMouseDown(int button, const Point& point, int modifiers);
    void handleMouseMove(const Point& point, int modifiers);
    void handleMouseUp(int button, const Point& point, int modifiers);
    // Speed in notches per millisecond, distance in scroll units, per axis.
    bool handleMouseWheel(const Point& point, int modifiers, const Point& speed, const Point& distance,
                          float factor);
    // Ends a running wheel gesture.
    virtual void endGesture();
    // Renders the dirty part of the tree into the bitmap; nothing when the
    // dirty rectangle is empty.
    void paint(Bitmap& bitmap);

    // The control whose delayed single click waits for the timer.
    void setPendingClick(Control* control);
    Control* getPendingClick() const { return pendingClick_; }
    void clearPendingClick();

    // The scroll area whose glide runs (one slot, not owned): the area sets
    // it from its posted message and clears it when its last glide ends or
    // it is destroyed.
    void setScrollingArea(Control* area) { scrollingArea_ = area; }
    Control* scrollingArea() const { return scrollingArea_; }

    // Timers of the platform's window (toolkit timers are started here by
    // id); the base keeps nothing.
    virtual void startTimer(int id, int interval);
    virtual void stopTimer(int id);

    void addDirtyRect(const Rect& rect) override;
    const Rect& getDirtyRect() const { return windowDirtyRect_; }
    void clearDirtyRect() { windowDirtyRect_ = Rect(); }

    void propertyChanged(AbstractProperty& property) override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;

    // The root's point converted into the control's coordinates.
    static Point convertToControl(const Control& control, const Point& point);

protected:
    // Starts and stops the single-click timer (interval the platform's
    // double-click time).
    virtual void startSingleClickTimer();
    virtual void stopSingleClickTimer();
    // Ends the liveness record first thing in the derived destructor too.
    void endLiveness();

private:
    void noteLocked();
    void singleClickTick();
    void firePendingClick();
    bool dispatchWheelChange(const Point& point, int modifiers, const Point& speed, const Point& distance,
                             float factor);

    std::shared_ptr<Liveness> liveness_;
    // Written by the holder only, while it holds the lock.
    std::atomic<std::thread::id> owner_{};
    int holdCount_ = 0;
    bool paused_ = false;
    bool rightEmulation_ = false;
    bool leftButtonHeld_ = false;
    int lockDepth_ = 0;
    Control* captureHolder_ = nullptr;
    Point lastPress_;
    Control* gestureTarget_ = nullptr;
    int gestureKinds_ = 0;
    Point gestureOrigin_;
    Timer* gestureTimer_ = nullptr;
    Control* pendingClick_ = nullptr;
    Timer* singleClickTimer_ = nullptr;
    Rect windowDirtyRect_;
    Control* scrollingArea_ = nullptr;
};

} // namespace gui
