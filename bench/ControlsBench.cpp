// The controls: how long their repaints take, in microseconds per operation
// (no goal yet; nothing here runs on the audio path).
//
// knobNewAngle: a 48 x 48 knob drawn after its value moved, so its rotated
// indicator is rendered again, at backing scales 1 and 2; drawBitmapAlone is
// a plain drawBitmap of the same indicator pixels into the same target in the
// same run, the yardstick the knob's figure compares with.
//
// panelRepaint: a 640 x 480 headless root holding 40 knobs and 40 buttons
// painted whole into its back buffer; argument 1 turns every knob first (all
// caches stale), argument 0 repaints them unchanged.
//
// flexibleBarLayout: a row bar of 64 flexible children (weights 1 to 4, some
// held to a maximum) laid out again after its length changes, at scales 1
// and 2 (the shares snap to device pixels).

#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Canvas.h"
#include "gui/ControlBar.h"
#include "gui/FlexibleInfo.h"
#include "gui/Knob.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessInterface.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr float kKnobSide = 48.0f;

// A dark disc for the background, a bright bar from the centre up for the
// indicator.
void paintKnobStyle(gui::Knob::Style& style) {
    gui::Bitmap& background = style.bitmap(0);
    background.setSize(kKnobSide, kKnobSide);
    background.clear();
    background.getCanvas().fillRect(gui::Rect::fromXYWH(4, 4, 40, 40), gui::Color(40, 40, 48, 255));
    gui::Bitmap& indicator = style.bitmap(2);
    indicator.setSize(kKnobSide, kKnobSide);
    indicator.clear();
    indicator.getCanvas().fillRect(gui::Rect::fromXYWH(22, 4, 4, 20), gui::Color(230, 230, 240, 255));
    indicator.getCanvas().fillRect(gui::Rect::fromXYWH(8, 8, 32, 32), gui::Color(90, 120, 200, 60));
    style.radius.setValue(0.0f);
    style.applyRadiusRule();
}

void paintButtonStyle(gui::Button::Style& style) {
    const gui::Color looks[] = {gui::Color(60, 60, 70, 255), gui::Color(80, 80, 95, 255),
                                gui::Color(30, 30, 36, 255)};
    for (int i = 0; i < 3; ++i) {
        gui::Bitmap& b = style.stateBitmap(i);
        b.setSize(60, 24);
        b.clear();
        b.getCanvas().fillRect(gui::Rect::fromXYWH(1, 1, 58, 22), looks[i]);
    }
    style.updateSizeFromBitmaps();
    style.textColor.setValue(gui::Color(240, 240, 240, 255));
}

void reportScale(benchmark::State& state) {
    state.counters["scale"] = static_cast<double>(state.range(0));
}

void knobNewAngle(benchmark::State& state) {
    gui::headless::HeadlessInterface ui(200, 200);
    ui.setMonitorScale(static_cast<float>(state.range(0)));
    gui::Knob::Style style(ui);
    paintKnobStyle(style);
    auto* knob = new gui::Knob(ui, &style);
    knob->maximum.setValue(1000);
    knob->parent.setValue(&ui.root());
    gui::Bitmap target(ui.deviceBacking());
    target.setSize(kKnobSide, kKnobSide);
    int value = 0;
    for (auto _ : state) {
        value = (value + 37) % 1000;
        knob->value.setValue(value);
        knob->draw(target.getCanvas());
    }
    benchmark::DoNotOptimize(target.getPixels());
    state.counters["renders"] = knob->renderCount();
    reportScale(state);
}

void drawBitmapAlone(benchmark::State& state) {
    gui::headless::HeadlessInterface ui(200, 200);
    ui.setMonitorScale(static_cast<float>(state.range(0)));
    gui::Knob::Style style(ui);
    paintKnobStyle(style);
    gui::Bitmap target(ui.deviceBacking());
    target.setSize(kKnobSide, kKnobSide);
    for (auto _ : state)
        target.getCanvas().drawBitmap(style.bitmap(2), gui::Point(), 255);
    benchmark::DoNotOptimize(target.getPixels());
    reportScale(state);
}

// 8 columns of 80 pixels, 10 rows of 48: knobs and buttons alternate.
void panelRepaint(benchmark::State& state) {
    gui::headless::HeadlessInterface ui(640, 480);
    gui::Knob::Style knobStyle(ui);
    paintKnobStyle(knobStyle);
    gui::Button::Style buttonStyle(ui);
    paintButtonStyle(buttonStyle);
    std::vector<gui::Knob*> knobs;
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 8; ++column) {
            const float x = static_cast<float>(column) * 80.0f;
            const float y = static_cast<float>(row) * 48.0f;
            if ((row + column) % 2 == 0) {
                auto* knob = new gui::Knob(ui, &knobStyle);
                knob->maximum.setValue(1000);
                knob->value.setValue(row * 97 + column * 13);
                knob->setX(x + 16.0f);
                knob->setY(y);
                knob->parent.setValue(&ui.root());
                knobs.push_back(knob);
            } else {
                auto* button = new gui::Button(ui, &buttonStyle);
                button->setX(x + 10.0f);
                button->setY(y + 12.0f);
                if (!button->textLines().empty())
                    button->textLine(0)->text.setValue("B" + std::to_string(row * 8 + column));
                button->parent.setValue(&ui.root());
            }
        }
    }
    const bool turn = state.range(0) != 0;
    const gui::Rect whole = ui.root().localRect();
    for (auto _ : state) {
        if (turn) {
            for (gui::Knob* knob : knobs)
                knob->value.setValue((knob->value.getValue() + 19) % 1000);
        }
        ui.root().addDirtyRect(whole);
        ui.paint();
    }
    benchmark::DoNotOptimize(ui.backBuffer().getPixels());
    state.counters["knobs turned"] = turn ? 1.0 : 0.0;
}

class FlexibleChild : public gui::Control, public gui::FlexibleInfo {
public:
    FlexibleChild(gui::UserInterface& ui, const Record& record) : gui::Control(ui), record_(record) {}
    Record flexibleRecord() const override { return record_; }

private:
    Record record_;
};

void flexibleBarLayout(benchmark::State& state) {
    constexpr int kChildren = 64;
    gui::headless::HeadlessInterface ui(1400, 100);
    ui.setMonitorScale(static_cast<float>(state.range(0)));
    auto* bar = new gui::ControlBar(ui);
    bar->spacing.setValue(2.0f);
    bar->setBoundsXYWH(0, 0, 1200, 24);
    bar->parent.setValue(&ui.root());
    {
        UpdatedObject::Hold hold(*bar);
        for (int i = 0; i < kChildren; ++i) {
            gui::FlexibleInfo::Record record;
            record.baseLength = 4.0f;
            record.weight = static_cast<float>(1 + i % 4);
            record.maximumLength = i % 8 == 0 ? 12.0f : 0.0f;
            auto* child = new FlexibleChild(ui, record);
            child->setBoundsXYWH(0, 0, 4, 20);
            child->parent.setValue(bar);
        }
    }
    const float lengths[] = {1200.0f, 1331.0f};
    int next = 0;
    for (auto _ : state) {
        next ^= 1;
        bar->setSize(lengths[next], 24.0f);
    }
    benchmark::DoNotOptimize(bar->children().back()->bounds.getValue());
    state.counters["children"] = kChildren;
    reportScale(state);
}

BENCHMARK(knobNewAngle)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(drawBitmapAlone)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(panelRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(flexibleBarLayout)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
