#include "modulation_editor/ModulationComponentDisplay.h"

#include "modulation_editor/tests/ComponentDisplayRig.h"

#include <gtest/gtest.h>

namespace {

class ModulationComponentDisplayTest : public test::ComponentDisplayRig {
protected:
    size_t hoverEntries() {
        size_t n = 0;
        for (const auto& e : editor->dragManager().entries())
            if (e.hoverOnly == 1 && e.group == 1) ++n;
        return n;
    }
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
