#pragma once

// Curves y(x) that the curve and level-fill drawing operations evaluate.
// Cubic evaluates a·x³ + b·x² + c·x + d in double precision; CubicSegment
// holds it flat at y0 left of x0 and at y1 from x1 on.

namespace gui {

class ICurve {
public:
    virtual ~ICurve() = default;
    virtual float valueAt(float x) const = 0;
};

class Curve : public ICurve {};

class Cubic : public Curve {
public:
    Cubic() = default;
    Cubic(double d, double c, double b, double a) : d_(d), c_(c), b_(b), a_(a) {}

    float valueAt(float x) const override;

    // Through (x0, y0) and (x1, y1) with derivative -s0 at x0 and -s1 at x1
    // (slopes are passed with the opposite sign). When x0 = x1 or an input is
    // not finite, the cubic becomes the constant y0 (or 0 when y0 is not finite).
    void fit(float x0, float y0, float s0, float x1, float y1, float s1);

    double d() const { return d_; }
    double c() const { return c_; }
    double b() const { return b_; }
    double a() const { return a_; }

private:
    double d_ = 0.0;
    double c_ = 0.0;
    double b_ = 0.0;
    double a_ = 0.0;
};

class CubicSegment : public Cubic {
public:
    CubicSegment() = default;

    // Fits the cubic between the two ends and keeps them as the flat parts.
    void fitSegment(float x0, float y0, float s0, float x1, float y1, float s1);
    void setEnds(float x0, float y0, float x1, float y1);

    float valueAt(float x) const override;

    float x0() const { return x0_; }
    float y0() const { return y0_; }
    float x1() const { return x1_; }
    float y1() const { return y1_; }

private:
    float x0_ = 0.0f;
    float y0_ = 0.0f;
    float x1_ = 0.0f;
    float y1_ = 0.0f;
};

} // namespace gui
