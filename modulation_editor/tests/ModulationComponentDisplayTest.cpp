#include "modulation_editor/ModulationComponentDisplay.h"

#include "editor/DynamicInterface.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/tests/ModulationEditorRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Panel : public DynamicInterface {
public:
    using DynamicInterface::DynamicInterface;
    void rebuildInterface() override {}
};

// Counts the list's rebuilds.
class CountingSlotController : public AbstractSlotController {
public:
    using AbstractSlotController::AbstractSlotController;
    gui::Control* panelAt(int32_t) override { return nullptr; }
    int32_t listedCount() const override { return 0; }
    void sortSlots() override {}
    void rebuildList(int32_t, uint32_t) override { ++rebuilds; }
    int rebuilds = 0;
};

class ModulationComponentDisplayTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        slots = std::make_unique<CountingSlotController>(*editor);
        display = new ModulationComponentDisplay(*ui, *editor, slots.get());
        display->setBoundsXYWH(0, 0, 600, 120);
        display->parent.setValue(&ui->root());
    }
    void TearDown() override {
        // As the editor host closes: the tree goes first, then the editor with
        // its slot controller.
        editor->prepareForClosing();
        slots.reset();
        editor.reset();
        ModulationEditorTest::TearDown();
    }
    int addPanel(int32_t first, int32_t count) {
        auto* panel = new Panel(*ui, *editor);
        panel->setSize(100.0f, 120.0f);
        return display->addSectionContainer(0.0f, panel, first, count);
    }
    size_t hoverEntries() {
        size_t n = 0;
        for (const auto& e : editor->dragManager().entries())
            if (e.hoverOnly == 1 && e.group == 1) ++n;
        return n;
    }

    std::unique_ptr<CountingSlotController> slots;
    ModulationComponentDisplay* display = nullptr;
};

TEST_F(ModulationComponentDisplayTest, ComponentsKeepTheirTargetsAndEveryFoldRefreshesTheSlots) {
    EXPECT_EQ(addPanel(0, 14), 0);
    EXPECT_EQ(addPanel(18, 7), 1);
    EXPECT_EQ(addPanel(-3, -1), 2); // held at empty
    EXPECT_EQ(display->targetRange(1).first, 18);
    EXPECT_EQ(display->targetRange(1).count, 7);
    EXPECT_EQ(display->targetRange(2).count, 0);
    EXPECT_EQ(display->targetRange(3).count, 0);
    EXPECT_EQ(display->targetRange(-1).count, 0);

    const int before = slots->rebuilds;
    display->toggleComponent(1);
    EXPECT_TRUE(display->isOpen(1));
    EXPECT_EQ(slots->rebuilds - before, 1);
    display->toggleComponent(0); // unfolds 0 and folds 1: one refresh
    EXPECT_TRUE(display->isOpen(0));
    EXPECT_FALSE(display->isOpen(1));
    EXPECT_EQ(slots->rebuilds - before, 2);
    display->toggleComponent(0);
    EXPECT_FALSE(display->isOpen(0));
    EXPECT_EQ(slots->rebuilds - before, 3);
    display->toggleComponent(7); // none there
    EXPECT_FALSE(display->isOpen(7));
    EXPECT_EQ(slots->rebuilds - before, 3);
}

TEST_F(ModulationComponentDisplayTest, ItsScrollButtonsAreHoverOnlyEntriesWhileItLives) {
    EXPECT_EQ(hoverEntries(), 2u);
    delete display;
    display = nullptr;
    EXPECT_EQ(hoverEntries(), 0u);
    EXPECT_TRUE(editor->dragManager().entries().empty());
}

} // namespace
