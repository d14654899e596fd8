#pragma once

// FloatValueLabel: a one-line numeric field of the modulation panels. It
// shows a parameter's value with a fixed number of decimals and a unit, is
// dragged up and down (two rows per step, a fine step with Shift) or typed
// into after a double click, and can instead show a "TAP" face that a
// quick click toggles (TapTimeHandler): in tap mode a press sets the value
// to the milliseconds since the previous press.
//
// Values are the parameter's plain values: its own units through its value
// map (a delay time in milliseconds, not its 0..1 position). The range, the
// drag steps, the edit value and a tap's milliseconds are all plain values;
// only the parameter itself is set with its own value. With parameterText
// set the label shows the parameter's own text form ("375.0 ms", "1.250 sec")
// and reads typed text as the parameter reads it.
//
// Gestures: a press begins one host gesture and only the release ends it
// (or, when no release comes, losing the capture, hiding, disabling,
// detaching or destroying the label), so every begin gets one end; a drag
// that changed the value stores one undo step. A tap and a typed value are
// each one gesture (begin, value, end) and one undo step. Typed text is read
// without the locale; anything but a number changes nothing.
//
// The shown text is prepared on the GUI thread (refresh); draw only paints
// it. The tap face is not owned.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/MultiLabel.h"
#include "modulation_editor/TapTimeHandler.h"

#include <string>
#include <string_view>

class AbstractPluginParameter;
class GenericPluginInterfaceBase;

namespace gui {
class Bitmap;
}

class FloatValueLabel : public gui::MultiLabel {
public:
    // Pointer rows per drag step: a move of more than this many rows steps.
    static constexpr int kRowsPerStep = 2;

    FloatValueLabel(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface);
    ~FloatValueLabel() override;

    Property<int> precision;
    Property<std::string> unit;
    Property<bool> showPlus;
    Property<float> fineStep;
    Property<float> coarseStep;
    Property<float> minimum;
    Property<float> maximum;
    Property<bool> parameterText;

    // The parameter shown and set (null: none); the label takes its plain
    // range.
    void setParameter(AbstractPluginParameter* parameter);
    AbstractPluginParameter* parameter() const { return parameter_; }
    // The face drawn in tap mode (null: the label has no tap mode).
    void setTapFace(gui::Bitmap* face);
    gui::Bitmap* tapFace() const { return tapFace_; }
    TapTimeHandler& tapHandler() { return tapHandler_; }
    bool isTapMode() const { return tapFace_ != nullptr && tapHandler_.isActive(); }
    bool isDragging() const { return dragging_; }
    float editValue() const { return editValue_; }

    // A plain value as the label writes it: the parameter's text with
    // parameterText, else the decimals, the unit and, with show plus, "+"
    // before values of 0 and above.
    std::string formatValue(float value) const;
    // The text the label shows now ("-" disabled, "TAP" in tap mode).
    std::string shownText();
    // Reads the value again and redraws (the owner calls it when the
    // parameter changed).
    void refresh();

    // The plain value shown: the parameter's.
    virtual float getValue();
    // One gesture phase on the parameter (a gui::GesturePhase) with a
    // plain value.
    virtual void setValue(int phase, float value);

    void propertyChanged(AbstractProperty& property) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void captureLost() override;
    void draw(gui::Canvas& canvas) override;
    // The one line stands in the middle of a label taller than it (a field
    // sized to its window rather than to its text).
    gui::Rect lineRect(int index) override;
    void editBegan() override;
    void textChanged() override;
    void editEnded() override;

private:
    static int rowOf(const gui::Point& point);
    float clampToRange(float value) const;
    // The typed text as a plain value; false when it is no value.
    bool readTyped(std::string_view typed, float& value) const;
    // Ends the press's gesture (once), with an undo step when it changed
    // something.
    void endGesture();
    void tapStateChanged();

    GenericPluginInterfaceBase& interface_;
    AbstractPluginParameter* parameter_ = nullptr;
    gui::Bitmap* tapFace_ = nullptr;
    TapTimeHandler tapHandler_;
    float editValue_ = 0.0f;
    int lastRow_ = 0;
    bool dragging_ = false;
    bool gestureOpen_ = false;
    bool changed_ = false;
    bool typingMarked_ = false;
};
