#include "gui/AcceleratedRenderer.h"

#include "gui/CurveSampler.h"
#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"
#include "gui/PixelCoordinates.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

// Colours closer than this in every channel are the same colour.
constexpr float kColourTolerance = 1.1920929e-7f;
// Column thresholds of the adaptive curve and level-fill columns.
constexpr float kExtentChange = 0.2f;
constexpr float kFadeChange = 0.1f;
constexpr float kLevelStepChange = 0.1f;
constexpr float kLevelValueChange = 0.01f;
constexpr int kLevelStepColumns = 4;
// Vertices sit just left of the column's right edge so the strips cover it.
constexpr float kColumnX = 0.499f;

struct Rgba {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    Rgba scaled(float f) const { return {r * f, g * f, b * f, a * f}; }
    const float* data() const { return &r; }
};

Rgba lerp(const Rgba& p, const Rgba& q, float t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

bool differs(const Rgba& p, const Rgba& q) {
    return std::fabs(p.r - q.r) > kColourTolerance || std::fabs(p.g - q.g) > kColourTolerance ||
           std::fabs(p.b - q.b) > kColourTolerance || std::fabs(p.a - q.a) > kColourTolerance;
}

// The colour premultiplied after its alpha is multiplied by alpha (rounded).
Rgba premultiplied(Color c, int alpha) {
    const float a = float(multiplyBytes(c.a, std::clamp(alpha, 0, 255)));
    constexpr float kSquare = 255.0f * 255.0f;
    return {float(c.r) * a / kSquare, float(c.g) * a / kSquare, float(c.b) * a / kSquare, a / 255.0f};
}

std::uint8_t truncatedByte(float v) {
    if (!(v >= 0.0f)) return 0;
    return std::uint8_t(std::min(v, 255.0f));
}

// A gradient's colour as bytes (truncated), premultiplied with alpha.
Rgba gradientColour(const FloatColor& c, int alpha) {
    return premultiplied(
        Color(truncatedByte(c.r), truncatedByte(c.g), truncatedByte(c.b), truncatedByte(c.a)), alpha);
}

// A gradient's colour premultiplied with alpha, in float.
Rgba floatGradientColour(const FloatColor& c, int alpha) {
    auto channel = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 255.0f) : 0.0f; };
    const float a = channel(c.a) * float(std::clamp(alpha, 0, 255)) / 255.0f;
    constexpr float kSquare = 255.0f * 255.0f;
    return {channel(c.r) * a / kSquare, channel(c.g) * a / kSquare, channel(c.b) * a / kSquare, a / 255.0f};
}

float clamp01(float v) {
    return v > 0.0f ? std::min(v, 1.0f) : 0.0f;
}

// Writes vertices and colours into the back end's buffers.
struct VertexWriter {
    float* vertices;
    float* colours;
    bool swapped = false; // columns run along y: every (x, y) is written as (y, x)

    void put(int index, float x, float y, const Rgba& colour) {
        float* v = vertices + 2 * std::size_t(index);
        v[0] = swapped ? y : x;
        v[1] = swapped ? x : y;
        float* c = colours + 4 * std::size_t(index);
        c[0] = colour.r;
        c[1] = colour.g;
        c[2] = colour.b;
        c[3] = colour.a;
    }
    void putQuad(const PixelRect& r) {
        const float x[4] = {float(r.left), float(r.right), float(r.left), float(r.right)};
        const float y[4] = {float(r.top), float(r.top), float(r.bottom), float(r.bottom)};
        for (int i = 0; i < 4; ++i) {
            vertices[2 * i] = x[i];
            vertices[2 * i + 1] = y[i];
        }
    }
};

} // namespace

int AcceleratedRenderer::maxVerticesFor(int length) {
    return std::max(kMaxColumnVertices * (length + 1), kGridVertices);
}

int AcceleratedRenderer::stripStartFor(int length, int n, int strip) {
    const int columns = length + 1;
    switch (n) {
    case kLevelColumn:
        return 2 * strip * columns;
    case kOneLayerColumn:
        return 4 * columns + 2 * strip * columns;
    case kTwoLayerColumn:
        return 14 * columns + 2 * strip * columns;
    default:
        return 32 * columns + 8 * strip;
    }
}

void AcceleratedRenderer::buildIndices(int length, std::vector<std::uint32_t>& indices) {
    const int columns = length + 1;
    indices.clear();
    indices.reserve(std::size_t(32 * columns + 24));
    for (int n : {kLevelColumn, kOneLayerColumn, kTwoLayerColumn})
        for (int s = 0; s + 1 < n; ++s)
            for (int c = 0; c < columns; ++c) {
                indices.push_back(std::uint32_t(c * n + s));
                indices.push_back(std::uint32_t(c * n + s + 1));
            }
    for (int s = 0; s < 3; ++s)
        for (int row = 0; row < 4; ++row) {
            indices.push_back(std::uint32_t(4 * row + s));
            indices.push_back(std::uint32_t(4 * row + s + 1));
        }
}

bool AcceleratedRenderer::storeViewport(const PixelRect& viewport) {
    viewport_ = viewport;
    fullRect_ = {0, 0, std::max(0, viewport.width()), std::max(0, viewport.height())};
    const int length = std::max(fullRect_.right, fullRect_.bottom);
    if (length == layoutLength_) return false;
    layoutLength_ = length;
    return true;
}

float AcceleratedRenderer::scale() {
    return deviceBacking().getScale();
}

bool AcceleratedRenderer::deviceRect(const Rect& rect, PixelRect& out) {
    if (!toPixelRect(rect, scale(), out)) return false;
    out = clipTo(out, fullRect_);
    return !out.isEmpty();
}

Color AcceleratedRenderer::getPixel(const Point&) {
    return {0, 0, 0, 0};
}

void AcceleratedRenderer::setPixel(const Point& point, Color color) {
    int x = 0, y = 0;
    const float s = scale();
    if (!toPixel(point.x, s, x) || !toPixel(point.y, s, y)) return;
    const PixelRect r = clipTo({x, y, x + 1, y + 1}, fullRect_);
    if (r.isEmpty()) return;
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter{vertices, colours}.putQuad(r);
    drawArrays(4, premultiplied(color, 255).data());
}

void AcceleratedRenderer::fillRect(const Rect& rect, Color color) {
    PixelRect r;
    if (!deviceRect(rect, r)) return;
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter{vertices, colours}.putQuad(r);
    drawArrays(4, premultiplied(color, 255).data());
}

void AcceleratedRenderer::drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                                     int alpha) {
    drawTextured(bitmap, destRect, sourcePoint, nullptr, {}, alpha);
}

void AcceleratedRenderer::drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect,
                                           const Point& sourcePoint, const IBitmap& mask,
                                           const Point& maskPoint, int alpha) {
    drawTextured(bitmap, destRect, sourcePoint, &mask, maskPoint, alpha);
}

void AcceleratedRenderer::drawTextured(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                                       const IBitmap* mask, const Point& maskPoint, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    const float s = scale();
    const PixelRect source = bitmap.getPixelRect();
    PixelRect dest;
    int sx = 0, sy = 0, mx = 0, my = 0;
    if (alpha == 0 || source.isEmpty() || bitmap.getPixels() == nullptr || !toPixelRect(destRect, s, dest) ||
        !toPixel(sourcePoint.x, s, sx) || !toPixel(sourcePoint.y, s, sy))
        return;
    if (mask != nullptr && (mask->getPixelRect().isEmpty() || mask->getPixels() == nullptr ||
                            !toPixel(maskPoint.x, s, mx) || !toPixel(maskPoint.y, s, my)))
        return;
    // The destination clipped to the viewport and to the source (and the
    // mask), each source moved by as much as the destination was clipped.
    std::int64_t left = std::max(dest.left, fullRect_.left), top = std::max(dest.top, fullRect_.top);
    std::int64_t right = std::min(dest.right, fullRect_.right),
                 bottom = std::min(dest.bottom, fullRect_.bottom);
    auto limit = [&](std::int64_t ox, std::int64_t oy, const PixelRect& r) {
        // Destination pixel p shows source pixel p + (o - dest corner).
        const std::int64_t dx = ox - dest.left, dy = oy - dest.top;
        left = std::max<std::int64_t>(left, r.left - dx);
        top = std::max<std::int64_t>(top, r.top - dy);
        right = std::min<std::int64_t>(right, r.right - dx);
        bottom = std::min<std::int64_t>(bottom, r.bottom - dy);
    };
    limit(sx, sy, source);
    if (mask != nullptr) limit(mx, my, mask->getPixelRect());
    if (left >= right || top >= bottom) return;
    const PixelRect clipped{int(left), int(top), int(right), int(bottom)};
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter{vertices, colours}.putQuad(clipped);
    auto coordinates = [&](std::array<float, 8>& out, std::int64_t ox, std::int64_t oy, const PixelRect& r) {
        const double u0 = double(ox + clipped.left - dest.left) / r.width();
        const double v0 = double(oy + clipped.top - dest.top) / r.height();
        const double u1 = double(ox + clipped.right - dest.left) / r.width();
        const double v1 = double(oy + clipped.bottom - dest.top) / r.height();
        out = {float(u0), float(v0), float(u1), float(v0), float(u0), float(v1), float(u1), float(v1)};
    };
    coordinates(texCoords0_, sx, sy, source);
    if (mask != nullptr) coordinates(texCoords1_, mx, my, mask->getPixelRect());
    texturedQuads(bitmap, alpha, mask);
}

void AcceleratedRenderer::fillGradient(const IGradient& gradient, const Rect& rect, Direction direction,
                                       float start, float end, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    const bool vertical = isVertical(direction);
    const double low = vertical ? rect.top : rect.left;
    const double high = vertical ? rect.bottom : rect.right;
    PixelRect area;
    if (alpha == 0 || std::isnan(start) || std::isnan(end) || !(high - low > 0.0) || !deviceRect(rect, area))
        return;
    const double s = scale();
    const double from = isReversed(direction) ? end : start;
    const double to = isReversed(direction) ? start : end;
    // Device edge D lies at logical (D - 0.7) / s, so pixel centres get the
    // positions the software fill gives them.
    auto positionAt = [&](double edge) {
        return from + (to - from) * ((edge - 0.7) / s - low) / (high - low);
    };
    const double first = vertical ? area.top : area.left;
    const double last = vertical ? area.bottom : area.right;
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    auto quad = [&](double e0, const Rgba& c0, double e1, const Rgba& c1) {
        if (!(e1 > e0)) return;
        const float across0 = float(vertical ? area.left : area.top);
        const float across1 = float(vertical ? area.right : area.bottom);
        // Corners (low, low), (low, high), ... along and across the axis.
        const float along[4] = {float(e0), float(e0), float(e1), float(e1)};
        const float side[4] = {across0, across1, across0, across1};
        const Rgba* corner[4] = {&c0, &c0, &c1, &c1};
        VertexWriter w{vertices, colours, !vertical};
        for (int i = 0; i < 4; ++i)
            w.put(i, side[i], along[i], *corner[i]);
        drawArrays(4, nullptr);
    };
    double edge = first;
    Rgba colour = floatGradientColour(gradient.floatColourAt(float(positionAt(first))), alpha);
    const int stops = gradient.stopCount();
    const bool ascending = to >= from;
    if (to != from) {
        for (int k = 0; k < stops; ++k) {
            const int i = ascending ? k : stops - 1 - k;
            // The stop's exact device coordinate: a stop at the rect's
            // corner of a steep segment would otherwise move by up to a
            // pixel from where the software fill puts it.
            const double logical = low + (gradient.stopPosition(i) - from) / (to - from) * (high - low);
            const double device = logical * s + 0.7;
            if (!(device > edge && device < last)) continue;
            const Color c = gradient.stopColor(i);
            const Rgba stopColour =
                floatGradientColour(FloatColor{float(c.r), float(c.g), float(c.b), float(c.a)}, alpha);
            quad(edge, colour, device, stopColour);
            edge = device;
            colour = stopColour;
        }
    }
    quad(edge, colour, last, floatGradientColour(gradient.floatColourAt(float(positionAt(last))), alpha));
}

void AcceleratedRenderer::drawLine(const Rect& bounds, const Point& from, const Point& to, Color color,
                                   float width) {
    PixelRect clip;
    if (!deviceRect(bounds, clip)) return;
    const float dx = to.x - from.x, dy = to.y - from.y;
    const bool yMajor = std::fabs(dy) > std::fabs(dx);
    const float majorExtent = yMajor ? dy : dx, minorExtent = yMajor ? dx : dy;
    if (!(std::fabs(majorExtent) >= 0.01f) || !std::isfinite(minorExtent) || !std::isfinite(width)) return;
    const double k = double(minorExtent) / double(majorExtent);
    const double s = scale();
    const bool decreasing = majorExtent < 0.0f;
    const Point& startPoint = decreasing ? to : from;
    const Point& endPoint = decreasing ? from : to;
    double startMajor = (yMajor ? startPoint.y : startPoint.x) * s;
    double startMinor = (yMajor ? startPoint.x : startPoint.y) * s;
    double endMajor = (yMajor ? endPoint.y : endPoint.x) * s;
    double endMinor = (yMajor ? endPoint.x : endPoint.y) * s;
    if (decreasing) {
        startMajor += 1.0;
        endMajor += 1.0;
        startMinor += k;
        endMinor += k;
    }
    const double half = std::sqrt(k * k + 1.0) * width * 0.5 * s + std::fabs(k) * 0.5;
    const double inner = std::max(half - std::fabs(k), 0.5);
    const double columnMajor[4] = {startMajor - 0.5, startMajor + 0.5, endMajor - 0.5, endMajor + 0.5};
    const double columnMinor[4] = {startMinor - k, startMinor, endMinor - k, endMinor};
    const double rowOffset[4] = {-half, 1.0 - inner, inner, half + 1.0};
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter w{vertices, colours, yMajor};
    const Rgba solid = premultiplied(color, 255);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            const bool inside = (row == 1 || row == 2) && (column == 1 || column == 2);
            w.put(4 * row + column, float(columnMajor[column]), float(columnMinor[column] + rowOffset[row]),
                  inside ? solid : Rgba{});
        }
    setScissor(clip);
    for (int strip = 0; strip < 3; ++strip)
        drawElements(stripStart(kGridVertices, strip), 8, nullptr);
    shapeDrawn();
    setScissor(fullRect_);
}

void AcceleratedRenderer::drawColorized(int mode, const ICurve& curve, const Rect& clipRect,
                                        const Rect& destRect, const Point& offset, Color colorA, Color colorB,
                                        float parameter) {
    const float s = scale();
    PixelRect clip, dest;
    int x0 = 0;
    if (!toPixelRect(destRect, s, dest) || !toPixel(clipRect.left - offset.x, s, x0) ||
        !deviceRect(clipRect, clip))
        return;
    setScissor(clip);
    const int top = dest.top, bottom = dest.bottom, mid = (top + bottom) / 2;
    const float p = std::isfinite(parameter) ? parameter : 0.0f;
    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter w{vertices, colours};
    const int n = mode == kColorizeBand ? kLevelColumn : 2;
    auto valueAt = [&](int c) {
        const float v = curve.valueAt(float(double(std::min(c, clip.right - 1) - x0) / s));
        return clamp01(v);
    };
    int columns = 0;
    int lastEmitted = clip.left;
    float recordedValue = 0.0f, recordedStep = 0.0f, previous = 0.0f;
    for (int c = clip.left; c <= clip.right + 1; ++c) {
        const float v = valueAt(c);
        const int column = c - 1;
        if (column >= clip.left) {
            bool emit = column == clip.left || column == clip.right;
            const float step = v - previous;
            if (!emit) {
                if (column - lastEmitted <= kLevelStepColumns)
                    emit = std::fabs(step - recordedStep) > kLevelStepChange;
                else
                    emit = std::fabs(v - recordedValue) > kLevelValueChange;
            }
            if (emit) {
                recordedValue = previous;
                recordedStep = step;
                lastEmitted = column;
                const float wv = previous;
                const int level = int(wv * 255.0f);
                const float x = float(column) + kColumnX;
                const int base = columns * n;
                if (mode == kColorizeBand) {
                    const float e = ((1.0f - p) * wv + p) * float(bottom - top) * 0.5f;
                    w.put(base, x, float(mid) - e, Rgba{});
                    w.put(base + 1, x, float(mid), premultiplied(colorA, level));
                    w.put(base + 2, x, float(mid) + e, Rgba{});
                } else {
                    w.put(base, x, float(top), premultiplied(colorA, level));
                    w.put(base + 1, x, float(bottom), premultiplied(colorB, level));
                }
                ++columns;
            }
        }
        previous = v;
    }
    if (mode == kColorizeBand) {
        drawElements(stripStart(kLevelColumn, 0), 2 * columns, nullptr);
        drawElements(stripStart(kLevelColumn, 1), 2 * columns, nullptr);
    } else {
        drawArrays(2 * columns, nullptr);
    }
    shapeDrawn();
    setScissor(fullRect_);
}

void AcceleratedRenderer::drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect,
                                    const Point& offset, Orientation orientation, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    const int layers = std::clamp(style.layerCount, 0, 2);
    if (layers == 0) return;
    for (int i = 0; i < layers; ++i)
        if (style.layers[i].curve == nullptr) return;
    // Described for columns along x; orientation 1 exchanges x and y.
    const bool swapped = orientation == Orientation::kVertical;
    auto across = [swapped](const Rect& r) { return swapped ? Rect(r.top, r.left, r.bottom, r.right) : r; };
    const Point origin = swapped ? Point(offset.y, offset.x) : offset;
    const Rect clipArea = across(clipRect), destArea = across(destRect);
    const float s = scale();
    PixelRect clip, dest;
    int x0 = 0, y0 = 0;
    if (!toPixelRect(clipArea, s, clip) || !toPixelRect(destArea, s, dest) ||
        !toPixel(clipArea.left - origin.x, s, x0) || !toPixel(clipArea.top - origin.y, s, y0))
        return;
    const PixelRect bounds = swapped ? PixelRect(0, 0, fullRect_.bottom, fullRect_.right)
                                     : PixelRect(0, 0, fullRect_.right, fullRect_.bottom);
    clip = clipTo(clip, bounds);
    if (clip.isEmpty()) return;
    setScissor(swapped ? PixelRect(clip.top, clip.left, clip.bottom, clip.right) : clip);

    const float top = float(dest.top), bottom = float(dest.bottom);
    const float span = std::max(bottom - top, 1.0f);
    const Rgba above = premultiplied(style.colorAbove, alpha), below = premultiplied(style.colorBelow, alpha);
    Rgba justAbove[2], justBelow[2], line[2];
    CurveSampler samplers[2];
    for (int i = 0; i < layers; ++i) {
        const CurveStyle::Layer& l = style.layers[i];
        samplers[i].start(s, *l.curve, l.lineWidth, l.softWidth, clip.left - x0, float(y0), bottom);
        justAbove[i] = premultiplied(l.colorJustAbove, alpha);
        justBelow[i] = premultiplied(l.colorJustBelow, alpha);
        line[i] = premultiplied(l.lineColor, alpha);
    }
    const int last = layers - 1;
    const bool shadeBelow = differs(below, justBelow[last]);
    const bool shadeAbove = differs(above, justAbove[0]);
    const IGradient* fade = style.fadeGradient;
    const float destLeft = float(dest.left), destWidth = float(std::max(dest.right - dest.left, 1));
    const int n = 4 * layers + 2;

    float* vertices = nullptr;
    float* colours = nullptr;
    buffers(vertices, colours);
    VertexWriter w{vertices, colours, swapped};

    CurveSampler::Extent previousExtent[2], currentExtent[2], emittedExtent[2];
    float previousY[2] = {}, currentY[2] = {};
    int columns = 0;
    int lastEmitted = clip.left;
    int nextStop = 0;
    float recordedFade = 0.0f;
    for (int c = clip.left; c <= clip.right + 1; ++c) {
        if (c <= clip.right - 1)
            for (int i = 0; i < layers; ++i) {
                currentExtent[i] = samplers[i].advance(c - x0);
                currentY[i] = samplers[i].centre();
            }
        const int column = c - 1;
        if (column >= clip.left) {
            bool emit = column == clip.left || column == clip.right;
            const float threshold = kExtentChange / float(std::max(column - lastEmitted, 1));
            for (int i = 0; i < layers && !emit; ++i) {
                const CurveSampler::Extent& e = emittedExtent[i];
                emit = std::fabs(previousExtent[i].up - e.up) > threshold ||
                       std::fabs(currentExtent[i].up - e.up) > threshold ||
                       std::fabs(previousExtent[i].down - e.down) > threshold ||
                       std::fabs(currentExtent[i].down - e.down) > threshold;
            }
            float fadeFactor = 1.0f;
            if (fade != nullptr) {
                const float t = (float(column) - destLeft) / destWidth;
                const int stops = fade->stopCount();
                while (nextStop < stops && t >= fade->stopPosition(nextStop)) {
                    emit = true;
                    ++nextStop;
                }
                fadeFactor = clamp01(fade->floatColourAt(t).a / 255.0f);
                if (column == clip.left || std::fabs(fadeFactor - recordedFade) > kFadeChange) {
                    emit = true;
                    recordedFade = fadeFactor;
                }
            }
            if (emit) {
                lastEmitted = column;
                // The first column starts at the clip's edge: at +0.499 the
                // rasteriser's sub-pixel snapping puts the first pixel's
                // centre on the strip's edge, and for columns along y the
                // fill rule then leaves the whole first row out.
                const float x = column == clip.left ? float(column) : float(column) + kColumnX;
                int index = columns * n;
                float limit = bottom;
                float innerTopBefore = 0.0f;
                Rgba lowerColour = below;
                for (int i = last; i >= 0; --i) {
                    emittedExtent[i] = previousExtent[i];
                    const float y = previousY[i];
                    const float u = previousExtent[i].up, d = previousExtent[i].down;
                    const float h = samplers[i].lineWidth(), g = samplers[i].softWidth();
                    const float au = std::sqrt(1.0f + u * u), ad = std::sqrt(1.0f + d * d);
                    const float coreTop = y - (h * au + u) / 2.0f;
                    const float coreBottom = y + (h * ad + d) / 2.0f;
                    const float outerTop = coreTop - (g / 2.0f) * au;
                    float outerBottom = coreBottom + (g / 2.0f) * ad + 1.0f;
                    float innerTop = std::min(coreTop + u + 1.0f, y + 0.5f);
                    float innerBottom = std::max(y + 0.5f, coreBottom - d);
                    float base;
                    if (i == last) {
                        base = std::max(limit, outerBottom);
                        limit = base;
                    } else if (outerBottom > limit) {
                        base = innerTopBefore;
                        innerTop = std::min(innerTop, base);
                        if (base - innerTop > 1.0f) base = (innerTop + base) / 2.0f;
                        outerBottom = innerBottom = base;
                    } else {
                        base = limit;
                    }
                    innerTop = std::min(innerTop, base);
                    innerBottom = std::min(innerBottom, base);
                    outerBottom = std::min(outerBottom, base);
                    Rgba lineColour = line[i];
                    if (style.layers[i].lineGradient != nullptr)
                        lineColour = gradientColour(
                            style.layers[i].lineGradient->floatColourAt((y - top) / span), alpha);
                    Rgba belowLine = justBelow[i];
                    if (i == last && shadeBelow)
                        belowLine = lerp(justBelow[i], below, clamp01((outerBottom - top) / span));
                    w.put(index++, x, base, lowerColour.scaled(fadeFactor));
                    w.put(index++, x, outerBottom, belowLine.scaled(fadeFactor));
                    w.put(index++, x, innerBottom, lineColour.scaled(fadeFactor));
                    w.put(index++, x, innerTop, lineColour.scaled(fadeFactor));
                    limit = std::min(limit, outerTop);
                    innerTopBefore = innerTop;
                    lowerColour = justAbove[i];
                }
                const Rgba aboveLine =
                    shadeAbove ? lerp(above, justAbove[0], clamp01((limit - top) / span)) : justAbove[0];
                w.put(index++, x, limit, aboveLine.scaled(fadeFactor));
                w.put(index++, x, std::min(limit, top), above.scaled(fadeFactor));
                ++columns;
            }
        }
        for (int i = 0; i < layers; ++i) {
            previousExtent[i] = currentExtent[i];
            previousY[i] = currentY[i];
        }
    }

    const int count = 2 * columns;
    Rgba lower = below;
    for (int k = 0; k < layers; ++k) {
        const int i = last - k;
        const bool lineGradient = style.layers[i].lineGradient != nullptr;
        if (differs(justBelow[i], lower) || fade != nullptr)
            drawElements(stripStart(n, 4 * k), count, nullptr);
        else if (justBelow[i].a > 0.0f)
            drawElements(stripStart(n, 4 * k), count, justBelow[i].data());
        drawElements(stripStart(n, 4 * k + 1), count, nullptr);
        drawElements(stripStart(n, 4 * k + 2), count,
                     lineGradient || fade != nullptr ? nullptr : line[i].data());
        drawElements(stripStart(n, 4 * k + 3), count, nullptr);
        lower = justAbove[i];
    }
    if (shadeAbove || fade != nullptr)
        drawElements(stripStart(n, 4 * layers), count, nullptr);
    else if (above.a > 0.0f)
        drawElements(stripStart(n, 4 * layers), count, above.data());
    shapeDrawn();
    setScissor(fullRect_);
}

} // namespace gui
