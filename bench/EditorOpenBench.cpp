// The product's editor on the headless platform (926 x 514, the wide layout
// with the modulation area, one modulation source of each kind), at backing
// scales 1 and 2, in milliseconds (no goal):
//
//   openToFirstFrame: the user interface and the editor made, and the first
//     paint of the whole root into the back buffer; closing is not timed.
//   fullRepaint: the open editor's whole root marked dirty and painted.
//   clearBackBuffer: clearing the back buffer of the same size, the
//     yardstick the two compare with.

#include "bench/BenchSupport.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelInterface.h"
#include "gui/Bitmap.h"
#include "gui/RootLockScope.h"
#include "gui/headless/HeadlessInterface.h"
#include "modulation_editor/SourceController.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr float kWidth = 926.0f;
constexpr float kHeight = 514.0f;
constexpr int32_t kSourceKinds = 5;

// The model in the wide layout with the modulation area, with one source of
// each kind added as the Add Source menu adds them.
std::unique_ptr<VarnelPlugin> makeModel() {
    bench::useTemporaryFolders("varnel-editor-bench");
    auto model = std::make_unique<VarnelPlugin>("VarnelEditorBench");
    VarnelPlugin::VarnelSettings& settings = model->getVarnelSettings();
    settings.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
    settings.showModulation.setValue(true);
    gui::headless::HeadlessInterface ui(kWidth, kHeight, 1000);
    VarnelInterface editor(ui, *model);
    for (int32_t kind = 0; kind < kSourceKinds; ++kind)
        editor.sourceController()->addSource(kind);
    return model;
}

struct OpenEditor {
    OpenEditor(VarnelPlugin& model, float scale)
        : ui(std::make_unique<gui::headless::HeadlessInterface>(kWidth, kHeight, 1000)) {
        ui->setMonitorScale(scale);
        editor = std::make_unique<VarnelInterface>(*ui, model);
        ui->paint();
    }
    ~OpenEditor() {
        editor.reset();
        ui.reset();
    }
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<VarnelInterface> editor;
};

void openToFirstFrame(benchmark::State& state) {
    const std::unique_ptr<VarnelPlugin> model = makeModel();
    const float scale = static_cast<float>(state.range(0));
    size_t panels = 0;
    for (auto _ : state) {
        auto open = std::make_unique<OpenEditor>(*model, scale);
        benchmark::DoNotOptimize(open->ui->backBuffer().getPixels());
        state.PauseTiming();
        panels = open->editor->sourceController()->panels().size();
        open.reset();
        state.ResumeTiming();
    }
    state.counters["scale"] = static_cast<double>(scale);
    state.counters["sources"] = static_cast<double>(panels);
}

void fullRepaint(benchmark::State& state) {
    const std::unique_ptr<VarnelPlugin> model = makeModel();
    OpenEditor open(*model, static_cast<float>(state.range(0)));
    gui::RootControl& root = open.ui->root();
    for (auto _ : state) {
        {
            gui::RootLockScope scope(root);
            root.invalidateRect(root.localRect());
        }
        open.ui->paint();
        benchmark::DoNotOptimize(open.ui->backBuffer().getPixels());
    }
    state.counters["scale"] = static_cast<double>(state.range(0));
}

void clearBackBuffer(benchmark::State& state) {
    const std::unique_ptr<VarnelPlugin> model = makeModel();
    OpenEditor open(*model, static_cast<float>(state.range(0)));
    gui::Bitmap& buffer = open.ui->backBuffer();
    for (auto _ : state) {
        buffer.clear();
        benchmark::DoNotOptimize(buffer.getPixels());
    }
    state.counters["scale"] = static_cast<double>(state.range(0));
}

} // namespace

BENCHMARK(openToFirstFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(fullRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(clearBackBuffer)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
