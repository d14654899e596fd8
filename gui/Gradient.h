#pragma once

// Colour gradients: the interface a gradient fill reads (IGradient) and the
// stop-list gradient (Gradient). Positions normally run from 0 to 1.

#include "gui/Color.h"
#include "gui/SegmentInterpolator.h"

namespace gui {

class IGradient {
public:
    virtual ~IGradient() = default;
    // The first stop whose position is greater (the stop count when none is;
    // -1 without stops).
    virtual int segmentAt(float position) const = 0;
    virtual FloatColor floatColourAt(float position) const = 0;
    virtual int stopCount() const = 0;
    virtual Color stopColor(int index) const = 0;
    virtual float stopPosition(int index) const = 0;
    virtual bool isOpaque() const = 0;
};

struct ColorStopTraits {
    using Value = FloatColor;
    static Value convert(const Color& c) {
        return {static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b),
                static_cast<float>(c.a)};
    }
    static Value lerp(const Value& a, const Value& b, float t) {
        return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
    }
    static Value empty() { return {}; }
};

class Gradient : public SegmentInterpolator<Color, ColorStopTraits>, public IGradient {
public:
    Gradient() = default;
    Gradient(Color first, Color last);
    Gradient(Color first, Color middle, float position, Color last);

    void addColorStop(Color color, float position) { addStop(color, position); }

    int segmentAt(float position) const override;
    FloatColor floatColourAt(float position) const override;
    int stopCount() const override;
    Color stopColor(int index) const override;
    float stopPosition(int index) const override;
    bool isOpaque() const override;
};

} // namespace gui
