#include "gui/ImageLabel.h"

#include "gui/Bitmap.h"
#include "gui/Text.h"
#include "gui/tests/DelegateInterfaceRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace gui {
namespace {

using test::DelegateInterface;

TEST(ImageLabel, FitHeightHoldsTheTextInsideTheMargins) {
    DelegateInterface ui;
    ImageLabel label(ui);
    label.setBoundsXYWH(0, 0, 100, 10);
    ASSERT_NE(label.text(), nullptr);
    EXPECT_EQ(label.text()->lineStyle.getValue(), Text::LineStyle::kWordWrap);
    label.text()->text.setValue("Some words to show");
    EXPECT_FLOAT_EQ(label.text()->wrapWidth.getValue(), 90.0f);
    EXPECT_FLOAT_EQ(label.height.getValue(), 10.0f + label.text()->height());
    label.background().setSize(20, 80); // a taller background wins
    EXPECT_FLOAT_EQ(label.height.getValue(), 80.0f);
    label.fitHeight.setValue(false);
    label.setSize(100, 12);
    label.text()->text.setValue("Other words");
    EXPECT_FLOAT_EQ(label.height.getValue(), 12.0f);
}

} // namespace
} // namespace gui
