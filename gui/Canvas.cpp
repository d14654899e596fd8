#include "gui/Canvas.h"

#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"
#include "gui/Text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace gui {

Canvas::Canvas(ICanvas* target, PropertyOwner* listener)
    : clip(listener, Rect()), opacity(listener, 255), origin(listener, Point()), target_(target) {}

void Canvas::setListener(PropertyOwner* listener) {
    clip.setOwner(listener);
    opacity.setOwner(listener);
    origin.setOwner(listener);
}

void Canvas::restoreState(const State& state) {
    clip.setValue(state.clip);
    opacity.setValue(state.opacity);
    origin.setValue(state.origin);
}

float Canvas::backingScale() {
    DeviceBacking* backing = target_ != nullptr ? target_->getDeviceBacking() : nullptr;
    const float scale = backing != nullptr ? backing->getScale() : 1.0f;
    return scale > 0.0f ? scale : 1.0f;
}

Point Canvas::snappedOrigin() {
    const float scale = backingScale();
    const Point o = origin.getValue();
    return {DeviceBacking::snapAt(o.x, scale), DeviceBacking::snapAt(o.y, scale)};
}

Rect Canvas::clipAtSnappedOrigin(const Point& snapped) const {
    return clip.getValue().offset(origin.getValue() - snapped);
}

bool Canvas::mapRect(const Rect& rect, Rect& clipped, Point& moved, Point& snapped) {
    if (target_ == nullptr) return false;
    snapped = snappedOrigin();
    clipped = intersection(rect, clipAtSnappedOrigin(snapped));
    if (clipped.isEmpty()) return false;
    moved = {clipped.left - rect.left, clipped.top - rect.top};
    return true;
}

int Canvas::scaleAlpha(int alpha) const {
    return multiplyBytes(std::clamp(alpha, 0, 255), std::clamp(opacity.getValue(), 0, 255));
}

Color Canvas::scaleColor(Color color) const {
    return color.withAlpha(static_cast<std::uint8_t>(scaleAlpha(color.a)));
}

void Canvas::drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint, int alpha) {
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(destRect, clipped, moved, snapped)) return;
    target_->drawBitmap(bitmap, clipped.offset(snapped), sourcePoint + moved, scaleAlpha(alpha));
}

void Canvas::drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                              const IBitmap& mask, const Point& maskPoint, int alpha) {
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(destRect, clipped, moved, snapped)) return;
    target_->drawBitmapMasked(bitmap, clipped.offset(snapped), sourcePoint + moved, mask, maskPoint + moved,
                              scaleAlpha(alpha));
}

void Canvas::drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Orientation orientation, int alpha) {
    // clipRect narrows what is drawn; destRect stays the curve's whole area.
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(intersection(clipRect, destRect), clipped, moved, snapped)) return;
    const Point corner{clipped.left - destRect.left, clipped.top - destRect.top};
    target_->drawCurve(style, clipped.offset(snapped), destRect.offset(snapped), offset + corner, orientation,
                       scaleAlpha(alpha));
}

void Canvas::drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                           const Point& offset, Color colorA, Color colorB, float parameter) {
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(intersection(clipRect, destRect), clipped, moved, snapped)) return;
    const Point corner{clipped.left - destRect.left, clipped.top - destRect.top};
    target_->drawColorized(mode, curve, clipped.offset(snapped), destRect.offset(snapped), offset + corner,
                           scaleColor(colorA), scaleColor(colorB), parameter);
}

void Canvas::fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                          float end, int alpha) {
    const bool vertical = isVertical(direction);
    const float extent = vertical ? rect.height() : rect.width();
    if (!(extent > 0.0f)) return;
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(rect, clipped, moved, snapped)) return;
    // Positions at the low and high edges; the reversed directions hold them
    // the other way round.
    const bool reversed = isReversed(direction);
    float low = reversed ? end : start;
    float high = reversed ? start : end;
    const float k = (high - low) / extent;
    const float lowMoved = vertical ? clipped.top - rect.top : clipped.left - rect.left;
    const float highMoved = vertical ? clipped.bottom - rect.bottom : clipped.right - rect.right;
    low += lowMoved * k;
    high += highMoved * k;
    if (reversed) std::swap(low, high);
    target_->fillGradient(gradient, clipped.offset(snapped), direction, low, high, scaleAlpha(alpha));
}

void Canvas::drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) {
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(bounds, clipped, moved, snapped)) return;
    target_->drawLine(clipped.offset(snapped), from + snapped, to + snapped, scaleColor(color), width);
}

void Canvas::drawLine(const Point& from, const Point& to, const Rect& bounds, Color color, float width) {
    drawLine(bounds, from, to, color, width);
}

void Canvas::fillRect(const Rect& rect, Color color) {
    Rect clipped;
    Point moved, snapped;
    if (!mapRect(rect, clipped, moved, snapped)) return;
    target_->fillRect(clipped.offset(snapped), scaleColor(color));
}

DeviceBacking* Canvas::getDeviceBacking() {
    return target_ != nullptr ? target_->getDeviceBacking() : nullptr;
}

Color Canvas::getPixel(const Point& point) {
    if (target_ == nullptr) return {};
    return target_->getPixel(point + snappedOrigin());
}

void Canvas::setPixel(const Point& point, Color color) {
    if (target_ == nullptr) return;
    const Point snapped = snappedOrigin();
    if (!clipAtSnappedOrigin(snapped).contains(point)) return;
    target_->setPixel(point + snapped, scaleColor(color));
}

void Canvas::prepare(const Rect&) {}

void Canvas::drawBitmap(const IBitmap& bitmap, const Point& point, int alpha) {
    const Rect r = bitmap.getRect();
    drawBitmap(bitmap, Rect::fromXYWH(point.x, point.y, r.width(), r.height()), Point(), alpha);
}

void Canvas::drawCurve(const CurveStyle& style, const Rect& destRect, const Point& offset,
                       Orientation orientation) {
    drawCurve(style, destRect, destRect, offset, orientation, 255);
}

void Canvas::strokeCurve(const ICurve& curve, const Rect& destRect, const Point& offset, Color lineColor,
                         Color aboveColor, Color belowColor) {
    CurveStyle style;
    style.colorAbove = aboveColor;
    style.layerCount = 1;
    style.layers[0].curve = &curve;
    style.layers[0].colorJustAbove = aboveColor;
    style.layers[0].lineColor = lineColor;
    style.layers[0].colorJustBelow = belowColor;
    style.layers[0].lineWidth = 2.0f;
    style.layers[0].softWidth = 0.0f;
    style.colorBelow = belowColor;
    drawCurve(style, destRect, offset);
}

void Canvas::drawColorized(int mode, const ICurve& curve, const Rect& destRect, const Point& offset,
                           Color colorA, Color colorB, float parameter) {
    drawColorized(mode, curve, destRect, destRect, offset, colorA, colorB, parameter);
}

void Canvas::drawText(Text& text, const Point& point, int alpha) {
    const IBitmap* bitmap = text.render(); // may render and cache it first
    if (bitmap == nullptr) return;
    drawBitmap(*bitmap, Point(point.x, point.y + text.verticalOffset()), alpha);
}

namespace {

bool finiteRect(const Rect& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) && std::isfinite(r.bottom);
}

} // namespace

void Canvas::drawBitmapInRect(const IBitmap& bitmap, const Rect& sourceRect, const Rect& destRect, int alpha,
                              float capSize) {
    if (!finiteRect(sourceRect) || !finiteRect(destRect) || sourceRect.isEmpty() || destRect.isEmpty())
        return;
    const bool alongY = std::fabs(destRect.height() - sourceRect.height()) > kGeometryTolerance;
    const bool alongX = !alongY && std::fabs(destRect.width() - sourceRect.width()) > kGeometryTolerance;
    if (!alongY && !alongX) {
        drawBitmap(bitmap, destRect, sourceRect.topLeft(), alpha);
        return;
    }
    const float scale = backingScale();
    const float sourceLength = alongY ? sourceRect.height() : sourceRect.width();
    float cap = sourceLength / 2.0f;
    if (capSize > 0.0f) cap = std::min(cap, capSize);
    cap = std::floor(cap * scale) / scale;

    // Work along one axis: a = the stretched axis, with helpers to build rects.
    auto destPiece = [&](float from, float to) {
        return alongY ? Rect(destRect.left, from, destRect.right, to)
                      : Rect(from, destRect.top, to, destRect.bottom);
    };
    auto sourceAt = [&](float along) {
        return alongY ? Point(sourceRect.left, along) : Point(along, sourceRect.top);
    };
    const float destLow = alongY ? destRect.top : destRect.left;
    const float destHigh = alongY ? destRect.bottom : destRect.right;
    const float sourceLow = alongY ? sourceRect.top : sourceRect.left;
    const float sourceHigh = alongY ? sourceRect.bottom : sourceRect.right;

    if (cap > 0.0f) {
        drawBitmap(bitmap, destPiece(destLow, destLow + cap), sourceAt(sourceLow), alpha);
        drawBitmap(bitmap, destPiece(destHigh - cap, destHigh), sourceAt(sourceHigh - cap), alpha);
    }

    // The middle: pieces of the source's middle, only those inside the clip.
    const float middleLow = destLow + cap;
    const float middleHigh = destHigh - cap;
    if (!(middleHigh > middleLow)) return;
    const float piece = std::max(sourceLength - 2.0f * cap, 1.0f);
    const Rect visible = clipAtSnappedOrigin(snappedOrigin());
    const float visibleLow = std::max(middleLow, alongY ? visible.top : visible.left);
    const float visibleHigh = std::min(middleHigh, alongY ? visible.bottom : visible.right);
    if (!(visibleHigh > visibleLow)) return;
    const double first = std::floor((static_cast<double>(visibleLow) - middleLow) / piece);
    for (double i = std::max(first, 0.0);; i += 1.0) {
        const float from = static_cast<float>(middleLow + i * piece);
        if (!(from < visibleHigh) || !(from < middleHigh)) break;
        const float to = std::min(static_cast<float>(middleLow + (i + 1.0) * piece), middleHigh);
        if (!(to > from)) break;
        drawBitmap(bitmap, destPiece(from, to), sourceAt(sourceLow + cap), alpha);
    }
}

void Canvas::drawBitmapCell(const IBitmap& bitmap, const Rect& rect, int alpha, Orientation axis) {
    const Rect source = bitmap.getRect();
    if (axis == Orientation::kHorizontal) {
        const float middle = rect.left + rect.width() / 2.0f;
        const float firstLength = std::min(middle - rect.left, source.width());
        const float secondLength = std::min(rect.right - middle, source.width());
        drawBitmapInRect(bitmap, Rect(source.left, source.top, source.left + firstLength, source.bottom),
                         Rect(rect.left, rect.top, middle, rect.bottom), alpha, 0.0f);
        drawBitmapInRect(bitmap, Rect(source.right - secondLength, source.top, source.right, source.bottom),
                         Rect(middle, rect.top, rect.right, rect.bottom), alpha, 0.0f);
    } else {
        const float middle = rect.top + rect.height() / 2.0f;
        const float firstLength = std::min(middle - rect.top, source.height());
        const float secondLength = std::min(rect.bottom - middle, source.height());
        drawBitmapInRect(bitmap, Rect(source.left, source.top, source.right, source.top + firstLength),
                         Rect(rect.left, rect.top, rect.right, middle), alpha, 0.0f);
        drawBitmapInRect(bitmap, Rect(source.left, source.bottom - secondLength, source.right, source.bottom),
                         Rect(rect.left, middle, rect.right, rect.bottom), alpha, 0.0f);
    }
}

void Canvas::frameRect(const Rect& rect, Color color, float w) {
    fillRect(Rect(rect.left, rect.top - w, rect.right, rect.top), color);
    fillRect(Rect(rect.right, rect.top - w, rect.right + w, rect.bottom + w), color);
    fillRect(Rect(rect.left, rect.bottom, rect.right, rect.bottom + w), color);
    fillRect(Rect(rect.left - w, rect.top - w, rect.left, rect.bottom + w), color);
}

namespace {

// One axis of mapSlicedPoint; v is measured from the destination's start.
float mapSliced(float v, float sourceLength, float otherSourceLength, float destLength, float minCap) {
    if (!(sourceLength > 0.0f) || !std::isfinite(sourceLength)) return 0.0f;
    float cap =
        std::min(std::max(std::min(sourceLength / 3.0f, otherSourceLength), minCap), destLength / 2.0f);
    float out;
    if (!std::isfinite(v) || !std::isfinite(cap)) {
        out = 0.0f;
    } else if (v < cap) {
        out = v;
    } else if (v >= destLength - cap) {
        out = sourceLength - (destLength - v);
    } else {
        const float middle = sourceLength - 2.0f * cap;
        out = middle > 0.0f ? cap + std::fmod(v - cap, middle) : cap;
    }
    if (!std::isfinite(out) || out < 0.0f) return 0.0f;
    const float last = std::nextafter(sourceLength, 0.0f);
    return out > last ? last : out;
}

} // namespace

Point Canvas::mapSlicedPoint(const Point& point, const IBitmap& bitmap, const Rect& destRect, float minCap) {
    const Rect source = bitmap.getRect();
    return {mapSliced(point.x, source.width(), source.height(), destRect.width(), minCap),
            mapSliced(point.y, source.height(), source.width(), destRect.height(), minCap)};
}

} // namespace gui
