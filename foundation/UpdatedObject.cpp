#include "foundation/UpdatedObject.h"

#include <algorithm>
#include <exception>

namespace {

// Returns the update state to idle on every way out of an update.
class UpdatingScope {
public:
    explicit UpdatingScope(UpdatedObject::UpdateState& state) : state_(state) {
        state = UpdatedObject::kUpdating;
    }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;
    ~UpdatingScope() { state_ = UpdatedObject::kIdle; }

private:
    UpdatedObject::UpdateState& state_;
};

} // namespace

UpdatedObject::Hold::Hold(UpdatedObject& object)
    : object_(object), exceptionsAtStart_(std::uncaught_exceptions()) {
    object.beginHold();
}

UpdatedObject::Hold::~Hold() noexcept(false) {
    if (std::uncaught_exceptions() <= exceptionsAtStart_) {
        object_.endHold();
        return;
    }
    try {
        object_.endHold();
    } catch (...) {
        // An exception is already leaving this scope; it carries on.
    }
}

UpdatedObject::~UpdatedObject() = default;

void UpdatedObject::update() {
    firePendingNotifications();
}

void UpdatedObject::runUpdate() {
    UpdatingScope scope(updateState_);
    update();
}

void UpdatedObject::requestUpdate() {
    if (holdCount_ > 0) {
        updateState_ = kChangePending;
        return;
    }
    if (updateState_ == kUpdating) return;
    runUpdate();
}

void UpdatedObject::beginHold() {
    ++holdCount_;
}

void UpdatedObject::endHold() {
    if (holdCount_ <= 0) return;
    if (--holdCount_ == 0 && updateState_ == kChangePending) runUpdate();
}

void UpdatedObject::addPendingNotification(PendingNotification& record) {
    pendingNotifications_.push_back(&record);
}

void UpdatedObject::removePendingNotification(PendingNotification& record) {
    if (firingDepth_ > 0) {
        // The firing loop walks by index: leave a hole it can skip.
        std::replace(pendingNotifications_.begin(), pendingNotifications_.end(), &record,
                     static_cast<PendingNotification*>(nullptr));
        return;
    }
    pendingNotifications_.erase(
        std::remove(pendingNotifications_.begin(), pendingNotifications_.end(), &record),
        pendingNotifications_.end());
}

void UpdatedObject::postNotification(PendingNotification& record) {
    record.pending = true;
    requestUpdate();
}

void UpdatedObject::firePendingNotifications() {
    struct Depth {
        UpdatedObject& object;
        explicit Depth(UpdatedObject& object) : object(object) { ++object.firingDepth_; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        ~Depth() {
            if (--object.firingDepth_ == 0)
                object.pendingNotifications_.erase(std::remove(object.pendingNotifications_.begin(),
                                                               object.pendingNotifications_.end(),
                                                               static_cast<PendingNotification*>(nullptr)),
                                                   object.pendingNotifications_.end());
        }
    } depth(*this);

    for (std::size_t i = 0; i < pendingNotifications_.size(); ++i) {
        PendingNotification* record = pendingNotifications_[i];
        if (record == nullptr || !record->pending) continue;
        if (record->event != nullptr) record->event->notify(record->argument);
        // The handler may have unregistered (and freed) the record.
        if (i < pendingNotifications_.size() && pendingNotifications_[i] == record) record->pending = false;
    }
}

EventForwarderList::~EventForwarderList() {
    for (Forwarder* forwarder : forwarders_)
        delete forwarder;
}

EventForwarderList::Forwarder* EventForwarderList::addForwarder(Forwarder* forwarder) {
    if (forwarder == nullptr) return forwarder;
    forwarders_.push_back(forwarder);
    // Forwarding runs on the audio thread: size the queue now. A forwarder is
    // queued at most once, plus once more when re-forwarded while delivering.
    queue_.reserve(2 * forwarders_.size());
    return forwarder;
}

void EventForwarderList::forward(Forwarder* forwarder, double value) {
    if (forwarder == nullptr) return;
    auto queued = std::find_if(queue_.begin(), queue_.end(), [forwarder](const ForwardRecord& r) {
        return r.queued && r.forwarder == forwarder;
    });
    if (queued != queue_.end())
        queued->value = value;
    else
        queue_.push_back({forwarder, value, true});
    requestUpdate();
}

void EventForwarderList::update() {
    // Walk by index: a delivery may queue more records (the vector may grow).
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        if (!queue_[i].queued) continue;
        ForwardRecord record = queue_[i];
        queue_[i].queued = false;
        record.forwarder->deliver(record.value);
    }
    queue_.clear();
}
