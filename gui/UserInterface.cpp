#include "gui/UserInterface.h"

#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/PNGFiler.h"
#include "gui/Timer.h"

#include <algorithm>
#include <cmath>

namespace gui {

UserInterface::UserInterface(IntervalTimer::Clock clock)
    : accelerated(this, false), acceptDroppedFiles(this, false),
      bitmapResources_(std::make_unique<BitmapResourceList>(&deviceBacking_)),
      channel_(std::make_shared<MessageChannel>(*this)),
      clock_(clock ? std::move(clock) : IntervalTimer::Clock(systemMilliseconds)),
      intervalClock_(IntervalTimer::create(clock_)), guiThread_(std::this_thread::get_id()) {
    // The image formats its bitmaps read.
    registerPngFilerFactory();
    deviceBacking_.addBackingScaleListener(this);
}

void UserInterface::beginDestruction() {
    destroying_ = true;
    channel_->userInterfaceDestroyed();
}

void UserInterface::propertyChanged(AbstractProperty& property) {
    // Frame-driven timers move between the window and the render loop.
    if (&property == &accelerated) restartTimers();
}

std::string UserInterface::modifierName(int mask) const {
    switch (mask) {
    case kCtrl:
        return "Ctrl";
    case kShift:
        return "Shift";
    case kAlt:
        return "Alt";
    default:
        return {};
    }
}

void UserInterface::setHelpHint(const std::string& text) {
    if (!helpHintsEnabled_) return;
    if (helpHintTimer_ == nullptr) {
        helpHintTimer_ = createTimer();
        helpHintTimer_->interval.setValue(kHelpHintInterval);
        helpHintTimer_->tickEvent.setHandler(NotifyEvent::bind(this, &UserInterface::helpHintTick));
        // A platform that deletes its timers itself must not leave it dangling here.
        helpHintTimer_->destroyEvent.addHandler(NotifyEvent::bind([this] { helpHintTimer_ = nullptr; }));
    }
    const bool wasShowing = !helpHintText_.empty();
    helpHintText_ = text;
    if (!text.empty()) {
        if (wasShowing && !helpHintTimer_->enabled.getValue()) {
            channel_->notifyHelpHint(text);
        } else {
            helpHintTimer_->enabled.setValue(false);
            helpHintTimer_->enabled.setValue(true);
        }
        return;
    }
    helpHintTimer_->enabled.setValue(false);
    if (wasShowing) channel_->notifyHelpHint(text);
}

void UserInterface::helpHintTick() {
    helpHintTimer_->enabled.setValue(false);
    auto channel = channel_;
    channel->notifyHelpHint(helpHintText_);
}

void UserInterface::setTouchHoldTimer(bool running) {
    if (running) {
        if (touchHoldTimer_ == nullptr) {
            touchHoldTimer_ = createTimer();
            touchHoldTimer_->interval.setValue(kTouchHoldInterval);
            touchHoldTimer_->tickEvent.setHandler(NotifyEvent::bind(this, &UserInterface::touchHoldTick));
            touchHoldTimer_->destroyEvent.addHandler(
                NotifyEvent::bind([this] { touchHoldTimer_ = nullptr; }));
        }
        touchHoldTimer_->enabled.setValue(false);
        touchHoldTimer_->enabled.setValue(true);
    } else if (touchHoldTimer_ != nullptr) {
        touchHoldTimer_->enabled.setValue(false);
    }
}

bool UserInterface::postMessage(MessageTarget* target, int code, MessageList list) {
    return channel_->postMessage(target, code, list);
}

void UserInterface::removePostedMessages(MessageTarget* target) {
    channel_->removePostedMessages(target);
}

bool UserInterface::pushNotification(MessageList list, std::uint32_t code, std::uint32_t argument) {
    return channel_->push(list, code, argument);
}

void UserInterface::drainList(MessageList list) {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->drain(list);
}

void UserInterface::tick() {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->drain(kFrameList);
    channel->drain(kGuiList);
    if (channel->isAlive()) tickEvent.notify(this);
}

void UserInterface::addFrameTimer(Timer* timer) {
    if (timer != nullptr && !hasFrameTimer(timer)) frameTimers_.push_back(timer);
}

void UserInterface::removeFrameTimer(Timer* timer) {
    auto it = std::find(frameTimers_.begin(), frameTimers_.end(), timer);
    if (it == frameTimers_.end()) return;
    if (firingFrameTimers_ > 0)
        *it = nullptr; // compacted when the outermost firing ends
    else
        frameTimers_.erase(it);
}

bool UserInterface::hasFrameTimer(const Timer* timer) const {
    return timer != nullptr &&
           std::find(frameTimers_.begin(), frameTimers_.end(), timer) != frameTimers_.end();
}

void UserInterface::fireFrameTimers() {
    const std::shared_ptr<MessageChannel> channel = channel_;
    ++firingFrameTimers_;
    const std::size_t count = frameTimers_.size();
    for (std::size_t i = 0; i < count && channel->isAlive(); ++i)
        if (Timer* timer = frameTimers_[i]) timer->tick();
    if (!channel->isAlive()) return; // the user interface went with a handler
    if (--firingFrameTimers_ == 0) std::erase(frameTimers_, nullptr);
}

int UserInterface::registerTimer(InterfaceTimer* timer) {
    // Ids wrap past the largest int, skipping those the window uses itself.
    for (;;) {
        const int id = nextTimerId_;
        nextTimerId_ = id == 0x7FFFFFFF ? kFirstTimerId : id + 1;
        if (id < kFirstTimerId || timers_.count(id) != 0) continue;
        timers_[id] = timer;
        return id;
    }
}

void UserInterface::unregisterTimer(int id) {
    timers_.erase(id);
}

InterfaceTimer* UserInterface::timerById(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? nullptr : it->second;
}

void UserInterface::filesDropped(float x, float y, const std::string& path) {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->notifyFilesDropped(x, y, path);
}

Bitmap& UserInterface::backgroundBitmap() {
    if (!backgroundBitmap_) backgroundBitmap_ = std::make_unique<Bitmap>(deviceBacking_);
    return *backgroundBitmap_;
}

void UserInterface::setPlatformDelegate(std::unique_ptr<PlatformDelegate> delegate) {
    platformDelegate_ = std::move(delegate);
}

void UserInterface::registerComponent(Component* component) {
    components_.push_back(component);
}

void UserInterface::unregisterComponent(Component* component) {
    if (destroying_) {
        std::replace(components_.begin(), components_.end(), component, static_cast<Component*>(nullptr));
        return;
    }
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

} // namespace gui
