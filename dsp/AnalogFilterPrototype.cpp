#include "dsp/AnalogFilterPrototype.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Complex = std::complex<double>;

constexpr double epsilon = 1.1920929e-7;
constexpr double sqrtHalf = 0.7071067811865476;

// A factor of the transfer function: gain x prod(s - zeros) / prod(s - poles).
struct RootSet {
    int poleCount = 0;
    Complex poles[2];
    int zeroCount = 0; // finite zeros; the rest lie at infinity
    Complex zeros[2];
    double gain = 1.0;
};

// Up to 8 low-pass sets; the band transform doubles at most 4 of them.
constexpr int maxSets = 16;

RootSet single(double pole, double gain = 1.0) {
    RootSet r;
    r.poleCount = 1;
    r.poles[0] = pole;
    r.gain = gain;
    return r;
}

RootSet poleZero(double pole, double zero) {
    // (s - zero)/(s - pole), scaled to unity at s = 0.
    RootSet r = single(pole, pole / zero);
    r.zeroCount = 1;
    r.zeros[0] = zero;
    return r;
}

RootSet pair(Complex pole) {
    RootSet r;
    r.poleCount = 2;
    r.poles[0] = pole;
    r.poles[1] = std::conj(pole);
    return r;
}

// Coefficients of the monic polynomial with the given roots (at most two).
void multiplyOut(int count, const Complex* roots, double& c2, double& c1, double& c0) {
    if (count >= 2) {
        c2 = 1.0;
        c1 = -(roots[0].real() + roots[1].real());
        c0 = roots[0].real() * roots[1].real() - roots[0].imag() * roots[1].imag();
    } else if (count == 1) {
        c2 = 0.0;
        c1 = 1.0;
        c0 = -roots[0].real();
    } else {
        c2 = 0.0;
        c1 = 0.0;
        c0 = 1.0;
    }
}

Complex evaluate(const RootSet& r, Complex s) {
    Complex v = r.gain;
    for (int i = 0; i < r.zeroCount; ++i)
        v *= s - r.zeros[i];
    for (int i = 0; i < r.poleCount; ++i)
        v /= s - r.poles[i];
    return v;
}

// s -> 1/s: G prod(-z) / prod(-p) s^(np - nz) prod(s - 1/z) / prod(s - 1/p);
// a zero at the origin goes to infinity.
void invert(RootSet& r) {
    Complex gain = r.gain;
    RootSet out;
    out.poleCount = r.poleCount;
    for (int i = 0; i < r.poleCount; ++i) {
        gain /= -r.poles[i];
        out.poles[i] = 1.0 / r.poles[i];
    }
    int finite = 0;
    for (int i = 0; i < r.zeroCount; ++i) {
        if (std::abs(r.zeros[i]) <= 1e-300) continue;
        gain *= -r.zeros[i];
        out.zeros[finite++] = 1.0 / r.zeros[i];
    }
    int atOrigin = r.poleCount - r.zeroCount;
    for (int i = 0; i < atOrigin && finite < 2; ++i)
        out.zeros[finite++] = 0.0;
    out.zeroCount = finite;
    out.gain = gain.real();
    r = out;
}

// The two roots of s^2 - r B s + 1, the one nearer the origin first.
void bandRoots(Complex r, double bandwidth, Complex& nearer, Complex& farther) {
    Complex rb = r * bandwidth;
    Complex d = std::sqrt(rb * rb - 4.0);
    Complex x = (rb + d) * 0.5;
    Complex y = (rb - d) * 0.5;
    if (std::abs(x) <= std::abs(y)) {
        nearer = x;
        farther = y;
    } else {
        nearer = y;
        farther = x;
    }
}

// s -> (s^2 + 1) / (B s). Each factor (s - r) becomes (s^2 - r B s + 1) / (B s);
// unmatched poles leave a B s each in the numerator.
int bandTransform(const RootSet& r, double bandwidth, RootSet* out) {
    if (r.poleCount == 1) {
        RootSet s;
        s.poleCount = 2;
        bandRoots(r.poles[0], bandwidth, s.poles[0], s.poles[1]);
        if (r.zeroCount == 1) {
            s.zeroCount = 2;
            bandRoots(r.zeros[0], bandwidth, s.zeros[0], s.zeros[1]);
            s.gain = r.gain;
        } else {
            s.zeroCount = 1;
            s.zeros[0] = 0.0;
            s.gain = r.gain * bandwidth;
        }
        out[0] = s;
        return 1;
    }
    if (std::fabs(r.poles[0].imag()) <= 1e-12 * std::abs(r.poles[0])) {
        // Two real poles: transformed one at a time, the zeros shared out.
        RootSet first = single(r.poles[0].real(), r.gain);
        RootSet second = single(r.poles[1].real());
        if (r.zeroCount >= 1) {
            first.zeroCount = 1;
            first.zeros[0] = r.zeros[0].real();
        }
        if (r.zeroCount == 2) {
            second.zeroCount = 1;
            second.zeros[0] = r.zeros[1].real();
        }
        bandTransform(first, bandwidth, out);
        bandTransform(second, bandwidth, out + 1);
        return 2;
    }
    // A conjugate pair: the roots of the upper pole and their conjugates.
    Complex p = r.poles[0].imag() >= 0.0 ? r.poles[0] : r.poles[1];
    Complex pn, pf;
    bandRoots(p, bandwidth, pn, pf);
    RootSet a, b;
    a.poleCount = b.poleCount = 2;
    a.poles[0] = pn;
    a.poles[1] = std::conj(pn);
    b.poles[0] = pf;
    b.poles[1] = std::conj(pf);
    a.gain = r.gain;
    b.gain = 1.0;
    if (r.zeroCount == 2) {
        Complex z = r.zeros[0].imag() >= 0.0 ? r.zeros[0] : r.zeros[1];
        Complex zn, zf;
        bandRoots(z, bandwidth, zn, zf);
        a.zeroCount = b.zeroCount = 2;
        a.zeros[0] = zn;
        a.zeros[1] = std::conj(zn);
        b.zeros[0] = zf;
        b.zeros[1] = std::conj(zf);
    } else if (r.zeroCount == 1) {
        a.zeroCount = 2;
        bandRoots(r.zeros[0], bandwidth, a.zeros[0], a.zeros[1]);
        b.zeroCount = 1;
        b.zeros[0] = 0.0;
        b.gain = bandwidth;
    } else {
        a.zeroCount = b.zeroCount = 1;
        a.zeros[0] = b.zeros[0] = 0.0;
        a.gain *= bandwidth;
        b.gain = bandwidth;
    }
    out[0] = a;
    out[1] = b;
    return 2;
}

double sanitise(double v, double lo, double hi, double fallback) {
    if (std::isnan(v)) return fallback;
    return std::clamp(v, lo, hi);
}

} // namespace

// ------------------------------------------------------------------ section

AnalogFilterPrototype::BiquadPrototype::BiquadPrototype() {
    setLowPass(sqrtHalf);
}

void AnalogFilterPrototype::BiquadPrototype::setCoefficients(double nb2, double nb1, double nb0, double na2,
                                                             double na1, double na0) {
    b2 = nb2;
    b1 = nb1;
    b0 = nb0;
    a2 = na2;
    a1 = na1;
    a0 = na0;
    termsValid_ = false;
}

void AnalogFilterPrototype::BiquadPrototype::setLowPass(double q) {
    setCoefficients(0.0, 0.0, 1.0, 1.0, 1.0 / q, 1.0);
    poleCount = 2;
    zeroCount = 0;
}

void AnalogFilterPrototype::BiquadPrototype::setScales(double frequencyScale, double secondScale) {
    frequencyScale_ = std::min(frequencyScale, 1e6);
    secondScale_ = std::max(secondScale, 1e-6);
    termsValid_ = false;
}

void AnalogFilterPrototype::BiquadPrototype::updateTerms() {
    double f = frequencyScale_;
    double f2 = f * f;
    if (a2 == 0.0 && b2 == 0.0) {
        n4_ = 0.0;
        n2_ = b1 * b1;
        n0_ = b0 * b0 * f2;
        d4_ = 0.0;
        d2_ = a1 * a1;
        d0_ = a0 * a0 * f2;
    } else {
        n4_ = b2 * b2;
        n2_ = (b1 * b1 - 2.0 * b2 * b0) * f2;
        n0_ = (b0 * f2) * (b0 * f2);
        d4_ = a2 * a2;
        d2_ = (a1 * a1 - 2.0 * a2 * a0) * f2;
        d0_ = (a0 * f2) * (a0 * f2);
    }
    termsValid_ = true;
}

double AnalogFilterPrototype::BiquadPrototype::squaredMagnitude(double w) {
    if (!termsValid_) updateTerms();
    double w2 = w * w;
    double num = (n4_ * w2 + n2_) * w2 + n0_;
    double den = (d4_ * w2 + d2_) * w2 + d0_;
    if (!(den > 0.0)) return 0.0;
    double v = num / den;
    return v > 0.0 ? v : 0.0;
}

void AnalogFilterPrototype::BiquadPrototype::multiplySquaredMagnitude(const float* w, float* values,
                                                                      int count) {
    for (int i = 0; i < count; ++i)
        values[i] = float(values[i] * squaredMagnitude(w[i]));
}

std::complex<double> AnalogFilterPrototype::BiquadPrototype::response(double w) const {
    Complex s(0.0, w * secondScale_);
    Complex num = (b2 * s + b1) * s + b0;
    Complex den = (a2 * s + a1) * s + a0;
    return num / den;
}

void AnalogFilterPrototype::BiquadPrototype::addPhase(const float* w, float* out, int count) const {
    for (int i = 0; i < count; ++i) {
        double x = secondScale_ * w[i];
        double num = std::atan2(b1 * x, b0 - b2 * x * x);
        double den = std::atan2(a1 * x, a0 - a2 * x * x);
        out[i] = float(out[i] + (num - den));
    }
}

void AnalogFilterPrototype::BiquadPrototype::phase(const float* w, float* out, int count) const {
    std::fill(out, out + count, 0.0f);
    addPhase(w, out, count);
}

// ---------------------------------------------------------------- prototype

std::complex<double> AnalogFilterPrototype::response(double w) const {
    Complex v = 1.0;
    for (int i = 0; i < sectionCount_; ++i)
        v *= sections_[i].response(w);
    return v;
}

double AnalogFilterPrototype::squaredMagnitude(double w) {
    double v = 1.0;
    for (int i = 0; i < sectionCount_; ++i)
        v *= sections_[i].squaredMagnitude(w);
    return v;
}

void AnalogFilterPrototype::squaredMagnitudes(const float* w, float* values, int count) {
    std::fill(values, values + count, 1.0f);
    for (int i = 0; i < sectionCount_; ++i)
        sections_[i].multiplySquaredMagnitude(w, values, count);
}

double AnalogFilterPrototype::wrapPhase(double phase) noexcept {
    constexpr double pi = std::numbers::pi;
    if (std::fabs(std::fabs(phase) - pi) <= epsilon) return phase;
    double sign = phase < 0.0 ? -1.0 : 1.0;
    return std::fmod(phase + pi * sign, 2.0 * pi) - pi * sign;
}

void AnalogFilterPrototype::phase(const float* w, float* out, int count) const {
    std::fill(out, out + count, 0.0f);
    for (int i = 0; i < sectionCount_; ++i)
        sections_[i].addPhase(w, out, count);
    for (int i = 0; i < count; ++i)
        out[i] = float(wrapPhase(out[i]));
}

void AnalogFilterPrototype::setScales(double frequencyScale, double secondScale) {
    frequencyScale_ = std::min(frequencyScale, 1e6);
    secondScale_ = std::max(secondScale, 1e-6);
    for (BiquadPrototype& s : sections_)
        s.setScales(frequencyScale_, secondScale_);
}

int AnalogFilterPrototype::design(int kind, double order, double q, double gain) noexcept {
    if (kind < kLowPass || kind > kPinkingTilt) kind = kLowPass;
    order = sanitise(order, 0.0, 16.0, 1.0);
    q = sanitise(q, 1e-3, 1e3, sqrtHalf);
    gain = sanitise(gain, 1e-6, 1e6, 1.0);
    kind_ = kind;
    order_ = order;
    q_ = q;
    gain_ = gain;

    const bool band = kind >= kBell && kind <= kBandStop;
    double lowPassOrder = order;
    if (kind == kBell || kind == kBandPassQGain || kind == kBandStop)
        lowPassOrder = std::max(lowPassOrder, 2.0);
    if (band) lowPassOrder *= 0.5;

    RootSet sets[maxSets];
    int setCount = 0;
    if (kind == kPinkingTilt) {
        // Pinking: poles and zeros alternate 2.5 octaves apart.
        double p = -0.01313900648833929;
        double z = -0.07432544468767008;
        for (int k = 0; k < 3; ++k, p *= 32.0, z *= 32.0)
            sets[setCount++] = poleZero(p, z);
        double level = 1.0;
        for (int k = 0; k < setCount; ++k)
            level *= std::abs(evaluate(sets[k], Complex(0.0, 1.0)));
        sets[0].gain *= std::sqrt(std::sqrt(gain)) / level;
    } else if ((kind == kLowPass || kind == kHighPass || kind == kBandPass) && lowPassOrder < 1.0) {
        double o = lowPassOrder;
        double p = -1.0;
        double zeroFactor = std::pow(32.0, o);
        for (int k = 0; k < 3; ++k, p *= 32.0)
            sets[setCount++] = poleZero(p, p * zeroFactor);
    } else {
        double o = std::max(lowPassOrder, 1.0);
        int n = std::min(int(std::ceil(o - 1e-6)), 16);
        int count = n / 2 + (n % 2);
        for (int i = 0; i < count; ++i) {
            if (n % 2 == 1 && i == count - 1) {
                sets[setCount++] = single(-1.0);
            } else {
                double t = std::numbers::pi * (2 * i + 1) / (2.0 * o);
                sets[setCount++] = pair(Complex(-std::sin(t), std::cos(t)));
            }
        }
        double fraction = o - n + 1.0;
        if (fraction < 1.0 - 1e-6) {
            RootSet& last = sets[setCount - 1];
            if (n % 2 == 1) {
                // ((1 - f) s + 1) / (s + 1): from no section to one pole.
                double a = 1.0 - fraction;
                last = single(-1.0, a);
                last.zeroCount = 1;
                last.zeros[0] = -1.0 / a;
            } else {
                // 1 / (f^2 s^2 + (1 + (sqrt 2 - 1) f) s + 1): from one pole (the
                // second far away) to the Butterworth pair.
                double a = fraction * fraction;
                double b = 1.0 + (std::numbers::sqrt2 - 1.0) * fraction;
                Complex d = std::sqrt(Complex(b * b - 4.0 * a));
                last = RootSet();
                last.poleCount = 2;
                last.poles[0] = (-b + d) / (2.0 * a);
                last.poles[1] = (-b - d) / (2.0 * a);
                last.gain = 1.0 / a;
            }
        }

        bool shelf = kind == kLowShelf || kind == kLowShelfCentred || kind == kHighShelf ||
                     kind == kHighShelfCentred || kind == kHighShelfCentredPoles || kind == kBell;
        if (shelf) {
            int poles = 0;
            for (int i = 0; i < setCount; ++i)
                poles += sets[i].poleCount;
            bool centred = kind == kLowShelfCentred || kind == kHighShelfCentred || kind == kBell;
            bool movePoles = centred || kind == kHighShelfCentredPoles;
            double s = std::fabs(gain - 1.0) <= epsilon
                           ? 1.0
                           : std::pow(gain, 1.0 / (centred ? 2.0 * poles : double(poles)));
            for (int i = 0; i < setCount; ++i) {
                RootSet& r = sets[i];
                r.zeroCount = r.poleCount;
                for (int k = 0; k < r.poleCount; ++k) {
                    r.zeros[k] = r.poles[k] * s;
                    if (movePoles) r.poles[k] /= s;
                }
                r.gain = 1.0;
            }
        }
    }

    if (kind == kAllPass) {
        for (int i = 0; i < setCount; ++i) {
            RootSet& r = sets[i];
            r.zeroCount = r.poleCount;
            for (int k = 0; k < r.poleCount; ++k)
                r.zeros[k] = -std::conj(r.poles[k]);
            r.gain = 1.0;
        }
    }
    if ((kind >= kHighPass && kind <= kHighShelfCentredPoles) || kind == kBandStop) {
        for (int i = 0; i < setCount; ++i)
            invert(sets[i]);
    }
    if (band) {
        RootSet transformed[maxSets];
        int count = 0;
        double bandwidth = 1.0 / q;
        for (int i = 0; i < setCount && count <= maxSets - 2; ++i)
            count += bandTransform(sets[i], bandwidth, transformed + count);
        setCount = std::min(count, maxSections);
        for (int i = 0; i < setCount; ++i)
            sets[i] = transformed[i];
    }
    setCount = std::min(setCount, int(maxSections));

    for (int i = 0; i < setCount; ++i) {
        const RootSet& r = sets[i];
        BiquadPrototype& s = sections_[i];
        double nb2, nb1, nb0, na2, na1, na0;
        multiplyOut(r.zeroCount, r.zeros, nb2, nb1, nb0);
        multiplyOut(r.poleCount, r.poles, na2, na1, na0);
        // Sections of two poles and one zero are written as second order.
        s.setCoefficients(nb2 * r.gain, nb1 * r.gain, nb0 * r.gain, na2, na1, na0);
        s.poleCount = r.poleCount;
        s.zeroCount = r.zeroCount;
        for (int k = 0; k < 2; ++k) {
            s.poles[k] = r.poles[k];
            s.zeros[k] = r.zeros[k];
        }
    }
    sectionCount_ = setCount;

    if (!band) {
        // The quality shapes the first section's damping terms.
        BiquadPrototype& s = sections_[0];
        if (std::fabs(s.b2) > epsilon || std::fabs(s.a2) > epsilon) {
            const float scale = float(sqrtHalf / q);
            const float floor = 0.05f * 0.70710677f;
            auto shape = [&](double term) {
                double m = std::max(std::fabs(term) * scale, double(floor));
                return term < 0.0 ? -m : m;
            };
            double nb1 = std::fabs(s.b1) > epsilon ? shape(s.b1) : s.b1;
            double na1 = s.a1 == 0.0 ? 0.0 : shape(s.a1);
            s.setCoefficients(s.b2, nb1, s.b0, s.a2, na1, s.a0);
        }
    }
    if (kind == kBandPass) {
        for (int i = 0; i < sectionCount_; ++i) {
            BiquadPrototype& s = sections_[i];
            double den = (s.a0 - s.a2) * (s.a0 - s.a2) + s.a1 * s.a1;
            double g = den == 0.0 ? 1.0 : std::sqrt(((s.b0 - s.b2) * (s.b0 - s.b2) + s.b1 * s.b1) / den);
            if (g > 0.0) s.setCoefficients(s.b2 / g, s.b1 / g, s.b0 / g, s.a2, s.a1, s.a0);
        }
    } else if (kind == kBandPassQGain) {
        double factor = std::pow(1.0 / ((1.0 / q) * sqrtHalf), 1.0 / sectionCount_);
        for (int i = 0; i < sectionCount_; ++i) {
            BiquadPrototype& s = sections_[i];
            s.setCoefficients(s.b2 * factor, s.b1 * factor, s.b0 * factor, s.a2, s.a1, s.a0);
        }
    }
    for (int i = 0; i < sectionCount_; ++i)
        sections_[i].setScales(frequencyScale_, secondScale_);
    return sectionCount_;
}
