// A whole editor repaint, drawn by the software back end into a bitmap and by
// the OpenGL renderer on Mesa's llvmpipe (offscreen pbuffer), side by side in
// one run. The scene stands in for the editor at 926 x 514 logical units: a
// background, about 60 bitmap controls at mixed opacities, 20 text-sized
// bitmaps, 4 two-layer faded curves, 2 level fills, 20 lines, 10 gradients;
// the whole root is dirty in every frame, at backing scales 1.0 and 2.0.
//
// Reported per case: frames/s and Mpixel/s of the repaint (device pixels of
// the whole root), and for OpenGL the texture binds per frame.
//   SoftwareRepaint      a full repaint into the bitmap
//   OpenGLRepaint        setViewport, the scene, glFinish
//   OpenGLFirstFrame     the same after every texture was deleted (all uploads)
//   SoftwareChangedRect  one control changes; only its rect repainted (Mpixel/s of that rect)
//   OpenGLChangedRect    one control's bitmap changes in one rect; the whole root
//                        redrawn (frames are whole-root) with one partial upload
// The core count is printed first (llvmpipe draws with a thread per core).
// There is no goal: the figures say where accelerated drawing pays on this
// machine. A change of bound texture costs llvmpipe far more than a draw with
// the same texture, so the binds per frame matter.
//
// Run: build/linux/bench/render_bench (warms up for a few seconds first).

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Curve.h"
#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/GLContext.h"
#include "gui/Gradient.h"
#include "gui/OpenGLRenderer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace gui;

constexpr float kWidth = 926.0f;
constexpr float kHeight = 514.0f;
constexpr int kControlKinds = 6;
constexpr int kControls = 60;
constexpr int kTextKinds = 4;
constexpr int kTexts = 20;

class Wave : public ICurve {
public:
    Wave(float centre, float amplitude, float frequency) : c_(centre), a_(amplitude), f_(frequency) {}
    float valueAt(float x) const override {
        return c_ + a_ * std::sin(x * f_) + 0.3f * a_ * std::sin(x * f_ * 3.1f);
    }

private:
    float c_, a_, f_;
};

// The scene's bitmaps and curves on one backing.
struct Scene {
    explicit Scene(float scale) {
        backing.setSystemScale(scale);
        background = std::make_unique<Bitmap>(backing);
        background->setSize(kWidth, kHeight);
        Gradient sky(Color(30, 34, 44), Color(60, 64, 80));
        background->getCanvas().fillGradient(sky, {0, 0, kWidth, kHeight}, Direction::kDown, 0.0f, 1.0f, 255);
        for (int i = 0; i < kControlKinds; ++i) {
            auto b = std::make_unique<Bitmap>(backing);
            b->setSize(48, 48);
            Canvas& c = b->getCanvas();
            Gradient face(Color(std::uint8_t(90 + 20 * i), 120, 160), Color(20, 24, 30, 200));
            c.fillGradient(face, {4, 4, 44, 44}, Direction::kDown, 0.0f, 1.0f, 255);
            c.fillRect({22, 6, 26, 24}, Color(240, 240, 240));
            controls.push_back(std::move(b));
        }
        for (int i = 0; i < kTextKinds; ++i) {
            auto b = std::make_unique<Bitmap>(backing);
            b->setSize(90, 14);
            Canvas& c = b->getCanvas();
            for (int g = 0; g < 12; ++g)
                c.fillRect({float(2 + 7 * g), float(3 + (g + i) % 3), float(7 + 7 * g), 12.0f},
                           Color(220, 220, 210, std::uint8_t(120 + 10 * g)));
            texts.push_back(std::move(b));
        }
        for (int i = 0; i < 8; ++i)
            waves.emplace_back(20.0f + 3.0f * float(i % 2) * 12.0f, 8.0f + float(i),
                               0.05f + 0.01f * float(i));
    }

    // The editor's repaint through one canvas.
    void paint(Canvas& c) {
        c.drawBitmap(*background, Point(0, 0), 255);
        for (int i = 0; i < kControls; ++i) {
            const float x = 20.0f + float(i % 15) * 58.0f, y = 60.0f + float(i / 15) * 64.0f;
            const int opacity = i % 3 == 0 ? 255 : (i % 3 == 1 ? 200 : 120);
            c.drawBitmap(*controls[std::size_t(i % kControlKinds)], Point(x, y), opacity);
        }
        for (int i = 0; i < kTexts; ++i)
            c.drawBitmap(*texts[std::size_t(i % kTextKinds)],
                         Point(20.0f + float(i % 10) * 90.0f, 20.0f + float(i / 10) * 18.0f), 255);
        for (int i = 0; i < 4; ++i) {
            CurveStyle style;
            style.colorAbove = Color(0, 0, 0, 0);
            style.colorBelow = Color(40, 120, 200, 90);
            style.layerCount = 2;
            style.layers[0] = {&waves[std::size_t(2 * i)],
                               Color(0, 0, 0, 0),
                               Color(250, 200, 80),
                               nullptr,
                               Color(250, 200, 80, 40),
                               1.5f,
                               1.0f};
            style.layers[1] = {&waves[std::size_t(2 * i + 1)],
                               Color(40, 120, 200, 60),
                               Color(120, 220, 250),
                               nullptr,
                               Color(40, 120, 200, 90),
                               1.0f,
                               1.0f};
            style.fadeGradient = &fade;
            c.drawCurve(style, Rect(20.0f + float(i) * 225.0f, 330, 230.0f + float(i) * 225.0f, 400), {0, 0});
        }
        c.drawColorized(gui::ICanvas::kColorizeColumn, waves[0], Rect(20, 410, 450, 440), {0, 0},
                        Color(80, 220, 120), Color(220, 80, 60), 0.0f);
        c.drawColorized(gui::ICanvas::kColorizeBand, waves[1], Rect(470, 410, 900, 440), {0, 0},
                        Color(80, 160, 250), Color(0, 0, 0, 0), 0.2f);
        for (int i = 0; i < 20; ++i) {
            const float x = 20.0f + float(i) * 44.0f;
            c.drawLine(Point(x, 450), Point(x + 30.0f, 450.0f + float(i % 5) * 12.0f),
                       Rect(0, 0, kWidth, kHeight), Color(200, 200, 200, 220), i % 2 == 0 ? 1.0f : 2.0f);
        }
        for (int i = 0; i < 10; ++i)
            c.fillGradient(meter, Rect(20.0f + float(i) * 90.0f, 490, 100.0f + float(i) * 90.0f, 506),
                           i % 2 == 0 ? Direction::kRight : Direction::kLeft, 0.0f, 1.0f, 230);
    }

    // One control's bitmap changes in one small rect (a knob turning).
    void changeOneControl(int frame) {
        controls[0]->getCanvas().fillRect({22, 6, 26, 24}, Color(240, std::uint8_t(frame & 0xFF), 240));
    }
    Rect changedControlRect() const { return {20, 60, 68, 108}; }

    DeviceBacking backing;
    std::unique_ptr<Bitmap> background;
    std::vector<std::unique_ptr<Bitmap>> controls;
    std::vector<std::unique_ptr<Bitmap>> texts;
    std::vector<Wave> waves;
    Gradient fade{Color(0, 0, 0, 255), Color(0, 0, 0, 255), 0.7f, Color(0, 0, 0, 0)};
    Gradient meter{Color(60, 200, 90), Color(240, 220, 60), 0.7f, Color(240, 60, 40)};
};

struct SoftwareTarget {
    explicit SoftwareTarget(Scene& scene) : bitmap(scene.backing) { bitmap.setSize(kWidth, kHeight); }
    Bitmap bitmap;
};

struct OpenGLTarget {
    explicit OpenGLTarget(Scene& scene, Bitmap& sizeLike) {
        width = sizeLike.pixelWidth();
        height = sizeLike.pixelHeight();
        std::string error;
        context = GLContext::createOffscreen(width, height, nullptr, &error);
        if (context == nullptr || !context->makeCurrent()) {
            failure = "no OpenGL context: " + error;
            return;
        }
        renderer = std::make_unique<OpenGLRenderer>(scene.backing, *context);
        if (!renderer->initialize()) {
            failure = "the renderer refuses the driver";
            renderer.reset();
            return;
        }
        canvas.setTarget(renderer.get());
        canvas.clip.setValue(Rect(0, 0, kWidth, kHeight));
    }
    ~OpenGLTarget() {
        renderer.reset();
        if (context != nullptr) context->release();
    }
    void frame(Scene& scene) {
        renderer->setViewport({0, 0, width, height});
        scene.paint(canvas);
        glFinish();
    }

    int width = 0;
    int height = 0;
    std::unique_ptr<GLContext> context;
    std::unique_ptr<OpenGLRenderer> renderer;
    Canvas canvas;
    std::string failure;
};

float scaleOf(const benchmark::State& state) {
    return float(state.range(0)) / 100.0f;
}

void setRates(benchmark::State& state, std::int64_t pixels) {
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

void SoftwareRepaint(benchmark::State& state) {
    Scene scene(scaleOf(state));
    SoftwareTarget target(scene);
    for (auto _ : state) {
        scene.paint(target.bitmap.getCanvas());
        benchmark::DoNotOptimize(target.bitmap.getPixels());
    }
    setRates(state, std::int64_t(target.bitmap.pixelWidth()) * target.bitmap.pixelHeight());
}

void SoftwareChangedRect(benchmark::State& state) {
    Scene scene(scaleOf(state));
    SoftwareTarget target(scene);
    int frame = 0;
    for (auto _ : state) {
        scene.changeOneControl(frame++);
        Canvas& c = target.bitmap.getCanvas();
        c.clip.setValue(scene.changedControlRect());
        scene.paint(c);
        benchmark::DoNotOptimize(target.bitmap.getPixels());
    }
    // Only the control's rect is repainted.
    const Rect r = scene.changedControlRect();
    const double s = scene.backing.getScale();
    setRates(state, std::int64_t(std::lround(r.width() * s) * std::lround(r.height() * s)));
}

enum class GLCase { kRepaint, kFirstFrame, kChangedRect };

void OpenGLFrames(benchmark::State& state, GLCase which) {
    Scene scene(scaleOf(state));
    SoftwareTarget sizes(scene);
    OpenGLTarget target(scene, sizes.bitmap);
    if (target.renderer == nullptr) {
        state.SkipWithError(target.failure.c_str());
        return;
    }
    target.frame(scene); // textures made
    target.renderer->resetTextureBinds();
    int frame = 0;
    for (auto _ : state) {
        if (which == GLCase::kFirstFrame) {
            state.PauseTiming();
            target.renderer->deleteAllTextures();
            glFinish();
            state.ResumeTiming();
        } else if (which == GLCase::kChangedRect) {
            scene.changeOneControl(frame);
        }
        ++frame;
        target.frame(scene);
    }
    setRates(state, std::int64_t(target.width) * target.height);
    state.counters["binds/frame"] = double(target.renderer->textureBinds()) / double(std::max(frame, 1));
}

void OpenGLRepaint(benchmark::State& state) {
    OpenGLFrames(state, GLCase::kRepaint);
}
void OpenGLFirstFrame(benchmark::State& state) {
    OpenGLFrames(state, GLCase::kFirstFrame);
}
void OpenGLChangedRect(benchmark::State& state) {
    OpenGLFrames(state, GLCase::kChangedRect);
}

// Both back ends draw for a few seconds first: clocks, caches and llvmpipe's
// threads settle.
void warmUp(double seconds) {
    Scene scene(1.0f);
    SoftwareTarget software(scene);
    OpenGLTarget gl(scene, software.bitmap);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        scene.paint(software.bitmap.getCanvas());
        if (gl.renderer != nullptr) gl.frame(scene);
    }
}

void scales(benchmark::internal::Benchmark* b) {
    // llvmpipe draws on its own threads: rates are per wall-clock second.
    b->Arg(100)
        ->Arg(200)
        ->ArgName("scale%")
        ->Unit(benchmark::kMillisecond)
        ->MinWarmUpTime(0.5)
        ->UseRealTime();
}

BENCHMARK(SoftwareRepaint)->Apply(scales);
BENCHMARK(OpenGLRepaint)->Apply(scales);
BENCHMARK(OpenGLFirstFrame)->Apply(scales);
BENCHMARK(SoftwareChangedRect)->Apply(scales);
BENCHMARK(OpenGLChangedRect)->Apply(scales);

} // namespace

int main(int argc, char** argv) {
    std::printf("cores: %u\n", std::thread::hardware_concurrency());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    warmUp(3.0);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
