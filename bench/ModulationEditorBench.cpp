// The modulation editor: how long the refresh after one slot parameter
// changed takes, in microseconds (no goal; it runs on every drag step of a
// slot's control).
//
// slotParameterRefresh: the effect's model with 24 slots in use, slot
// panels in a scroll strip, a source filter on XLFO 1 and, for argument 40,
// 40 knobs bound as targets with their indicators; one refresh of slot 5's
// level. Argument 0 is the same refresh without indicators, the yardstick.

#include "bench/BenchSupport.h"
#include "effect/VarnelPlugin.h"
#include "gui/ValueControl.h"
#include "gui/headless/HeadlessInterface.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "modulation_editor/ModulationIndicatorManager.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SlotInterface.h"
#include "modulation_editor/SourceSlotController.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int32_t kSlots = 24;
constexpr int32_t kFirstXLFOSource = 8;

class BenchInterface : public ModulationMatrixPluginInterface {
public:
    using ModulationMatrixPluginInterface::ModulationMatrixPluginInterface;
    gui::DragStage* createDragStage(uint32_t) override { return nullptr; }
};

class BenchSlotPanel : public SlotInterface {
public:
    BenchSlotPanel(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface)
        : SlotInterface(userInterface, interface) {
        for (int32_t role : {kTarget, kLevel, kBypass, kInvert}) {
            auto* control = new gui::ValueControl(userInterface);
            control->setBoundsXYWH(static_cast<float>(role) * 20.0f, 0.0f, 20.0f, 20.0f);
            setSlotControl(role, control);
        }
    }
};

void slotParameterRefresh(benchmark::State& state) {
    bench::useTemporaryFolders("varnel-modulation-bench");
    const auto indicators = static_cast<int32_t>(state.range(0));
    VarnelPlugin model("VarnelModulationBench");
    gui::headless::HeadlessInterface ui(926.0f, 514.0f, 1000);
    {
        BenchInterface editor(ui, model);
        SourceSlotController slots(editor);
        auto* strip = new ModulationScrollStrip(ui, editor);
        strip->setBoundsXYWH(0, 300, 900, 200);
        strip->parent.setValue(&ui.root());
        slots.setStrip(strip);
        slots.setPanelFactory([&] { return new BenchSlotPanel(ui, editor); });
        std::unique_ptr<ModulationIndicatorManager> manager;
        if (indicators > 0) manager = std::make_unique<ModulationIndicatorManager>(editor, slots);
        if (manager) {
            gui::Bitmap& face = manager->style().stateBitmap(0);
            face.setSize(8, 6);
            face.fillRect(face.getRect(), gui::Color(200, 200, 200, 255));
            manager->style().updateSizeFromBitmaps();
        }
        auto* panel = new gui::Control(ui);
        panel->setBoundsXYWH(0, 0, 900, 300);
        panel->parent.setValue(&ui.root());
        for (int32_t k = 0; k < indicators; ++k) {
            auto* knob = new gui::ValueControl(ui);
            knob->setBoundsXYWH(static_cast<float>(k % 10) * 60.0f, static_cast<float>(k / 10) * 60.0f, 40,
                                40);
            knob->parent.setValue(panel);
            editor.linkControl(model.getParameter(k), knob, static_cast<uint32_t>(k));
        }
        ModulationMatrixController& c = editor.matrixController();
        model.slots.getNumActiveParameter().setValue(static_cast<float>(kSlots), 0);
        for (int32_t s = 0; s < kSlots; ++s) {
            c.setSource(s, kFirstXLFOSource + s % 6);
            c.setTarget(s, s % 40);
            c.setLevel(s, c.neutralLevel.getValue());
        }
        slots.setSourceFilter(kFirstXLFOSource, 1);
        const int32_t level = model.slots.getSet(5)->level.getIndex();
        for (auto _ : state) {
            slots.refreshSlots(level);
            benchmark::ClobberMemory();
        }
        state.counters["listed"] = slots.listedCount();
        manager.reset();
        editor.prepareForClosing();
    }
}

} // namespace

BENCHMARK(slotParameterRefresh)->Arg(0)->Arg(40)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
