#include "editor/ABButton.h"

#include "gui/Canvas.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Drawn {
    float x;
    int alpha;
};

std::vector<Drawn> drawLabel(ABButton& button) {
    test::RecordingCanvas target;
    gui::Canvas canvas(&target);
    canvas.clip.setValue(button.localRect());
    button.draw(canvas);
    std::vector<Drawn> drawn;
    for (const auto& call : target.calls)
        if (call.op == test::Op::kBitmap) drawn.push_back({call.rect.left, call.alpha});
    return drawn;
}

TEST(ABButton, AnEnabledButtonDrawsTheActiveSlotsPartAtFullAlphaAndTheOtherDimmed) {
    gui::headless::HeadlessInterface ui(200.0f, 100.0f, 1000);
    auto* button = new ABButton(ui, nullptr);
    button->parent.setValue(&ui.root());
    button->setBoundsXYWH(0, 0, 80, 20);
    button->lineCount.setValue(1);

    const struct {
        bool b;
        int textOpacity;
        const char* first;
        const char* second;
        int firstAlpha;
        int secondAlpha;
    } cases[] = {
        {false, 255, "A/", "B", 255, 90},
        {true, 255, "A", "/B", 90, 255},
        {false, 128, "A/", "B", 128, 45}, // (128 * 90 + 128) / 255
    };
    for (const auto& c : cases) {
        button->state.setValue(c.b);
        button->textOpacity.setValue(c.textOpacity);
        EXPECT_EQ(button->labelPart(0).text.getValue(), c.first);
        EXPECT_EQ(button->labelPart(1).text.getValue(), c.second);
        const std::vector<Drawn> drawn = drawLabel(*button);
        ASSERT_EQ(drawn.size(), 2u) << c.b;
        EXPECT_EQ(drawn[0].alpha, c.firstAlpha) << c.b;
        EXPECT_EQ(drawn[1].alpha, c.secondAlpha) << c.b;
        const float firstWidth = const_cast<gui::Text&>(button->labelPart(0)).width();
        EXPECT_FLOAT_EQ(drawn[1].x - drawn[0].x, firstWidth) << c.b;
    }

    // A new label is split again; a disabled button draws it whole.
    button->textLine(0)->text.setValue("X/Y");
    EXPECT_EQ(button->labelPart(0).text.getValue(), "X/");
    button->textOpacity.setValue(255);
    button->enabled.setValue(false);
    const std::vector<Drawn> whole = drawLabel(*button);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].alpha, 255);
}

} // namespace
