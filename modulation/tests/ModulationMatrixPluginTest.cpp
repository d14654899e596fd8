#include "modulation/ModulationMatrixPlugin.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixParameterSet.h"
#include "modulation/ModulationMatrixProcessor.h"
#include "modulation/tests/MatrixFixture.h"
#include "modulation/tests/SlotOwnerFixture.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
class SlotPlugin : public ModulationMatrixPlugin {
public:
    explicit SlotPlugin(const std::string& name) {
        pluginKind = kDelay;
        pluginId = "TsMm";
        pluginName = name;
        test::fillTestLayout(getLayout());
        slots = std::make_unique<ModulationMatrixParameterSet>(this, this, test::names("S", 34),
                                                               test::names("T", 107));
        buildSlotController();
        initHistoryAndSources();
    }
    ~SlotPlugin() override { shutdown(); }
    std::unique_ptr<ModulationMatrixParameterSet> slots;
};

class SlotProcessor : public ModulationMatrixProcessor {
public:
    class Out : public Channel {
    public:
        Out(GenericPluginProcessor& p, wave::Producer* producer) : Channel(p) { setOutput(producer); }
    };

    SlotProcessor() {
        pluginKind = kDelay;
        pluginId = "TsMm";
        pluginName = "Test";
        test::fillTestLayout(getLayout());
        matrix = std::make_unique<ModulationMatrix>(getEnvironment(), getLayout());
        matrix->setSourceProducer(3, &source, 0);
        installModulationMatrix(matrix.get());
        for (int c = 0; c < 2; ++c)
            addChannel(new Out(*this, matrix->targetProducer(5)));
        initProcessing();
        activate(48000.0f);
    }
    ~SlotProcessor() override { lowerProcessorCount(); }
    test::ConstantSource source{getEnvironment(), 0.75f};
    std::unique_ptr<ModulationMatrix> matrix;
};

using ModulationMatrixPluginTest = test::PluginTest;
} // namespace

// The processor's snapshot carries the depths and source values to the model.
TEST_F(ModulationMatrixPluginTest, DisplayValuesRoundTrip) {
    SlotPlugin model(name_);
    SlotProcessor processor;
    processor.matrix->getController().setSource(0, 3);
    processor.matrix->getController().setTarget(0, 5);
    processor.matrix->getController().setLevel(0, 0.5f);
    std::ostringstream first;
    processor.writeProcessorState(first); // display active from here
    std::vector<float> in(128, 0.1f), out0(128), out1(128);
    const float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    processor.process(inputs, 2, outputs, 2, 128, nullptr);
    std::ostringstream snapshot;
    processor.writeProcessorState(snapshot);
    std::istringstream read(snapshot.str());
    EXPECT_TRUE(model.readProcessorState(read));
    ASSERT_EQ(model.getDisplayValues().size(), 141u);
    EXPECT_FLOAT_EQ(model.getSourceValue(3), 0.75f);
    EXPECT_EQ(model.getTargetDepth(5), processor.getTargetDepths()[5]);
    EXPECT_EQ(model.getSourceValue(34), 0.0f);

    // A short stream leaves zeros and reports the failure.
    std::string cut = snapshot.str().substr(0, snapshot.str().size() - 8);
    std::istringstream shortRead(cut);
    EXPECT_FALSE(model.readProcessorState(shortRead));
    EXPECT_EQ(model.getDisplayValues().size(), 141u);
    EXPECT_EQ(model.getSourceValue(33), 0.0f);
}

// The model's controller sets its neutral level from slot 0's level
// parameter and edits slots as parameters.
TEST_F(ModulationMatrixPluginTest, ControllerEditsSlotParameters) {
    SlotPlugin model(name_);
    ModMatrixParamController& c = model.getController();
    EXPECT_FLOAT_EQ(c.neutralLevel.getValue(), 0.16f);
    c.setSource(2, 1);
    c.setTarget(2, 6);
    EXPECT_EQ(model.slots->getSlotSet(2)->source.getTypedValue(), 2);
    EXPECT_EQ(model.slots->getSlotSet(2)->target.getTypedValue(), 7);
    EXPECT_TRUE(c.isSlotEffective(2));
}
