#include "editor/ZentorPluginInterface.h"

#include "editor/HelpHint.h"
#include "editor/StandardButtons.h"
#include "editor/tests/EditorRig.h"
#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/MultiLabel.h"
#include "gui/Text.h"
#include "gui/Timer.h"
#include "gui/tests/ResourceImages.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ZentorTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<ZentorPluginInterface>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }
    std::unique_ptr<ZentorPluginInterface> editor;
};

TEST_F(ZentorTest, TheAnimatorTicksFifteenTimesASecond) {
    gui::Animator* animator = editor->animator();
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(gui::Animator::of(*ui), animator);
    EXPECT_EQ(animator->rate.getValue(), 15);
    EXPECT_TRUE(animator->running.getValue());
    EXPECT_EQ(animator->timer()->interval.getValue(), 66);
    EXPECT_EQ(editor->getSkinValue(), 0);
}

// The test program embeds small stand-ins for the Dialog style, the Remove
// icon and the lights, but no Bar style or background: a style whose
// artwork is missing keeps the default look, and the editor still opens.
TEST_F(ZentorTest, StylesTakeTheArtworkThereIsAndKeepTheDefaultLookWithout) {
    gui::Button::Style* bar = editor->buttonStyle("Bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_FLOAT_EQ(bar->width.getValue(), 0.0f);
    EXPECT_FLOAT_EQ(bar->height.getValue(), 0.0f);
    EXPECT_EQ(bar->textColor.getValue(), gui::Color(0, 0, 0, 255));
    for (int holder = 0; holder < 5; ++holder)
        EXPECT_EQ(bar->stateBitmap(holder).pixelWidth(), 0) << holder;
    // 12 x 12 whatever the icon's size (20 x 16).
    gui::Button::Style* remove = editor->buttonStyle("Remove");
    EXPECT_FLOAT_EQ(remove->width.getValue(), 12.0f);
    EXPECT_FLOAT_EQ(remove->height.getValue(), 12.0f);
    EXPECT_EQ(remove->iconOpacity.getValue(), 128);
    EXPECT_EQ(remove->stateBitmap(3).pixelWidth(), 20);
    for (int holder : {0, 1, 2, 4})
        EXPECT_EQ(remove->stateBitmap(holder).pixelWidth(), 0) << holder;
    // Sized by its bitmaps (30 x 14); no icons.
    gui::Button::Style* dialog = editor->buttonStyle("Dialog");
    EXPECT_FLOAT_EQ(dialog->width.getValue(), 30.0f);
    EXPECT_FLOAT_EQ(dialog->height.getValue(), 14.0f);
    EXPECT_EQ(dialog->textColor.getValue(), gui::Color(0, 0, 0, 255));
    for (int holder = 0; holder < 3; ++holder)
        EXPECT_EQ(dialog->stateBitmap(holder).pixelWidth(), 30) << holder;
    EXPECT_EQ(dialog->stateBitmap(3).pixelWidth(), 0);
    EXPECT_EQ(dialog->stateBitmap(4).pixelWidth(), 0);
    EXPECT_EQ(editor->buttonStyle("Other"), nullptr);
    EXPECT_EQ(editor->backgroundName(), "");
    EXPECT_EQ(editor->lightBitmap(true).pixelWidth(), 6);
    EXPECT_EQ(editor->lightBitmap(false).pixelHeight(), 5);
}

TEST_F(ZentorTest, TheValueDisplayLook) {
    auto* display = new gui::MultiLabel(*ui, 2);
    display->parent.setValue(&ui->root());
    editor->applyValueDisplayLook(*display);
    EXPECT_FLOAT_EQ(display->backgroundInset.getValue(), 10.0f);
    EXPECT_FLOAT_EQ(display->paintInset.getValue(), 7.0f);
    EXPECT_FLOAT_EQ(display->leftMargin.getValue(), 3.0f);
    EXPECT_FLOAT_EQ(display->rightMargin.getValue(), 3.0f);
    EXPECT_EQ(display->frameColor.getValue(), gui::Color(0, 0, 0, 116));
    EXPECT_EQ(display->alignment.getValue(), gui::Alignment::kCentre);
    EXPECT_FLOAT_EQ(display->minimumWidth.getValue(), 48.0f);
    EXPECT_EQ(display->hitThreshold.getValue(), 255);
    EXPECT_FALSE(display->visible.getValue());
    for (int line = 0; line < 2; ++line)
        EXPECT_EQ(display->text(line)->color.getValue(), gui::Color(0, 0, 0, 210)) << line;
}

TEST_F(ZentorTest, TheHelpHintsLabelSitsByTheHelpButtonElseByTheReferenceControl) {
    gui::ImageLabel* label = editor->createHelpHint();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(editor->hint().label(), label);
    EXPECT_EQ(label->getParent(), &ui->root());
    EXPECT_EQ(label->margins.getValue(), gui::Rect(15.0f, 10.0f, 35.0f, 15.0f));
    EXPECT_FALSE(label->visible.getValue());
    editor->showHelpHintText("Turn $plugin up", HelpHint::kAlways);
    EXPECT_TRUE(label->visible.getValue());
    label->setBoundsXYWH(0, 40, 200, 30);

    // Without a Help button or a reference control: the left edge.
    editor->layoutHelpHint();
    EXPECT_FLOAT_EQ(label->bounds.getValue().left, 0.0f);
    auto* bar = new gui::Control(*ui);
    bar->setBoundsXYWH(100, 400, 300, 40);
    bar->parent.setValue(&ui->root());
    auto* reference = new gui::Control(*ui);
    reference->setBoundsXYWH(20.4f, 5, 50, 20);
    reference->parent.setValue(bar);
    editor->setReferenceControl(reference);
    EXPECT_EQ(editor->getReferenceRectangle(), gui::Rect(120.4f, 405.0f, 170.4f, 425.0f));
    editor->layoutHelpHint();
    EXPECT_FLOAT_EQ(label->bounds.getValue().left, 120.0f);
    EXPECT_FLOAT_EQ(label->bounds.getValue().top, 40.0f);
    delete reference; // forgotten
    EXPECT_TRUE(editor->getReferenceRectangle().isEmpty());

    auto* help = new gui::Button(*ui, nullptr);
    help->setBoundsXYWH(200, 0, 30, 20);
    help->parent.setValue(bar);
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kHelp), help);
    editor->layoutHelpHint();
    EXPECT_FLOAT_EQ(label->bounds.getValue().left, 305.0f); // centre 315 minus 10
    EXPECT_FLOAT_EQ(label->bounds.getValue().top, 421.0f);  // below the button
}

// A Help button at the window's right edge keeps the hint inside the window,
// below the button; its arrow still points up at the button's centre.
TEST_F(ZentorTest, TheHelpHintStaysInsideTheWindowWithItsArrowAtHelp) {
    static const bool registered =
        test::registerSolidImages({{"HelpHintArrow.png", 14, 8, gui::Color(240, 170, 60, 255)}});
    ASSERT_TRUE(registered);
    gui::ImageLabel* label = editor->createHelpHint();
    ASSERT_NE(label, nullptr);
    gui::Image* arrow = editor->hint().arrow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->getParent(), label);
    label->setBoundsXYWH(0, 0, 320, 64);
    auto* help = new gui::Button(*ui, nullptr);
    help->setBoundsXYWH(886, 9, 40, 18);
    help->parent.setValue(&ui->root());
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kHelp), help);
    editor->layoutHelpHint();
    const gui::Rect r = label->bounds.getValue();
    EXPECT_FLOAT_EQ(r.right, 926.0f);
    EXPECT_FLOAT_EQ(r.top, 28.0f);
    EXPECT_TRUE(arrow->visible.getValue());
    const gui::Point tip = arrow->toRoot(gui::Point(arrow->width.getValue() * 0.5f, 0.0f));
    EXPECT_FLOAT_EQ(tip.x, 906.0f);
    EXPECT_FLOAT_EQ(tip.y, r.top);
    // The arrow takes no clicks: they are the label's (a sticky hint goes).
    EXPECT_EQ(label->findChildAt(label->fromRoot(tip + gui::Point(0.0f, 4.0f))), nullptr);
}

TEST_F(ZentorTest, ClosingDeletesTheTreeBeforeTheAnimatorAndTheStyles) {
    auto* knob = new gui::ValueControl(*ui);
    knob->parent.setValue(&ui->root());
    editor->linkControl(&model->unit, knob);
    knob->performGesture(gui::kGestureBegin, 0);
    knob->performGesture(gui::kGestureChange, 10);
    editor.reset();
    EXPECT_TRUE(ui->root().children().empty());
    EXPECT_EQ(gui::Animator::of(*ui), nullptr);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
