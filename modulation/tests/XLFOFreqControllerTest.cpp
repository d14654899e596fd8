#include "modulation/XLFOFreqController.h"

#include "modulation/XLFO.h"
#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
struct XlfoFixture {
    XlfoFixture() {
        e.setSampleRate(48000.0f);
        lfo = std::make_unique<XLFO>(e);
    }
    wave::Environment e;
    std::unique_ptr<XLFO> lfo;
};
} // namespace

// Sync mode 5 (one bar) at 120 beats a minute runs at 0.5 Hz, two beats
// into the song the cycle stands at its middle; free rate mode 2 has its
// straight tail below -3 octaves.
TEST(XLFOFreqController, TempoSyncAndRateModes) {
    XlfoFixture f;
    XLFOFreqController sync(f.e, *f.lfo);
    f.lfo->freq.setSource(&sync);
    sync.syncMode.setValue(5);
    f.lfo->reset();
    sync.setTempo(120.0f, 2.0); // two beats into a one-bar cycle
    auto rate = test::runBlock(f.e, sync, 8);
    EXPECT_FLOAT_EQ(rate[0], 0.5f);
    EXPECT_DOUBLE_EQ(f.lfo->getPhaseNoOffset(), 0.5);
    EXPECT_TRUE(f.lfo->isSecondHalf());
    sync.syncMode.setValue(40);
    EXPECT_EQ(sync.syncMode.getValue(), 11);
    sync.syncMode.setValue(-3);
    EXPECT_EQ(sync.syncMode.getValue(), 0);
    test::ConstantSource octaves(f.e, -4.0f);
    sync.setRateInput(&octaves);
    sync.rateMode.setValue(XLFOFreqController::RateMode::kOctavesWithTail);
    EXPECT_NEAR(test::runBlock(f.e, sync, 4)[0], (-4.0f + 5.643856f) * 0.04727943f, 1e-6f);
}
