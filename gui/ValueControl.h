#pragma once

// The integer value model under every knob, switch, slider and value button.
//
// A value control holds an integer inside [minimum, maximum] and changes it
// only through gestures: begin (kGestureBegin), any number of change steps by
// a signed number of steps (kGestureChange) and end (kGestureEnd). The
// listener (the editor's change manager) hears every phase; a link group
// moves several controls together while the link modifier is held. The
// phases are gui::GesturePhase (Control.h).
//
// Every begin gets exactly one end, for the control and for each linked
// follower: a lost capture, hiding, disabling or detaching the control, a
// new begin, unlinking and the destructor all end a running gesture. An end
// with no gesture running does nothing.
//
// RolloverValueControl adds the rollover highlight: a level 0..255 that fades
// in when the pointer enters and out when it leaves, and the cross-fade of a
// normal and a highlighted bitmap by that level.
//
// Threading: GUI thread only; blend runs under the root control's lock.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animation.h"
#include "gui/Animator.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gui {

class Bitmap;
class ValueControl;

// Gesture mode bits of a modifier combination.
enum GestureMode : int { kModeReset = 1, kModeFine = 2, kModeLink = 4 };

// The gesture mode bits (kModeReset, kModeFine, kModeLink) for a pointer or
// key event's modifier mask (kShift, kAlt, kCtrl of gui/Modifiers.h).
// kRightPressEmulation gives no mode; other bits are ignored.
int modifierMode(int modifiers);

class ValueControlListener {
public:
    virtual ~ValueControlListener() = default;
    // The largest step (absolute) that what the listener keeps in step with
    // the control would take for this delta.
    virtual int valueControlQuery(ValueControl* control, int delta) = 0;
    // A linked change step that moves more than two controls begins.
    virtual void beginValueControlGroup() = 0;
    // A GesturePhase was applied; for a change, delta is the requested step,
    // or 0 for a reset step.
    virtual void valueControlChanged(ValueControl* control, int phase, int delta) = 0;
    // The linked change step is complete.
    virtual void endValueControlGroup() = 0;
};

// Controls that move together; shared by its members, freed when dissolved.
class ValueLinkGroup {
public:
    enum class Mode { kSame = 0, kMirrored = 1, kMirroredMapped = 2, kProportional = 3 };
    using Map = float (*)(float);

    Mode mode = Mode::kSame;
    std::vector<ValueControl*> members; // not owned
    Map forward;
    Map inverse;

    ValueLinkGroup();
    // Runs the phase on every member but the driver; returns the largest step.
    int computeStep(ValueControl* driver, int phase, int channel, int delta, int flags);
};

class ValueControl : public AnimatedControl {
public:
    enum class TransformBehavior { kNone = 0, kValueToPosition = 1 };
    // Flags of stepGesture and applyGesture.
    enum StepFlag : int { kFromValue = 1, kQueryOnly = 2, kUnlimitedGroupFirst = 4, kUnlimited = 8 };
    using PositionMap = float (*)(float);

    explicit ValueControl(UserInterface& userInterface);
    ~ValueControl() override;

    Property<int> defaultValue;
    Property<bool> indeterminate;
    Property<int> maximum;
    Property<int> minimum;
    Property<int> value;
    Property<int> controlId;
    Property<TransformBehavior> transformBehavior;
    NotifyEvent valueChangedEvent;
    NotifyEvent gestureBeginEvent;
    NotifyEvent gestureEndEvent;

    void propertyChanged(AbstractProperty& property) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    void captureLost() override;

    virtual void valueChanged();
    virtual void valueControlPropertyChanged(AbstractProperty& property);
    virtual int performGesture(int phase, int delta);
    virtual int stepGesture(int phase, int channel, int delta, int flags);
    virtual void updateLinkFromModifiers(int modifiers);

    int applyGesture(int phase, int channel, int delta, int flags);
    void setNormalizedValue(float t);
    void linkWith(ValueControl* other);
    void unlink();
    // Ends a running gesture (and its followers'); nothing when none runs.
    void endGesture();

    int gestureValue() const { return gestureValue_; }
    int gesturePosition() const { return gesturePosition_; }
    bool inGesture() const { return inGesture_; }
    bool linkActive() const { return linkActive_; }
    std::uint32_t linkedChannels() const { return linkedChannels_; }
    ValueLinkGroup* linkGroup() const { return linkGroup_; }
    int linkStartValue() const { return linkStartValue_; }
    ValueControlListener* listener() const { return listener_; }
    void setListener(ValueControlListener* listener) { listener_ = listener; }
    PositionMap valueToPosition = nullptr;
    PositionMap positionToValue = nullptr;

    // norm, pos, val and toSteps of the link arithmetic.
    float normalized(int v) const;
    float position(int v) const;
    float valueAt(float p) const;
    int toSteps(double t) const;

protected:
    // A change step to defaultValue (the reset of Ctrl presses).
    void resetToDefault();
    // The wheel's gesture of a control that the tracker (its
    // ValueMouseTracker) steps, by the wheel event's phase: kGestureBegin
    // resets the tracker and begins; kGestureChange begins when no gesture
    // runs, then hands the tracker's wheel step at speed (-1..1, both of its
    // numbers) to wheelSteps; kGestureEnd ends a running gesture. True: the wheel is taken. A
    // template only because the tracker's own unit includes this header.
    template <typename Tracker> bool wheelGesture(int phase, Tracker& tracker, float speed, int modifiers) {
        if (phase == kGestureBegin) tracker.reset();
        wheelPhase(phase, [&] { return tracker.wheelStep(speed, speed, modifiers); });
        return true;
    }
    // A wheel step of the running gesture; a change step by steps unless 0.
    virtual void wheelSteps(int steps);
    // The start that a knob's and a switch's press share: another button
    // goes to mouseDown alone; a left one takes the link mode from the
    // modifiers, then mouseDown. False when the press ends there (another
    // button, the control gone, a double click that the double-click
    // gesture takes); true when the caller goes on with the left press.
    bool beginLeftPress(int button, const Point& point, int modifiers);
    bool resetStep_ = false;

private:
    friend class ValueLinkGroup;

    // wheelGesture's phases; steps is asked only while the control lives.
    void wheelPhase(int phase, const std::function<int()>& steps);

    int gestureValue_ = 0;
    int gesturePosition_ = 0;
    bool inGesture_ = false;
    bool linkActive_ = false;
    bool guard_ = false;
    std::uint32_t linkedChannels_ = 0;
    ValueLinkGroup* linkGroup_ = nullptr;
    ValueControlListener* listener_ = nullptr;
    int linkStartValue_ = 0;
    int gestureChannel_ = 0;
    bool led_ = false;          // the gesture was begun by a link group's driver
    bool endOnRelease_ = false; // the capture went with the control's own release
    bool quiet_ = false;        // the control's own events are silent (destructor)
};

class RolloverManager {
public:
    RolloverManager(Control& control, int normalOpacity);
    ~RolloverManager();
    RolloverManager(const RolloverManager&) = delete;
    RolloverManager& operator=(const RolloverManager&) = delete;

    void setRollover(bool on);
    // Ends a running fade at once: the level jumps to its target.
    void finish();
    // The bitmap to draw for the level; opacity and (when asked) the source
    // rect of the blend bitmap come out.
    const Bitmap* blend(const Bitmap& normal, const Bitmap& highlight, int& opacity, Rect* rect);

    int level() const { return level_; }
    bool rollover() const { return state_; }
    void setNormalOpacity(int opacity) { normalOpacity_ = opacity; }

private:
    Control* control_;
    int normalOpacity_;
    bool state_ = false;
    ValueAnimation<int, int>* animation_ = nullptr;
    std::unique_ptr<Bitmap> blendBitmap_;
    int level_ = 0;
};

class RolloverValueControl : public ValueControl {
public:
    explicit RolloverValueControl(UserInterface& userInterface);
    ~RolloverValueControl() override;

    Property<bool> highlighted;
    Property<int> normalOpacity;

    void propertyChanged(AbstractProperty& property) override;

    RolloverManager& rolloverManager() { return rollover_; }
    bool pointerInside() const { return pointerInside_; }

protected:
    // Subclasses call this from their enter, leave and press handlers.
    void setPointerInside(bool inside);

private:
    bool pointerInside_ = false;
    RolloverManager rollover_;
};

} // namespace gui
