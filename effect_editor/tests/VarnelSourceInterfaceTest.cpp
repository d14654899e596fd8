#include "effect_editor/VarnelSourceInterface.h"

#include "editor/HotspotButton.h"
#include "effect_editor/EFSourceInterface.h"
#include "effect_editor/XLFOSourceInterface.h"
#include "effect_editor/tests/SourcePanelRig.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/MultiLabel.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using VarnelSourceInterfaceTest = test::SourcePanelTest;

std::string titleOf(VarnelSourceInterface& panel) {
    return panel.title()->text(0)->text.getValue();
}

} // namespace

// The third source of each type is numbered 3 in its title and its source
// name; every type but the XY controller has a Preset button with its
// kind's section-preset menu for its instance.
TEST_F(VarnelSourceInterfaceTest, TitlesNamesAndPresetButtonsFollowTheType) {
    struct Case {
        AbstractParameterSetList* list;
        int32_t type;
        const char* title;
        int32_t presetKind;
    };
    const Case cases[] = {{&model->xyControllers, 0, "XY 3", -1},
                          {&model->xlfos, 1, "XLFO 3", 2},
                          {&model->egs, 2, "EG 3", 3},
                          {&model->efs, 3, "EF 3", 4},
                          {&model->midiSources, 4, "MIDI 3", 5}};
    for (const Case& c : cases)
        setActive(*c.list, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        VarnelSourceInterface* third = nullptr;
        for (SourceInterface* p : sources->panels())
            if (p->sourceId() == SourceId{c.type, 2}) third = dynamic_cast<VarnelSourceInterface*>(p);
        ASSERT_NE(third, nullptr);
        EXPECT_EQ(titleOf(*third), c.title);
        EXPECT_EQ(third->title()->x.getValue(), c.type == 0 ? 50.0f : 30.0f);
        EXPECT_EQ(third->title()->y.getValue(), 8.0f);
        // The MIDI source is named by its label; the others by the title.
        if (c.type != 4) {
            EXPECT_EQ(third->sourceName(), c.title);
        }
        gui::Button* remove = third->removeButton();
        ASSERT_NE(remove, nullptr);
        const float removeX = static_cast<float>(third->getPanelWidth()) - 14.0f - 11.0f;
        EXPECT_EQ(remove->x.getValue(), removeX);
        EXPECT_EQ(remove->y.getValue(), 10.0f);
        if (c.presetKind < 0) {
            EXPECT_EQ(third->presetButton(), nullptr);
            continue;
        }
        ASSERT_NE(third->presetButton(), nullptr);
        EXPECT_EQ(third->presetButton()->x.getValue(), removeX - 32.0f);
        EXPECT_EQ(third->presetButton()->popupMenu(), &presetMenu);
        EXPECT_NE(std::find(presetMenus.begin(), presetMenus.end(), std::make_pair(c.presetKind, 2)),
                  presetMenus.end());
        EXPECT_EQ(third->presetButton()->helpText.getValue(), VarnelSourceInterface::kPresetHelp);
        // A hidden Remove Source button leaves its place to the Preset button.
        remove->visible.setValue(false);
        third->boundsChanged();
        EXPECT_EQ(third->presetButton()->x.getValue(), removeX);
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A panel claims the parameters it linked, its step editor's included, and
// refreshes; others are left to the source controller.
TEST_F(VarnelSourceInterfaceTest, PanelsClaimWhatTheyLinked) {
    setActive(model->xlfos, 1);
    setActive(model->efs, 2);
    XLFOSourceInterface* xlfo = panelsOf<XLFOSourceInterface>().at(0);
    EFSourceInterface* second = panelsOf<EFSourceInterface>().at(1);
    EXPECT_TRUE(second->claims(model->efs[1].attack.getIndex()));
    EXPECT_FALSE(second->claims(model->efs[0].attack.getIndex()));
    EXPECT_TRUE(xlfo->claims(model->xlfos[0].steps[1].value.getIndex()));
    EXPECT_TRUE(xlfo->claims(model->xlfos[0].phaseOffset.getIndex()));
    EXPECT_TRUE(xlfo->claims(model->xlfos[0].steps.firstParameterIndex()));
    EXPECT_FALSE(automate(model->delay[0].time, 0.5f));
    // A claimed change refreshes: the synced XLFO shows its offset knob.
    EXPECT_TRUE(xlfo->frequencyKnob()->visible.getValue());
    EXPECT_TRUE(automate(model->xlfos[0].syncMode, 2.0f));
    EXPECT_FALSE(xlfo->frequencyKnob()->visible.getValue());
    EXPECT_TRUE(xlfo->frequencyOffsetKnob()->visible.getValue());
    EXPECT_TRUE(xlfo->syncLabels()->visible.getValue());
    EXPECT_FALSE(xlfo->labels()->visible.getValue());
    for (HotspotButton* h : xlfo->hotspots())
        EXPECT_TRUE(h->visible.getValue());
    // The step count is claimed: the step editor follows it.
    EXPECT_TRUE(automate(model->xlfos[0].steps.getNumActiveParameter(), 5.0f));
    EXPECT_EQ(xlfo->stepEditor()->numSteps(), 5);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// After the second of three XLFOs is removed, the third panel (now XLFO 2)
// moves XLFO 2's parameters and carries XLFO 2's targets.
TEST_F(VarnelSourceInterfaceTest, RemovingAnXLFORebindsTheLaterPanel) {
    setActive(model->xlfos, 3);
    std::vector<XLFOSourceInterface*> xlfos = panelsOf<XLFOSourceInterface>();
    ASSERT_EQ(xlfos.size(), 3u);
    XLFOSourceInterface* third = xlfos[2];
    xlfos[1]->removeSource();
    ui->advance(400); // the bar's removal animation
    ASSERT_EQ(model->xlfos.getNumActive(), 2);
    ASSERT_EQ(panelsOf<XLFOSourceInterface>().size(), 2u);
    EXPECT_EQ(panelsOf<XLFOSourceInterface>()[1], third);
    EXPECT_EQ(third->sourceName(), "XLFO 2");
    EXPECT_EQ(titleOf(*third), "XLFO 2");
    EXPECT_EQ(editor->getTargetIndex(third->frequencyKnob()), 19u);
    EXPECT_EQ(editor->getTargetIndex(third->glideKnob()), 20u);
    XLFOParameterSet& x2 = model->xlfos[1];
    const float before = x2.frequency.getValue();
    const float otherBefore = model->xlfos[0].frequency.getValue();
    drag(*third->frequencyKnob(), 0.0f, -40.0f);
    EXPECT_NE(x2.frequency.getValue(), before);
    EXPECT_EQ(model->xlfos[0].frequency.getValue(), otherBefore);
    EXPECT_EQ(adapter->kindsOf(x2.frequency.getIndex()).front(), 'b');
    EXPECT_EQ(adapter->kindsOf(x2.frequency.getIndex()).back(), 'e');
    // Its step editor and claims moved too.
    EXPECT_TRUE(third->claims(x2.steps[0].value.getIndex()));
    EXPECT_FALSE(third->claims(model->xlfos[2].steps[0].value.getIndex()));
    EXPECT_EQ(third->stepEditor()->slider(0)->controlId.getValue(), x2.steps[0].value.getIndex());
    EXPECT_EQ(adapter->gestureFaults(), "");
}
