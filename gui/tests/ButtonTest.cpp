#include "gui/Button.h"

#include "foundation/ModuleResources.h"
#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/tests/DelegateInterfaceRig.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/PlainBitmap.h"
#include "gui/tests/ResourceImages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gui {
namespace {

using test::DelegateInterface;

// A root with a platform delegate and an injected clock; no animator, so
// the highlight switches at once.
struct Rig {
    std::uint32_t now = 1000;
    // Outlives the user interface: a button that dies inside a gesture still
    // tells its listener the gesture ended.
    test::GestureRecorder recorder;
    int clicks = 0;
    DelegateInterface ui{[this] { return now; }};
    RootControl& root = ui.root();

    Rig() { root.setBoundsXYWH(0, 0, 200, 100); }
    Button* button(Button::Style* style, float x = 10, float y = 10, float w = 40, float h = 20) {
        auto* b = new Button(ui, style);
        b->setBoundsXYWH(x, y, w, h);
        b->setListener(&recorder);
        b->clickEvent.setHandler(NotifyEvent::bind([this] { ++clicks; }));
        b->parent.setValue(&root);
        return b;
    }
};

using test::fill;

// Style images by prefix: "BtnA" has every state in both sizes but its
// pressed look, and its on icon only as a double image; "BtnB" has no on
// icon; "BtnC" only a highlighted look.
const Color kRed(255, 0, 0, 255), kDarkRed(128, 0, 0, 255), kGreen(0, 255, 0, 255),
    kDarkGreen(0, 128, 0, 255), kBlue(0, 0, 255, 255), kWhite(255, 255, 255, 255), kGrey(90, 90, 90, 255);
void registerStyleImages() {
    static const bool registered = test::registerSolidImages({
        {"BtnANormal.png", 8, 4, kRed},
        {"BtnANormal_2x.png", 16, 8, kDarkRed},
        {"BtnAActive.png", 8, 4, kGreen},
        {"BtnAActive_2x.png", 16, 8, kDarkGreen},
        {"BtnADown.png", 8, 4, kBlue},
        {"BtnAOn_2x.png", 16, 8, kWhite},
        {"BtnBNormal.png", 6, 6, kGrey},
        {"BtnBActive.png", 6, 6, kGreen},
        {"BtnBDown.png", 6, 6, kBlue},
        {"BtnCActive.png", 6, 6, kGreen},
    });
    ASSERT_TRUE(registered);
}

// The button drawn alone on a transparent bitmap of its size.
std::unique_ptr<Bitmap> render(UserInterface& ui, Button& button) {
    auto out = std::make_unique<Bitmap>(ui.deviceBacking());
    const Rect r = button.localRect();
    out->setSize(r.width(), r.height());
    out->clear();
    button.draw(out->getCanvas());
    return out;
}

TEST(Button, StyleSettingsAreCopiedOnceAndBitmapsReadLive) {
    Rig rig;
    Button::Style style(rig.ui);
    style.width.setValue(30);
    style.height.setValue(12);
    style.backgroundOpacity.setValue(100);
    style.iconAlignment.setValue(Alignment::kRight);
    style.textOnOpacity.setValue(7);
    style.margin.setValue(2);
    style.insets.setValue(Rect(1, 2, 3, 4));
    style.textColor.setValue(Color(10, 20, 30, 255));
    Button* b = rig.button(&style);
    b->setBoundsXYWH(0, 0, 30, 12); // the rig moved it
    EXPECT_EQ(b->normalOpacity.getValue(), 100);
    EXPECT_EQ(b->iconAlignment.getValue(), Alignment::kRight);
    EXPECT_EQ(b->textOnOpacity.getValue(), 7);
    EXPECT_FLOAT_EQ(b->margin.getValue(), 2.0f);
    EXPECT_EQ(b->insets.getValue(), Rect(1, 2, 3, 4));
    ASSERT_EQ(b->textLines().size(), 1u);
    EXPECT_EQ(b->textLine(0)->color.getValue(), Color(10, 20, 30, 255));
    EXPECT_FALSE(b->doubleClickEnabled.getValue());
    EXPECT_EQ(b->touchFlags.getValue(), 1);

    // Later style changes are not copied; a new bitmap is seen at once.
    style.backgroundOpacity.setValue(50);
    EXPECT_EQ(b->normalOpacity.getValue(), 100);
    fill(style.stateBitmap(0), 30, 12, Color(255, 0, 0, 255));
    b->normalOpacity.setValue(255);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(15, 6), Color(255, 0, 0, 255));

    // setStyle copies nothing.
    Button::Style other(rig.ui);
    other.backgroundOpacity.setValue(9);
    b->setStyle(&other);
    EXPECT_EQ(b->style(), &other);
    EXPECT_EQ(b->normalOpacity.getValue(), 255);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(15, 6).a, 0);
}

TEST(Button, StyleSizeComesFromTheNormalOrHighlightedBitmap) {
    Rig rig;
    Button::Style style(rig.ui);
    fill(style.stateBitmap(1), 14, 9, Color(0, 0, 0, 255));
    style.updateSizeFromBitmaps();
    EXPECT_FLOAT_EQ(style.width.getValue(), 14.0f);
    fill(style.stateBitmap(0), 20, 8, Color(0, 0, 0, 255));
    style.updateSizeFromBitmaps();
    EXPECT_FLOAT_EQ(style.width.getValue(), 20.0f);
    EXPECT_FLOAT_EQ(style.height.getValue(), 8.0f);
}

TEST(Button, StyleLoadsItsBitmapsByPrefix) {
    registerStyleImages();
    Rig rig;
    Button::Style style(rig.ui);
    fill(style.stateBitmap(3), 2, 2, kGrey); // the off icon is the creator's own
    const Color none(0, 0, 0, 0);
    const struct {
        const char* prefix;
        Color holders[4]; // 0, 1, 2 and 4; none: empty
    } cases[] = {
        {"BtnA", {kRed, kGreen, kBlue, kWhite}}, // the on icon from its double image
        {"BtnB", {kGrey, kGreen, kBlue, none}},  // no "On.png": holder 4 emptied
        {"btnc", {none, kGreen, none, none}},    // names in any case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        fill(style.stateBitmap(4), 2, 2, kGrey);
        style.loadBitmaps(c.prefix);
        const int holders[] = {0, 1, 2, 4};
        for (int i = 0; i < 4; ++i) {
            const Bitmap& b = style.stateBitmap(holders[i]);
            if (c.holders[i] == none)
                EXPECT_EQ(b.pixelWidth(), 0) << holders[i];
            else
                EXPECT_EQ(b.pixelAt(0, 0), c.holders[i]) << holders[i];
        }
        EXPECT_EQ(style.stateBitmap(3).pixelAt(0, 0), kGrey);
    }
    style.updateSizeFromBitmaps(); // from the highlighted look of "BtnC"
    EXPECT_FLOAT_EQ(style.width.getValue(), 6.0f);
    // A wrong prefix is an error and changes nothing.
    EXPECT_THROW(style.loadBitmaps("BtnMissing"), EResource);
    EXPECT_EQ(style.stateBitmap(1).pixelAt(0, 0), kGreen);
}

TEST(Button, AScaleChangeLoadsTheDoubleImagesOncePerStyle) {
    registerStyleImages();
    Rig rig;
    Button::Style style(rig.ui);
    style.loadBitmaps("BtnA");
    style.updateSizeFromBitmaps();
    Button* a = rig.button(&style, 0, 0, 8, 4);
    Button* b = rig.button(&style, 20, 0, 8, 4);
    EXPECT_EQ(render(rig.ui, *a)->pixelAt(3, 2), kRed);
    int loads = 0;
    style.stateBitmap(0).changeEvent.addHandler(NotifyEvent::bind([&loads] { ++loads; }));
    rig.ui.deviceBacking().setSystemScale(2.0f); // tells both buttons
    EXPECT_EQ(loads, 2);                         // the refit, then one load for the style
    a->scaleChanged();
    b->scaleChanged();
    EXPECT_EQ(loads, 2);
    EXPECT_FLOAT_EQ(style.stateBitmap(0).getSourceScale(), 2.0f);
    EXPECT_FLOAT_EQ(style.stateBitmap(2).getSourceScale(), 1.0f); // no double image: the plain one refitted
    EXPECT_EQ(style.stateBitmap(2).pixelWidth(), 16);
    auto out = render(rig.ui, *a);
    EXPECT_EQ(out->pixelWidth(), 16);
    EXPECT_EQ(out->pixelAt(15, 7), kDarkRed);
    rig.ui.deviceBacking().setSystemScale(1.0f);
    EXPECT_EQ(loads, 4);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(3, 2), kRed);
}

TEST(Button, NormalOpacityBlendsWithTheHighlightLevel) {
    struct AnimatedRig : Rig {
        std::unique_ptr<Animator> animator = std::make_unique<Animator>(ui, [this] { return now; });
        void tickAt(std::uint32_t time) {
            now = time;
            animator->timer()->tick();
        }
    } rig;
    Button::Style style(rig.ui);
    style.backgroundOpacity.setValue(100);
    fill(style.stateBitmap(0), 10, 10, kWhite);
    fill(style.stateBitmap(1), 10, 10, kWhite);
    Button* b = rig.button(&style, 10, 10, 10, 10);
    const struct {
        std::uint32_t time;
        bool highlighted; // from this time on
        int level, alpha;
    } steps[] = {{1000, true, 0, 100}, {1100, false, 255, 255}, {1249, false, 128, 177}};
    for (const auto& step : steps) {
        rig.tickAt(step.time);
        ASSERT_EQ(b->rolloverManager().level(), step.level);
        EXPECT_EQ(render(rig.ui, *b)->pixelAt(5, 5), Color(255, 255, 255, std::uint8_t(step.alpha)))
            << step.level;
        b->highlighted.setValue(step.highlighted);
    }
}

TEST(Button, LabelPositionsPerAlignmentWithAnIconAndTwoLines) {
    class Probe : public Button {
    public:
        using Button::Button;
        void drawLabel(Canvas& canvas, const Point& position) override {
            at = position;
            Button::drawLabel(canvas, position);
        }
        Point at{-1, -1};
    };
    // Lines of 8-point text: 4.8 units a character, 10 units a line.
    const struct {
        Alignment alignment;
        bool icon;
        float x;
    } cases[] = {
        {Alignment::kLeft, false, 6}, {Alignment::kCentre, false, 40.4f}, {Alignment::kRight, false, 74.8f},
        {Alignment::kLeft, true, 20}, {Alignment::kCentre, true, 47.4f},  {Alignment::kRight, true, 74.8f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.alignment) << (c.icon ? " with icon" : ""));
        Rig rig;
        auto* b = new Probe(rig.ui, nullptr);
        b->setBoundsXYWH(0, 0, 100, 30);
        b->parent.setValue(&rig.root);
        b->spacing.setValue(4);
        b->iconMargin.setValue(2);
        b->lineCount.setValue(2);
        b->textLine(0)->text.setValue("ab");
        b->textLine(1)->text.setValue("abcd");
        b->textAlignment.setValue(c.alignment);
        if (c.icon) fill(b->icon(0), 10, 10, kGrey);
        auto out = render(rig.ui, *b);
        EXPECT_NEAR(b->at.x, c.x, 1e-4f);
        EXPECT_FLOAT_EQ(b->at.y, 3.0f); // 15 - (10 + 4 + 10) / 2
        for (int i = 0; i < 2; ++i)     // 100 - 2 x 6, less the icon
            EXPECT_FLOAT_EQ(b->textLine(i)->wrapWidth.getValue(), c.icon ? 78.0f : 88.0f);
        // The second line's first character, below the gap.
        const int x = static_cast<int>(c.x) + 2;
        EXPECT_GT(out->pixelAt(x, 22).a, 0);
        EXPECT_EQ(out->pixelAt(x, 15).a, 0);
        if (!c.icon) continue;
        // The widths follow the size and the icon.
        b->setSize(120, 30);
        EXPECT_FLOAT_EQ(b->textLine(1)->wrapWidth.getValue(), 98.0f);
        b->icon(0).resize(0, 0);
        EXPECT_FLOAT_EQ(b->textLine(1)->wrapWidth.getValue(), 108.0f);
    }
}

TEST(Button, ImageLabelsAndTheirOpacities) {
    const struct {
        bool on, onImage;
        int textOnOpacity;
        Color shown;
    } cases[] = {
        {false, true, -1, Color(255, 0, 0, 60)}, {false, true, 200, Color(255, 0, 0, 60)},
        {true, false, -1, Color(255, 0, 0, 60)}, {true, false, 200, Color(255, 0, 0, 200)},
        {true, true, -1, Color(0, 0, 255, 255)}, {true, true, 200, Color(0, 0, 255, 200)},
    };
    for (const auto& c : cases) {
        Rig rig;
        Button* b = rig.button(nullptr, 0, 0, 40, 20);
        b->textOpacity.setValue(60);
        b->textOnOpacity.setValue(c.textOnOpacity);
        fill(b->labelImage(), 10, 6, kRed);
        if (c.onImage) fill(b->onLabelImage(), 10, 6, kBlue);
        b->on.setValue(c.on);
        // Centred: (40 - 10) / 2, (20 - 6) / 2.
        auto out = render(rig.ui, *b);
        EXPECT_EQ(out->pixelAt(15, 7), c.shown) << c.on << c.onImage << " " << c.textOnOpacity;
        EXPECT_EQ(out->pixelAt(14, 7).a, 0);
    }
}

TEST(Button, LineCountIsHeldInRangeAndGrowsTheTextLines) {
    Rig rig;
    Button* b = rig.button(nullptr);
    b->textLine(0)->color.setValue(Color(1, 2, 3, 255));
    const struct {
        int set, held;
        std::size_t lines;
    } cases[] = {{0, 1, 1}, {3, 3, 3}, {20, 16, 16}, {2, 2, 16}};
    for (const auto& c : cases) {
        b->lineCount.setValue(c.set);
        EXPECT_EQ(b->lineCount.getValue(), c.held) << c.set;
        EXPECT_EQ(b->textLines().size(), c.lines) << c.set; // lines beyond the count stay
    }
    EXPECT_EQ(b->textLine(15)->color.getValue(), Color(1, 2, 3, 255));
}

TEST(Button, StatesFollowThePointerAndThePress) {
    using S = Button::DrawingState;
    const struct {
        Button::ButtonStyle style;
        Point releaseAt;
        S offState, afterRelease;
        int clicks;
    } cases[] = {
        {Button::ButtonStyle::kOrdinary, {20, 20}, S::kNormal, S::kHighlighted, 1},
        {Button::ButtonStyle::kOrdinary, {150, 80}, S::kNormal, S::kNormal, 0},
        {Button::ButtonStyle::kHoldPressedLook, {20, 20}, S::kPressed, S::kHighlighted, 1},
        {Button::ButtonStyle::kHoldPressedLook, {150, 80}, S::kPressed, S::kNormal, 0},
    };
    for (const auto& c : cases) {
        Rig rig;
        Button* b = rig.button(nullptr);
        b->buttonStyle.setValue(c.style);
        b->toggles.setValue(true);
        rig.root.handleMouseMove({20, 20}, 0);
        EXPECT_EQ(b->drawingState(), S::kHighlighted);
        EXPECT_EQ(b->rolloverManager().level(), 255);
        rig.root.handleMouseDown(0, {20, 20}, kLeftButton);
        EXPECT_EQ(b->drawingState(), S::kPressed);
        EXPECT_TRUE(b->pressed());
        rig.root.handleMouseMove({150, 80}, kLeftButton);
        EXPECT_EQ(b->drawingState(), c.offState);
        rig.root.handleMouseMove({22, 20}, kLeftButton);
        EXPECT_EQ(b->drawingState(), S::kPressed);
        rig.root.handleMouseMove(c.releaseAt, kLeftButton);
        rig.root.handleMouseUp(0, c.releaseAt, 0);
        EXPECT_EQ(b->drawingState(), c.afterRelease);
        EXPECT_FALSE(b->pressed());
        EXPECT_EQ(rig.clicks, c.clicks);
        EXPECT_EQ(b->on.getValue(), c.clicks == 1); // a release off the button does not toggle
        EXPECT_EQ(rig.recorder.phases(), "02");
        EXPECT_FALSE(b->inGesture());
    }
}

TEST(Button, TurnOnAtPressIsMomentaryWhenHeld) {
    const struct {
        std::uint32_t held;
        bool on;
    } cases[] = {{0, true}, {500, true}, {501, false}, {2000, false}};
    for (const auto& c : cases) {
        Rig rig;
        Button* b = rig.button(nullptr);
        b->toggles.setValue(true);
        b->turnOnAtPress.setValue(true);
        rig.root.handleMouseDown(0, {20, 20}, kLeftButton);
        EXPECT_TRUE(b->on.getValue());
        rig.now += c.held;
        rig.root.handleMouseUp(0, {20, 20}, 0);
        EXPECT_EQ(b->on.getValue(), c.on) << c.held;
    }
}

TEST(Button, BackgroundByStateAndOpacity) {
    Rig rig;
    Button::Style style(rig.ui);
    style.width.setValue(10);
    style.height.setValue(10);
    style.backgroundOpacity.setValue(100);
    style.backgroundStyle.setValue(Button::BackgroundStyle::kCentred);
    fill(style.stateBitmap(0), 10, 10, Color(255, 0, 0, 255));
    fill(style.stateBitmap(1), 10, 10, Color(0, 255, 0, 255));
    fill(style.stateBitmap(2), 4, 4, Color(0, 0, 255, 255));
    Button* b = rig.button(&style, 10, 10, 10, 10);
    // Normal: the normal bitmap at normalOpacity.
    Color c = render(rig.ui, *b)->pixelAt(5, 5);
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.a, 100);
    // Highlighted: the highlighted bitmap, fully opaque.
    rig.root.handleMouseMove({15, 15}, 0);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(5, 5), Color(0, 255, 0, 255));
    // Pressed: the pressed bitmap, centred.
    rig.root.handleMouseDown(0, {15, 15}, kLeftButton);
    auto pressed = render(rig.ui, *b);
    EXPECT_EQ(pressed->pixelAt(5, 5), Color(0, 0, 255, 255));
    EXPECT_EQ(pressed->pixelAt(2, 2).a, 0);
    EXPECT_EQ(pressed->pixelAt(3, 3), Color(0, 0, 255, 255));
    rig.root.handleMouseUp(0, {15, 15}, 0);
}

TEST(Button, IconPositionsAndThePressedShift) {
    const struct {
        Alignment alignment;
        Button::ButtonStyle style;
        bool pressed;
        int left; // the icon's first column
        int top;
    } cases[] = {
        {Alignment::kLeft, Button::ButtonStyle::kOrdinary, false, 3, 8},
        {Alignment::kCentre, Button::ButtonStyle::kOrdinary, false, 18, 8},
        {Alignment::kRight, Button::ButtonStyle::kOrdinary, false, 33, 8},
        {Alignment::kLeft, Button::ButtonStyle::kOrdinary, true, 4, 9},
        {Alignment::kLeft, Button::ButtonStyle::kHoldPressedLook, true, 3, 8},
    };
    for (const auto& c : cases) {
        Rig rig;
        Button* b = rig.button(nullptr, 0, 0, 40, 20);
        b->iconAlignment.setValue(c.alignment);
        b->iconMargin.setValue(3);
        b->buttonStyle.setValue(c.style);
        fill(b->icon(0), 4, 4, Color(9, 9, 9, 255));
        if (c.pressed) rig.root.handleMouseDown(0, {20, 10}, kLeftButton);
        auto out = render(rig.ui, *b);
        EXPECT_EQ(out->pixelAt(c.left - 1, c.top).a, 0) << static_cast<int>(c.alignment);
        EXPECT_EQ(out->pixelAt(c.left, c.top).a, 255) << static_cast<int>(c.alignment);
        EXPECT_EQ(out->pixelAt(c.left + 3, c.top + 3).a, 255);
        EXPECT_EQ(out->pixelAt(c.left, c.top - 1).a, 0);
        if (c.pressed) rig.root.handleMouseUp(0, {20, 10}, 0);
    }
}

TEST(Button, OnIconFallsBackToTheStyleOrNothing) {
    Rig rig;
    Button::Style style(rig.ui);
    style.iconAlignment.setValue(Alignment::kCentre);
    fill(style.stateBitmap(3), 2, 2, Color(255, 0, 0, 255));
    Button* b = rig.button(&style, 0, 0, 10, 10);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(4, 4), Color(255, 0, 0, 255));
    b->on.setValue(true); // no on icon anywhere
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(4, 4).a, 0);
    fill(b->icon(1), 2, 2, Color(0, 0, 255, 255));
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(4, 4), Color(0, 0, 255, 255));
}

TEST(Button, HitByRectAndByBitmapAlpha) {
    Rig rig;
    Button::Style style(rig.ui);
    style.backgroundStyle.setValue(Button::BackgroundStyle::kCentred);
    fill(style.stateBitmap(0), 10, 10, Color(0, 0, 0, 255));
    Button* b = rig.button(&style, 0, 0, 20, 20);
    b->margin.setValue(2);
    b->insets.setValue(Rect(1, 0, 0, 3));
    const struct {
        Point p;
        int byRect, byAlpha;
    } cases[] = {{{2.5f, 5}, 0, 0},          {{3.5f, 5}, 255, 0},   {{10, 10}, 255, 255},
                 {{14.9f, 14.9f}, 255, 255}, {{15.5f, 10}, 255, 0}, {{10, 15.5f}, 0, 0}};
    for (const auto& c : cases) {
        b->hitByRect.setValue(true);
        EXPECT_EQ(b->hitAlpha(c.p), c.byRect) << c.p.x << "," << c.p.y;
        b->hitByRect.setValue(false);
        EXPECT_EQ(b->hitAlpha(c.p), c.byAlpha) << c.p.x << "," << c.p.y;
    }
}

TEST(Button, APressOpensTheAttachedMenuUnderTheButton) {
    struct RecordingMenu : PopupMenu {
        void show(const Point& point) override { shown.push_back(point); }
        std::vector<Point> shown;
    } menu;
    Rig rig;
    auto* panel = new Control(rig.ui);
    panel->setBoundsXYWH(30, 20, 100, 60);
    panel->parent.setValue(&rig.root);
    Button* b = rig.button(nullptr, 5, 6, 40, 20);
    b->parent.setValue(panel);
    b->margin.setValue(2);
    b->setPopupMenu(&menu);
    rig.root.handleMouseDown(0, {50, 35}, kLeftButton);
    ASSERT_EQ(menu.shown.size(), 1u);
    EXPECT_EQ(menu.shown[0], Point(37, 44)); // 30 + 5 + 2, 20 + 6 + 20 - 2
    EXPECT_FALSE(b->pressed());
    EXPECT_NE(b->drawingState(), Button::DrawingState::kPressed);
    EXPECT_EQ(rig.recorder.phases(), "02");
    rig.root.handleMouseUp(0, {50, 35}, 0);
    EXPECT_EQ(rig.recorder.phases(), "02");
    delete b;
    delete panel;
}

TEST(Button, ADropRestingOnTheButtonClicksOnce) {
    Rig rig;
    Button* b = rig.button(nullptr);
    for (int phase : {3, 0, 1, 4})
        b->fireEvent6(phase);
    EXPECT_EQ(rig.clicks, 0);
    b->fireEvent6(kTargetRested);
    EXPECT_EQ(rig.clicks, 1);
}

TEST(Button, PlacedOnBackgroundDrawsItsPartOfTheSharedImage) {
    Rig rig;
    Button::Style style(rig.ui);
    Bitmap& shared = style.stateBitmap(0);
    shared.setSize(20, 10);
    shared.clear();
    shared.getCanvas().fillRect(Rect::fromXYWH(10, 0, 10, 10), Color(0, 255, 0, 255));
    Button* b = rig.button(&style);
    b->placeOnBackground(Rect::fromXYWH(10, 0, 8, 6));
    EXPECT_EQ(b->localRect(), Rect::fromXYWH(0, 0, 8, 6));
    EXPECT_TRUE(b->placedOnBackground());
    auto out = render(rig.ui, *b);
    EXPECT_EQ(out->pixelAt(0, 0), Color(0, 255, 0, 255));
    EXPECT_EQ(out->pixelAt(7, 5), Color(0, 255, 0, 255));
    b->hitByRect.setValue(false);
    EXPECT_EQ(b->hitAlpha({1, 1}), 255);
}

TEST(Button, ADeletedStyleIsForgottenAndUnstyledButtonsLeaveNothing) {
    Rig rig;
    const std::size_t before = rig.ui.components().size();
    {
        std::vector<Button*> buttons;
        for (int i = 0; i < 50; ++i)
            buttons.push_back(rig.button(nullptr));
        for (Button* b : buttons)
            delete b;
    }
    EXPECT_EQ(rig.ui.components().size(), before);

    auto style = std::make_unique<Button::Style>(rig.ui);
    style->textOpacity.setValue(40);
    fill(style->stateBitmap(0), 10, 10, Color(255, 0, 0, 255));
    Button* b = rig.button(style.get());
    style.reset();
    EXPECT_EQ(b->style(), nullptr);
    EXPECT_EQ(b->textOpacity.getValue(), 40);
    EXPECT_EQ(render(rig.ui, *b)->pixelAt(5, 5).a, 0);
    rig.root.handleMouseMove({20, 20}, 0);
    rig.root.handleMouseDown(0, {20, 20}, kLeftButton);
    rig.root.handleMouseUp(0, {20, 20}, 0);
    EXPECT_EQ(rig.clicks, 1);
    delete b;
}

} // namespace
} // namespace gui
