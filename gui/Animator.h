#pragma once

// Time-based animation. One Animator per user interface steps every running
// animation from one user-interface timer; each step computes the fraction
// of its duration that has elapsed by the animator's clock, so a slow timer
// makes animations coarser, not longer. An animation runs under a key
// (usually the address of what it drives): starting another under the same
// key replaces it.
//
// Ownership: the animator owns the animations it runs (gui::Animation
// deletes itself in destroy()). Other AnimatedObjects (parts of controls
// that step themselves) are never deleted by the animator; they call
// forget(this) in their destructors.
//
// During a tick nothing the animator owns is deleted before every entry was
// stepped: an emptied entry's animation is destroyed after the stepping, so
// a finished handler may refade, stop its own key or delete its control.
// Requests to start animations during a tick run after it, in order; a
// control's own removal (startAnimation(null, control, ...)) takes effect at
// once, so the rest of the tick never touches a deleted control.
//
// The timer belongs to the user interface that made it; the animator deletes
// it in its destructor unless the user interface went first: when the user
// interface deletes the animator's notifier or its timer, the animator lets
// go of both and touches neither again.
//
// Threading: GUI thread only.

#include "foundation/IntervalTimer.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Component.h"
#include "gui/Control.h"

#include <cstdint>
#include <vector>

namespace gui {

class Timer;
class UserInterface;

// Something the animator steps.
class AnimatedObject {
public:
    virtual ~AnimatedObject() = default;
    virtual void step() = 0;
    // Called when the animator drops the object; an animation deletes itself.
    virtual void destroy() {}
};

class Animator : public PropertyOwner {
public:
    explicit Animator(UserInterface& userInterface, IntervalTimer::Clock clock = systemMilliseconds);
    ~Animator() override;
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    Property<bool> running; // the timer runs while true
    Property<int> rate;     // ticks per second
    NotifyEvent tickEvent;  // at the start of every tick

    // The user interface's animator, or null.
    static Animator* of(UserInterface& userInterface);

    void startAnimation(AnimatedObject* animation, Control* control, const void* key);
    void removeAnimation(AnimatedObject* animation);
    void stopAnimations(const void* key);
    // Drops every reference to the object without destroying it.
    void forget(AnimatedObject* object);
    void tick();

    std::uint32_t clockStamp() const { return stamp_; }
    Timer* timer() const { return timer_; }
    bool isRunning(const void* key) const;
    int runningCount() const;

    void propertyChanged(AbstractProperty& property) override;

    // Registered in the user interface's components: tells the animator when
    // the user interface deletes its components.
    class UIDeleteNotifier : public Component {
    public:
        UIDeleteNotifier(UserInterface& userInterface, Animator* animator)
            : Component(userInterface), animator_(animator) {}
        ~UIDeleteNotifier() override;

    private:
        friend class Animator;
        Animator* animator_;
    };

private:
    struct Entry {
        AnimatedObject* animation;
        Control* control;
        const void* key;
    };

    // Destroys now, or after the stepping during a tick.
    void discard(AnimatedObject* animation);
    void userInterfaceGone();
    void timerDestroyed();

    IntervalTimer::Clock clock_;
    UserInterface* userInterface_;
    std::vector<Entry> running_;
    std::vector<Entry> queued_;
    std::vector<AnimatedObject*> doomed_;
    bool inTick_ = false;
    bool emptied_ = false;
    std::uint32_t stamp_ = 0;
    Timer* timer_ = nullptr;
    UIDeleteNotifier* notifier_ = nullptr;
};

// A control that can be animated: it knows its user interface's animator
// (none when there is none) and drops its animations when destroyed.
class AnimatedControl : public Control {
public:
    explicit AnimatedControl(UserInterface& userInterface);
    ~AnimatedControl() override;

    Animator* animator() const { return Animator::of(userInterface()); }
};

} // namespace gui
