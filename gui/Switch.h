#pragma once

// A multi-position switch or a slider: a handle moved along a track by the
// integer value. A range below 100 steps makes a stepped switch, whose
// handle snaps to positions (and glides to them after a slow drag); a wider
// range makes a slider whose handle follows the value continuously.
//
// Axis: the switch is vertical when it is not wider than it is high. A
// vertical slider has its minimum at the bottom, a vertical stepped switch
// at the top, a horizontal one at the left. The travel is the length the
// handle can move: the switch's length minus the handle's and both margins.
// A switch with no travel keeps its handle at the start margin and ignores
// drags and clicks.
//
// Styles: the editor owns the styles and shares each among many switches.
// A switch reads its style's bitmaps and handleOnly live, links itself to
// the style and forgets it when the style dies; it then acts as with an
// empty style. An absent highlighted track or fill stands for its normal
// one.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/NotifyEvent.h"
#include "gui/Bitmap.h"
#include "gui/Enumerations.h"
#include "gui/SharedStyleLink.h"
#include "gui/ValueControl.h"
#include "gui/ValueMouseTracker.h"

#include <memory>
#include <string>

namespace gui {

class Switch : public RolloverValueControl {
public:
    class Style : public Component {
    public:
        explicit Style(UserInterface& userInterface);
        ~Style() override;

        Property<bool> handleOnly; // only the handle paints and hits

        // Always present (empty at first).
        Bitmap& track() { return *track_; }
        Bitmap& handle() { return *handle_; }
        Bitmap& handleHighlighted() { return *handleHighlighted_; }
        // Absent (null) until made.
        Bitmap* trackHighlighted() { return trackHighlighted_.get(); }
        Bitmap* fill() { return fill_.get(); }
        Bitmap* fillHighlighted() { return fillHighlighted_.get(); }

        // Loads the named resources: the handle pair always; an empty track
        // name leaves the track empty; the highlighted track is made only for
        // a non-empty name.
        void setBitmaps(const std::string& track, const std::string& trackHighlighted,
                        const std::string& handle, const std::string& handleHighlighted);
        // Loads the fill pair (derived styles name their fills); an empty
        // name leaves that bitmap absent.
        void setFillBitmaps(const std::string& fill, const std::string& fillHighlighted);
        // Make an absent bitmap (empty) for filling by hand, and return it.
        Bitmap& makeTrackHighlighted();
        Bitmap& makeFill();
        Bitmap& makeFillHighlighted();
        // After a change of backing scale: loads the named bitmaps again when
        // the plain or "_2x" choice changed (a bitmap only refits the pixels it
        // loaded). Many switches share a style: only the first call loads.
        void reloadForScale();

    private:
        enum Slot { kTrack, kTrackHighlighted, kHandle, kHandleHighlighted, kFill, kFillHighlighted, kSlots };
        std::unique_ptr<Bitmap>& slot(Slot s);
        void load(Slot s, const std::string& name);

        std::unique_ptr<Bitmap> track_;
        std::unique_ptr<Bitmap> trackHighlighted_;
        std::unique_ptr<Bitmap> handle_;
        std::unique_ptr<Bitmap> handleHighlighted_;
        std::unique_ptr<Bitmap> fill_;
        std::unique_ptr<Bitmap> fillHighlighted_;
        std::string names_[kSlots];
        bool loadedDouble_ = false;
    };

    Switch(UserInterface& userInterface, Style* style);
    ~Switch() override;

    Property<bool> autoSize;
    Property<float> startMargin;
    Property<float> endMargin;
    Property<Direction> direction; // which side of the handle the fill covers
    Property<bool> tileTrack;

    // The position index under the pointer changed (min - 1 outside).
    NotifyEvent hoverPositionChangedEvent;

    void componentDeleted(Component* component) override;
    void getPaintBounds(Rect& rect) override;
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
    void boundsChanged() override;
    void valueControlPropertyChanged(AbstractProperty& property) override;

    virtual bool handleHit(const Point& point);
    virtual bool isStepped();
    virtual void updateRolloverAt(const Point& point);

    virtual void setStyle(Style* style);

    // The position index under a point: the nearest step; min - 1 outside.
    int positionIndexAt(const Point& point);
    // Where the handle's point would be for the current value.
    Point handleTarget() const;

    Style* style() const { return style_.get(); }
    const Point& handlePosition() const { return handlePosition_; }
    // The rect the handle takes presses in (local coordinates): its bitmap's
    // length along the axis, the switch's breadth across it.
    Rect handleRect();
    float travel() const { return travel_; }
    bool vertical() const { return vertical_; }
    bool dragging() const { return dragging_; }
    int hoverPosition() const { return hoverIndex_; }
    RolloverManager& trackRollover() { return trackRollover_; }
    ValueMouseTracker& tracker() { return tracker_; }

protected:
    // The next drag delta counts as 0 (for subclasses that move the switch).
    void zeroNextDelta() { zeroNextDelta_ = true; }
    Style& activeStyle();
    // The handle bitmap's length along the axis.
    float handleLength();

private:
    void updateTravel();
    void updateHandle();
    void autoResize();
    void setHoverIndex(int index);
    void redraw();
    // The fill pair blended by the track highlight level.
    const Bitmap* blendFill(const Bitmap& normal, const Bitmap& lit, int& opacity);

    SharedStyleLink<Style> style_{*this};
    Point handlePosition_;
    Point glideTarget_;
    RolloverManager trackRollover_;
    std::unique_ptr<Bitmap> fillBlend_;
    float travel_ = 0.0f;
    bool dragging_ = false;
    bool savedAcceleration_ = false;
    bool glide_ = false;
    int accumulated_ = 0;
    Point lastPoint_;
    bool zeroNextDelta_ = false;
    bool vertical_ = false;
    int hoverIndex_ = -1;
    ValueMouseTracker tracker_;
};

} // namespace gui
