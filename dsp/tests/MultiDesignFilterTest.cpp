#include "dsp/MultiDesignFilter.h"
#include "dsp/BiQuadFilter.h"
#include "dsp/FilterAnalyzer.h"
#include "dsp/FilterCharacteristics.h"
#include "dsp/tests/FilterFixtures.h"

#include <gtest/gtest.h>

#include <memory>

using namespace test;

namespace {

// The effect's characteristic list, built once for the tests.
const MultiDesignFilter::Style& characteristicList() {
    static const auto list = [] {
        auto l = std::make_unique<MultiDesignFilter::Style>();
        for (auto [file, drive] : kFilterCharacteristics)
            l->add(std::make_unique<DesignFilter::Style>(file, drive));
        return l;
    }();
    return *list;
}

// One filter position as the effect builds it: a shared design unit, filters
// with the ten characteristic slots and a biquad appended.
struct Position {
    Position() : unit(env, characteristicList()) { env.setSampleRate(48000.0f); }
    std::unique_ptr<MultiDesignFilter> makeFilter() {
        auto filter = std::make_unique<MultiDesignFilter>(unit);
        auto biquad = std::make_unique<BiQuadFilter>(env);
        biquads.push_back(biquad.get());
        filter->appendSlot(std::move(biquad), nullptr, -1);
        filter->chooseDesign();
        return filter;
    }
    wave::Environment env;
    MultiDesignFilter::ParallelUnit unit;
    std::vector<BiQuadFilter*> biquads;
};

} // namespace

TEST(MultiDesignFilter, SwitchingCharacteristicSwapsTheStyleOnTheSharedUnit) {
    Position pos;
    auto filter = pos.makeFilter();
    EXPECT_EQ(filter->slotCount(), 11);
    EXPECT_EQ(filter->getParallelUnit(), &pos.unit.unit());
    EXPECT_EQ(pos.unit.unit().style(), characteristicList().at(0));

    filter->characteristicIndex.setValue(2);
    EXPECT_EQ(filter->getParallelUnit(), &pos.unit.unit());
    EXPECT_EQ(pos.unit.unit().style(), characteristicList().at(2));
    filter->characteristicIndex.setValue(5);
    EXPECT_EQ(filter->getParallelUnit(), &pos.unit.unit());
    EXPECT_EQ(pos.unit.unit().style(), characteristicList().at(5));
    EXPECT_EQ(&pos.unit.unit().clipTable(), &characteristicList().at(5)->clipTable());
    filter->characteristicIndex.setValue(7);
    EXPECT_EQ(pos.unit.unit().driveFactor(), 1.4f);
    EXPECT_EQ(pos.unit.unit().filters().size(), 1u);

    // Index 10 is the biquad; beyond the list the index is clamped into it.
    filter->characteristicIndex.setValue(10);
    EXPECT_EQ(filter->getUnit(), pos.biquads[0]);
    EXPECT_EQ(filter->getParallelUnit(), nullptr);
    EXPECT_TRUE(pos.unit.unit().filters().empty());
    filter->characteristicIndex.setValue(0);
    filter->characteristicIndex.setValue(25);
    EXPECT_EQ(filter->chosenSlot(), 10);
    filter->characteristicIndex.setValue(-4);
    EXPECT_EQ(filter->chosenSlot(), 0);
}

TEST(MultiDesignFilter, SlopeZeroFallsBackToTheBiquad) {
    Position pos;
    auto filter = pos.makeFilter();
    filter->characteristicIndex.setValue(3);
    filter->slope.setValue(GenericFilter::kSlope6);
    EXPECT_EQ(filter->getUnit(), pos.biquads[0]);
    EXPECT_EQ(filter->getParallelUnit(), nullptr);
    filter->slope.setValue(GenericFilter::kSlope12);
    EXPECT_EQ(filter->getParallelUnit(), &pos.unit.unit());
    EXPECT_EQ(pos.unit.unit().style(), characteristicList().at(3));

    // High-pass and all-pass fall back too; band-pass and notch stay.
    filter->slope.setValue(GenericFilter::kSlope6);
    filter->response.setValue(GenericFilter::kHighPass);
    EXPECT_EQ(filter->chosenSlot(), 10);
    filter->response.setValue(GenericFilter::kBandPass);
    EXPECT_EQ(filter->chosenSlot(), 3);
    EXPECT_EQ(filter->getParallelUnit(), &pos.unit.unit());
    filter->response.setValue(GenericFilter::kBell);
    EXPECT_EQ(filter->chosenSlot(), 3);
}

TEST(MultiDesignFilter, FourFiltersOnOnePositionRunAndSwitch) {
    Position pos;
    std::vector<std::unique_ptr<MultiDesignFilter>> filters;
    std::vector<std::unique_ptr<FunctionSource>> inputs;
    for (int i = 0; i < 4; ++i) {
        inputs.push_back(std::make_unique<FunctionSource>(pos.env, sine(300.0 * (i + 1), 48000.0, 0.2)));
        filters.push_back(pos.makeFilter());
        filters.back()->setInput(inputs.back().get());
        filters.back()->frequency.getParameter().setValue(11.0f, 0.0f);
        filters.back()->peak.getParameter().setValue(0.9f, 0.0f);
    }
    EXPECT_EQ(pos.unit.unit().filters().size(), 4u);
    for (int block = 0; block < 50; ++block) {
        pos.env.nextBlock();
        for (auto& f : filters) {
            const auto& out = f->pull(128);
            for (int i = 0; i < 128; ++i)
                ASSERT_TRUE(std::isfinite(out.data()[i]));
        }
        pos.env.process(128, 0);
        if (block == 20) filters[1]->characteristicIndex.setValue(10); // leaves the shared unit
        if (block == 30) filters[1]->characteristicIndex.setValue(4);  // joins again (last lane)
    }
    EXPECT_EQ(pos.unit.unit().filters().back(), filters[1].get());
}

TEST(FilterAnalyzer, SettlesOnTheThreshold) {
    struct Case {
        float input, expected;
    };
    for (Case c : {Case{0.01f, 1.0f}, Case{0.0025f, 0.5f}, Case{0.0f, 0.0f}}) {
        wave::Environment env;
        env.setSampleRate(48000.0f);
        FunctionSource in(
            env, [&](long) { return c.input; }, true);
        FilterAnalyzer analyzer(env);
        analyzer.setInput(&in);
        EXPECT_EQ(analyzer.time.getValue(), 20.0f);
        EXPECT_EQ(analyzer.threshold.getValue(), 0.005f);
        const wave::BasicBlock<float>* out = nullptr;
        for (int b = 0; b < 100; ++b) // 267 ms: over 13 time constants
            out = &runBlock(env, analyzer, 128);
        EXPECT_NEAR(out->data()[127], c.expected, 1e-4) << c.input;
        // Fully open blocks are constant, so the filters keep one segment.
        EXPECT_EQ(out->isConstant(), c.expected == 1.0f) << c.input;
    }
}

TEST(FilterAnalyzer, ShortTimesAndZeroThreshold) {
    wave::Environment env;
    env.setSampleRate(48000.0f);
    FunctionSource in(env, [](long n) { return n % 2 ? 0.004f : 0.0f; });
    FilterAnalyzer analyzer(env);
    analyzer.setInput(&in);
    analyzer.time.setValue(0.001f); // k would be 20.8: limited to 1, no overshoot
    const auto& out = runBlock(env, analyzer, 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(out.data()[i], i % 2 ? 0.8f : 0.0f);
    analyzer.threshold.setValue(0.0f);
    const auto& on = runBlock(env, analyzer, 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(on.data()[i], 1.0f);
    analyzer.reset();
    EXPECT_EQ(analyzer.level(), 0.0f);
}
