// The control tree: rendering about 2000 nested controls through a back end
// that only counts calls, and a burst of property changes under holds.
// Figures are nanoseconds per control (no audio yardstick: nothing here runs
// on the audio path).

#include "gui/Canvas.h"
#include "gui/Control.h"
#include "gui/DeviceBacking.h"
#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

class CountingBackEnd : public gui::ICanvas {
public:
    void drawBitmap(const gui::IBitmap&, const gui::Rect&, const gui::Point&, int) override { ++calls; }
    void drawBitmapMasked(const gui::IBitmap&, const gui::Rect&, const gui::Point&, const gui::IBitmap&,
                          const gui::Point&, int) override {
        ++calls;
    }
    void drawCurve(const gui::CurveStyle&, const gui::Rect&, const gui::Rect&, const gui::Point&,
                   gui::Orientation, int) override {
        ++calls;
    }
    void drawColorized(int, const gui::ICurve&, const gui::Rect&, const gui::Rect&, const gui::Point&,
                       gui::Color, gui::Color, float) override {
        ++calls;
    }
    void fillGradient(const gui::IGradient&, const gui::Rect&, gui::Direction, float, float, int) override {
        ++calls;
    }
    void drawLine(const gui::Rect&, const gui::Point&, const gui::Point&, gui::Color, float) override {
        ++calls;
    }
    void fillRect(const gui::Rect&, gui::Color) override { ++calls; }
    gui::DeviceBacking* getDeviceBacking() override { return &backing; }
    gui::Color getPixel(const gui::Point&) override { return {}; }
    void setPixel(const gui::Point&, gui::Color) override { ++calls; }
    void prepare(const gui::Rect&) override {}

    gui::DeviceBacking backing;
    long calls = 0;
};

class BenchInterface : public gui::UserInterface {
public:
    BenchInterface() : root_(new gui::RootControl(*this)) {}
    ~BenchInterface() override {
        beginDestruction();
        root_->deleteChildren();
        delete root_;
    }
    gui::RootControl* rootControl() override { return root_; }
    void* nativeWindow() override { return nullptr; }
    bool isActive() override { return true; }
    // Nothing here animates: a timer that never fires.
    gui::Timer* createTimer() override { return new gui::Timer(); }
    gui::RootControl& root() { return *root_; }

private:
    gui::RootControl* root_;
};

// 8 panels of 8 groups of 31 controls: 2048 controls below the root.
std::vector<gui::Control*> buildTree(BenchInterface& ui) {
    std::vector<gui::Control*> all;
    ui.root().setBounds({0, 0, 1200, 800});
    for (int p = 0; p < 8; ++p) {
        auto* panel = new gui::Control(ui);
        panel->setBoundsXYWH(static_cast<float>(p % 4) * 300.0f, static_cast<float>(p / 4) * 400.0f, 290,
                             390);
        panel->backgroundColor.setValue(gui::Color(30, 30, 30));
        panel->parent.setValue(&ui.root());
        all.push_back(panel);
        for (int g = 0; g < 8; ++g) {
            auto* group = new gui::Control(ui);
            group->setBoundsXYWH(5, 5.0f + static_cast<float>(g) * 48.0f, 280, 45);
            group->parent.setValue(panel);
            all.push_back(group);
            for (int c = 0; c < 30; ++c) {
                auto* control = new gui::Control(ui);
                control->setBoundsXYWH(static_cast<float>(c) * 9.2f + 0.3f, 2.5f, 8.5f, 40);
                control->backgroundColor.setValue(
                    gui::Color(200, 100, static_cast<std::uint8_t>(c * 8), 200));
                control->opacity.setValue(230);
                control->parent.setValue(group);
                all.push_back(control);
            }
        }
    }
    return all;
}

void renderTree(benchmark::State& state) {
    BenchInterface ui;
    const std::vector<gui::Control*> all = buildTree(ui);
    CountingBackEnd backEnd;
    backEnd.backing.setSystemScale(1.5f);
    gui::Canvas canvas(&backEnd);
    for (auto _ : state) {
        canvas.clip.setValue(ui.root().localRect());
        canvas.opacity.setValue(255);
        ui.root().render(canvas);
    }
    benchmark::DoNotOptimize(backEnd.calls);
    state.counters["ns/control"] =
        benchmark::Counter(static_cast<double>(all.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void propertyBurst(benchmark::State& state) {
    BenchInterface ui;
    const std::vector<gui::Control*> all = buildTree(ui);
    float offset = 0.0f;
    for (auto _ : state) {
        offset = offset > 10.0f ? 0.0f : offset + 0.5f;
        for (gui::Control* control : all) {
            UpdatedObject::Hold hold(*control);
            control->setX(control->bounds.getValue().left + (offset > 5.0f ? -0.5f : 0.5f));
            control->opacity.setValue(control->opacity.getValue() == 230 ? 229 : 230);
            control->backgroundColor.setValue(gui::Color(1, 2, 3, offset > 5.0f ? 100 : 101));
        }
        ui.root().clearDirtyRect();
    }
    state.counters["ns/control"] =
        benchmark::Counter(static_cast<double>(all.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(renderTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(propertyBurst)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
