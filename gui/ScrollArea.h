#pragma once

// A view onto a larger content control, scrolled by dragging the content
// (with a glide after a quick release), by the wheel, by touch, by scroll
// bars (a thumb lying in a gutter per axis), by scroll buttons and from code
// to bring a child into view.
//
// Geometry along each axis. The view is the bounds minus the insets. The
// content length is 2 x margin + the content's extent (+ the tail
// horizontally), plus 2 x padding unless padWhenScrolling is set and the
// content fits. A position p runs from 0 to max(length - view, 0) (any
// value when unbounded) and places the content control's origin at
// inset + padding (when it counts) + margin - p. scrollToStart (p = margin)
// thus shows the content's first child at the leading edge of the view.
//
// The content control is the area's child and holds what is scrolled; the
// area makes an empty one at construction. With autoContentSize its extent
// is the union of its visible children's frames (less those that a
// FlexibleInfo excludes), measured from its origin;
// the area sizes the content control to that extent. The default content
// hands a press on its own background that moves more than 4 units to the
// area, and relays its children's changes as layout updates. A content set
// with setContent is followed whenever its own bounds change (a bar fitted
// to its children resizes itself as they come, go, grow or shrink); one
// whose children change without resizing it relays nothing by itself (call
// updateLayout). Either way the range follows the new length and the
// position is held inside it. The area owns its children: it deletes them
// all when it goes.
//
// Dragging: beginDrag is the one way a press reaches the area from a
// control inside it (state 2 for the content, 1 for a thumb). The velocity
// is the position's (minus the pointer's movement per second); a release at
// 50 units per second or more glides on by a quarter of a second of it over
// 1000 ms (ease-out). While a glide runs the root control keeps the area in
// its scrolling-area slot: the area posts itself message 0 (the GUI list, never
// the frame list, which the render thread may drain) when a glide starts; the
// message sets the slot, the last glide's end clears it, and so does the
// area's destructor.
//
// The wheel scrolls by the gesture's second delta (the distance):
// horizontally by +x, vertically by -y.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Button.h"
#include "gui/Enumerations.h"

#include <array>
#include <cstdint>

namespace gui {

class Timer;

class ScrollArea : public AnimatedControl {
public:
    enum class State { kIdle = 0, kThumbDrag = 1, kContentDrag = 2, kWheel = 3, kTouch = 4 };

    // A release faster than this (units per second) glides on.
    static constexpr float kGlideSpeed = 50.0f;
    // The glide covers this many seconds of the release velocity ...
    static constexpr float kGlideSeconds = 0.25f;
    // ... in this many milliseconds.
    static constexpr int kGlideDuration = 1000;
    // The posted message that registers a gliding area with the root.
    static constexpr int kGlideMessage = 0;

    // The thumb of one axis. A press hands the pointer to its scroll area
    // (the first ancestor that is one), which then drags the position.
    class ScrollBar : public Button {
    public:
        ScrollBar(UserInterface& userInterface, Button::Style* style,
                  Orientation axis = Orientation::kHorizontal);

        Property<float> minimumLength; // the thumb is never shorter (unless the track is)

        Orientation axis() const { return axis_; }
        // Shows the pressed look while its area drags it.
        void setDragged(bool dragged);
        bool isDragged() const { return dragged_; }
        void mouseDown(int button, const Point& point, int modifiers) override;
        void mouseEnter() override;
        void mouseLeave() override;

    private:
        Orientation axis_;
        bool dragged_ = false;
    };

    // The track of one axis under its thumb. A press beside the thumb pages
    // there; held for 500 ms, it pages again and then follows the pointer.
    class ScrollBarGutter : public AnimatedControl {
    public:
        static constexpr int kRepeatDelay = 500;
        // A press this close to an end goes to that end.
        static constexpr float kEndSnap = 20.0f;

        ScrollBarGutter(UserInterface& userInterface, Orientation axis = Orientation::kHorizontal);
        ~ScrollBarGutter() override;

        Orientation axis() const { return axis_; }
        bool isHeld() const { return held_; }
        bool isFollowing() const { return following_; }
        Timer* timer() const { return timer_; }

        void mouseDown(int button, const Point& point, int modifiers) override;
        void mouseMove(const Point& point, int modifiers) override;
        void mouseUp(int button, const Point& point, int modifiers) override;

    private:
        ScrollArea* area() const;
        void page(const Point& point);
        void timerTick();

        Orientation axis_;
        Timer* timer_ = nullptr;
        bool held_ = false;
        bool following_ = false;
        Point lastPoint_;
    };

    explicit ScrollArea(UserInterface& userInterface);
    ~ScrollArea() override;

    Property<bool> unbounded;
    Property<bool> padWhenScrolling;
    Property<bool> autoContentSize;
    Property<bool> showScrollBars;
    Property<float> paddingX;
    Property<float> marginX;
    Property<float> tailX;
    LimitedProperty<float> scrollX;
    Property<float> contentWidth;
    Property<Rect> insets;
    Property<float> paddingY;
    Property<float> marginY;
    LimitedProperty<float> scrollY;
    Property<float> contentHeight;

    NotifyEvent scrollEvent; // a position changed
    NotifyEvent layoutEvent; // the range, the content size or the layout changed

    // Deletes the old content; the new one (owned, may be null) becomes the
    // area's child.
    void setContent(Control* content);
    Control* content() const { return content_; }

    // Scrolls each axis so that the rect (in the child's coordinates) shows;
    // without a rect the child is centred. Animated (ease-out) when asked
    // and the area has an animator.
    void scrollToShow(Control* child, const Rect* rect, bool animate);
    // Both positions to their margins (the content's start).
    void scrollToStart();
    // Content size, range, content position, thumbs and gutters.
    void updateLayout();

    // Moves one axis to a position (held in its limits), animated (ease-out)
    // when asked and the area has an animator; an animation of the axis
    // that runs is replaced.
    void scrollTo(Orientation axis, float target, bool animate);
    // Stops the running animations of both positions.
    void stopScrolling();

    // Takes over the press of a control inside the area: state 2 for the
    // content, 1 for a thumb (source is then the thumb). The source's press
    // ends without a click; the area holds the pointer from the point on.
    void beginDrag(Control* source, const Point& point, int modifiers, bool thumb = false);

    State state() const { return state_; }
    bool isGliding() const { return glides_[0] != nullptr || glides_[1] != nullptr; }
    Point velocity() const { return velocity_; }
    ScrollBar* scrollBar(Orientation axis) const { return bars_[index(axis)]; }
    ScrollBarGutter* gutter(Orientation axis) const { return gutters_[index(axis)]; }
    // The view (bounds minus insets) and the content's length, per axis.
    float viewLength(Orientation axis) const;
    float contentLength(Orientation axis) const;
    // The thumb's length and offset along its track for the track length.
    float thumbLength(Orientation axis, float track) const;
    float thumbOffset(Orientation axis, float track) const;
    // The position that a gutter press at the point along the track asks for.
    float pagedPosition(Orientation axis, float point, float track) const;

    void propertyChanged(AbstractProperty& property) override;
    void handleMessage(int code) override;
    void componentDeleted(Component* component) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                    const Point& secondDelta) override;
    void childChanged(Control* child, ChildChange code) override;
    void boundsChanged() override;
    void touchEvent(const TouchRecord& record, const Point& point) override;
    void captureLost() override;

private:
    class Glide;
    friend class Glide;

    static int index(Orientation axis) { return axis == Orientation::kVertical ? 1 : 0; }
    LimitedProperty<float>& position(int axis) { return axis == 0 ? scrollX : scrollY; }
    const LimitedProperty<float>& position(int axis) const { return axis == 0 ? scrollX : scrollY; }
    float padding(int axis) const { return axis == 0 ? paddingX.getValue() : paddingY.getValue(); }
    float margin(int axis) const { return axis == 0 ? marginX.getValue() : marginY.getValue(); }
    float insetBefore(int axis) const;
    float view(int axis) const;
    float length(int axis) const { return axis == 0 ? contentWidth.getValue() : contentHeight.getValue(); }
    // Whether the padding counts in the length (it does unless it fits
    // with padWhenScrolling).
    bool paddingCounts(int axis) const;
    Point contentExtent() const;
    Rect contentRect() const;
    float trackLength(int axis) const;
    void updateContentSize();
    void updateRange();
    void placeContent();
    void placeScrollBars();
    void makeScrollBars();
    void adopt(Control* child);
    // Moves a position by a wheel or touch delta (the tail rule horizontally).
    void scrollBy(int axis, float delta);
    // True when an axis was fast enough to glide.
    bool startGlides();
    void glideEnded(Glide* glide);
    void dragTo(const Point& point);
    void recordVelocity(const Point& point);
    double nowSeconds() const;

    Control* content_ = nullptr;
    std::array<ScrollBar*, 2> bars_{};
    std::array<ScrollBarGutter*, 2> gutters_{};
    std::array<Glide*, 2> glides_{};
    std::array<bool, 2> fits_{true, true};
    State state_ = State::kIdle;
    ScrollBar* pressedBar_ = nullptr;
    bool armed_ = false;      // pressed on the area itself, not yet dragging
    bool registered_ = false; // in the root's scrolling-area slot
    bool inLayout_ = false;
    bool placing_ = false;   // the area itself moves the content
    double pressTime_ = 0.0; // seconds
    Point pressPoint_;
    Point pressScroll_;
    Point velocity_; // units per second
    Point extent_;   // of the content's children
    Point lastPoint_;
    double lastTime_ = 0.0;
};

} // namespace gui
