// The walk of a control tree and the checks it runs, on a small tree of
// toolkit controls with stand-in faces on the headless platform: each
// control breaks one rule (or none) and is found for exactly that one.

#include "editor/tests/walk/IntegrityCheck.h"

#include "editor/tests/walk/ControlWalk.h"
#include "editor/tests/walk/KnownFaults.h"
#include "gui/Button.h"
#include "gui/RootControl.h"
#include "gui/ScrollArea.h"
#include "gui/SelectButton.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/ResourceImages.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using walk::Rule;

// A white and a black face, 20 by 18.
bool registerFaces() {
    static const bool registered =
        test::registerSolidImages({{"WalkWhiteNormal.png", 20, 18, gui::Color(240, 240, 240, 255)},
                                   {"WalkBlackNormal.png", 20, 18, gui::Color(10, 10, 10, 255)}});
    return registered;
}

class IntegrityCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registerFaces());
        ui = std::make_unique<gui::headless::HeadlessInterface>(300.0f, 200.0f, 1000);
        white = std::make_unique<gui::Button::Style>(*ui);
        white->loadBitmaps("WalkWhite");
        white->updateSizeFromBitmaps();
        black = std::make_unique<gui::Button::Style>(*ui);
        black->loadBitmaps("WalkBlack");
        black->updateSizeFromBitmaps();
        panel = new gui::Control(*ui);
        panel->setBoundsXYWH(0, 0, 300, 150);
        panel->parent.setValue(&ui->root());
    }
    // The styles go while the user interface lives (the buttons forget them).
    void TearDown() override {
        white.reset();
        black.reset();
        ui.reset();
    }

    // A button of the style on the panel, 18 high, with the caption.
    template <class B = gui::Button>
    B* button(gui::Button::Style* style, float x, float y, float w, const std::string& caption = "") {
        auto* b = new B(*ui, style);
        b->setBoundsXYWH(x, y, w, 18);
        if (!caption.empty()) b->textLine(0)->text.setValue(caption);
        b->parent.setValue(panel);
        return b;
    }

    // (rule, control) of every finding.
    std::set<std::pair<Rule, gui::Control*>> findings() {
        const walk::ControlWalk tree(ui->root());
        std::set<std::pair<Rule, gui::Control*>> found;
        for (const walk::Finding& f : walk::IntegrityCheck(tree, {}).run())
            found.emplace(f.rule, f.pointer);
        return found;
    }

    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<gui::Button::Style> white;
    std::unique_ptr<gui::Button::Style> black;
    gui::Control* panel = nullptr;
};

TEST_F(IntegrityCheckTest, EachControlIsFoundForTheRuleItBreaks) {
    button(white.get(), 10, 10, 60, "Ok");
    gui::Button* unsized = button(white.get(), 80, 10, 0);
    unsized->setSize(0, 0);
    gui::Button* past = button(white.get(), 280, 10, 40, "Out");
    gui::Button* blank = button(white.get(), 10, 40, 30);
    gui::Button* cut = button(white.get(), 50, 40, 40, "A caption far too long");
    gui::Button* dark = button(black.get(), 100, 40, 60, "Dark");
    gui::Button* tall = button(white.get(), 170, 40, 60, "Tall");
    tall->setSize(60, 30);
    auto* empty = button<gui::SelectButton>(white.get(), 10, 70, 60);
    auto* alike = button<gui::ToggleButton>(white.get(), 80, 70, 60, "Same");
    // What no rule minds: a select button with its choices, and content
    // scrolled past its viewport.
    auto* filled = button<gui::SelectButton>(white.get(), 150, 70, 60);
    filled->addChoice("One");
    auto* area = new gui::ScrollArea(*ui);
    area->setBoundsXYWH(0, 100, 100, 40);
    area->parent.setValue(panel);
    auto* content = new gui::Button(*ui, white.get());
    content->setBoundsXYWH(60, 10, 80, 18);
    content->textLine(0)->text.setValue("Wide");
    content->parent.setValue(area->content());
    area->updateLayout();
    ui->advance(100);

    const std::set<std::pair<Rule, gui::Control*>> expected = {
        {Rule::kSize, unsized},     {Rule::kInsideParent, past},    {Rule::kLabel, blank},
        {Rule::kCaptionWhole, cut}, {Rule::kCaptionReadable, dark}, {Rule::kFaceFills, tall},
        {Rule::kChoices, empty},    {Rule::kLabel, empty},          {Rule::kToggleStates, alike},
    };
    EXPECT_EQ(findings(), expected);
}

// Only the presses decide: a control wholly under a later sibling is found
// with the sibling's name; one whose centre is covered but whose edge a
// press still reaches, and a disabled one, are not.
TEST_F(IntegrityCheckTest, AControlNoPressReachesNamesWhatThePressReaches) {
    gui::Button* hidden = button(white.get(), 10, 10, 60, "Hidden");
    gui::Button* edge = button(white.get(), 100, 10, 60, "Edge");
    gui::Button* off = button(white.get(), 200, 10, 60, "Off");
    off->enabled.setValue(false);
    gui::Button* cover = button(white.get(), 10, 10, 60, "Cover");
    button(white.get(), 100, 10, 50, "Most");
    button(white.get(), 200, 10, 60, "Over");
    ui->advance(100);

    const walk::ControlWalk tree(ui->root());
    std::vector<walk::Finding> reach;
    for (const walk::Finding& f : walk::IntegrityCheck(tree, {}).run())
        if (f.rule == Rule::kReach) reach.push_back(f);
    ASSERT_EQ(reach.size(), 1u) << walk::describe(reach.back());
    EXPECT_EQ(reach[0].pointer, hidden);
    EXPECT_NE(reach[0].detail.find("'Cover'"), std::string::npos) << reach[0].detail;
    EXPECT_TRUE(tree.reaches(*edge, gui::Point(155, 19)));
    EXPECT_EQ(tree.pressedAt(gui::Point(40, 19)), cover);
}

// A known fault lets exactly its findings pass and is reported while it no
// longer occurs.
TEST_F(IntegrityCheckTest, AKnownFaultPassesItsFindingsAndMustStillOccur) {
    gui::Button* blank = button(white.get(), 10, 40, 30);
    gui::Button* other = button(white.get(), 50, 40, 30);
    const walk::ControlWalk tree(ui->root());
    const std::vector<walk::Finding> found = walk::IntegrityCheck(tree, {}).run();
    ASSERT_EQ(found.size(), 2u);
    walk::KnownFaults known(
        {{1, "the first blank button", Rule::kLabel,
          [blank](const walk::Finding& f) { return f.pointer == blank; }},
         {2, "a fault that is gone", Rule::kSize, [](const walk::Finding&) { return true; }}});
    const std::vector<walk::Finding> left = known.unexpected(found);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].pointer, other);
    ASSERT_EQ(known.unmatched().size(), 1u);
    EXPECT_EQ(known.unmatched()[0]->fault, 2);
}

} // namespace
