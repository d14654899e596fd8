#include "modulation_editor/SourceSelectionBar.h"

#include "gui/ScrollArea.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

namespace {

class SourceSelectionBarTest : public test::SourceTest {
protected:
    SourceSelectionBar& bar() { return *sources->selectionBar(); }
};

// With no sources, and for every alignment, the map is centred in the
// available width: (a - m) / 2.
TEST_F(SourceSelectionBarTest, TheMapOriginIsCentredInTheAvailableWidth) {
    for (gui::Alignment a : {gui::Alignment::kLeft, gui::Alignment::kCentre, gui::Alignment::kRight}) {
        bar().alignment.setValue(a);
        bar().updateMap();
        EXPECT_FLOAT_EQ(bar().mapOrigin(), (bar().availableWidth() - bar().mapWidth()) * 0.5f);
        EXPECT_TRUE(bar().sourceButtons().empty());
    }
    // Sources that overflow the strip: centred stays (a - m) / 2; right and
    // left follow the strip's margin.
    setActive(model->xlfos, 6);
    setActive(model->egs, 6);
    ASSERT_GT(sources->sourceBar().width.getValue(), sources->strip().scrollArea()->width.getValue());
    bar().alignment.setValue(gui::Alignment::kCentre);
    const float a = bar().availableWidth(), m = bar().mapWidth();
    EXPECT_GT(m, 0.0f);
    EXPECT_FLOAT_EQ(bar().mapOrigin(), (a - m) * 0.5f);
    bar().alignment.setValue(gui::Alignment::kRight);
    EXPECT_FLOAT_EQ(bar().mapOrigin(), a - m);
    bar().alignment.setValue(gui::Alignment::kLeft);
    EXPECT_FLOAT_EQ(bar().mapOrigin(), 0.0f);
    ASSERT_EQ(bar().sourceButtons().size(), 12u);
    // Each button stands at its container's x scaled by m / W.
    const float scale = m / sources->sourceBar().width.getValue();
    SourceContainer* third = sources->containerAt(2);
    EXPECT_FLOAT_EQ(bar().sourceButtons()[2]->x.getValue(), std::round(third->x.getValue() * scale));
}

// A selector drag of 4 units or less is a click on the source beneath;
// further it scrolls by dx x W / m.
TEST_F(SourceSelectionBarTest, TheSelectorDragsOrClicks) {
    setActive(model->xlfos, 6);
    setActive(model->egs, 6);
    gui::ScrollArea* area = sources->strip().scrollArea();
    auto* selector = bar().selector();
    ASSERT_TRUE(selector->visible.getValue());
    const gui::Point p = selector->toRoot(gui::Point(2.0f, 5.0f));
    ui->mouseDown(0, p, 8);
    ui->mouseMove(gui::Point(p.x + 4.0f, p.y), 8);
    EXPECT_FLOAT_EQ(area->scrollX.getValue(), 0.0f);
    ui->mouseUp(0, gui::Point(p.x + 4.0f, p.y), 0);
    EXPECT_EQ(slots->sourceFilterCount(), 1);
    const float start = area->scrollX.getValue();
    const gui::Point q = bar().selector()->toRoot(gui::Point(2.0f, 5.0f));
    ui->mouseDown(0, q, 8);
    ui->mouseMove(gui::Point(q.x + 10.0f, q.y), 8);
    const float expected = start + 10.0f * sources->sourceBar().width.getValue() / bar().mapWidth();
    EXPECT_NEAR(area->scrollX.getValue(), std::min(expected, area->scrollX.getMaximum()), 0.01f);
    ui->mouseUp(0, gui::Point(q.x + 10.0f, q.y), 0);
}

} // namespace
