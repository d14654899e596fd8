// The filter section's response display (286 x 263, both filters, the
// skin's handles): one whole redraw after a handle moved, so the moved
// curve's segments are rebuilt, at backing scales 1 and 2, in microseconds
// per redraw (no goal). gridOnly draws the same display with no curves in
// the same run: the yardstick the redraw compares with.

#include "editor/GenericPluginInterfaceBase.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/FilterController.h"
#include "gui/Bitmap.h"
#include "gui/headless/HeadlessInterface.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Rig {
    explicit Rig(float scale) : model("VarnelResponseDisplayBench"), ui(926.0f, 514.0f), editor(ui, model) {
        ui.setMonitorScale(scale);
        display = new FilterController(editor);
        display->parent.setValue(&ui.root());
        display->setBoundsXYWH(0, 0, 286, 263);
        display->leftMargin.setValue(10.0f);
        display->setHandleBitmaps({"DisplayPeak.png", "DisplayPeakActive.png", "DisplayMid.png",
                                   "DisplayMidActive.png", "DisplayPeak.png", "DisplayPeakActive.png"});
        display->curveCount.setValue(2);
        target = std::make_unique<gui::Bitmap>(ui.deviceBacking());
        target->setSize(286, 263);
    }
    ~Rig() { delete display; }
    void addCurves() {
        for (int f = 0; f < 2; ++f) {
            FilterParameterSet& s = model.filter[f];
            display->addCurve(s.freq.getIndex(), s.peak.getIndex(), s.response.getIndex(), s.slope.getIndex(),
                              s.enabled.getIndex(), FilterController::kNone, FilterController::kNone);
            display->curve(f).frequency.setValue(0.3f + 0.4f * float(f));
            display->curve(f).peak.setValue(0.5f);
        }
    }

    VarnelPlugin model;
    gui::headless::HeadlessInterface ui;
    GenericPluginInterfaceBase editor;
    FilterController* display = nullptr;
    std::unique_ptr<gui::Bitmap> target;
};

void redrawAfterMove(benchmark::State& state) {
    Rig rig(static_cast<float>(state.range(0)));
    rig.addCurves();
    float peak = 0.0f;
    for (auto _ : state) {
        peak = peak >= 0.9f ? 0.1f : peak + 0.01f;
        rig.display->curve(0).peak.setValue(peak);
        rig.target->clear();
        rig.display->render(rig.target->getCanvas());
        benchmark::DoNotOptimize(rig.target->getPixels());
    }
    state.counters["scale"] = static_cast<double>(state.range(0));
}

void gridOnly(benchmark::State& state) {
    Rig rig(static_cast<float>(state.range(0)));
    for (auto _ : state) {
        rig.target->clear();
        rig.display->render(rig.target->getCanvas());
        benchmark::DoNotOptimize(rig.target->getPixels());
    }
    state.counters["scale"] = static_cast<double>(state.range(0));
}

} // namespace

BENCHMARK(redrawAfterMove)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(gridOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
