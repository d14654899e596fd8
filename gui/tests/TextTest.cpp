#include "gui/Text.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

class PlainText : public Text {
public:
    PlainText() {
        changeEvent.setHandler(NotifyEvent::bind([this] { ++changes; }));
    }
    const IBitmap* render() override { return nullptr; }
    float width() override { return 0.0f; }
    float height() override { return 0.0f; }
    int changes = 0;
};

TEST(Text, Defaults) {
    PlainText t;
    EXPECT_FALSE(t.bold.getValue());
    EXPECT_EQ(t.color.getValue(), Color(0, 0, 0, 255));
    EXPECT_EQ(t.fontName.getValue(), "");
    EXPECT_FALSE(t.italic.getValue());
    EXPECT_EQ(t.lineStyle.getValue(), Text::LineStyle::kSingleLine);
    EXPECT_EQ(t.wrapWidth.getValue(), 0.0f);
    EXPECT_EQ(t.fontSize.getValue(), 8.0f);
    EXPECT_EQ(t.text.getValue(), "");
    EXPECT_FALSE(t.underline.getValue());
    EXPECT_EQ(t.verticalOffset(), 0.0f);
}

TEST(Text, EveryChangeUpdatesOnceUnderAHold) {
    PlainText t;
    t.text.setValue("Feedback");
    t.text.setValue("Feedback");
    EXPECT_EQ(t.changes, 1);
    {
        UpdatedObject::Hold hold(t);
        t.bold.setValue(true);
        t.fontSize.setValue(11.0f);
        EXPECT_EQ(t.changes, 1);
    }
    EXPECT_EQ(t.changes, 2);
}

TEST(Text, CopyingAStyleFiresOnce) {
    PlainText source, copy;
    source.fontName.setValue("Sans");
    source.fontSize.setValue(12.0f);
    source.underline.setValue(true);
    copy.assignStyleAndText(source, "Mix");
    EXPECT_EQ(copy.changes, 1);
    EXPECT_EQ(copy.fontName.getValue(), "Sans");
    EXPECT_EQ(copy.text.getValue(), "Mix");
    EXPECT_TRUE(copy.underline.getValue());
    // Differing only in colour: still one change event.
    source.color.setValue(Color(200, 10, 10, 255));
    copy.assignStyleAndText(source, "Mix");
    EXPECT_EQ(copy.changes, 2);
    EXPECT_EQ(copy.color.getValue(), Color(200, 10, 10, 255));
    // Nothing differs: no event at all.
    copy.assignStyleAndText(source, "Mix");
    EXPECT_EQ(copy.changes, 2);
}

} // namespace
} // namespace gui
