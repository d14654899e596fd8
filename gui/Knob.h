#pragma once

// The rotary control: a background and an indicator bitmap turned to the
// value's angle. It is turned by a straight drag (through its value mouse
// tracker) or, from the handle, by following the pointer around the centre.
//
// Angles are in turns (0..1): 0 points up and they grow clockwise.
//
// Styles: the editor owns the styles; a knob reads its style's bitmaps and
// geometry live, links itself to the style and forgets it when the style
// dies (it then acts as with an empty style). The rotated indicator is
// cached and rendered again only when the drawn angle, hover or drag state
// is stale.
//
// Threading: GUI thread only; draw runs under the root lock and is the only
// place that renders the cache.

#include "gui/Bitmap.h"
#include "gui/Enumerations.h"
#include "gui/SharedStyleLink.h"
#include "gui/ValueControl.h"
#include "gui/ValueMouseTracker.h"

#include <array>
#include <memory>
#include <string>

namespace gui {

class Knob : public RolloverValueControl {
public:
    enum class DragMode { kNone = 0, kLinear = 1, kRotary = 2 };
    enum class HoverState { kOutside = 0, kOver = 1, kHandle = 2 };

    // Bitmaps: 0 background, 1 background highlighted, 2 indicator, 3
    // indicator with the pointer over the knob, 4 on the handle, 5 dragging
    // from the handle.
    class Style : public Component {
    public:
        static constexpr int kBitmapCount = 6;

        explicit Style(UserInterface& userInterface);
        ~Style() override;

        Property<float> handleTolerance; // degrees
        Property<float> radius;
        Property<float> innerRadius;
        Property<float> margin;
        Property<Rect> insets;

        Bitmap& bitmap(int index) { return *bitmaps_[static_cast<std::size_t>(index)]; }
        // Loads the six resources (an empty name leaves its bitmap empty), in
        // the order background, indicator, background highlighted, indicator
        // over, on the handle, dragging; a radius still 0 becomes half the
        // background's width minus 2.
        void setBitmaps(const std::string& background, const std::string& indicator,
                        const std::string& backgroundHighlighted, const std::string& indicatorOver,
                        const std::string& indicatorOnHandle, const std::string& indicatorDragging);
        // The radius rule alone, for bitmaps filled by hand.
        void applyRadiusRule();
        // After a change of backing scale: loads the named bitmaps again when
        // the plain or "_2x" choice changed (a bitmap only refits the pixels
        // it loaded). Many knobs share a style: only the first call loads.
        void reloadForScale();

    private:
        std::array<std::unique_ptr<Bitmap>, kBitmapCount> bitmaps_;
        std::array<std::string, kBitmapCount> names_;
        bool loadedDouble_ = false;
    };

    Knob(UserInterface& userInterface, Style* style);
    ~Knob() override;

    Property<bool> acceleration;
    Property<Orientation> orientation;
    Property<bool> roundHit;
    Property<bool> limitJumps;
    Property<float> angleRange;  // degrees, held in 1..360
    Property<float> angleOffset; // degrees, held in -359..359
    Property<bool> showDefaultWhenDisabled;
    Property<float> fineFactor;
    Property<Rect> adjust;

    void componentDeleted(Component* component) override;
    void getPaintBounds(Rect& rect) override;
    void paintContents(Canvas& canvas) override;
    int hitAlpha(const Point& point) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                    const Point& secondDelta) override;
    void scaleChanged() override;
    void draw(Canvas& canvas) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;

    virtual void setStyle(Style* style);
    virtual bool rotaryAllowed(int modifiers);

    // The backgrounds of paintContents.
    enum PaintMode : int { kPaintPlain = 0, kPaintHighlighted = 2 };
    // A PaintMode; the background and the indicator both at 255, no blend.
    void paintContents(Canvas& canvas, int mode);

    float angleForValue(int v) const;
    int valueForAngle(float angle) const;
    float pointerAngle(const Point& point) const;

    Style* style() const { return style_.get(); }
    float currentAngle() const { return angle_; }
    DragMode dragMode() const { return dragMode_; }
    HoverState hoverState() const { return hover_; }
    ValueMouseTracker& tracker() { return tracker_; }
    // How often the indicator was rendered into the cache.
    int renderCount() const { return renderCount_; }

private:
    Style& activeStyle();
    void updateAngle();
    bool stale() const;
    bool ringHit(const Point& point, float centre, float tolerance);
    void setHover(HoverState state);
    void sizeToIndicator();
    void renderIndicator();
    const Bitmap& indicatorForState();

    SharedStyleLink<Style> style_{*this};
    ValueMouseTracker tracker_;
    std::unique_ptr<Bitmap> cache_;
    float angle_ = 0.0f;
    DragMode dragMode_ = DragMode::kNone;
    float lastLinear_ = 0.0f;
    float pressAngle_ = 0.0f;
    float angleAtPress_ = 0.0f;
    int deadZone_ = 0;
    HoverState hover_ = HoverState::kOutside;
    float drawnAngle_ = -10.0f;
    HoverState drawnHover_ = HoverState::kOutside;
    bool drawnDragging_ = false;
    int renderCount_ = 0;
};

} // namespace gui
