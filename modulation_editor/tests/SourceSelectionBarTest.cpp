#include "modulation_editor/SourceSelectionBar.h"

#include "gui/Image.h"
#include "gui/ScrollArea.h"
#include "gui/Shape.h"
#include "gui/Text.h"
#include "gui/tests/ResourceImages.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

// Source buttons are as high as their style's face, centred in the bar, so
// that the face stretches along their width alone; each is named with its
// panel's name where that fits its text area, else with the short name
// where that does, else not at all.
TEST_F(SourceSelectionBarTest, SourceButtonsTakeTheirFacesHeightAndANameThatFits) {
    bar().sourceButtonStyle().height.setValue(14.0f);
    setActive(model->xlfos, 2);
    const float h = bar().height.getValue();
    ASSERT_GT(h, 14.0f);
    ASSERT_EQ(bar().sourceButtons().size(), 2u);
    SourceSelectionBar::SourceButton* first = bar().sourceButtons()[0];
    EXPECT_FLOAT_EQ(first->height.getValue(), 14.0f);
    EXPECT_FLOAT_EQ(first->y.getValue(), std::round((h - 14.0f) * 0.5f));
    const std::string tooLong(60, 'W');
    SourceInterface* panel = sources->panels()[0];
    const gui::Text& shown = *first->textLine(0);
    EXPECT_EQ(shown.text.getValue(), "S1.1");
    panel->setShortSourceName("S1");
    panel->setSourceName(tooLong);
    EXPECT_EQ(shown.text.getValue(), "S1");
    panel->setShortSourceName(tooLong);
    EXPECT_EQ(shown.text.getValue(), "");
    panel->setShortSourceName("");
    panel->setSourceName("S1.1");
    EXPECT_EQ(shown.text.getValue(), "S1.1");
}

// The edge shapes, in the bar's colour, close the map at both ends, each the
// overhang wide; they go with the map or the overhang. The icon stands at
// the bar's left end, centred vertically.
TEST_F(SourceSelectionBarTest, EdgeShapesFrameTheMapAndTheIconStandsAtTheLeft) {
    static const bool registered =
        test::registerSolidImages({{"TestSourceBarIcon.png", 8, 6, gui::Color(1, 2, 3, 255)}});
    ASSERT_TRUE(registered);
    setActive(model->xlfos, 3);
    bar().color.setValue(gui::Color(40, 50, 60, 255));
    bar().overhang.setValue(5);
    const float o = bar().mapOrigin(), m = bar().mapWidth(), h = bar().height.getValue();
    ASSERT_GT(m, 0.0f);
    for (int side = 0; side < 2; ++side) {
        gui::Shape* edge = bar().edgeShape(side);
        ASSERT_NE(edge, nullptr);
        EXPECT_TRUE(edge->visible.getValue());
        EXPECT_EQ(edge->fillColor.getValue(), gui::Color(40, 50, 60, 255));
        EXPECT_EQ(edge->bounds.getValue(), gui::Rect::fromXYWH(side == 0 ? o - 5.0f : o + m, 0.0f, 5.0f, h));
    }
    // The selector reaches onto them.
    EXPECT_FLOAT_EQ(bar().selector()->x.getValue(), o - 5.0f);
    bar().overhang.setValue(0);
    EXPECT_FALSE(bar().edgeShape(0)->visible.getValue());
    EXPECT_FALSE(bar().edgeShape(1)->visible.getValue());
    bar().overhang.setValue(5);
    bar().setSize(3.0f, h); // no room for a map
    EXPECT_FALSE(bar().edgeShape(1)->visible.getValue());

    EXPECT_EQ(bar().icon(), nullptr);
    bar().setSize(926.0f, h);
    bar().setIcon("TestSourceBarIcon");
    ASSERT_NE(bar().icon(), nullptr);
    EXPECT_EQ(bar().children().front(), bar().icon());
    EXPECT_EQ(bar().icon()->bounds.getValue(),
              gui::Rect::fromXYWH(0.0f, std::round((h - 6.0f) * 0.5f), 8.0f, 6.0f));
    bar().setIcon("NoSuchSourceBarIcon");
    EXPECT_EQ(bar().icon(), nullptr);
}

} // namespace
