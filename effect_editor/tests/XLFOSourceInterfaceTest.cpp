#include "effect_editor/XLFOSourceInterface.h"

#include "effect_editor/XLFOStepInterface.h"
#include "effect_editor/tests/SourcePanelRig.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/MultiLabel.h"
#include "gui/SelectButton.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"

#include <gtest/gtest.h>

using XLFOSourceInterfaceTest = test::SourcePanelTest;

// The panel binds its XLFO's controls with the XLFO's targets, shows the
// scale or the piano by "Snap", is the step editor's width + 179 wide
// through every step-count change, and its step panel titles the selection.
TEST_F(XLFOSourceInterfaceTest, BindsFollowsTheStepEditorAndTitlesTheSelection) {
    setActive(model->xlfos, 2);
    XLFOSourceInterface* xlfo = panelsOf<XLFOSourceInterface>().at(1);
    XLFOParameterSet& set = model->xlfos[1];
    struct Bound {
        gui::ValueControl* control;
        AbstractPluginParameter* parameter;
        uint32_t target;
    };
    for (Bound b :
         {Bound{xlfo->balanceKnob(), &set.balance, ~0u}, Bound{xlfo->frequencyKnob(), &set.frequency, 19},
          Bound{xlfo->frequencyOffsetKnob(), &set.frequencyOffset, ~0u},
          Bound{xlfo->glideKnob(), &set.glide, 20}, Bound{xlfo->midiTriggerButton(), &set.midiTrigger, ~0u},
          Bound{xlfo->syncModeButton(), &set.syncMode, ~0u}, Bound{xlfo->snapButton(), &set.snap, ~0u}}) {
        SCOPED_TRACE(b.parameter->getIndex());
        EXPECT_EQ(b.control->controlId.getValue(), b.parameter->getIndex());
        EXPECT_EQ(editor->getTargetIndex(b.control), b.target);
    }
    EXPECT_EQ(xlfo->hotspots().size(), 5u);
    EXPECT_EQ(xlfo->midiTriggerButton()->width.getValue(), 18.0f);
    EXPECT_EQ(xlfo->syncModeButton()->width.getValue(), 47.0f);

    EXPECT_TRUE(xlfo->scale()->visible.getValue());
    EXPECT_FALSE(xlfo->piano()->visible.getValue());
    EXPECT_TRUE(automate(set.snap, 1.0f));
    EXPECT_FALSE(xlfo->scale()->visible.getValue());
    EXPECT_TRUE(xlfo->piano()->visible.getValue());

    XLFOController* steps = xlfo->stepEditor();
    EXPECT_EQ(steps->numSteps(), set.steps.getNumActive());
    EXPECT_EQ(xlfo->width.getValue(), steps->width.getValue() + 179.0f);
    EXPECT_TRUE(automate(set.steps.getNumActiveParameter(), 8.0f));
    ui->advance(400); // the step editor's resize animation
    EXPECT_EQ(steps->numSteps(), 8);
    EXPECT_EQ(xlfo->width.getValue(), steps->width.getValue() + 179.0f);
    // The Remove Source button keeps its place at the right.
    EXPECT_EQ(xlfo->removeButton()->x.getValue(), static_cast<float>(xlfo->getPanelWidth()) - 25.0f);

    XLFOStepInterface* panel = xlfo->stepPanel();
    ASSERT_NE(panel, nullptr);
    steps->setStepSelected(2, true);
    steps->selectionChanged();
    EXPECT_EQ(panel->title()->text(0)->text.getValue(), "Step 3");
    EXPECT_EQ(panel->stepControl(XLFOController::kGlide)->controlId.getValue(),
              set.steps[2].glide.getIndex());
    steps->setStepSelected(4, true);
    steps->selectionChanged();
    EXPECT_EQ(panel->title()->text(0)->text.getValue(), "(Multiple)");
    EXPECT_EQ(panel->stepControl(XLFOController::kValue)->helpText.getValue(), XLFOStepInterface::kValueHelp);
    EXPECT_EQ(adapter->gestureFaults(), "");
}
