#pragma once

// XYControllerButton: the pad of an XY controller's source panel. Channel 0
// (the x axis) and channel 1 (the y axis) are the controller's two
// parameters; dragging anywhere on the pad moves both, as a parameter
// button does (Shift fine, Ctrl-click resets, MIDI learn). The button adds
// the pad geometry, a background rendered from a bitmap with guide lines,
// and the point: an icon where the values stand (two axes), or the y value
// as text (one axis, where x drags are ignored).
//
// Geometry (local coordinates): the pad is the bounds shrunk by padInsets.
// An axis value v is the normalised position of the parameter's value (its
// linear position in the range; a stepped one's step); unipolar axes use
// max(0, 2v - 1), the upper half that their drag range reaches. x grows to
// the right and y upwards from the pad's bottom-left corner.
//
// Ownership: the background source is not owned (a bitmap of the editor's
// list); the rendered background, the point icon and the value text are.
// draw reads only what the GUI thread prepared (the point, the text, the
// background bitmap).
//
// Threading: GUI thread only; draw runs under the root lock.

#include "editor/ParameterButton.h"
#include "foundation/Property.h"
#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Enumerations.h"

#include <cstdint>
#include <memory>

namespace gui {
class Bitmap;
class Text;
} // namespace gui

class XYControllerButton : public ParameterButton {
public:
    enum class Dimensionality : int32_t { kOneAxis = 0, kTwoAxes = 1 };
    enum class Polarity : int32_t { kUnipolar = 0, kBipolar = 1 };

    // Where the one-axis value text stands below the pad's top, and how
    // much narrower than the pad it is on each side.
    static constexpr float kValueTextTop = 24.0f;
    static constexpr float kValueTextInset = 2.0f;

    XYControllerButton(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                       gui::Button::Style* style);
    ~XYControllerButton() override;

    Property<gui::Rect> padInsets;
    Property<Dimensionality> dimensionality;
    Property<int> pointOpacity;
    Property<Polarity> polarity;
    // The guide lines, blended at guideColor's alpha: a gradient from
    // shadowColor at both ends to highlightColor (the horizontal line) or
    // centreColor (the one-axis vertical line) in the middle.
    Property<gui::Color> guideColor;
    Property<gui::Color> shadowColor;
    Property<gui::Color> highlightColor;
    Property<gui::Color> valueTextColor;
    Property<gui::Color> centreColor;

    // The bitmap the background is rendered from (null: no background).
    void setBackgroundSource(gui::Bitmap* source);
    gui::Bitmap* backgroundSource() const { return backgroundSource_; }
    // The icon drawn at the point (the product loads it).
    gui::Bitmap& pointIcon() { return *pointIcon_; }
    const gui::Bitmap& background() const { return *background_; }
    gui::Text* valueText() const { return valueText_.get(); }

    const gui::Rect& padRect() const { return pad_; }
    const gui::Point& point() const { return point_; }
    // An axis's value as the pad shows it (0 to 1).
    float axisValue(int axis);

    void propertyChanged(AbstractProperty& property) override;
    void paintContents(gui::Canvas& canvas) override;
    void scaleChanged() override;
    void boundsChanged() override;
    void getParameterRange(int channel, int& minimum, int& maximum) override;
    int changeValue(int phase, int channel, int delta, int flags) override;
    void parameterChanged(int index) override;
    void positionChanged(int channel, int newPosition, int oldPosition) override;

private:
    bool twoAxes() const { return dimensionality.getValue() == Dimensionality::kTwoAxes; }
    void updatePad();
    void updatePoint();
    void renderBackground();
    void drawGuide(const gui::Rect& rect, gui::Direction direction, gui::Color middle);
    gui::Rect iconRect(const gui::Point& at);

    gui::Rect pad_;
    gui::Point point_;
    gui::Bitmap* backgroundSource_ = nullptr;
    std::unique_ptr<gui::Bitmap> background_;
    std::unique_ptr<gui::Bitmap> pointIcon_;
    std::unique_ptr<gui::Text> valueText_;
    // Whether the x axis's gesture reached the host (one axis drags none).
    bool xGestureOpen_ = false;
};
