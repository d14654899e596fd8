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
    FrameScope(NotifyEvent& event, Frame& frame) : event(event), frame(frame) {
        frame.outer = event.activeFrame;
        event.activeFrame = &frame;
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;
    ~FrameScope() {
        if (frame.destroyed) {
            // The event is gone: touch none of its members.
            for (Handler* handler : frame.orphans)
                delete handler;
            return;
        }
        event.activeFrame = frame.outer;
        if (event.activeFrame == nullptr) event.flushDiscarded();
    }

private:
    NotifyEvent& event;
    Frame& frame;
};

NotifyEvent::~NotifyEvent() {
    std::vector<Handler*> all;
    if (primary != nullptr) all.push_back(primary);
    for (Handler* handler : handlers)
        if (handler != nullptr) all.push_back(handler);
    all.insert(all.end(), discarded.begin(), discarded.end());

    if (activeFrame == nullptr) {
        for (Handler* handler : all)
            delete handler;
        return;
    }
    // Destroyed by a handler while notifying: every running notify stops, and
    // the outermost one deletes the handlers once the running handler returned.
    Frame* outermost = activeFrame;
    for (Frame* frame = activeFrame; frame != nullptr; frame = frame->outer) {
        frame->destroyed = true;
        outermost = frame;
    }
    outermost->orphans.insert(outermost->orphans.end(), all.begin(), all.end());
}

void NotifyEvent::notify(void* argument) {
    if (primary == nullptr && handlers.empty()) return;
    Frame frame;
    FrameScope scope(*this, frame);
    if (primary != nullptr) {
        primary->invoke(argument);
        if (frame.destroyed) return;
    }
    // Handlers added during this notify sit beyond count and are not called;
    // removed ones leave a null entry until the outermost notify ends.
    for (std::size_t i = handlers.size(); i-- > 0;) {
        if (i >= handlers.size()) continue;
        Handler* handler = handlers[i];
        if (handler == nullptr) continue;
        handler->invoke(argument);
        if (frame.destroyed) return;
    }
}

void NotifyEvent::setHandler(Handler* handler) {
    if (handler == primary) return;
    Handler* previous = primary;
    primary = handler;
    discard(previous);
}

void NotifyEvent::addHandler(Handler* handler) {
    if (handler != nullptr) handlers.push_back(handler);
}

bool NotifyEvent::removeHandler(const Handler& handler) {
    auto matches = [&handler](const Handler* candidate) {
        return candidate != nullptr && (candidate == &handler || candidate->isEqual(handler));
    };
    // Detach every match first: the handler compared against may be one of
    // them, so nothing is deleted before the last comparison.
    std::vector<Handler*> removed;
    if (matches(primary)) {
        removed.push_back(primary);
        primary = nullptr;
    }
    for (Handler*& entry : handlers) {
        if (matches(entry)) {
            removed.push_back(entry);
            entry = nullptr;
        }
    }
    if (activeFrame == nullptr)
        handlers.erase(std::remove(handlers.begin(), handlers.end(), nullptr), handlers.end());
    for (Handler* entry : removed)
        discard(entry);
    return !removed.empty();
}

void NotifyEvent::clear() {
    Handler* previous = primary;
    primary = nullptr;
    std::vector<Handler*> removed;
    removed.swap(handlers);
    if (activeFrame != nullptr)
        handlers.assign(removed.size(), nullptr); // keep the running loops' indices valid
    discard(previous);
    for (Handler* entry : removed)
        discard(entry);
}

bool NotifyEvent::hasHandlers() const {
    return primary != nullptr ||
           std::any_of(handlers.begin(), handlers.end(), [](Handler* h) { return h != nullptr; });
}

void NotifyEvent::discard(Handler* handler) {
    if (handler == nullptr) return;
    if (activeFrame != nullptr)
        discarded.push_back(handler);
    else
        delete handler;
}

void NotifyEvent::flushDiscarded() {
    std::vector<Handler*> doomed;
    doomed.swap(discarded);
    for (Handler* handler : doomed)
        delete handler;
    handlers.erase(std::remove(handlers.begin(), handlers.end(), nullptr), handlers.end());
}
