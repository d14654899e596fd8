#include "gui/CurveSampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace gui {
namespace {

class FunctionCurve : public ICurve {
public:
    explicit FunctionCurve(std::function<float(float)> f) : f_(std::move(f)) {}
    float valueAt(float x) const override { return f_(x); }

private:
    std::function<float(float)> f_;
};

TEST(CurveSampler, WindowFollowsTheWidths) {
    FunctionCurve flat([](float) { return 1.0f; });
    const struct {
        float scale, line, soft;
        int window;
    } cases[] = {
        {1.0f, 0.0f, 0.0f, 3},     {1.0f, 2.0f, 0.0f, 5},      {2.0f, 2.0f, 1.0f, 9},
        {1.0f, 60.0f, 42.0f, 105}, {1.0f, 1000.0f, 0.0f, 105}, {1.0f, NAN, INFINITY, 3},
    };
    for (const auto& c : cases) {
        CurveSampler sampler;
        sampler.start(c.scale, flat, c.line, c.soft, 0, 0.0f, 100.0f);
        EXPECT_EQ(sampler.window(), c.window) << c.line << " + " << c.soft;
    }
}

TEST(CurveSampler, ExtentsOfFlatSlopedAndPeakedCurves) {
    for (float width : {0.0f, 2.0f, 12.0f}) {
        SCOPED_TRACE(width);
        FunctionCurve flat([](float) { return 3.0f; });
        CurveSampler sampler;
        sampler.start(1.0f, flat, width, 1.0f, 0, 0.5f, 100.0f);
        for (int x = 0; x < 40; ++x) {
            CurveSampler::Extent e = sampler.advance(x);
            ASSERT_EQ(e.up, 0.0f);
            ASSERT_EQ(e.down, 0.0f);
            ASSERT_FLOAT_EQ(sampler.centre(), 3.5f);
        }
        // A line falling by 2 rows per column reaches up and down by the same
        // amount, the same in every column (running sums and full sums agree).
        FunctionCurve slope([](float x) { return 2.0f * x; });
        sampler.start(1.0f, slope, width, 0.0f, -50, 0.0f, 100.0f);
        CurveSampler::Extent first = sampler.advance(-50);
        for (int x = -49; x < 60; ++x) {
            CurveSampler::Extent e = sampler.advance(x);
            ASSERT_NEAR(e.down, first.down, 1e-4) << x;
            ASSERT_NEAR(e.up, e.down, 1e-4) << x;
            ASSERT_NEAR(e.down, 2.0f, 1e-4) << x;
        }
        // NaN values count as the bottom.
        FunctionCurve holes([](float x) { return x > 5.0f ? NAN : 1.0f; });
        sampler.start(1.0f, holes, width, 0.0f, 0, 0.0f, 40.0f);
        for (int x = 0; x < 10; ++x)
            sampler.advance(x);
        EXPECT_FLOAT_EQ(sampler.centre(), 40.0f);
    }
    // A peak reaches up on both sides as it passes through the window.
    FunctionCurve peak([](float x) { return std::fabs(x - 30.0f) * 3.0f; });
    CurveSampler sampler;
    sampler.start(1.0f, peak, 14.0f, 0.0f, 0, 0.0f, 100.0f);
    for (int x = 0; x < 60; ++x) {
        CurveSampler::Extent e = sampler.advance(x);
        ASSERT_TRUE(std::isfinite(e.up) && std::isfinite(e.down));
        if (x == 30) {
            EXPECT_GT(e.up + e.down, 0.0f);
        }
    }
}

} // namespace
} // namespace gui
