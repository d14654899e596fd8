#include "modulation/ModulationTargetParameterBase.h"

#include "modulation/LevelPanTarget.h"
#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

namespace {
struct Listener : ValueAssignable<float> {
    void setValue(float v) override { value = v; }
    float value = -1.0f;
};
} // namespace

// On the processor side an applied value becomes the target's amount and
// base (and reaches the secondary target); on the model side it only
// reaches the value listeners.
TEST(ModulationTargetParameterBase, AppliedValueDrivesTheTarget) {
    test::SlotOwnerFixture f(true);
    ModulationTargetParameterBase<FloatPluginParameter> level(&f.owner, "Level", &f.matrixOwner, 20);
    ModulationTargetParameterBase<FloatPluginParameter> pan(&f.owner, "Pan", &f.matrixOwner, 21);
    level.setDisplayRange(0.0f, 2.0f);
    LevelPanTarget gains(*f.matrix, 20, 21, false);
    Listener listener;
    level.addValueListener(&listener);
    level.setValue(0.25f, 0); // the owner applies at once: internal 0.5
    EXPECT_EQ(listener.value, 0.5f);
    EXPECT_EQ(f.matrix->getTarget(20).amount, 0.5f);
    EXPECT_EQ(f.matrix->getTarget(20).base.getTarget(), 0.5f);
    EXPECT_EQ(gains.getGain(0).getTarget(), 0.5f);
    pan.setValue(1.0f, 0);
    EXPECT_EQ(gains.getGain(0).getTarget(), 0.0f);
    EXPECT_EQ(gains.getGain(1).getTarget(), 0.5f);

    test::SlotOwnerFixture model(false);
    ModulationTargetParameterBase<FloatPluginParameter> modelLevel(&model.owner, "Level", &model.matrixOwner,
                                                                   20);
    modelLevel.applyValue(0.75f);
    EXPECT_EQ(modelLevel.getTargetIndex(), 20);
}
