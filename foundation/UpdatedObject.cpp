#include "foundation/UpdatedObject.h"

#include <algorithm>
#include <exception>

namespace {

// Returns the update state to idle on every way out of an update.
class UpdatingScope {
public:
    explicit UpdatingScope(UpdatedObject::UpdateState& state) : state(state) {
        state = UpdatedObject::Updating;
    }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;
    ~UpdatingScope() { state = UpdatedObject::Idle; }

private:
    UpdatedObject::UpdateState& state;
};

} // namespace

UpdatedObject::Hold::Hold(UpdatedObject& object)
    : object(object), exceptionsAtStart(std::uncaught_exceptions()) {
    object.beginHold();
}

UpdatedObject::Hold::~Hold() noexcept(false) {
    if (std::uncaught_exceptions() <= exceptionsAtStart) {
        object.endHold();
        return;
    }
    try {
        object.endHold();
    } catch (...) {
        // An exception is already leaving this scope; it carries on.
    }
}

UpdatedObject::~UpdatedObject() = default;

void UpdatedObject::update() {
    firePendingNotifications();
}

void UpdatedObject::runUpdate() {
    UpdatingScope scope(updateState);
    update();
}

void UpdatedObject::requestUpdate() {
    if (holdCount > 0) {
        updateState = ChangePending;
        return;
    }
    if (updateState == Updating) return;
    runUpdate();
}

void UpdatedObject::beginHold() {
    ++holdCount;
}

void UpdatedObject::endHold() {
    if (holdCount <= 0) return;
    if (--holdCount == 0 && updateState == ChangePending) runUpdate();
}

void UpdatedObject::addPendingNotification(PendingNotification& record) {
    pendingNotifications.push_back(&record);
}

void UpdatedObject::removePendingNotification(PendingNotification& record) {
    if (firingDepth > 0) {
        // The firing loop walks by index: leave a hole it can skip.
        std::replace(pendingNotifications.begin(), pendingNotifications.end(), &record,
                     static_cast<PendingNotification*>(nullptr));
        return;
    }
    pendingNotifications.erase(std::remove(pendingNotifications.begin(), pendingNotifications.end(), &record),
                               pendingNotifications.end());
}

void UpdatedObject::postNotification(PendingNotification& record) {
    record.pending = true;
    requestUpdate();
}

void UpdatedObject::firePendingNotifications() {
    struct Depth {
        UpdatedObject& object;
        explicit Depth(UpdatedObject& object) : object(object) { ++object.firingDepth; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        ~Depth() {
            if (--object.firingDepth == 0)
                object.pendingNotifications.erase(std::remove(object.pendingNotifications.begin(),
                                                              object.pendingNotifications.end(),
                                                              static_cast<PendingNotification*>(nullptr)),
                                                  object.pendingNotifications.end());
        }
    } depth(*this);

    for (std::size_t i = 0; i < pendingNotifications.size(); ++i) {
        PendingNotification* record = pendingNotifications[i];
        if (record == nullptr || !record->pending) continue;
        if (record->event != nullptr) record->event->notify(record->argument);
        // The handler may have unregistered (and freed) the record.
        if (i < pendingNotifications.size() && pendingNotifications[i] == record) record->pending = false;
    }
}

EventForwarderList::~EventForwarderList() {
    for (Forwarder* forwarder : forwarders)
        delete forwarder;
}

EventForwarderList::Forwarder* EventForwarderList::addForwarder(Forwarder* forwarder) {
    if (forwarder == nullptr) return forwarder;
    forwarders.push_back(forwarder);
    // Forwarding runs on the audio thread: size the queue now. A forwarder is
    // queued at most once, plus once more when re-forwarded while delivering.
    queue.reserve(2 * forwarders.size());
    return forwarder;
}

void EventForwarderList::forward(Forwarder* forwarder, double value) {
    if (forwarder == nullptr) return;
    auto queued = std::find_if(queue.begin(), queue.end(), [forwarder](const ForwardRecord& r) {
        return r.queued && r.forwarder == forwarder;
    });
    if (queued != queue.end())
        queued->value = value;
    else
        queue.push_back({forwarder, value, true});
    requestUpdate();
}

void EventForwarderList::update() {
    // Walk by index: a delivery may queue more records (the vector may grow).
    for (std::size_t i = 0; i < queue.size(); ++i) {
        if (!queue[i].queued) continue;
        ForwardRecord record = queue[i];
        queue[i].queued = false;
        record.forwarder->deliver(record.value);
    }
    queue.clear();
}
