// Software drawing speed on 1-Mpixel bitmaps (1024 x 1024), in Mpixel/s
// (items per second), beside a memcpy of the same bytes in the same run.
// The row kernels run both as SSE2 lanes and as their scalar twin (the goal:
// lanes at least 3 x scalar for the blends); the bitmap operations and the
// resamplers run as the product runs them.

#include "gui/Bitmap.h"
#include "gui/BitmapResampler.h"
#include "gui/PixelRows.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 1024;
constexpr std::int64_t kPixels = std::int64_t(kSide) * kSide;

std::vector<std::uint32_t> premultipliedNoise(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint32_t> pixels(count);
    for (auto& p : pixels) {
        seed = seed * 1664525u + 1013904223u;
        std::uint32_t a = seed >> 24, scale = a;
        auto c = [&](int shift) { return (((seed >> shift) & 0xFF) * scale / 255); };
        p = c(0) | c(8) << 8 | c(16) << 16 | (255 - a) << 24;
    }
    return pixels;
}

void setItems(benchmark::State& state, std::int64_t pixels) {
    state.SetItemsProcessed(std::int64_t(state.iterations()) * pixels);
}

void Memcpy(benchmark::State& state) {
    std::vector<std::uint32_t> from = premultipliedNoise(kPixels, 1), to(kPixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * 4);
        benchmark::ClobberMemory();
    }
    setItems(state, kPixels);
}

template <class Rows> void BlendRows(benchmark::State& state) {
    std::vector<std::uint32_t> from = premultipliedNoise(kPixels, 1), to = premultipliedNoise(kPixels, 2);
    const int opacity = int(state.range(0));
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y) {
            std::uint32_t* d = to.data() + y * kSide;
            const std::uint32_t* s = from.data() + y * kSide;
            if (opacity == 255)
                Rows::blend(d, s, kSide);
            else
                Rows::blendWithOpacity(d, s, kSide, opacity);
        }
        benchmark::ClobberMemory();
    }
    setItems(state, kPixels);
}

template <class Rows> void FillRows(benchmark::State& state) {
    std::vector<std::uint32_t> to = premultipliedNoise(kPixels, 2);
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y)
            Rows::fill(to.data() + y * kSide, 0x7F402010u, kSide);
        benchmark::ClobberMemory();
    }
    setItems(state, kPixels);
}

template <class Rows> void CrossFadeRows(benchmark::State& state) {
    std::vector<std::uint32_t> a = premultipliedNoise(kPixels, 1), b = premultipliedNoise(kPixels, 2),
                               to(kPixels);
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y)
            Rows::crossFade(to.data() + y * kSide, a.data() + y * kSide, b.data() + y * kSide, kSide, 100);
        benchmark::ClobberMemory();
    }
    setItems(state, kPixels);
}

using Sse = gui::PixelRows<gui::pixel_lanes::Sse>;
using Scalar = gui::PixelRows<gui::pixel_lanes::Scalar>;

struct Bitmaps {
    gui::DeviceBacking backing;
    gui::Bitmap source{backing}, target{backing};
    Bitmaps() {
        for (gui::Bitmap* b : {&source, &target}) {
            b->resize(kSide, kSide);
            std::vector<std::uint32_t> noise = premultipliedNoise(kPixels, b == &source ? 3u : 4u);
            std::memcpy(b->getPixels(), noise.data(), noise.size() * 4);
        }
    }
};

void DrawBitmap(benchmark::State& state) {
    Bitmaps b;
    for (auto _ : state)
        b.target.drawBitmap(b.source, {0, 0, kSide, kSide}, {0, 0}, int(state.range(0)));
    setItems(state, kPixels);
}

void FillRectTranslucent(benchmark::State& state) {
    Bitmaps b;
    for (auto _ : state)
        b.target.fillRect({0, 0, kSide, kSide}, gui::Color(200, 100, 50, 128));
    setItems(state, kPixels);
}

void Composite(benchmark::State& state) {
    Bitmaps b;
    gui::Bitmap out(b.backing);
    for (auto _ : state)
        out.composite(b.source, b.target, 100);
    setItems(state, kPixels);
}

void DrawRotated(benchmark::State& state) {
    Bitmaps b;
    for (auto _ : state)
        b.target.drawRotated(b.source, 0.7f);
    setItems(state, kPixels);
}

// Resampling from 1 Mpixel; figures are destination pixels.
void Resample(benchmark::State& state) {
    std::vector<std::uint32_t> from = premultipliedNoise(kPixels, 5);
    const int kind = int(state.range(0));
    const double ratios[] = {0.5, 1.5, 0.625, 1.25, 0.9};
    const char* const labels[] = {"halving", "1.5", "5:8", "5:4", "nearest"};
    const int side = int(std::floor(kSide * ratios[kind] + 0.7));
    std::vector<std::uint32_t> to(std::size_t(side) * std::size_t(side));
    gui::resample::Block in{from.data(), kSide, kSide};
    gui::resample::Target out{to.data(), side, side};
    for (auto _ : state) {
        switch (kind) {
        case 0:
            gui::resample::halve(in, out);
            break;
        case 1:
            gui::resample::threeHalves(in, out);
            break;
        case 2:
            gui::resample::edgeAware(in, out, gui::resample::Ratio::k5to8);
            break;
        case 3:
            gui::resample::edgeAware(in, out, gui::resample::Ratio::k5to4);
            break;
        default:
            gui::resample::nearest(in, out);
            break;
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(labels[kind]);
    setItems(state, std::int64_t(side) * side);
}

BENCHMARK(Memcpy);
BENCHMARK(BlendRows<Sse>)->Arg(255)->Arg(128);
BENCHMARK(BlendRows<Scalar>)->Arg(255)->Arg(128);
BENCHMARK(FillRows<Sse>);
BENCHMARK(FillRows<Scalar>);
BENCHMARK(CrossFadeRows<Sse>);
BENCHMARK(CrossFadeRows<Scalar>);
BENCHMARK(DrawBitmap)->Arg(255)->Arg(128);
BENCHMARK(FillRectTranslucent);
BENCHMARK(Composite);
BENCHMARK(DrawRotated);
BENCHMARK(Resample)->DenseRange(0, 4);

} // namespace

BENCHMARK_MAIN();
