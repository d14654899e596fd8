#include "gui/MultiLabel.h"

#include "gui/Animator.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/Timer.h"
#include "gui/headless/HeadlessPlatformDelegate.h"
#include "gui/headless/HeadlessTextEditor.h"
#include "gui/tests/DelegateInterfaceRig.h"
#include "gui/tests/RecordingCanvas.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

using headless::HeadlessTextEditor;
using EditorKey = TextEditor::EditorKey;

using test::DelegateInterface;

// A label on a panel at (100, 0); the label sits at (30, 40) in it.
struct Rig {
    DelegateInterface ui;
    Control* panel = new Control(ui);
    MultiLabel* label;
    int textChanges = 0;
    int ends = 0;

    explicit Rig(int lines, std::vector<std::string> texts = {}) : label(makeLabel(lines)) {
        ui.root().setBoundsXYWH(0, 0, 400, 200);
        panel->setBoundsXYWH(100, 0, 200, 150);
        panel->parent.setValue(&ui.root());
        label->parent.setValue(panel);
        for (std::size_t i = 0; i < texts.size(); ++i)
            label->text(int(i))->text.setValue(texts[i]);
        label->setX(30);
        label->setY(40);
        label->textChangedEvent.addHandler(NotifyEvent::bind([this] { ++textChanges; }));
        label->editEndedEvent.addHandler(NotifyEvent::bind([this] { ++ends; }));
    }
    MultiLabel* makeLabel(int lines) {
        auto* l = new MultiLabel(ui, lines);
        l->editable.setValue(true);
        return l;
    }
    HeadlessTextEditor& editor() { return *static_cast<HeadlessTextEditor*>(label->editor()); }
    float lineHeight() { return label->text(0)->height(); }
};

TEST(MultiLabel, LineCountAndPreferredSizes) {
    DelegateInterface ui;
    MultiLabel three(ui, 3);
    EXPECT_EQ(three.lineCount.getValue(), 3);
    three.lineCount.setValue(7);
    EXPECT_EQ(three.lineCount.getValue(), 3);
    three.lineCount.setValue(0);
    EXPECT_EQ(three.lineCount.getValue(), 1);
    MultiLabel none(ui, 0);
    EXPECT_EQ(none.lineCount.getValue(), 1);

    MultiLabel label(ui, 2);
    label.text(0)->text.setValue("short");
    label.text(1)->text.setValue("a longer line");
    const float wide = label.text(1)->width();
    const float tall = label.text(0)->height() + label.text(1)->height();
    label.lineSpacing.setValue(2.0f);
    label.leftMargin.setValue(4.0f);
    label.rightMargin.setValue(1.0f);
    label.extraHeight.setValue(3.0f);
    EXPECT_FLOAT_EQ(label.width.getValue(), wide + 5.0f);
    EXPECT_FLOAT_EQ(label.height.getValue(), tall + 2.0f + 3.0f);
    // A background moves the lines in by the inset on each side, and the size grows with it.
    label.backgroundColor.setValue(Color(10, 10, 10, 255));
    EXPECT_FLOAT_EQ(label.width.getValue(), wide + 5.0f + 6.0f);
    EXPECT_FLOAT_EQ(label.height.getValue(), tall + 2.0f + 6.0f);
    EXPECT_EQ(label.lineRect(0).topLeft(), Point(7.0f, 3.0f));
    EXPECT_FLOAT_EQ(label.lineRect(1).top, 3.0f + label.text(0)->height() + 2.0f);
}

// A label wider than its text draws each line at the alignment's place in
// the line's rect.
TEST(MultiLabel, LinesAreDrawnAtTheirAlignmentInTheLineRect) {
    DelegateInterface ui;
    MultiLabel label(ui, 1);
    label.text(0)->text.setValue("abc");
    label.autoSize.setValue(false);
    label.leftMargin.setValue(2.0f);
    label.rightMargin.setValue(4.0f);
    label.setBoundsXYWH(0, 0, 60, 20);
    const float w = label.text(0)->width();
    ASSERT_GT(w, 0.0f);
    const IBitmap* rendered = label.text(0)->render();
    struct Case {
        Alignment alignment;
        float x;
    };
    for (const Case& c : {Case{Alignment::kLeft, 2.0f}, Case{Alignment::kCentre, 2.0f + (54.0f - w) * 0.5f},
                          Case{Alignment::kRight, 56.0f - w}}) {
        label.alignment.setValue(c.alignment);
        test::RecordingCanvas recording;
        Canvas canvas(&recording);
        canvas.clip.setValue(Rect(0, 0, 60, 20));
        label.draw(canvas);
        bool drawn = false;
        for (const test::Call& call : recording.calls)
            if (call.object == rendered) {
                drawn = true;
                EXPECT_FLOAT_EQ(call.rect.left, c.x) << int(c.alignment);
            }
        EXPECT_TRUE(drawn) << int(c.alignment);
    }
}

TEST(MultiLabel, TextFadesInWhileThePointerIsOver) {
    Rig rig(1, {"text"});
    std::uint32_t now = 1000;
    Animator animator(rig.ui, [&] { return now; });
    animator.timer()->tick();
    rig.label->restOpacity.setValue(100.0f);
    EXPECT_EQ(rig.label->hoverLevel(), 100);
    int enters = 0;
    rig.label->enterEvent.addHandler(NotifyEvent::bind([&] { ++enters; }));
    rig.ui.root().handleMouseMove({135, 42}, 0);
    EXPECT_EQ(enters, 1);
    now += 1000;
    animator.timer()->tick();
    EXPECT_EQ(rig.label->hoverLevel(), 255);
    rig.ui.root().handleMouseMove({5, 190}, 0);
    now += 1000;
    animator.timer()->tick();
    EXPECT_EQ(rig.label->hoverLevel(), 100);
}

TEST(MultiLabel, DoubleClickEditsInRootCoordinatesAndAnUnchangedLineChangesNothing) {
    Rig rig(2, {"first", "second"});
    const float w = rig.label->width.getValue();
    const float h = rig.lineHeight();
    rig.ui.root().handleMouseDown(0, {135, 42}, kLeftButton | kDoubleClick);
    ASSERT_EQ(rig.label->editLine(), 0);
    HeadlessTextEditor& editor = rig.editor();
    EXPECT_TRUE(editor.isNativeOpen());
    // Widened by 2, clamped at the label's left edge and its width.
    EXPECT_EQ(editor.rectangle.getValue(), Rect(130, 38, 130 + w, 40 + h + 2));
    EXPECT_EQ(editor.nativeText(), "first");
    rig.ui.root().handleMouseUp(0, {135, 42}, 0);
    editor.pressKey(EditorKey::kEnter);
    rig.ui.drainList(gui::kGuiList);
    EXPECT_EQ(rig.textChanges, 0);
    EXPECT_EQ(rig.ends, 1);
    // The next edit starts from its own line's text.
    rig.label->beginTextEdit(1);
    EXPECT_EQ(editor.startText(), "second");
    editor.pressKey(EditorKey::kEnter);
    rig.ui.drainList(gui::kGuiList);
    EXPECT_EQ(rig.textChanges, 0);
    // A typed change reaches the line.
    rig.label->beginTextEdit(1);
    editor.type("changed");
    editor.pressKey(EditorKey::kEnter);
    rig.ui.drainList(gui::kGuiList);
    EXPECT_EQ(rig.textChanges, 1);
    EXPECT_EQ(rig.label->text(1)->text.getValue(), "changed");
    // Moving the panel moves an open editor with it.
    rig.label->beginTextEdit(0);
    rig.panel->setX(150);
    rig.label->setX(31); // the label's own move
    EXPECT_FLOAT_EQ(editor.rectangle.getValue().left, 181.0f);
    editor.pressKey(EditorKey::kEscape);
    EXPECT_EQ(rig.label->editLine(), -1);
}

class SkippingLabel : public MultiLabel {
public:
    using MultiLabel::MultiLabel;
    bool isLineEditable(int index) override { return index != 1; }
};

TEST(MultiLabel, TabMovesToTheNextEditableLine) {
    const struct {
        int from;
        bool shift;
        int to;
    } cases[] = {{0, false, 2}, {2, false, 0}, {0, true, 2}, {2, true, 0}};
    for (const auto& c : cases) {
        DelegateInterface ui;
        ui.root().setBoundsXYWH(0, 0, 400, 200);
        auto* label = new SkippingLabel(ui, 3);
        label->parent.setValue(&ui.root());
        for (int i = 0; i < 3; ++i)
            label->text(i)->text.setValue("line " + std::to_string(i));
        label->beginTextEdit(c.from);
        auto& editor = *static_cast<HeadlessTextEditor*>(label->editor());
        editor.pressKey(EditorKey::kTab, c.shift);
        EXPECT_EQ(label->editLine(), c.to) << c.from << c.shift;
        EXPECT_EQ(editor.nativeText(), "line " + std::to_string(c.to));
        EXPECT_FLOAT_EQ(editor.rectangle.getValue().top, std::max(label->lineRect(c.to).top - 2.0f, -2.0f));
        EXPECT_TRUE(editor.isNativeOpen());
        editor.pressKey(EditorKey::kEscape);
    }
}

TEST(MultiLabel, APressOnAFixedLabelMovesItsMovablePanel) {
    Rig rig(1, {"text"});
    rig.panel->movable.setValue(true);
    RootControl& root = rig.ui.root();
    root.handleMouseDown(0, {135, 42}, kLeftButton);
    root.handleMouseMove({155, 62}, kLeftButton);
    root.handleMouseUp(0, {155, 62}, 0);
    EXPECT_FLOAT_EQ(rig.panel->x.getValue(), 120.0f);
    EXPECT_FLOAT_EQ(rig.panel->y.getValue(), 20.0f);
    EXPECT_EQ(rig.label->editLine(), -1);
}

TEST(MultiLabel, DeletingTheLabelMidEditIsClean) {
    Rig rig(1, {"text"});
    rig.label->beginTextEdit(0);
    ASSERT_TRUE(rig.editor().isNativeOpen());
    delete rig.label;
    EXPECT_EQ(rig.ends, 0);
    rig.ui.drainList(gui::kGuiList);
}

} // namespace
} // namespace gui
