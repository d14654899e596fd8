#include "effect/FilterCombo.h"

#include "effect/FilterCharacteristicList.h"
#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

const MultiDesignFilter::Style& characteristics() {
    static const auto list = makeFilterCharacteristicList();
    return *list;
}

struct ComboFixture : ::testing::Test {
    ComboFixture() {
        e.setSampleRate(48000.0f);
        units[0] = std::make_unique<MultiDesignFilter::ParallelUnit>(e, characteristics());
        units[1] = std::make_unique<MultiDesignFilter::ParallelUnit>(e, characteristics());
        controls.units = {units[0].get(), units[1].get()};
        controls.frequency = {&frequency, &frequency};
    }
    std::unique_ptr<FilterCombo> make(int channel, FilterRouting routing) {
        auto combo = std::make_unique<FilterCombo>(controls, channel);
        combo->routing.setValue(routing);
        combo->setInput(&input);
        return combo;
    }
    // Both filters set alike: enabled or not, characteristic, response LP, slope 24.
    static void configure(FilterCombo& c, int k, bool enabled, int characteristic, int response) {
        c.setEnabled(k, enabled);
        c.setCharacteristic(k, characteristic);
        c.setResponse(k, response);
        c.setSlope(k, 1);
    }
    std::vector<float> run(wave::Producer& output, int blocks) {
        std::vector<float> all;
        for (int b = 0; b < blocks; ++b) {
            e.nextBlock();
            const float* y = output.pull(128).data();
            all.insert(all.end(), y, y + 128);
            e.process(128, 0);
        }
        return all;
    }

    wave::Environment e;
    test::FunctionSource input{e, [](long i) {
                                   return std::sin(0.05f * static_cast<float>(i)) +
                                          0.3f * std::sin(1.3f * static_cast<float>(i));
                               }};
    test::ConstantSource frequency{e, std::log2(1500.0f)};
    std::unique_ptr<MultiDesignFilter::ParallelUnit> units[2];
    FilterCombo::Controls controls;
};

} // namespace

// Parallel routing with identical settings sounds as one filter: the two
// halves add up to 1.
TEST_F(ComboFixture, ParallelWithIdenticalFiltersEqualsOneFilter) {
    for (int characteristic : {10, 3}) {
        auto parallel = make(0, FilterRouting::kParallel);
        auto single = make(0, FilterRouting::kSerial);
        for (int k = 0; k < 2; ++k)
            configure(*parallel, k, true, characteristic, 0);
        configure(*single, 0, true, characteristic, 0);
        configure(*single, 1, false, characteristic, 0);
        std::vector<float> a, b;
        for (int block = 0; block < 20; ++block) {
            e.nextBlock();
            const float* x = parallel->getOutput()->pull(128).data();
            const float* y = single->getOutput()->pull(128).data();
            a.insert(a.end(), x, x + 128);
            b.insert(b.end(), y, y + 128);
            e.process(128, 0);
        }
        for (std::size_t i = 0; i < a.size(); ++i)
            ASSERT_NEAR(a[i], b[i], 1e-5f) << characteristic << " " << i;
    }
}

// Per Channel: channel 0 hears only filter 1, channel 1 only filter 2; a
// routing change rewires without touching the filters.
TEST_F(ComboFixture, PerChannelGivesEachChannelItsFilter) {
    auto left = make(0, FilterRouting::kPerChannel);
    auto right = make(1, FilterRouting::kPerChannel);
    for (FilterCombo* c : {left.get(), right.get()}) {
        configure(*c, 0, false, 10, 0); // filter 1 passes its input
        configure(*c, 1, true, 10, 1);  // filter 2 high-passes
    }
    EXPECT_EQ(left->getRoutedOutput(), &left->getFilter(0));
    EXPECT_EQ(right->getRoutedOutput(), &right->getFilter(1));
    std::vector<float> l, r, x;
    for (int block = 0; block < 10; ++block) {
        e.nextBlock();
        const float* a = left->getOutput()->pull(128).data();
        const float* b = right->getOutput()->pull(128).data();
        const float* s = input.pull(128).data();
        l.insert(l.end(), a, a + 128);
        r.insert(r.end(), b, b + 128);
        x.insert(x.end(), s, s + 128);
        e.process(128, 0);
    }
    EXPECT_EQ(l, x);
    EXPECT_NE(r, x);
    // Serial again: filter 1 into filter 2, the output is filter 2.
    left->routing.setValue(FilterRouting::kSerial);
    EXPECT_EQ(left->getRoutedOutput(), &left->getFilter(1));
    EXPECT_EQ(left->getFilter(1).getInput(), &left->getFilter(0));
    EXPECT_EQ(left->getFilter(0).getInput(), &input);
}

// "Slope" index i drives GenericFilter::Slope i + 1; "Clean" is the biquad
// slot after the ten characteristics, on the position's shared biquad.
TEST_F(ComboFixture, SlopeAndCharacteristicIndices) {
    auto c = make(0, FilterRouting::kSerial);
    for (int i = 0; i < 3; ++i) {
        c->setSlope(0, i);
        EXPECT_EQ(c->getFilter(0).slope.getValue(), static_cast<GenericFilter::Slope>(i + 1));
    }
    c->setCharacteristic(0, 10);
    EXPECT_EQ(c->getFilter(0).chosenSlot(), 10);
    EXPECT_EQ(c->getFilter(0).getParallelUnit(), &units[0]->biquadUnit());
    c->setCharacteristic(0, 2);
    EXPECT_EQ(c->getFilter(0).chosenSlot(), 2);
}

// With both filters off the input block passes and no filter runs; a filter
// switched on glides in from there.
TEST_F(ComboFixture, BothFiltersOffPassTheInputWithoutRunningThem) {
    auto c = make(0, FilterRouting::kSerial);
    configure(*c, 0, false, 3, 0);
    configure(*c, 1, false, 3, 0);
    for (int block = 0; block < 3; ++block) {
        e.nextBlock();
        const wave::BasicBlock<float>& out = c->getOutput()->pull(128);
        EXPECT_EQ(&out, &input.getCurrentBlock());
        EXPECT_FALSE(c->getFilter(0).isComputedThisBlock());
        EXPECT_FALSE(c->getFilter(1).isComputedThisBlock());
        e.process(128, 0);
    }
    c->setEnabled(0, true);
    e.nextBlock();
    c->getOutput()->pull(128);
    EXPECT_TRUE(c->getFilter(1).isComputedThisBlock());
    EXPECT_FALSE(c->getFilter(0).mix.getParameter().getBlock().isConstant());
    e.process(128, 0);
}

// Off and settled, the output forwards its pulls to the input; switching a
// filter on still glides after a block in which the output was pulled, and
// jumps after one in which it was not, as for a parameter rendered anywhere.
TEST_F(ComboFixture, ASwitchAfterForwardedBlocksGlidesOnlyAfterAPulledBlock) {
    for (bool pulledLast : {true, false}) {
        SCOPED_TRACE(pulledLast);
        auto c = make(0, FilterRouting::kSerial);
        configure(*c, 0, false, 3, 0);
        configure(*c, 1, false, 3, 0);
        run(*c->getOutput(), 20);
        EXPECT_EQ(c->getOutput()->getForward(), &input);
        if (!pulledLast) {
            e.nextBlock();
            e.process(128, 0);
        }
        c->setEnabled(0, true);
        EXPECT_EQ(c->getOutput()->getForward(), nullptr);
        EXPECT_EQ(c->getFilter(0).mix.getParameter().isRamping(), pulledLast);
    }
}
