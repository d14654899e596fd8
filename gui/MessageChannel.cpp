#include "gui/MessageChannel.h"

namespace gui {

void MessageChannel::Listener::filesDropped(float, float, const std::string&) {}
void MessageChannel::Listener::notification(std::uint32_t, std::uint32_t) {}
void MessageChannel::Listener::helpHint(const std::string&) {}

MessageChannel::MessageChannel(UserInterface& userInterface)
    : userInterface_(&userInterface), listLock_(CriticalSection::create()) {
    for (auto& queue : queues_)
        queue = std::make_unique<LockFreeQueue<Signal>>(kQueueNodes, kQueueNodes);
}

MessageChannel::~MessageChannel() = default;

bool MessageChannel::push(MessageList list, std::uint32_t code, std::uint32_t argument) {
    if (list < 0 || list >= kListCount ||
        !queues_[list]->push(Signal{Signal::kNotification, code, argument})) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    return true;
}

bool MessageChannel::postMessage(MessageTarget* target, int code, MessageList list) {
    if (list < 0 || list >= kListCount || !isAlive()) return false;
    {
        ScopedLock lock(*listLock_);
        if (lists_[list].size() >= kMaxPostedMessages) return false; // list too long
        lists_[list].push_back(Record{target, code});
    }
    // A lost marker loses no record: the next marker drains the whole list.
    if (!queues_[list]->push(Signal{Signal::kMarker, 0, 0})) dropped_.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void MessageChannel::removePostedMessages(const MessageTarget* target) {
    ScopedLock lock(*listLock_);
    for (auto& records : lists_)
        records.remove_if([target](const Record& r) { return r.target == target; });
}

std::size_t MessageChannel::postedCount(MessageList list) const {
    if (list < 0 || list >= kListCount) return 0;
    ScopedLock lock(*listLock_);
    return lists_[list].size();
}

bool MessageChannel::popRecord(MessageList list, Record& record) {
    ScopedLock lock(*listLock_);
    if (lists_[list].empty()) return false;
    record = lists_[list].front();
    lists_[list].pop_front();
    return true;
}

void MessageChannel::drain(MessageList list) {
    if (list < 0 || list >= kListCount) return;
    Signal signal;
    while (isAlive() && queues_[list]->pop(signal)) {
        if (signal.kind == Signal::kNotification) {
            forEachListener([&](Listener* l) { l->notification(signal.code, signal.argument); });
            continue;
        }
        Record record;
        while (isAlive() && popRecord(list, record))
            record.target->handleMessage(record.code);
    }
}

std::uint32_t MessageChannel::takeDroppedCount() {
    return dropped_.exchange(0, std::memory_order_relaxed);
}

void MessageChannel::addListener(Listener* listener) {
    if (listener != nullptr) listeners_.push_back(listener);
}

void MessageChannel::removeListener(Listener* listener) {
    for (auto it = listeners_.begin(); it != listeners_.end();) {
        if (*it != listener) {
            ++it;
        } else if (notifyDepth_ > 0) {
            *it++ = nullptr; // compacted when the outermost notification ends
        } else {
            it = listeners_.erase(it);
        }
    }
}

template <class Call> void MessageChannel::forEachListener(Call call) {
    ++notifyDepth_;
    // Listeners added meanwhile sit behind the starting count and wait for
    // the next notification.
    for (std::size_t i = listeners_.size(); i-- > 0;) {
        if (!isAlive()) break;
        if (Listener* l = listeners_[i]) call(l);
    }
    if (--notifyDepth_ == 0) std::erase(listeners_, nullptr);
}

void MessageChannel::notifyFilesDropped(float x, float y, const std::string& path) {
    forEachListener([&](Listener* l) { l->filesDropped(x, y, path); });
}

void MessageChannel::notifyHelpHint(const std::string& text) {
    forEachListener([&](Listener* l) { l->helpHint(text); });
}

void MessageChannel::userInterfaceDestroyed() {
    alive_.store(false, std::memory_order_release);
    ScopedLock lock(*listLock_);
    for (auto& records : lists_)
        records.clear();
}

} // namespace gui
