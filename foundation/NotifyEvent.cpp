#include "foundation/NotifyEvent.h"

#include <algorithm>

// One running notify of an event. Frames of nested notifies of the same event
// are chained from the innermost to the outermost.
struct NotifyEvent::Frame {
    Frame* outer = nullptr;
    bool destroyed = false;        // the event was destroyed while this frame ran
    std::vector<Handler*> orphans; // handlers of a destroyed event, deleted by the outermost frame
};

// Pops a frame on every way out of notify, exceptions included.
class NotifyEvent::FrameScope {
public:
    FrameScope(NotifyEvent& event, Frame& frame) : event_(event), frame_(frame) {
        frame.outer = event.activeFrame_;
        event.activeFrame_ = &frame;
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;
    ~FrameScope() {
        if (frame_.destroyed) {
            // The event is gone: touch none of its members.
            for (Handler* handler : frame_.orphans)
                delete handler;
            return;
        }
        event_.activeFrame_ = frame_.outer;
        if (event_.activeFrame_ == nullptr) event_.flushDiscarded();
    }

private:
    NotifyEvent& event_;
    Frame& frame_;
};

NotifyEvent::~NotifyEvent() {
    std::vector<Handler*> all;
    if (primary_ != nullptr) all.push_back(primary_);
    for (Handler* handler : handlers_)
        if (handler != nullptr) all.push_back(handler);
    all.insert(all.end(), discarded_.begin(), discarded_.end());

    if (activeFrame_ == nullptr) {
        for (Handler* handler : all)
            delete handler;
        return;
    }
    // Destroyed by a handler while notifying: every running notify stops, and
    // the outermost one deletes the handlers once the running handler returned.
    Frame* outermost = activeFrame_;
    for (Frame* frame = activeFrame_; frame != nullptr; frame = frame->outer) {
        frame->destroyed = true;
        outermost = frame;
    }
    outermost->orphans.insert(outermost->orphans.end(), all.begin(), all.end());
}

void NotifyEvent::notify(void* argument) {
    if (primary_ == nullptr && handlers_.empty()) return;
    Frame frame;
    FrameScope scope(*this, frame);
    if (primary_ != nullptr) {
        primary_->invoke(argument);
        if (frame.destroyed) return;
    }
    // Handlers added during this notify sit beyond count and are not called;
    // removed ones leave a null entry until the outermost notify ends.
    for (std::size_t i = handlers_.size(); i-- > 0;) {
        if (i >= handlers_.size()) continue;
        Handler* handler = handlers_[i];
        if (handler == nullptr) continue;
        handler->invoke(argument);
        if (frame.destroyed) return;
    }
}

void NotifyEvent::setHandler(Handler* handler) {
    if (handler == primary_) return;
    Handler* previous = primary_;
    primary_ = handler;
    discard(previous);
}

void NotifyEvent::addHandler(Handler* handler) {
    if (handler != nullptr) handlers_.push_back(handler);
}

bool NotifyEvent::removeHandler(const Handler& handler) {
    auto matches = [&handler](const Handler* candidate) {
        return candidate != nullptr && (candidate == &handler || candidate->isEqual(handler));
    };
    // Detach every match first: the handler compared against may be one of
    // them, so nothing is deleted before the last comparison.
    std::vector<Handler*> removed;
    if (matches(primary_)) {
        removed.push_back(primary_);
        primary_ = nullptr;
    }
    for (Handler*& entry : handlers_) {
        if (matches(entry)) {
            removed.push_back(entry);
            entry = nullptr;
        }
    }
    if (activeFrame_ == nullptr)
        handlers_.erase(std::remove(handlers_.begin(), handlers_.end(), nullptr), handlers_.end());
    for (Handler* entry : removed)
        discard(entry);
    return !removed.empty();
}

void NotifyEvent::clear() {
    Handler* previous = primary_;
    primary_ = nullptr;
    std::vector<Handler*> removed;
    removed.swap(handlers_);
    if (activeFrame_ != nullptr)
        handlers_.assign(removed.size(), nullptr); // keep the running loops' indices valid
    discard(previous);
    for (Handler* entry : removed)
        discard(entry);
}

bool NotifyEvent::hasHandlers() const {
    return primary_ != nullptr ||
           std::any_of(handlers_.begin(), handlers_.end(), [](Handler* h) { return h != nullptr; });
}

void NotifyEvent::discard(Handler* handler) {
    if (handler == nullptr) return;
    if (activeFrame_ != nullptr)
        discarded_.push_back(handler);
    else
        delete handler;
}

void NotifyEvent::flushDiscarded() {
    std::vector<Handler*> doomed;
    doomed.swap(discarded_);
    for (Handler* handler : doomed)
        delete handler;
    handlers_.erase(std::remove(handlers_.begin(), handlers_.end(), nullptr), handlers_.end());
}
