#include "editor/HelpHint.h"

#include "gui/ImageLabel.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class HelpHintTest : public ::testing::Test {
protected:
    void SetUp() override {
        HelpHint::Context context;
        context.productName = "Varnel 2";
        context.allowed = [this] { return !learning; };
        context.interactiveHelp = [this] { return help; };
        hint = std::make_unique<HelpHint>(ui, std::move(context));
        label = new gui::ImageLabel(ui);
        label->parent.setValue(&ui.root());
        auto* other = new gui::Control(ui);
        other->parent.setValue(&ui.root());
        hint->setLabel(label);
    }

    gui::headless::HeadlessInterface ui;
    std::unique_ptr<HelpHint> hint;
    gui::ImageLabel* label = nullptr;
    bool learning = false;
    bool help = true;
};

TEST_F(HelpHintTest, TheProductNameReplacesEveryPlaceholder) {
    EXPECT_EQ(HelpHint::replaceProductName("$plugin and $plugin$plugin.", "Varnel 2"),
              "Varnel 2 and Varnel 2Varnel 2.");
    EXPECT_EQ(HelpHint::replaceProductName("$plugin", "a$plugin"), "a$plugin");
    hint->show("Welcome to $plugin", 0);
    EXPECT_EQ(label->text()->text.getValue(), "Welcome to Varnel 2");
    EXPECT_TRUE(label->visible.getValue());
    EXPECT_EQ(ui.root().children().back(), label);
}

TEST_F(HelpHintTest, VisibilityRules) {
    struct Case {
        const char* text;
        int32_t flags;
        bool learning;
        bool help;
        bool shown;
    } cases[] = {
        {"Hint", 0, false, true, true},
        {"", HelpHint::kAlways, false, true, false},
        {"Hint", 0, false, false, false},
        {"Hint", HelpHint::kAlways, false, false, true},
        {"Hint", HelpHint::kAlways, true, true, false},
    };
    for (const Case& c : cases) {
        learning = c.learning;
        help = c.help;
        hint->show(c.text, c.flags);
        EXPECT_EQ(hint->isShown(), c.shown) << c.text << " " << c.flags << c.learning << c.help;
        EXPECT_EQ(label->visible.getValue(), c.shown);
    }
}

TEST_F(HelpHintTest, AStickyHintStaysAtOpacity240UntilAClick) {
    hint->show("Notice", HelpHint::kAlways | HelpHint::kSticky);
    EXPECT_TRUE(hint->isSticky());
    EXPECT_EQ(label->opacity.getValue(), HelpHint::kStickyOpacity);
    label->clickEvent.notify(label);
    EXPECT_FALSE(hint->isSticky());
    EXPECT_FALSE(label->visible.getValue());
    EXPECT_EQ(label->opacity.getValue(), 255);
    EXPECT_EQ(label->text()->text.getValue(), "");
    EXPECT_FALSE(label->clickEvent.hasHandlers());
}

TEST_F(HelpHintTest, ALabelThatDiesIsForgotten) {
    delete label;
    EXPECT_EQ(hint->label(), nullptr);
    hint->show("Still counted", HelpHint::kSticky);
    EXPECT_TRUE(hint->isShown());
    hint->clear();
    EXPECT_FALSE(hint->isShown());
}

} // namespace
