#pragma once

// A button that moves up to four parameters directly: dragging it moves
// channel 0 horizontally and channel 1 vertically (an XY pad, a component
// button's face), and with the link modifier the drag moves the second pair
// (channels 2 and 3) instead. The button talks to the editor's change
// manager itself, so every channel runs its own host gesture.
//
// Positions: a continuous parameter moves in units of 1/65536 of its linear
// range (rounded to the nearest unit); a stepped one in its own integer
// values. A value is sent only when the position moved.
//
// Gestures: every begin sent for a channel gets exactly one end. Releasing,
// losing the capture, a second press, switching the pair, hiding,
// disabling, detaching and destroying the button all end what is open.
// A drag, a wheel gesture or a reset that changed a value stores one undo
// step; one that changed none (a drag against the end of a range, a reset
// of values at their defaults) stores none.
//
// Threading: GUI thread only.

#include "editor/PositionToParameterInfo.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Button.h"
#include "gui/ValueMouseTracker.h"

#include <array>
#include <memory>
#include <vector>

class AbstractPluginParameter;
class GenericPluginInterfaceBase;

class ParameterButton : public gui::Button, public PositionToParameterInfo {
public:
    static constexpr int kChannels = 4;
    static constexpr int kContinuousSpan = 65536;

    enum class DragState { kIdle = 0, kPressed = 1, kDragging = 2 };

    ParameterButton(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                    gui::Button::Style* style);
    ~ParameterButton() override;

    Property<bool> invertAxisLock;
    Property<bool> dragThreshold;
    Property<bool> limitToRange;
    // A channel's span (maximum - minimum) changed (sender: the button).
    NotifyEvent rangeChangedEvent;

    // The channel's parameter (null clears it); its range is read at once.
    void setParameter(int channel, AbstractPluginParameter* parameter);
    AbstractPluginParameter* parameter(int channel) const;

    void propertyChanged(AbstractProperty& property) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    bool mouseWheel(int phase, const gui::Point& point, int modifiers, const gui::Point& firstDelta,
                    const gui::Point& secondDelta) override;
    void captureLost() override;
    // The button's own gestures run per channel; the inherited one is unused.
    int performGesture(int phase, int delta) override;
    int stepGesture(int phase, int channel, int delta, int flags) override;

    virtual int changeValue(int phase, int channel, int delta, int flags);
    // A parameter changed outside the button (-1: any of them).
    virtual void parameterChanged(int index);
    virtual void getParameterRange(int channel, int& minimum, int& maximum);
    // Hook: the channel's position moved.
    virtual void positionChanged(int channel, int newPosition, int oldPosition);
    virtual void performMouseAction(int button, int modifiers);
    virtual void resetToDefault();
    // The indices of every channel's parameter, for a point inside the paint bounds.
    void parametersAt(const gui::Point& point, std::vector<int32_t>& indices) override;

    void refreshParameterRange(int channel);
    // The value a channel shows: the drag's while dragging, else the parameter's.
    float getDisplayedValue(int channel);
    // The parameter's current position on the channel.
    int captureValue(int channel);
    void setSecondPair(int modifiers);

    DragState dragState() const { return dragState_; }
    bool secondPair() const { return secondPair_; }
    int axisLock() const { return axisLock_; }
    int rangeMinimum(int channel) const;
    int rangeMaximum(int channel) const;
    int dragValue(int channel) const;
    // Whether a host gesture is open on the channel.
    bool gestureOpen(int channel) const;
    GenericPluginInterfaceBase& interface() const { return *interface_; }

protected:
    // The record that drag channel 0 or 1 acts on (2 or 3 with the second pair).
    int recordFor(int channel) const;
    void beginChannels();
    // Ends every open channel gesture; with an undo step when asked and the
    // press (or wheel gesture) changed a value.
    void endChannels(bool storeUndo);

private:
    struct Channel {
        explicit Channel(gui::UserInterface& userInterface);
        gui::ValueMouseTracker tracker;
        AbstractPluginParameter* parameter = nullptr;
        int minimum = 0;
        int maximum = 0;
        int dragStart = -1;
        int dragValue = -1;
        bool open = false;
    };

    void beginChannel(int record);
    void endChannel(int record);
    int positionOf(int record, float value) const;
    float valueAt(int record, int position) const;
    bool midiLearnActive() const;
    void endWheel();

    GenericPluginInterfaceBase* interface_;
    std::array<std::unique_ptr<Channel>, kChannels> channels_;
    bool secondPair_ = false;
    gui::Point pressPoint_;
    gui::Point lastPoint_;
    float largestDx_ = 0.0f;
    float largestDy_ = 0.0f;
    int axisLock_ = -1;
    DragState dragState_ = DragState::kIdle;
    int wheelChannel_ = -1;
    // The editor's values when the press or the wheel gesture began.
    std::vector<float> pressValues_;
};
