#include "gui/UserInterface.h"

#include "gui/Bitmap.h"
#include "gui/InterfaceTimer.h"
#include "gui/PNGFiler.h"
#include "gui/PlatformDelegate.h"
#include "gui/RootControl.h"
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

UserInterface::~UserInterface() {
    beginDestruction();
    deviceBacking_.removeBackingScaleListener(this);
    // Timers the platform made and nobody deleted go with the user interface;
    // each leaves the table itself.
    while (!timers_.empty())
        delete timers_.begin()->second;
    delete helpHintTimer_;
    delete touchHoldTimer_;
}

void UserInterface::beginDestruction() {
    destroying_ = true;
    channel_->userInterfaceDestroyed();
}

void UserInterface::propertyChanged(AbstractProperty&) {}

std::string UserInterface::modifierName(int mask) const {
    switch (mask) {
    case 4:
        return "Ctrl";
    case 1:
        return "Shift";
    case 2:
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
        }
        touchHoldTimer_->enabled.setValue(false);
        touchHoldTimer_->enabled.setValue(true);
    } else if (touchHoldTimer_ != nullptr) {
        touchHoldTimer_->enabled.setValue(false);
    }
}

void UserInterface::touchHoldTick() {
    touchHoldTimer_->enabled.setValue(false);
    if (RootControl* root = rootControl()) {
        Control* target = root->getEventTarget();
        target->mouseDoubleClick(target->pressPoint());
    }
}

bool UserInterface::postMessage(Component* target, int code, int list) {
    return channel_->postMessage(target, code, list);
}

void UserInterface::removePostedMessages(Component* component) {
    channel_->removePostedMessages(component);
}

bool UserInterface::pushNotification(int list, std::uint32_t code, std::uint32_t argument) {
    return channel_->push(list, code, argument);
}

void UserInterface::drainList(int list) {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->drain(list);
}

void UserInterface::tick() {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->drain(0);
    channel->drain(1);
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

void UserInterface::fireTimer(int id) {
    if (InterfaceTimer* timer = timerById(id)) timer->tick();
}

void UserInterface::restartTimers() {
    std::vector<InterfaceTimer*> all;
    for (auto& entry : timers_)
        all.push_back(entry.second);
    for (InterfaceTimer* timer : all)
        if (timerById(timer->id()) == timer) timer->update();
}

void UserInterface::filesDropped(float x, float y, const std::string& path) {
    const std::shared_ptr<MessageChannel> channel = channel_;
    channel->notifyFilesDropped(x, y, path);
}

Bitmap& UserInterface::backgroundBitmap() {
    if (!backgroundBitmap_) backgroundBitmap_ = std::make_unique<Bitmap>(deviceBacking_);
    return *backgroundBitmap_;
}

void UserInterface::loadBackgroundBitmap(std::string_view name) {
    Bitmap& background = backgroundBitmap();
    background.load(name);
    RootControl* root = rootControl();
    if (root == nullptr) return;
    const Rect rootRect = root->bounds.getValue();
    const Rect rect = background.getRect();
    if (std::fabs(rect.width() - rootRect.width()) > 0.001f ||
        std::fabs(rect.height() - rootRect.height()) > 0.001f) {
        Bitmap loaded(deviceBacking_);
        loaded.copyFrom(background);
        background.setSize(rootRect.width(), rootRect.height());
        background.copyScaled(loaded, rect, Rect(0.0f, 0.0f, rootRect.width(), rootRect.height()));
    }
}

void UserInterface::backingScaleChanged() {
    const float scale = deviceBacking_.getScale();
    RootControl* root = rootControl();
    if (root != nullptr) root->scaleChanged();
    if (std::fabs(scale - appliedScale_) <= kScaleEpsilon) return;
    const float old = appliedScale_;
    appliedScale_ = scale;
    scaleChangedEvent.notify(this);
    if (root == nullptr) return;
    if (root->fullScreen.getValue()) {
        const Rect r = root->bounds.getValue();
        root->setSize(r.width() * old / scale, r.height() * old / scale);
    } else {
        root->boundsChanged();
    }
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
