#pragma once

// The drawing interface that every back end implements (the software bitmap
// and the accelerated renderer). Coordinates are logical units of the back
// end's target; callers above the back ends draw through gui::Canvas, which
// clips, moves and fades every call before it reaches the back end, so a
// back end never draws outside the area it was given.

#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Enumerations.h"

namespace gui {

class DeviceBacking;
class IBitmap;
class ICurve;
class IGradient;
struct CurveStyle;

class ICanvas {
public:
    virtual ~ICanvas() = default;

    // Copies the part of the bitmap that starts at sourcePoint into destRect,
    // blended with alpha (0..255).
    virtual void drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                            int alpha) = 0;
    // As drawBitmap, multiplied by the mask bitmap's alpha from maskPoint on.
    virtual void drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                                  const IBitmap& mask, const Point& maskPoint, int alpha) = 0;
    // The style's layers inside clipRect; destRect is the whole area the
    // curve spans (fills and fades are measured on it); offset is the
    // curve's own coordinate at destRect's corner; kVertical exchanges x and y.
    virtual void drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect,
                           const Point& offset, Orientation orientation, int alpha) = 0;
    // The modes of drawColorized: a column from top (colorA) to bottom
    // (colorB), or a band about the middle whose half height grows with the
    // level from the parameter's share of the rect, colorA at the middle.
    enum ColorizeMode : int { kColorizeColumn = 0, kColorizeBand = 1 };
    // A level fill in two colours following a curve clamped to 0..1; the
    // mode is a ColorizeMode, the parameter belongs to the back ends.
    virtual void drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                               const Point& offset, Color colorA, Color colorB, float parameter) = 0;
    // start and end are the gradient positions at the rect's low and high
    // edges along the direction's axis (high and low for the reversed
    // directions).
    virtual void fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                              float end, int alpha) = 0;
    // An anti-aliased line limited to bounds.
    virtual void drawLine(const Rect& bounds, const Point& from, const Point& to, Color color,
                          float width) = 0;
    virtual void fillRect(const Rect& rect, Color color) = 0;
    virtual DeviceBacking* getDeviceBacking() = 0;
    virtual Color getPixel(const Point& point) = 0;
    virtual void setPixel(const Point& point, Color color) = 0;
    // Readies the back end for a frame.
    virtual void prepare(const Rect& viewport) = 0;
};

} // namespace gui
