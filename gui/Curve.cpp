#include "gui/Curve.h"

#include <cmath>

namespace gui {

float Cubic::valueAt(float x) const {
    const double v = x;
    return static_cast<float>(((a_ * v + b_) * v + c_) * v + d_);
}

void Cubic::fit(float x0, float y0, float s0, float x1, float y1, float s1) {
    const bool finite = std::isfinite(x0) && std::isfinite(y0) && std::isfinite(s0) && std::isfinite(x1) &&
                        std::isfinite(y1) && std::isfinite(s1);
    if (!finite || x0 == x1) {
        a_ = b_ = c_ = 0.0;
        d_ = std::isfinite(y0) ? y0 : 0.0;
        return;
    }
    // Hermite form in u = x - x0: y = y0 + m0·u + k2·u² + k3·u³.
    const double h = static_cast<double>(x1) - x0;
    const double slope = (static_cast<double>(y1) - y0) / h;
    const double m0 = -static_cast<double>(s0);
    const double m1 = -static_cast<double>(s1);
    const double k2 = (3.0 * slope - 2.0 * m0 - m1) / h;
    const double k3 = (m0 + m1 - 2.0 * slope) / (h * h);
    const double p = x0;
    a_ = k3;
    b_ = k2 - 3.0 * k3 * p;
    c_ = m0 - 2.0 * k2 * p + 3.0 * k3 * p * p;
    d_ = y0 - m0 * p + k2 * p * p - k3 * p * p * p;
}

void CubicSegment::fitSegment(float x0, float y0, float s0, float x1, float y1, float s1) {
    fit(x0, y0, s0, x1, y1, s1);
    setEnds(x0, y0, x1, y1);
}

void CubicSegment::setEnds(float x0, float y0, float x1, float y1) {
    x0_ = x0;
    y0_ = y0;
    x1_ = x1;
    y1_ = y1;
}

float CubicSegment::valueAt(float x) const {
    if (x <= x0_) return y0_;
    if (x >= x1_) return y1_;
    return Cubic::valueAt(x);
}

} // namespace gui
