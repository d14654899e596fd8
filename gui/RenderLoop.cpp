#include "gui/RenderLoop.h"

#include "gui/RootControl.h"
#include "gui/UserInterface.h"

#include <cmath>

namespace gui {

RenderLoop::RenderLoop(RootControl& root, RenderPlatform& platform, Client& client,
                       std::uint32_t accelerationMode)
    : root_(root), platform_(platform), client_(client), accelerationMode_(accelerationMode) {
    wake_ = platform_.createEvent();
    if (wake_ != nullptr) frame_ = platform_.createEvent();
}

RenderLoop::~RenderLoop() {
    stop(StopRequest::kDelete);
}

bool RenderLoop::start() {
    if (thread_ != nullptr) return true;
    if (!isUsable()) return false;
    finished_.store(false);
    lost_.store(false);
    thread_ = platform_.startThread([this] { run(); });
    return thread_ != nullptr;
}

void RenderLoop::stop(StopRequest request) {
    if (thread_ == nullptr) return;
    request_.store(request);
    wake_->set();
    thread_->join();
    thread_.reset();
    wake_->reset();
    request_.store(StopRequest::kRun);
}

void RenderLoop::beginResize() {
    if (resizeDepth_++ == 0 && wake_ != nullptr) wake_->set();
}

void RenderLoop::endResize() {
    if (--resizeDepth_ != 0 || !isUsable()) return;
    // The render thread itself cannot wait for its own frame.
    if (thread_ != nullptr && renderThread_.load() != std::this_thread::get_id()) {
        // Reset before looking at finished_: a thread that ends after the
        // look sets the event after the reset.
        frame_->reset();
        if (!finished_.load()) {
            const int depth = root_.releaseLock();
            // A caller that still holds the lock would wait for a pass that
            // cannot take it; that pass comes once the lock is free.
            if (!root_.heldByCurrentThread()) frame_->wait(RenderPlatform::kForever);
            root_.reacquireLock(depth);
        }
    }
    wake_->reset();
}

void RenderLoop::run() {
    renderThread_.store(std::this_thread::get_id());
    client_.renderThreadStarted();
    RenderPlatform::CompositorTiming timing;
    const bool compositor = platform_.compositorTiming(timing);
    pacing_ = choosePacing(accelerationMode_, compositor ? &timing : nullptr);
    double lastVblank = pacing_.compositor ? timing.vblankTime : 0.0;
    double deadline = 0.0; // the first pass does not wait for the blank to move
    int counter = 0;
    int failures = 0;
    bool lost = false;
    while (!stopRequested()) {
        double drawingTime = 0.0;
        double swapTime = 0.0;
        double spare = 0.0;
        if (client_.makeCurrent()) {
            failures = 0;
            const double begin = platform_.now();
            bool drew = false;
            if (counter >= pacing_.skip) {
                drew = drawingPass();
                counter = 0;
            } else {
                platform_.sleep(1);
                ++counter;
            }
            drawingTime = platform_.now() - begin;
            const bool swap = pacing_.compositor ? alignToVblank(lastVblank, deadline, spare) : true;
            const double swapBegin = platform_.now();
            if (drew && swap && !client_.swapBuffers()) lost = true;
            client_.releaseCurrent();
            swapTime = platform_.now() - swapBegin;
        } else {
            frame_->set();
            if (++failures >= kLostContextPasses) lost = true;
        }
        if (lost) break;
        wake_->wait(frameWait(pacing_, drawingTime, swapTime, spare));
    }
    client_.renderThreadEnding(request_.load());
    renderThread_.store(std::thread::id());
    lost_.store(lost);
    finished_.store(true);
    frame_->set();
    if (lost) client_.contextLost();
}

bool RenderLoop::drawingPass() {
    while (!root_.tryEnter()) {
        if (stopRequested()) {
            frame_->set();
            return false;
        }
        platform_.sleep(kLockRetry);
    }
    UserInterface& ui = root_.userInterface();
    ui.drainList(kFrameList);
    ui.fireFrameTimers();
    bool drew = false;
    if (!root_.getDirtyRect().isEmpty() && !root_.isPaused() && client_.isVisible()) {
        client_.drawFrame();
        root_.clearDirtyRect();
        drew = true;
    }
    frame_->set();
    root_.unlock();
    return drew;
}

bool RenderLoop::alignToVblank(double& lastVblank, double& deadline, double& spare) {
    bool swap = true;
    RenderPlatform::CompositorTiming timing;
    if (!platform_.compositorTiming(timing)) return swap;
    // Until the blank has moved since the last pass, or the deadline passed.
    for (int tries = 0; tries < kVblankTries && timing.vblankTime == lastVblank; ++tries) {
        if (platform_.now() > deadline) break;
        if (wake_->wait(1)) swap = false;
        if (!platform_.compositorTiming(timing)) return swap;
    }
    lastVblank = timing.vblankTime;
    const double period = std::fabs(timing.refreshPeriod - pacing_.framePeriod) > kPeriodTolerance
                              ? pacing_.framePeriod
                              : timing.refreshPeriod;
    // A blank that lies ahead (the next one) is moved back by whole periods.
    double vblank = timing.vblankTime;
    if (const double now = platform_.now(); vblank > now)
        vblank -= std::ceil((vblank - now) / period) * period;
    for (int tries = 0; tries < kMarginTries; ++tries) {
        const double since = platform_.now() - vblank;
        if (since > pacing_.margin) {
            if (tries == 0 && since - pacing_.margin > kSpareThreshold) spare = since - pacing_.margin;
            break;
        }
        if (wake_->wait(1)) swap = false;
    }
    deadline = vblank + kDeadlinePeriods * period;
    return swap;
}

} // namespace gui
