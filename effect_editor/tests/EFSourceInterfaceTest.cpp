#include "effect_editor/EFSourceInterface.h"

#include "effect_editor/tests/SourcePanelRig.h"
#include "gui/Knob.h"
#include "gui/ToggleButton.h"

#include <gtest/gtest.h>

using EFSourceInterfaceTest = test::SourcePanelTest;

// The second envelope follower's knobs are targets 72 and 73; without a
// usable side chain the input is on and both input buttons are disabled.
TEST_F(EFSourceInterfaceTest, EnvelopeFollowerTargetsAndInputs) {
    setActive(model->efs, 2);
    EFSourceInterface* second = panelsOf<EFSourceInterface>().at(1);
    EXPECT_EQ(second->width.getValue(), 123.0f);
    EXPECT_EQ(editor->getTargetIndex(second->attackKnob()), 72u);
    EXPECT_EQ(editor->getTargetIndex(second->releaseKnob()), 73u);
    EXPECT_EQ(second->attackKnob()->controlId.getValue(), model->efs[1].attack.getIndex());
    EXPECT_EQ(second->inputButton()->controlId.getValue(), model->efs[1].input.getIndex());
    EXPECT_TRUE(second->inputButton()->on.getValue());
    EXPECT_FALSE(second->inputButton()->enabled.getValue());
    EXPECT_FALSE(second->sideChainButton()->enabled.getValue());
    EXPECT_EQ(second->sideChainButton()->opacity.getValue(), 128);
    EXPECT_TRUE(second->sideChainButton()->group().empty());

    sideChain = true;
    setActive(model->efs, 3);
    EFSourceInterface* third = panelsOf<EFSourceInterface>().at(2);
    EXPECT_TRUE(third->sideChainButton()->enabled.getValue());
    EXPECT_EQ(third->inputButton()->group().size(), 2u);
    ui->mouseDown(0, centreOf(*third->sideChainButton()));
    ui->mouseUp(0, centreOf(*third->sideChainButton()));
    EXPECT_EQ(model->efs[2].input.getTypedValue(), EFInput::kSideChain);
    EXPECT_EQ(adapter->gestureFaults(), "");
}
