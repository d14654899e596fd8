#pragma once

// Batched updates.
//
// An UpdatedObject runs its virtual update() once for a group of changes.
// requestUpdate() is the change entry: while the object is held (see Hold) it
// only marks a change pending; otherwise it runs update() at once, unless an
// update is already running, in which case the request is dropped (neither a
// nested update nor a second run afterwards). When the outermost Hold ends
// with a change pending, update() runs once.
//
// The base update() fires the registered pending-notification records whose
// flag is set, in registration order, clearing each flag after its event
// fired (so a record flagged again by its own handler is not fired again).
//
// Exceptions from update() or from handlers pass through unchanged; the
// update state and hold count are always restored. A Hold that ends while an
// exception is already leaving its scope still runs the pending update but
// swallows a second exception from it, so the first one carries on.
//
// Threading: one thread at a time; nothing here locks.

#include "foundation/NotifyEvent.h"

#include <cstdint>
#include <vector>

class UpdatedObject {
public:
    enum UpdateState : std::int32_t { kIdle = 0, kChangePending = 1, kUpdating = 2 };

    // A deferred notification: fired by update() when flagged. It belongs to
    // whoever registered it and must be unregistered before it goes away.
    struct PendingNotification {
        NotifyEvent* event = nullptr;
        bool pending = false;
        void* argument = nullptr;
    };

    // Holds the object for its lifetime; holds nest.
    class Hold {
    public:
        explicit Hold(UpdatedObject& object);
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() noexcept(false);

    private:
        UpdatedObject& object_;
        int exceptionsAtStart_;
    };

    UpdatedObject() = default;
    UpdatedObject(const UpdatedObject&) = delete;
    UpdatedObject& operator=(const UpdatedObject&) = delete;
    virtual ~UpdatedObject();

    virtual void update();

    void requestUpdate();

    // The same as a Hold's construction and destruction, for callers whose
    // hold does not follow a scope. endHold may run update() (and throw).
    void beginHold();
    void endHold();

    void addPendingNotification(PendingNotification& record);
    void removePendingNotification(PendingNotification& record);
    // Flags the record and requests an update.
    void postNotification(PendingNotification& record);

    UpdateState getUpdateState() const { return updateState_; }
    std::int32_t getHoldCount() const { return holdCount_; }
    bool isHeld() const { return holdCount_ > 0; }

protected:
    // The base behaviour of update(): fires the flagged records.
    void firePendingNotifications();

private:
    void runUpdate();

    std::vector<PendingNotification*> pendingNotifications_; // null entries while firing
    UpdateState updateState_ = kIdle;
    std::int32_t holdCount_ = 0;
    std::int32_t firingDepth_ = 0;
};

// Delivers values to forwarders in batches. forward(forwarder, value) queues
// the value (a forwarder queued again before delivery keeps only its latest
// value) and requests an update; the update delivers the queue in order. So
// outside a hold every value is delivered at once, and during a hold every
// forwarder gets its latest value once when the hold ends. A forwarder queued
// again from inside its own delivery is delivered again in the same update.
class EventForwarderList : public UpdatedObject {
public:
    class Forwarder {
    public:
        virtual ~Forwarder() = default;
        virtual void deliver(double value) = 0;
    };

    EventForwarderList() = default;
    ~EventForwarderList() override;

    // Takes ownership; returns the forwarder.
    Forwarder* addForwarder(Forwarder* forwarder);
    void forward(Forwarder* forwarder, double value);

    void update() override;

private:
    struct ForwardRecord {
        Forwarder* forwarder;
        double value;
        bool queued;
    };

    std::vector<Forwarder*> forwarders_;
    std::vector<ForwardRecord> queue_;
};
