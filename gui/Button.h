#pragma once

// The push and toggle button of the toolkit, and the base of every
// button-like control. A button draws one of three states (normal,
// highlighted, pressed) from the bitmaps of a shared Button::Style, an
// optional icon and a label made of an image or of lines of text.
//
// Styles: the editor owns the styles and shares each among many buttons.
// A button copies the style's settings once, at construction; the style's
// bitmaps are read live. The button links itself to its style and forgets
// it when the style dies; it then draws as with an empty style and keeps
// the settings it copied. A button made without a style owns a default one.
//
// Backing scale: a style loaded by prefix remembers its resource names and,
// when the backing scale changes between plain and double images, loads them
// again (once per style, whichever of its buttons hears of it first).
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/IntervalTimer.h"
#include "gui/Bitmap.h"
#include "gui/Enumerations.h"
#include "gui/ValueControl.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class PopupMenu;
class Text;

class Button : public RolloverValueControl {
public:
    enum class BackgroundStyle { kStretch = 0, kCentred = 1, kCell = 2 };
    enum class OverlayStyle { kPlaced = 0, kBackground = 1 };
    enum class ButtonStyle { kOrdinary = 0, kHoldPressedLook = 1 };
    enum class DrawingState { kNormal = 0, kHighlighted = 1, kPressed = 2 };

    // The look many buttons share. State bitmaps: 0 normal, 1 highlighted,
    // 2 pressed, 3 the icon while off, 4 the icon while on.
    class Style : public Component {
    public:
        static constexpr int kStateBitmapCount = 5;

        explicit Style(UserInterface& userInterface);
        ~Style() override;

        Property<BackgroundStyle> backgroundStyle;
        Property<float> capSize;
        Property<float> height;
        Property<float> width;
        Property<int> backgroundOpacity;
        Property<Alignment> iconAlignment;
        Property<float> iconMargin;
        Property<int> iconOpacity;
        Property<int> iconOnOpacity;
        Property<OverlayStyle> overlayStyle;
        Property<Alignment> textAlignment;
        Property<Color> textColor;
        Property<int> textOpacity;
        Property<float> textOffsetX;
        Property<int> textOnOpacity;
        Property<float> textOffsetY;
        Property<float> margin;
        Property<Rect> insets;

        Bitmap& stateBitmap(int index) { return *stateBitmaps_[static_cast<std::size_t>(index)]; }
        // Width and height from the normal bitmap, or from the highlighted
        // one when the normal one has no pixels.
        void updateSizeFromBitmaps();
        // Loads prefix + "Normal.png", "Active.png" and "Down.png" into
        // holders 0 to 2 and prefix + "On.png" into holder 4; a resource
        // that exists in neither its plain nor its "_2x" form leaves its
        // holder empty. Holder 3 is left as it is. Throws EResource when
        // none of the three state images exists (a wrong prefix).
        void loadBitmaps(const std::string& prefix);
        // After a change of backing scale: loads the named bitmaps again when
        // the plain or "_2x" choice changed (a bitmap only refits the pixels
        // it loaded). Many buttons share a style: only the first call loads.
        void reloadForScale();

    private:
        std::array<std::unique_ptr<Bitmap>, kStateBitmapCount> stateBitmaps_;
        std::array<std::string, kStateBitmapCount> names_;
        bool loadedDouble_ = false;
    };

    // Without a style the button makes (and owns) a default one.
    Button(UserInterface& userInterface, Style* style);
    ~Button() override;

    Property<BackgroundStyle> backgroundStyle;
    Property<float> capSize;
    Property<ButtonStyle> buttonStyle;
    Property<bool> on;
    Property<bool> hitByRect;
    Property<bool> toggles;
    LimitedProperty<int> lineCount;
    Property<Alignment> iconAlignment;
    Property<float> iconMargin;
    Property<int> iconOpacity;
    Property<int> iconOnOpacity;
    Property<OverlayStyle> overlayStyle;
    Property<Alignment> textAlignment;
    Property<float> textPadding;
    Property<int> textOpacity;
    Property<float> textOffsetX;
    Property<int> textOnOpacity;
    Property<float> spacing;
    Property<float> textOffsetY;
    Property<bool> turnOnAtPress;
    Property<float> margin;
    Property<Rect> insets;

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(Component* component) override;
    // A dragged object resting on the button (kTargetRested) clicks it.
    void fireEvent6(int phase) override;
    void getPaintBounds(Rect& rect) override;
    void paintContents(Canvas& canvas) override;
    int hitAlpha(const Point& point) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    void draw(Canvas& canvas) override;
    void scaleChanged() override;
    void boundsChanged() override;

    // Replaces the style and redraws; copies nothing.
    virtual void setStyle(Style* style);
    virtual void drawStateBitmap(Canvas& canvas, const Bitmap& bitmap, int opacity);
    virtual void drawLabel(Canvas& canvas, const Point& position);
    // Invalidates the whole bounds.
    virtual void refresh();
    // A push button tells of a user's action by its click alone: no press of
    // it changes its value (a toggling one flips only `on`). The value
    // buttons built on it (select, toggle, integer and float buttons) say no.
    virtual bool isPushButton() const { return true; }

    // Takes the rect's size and draws the normal and highlighted looks from
    // the rect's origin of the state bitmaps.
    void placeOnBackground(const Rect& rect);

    // 0 off, 1 on; the style's icon stands in for one without pixels.
    Bitmap& icon(int index) { return *icons_[static_cast<std::size_t>(index)]; }
    Bitmap& labelImage() { return *labelImage_; }
    Bitmap& onLabelImage() { return *onLabelImage_; }
    const std::vector<std::unique_ptr<Text>>& textLines() const { return textLines_; }
    Text* textLine(int index) { return textLines_[static_cast<std::size_t>(index)].get(); }

    // A menu that a press opens under the button (not owned; null detaches).
    void setPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
    PopupMenu* popupMenu() const { return popupMenu_; }

    Style* style() const { return style_; }
    DrawingState drawingState() const { return drawingState_; }
    bool pressed() const { return pressed_; }
    bool placedOnBackground() const { return placedOnBackground_; }

protected:
    // What drawStateBackground and paintContents draw: by the drawing state,
    // the normal look at normalOpacity, or the highlighted look at 255.
    enum PaintMode : int { kPaintByState = 0, kPaintNormal = 1, kPaintHighlighted = 2 };
    // A PaintMode.
    void drawStateBackground(Canvas& canvas, int mode);
    void paintContents(Canvas& canvas, int mode);
    // The label (the on or off label image, else the text lines), aligned in
    // the width that `lead` units of a placed icon leave and moved past them.
    void paintLabel(Canvas& canvas, float lead);
    void setDrawingState(DrawingState state);
    // An opacity raised towards 255 by the highlight level.
    int blendOpacity(int opacity) const;
    float pressedShift() const;
    // Visible, enabled, inside the bounds and through the hit rule.
    bool pointerOnButton(const Point& point);
    // The style, or an empty one when the style is gone.
    Style& activeStyle();

private:
    void rebuildTextLines();
    // Every text line's width: the width less the padding on both sides and
    // the placed icon. Set on the GUI thread whenever one of those changes,
    // never while drawing.
    void updateLineWidths();
    const Bitmap* shownIcon();

    Style* style_ = nullptr;
    PopupMenu* popupMenu_ = nullptr;
    std::unique_ptr<Style> ownedStyle_;
    std::unique_ptr<Style> emptyStyle_;
    std::array<std::unique_ptr<Bitmap>, 2> icons_;
    std::unique_ptr<Bitmap> labelImage_;
    std::unique_ptr<Bitmap> onLabelImage_;
    std::vector<std::unique_ptr<Text>> textLines_;
    std::unique_ptr<IntervalTimer> intervalTimer_;
    DrawingState drawingState_ = DrawingState::kNormal;
    bool pressed_ = false;
    bool turnedOnAtPress_ = false;
    bool placedOnBackground_ = false;
    Point backgroundOrigin_;
};

} // namespace gui
