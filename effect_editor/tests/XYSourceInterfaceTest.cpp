#include "effect_editor/XYSourceInterface.h"

#include "effect_editor/tests/SourcePanelRig.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/XYControllerButton.h"

#include <gtest/gtest.h>

using XYSourceInterfaceTest = test::SourcePanelTest;

// The XY panel: 141 wide, the pad behind the other controls on "Hor" and
// "Ver" of its instance, the Y drag button at (25, 7), no Preset button;
// a drag on the pad moves both axes of its own XY controller.
TEST_F(XYSourceInterfaceTest, XYPadMovesItsAxes) {
    setActive(model->xyControllers, 2);
    XYSourceInterface* xy = panelsOf<XYSourceInterface>().at(1);
    EXPECT_EQ(xy->width.getValue(), 141.0f);
    EXPECT_EQ(xy->presetButton(), nullptr);
    EXPECT_EQ(xy->children().front(), xy->pad());
    EXPECT_EQ(xy->pad()->parameter(0), &model->xyControllers[1].hor);
    EXPECT_EQ(xy->pad()->parameter(1), &model->xyControllers[1].ver);
    EXPECT_EQ(xy->pad()->padInsets.getValue(), gui::Rect(8.0f, 9.0f, 8.0f, 7.0f));
    EXPECT_EQ(xy->pad()->helpText.getValue(), XYSourceInterface::kPadHelp);
    ASSERT_EQ(xy->dragButtons().size(), 2u);
    EXPECT_EQ(xy->dragButtons()[0]->x.getValue(), 6.0f);
    EXPECT_EQ(xy->dragButtons()[1]->x.getValue(), 25.0f);
    EXPECT_EQ(xy->dragButtons()[1]->y.getValue(), 7.0f);
    EXPECT_TRUE(xy->claims(model->xyControllers[1].ver.getIndex()));
    EXPECT_FALSE(xy->claims(model->xyControllers[0].ver.getIndex()));

    const float hor = model->xyControllers[1].hor.getValue();
    const float ver = model->xyControllers[1].ver.getValue();
    const gui::Point at = centreOf(*xy->pad());
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 10, at.y - 10});
    ui->mouseMove({at.x + 20, at.y - 20});
    ui->mouseUp(0, {at.x + 20, at.y - 20});
    EXPECT_GT(model->xyControllers[1].hor.getValue(), hor);
    EXPECT_GT(model->xyControllers[1].ver.getValue(), ver);
    EXPECT_EQ(model->xyControllers[0].hor.getValue(), hor);
    EXPECT_EQ(adapter->gestureFaults(), "");
}
