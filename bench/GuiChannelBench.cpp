// The editor's message channel and root painting.
//
// channelPush: nanoseconds per notification push while a GUI thread drains
// the queue every 10 ms under the root's lock, beside a bare lock-free queue
// push of the same record. The queue holds 65534 records: every 16384 pushes
// the pusher waits, untimed, for the next drain, so no push is dropped.
//
// rootPaint: a 926 x 514 root with 400 controls painted whole into its
// software back buffer at backing scales 1.0 and 2.0, in Mpixels/s.

#include "foundation/Lock.h"
#include "foundation/LockFreeQueue.h"
#include "gui/Control.h"
#include "gui/MessageChannel.h"
#include "gui/headless/HeadlessInterface.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

constexpr int kBurst = 16384;

void channelPush(benchmark::State& state) {
    gui::headless::HeadlessInterface ui;
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> drains{0};
    std::thread gui([&] {
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ScopedLock lock(ui.root());
            ui.drainList(gui::kFrameList);
            drains.fetch_add(1);
        }
    });
    std::uint32_t count = 0;
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (!ui.pushNotification(gui::kFrameList, count, 7)) ++failed;
        if (++count % kBurst == 0) {
            state.PauseTiming();
            const std::uint64_t seen = drains.load();
            while (drains.load() < seen + 1)
                std::this_thread::yield();
            state.ResumeTiming();
        }
    }
    stop = true;
    gui.join();
    state.counters["dropped"] = static_cast<double>(failed);
}

void barePush(benchmark::State& state) {
    LockFreeQueue<gui::MessageChannel::Signal> queue(gui::MessageChannel::kQueueNodes,
                                                     gui::MessageChannel::kQueueNodes);
    const gui::MessageChannel::Signal signal{gui::MessageChannel::Signal::kNotification, 0, 7};
    std::uint32_t count = 0;
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (!queue.push(signal)) ++failed;
        if (++count % kBurst == 0) {
            state.PauseTiming();
            gui::MessageChannel::Signal out;
            while (queue.pop(out)) {
            }
            state.ResumeTiming();
        }
    }
    state.counters["dropped"] = static_cast<double>(failed);
}

void rootPaint(benchmark::State& state) {
    const float scale = static_cast<float>(state.range(0)) / 10.0f;
    gui::headless::HeadlessInterface ui(926, 514);
    ui.setMonitorScale(scale);
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) {
            auto* control = new gui::Control(ui);
            control->setBoundsXYWH(3.0f + static_cast<float>(column) * 46.0f,
                                   2.0f + static_cast<float>(row) * 25.5f, 42, 22);
            control->backgroundColor.setValue(gui::Color(static_cast<std::uint8_t>(row * 12), 90,
                                                         static_cast<std::uint8_t>(column * 12),
                                                         row % 2 == 0 ? 255 : 180));
            control->parent.setValue(&ui.root());
        }
    }
    const gui::Rect whole = ui.root().localRect();
    for (auto _ : state) {
        ui.root().addDirtyRect(whole);
        ui.paint();
    }
    const double pixels = double(ui.backBuffer().pixelWidth()) * double(ui.backBuffer().pixelHeight());
    state.counters["Mpixels/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["scale"] = ui.deviceBacking().getScale();
}

BENCHMARK(channelPush)->UseRealTime();
BENCHMARK(barePush);
BENCHMARK(rootPaint)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
