#include "editor/ComponentDisplay.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/SectionContainer.h"
#include "editor/SectionInterface.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Animator.h"
#include "gui/ControlBar.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using test::EditorModel;

class Section : public SectionInterface {
public:
    using SectionInterface::SectionInterface;
};

class ComponentDisplayTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        ui = std::make_unique<gui::headless::HeadlessInterface>(600.0f, 300.0f, 1000);
    }
    void TearDown() override {
        if (ui) ui->root().deleteChildren();
        editor.reset();
        animator.reset();
        ui.reset();
        model.reset();
        PluginTest::TearDown();
    }
    void open(bool withAnimator) {
        if (withAnimator) {
            animator = std::make_unique<gui::Animator>(*ui, ui->clock());
            animator->rate.setValue(15);
            animator->running.setValue(true);
        }
        editor = std::make_unique<GenericPluginInterfaceBase>(*ui, *model);
        display = new ComponentDisplay(*ui, *editor);
        display->setBoundsXYWH(0, 0, 600, 120);
        display->parent.setValue(&ui->root());
        for (int i = 0; i < 3; ++i) {
            auto* panel = new Section(*ui, *editor, display, i);
            panel->setSize(100.0f + 10.0f * float(i), 120.0f);
            sections[i] = panel;
            EXPECT_EQ(display->addSectionContainer(0.0f, panel), i);
        }
    }
    float length(int i) { return display->components()[std::size_t(i)].control->width.getValue(); }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<gui::Animator> animator;
    std::unique_ptr<GenericPluginInterfaceBase> editor;
    ComponentDisplay* display = nullptr;
    Section* sections[3] = {};
};

TEST_F(ComponentDisplayTest, ComponentsStartFoldedAndUnfoldAtOnceWithoutAnAnimator) {
    open(false);
    ASSERT_EQ(display->components().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(display->components()[std::size_t(i)].unfolded);
        EXPECT_FLOAT_EQ(length(i), 0.0f);
        EXPECT_EQ(display->components()[std::size_t(i)].control->getParent(), &display->bar());
        EXPECT_EQ(sections[i]->getParent(), display->components()[std::size_t(i)].control);
    }
    display->toggleComponent(1);
    EXPECT_TRUE(display->components()[1].unfolded);
    EXPECT_FLOAT_EQ(length(1), 110.0f);
    display->toggleComponent(1);
    EXPECT_FALSE(display->components()[1].unfolded);
    EXPECT_FLOAT_EQ(length(1), 0.0f);
}

TEST_F(ComponentDisplayTest, UnfoldingOneFoldsTheOthersThroughTheBarsAnimation) {
    open(true);
    display->toggleComponent(0);
    ui->advance(400);
    EXPECT_FLOAT_EQ(length(0), 100.0f);
    // The section's own rebuild toggles its component.
    sections[2]->rebuildInterface();
    EXPECT_TRUE(display->components()[2].unfolded);
    EXPECT_FALSE(display->components()[0].unfolded);
    ui->advance(150);
    EXPECT_GT(length(2), 0.0f);
    EXPECT_LT(length(2), 120.0f);
    EXPECT_GT(length(0), 0.0f);
    ui->advance(300);
    EXPECT_FLOAT_EQ(length(2), 120.0f);
    EXPECT_FLOAT_EQ(length(0), 0.0f);
    // Without singleUnfold both stay open.
    display->singleUnfold.setValue(false);
    display->toggleComponent(1);
    ui->advance(400);
    EXPECT_TRUE(display->components()[1].unfolded);
    EXPECT_TRUE(display->components()[2].unfolded);
}

// Unfolding while the bar still grows the containers in, animated or at
// once, ends with the container fully shown at its panel's length; a fixed
// panel stands first, as it is, at once.
TEST_F(ComponentDisplayTest, UnfoldingDuringTheInsertionEndsFullyShown) {
    open(true);
    auto* fixed = new gui::Control(*ui);
    fixed->setBoundsXYWH(0, 0, 200, 120);
    display->addFixedPanel(fixed);
    EXPECT_EQ(display->bar().children().front(), fixed);
    display->singleUnfold.setValue(false);
    display->toggleComponent(0);
    display->toggleComponent(1, false);
    EXPECT_FLOAT_EQ(length(1), 110.0f);
    ui->advance(400);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FLOAT_EQ(length(i), 100.0f + 10.0f * float(i)) << i;
        EXPECT_EQ(display->components()[std::size_t(i)].control->opacity.getValue(), 255) << i;
    }
    EXPECT_FLOAT_EQ(fixed->width.getValue(), 200.0f);
    EXPECT_EQ(fixed->opacity.getValue(), 255);
}

TEST_F(ComponentDisplayTest, ToggleChecksItsIndexAndItsRecord) {
    open(false);
    display->toggleComponent(-1);
    display->toggleComponent(3);
    for (const auto& record : display->components())
        EXPECT_FALSE(record.unfolded);
    // A record whose container died does nothing.
    delete display->components()[1].control;
    EXPECT_EQ(display->components()[1].control, nullptr);
    display->toggleComponent(1);
    EXPECT_FALSE(display->components()[1].unfolded);
    // A section standing alone, or one whose display died, rebuilds without touching one.
    auto* alone = new Section(*ui, *editor, nullptr, -1);
    alone->parent.setValue(&ui->root());
    alone->rebuildInterface();
    auto* orphan = new Section(*ui, *editor, display, 0);
    orphan->parent.setValue(&ui->root());
    delete display;
    display = nullptr;
    EXPECT_EQ(orphan->display(), nullptr);
    orphan->rebuildInterface();
}

TEST_F(ComponentDisplayTest, AStandaloneSectionIsBlackAndContainersDrawTheSectionBitmapAtTheirOffset) {
    open(false);
    display->setBoundsXYWH(0, 150, 600, 120);
    display->sectionBitmap().setSize(8, 8);
    display->sectionBitmap().fillRect(gui::Rect(0, 0, 8, 8), gui::Color(255, 0, 0, 255));
    auto* container = new SectionContainer(*ui, *display, display->sectionBitmap(), 20.0f);
    container->setBoundsXYWH(300, 0, 60, 40);
    container->parent.setValue(&ui->root());
    auto* alone = new Section(*ui, *editor, nullptr, -1);
    alone->setBoundsXYWH(10, 10, 20, 20);
    alone->parent.setValue(&ui->root());
    ui->paint();
    const gui::Color grey(192, 192, 192, 255);
    EXPECT_EQ(ui->backBuffer().pixelAt(15, 15), gui::Color(0, 0, 0, 255));
    EXPECT_EQ(ui->backBuffer().pixelAt(35, 15), grey);
    EXPECT_EQ(ui->backBuffer().pixelAt(323, 3), gui::Color(255, 0, 0, 255));
    EXPECT_EQ(ui->backBuffer().pixelAt(318, 3), grey);
    EXPECT_EQ(ui->backBuffer().pixelAt(329, 3), grey);
    // A container whose display died draws nothing of it.
    delete display;
    display = nullptr;
    EXPECT_EQ(container->display(), nullptr);
    container->invalidateRect(container->localRect());
    ui->paint();
}

} // namespace
