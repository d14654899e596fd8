// The response display against the filters it shows: the processor's own
// output filter combinations (built by the processor, at 48 kHz) measured
// with -30 dBFS sines at 1/12-octave steps, beside the filter section's
// display bound to the model's parameters.
//
// The filters are bilinear transforms of analog prototypes prewarped at
// their frequency, so a low pass falls to nothing at Nyquist. Asymptotes are
// therefore fitted on the prototype's frequency axis, (fs / pi) tan(pi f /
// fs), and their corners mapped back: 2 to 4 octaves out on that axis lie
// below 20.2 kHz even for a 4 kHz low pass.

#include "effect/VarnelProcessor.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/tests/FilterDisplayRig.h"
#include "gui/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr double kAmplitude = 0.031622776601683794; // -30 dBFS
constexpr int kClean = 10;
// Below this (about -150 dBFS out) single-precision rounding is measured.
constexpr double kNoiseFloor = -120.0;
// The highest frequency measured: well below Nyquist.
constexpr double kTopOctave = 14.3;   // about 20.2 kHz
constexpr double kBottomOctave = 3.9; // about 15 Hz

struct Point {
    double octave; // log2 Hz
    double gain;   // dB
};

// A sine of the test level at a fixed frequency, in the processor's graph.
class Sine : public wave::Source {
public:
    explicit Sine(wave::Environment& e) : wave::Source(e) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        const double start = getEnvironment().getSamplePosition();
        for (int i = 0; i < ((count + 3) & ~3); ++i)
            block->data()[i] = static_cast<float>(kAmplitude * std::sin(step * (start + i)));
        block->setConstant(false);
    }
    double step = 0.0; // radians per sample
};

// The processor with its parameters set through its queue, and its
// channels' output filter combinations measured one sine at a time.
class ProcessorFilters {
public:
    ProcessorFilters() : processor_(std::make_unique<VarnelProcessor>()) {
        processor_->activate(kRate);
        processor_->reset();
        sine_ = std::make_unique<Sine>(processor_->getEnvironment());
    }

    VarnelProcessor& processor() { return *processor_; }

    // Applies what was set: one host block drains the parameter queue.
    void apply() {
        std::vector<float> zeros(64, 0.0f), left(64), right(64);
        const float* in[2] = {zeros.data(), zeros.data()};
        float* out[2] = {left.data(), right.data()};
        processor_->process(in, 2, out, 2, 64, nullptr);
        fresh_ = {true, true};
    }

    // The gain (dB) of a channel's output filters at a frequency.
    double gainAt(int channel, double hz) {
        FilterCombo& combo = processor_->getChannel(channel).getOutputFilters();
        combo.setInput(sine_.get());
        sine_->step = 2.0 * std::numbers::pi * hz / kRate;
        wave::Environment& e = processor_->getEnvironment();
        const double period = kRate / hz;
        // A filter just switched on glides in first.
        const double glide = fresh_[std::size_t(channel)] ? 0.2 * kRate : 0.0;
        fresh_[std::size_t(channel)] = false;
        const int settle = static_cast<int>(glide + std::max(1200.0, 4.0 * period));
        const int measured = static_cast<int>(std::round(std::ceil(2400.0 / period) * period));
        double s = 0.0, c = 0.0;
        for (int done = 0; done < settle + measured;) {
            const int n = std::min(128, settle + measured - done);
            e.nextBlock();
            const double start = e.getSamplePosition();
            const float* y = combo.getOutput()->pull(n).data();
            for (int i = 0; i < n; ++i) {
                if (done + i < settle) continue;
                const double phase = sine_->step * (start + i);
                s += y[i] * std::sin(phase);
                c += y[i] * std::cos(phase);
            }
            e.process(n, 1); // time only: nothing else of the graph runs
            done += n;
        }
        const double amplitude = 2.0 * std::hypot(s, c) / measured;
        return 20.0 * std::log10(std::max(amplitude, 1e-12) / kAmplitude);
    }

    // 1/12-octave steps from `from` to `to` (log2 Hz), both included when on the grid.
    std::vector<Point> sweep(int channel, double from, double to) {
        std::vector<Point> points;
        const double lo = std::max(from, kBottomOctave), hi = std::min(to, kTopOctave);
        for (int k = static_cast<int>(std::ceil(lo * 12.0 - 1e-9));
             k <= static_cast<int>(std::floor(hi * 12.0 + 1e-9)); ++k) {
            const double octave = k / 12.0;
            points.push_back({octave, gainAt(channel, std::exp2(octave))});
        }
        return points;
    }

private:
    std::unique_ptr<VarnelProcessor> processor_;
    std::unique_ptr<Sine> sine_;
    std::array<bool, 2> fresh_{true, true};
};

// The stop-band asymptote: a least-squares line through the points, as
// (octave where it meets 0 dB, slope in dB per octave).
struct Asymptote {
    double corner = 0.0;
    double slope = 0.0;
};

// A digital frequency's octave on the prototype's axis, and back.
double warp(double octave) {
    return std::log2(kRate / std::numbers::pi * std::tan(std::numbers::pi * std::exp2(octave) / kRate));
}
double unwarp(double octave) {
    return std::log2(kRate / std::numbers::pi * std::atan(std::numbers::pi * std::exp2(octave) / kRate));
}

// The corner in digital octaves and the slope per prototype octave (or,
// on the plain axis, per octave).
Asymptote fit(const std::vector<Point>& points, bool prototypeAxis = true) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Point& p : points) {
        if (p.gain < kNoiseFloor) continue;
        const double x = prototypeAxis ? warp(p.octave) : p.octave;
        n += 1;
        sx += x;
        sy += p.gain;
        sxx += x * x;
        sxy += x * p.gain;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / n;
    const double corner = -intercept / slope;
    return {prototypeAxis ? unwarp(corner) : corner, slope};
}

// Filter 1's curve with its pan on the section's display.
class FilterAgreementTest : public test::FilterDisplayTest {
protected:
    void SetUp() override {
        FilterDisplayTest::SetUp();
        addFilterCurve(0, model->filter[0].pan.getIndex());
    }

    // Filter 1 as the user set it, on the model (the display) and the
    // processor alike.
    void configure(int characteristic, int response, int slope, double hz, float peak, float pan = 0.0f) {
        const float freq = static_cast<float>(std::log2(hz));
        for (VarnelParameters* p : {static_cast<VarnelParameters*>(model.get()),
                                    static_cast<VarnelParameters*>(&filters.processor())}) {
            FilterParameterSet& f = p->filter[0];
            f.enabled.setValue(1.0f, 0);
            f.characteristic.setValue(float(characteristic), 0);
            f.response.setValue(float(response), 0);
            f.slope.setValue(float(slope), 0);
            f.freq.setValue(freq, 0);
            f.peak.setValue(peak, 0);
            f.pan.setValue(pan, 0);
        }
        filters.apply();
        display->refresh();
        // The shape is rebuilt when drawn.
        gui::Bitmap target(ui->deviceBacking());
        target.setSize(286, 263);
        display->render(target.getCanvas());
    }
    FilterController::Curve& curve() { return display->curve(0); }
    // The octave that the display's axis gives at a channel's handle.
    double handleOctave(int channel = 0) {
        FilterController::Curve& c = curve();
        const float x = display->leftMargin.getValue() + ui->deviceBacking().snap(c.channelOffset(channel));
        return std::log2(double(display->xToFrequency(x)));
    }
    // The curve's y at a frequency (curve coordinates, the flat level at h).
    float drawnAt(double octave) {
        FilterController::Curve& c = curve();
        const double x = (octave - FilterParameterSet::kMinimumFreq) * c.pixelsPerOctave();
        return c.segmentValueAt(static_cast<float>(x) - ui->deviceBacking().snap(c.channelOffset(0)));
    }
    // The stop-band asymptote 2 to 4 octaves beyond the handle.
    Asymptote stopBand(int channel, int response, double handle) {
        const double at = warp(handle);
        const std::vector<Point> points = response == 0
                                              ? filters.sweep(channel, unwarp(at + 2.0), unwarp(at + 4.0))
                                              : filters.sweep(channel, unwarp(at - 4.0), unwarp(at - 2.0));
        EXPECT_GE(points.size(), 5u);
        return fit(points);
    }

    ProcessorFilters filters;
};

} // namespace

// Low and high pass at Peak 0: the corner lies at the handle, the slopes
// are 12, 24 and 48 dB per octave as the drawn fall narrows, and the curve
// is flat where the filter passes.
TEST_F(FilterAgreementTest, CornersSlopesAndPassBandsAgree) {
    for (int characteristic : {kClean}) {
        for (int response : {0, 1}) {
            for (double hz : {250.0, 1000.0, 4000.0}) {
                int lastSteep = 1 << 30;
                for (int slope = 0; slope < 3; ++slope) {
                    SCOPED_TRACE(::testing::Message()
                                 << "characteristic " << characteristic << ", "
                                 << (response == 0 ? "LP" : "HP") << " " << hz << " Hz, slope " << slope);
                    configure(characteristic, response, slope, hz, 0.0f);
                    const double handle = handleOctave();
                    const Asymptote a = stopBand(0, response, handle);
                    EXPECT_NEAR(a.corner, handle, 1.0 / 6.0);
                    const double expected = 12.0 * (1 << slope) * (response == 0 ? -1.0 : 1.0);
                    EXPECT_NEAR(a.slope, expected, 0.15 * std::fabs(expected));
                    EXPECT_LT(curve().steepWidth(), lastSteep);
                    lastSteep = curve().steepWidth();
                    const float h = float(curve().curveHeight());
                    const double from = response == 0 ? handle - 4.0 : handle;
                    const double to = response == 0 ? handle : handle + 4.0;
                    for (const Point& p : filters.sweep(0, from, to))
                        if (std::fabs(p.gain) <= 1.0) {
                            EXPECT_NEAR(drawnAt(p.octave), h, 0.5f) << p.octave;
                        }
                }
            }
        }
    }
}

// Band pass: the maximum lies at the handle.
TEST_F(FilterAgreementTest, BandPassPeaksAtTheHandle) {
    for (int characteristic : {kClean}) {
        for (double hz : {250.0, 1000.0, 4000.0}) {
            for (int slope = 0; slope < 3; ++slope) {
                SCOPED_TRACE(::testing::Message()
                             << "characteristic " << characteristic << ", " << hz << " Hz, slope " << slope);
                configure(characteristic, 2, slope, hz, 0.0f);
                const double handle = handleOctave();
                const std::vector<Point> points = filters.sweep(0, handle - 2.0, handle + 2.0);
                const Point top =
                    *std::max_element(points.begin(), points.end(),
                                      [](const Point& a, const Point& b) { return a.gain < b.gain; });
                EXPECT_NEAR(top.octave, handle, 1.0 / 6.0);
            }
        }
    }
}

// More peak: a higher measured resonance and a higher drawn bump.
TEST_F(FilterAgreementTest, PeakRaisesResonanceAndBump) {
    for (int response : {0, 1}) {
        double lastResonance = -1e9;
        float lastBump = -2.0f;
        for (float peak : {0.0f, 0.4f, 0.8f}) {
            SCOPED_TRACE(::testing::Message() << (response == 0 ? "LP" : "HP") << " peak " << peak);
            configure(kClean, response, 1, 1000.0, peak);
            const double handle = handleOctave();
            double resonance = -1e9;
            for (const Point& p : filters.sweep(0, handle - 1.0, handle + 1.0))
                resonance = std::max(resonance, p.gain);
            float top = 1e9f;
            for (float x = -20.0f; x <= 20.0f; x += 0.25f)
                top = std::min(top, curve().segmentValueAt(x));
            const float bump = float(curve().curveHeight()) - top;
            EXPECT_GT(resonance, lastResonance + 0.5);
            EXPECT_GT(bump, lastBump + 1.0f);
            lastResonance = resonance;
            lastBump = bump;
        }
    }
}

// Fault 9: with the channels a pan apart, each channel's corner lies at its
// own curve's handle (the first channel's above, the second's below).
TEST_F(FilterAgreementTest, EachChannelsCornerLiesAtItsCurvesHandle) {
    for (float pan : {1.0f, -1.0f}) {
        for (int response : {0, 1}) {
            configure(kClean, response, 1, 1000.0, 0.0f, pan);
            for (int channel = 0; channel < 2; ++channel) {
                SCOPED_TRACE(::testing::Message() << "pan " << pan << ", " << (response == 0 ? "LP" : "HP")
                                                  << ", channel " << channel);
                const double handle = handleOctave(channel + 1);
                EXPECT_NEAR(handle - handleOctave(0), channel == 0 ? pan : -pan, 0.02);
                EXPECT_NEAR(stopBand(channel, response, handle).corner, handle, 1.0 / 6.0);
            }
        }
    }
}

// The other characteristics: how far their corners (LP and HP, every
// slope; on the prototype's axis and, in parentheses, on the plain one) and
// band-pass maxima lie from the handle, printed for the record; each stays
// within an octave.
TEST_F(FilterAgreementTest, OtherCharacteristicsOffsets) {
    const char* names[] = {"Zentor Prime", "Gentle", "Raw",    "Tube",    "Metal", "Easy Going",
                           "Smooth",       "Hard",   "Hollow", "Extreme", "Clean"};
    for (int characteristic = 0; characteristic <= kClean; ++characteristic) {
        std::printf("%-12s", names[characteristic]);
        for (int response : {0, 1, 2}) {
            for (int slope = 0; slope < 3; ++slope) {
                configure(characteristic, response, slope, 1000.0, 0.0f);
                const double handle = handleOctave();
                double offset = 0.0, plain = 0.0;
                if (response < 2) {
                    offset = stopBand(0, response, handle).corner - handle;
                    const std::vector<Point> points = response == 0
                                                          ? filters.sweep(0, handle + 2.0, handle + 4.0)
                                                          : filters.sweep(0, handle - 4.0, handle - 2.0);
                    plain = fit(points, false).corner - handle;
                } else {
                    const std::vector<Point> points = filters.sweep(0, handle - 2.0, handle + 2.0);
                    offset = std::max_element(points.begin(), points.end(),
                                              [](const Point& a, const Point& b) { return a.gain < b.gain; })
                                 ->octave -
                             handle;
                    plain = offset;
                }
                const char* kind = response == 0 ? "LP" : response == 1 ? "HP" : "BP";
                std::printf(" %s%d %+.3f (%+.3f)", kind, 12 << slope, offset, plain);
                EXPECT_LT(std::fabs(offset), 1.0)
                    << names[characteristic] << " response " << response << " slope " << slope;
            }
        }
        std::printf("\n");
    }
}
