#include "gui/LevelButton.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/tests/PlainBitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace gui {
namespace {

const Color kRed(255, 0, 0, 255);
const Color kGreen(0, 255, 0, 255);
const Color kBlue(0, 0, 255, 255);
const Color kWhite(255, 255, 255, 255);
const Color kYellow(255, 255, 0, 255);

using test::fill;

// A 40 x 10 level button at (10, 10): red normal, green highlighted, blue
// pressed, and a white level bar 4 high.
struct Rig {
    std::uint32_t now = 1000;
    test::TestInterface ui{[this] { return now; }};
    RootControl& root = ui.root();
    Button::Style style{ui};
    LevelButton* button;

    Rig() {
        root.setBoundsXYWH(0, 0, 200, 100);
        fill(style.stateBitmap(0), 40, 10, kRed);
        fill(style.stateBitmap(1), 40, 10, kGreen);
        fill(style.stateBitmap(2), 40, 10, kBlue);
        fill(style.stateBitmap(3), 40, 4, kWhite);
        style.width.setValue(40);
        style.height.setValue(10);
        button = new LevelButton(ui, &style);
        button->setBoundsXYWH(10, 10, 40, 10);
        button->maximum.setValue(100);
        button->value.setValue(50);
        button->parent.setValue(&root);
    }
    std::unique_ptr<Bitmap> render() {
        auto out = std::make_unique<Bitmap>(ui.deviceBacking());
        out->setSize(40, 10);
        out->clear();
        button->draw(out->getCanvas());
        return out;
    }
    // The first column (from the left, on the bar's middle row) that is not white.
    int barEnd() {
        auto out = render();
        int x = 0;
        while (x < 40 && out->pixelAt(x, 5) == kWhite)
            ++x;
        return x;
    }
};

TEST(LevelButton, TheBarEndsAtTheValuesShareOfTheWidth) {
    const struct {
        int value, offset;
        float margin;
        int end;
    } cases[] = {{50, 0, 0, 20}, {0, 0, 0, 0}, {100, 0, 0, 40}, {50, 4, 2, 24}, {0, 4, 2, 8}, {25, 0, 0, 10}};
    for (const auto& c : cases) {
        Rig rig;
        rig.button->levelOffset.setValue(c.offset);
        rig.button->levelMargin.setValue(c.margin);
        rig.button->value.setValue(c.value);
        EXPECT_FLOAT_EQ(rig.button->levelEnd(), float(c.end));
        EXPECT_EQ(rig.barEnd(), c.end) << c.value << " " << c.offset;
    }
    Rig rig;
    auto out = rig.render();
    EXPECT_EQ(out->pixelAt(5, 2), kRed); // above the bar, which is centred
    EXPECT_EQ(out->pixelAt(5, 3), kWhite);
    EXPECT_EQ(out->pixelAt(5, 6), kWhite);
    EXPECT_EQ(out->pixelAt(5, 7), kRed);
    rig.button->iconOpacity.setValue(128); // the normal look's bar at the icon opacity
    rig.button->value.setValue(100);       // a full bar: no caps to overlap
    EXPECT_EQ(rig.render()->pixelAt(5, 5), Color(255, 128, 128, 255));
}

TEST(LevelButton, PlainLevelShowsTheBitmapsLeftPartAndShowLevelHidesIt) {
    Rig rig;
    fill(rig.style.stateBitmap(3), 40, 4, kWhite);
    rig.style.stateBitmap(3).getCanvas().fillRect(Rect::fromXYWH(10, 0, 30, 4), kYellow);
    rig.button->plainLevel.setValue(true);
    auto out = rig.render();
    EXPECT_EQ(out->pixelAt(5, 5), kWhite);
    EXPECT_EQ(out->pixelAt(15, 5), kYellow);
    EXPECT_EQ(out->pixelAt(19, 5), kYellow);
    EXPECT_EQ(out->pixelAt(20, 5), kRed);
    rig.button->showLevel.setValue(false);
    EXPECT_EQ(rig.render()->pixelAt(5, 5), kRed);
}

TEST(LevelButton, LooksByStateAndImagesRenderedOnlyWhenStale) {
    Rig rig;
    rig.render();
    rig.render();
    EXPECT_EQ(rig.button->renderCount(), 1);
    rig.button->value.setValue(60);
    EXPECT_EQ(rig.barEnd(), 24);
    EXPECT_EQ(rig.button->renderCount(), 2);

    rig.root.handleMouseMove({15, 15}, 0); // highlighted: the highlighted image
    auto lit = rig.render();
    EXPECT_EQ(lit->pixelAt(30, 5), kGreen);
    EXPECT_EQ(lit->pixelAt(5, 5), kWhite); // holder 4 is empty: holder 3's bar
    fill(rig.style.stateBitmap(4), 40, 4, kYellow);
    rig.button->setStyle(nullptr);
    rig.button->setStyle(&rig.style);
    EXPECT_EQ(rig.render()->pixelAt(5, 5), kYellow);

    rig.root.handleMouseDown(0, {15, 15}, kLeftButton);
    auto pressed = rig.render();
    EXPECT_EQ(pressed->pixelAt(30, 5), kBlue);
    EXPECT_EQ(pressed->pixelAt(5, 5), kYellow);
    rig.root.handleMouseUp(0, {15, 15}, 0);
}

TEST(LevelButton, ADeletedStyleLeavesAnEmptyLook) {
    Rig rig;
    auto style = std::make_unique<Button::Style>(rig.ui);
    fill(style->stateBitmap(0), 40, 10, kRed);
    rig.button->setStyle(style.get());
    EXPECT_EQ(rig.render()->pixelAt(30, 5), kRed);
    style.reset();
    EXPECT_EQ(rig.render()->pixelAt(30, 5).a, 0);
}

} // namespace
} // namespace gui
