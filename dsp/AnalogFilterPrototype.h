#pragma once

// Analog filter prototypes: up to 8 second-order sections
// H(s) = (b2 s^2 + b1 s + b0) / (a2 s^2 + a1 s + a0), designed for one of
// thirteen kinds from a Butterworth pole set, a (possibly fractional) order, a
// quality and a gain, at the normalised frequency 1. The biquad filter maps
// the sections onto digital state-variable sections; response curves query
// magnitude and phase at blocks of frequencies.
//
// Kinds: 0 low-pass; 1 low shelf; 2 low shelf centred on the frequency;
// 3 high-pass; 4 high shelf; 5 high shelf centred on the frequency; 6 high
// shelf with the centred pole move but the full factor; 7 bell; 8 band-pass
// (0 dB at the centre); 9 band-pass with a gain of Q x sqrt(2) at the centre;
// 10 band-stop; 11 all-pass; 12 pinking tilt (-3 dB per octave).
//
// Design decisions (where only the response is prescribed):
// - Shelves and the bell: every root set is normalised so that the pass end
//   (high frequencies for the low-pass family before any transform) is at 1;
//   the shelving end, and the bell's centre, then reach the gain g. The
//   shelf factor is g^(1/n) (g^(1/(2n)) for the centred kinds 2, 5, 7), n the
//   number of poles of the low-pass set, which is the order for whole orders.
// - Band kinds 7 to 10: the order is that of the band response; the low-pass
//   pole set has half of it (an order-2 band-pass is one section:
//   B s / (s^2 + B s + 1), B = 1/Q the relative bandwidth). The transform
//   s -> (s^2 + 1) / (B s) turns each low-pass root into two; a conjugate
//   pole pair becomes two sections, the roots nearer the origin in the
//   first. Band-stop inverts first, so its zeros land on +-j.
// - Fractional orders above 1: n = order rounded up; the poles of all root
//   sets but the last follow the angle rule with the fractional order; the
//   last set, from the fraction f = order - n + 1, blends between the lower
//   and the higher whole order: a single pole becomes ((1 - f) s + 1)/(s + 1),
//   a pole pair 1/(f^2 s^2 + (1 + (sqrt(2) - 1) f) s + 1) (one pole at f = 0,
//   the Butterworth pair at f = 1). The response moves continuously and
//   steepens monotonically with the order.
// - Orders below 1 (kinds 0, 3, 8): a tilt of three real pole/zero pairs,
//   poles at 1, 32, 1024 and zeros 32^order above each (so order 0.5 puts
//   them at 4 sqrt(2)): an average slope of 6 x order dB per octave over
//   about fifteen octaves from the frequency up, unity below it.
// - Kind 12: three real pole/zero pairs 2.5 octaves apart (poles from
//   -0.01313900648833929, zeros from -0.07432544468767008, x32 apart), a
//   -3 dB per octave tilt across the audio band; its level at the frequency
//   is the fourth root of the gain.
// - Hostile arguments are sanitised: the order is limited to [0, 16] (NaN
//   gives 1), Q to [1e-3, 1e3] (NaN gives 1/sqrt(2)), the gain to
//   [1e-6, 1e6] (NaN gives 1); an unknown kind designs a low-pass.
//
// Design and coefficient reads never allocate (fixed arrays), so the biquad
// filter designs on the audio thread.

#include <complex>
#include <cstdint>

class AnalogFilterPrototypeBase {
public:
    virtual ~AnalogFilterPrototypeBase() = default;
    // H(j w v), v the second scale.
    virtual std::complex<double> response(double w) const = 0;
    // |H(j w / f)|^2, f the frequency scale; never below 0.
    virtual double squaredMagnitude(double w) = 0;
    // Both scales (frequency scale at most 1e6, second scale at least 1e-6).
    virtual void setScales(double frequencyScale, double secondScale) = 0;
};

class AnalogFilterPrototype : public AnalogFilterPrototypeBase {
public:
    static constexpr int maxSections = 8;

    class BiquadPrototype : public AnalogFilterPrototypeBase {
    public:
        BiquadPrototype();

        std::complex<double> response(double w) const override;
        double squaredMagnitude(double w) override;
        void setScales(double frequencyScale, double secondScale) override;
        // values[i] *= |H|^2 at w[i] (each factor at least 0).
        void multiplySquaredMagnitude(const float* w, float* values, int count);
        // out[i] = the phase at w[i].
        void phase(const float* w, float* out, int count) const;
        // out[i] += the phase at w[i] (frequencies times the second scale).
        void addPhase(const float* w, float* out, int count) const;

        void setCoefficients(double b2, double b1, double b0, double a2, double a1, double a0);
        // The second-order low-pass with quality q (b0 = a2 = a0 = 1, a1 = 1/q).
        void setLowPass(double q);

        double b2 = 0, b1 = 0, b0 = 1, a2 = 1, a1 = 1.4142135623730951, a0 = 1;

        // The roots the design made this section from (no finite root: count 0).
        int poleCount = 2, zeroCount = 0;
        std::complex<double> poles[2], zeros[2];

    private:
        void updateTerms();

        double frequencyScale_ = 1.0;
        double secondScale_ = 1.0;
        bool termsValid_ = false;
        double n4_ = 0, n2_ = 0, n0_ = 0, d4_ = 0, d2_ = 0, d0_ = 0;
    };

    // The kinds (see the top of this file); design() takes them as int.
    enum Kind : int {
        kLowPass = 0,
        kLowShelf = 1,
        kLowShelfCentred = 2,
        kHighPass = 3,
        kHighShelf = 4,
        kHighShelfCentred = 5,
        kHighShelfCentredPoles = 6, // the centred pole move with the full factor
        kBell = 7,
        kBandPass = 8,      // 0 dB at the centre
        kBandPassQGain = 9, // Q x sqrt(2) at the centre
        kBandStop = 10,
        kAllPass = 11,
        kPinkingTilt = 12, // -3 dB per octave
    };

    AnalogFilterPrototype() = default;

    // Designs the sections; returns their count (1 to 8).
    int design(int kind, double order, double q, double gain) noexcept;

    std::complex<double> response(double w) const override;
    double squaredMagnitude(double w) override;
    void setScales(double frequencyScale, double secondScale) override;
    // values[i] = |H|^2 at w[i].
    void squaredMagnitudes(const float* w, float* values, int count);
    // out[i] = the phase at w[i], wrapped into [-pi, pi) (pi itself stays).
    void phase(const float* w, float* out, int count) const;

    int sectionCount() const noexcept { return sectionCount_; }
    const BiquadPrototype& section(int i) const noexcept { return sections_[i]; }
    BiquadPrototype& section(int i) noexcept { return sections_[i]; }

    int kind() const noexcept { return kind_; }
    double order() const noexcept { return order_; }
    double quality() const noexcept { return q_; }
    double gain() const noexcept { return gain_; }

    // Phases of magnitude pi (within 1.1920929e-7) stay; any other is
    // wrapped into [-pi, pi) by fmod(phase + pi sign, 2 pi) - pi sign.
    static double wrapPhase(double phase) noexcept;

private:
    double frequencyScale_ = 1.0;
    double secondScale_ = 1.0;
    BiquadPrototype sections_[maxSections];
    int sectionCount_ = 1;
    int kind_ = 0;
    double order_ = 2.0, q_ = 0.7071067811865476, gain_ = 1.0;
};
