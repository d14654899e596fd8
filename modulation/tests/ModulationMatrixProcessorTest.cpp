#include "modulation/ModulationMatrixProcessor.h"

#include "modulation/tests/MatrixFixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
class MatrixProcessor : public ModulationMatrixProcessor {
public:
    class Out : public Channel {
    public:
        Out(GenericPluginProcessor& p, wave::Producer* producer) : Channel(p) { setOutput(producer); }
    };

    MatrixProcessor() {
        pluginKind = kDelay;
        pluginId = "ZTst";
        pluginName = "Test";
        test::fillTestLayout(getLayout());
        matrix = std::make_unique<ModulationMatrix>(getEnvironment(), getLayout());
        matrix->setSourceProducer(3, &ramp, 0);
        installModulationMatrix(matrix.get());
        matrix->getController().setSource(0, 3);
        matrix->getController().setTarget(0, 7 - 2); // target 5
        matrix->getController().setLevel(0, 0.5f);
        for (int c = 0; c < 2; ++c)
            addChannel(new Out(*this, matrix->targetProducer(5)));
        setDisplayTimer(IntervalTimer::create([this] { return now; }));
        initProcessing();
        activate(48000.0f);
    }
    ~MatrixProcessor() override { lowerProcessorCount(); }

    void run(int frames) {
        std::vector<float> in(static_cast<size_t>(frames), 0.1f);
        std::vector<float> out0(static_cast<size_t>(frames)), out1(static_cast<size_t>(frames));
        const float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {out0.data(), out1.data()};
        int32_t status = 0;
        process(inputs, 2, outputs, 2, frames, &status);
    }
    std::string snapshot() {
        std::ostringstream out;
        writeProcessorState(out);
        return out.str();
    }

    std::uint32_t now = 1000;
    test::FunctionSource ramp{getEnvironment(), [](long i) { return float(i) * 1e-6f; }, true};
    std::unique_ptr<ModulationMatrix> matrix;
};

std::vector<float> displayValues(const std::string& snapshot) {
    size_t bytes = (107 + 34) * 4;
    std::istringstream in(snapshot.substr(snapshot.size() - bytes));
    std::vector<float> values;
    EXPECT_TRUE(readModulationDisplayValues(in, 107, 34, values));
    return values;
}
} // namespace

// At 48 kHz depths are sampled every 800 samples at most: with blocks of
// 128, at positions 0, 896, 1792...
TEST(ModulationMatrixProcessor, SamplesDepthsSixtyTimesASecond) {
    MatrixProcessor p;
    p.snapshot(); // the display is active for a second from here
    std::vector<float> depths;
    for (int b = 0; b < 15; ++b) {
        p.run(128);
        depths.push_back(p.getTargetDepths()[5]);
    }
    for (int b = 0; b < 15; ++b) {
        int sampledAt = (b / 7) * 896;
        EXPECT_FLOAT_EQ(depths[size_t(b)], 0.5f * float(sampledAt) * 1e-6f) << b;
    }
}

TEST(ModulationMatrixProcessor, DisplayValuesRoundTripAndClearAfterSilence) {
    MatrixProcessor p;
    p.snapshot();
    p.run(1024);
    auto values = displayValues(p.snapshot());
    ASSERT_EQ(values.size(), 141u);
    EXPECT_FLOAT_EQ(values[5], p.getTargetDepths()[5]);
    EXPECT_GT(values[5], 0.0f);
    EXPECT_FLOAT_EQ(values[107 + 3], p.ramp.currentValue());
    p.now += 200;
    EXPECT_GT(displayValues(p.snapshot())[5], 0.0f);
    p.now += 100; // 300 ms since the last new sampling
    auto cleared = displayValues(p.snapshot());
    EXPECT_EQ(cleared, std::vector<float>(141, 0.0f));
}

TEST(ModulationMatrixProcessor, ShortDisplayStreamLeavesZeros) {
    std::string bytes(10, '\0');
    bytes[4] = 0x00;
    std::istringstream in(bytes);
    std::vector<float> values;
    EXPECT_FALSE(readModulationDisplayValues(in, 3, 2, values));
    EXPECT_EQ(values, std::vector<float>(5, 0.0f));
}
