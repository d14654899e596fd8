#pragma once

// The drawing wrapper that controls draw through. It holds the current
// origin (where the control's coordinate system lies in the target's logical
// coordinates), the clip rect (in the current coordinates) and the opacity,
// and turns every call into the back end's call:
//   1. the origin snaps to the device pixel it falls on;
//   2. the clip is expressed relative to that snapped origin;
//   3. the destination is intersected with the clip (an empty result draws
//      nothing), and source, mask and offset points move by as much as the
//      destination's left and top edges were clipped;
//   4. the destination is moved by the snapped origin;
//   5. alphas are multiplied by the opacity, rounded (multiplyBytes).
// So back ends never draw outside the clip.
//
// clip, opacity and origin are properties: their owner (the listener, may be
// null) is told when one changes (geometry beyond 0.001).
//
// Threading: one painting thread; no call allocates.

#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/CurveStyle.h"
#include "gui/Enumerations.h"
#include "gui/ICanvas.h"

namespace gui {

class Text;

class Canvas : public ICanvas {
public:
    // The values that render saves around a child and restores after it.
    struct State {
        const Canvas* canvas = nullptr;
        Rect clip;
        int opacity = 255;
        Point origin;
    };

    explicit Canvas(ICanvas* target = nullptr, PropertyOwner* listener = nullptr);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Property<Rect> clip;
    Property<int> opacity;
    Property<Point> origin;

    void setTarget(ICanvas* target) { target_ = target; }
    ICanvas* getTarget() const { return target_; }
    void setListener(PropertyOwner* listener);

    State saveState() const { return {this, clip.getValue(), opacity.getValue(), origin.getValue()}; }
    // Writes the values back; only those that differ tell the listener.
    void restoreState(const State& state);

    // ICanvas, mapped as described above.
    void drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                    int alpha) override;
    void drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                          const IBitmap& mask, const Point& maskPoint, int alpha) override;
    void drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect, const Point& offset,
                   Orientation orientation, int alpha) override;
    void drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Color colorA, Color colorB, float parameter) override;
    void fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                      float end, int alpha) override;
    void drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) override;
    void fillRect(const Rect& rect, Color color) override;
    DeviceBacking* getDeviceBacking() override;
    Color getPixel(const Point& point) override;
    void setPixel(const Point& point, Color color) override;
    // Not forwarded: the root control prepares the back end itself.
    void prepare(const Rect& viewport) override;

    // The whole bitmap with its top-left corner at the point.
    void drawBitmap(const IBitmap& bitmap, const Point& point, int alpha);
    // Drawn with the canvas opacity; the whole destRect is the curve's area.
    void drawCurve(const CurveStyle& style, const Rect& destRect, const Point& offset,
                   Orientation orientation = Orientation::kHorizontal);
    // One layer: line width 2, lineColor on the line, aboveColor above it
    // (and just above), belowColor below it (and just below).
    void strokeCurve(const ICurve& curve, const Rect& destRect, const Point& offset, Color lineColor,
                     Color aboveColor, Color belowColor);
    void drawColorized(int mode, const ICurve& curve, const Rect& destRect, const Point& offset, Color colorA,
                       Color colorB, float parameter);
    // The text's rendered bitmap at (point.x, point.y + its vertical offset).
    void drawText(Text& text, const Point& point, int alpha);
    // Three-slice stretch: caps (half the source, at most capSize when
    // positive, rounded down to device pixels) at both ends of the axis whose
    // length differs, the source's middle tiled between them inside the clip.
    void drawBitmapInRect(const IBitmap& bitmap, const Rect& sourceRect, const Rect& destRect, int alpha,
                          float capSize = 0.0f);
    // The bitmap drawn as two halves along the axis: the first half of the
    // destination from the source's start, the second from its end.
    void drawBitmapCell(const IBitmap& bitmap, const Rect& rect, int alpha, Orientation axis);
    // The outline outside the rect: top, right, bottom, left.
    void frameRect(const Rect& rect, Color color, float lineWidth);
    void drawLine(const Point& from, const Point& to, const Rect& bounds, Color color, float width);

    // The source point of a three-slice drawing at a point of destRect (in
    // destRect's coordinates); always finite and inside the source.
    static Point mapSlicedPoint(const Point& point, const IBitmap& bitmap, const Rect& destRect,
                                float minCap);

private:
    // Steps 1 to 4: false when nothing remains to draw. clipped is in the
    // current coordinates, moved the amount its left and top were clipped.
    bool mapRect(const Rect& rect, Rect& clipped, Point& moved, Point& snappedOrigin);
    Point snappedOrigin();
    Rect clipAtSnappedOrigin(const Point& snapped) const;
    float backingScale();
    int scaleAlpha(int alpha) const;
    Color scaleColor(Color color) const;

    ICanvas* target_;
};

} // namespace gui
