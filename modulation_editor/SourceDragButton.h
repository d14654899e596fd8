#pragma once

// SourceDragButton: the button of a source panel that starts a source drag
// (one per output; an XY controller's second is its Y axis, one source
// index above the X button's). A press and a move of more than 4 units in x
// or y starts the drag (at once without click mode); a release without a
// drag toggles the slot list between this source's slots and all slots.
// On every animation tick it shows the source's current output as its
// level (0 to 255), mirrored into an optional value control.
//
// Lifetime: a child of its panel; the mirror control is linked and
// forgotten when it dies.
//
// Threading: GUI thread only.

#include "gui/Animator.h"
#include "gui/Button.h"

#include <cstdint>
#include <memory>

class ModulationDragObject;
class SourceHost;

namespace gui {
class Bitmap;
class ValueControl;
} // namespace gui

class SourceDragButton : public gui::Button, public gui::AnimatedObject {
public:
    static constexpr float kDragDistance = 4.0f;
    static constexpr const char* kHelp =
        "Drag the source drag button to any target knob in the interface to create modulation connections. "
        "While dragging, you can hover above source buttons and component buttons to make different sources "
        "and components visible. For XY controllers, there are two source drag buttons, labeled X and Y.";

    // panel: the source panel it is a child of (its range comes from the host).
    SourceDragButton(SourceHost& host, gui::Control& panel, std::int32_t axisOffset,
                     gui::Button::Style* style);
    ~SourceDragButton() override;

    // The source this button drags: the panel's first source plus the axis.
    std::uint32_t sourceIndex() const;
    std::int32_t axisOffset() const { return axisOffset_; }
    void setClickMode(bool clickMode) { clickMode_ = clickMode; }
    void setAxisLabel(gui::Bitmap* label) { axisLabel_ = label; }
    void setMirror(gui::ValueControl* mirror);
    int level() const { return level_; }
    // Reads the source's output (the animation tick's work).
    void updateLevel();
    void startDrag();

    void step() override { updateLevel(); }

    int hitAlpha(const gui::Point& point) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void draw(gui::Canvas& canvas) override;
    void componentDeleted(gui::Component* component) override;

private:
    void released();

    SourceHost& host_;
    gui::Control& panel_;
    std::int32_t axisOffset_;
    bool clickMode_ = true;
    bool dragPressed_ = false;
    gui::Point pressPoint_;
    int level_ = 0;
    gui::ValueControl* mirror_ = nullptr;
    gui::Bitmap* axisLabel_ = nullptr;
    std::unique_ptr<ModulationDragObject> lastObject_;
};
