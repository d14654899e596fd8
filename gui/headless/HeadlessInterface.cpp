#include "gui/headless/HeadlessInterface.h"

#include "gui/InterfaceTimer.h"
#include "gui/RootLockScope.h"
#include "gui/headless/HeadlessClipboard.h"
#include "gui/headless/HeadlessPlatformDelegate.h"

namespace gui::headless {

HeadlessInterface::HeadlessInterface(float width, float height, std::uint32_t startTime)
    : HeadlessInterface(width, height, std::make_shared<std::atomic<std::uint32_t>>(startTime)) {}

HeadlessInterface::HeadlessInterface(float width, float height,
                                     std::shared_ptr<std::atomic<std::uint32_t>> time)
    : UserInterface([time] { return time->load(); }), time_(std::move(time)), root_(nullptr),
      clipboardChanges_(HeadlessClipboard::changeCount()) {
    setPlatformDelegate(std::make_unique<HeadlessPlatformDelegate>(*this));
    root_ = new HeadlessRootControl(*this);
    root_->setBounds(Rect(0.0f, 0.0f, width, height));
    // The window's own timer: the frame list, the GUI list and the tick event.
    root_->startTimer(kTickTimerId, kTickInterval);
}

HeadlessInterface::~HeadlessInterface() {
    beginDestruction();
    root_->deleteChildren();
    delete root_;
    root_ = nullptr;
}

Timer* HeadlessInterface::createTimer() {
    return new InterfaceTimer(*this);
}

void HeadlessInterface::setMonitorScale(float scale) {
    RootLockScope scope(*root_);
    deviceBacking().setSystemScale(scale);
}

bool HeadlessInterface::advance(std::uint32_t milliseconds) {
    const std::shared_ptr<MessageChannel> channel = channelReference();
    const std::uint32_t end = time() + milliseconds;
    for (;;) {
        // The earliest due timer not later than the end (ties: the lower id).
        int id = 0;
        std::uint32_t due = 0;
        for (const auto& [timerId, timer] : root_->runningTimers()) {
            const auto ahead = static_cast<std::int32_t>(timer.due - time());
            if (ahead < 0 || static_cast<std::uint32_t>(ahead) > end - time()) continue;
            if (id == 0 || static_cast<std::int32_t>(timer.due - due) < 0) {
                id = timerId;
                due = timer.due;
            }
        }
        if (id == 0) break;
        time_->store(due);
        root_->timerFired(id);
        fire(id);
        if (!channel->isAlive()) return false;
    }
    time_->store(end);
    return true;
}

void HeadlessInterface::fire(int id) {
    RootLockScope scope(*root_);
    if (id == kTickTimerId)
        windowTick();
    else
        fireTimer(id);
}

void HeadlessInterface::windowTick() {
    const std::shared_ptr<MessageChannel> channel = channelReference();
    const std::uint64_t changes = HeadlessClipboard::changeCount();
    if (changes != clipboardChanges_) {
        clipboardChanges_ = changes;
        clipboardChangedEvent.notify(this);
        if (!channel->isAlive()) return;
    }
    tick();
}

void HeadlessInterface::paint() {
    RootLockScope scope(*root_);
    if (!painted_) {
        painted_ = true;
        drainList(kFrameList);
        if (!scope.alive()) return;
    }
    root_->paint(root_->backBuffer());
}

void HeadlessInterface::mouseDown(int button, const Point& point, int modifiers) {
    RootLockScope scope(*root_);
    root_->handleMouseDown(button, point, modifiers);
}

void HeadlessInterface::mouseMove(const Point& point, int modifiers) {
    RootLockScope scope(*root_);
    root_->handleMouseMove(point, modifiers);
}

void HeadlessInterface::mouseUp(int button, const Point& point, int modifiers) {
    RootLockScope scope(*root_);
    root_->handleMouseUp(button, point, modifiers);
}

bool HeadlessInterface::mouseWheel(const Point& point, int modifiers, const Point& speed,
                                   const Point& distance, float factor) {
    RootLockScope scope(*root_);
    return root_->handleMouseWheel(point, modifiers, speed, distance, factor);
}

} // namespace gui::headless
