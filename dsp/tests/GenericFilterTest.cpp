#include "dsp/GenericFilter.h"
#include "dsp/BiQuadFilter.h"
#include "dsp/SimdPath.h"
#include "dsp/StateVariableFilter.h"
#include "dsp/tests/FilterFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace test;

namespace {

class GenericFilterTest : public ::testing::Test {
protected:
    GenericFilterTest()
        : input_(env_, [](long n) { return float(n % 7) * 0.1f; }), filter_(env_), unit_(env_) {
        env_.setSampleRate(48000.0f);
        filter_.setInput(&input_);
        filter_.setUnit(&unit_);
    }

    wave::Environment env_;
    FunctionSource input_;
    GenericFilter filter_;
    RecordingUnit unit_;
};

} // namespace

TEST_F(GenericFilterTest, MixZeroHandsOnTheInputBlockAndRunsNoUnit) {
    filter_.mix.getParameter().setValue(0.0f, 0.0f);
    const wave::BasicBlock<float>& out = runBlock(env_, filter_, 64);
    EXPECT_EQ(&out, &input_.getCurrentBlock());
    EXPECT_EQ(unit_.processes, 0);
    EXPECT_TRUE(unit_.calls.empty());
    EXPECT_FALSE(filter_.isActiveThisBlock());
}

TEST_F(GenericFilterTest, MixOneGivesTheUnitOutputAndOtherMixesBlend) {
    const wave::BasicBlock<float>& out = runBlock(env_, filter_, 64);
    EXPECT_EQ(unit_.processes, 1);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(out.data()[i], 2.0f * input_.getCurrentBlock().data()[i]);

    filter_.mix.getParameter().setValue(0.25f, 0.0f);
    const wave::BasicBlock<float>& mixed = runBlock(env_, filter_, 64);
    for (int i = 0; i < 64; ++i) {
        float x = input_.getCurrentBlock().data()[i];
        ASSERT_FLOAT_EQ(mixed.data()[i], (2.0f * x - x) * 0.25f + x);
    }
}

TEST_F(GenericFilterTest, ConstantControlsGiveOneSegment) {
    filter_.frequency.getParameter().setValue(10.0f, 0.0f);
    filter_.peak.getParameter().setValue(0.3f, 0.0f);
    runBlock(env_, filter_, 100);
    ASSERT_EQ(unit_.lastSegments, std::vector<int>({100}));
    ASSERT_EQ(unit_.calls.size(), 1u);
    EXPECT_EQ(unit_.calls[0].frequency, 10.0f);
    EXPECT_FLOAT_EQ(unit_.calls[0].peak, 0.3f);
    EXPECT_EQ(unit_.calls[0].gain, 1.0f);

    // A constant multiplier keeps the one segment, its peak scaled.
    FunctionSource multiplier(
        env_, [](long) { return 0.5f; }, true);
    filter_.setPeakMultiplier(&multiplier);
    filter_.peakMultiplierEnabled.setValue(true);
    unit_.calls.clear();
    runBlock(env_, filter_, 100);
    ASSERT_EQ(unit_.lastSegments, std::vector<int>({100}));
    ASSERT_EQ(unit_.calls.size(), 1u);
    EXPECT_FLOAT_EQ(unit_.calls[0].peak, 0.3f * 0.5f);
}

TEST_F(GenericFilterTest, ModulatedMultiplierCutsSegmentsOf32) {
    FunctionSource multiplier(env_, [](long n) { return 0.5f + 0.001f * float(n % 3); });
    filter_.setPeakMultiplier(&multiplier);
    filter_.peakMultiplierEnabled.setValue(true);
    filter_.peak.getParameter().setValue(0.8f, 0.0f);
    runBlock(env_, filter_, 100);
    EXPECT_EQ(unit_.lastSegments, std::vector<int>({32, 32, 32, 4}));
    ASSERT_EQ(unit_.calls.size(), 4u);
    // Each segment's peak is the peak times the multiplier at its first sample.
    EXPECT_FLOAT_EQ(unit_.calls[1].peak, 0.8f * (0.5f + 0.001f * float(32 % 3)));

    // Switched off, the multiplier is ignored.
    unit_.calls.clear();
    filter_.peakMultiplierEnabled.setValue(false);
    runBlock(env_, filter_, 100);
    EXPECT_EQ(unit_.lastSegments, std::vector<int>({100}));
}

TEST_F(GenericFilterTest, FrequencyAndPeakMovesCutSegments) {
    // Frequency rising by 0.03 per sample: 0.1 is exceeded at the 4th sample.
    FunctionSource ramp(env_, [](long n) { return 8.0f + 0.03f * float(n); });
    filter_.frequency.setSource(&ramp);
    runBlock(env_, filter_, 18);
    EXPECT_EQ(unit_.lastSegments, std::vector<int>({4, 4, 4, 4, 2}));

    // A peak step of 0.001 at sample 10; the gain is not compared.
    FunctionSource peak(env_, [](long n) { return n % 128 < 10 ? 0.5f : 0.501f; });
    FunctionSource gain(env_, [](long n) { return 1.0f + 0.1f * float(n % 2); });
    filter_.frequency.setSource(nullptr);
    filter_.peak.setSource(&peak);
    filter_.gain.setSource(&gain);
    peak.position = gain.position = 0;
    runBlock(env_, filter_, 40);
    EXPECT_EQ(unit_.lastSegments, std::vector<int>({10, 30}));
}

TEST_F(GenericFilterTest, StateIsClearedAfterResetOrDiscontinuity) {
    runBlock(env_, filter_, 32);
    EXPECT_EQ(unit_.clears, 1); // the first block follows the construction "reset"
    runBlock(env_, filter_, 32);
    EXPECT_EQ(unit_.clears, 1);
    env_.reset(wave::Environment::kResetLight);
    runBlock(env_, filter_, 32);
    EXPECT_EQ(unit_.clears, 2);
    // A block in which the filter was not pulled: the stream did not continue.
    env_.nextBlock();
    env_.process(32, 0);
    runBlock(env_, filter_, 32);
    EXPECT_EQ(unit_.clears, 3);
    runBlock(env_, filter_, 32);
    EXPECT_EQ(unit_.clears, 3);
    // The graph's own reset reaches the unit through the filter.
    env_.reset(wave::Environment::kResetAll);
    EXPECT_EQ(unit_.clears, 4);
}

TEST_F(GenericFilterTest, SharedUnitLanesAndZeroBlock) {
    RecordingUnit shared(env_);
    GenericFilter b(env_), c(env_);
    FunctionSource inB(env_, [](long) { return 1.0f; }), inC(env_, [](long) { return -1.0f; });
    b.setInput(&inB);
    c.setInput(&inC);
    filter_.setParallelUnit(&shared);
    b.setParallelUnit(&shared);
    c.setParallelUnit(&shared);
    c.mix.getParameter().setValue(0.0f, 0.0f);

    runBlock(env_, b, 16);
    EXPECT_EQ(shared.parallelRuns, 1);
    EXPECT_TRUE(shared.activeSeen[0]);
    EXPECT_TRUE(shared.activeSeen[1]);
    EXPECT_FALSE(shared.activeSeen[2]); // mix 0
    EXPECT_FALSE(shared.activeSeen[3]);
    EXPECT_EQ(shared.inputsSeen[3], env_.getZeroBlock().data());
    EXPECT_EQ(shared.laneResets, std::vector<int>({0, 1}));
    // Every attached filter was computed by that one run.
    EXPECT_TRUE(filter_.isComputedThisBlock());
    EXPECT_TRUE(c.isComputedThisBlock());
    EXPECT_EQ(b.getCurrentBlock().data()[3], 2.0f);
    EXPECT_EQ(&c.getCurrentBlock(), &inC.getCurrentBlock());
    filter_.pull(16);
    c.pull(16);
    EXPECT_EQ(shared.parallelRuns, 1);
    EXPECT_EQ(unit_.processes, 0); // the own unit is ignored while shared

    // setUnit leaves the shared unit; the others keep their order.
    filter_.setUnit(&unit_);
    EXPECT_EQ(shared.filters(), (std::vector<GenericFilter*>{&b, &c}));
}

TEST_F(GenericFilterTest, JoiningTheSameSharedUnitAgainChangesNothing) {
    RecordingUnit shared(env_);
    GenericFilter b(env_), c(env_);
    filter_.setParallelUnit(&shared);
    b.setParallelUnit(&shared);
    c.setParallelUnit(&shared);
    filter_.setParallelUnit(&shared);
    // The filter keeps lane 0 (and with it its lane state).
    EXPECT_EQ(shared.filters(), (std::vector<GenericFilter*>{&filter_, &b, &c}));
    {
        GenericFilter d(env_);
        d.setParallelUnit(&shared);
        EXPECT_EQ(shared.filters().size(), 4u);
    }
    EXPECT_EQ(shared.filters(), (std::vector<GenericFilter*>{&filter_, &b, &c}));
}

TEST_F(GenericFilterTest, FiltersMovingToAnotherLaneStartClean) {
    RecordingUnit shared(env_);
    GenericFilter b(env_), c(env_);
    for (GenericFilter* f : {&filter_, &b, &c}) {
        f->setInput(&input_);
        f->setParallelUnit(&shared);
    }
    runBlock(env_, filter_, 16);
    runBlock(env_, filter_, 16);
    EXPECT_EQ(shared.laneResets, std::vector<int>({0, 1, 2}));
    // b leaves: c moves from lane 2 to lane 1 and must not continue on b's state.
    b.setUnit(nullptr);
    shared.laneResets.clear();
    runBlock(env_, filter_, 16);
    EXPECT_EQ(shared.laneResets, std::vector<int>({1}));
    // b joins again on lane 2.
    b.setParallelUnit(&shared);
    shared.laneResets.clear();
    runBlock(env_, filter_, 16);
    EXPECT_EQ(shared.laneResets, std::vector<int>({2}));
}

TEST(GenericFilterLanes, FilterAloneEqualsOneLaneOfFourBitForBit) {
    for (int slope : {1, 2, 3}) {
        for (int response : {0, 1, 2, 4}) {
            SCOPED_TRACE(::testing::Message() << "slope " << slope << " response " << response);
            wave::Environment env;
            env.setSampleRate(44100.0f);
            FunctionSource in(env, [](long n) {
                return float(std::sin(0.05 * double(n)) + 0.3 * std::sin(1.3 * double(n)));
            });
            FunctionSource other(env, [](long n) { return float((n * 37) % 11) * 0.1f - 0.5f; });

            StateVariableFilter alone(env), shared(env);
            GenericFilter a(env), lane0(env), lane1(env), lane2(env);
            for (GenericFilter* f : {&a, &lane0, &lane1, &lane2}) {
                f->slope.setValue(GenericFilter::Slope(slope));
                f->response.setValue(GenericFilter::Response(response));
                f->frequency.getParameter().setValue(10.5f, 0.0f);
                f->peak.getParameter().setValue(0.7f, 0.0f);
                f->gain.getParameter().setValue(1.5f, 0.0f);
            }
            lane1.frequency.getParameter().setValue(12.0f, 0.0f);
            a.setInput(&in);
            lane0.setInput(&in);
            lane1.setInput(&other);
            lane2.setInput(&other);
            a.setUnit(&alone);
            lane0.setParallelUnit(&shared);
            lane1.setParallelUnit(&shared);
            lane2.setParallelUnit(&shared);
            for (int block = 0; block < 20; ++block) {
                env.nextBlock();
                const auto& x = a.pull(128);
                const auto& y = lane0.pull(128);
                ASSERT_EQ(std::memcmp(x.data(), y.data(), 128 * sizeof(float)), 0) << block;
                env.process(128, 0);
            }
        }
    }
}

// A unit whose lanes follow their own segments (the biquad) gives each of
// four filters exactly what the filter gives on a unit of its own: with
// every lane's frequency and peak moving at its own pace (so the lanes cut
// their segments in different places), a peak multiplier, a filter nobody
// pulls for a while (it restarts clean, as its own unit would after the
// gap) and a filter switched off and on again.
TEST(GenericFilterLanes, OwnSegmentLanesEqualFiltersOnUnitsOfTheirOwn) {
    for (int slope : {0, 1, 2, 3}) {
        for (int response : {0, 1, 2}) {
            if (slope == 0 && response == 2) continue; // no first-order band-pass
            SCOPED_TRACE(::testing::Message() << "slope " << slope << " response " << response);
            wave::Environment env;
            env.setSampleRate(48000.0f);
            FunctionSource in(env, [](long n) {
                return float(std::sin(0.05 * double(n)) + 0.3 * std::sin(1.3 * double(n)));
            });
            std::vector<std::unique_ptr<FunctionSource>> controls;
            auto sweep = [&](double rate, double depth, double centre) {
                controls.push_back(std::make_unique<FunctionSource>(
                    env, [=](long n) { return float(centre + depth * std::sin(rate * double(n))); }));
                return controls.back().get();
            };
            BiQuadFilter shared(env);
            std::vector<std::unique_ptr<BiQuadFilter>> own;
            std::vector<std::unique_ptr<GenericFilter>> a, b; // alone, on the shared unit
            FunctionSource* multiplier = sweep(0.002, 0.5, 0.5);
            for (int lane = 0; lane < 4; ++lane) {
                FunctionSource* frequency = sweep(0.0011 * (lane + 1), 1.5, 10.0 + lane);
                FunctionSource* peak = sweep(0.0007 * (lane + 2), 0.4, 0.5);
                own.push_back(std::make_unique<BiQuadFilter>(env));
                for (auto* list : {&a, &b}) {
                    auto f = std::make_unique<GenericFilter>(env);
                    f->slope.setValue(GenericFilter::Slope(slope));
                    f->response.setValue(GenericFilter::Response(response));
                    f->setInput(&in);
                    f->frequency.setSource(frequency);
                    if (lane != 1) f->peak.setSource(peak);
                    f->gain.getParameter().setValue(0.5f + 0.25f * float(lane), 0.0f);
                    if (lane == 2) {
                        f->setPeakMultiplier(multiplier);
                        f->peakMultiplierEnabled.setValue(true);
                    }
                    if (list == &a)
                        f->setUnit(own.back().get());
                    else
                        f->setParallelUnit(&shared);
                    list->push_back(std::move(f));
                }
            }
            for (int block = 0; block < 24; ++block) {
                env.nextBlock();
                for (int lane = 0; lane < 4; ++lane) {
                    if (lane == 3 && block >= 6 && block < 9) continue; // nobody pulls it
                    const auto& x = a[std::size_t(lane)]->pull(100);
                    const auto& y = b[std::size_t(lane)]->pull(100);
                    ASSERT_EQ(std::memcmp(x.data(), y.data(), 100 * sizeof(float)), 0)
                        << "lane " << lane << " block " << block;
                }
                env.process(100, 0);
                if (block == 12)
                    for (auto* list : {&a, &b})
                        (*list)[1]->mix.getParameter().setValue(0.0f, 0.0f);
                if (block == 15)
                    for (auto* list : {&a, &b})
                        (*list)[1]->mix.getParameter().setValue(1.0f, 0.0f);
            }
        }
    }
}

namespace {
// One graph of two filter positions on state-variable units: position a's
// filters read the inputs; position b's read a's filters (in series, in
// another lane order) or the inputs (side by side).
template <class Unit> struct PositionPair {
    explicit PositionPair(bool serial) {
        env.setSampleRate(44100.0f);
        for (int i = 0; i < 4; ++i) {
            a.push_back(std::make_unique<GenericFilter>(env));
            b.push_back(std::make_unique<GenericFilter>(env));
        }
        const int order[4] = {2, 0, 3, 1}; // b[i] reads a[order[i]]
        for (int i = 0; i < 4; ++i) {
            GenericFilter& fa = *a[std::size_t(i)];
            GenericFilter& fb = *b[std::size_t(i)];
            fa.setInput(i % 2 == 0 ? &left : &right);
            fb.setInput(serial ? static_cast<wave::Producer*>(a[std::size_t(order[i])].get()) : &right);
            fa.slope.setValue(GenericFilter::kSlope24);
            fb.slope.setValue(GenericFilter::kSlope48);
            fb.response.setValue(GenericFilter::kHighPass);
            fa.frequency.setSource(i == 0 ? static_cast<wave::Producer*>(&sweep) : nullptr);
            fa.frequency.getParameter().setValue(9.0f + float(i), 0.0f);
            fb.frequency.getParameter().setValue(8.0f + 0.5f * float(i), 0.0f);
            fa.peak.getParameter().setValue(0.2f * float(i), 0.0f);
            fb.peak.getParameter().setValue(0.9f, 0.0f);
            fa.gain.getParameter().setValue(2.0f, 0.0f);
            fa.setParallelUnit(&unitA);
            fb.setParallelUnit(&unitB);
        }
        a[2]->mix.getParameter().setValue(0.0f, 0.0f); // passes its input
    }
    // Glides that start now: a filter of a fading out, one of b fading in.
    void glide() {
        a[1]->mix.getParameter().setValue(0.25f, 20.0f);
        b[3]->mix.getParameter().setValue(0.0f, 0.0f);
        b[3]->mix.getParameter().setValue(1.0f, 15.0f);
    }
    // Pulls b's filters (all but `skipped`) and a's first: the others of a
    // are computed for b's.
    std::vector<float> run(int count, bool together, int skipped) {
        env.nextBlock();
        if (together) a[0]->computeTogether(*b[0], count);
        std::vector<float> out;
        for (int i = 0; i < 4; ++i) {
            if (i == skipped) continue;
            const float* y = b[std::size_t(i)]->pull(count).data();
            out.insert(out.end(), y, y + count);
        }
        const float* y = a[0]->pull(count).data();
        out.insert(out.end(), y, y + count);
        env.process(count, 0);
        return out;
    }

    wave::Environment env;
    FunctionSource left{
        env, [](long n) { return float(std::sin(0.03 * double(n)) + 0.5 * std::sin(0.9 * double(n))); }};
    FunctionSource right{env, [](long n) { return float((n * 29) % 13) * 0.15f - 0.9f; }};
    FunctionSource sweep{env, [](long n) { return float(10.0 + 1.5 * std::sin(0.002 * double(n))); }};
    Unit unitA{env}, unitB{env};
    std::vector<std::unique_ptr<GenericFilter>> a, b;
};

template <class Unit> void expectPairedEqualsOnTheirOwn() {
    const simd::Path chosen = simd::activePath();
    std::vector<simd::Path> paths{simd::Path::kSse2};
    if (simd::isSupported(simd::Path::kAvx2)) paths.push_back(simd::Path::kAvx2);
    for (simd::Path path : paths) {
        simd::forcePath(path);
        for (bool serial : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << simd::pathName(path) << (serial ? " serial" : " side by side"));
            PositionPair<Unit> paired(serial), alone(serial);
            paired.unitA.pairWith(&paired.unitB);
            const int counts[] = {20, 32, 100, 128, 7, 64, 33};
            for (int block = 0; block < 28; ++block) {
                if (block == 9) {
                    paired.glide();
                    alone.glide();
                }
                const int count = counts[block % 7];
                const int skipped = block >= 12 && block < 15 ? 2 : -1;
                const std::vector<float> x = paired.run(count, true, skipped);
                const std::vector<float> y = alone.run(count, false, skipped);
                ASSERT_EQ(std::memcmp(x.data(), y.data(), x.size() * sizeof(float)), 0) << "block " << block;
            }
        }
    }
    simd::forcePath(chosen);
}
} // namespace

// Two units computed together in one pass give every filter exactly what it
// gives when each unit runs on its own pull: in series (the second position
// trails the first and reads its mixed output, through a mix gliding out and
// a filter that passes its input) and side by side; with different stage
// counts, odd block lengths, a filter nobody pulls for a while; state-
// variable units and biquads (whose lanes keep their own segments and
// restart after a gap); on each path.
TEST(GenericFilterLanes, PairedUnitsEqualUnitsRunOnTheirOwn) {
    expectPairedEqualsOnTheirOwn<StateVariableFilter>();
    expectPairedEqualsOnTheirOwn<BiQuadFilter>();
}
