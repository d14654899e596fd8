#include "foundation/ManagedObject.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "foundation/UpdatedObject.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

// Records every change report together with the value the property held at
// that moment (so a report before the store would show).
struct RecordingOwner : PropertyOwner {
    std::vector<const AbstractProperty*> changed;
    std::function<void(AbstractProperty&)> onChange;
    void propertyChanged(AbstractProperty& property) override {
        changed.push_back(&property);
        if (onChange) onChange(property);
    }
};

// ---------------------------------------------------------------- properties

TEST(Property, StoresAndNotifiesOnlyRealChanges) {
    RecordingOwner owner;
    Property<int> p(&owner, 3);
    int seen = -1;
    owner.onChange = [&](AbstractProperty&) { seen = p.getValue(); };

    p.setValue(3);
    EXPECT_TRUE(owner.changed.empty());

    p.setValue(4);
    ASSERT_EQ(owner.changed.size(), 1u);
    EXPECT_EQ(owner.changed[0], &p);
    EXPECT_EQ(seen, 4) << "the owner must be told after the store";
    EXPECT_EQ(p.getValue(), 4);

    ValueAssignable<int>& assignable = p; // assignment through the interface
    assignable.setValue(4);
    assignable.setValue(5);
    EXPECT_EQ(owner.changed.size(), 2u);
}

TEST(Property, WithoutOwnerStillStores) {
    Property<bool> p;
    p.setValue(true);
    EXPECT_TRUE(p.getValue());
    EXPECT_EQ(p.getOwner(), nullptr);
}

TEST(Property, FloatEquality) {
    RecordingOwner owner;
    Property<float> p(&owner, 1.0f);

    p.setValue(nan);
    EXPECT_EQ(p.getValue(), 1.0f) << "a NaN never replaces the held value";
    EXPECT_TRUE(owner.changed.empty());

    p.setValue(std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(owner.changed.size(), 1u) << "any difference counts";

    p.setValue(0.0f);
    owner.changed.clear();
    p.setValue(-0.0f);
    EXPECT_TRUE(owner.changed.empty()) << "-0 is neither less nor greater than 0";

    // A property that starts out as NaN is not stuck with it.
    Property<float> q(&owner, nan);
    q.setValue(2.0f);
    EXPECT_EQ(q.getValue(), 2.0f);
    q.setValue(nan);
    EXPECT_EQ(q.getValue(), 2.0f);
}

TEST(Property, StringsCompareAllBytes) {
    RecordingOwner owner;
    Property<std::string> p(&owner, std::string("a\0b", 3));
    p.setValue(std::string("a\0b", 3));
    EXPECT_TRUE(owner.changed.empty());
    p.setValue(std::string("a\0c", 3));
    p.setValue("a");
    EXPECT_EQ(owner.changed.size(), 2u);
    EXPECT_EQ(p.getValue(), "a");
}

enum class Shade { kLight, kDark };

TEST(Property, Enumerations) {
    RecordingOwner owner;
    Property<Shade> p(&owner, Shade::kLight);
    p.setValue(Shade::kLight);
    p.setValue(Shade::kDark);
    EXPECT_EQ(owner.changed.size(), 1u);
    EXPECT_EQ(p.getValue(), Shade::kDark);
}

TEST(LimitedProperty, FloatClampsBeforeComparing) {
    struct Case {
        float held, assigned, expected;
        bool notifies;
    };
    const Case cases[] = {
        {0.5f, 0.25f, 0.25f, true}, {0.5f, -1.0f, 0.0f, true}, {0.5f, 2.0f, 1.0f, true},
        {0.5f, nan, 0.0f, true},    {0.0f, nan, 0.0f, false},  {0.5f, inf, 1.0f, true},
        {0.5f, -inf, 0.0f, true},   {1.0f, 7.0f, 1.0f, false}, {0.0f, -7.0f, 0.0f, false},
        {0.5f, 1.0f, 1.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "held " << c.held << " assigned " << c.assigned);
        RecordingOwner owner;
        LimitedProperty<float> p(&owner, 0.0f, 1.0f, c.held);
        p.setValue(c.assigned);
        EXPECT_EQ(p.getValue(), c.expected);
        EXPECT_EQ(owner.changed.size(), c.notifies ? 1u : 0u);
    }
}

TEST(LimitedProperty, IntClampsAndLimitsCanChange) {
    RecordingOwner owner;
    LimitedProperty<int> p(&owner, 0, 10, 5);
    p.setValue(-3);
    EXPECT_EQ(p.getValue(), 0);
    p.setValue(12);
    EXPECT_EQ(p.getValue(), 10);
    p.setValue(10);
    EXPECT_EQ(owner.changed.size(), 2u);

    p.setLimits(1, 16);
    p.setValue(16);
    EXPECT_EQ(p.getValue(), 16);
    p.setMaximum(4);
    p.setValue(100);
    EXPECT_EQ(p.getValue(), 4);

    LimitedProperty<int> clampedAtStart(nullptr, 1, 16, 40);
    EXPECT_EQ(clampedAtStart.getValue(), 16);
}

// A geometry-like type whose equality is customised the way a toolkit would
// do it: components within a tolerance count as equal.
struct Spot {
    float x, y;
};

} // namespace

template <> struct PropertyEquality<Spot> {
    static bool equal(const Spot& a, const Spot& b) {
        return std::fabs(a.x - b.x) <= 0.001f && std::fabs(a.y - b.y) <= 0.001f;
    }
};

namespace {

TEST(Property, EqualityIsCustomisablePerType) {
    RecordingOwner owner;
    Property<Spot> p(&owner, Spot{1.0f, 1.0f});
    p.setValue(Spot{1.0005f, 0.9995f});
    EXPECT_TRUE(owner.changed.empty());
    EXPECT_EQ(p.getValue().x, 1.0f);
    p.setValue(Spot{1.0f, 1.01f});
    EXPECT_EQ(owner.changed.size(), 1u);
}

TEST(ValueAssignableConverter, PassesConvertedValues) {
    RecordingOwner owner;
    Property<int> selection(&owner, 7);
    Property<float> gain(&owner, 0.5f);

    std::vector<std::unique_ptr<ManagedObject>> adapters;
    auto* boolToInt = new ValueAssignableConverter<bool, int>(selection);
    auto* boolToFloat = new ValueAssignableConverter<bool, float>(&gain);
    auto* enumToInt = new ValueAssignableConverter<Shade, int>(selection);
    adapters.emplace_back(boolToInt); // deleted through the base, as their makers do
    adapters.emplace_back(boolToFloat);
    adapters.emplace_back(enumToInt);

    boolToInt->setValue(false);
    EXPECT_EQ(selection.getValue(), 0);
    boolToInt->setValue(true);
    EXPECT_EQ(selection.getValue(), 1);
    enumToInt->setValue(Shade::kLight);
    EXPECT_EQ(selection.getValue(), 0);
    boolToFloat->setValue(true);
    EXPECT_EQ(gain.getValue(), 1.0f);
    boolToFloat->setValue(false);
    EXPECT_EQ(gain.getValue(), 0.0f);
    EXPECT_EQ(owner.changed.size(), 5u);
}

// ---------------------------------------------------------------- updates

struct Updated : PropertyOwner, UpdatedObject {
    Property<int> a{this};
    Property<float> b{this};
    Property<std::string> c{this};
    int updates = 0;
    std::vector<UpdateState> statesSeen;
    std::function<void()> during;

    void propertyChanged(AbstractProperty&) override { requestUpdate(); }
    void update() override {
        ++updates;
        statesSeen.push_back(getUpdateState());
        if (during) during();
        UpdatedObject::update();
    }
};

TEST(UpdatedObject, ChangeOutsideHoldUpdatesAtOnce) {
    Updated o;
    o.a.setValue(1);
    EXPECT_EQ(o.updates, 1);
    EXPECT_EQ(o.statesSeen, std::vector<UpdatedObject::UpdateState>{UpdatedObject::kUpdating});
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);
    o.a.setValue(1);
    EXPECT_EQ(o.updates, 1);
}

TEST(UpdatedObject, HoldBatchesChangesIntoOneUpdate) {
    Updated o;
    {
        UpdatedObject::Hold hold(o);
        o.a.setValue(1);
        o.b.setValue(2.0f);
        o.c.setValue("three");
        EXPECT_EQ(o.updates, 0);
        EXPECT_EQ(o.getUpdateState(), UpdatedObject::kChangePending);
        EXPECT_EQ(o.getHoldCount(), 1);
    }
    EXPECT_EQ(o.updates, 1);
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);
    EXPECT_EQ(o.getHoldCount(), 0);

    { UpdatedObject::Hold hold(o); }
    EXPECT_EQ(o.updates, 1) << "a hold without change runs no update";
}

TEST(UpdatedObject, NestedHoldsUpdateWhenOutermostEnds) {
    Updated o;
    {
        UpdatedObject::Hold outer(o);
        {
            UpdatedObject::Hold inner(o);
            o.a.setValue(1);
        }
        EXPECT_EQ(o.updates, 0);
        o.beginHold();
        o.a.setValue(2);
        o.endHold();
        EXPECT_EQ(o.updates, 0);
        EXPECT_EQ(o.getHoldCount(), 1);
    }
    EXPECT_EQ(o.updates, 1);
}

TEST(UpdatedObject, RequestDuringUpdateIsDropped) {
    Updated o;
    o.during = [&] {
        o.a.setValue(o.a.getValue() + 1); // a change from inside the update
        o.requestUpdate();
    };
    o.b.setValue(1.0f);
    EXPECT_EQ(o.updates, 1) << "neither nested nor run again afterwards";
    EXPECT_EQ(o.a.getValue(), 1);
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);
}

struct Oops : std::runtime_error {
    using std::runtime_error::runtime_error;
};

TEST(UpdatedObject, ExceptionLeavingHoldScope) {
    Updated o;
    try {
        UpdatedObject::Hold hold(o);
        o.a.setValue(1);
        throw Oops("in scope");
    } catch (const Oops&) {
    }
    EXPECT_EQ(o.updates, 1) << "the hold ended and ran the pending update";
    EXPECT_EQ(o.getHoldCount(), 0);
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);
    o.a.setValue(2);
    EXPECT_EQ(o.updates, 2) << "the object is not left held";
}

TEST(UpdatedObject, ExceptionFromUpdatePassesThroughAndStateRecovers) {
    Updated o;
    o.during = [] { throw Oops("update"); };

    EXPECT_THROW(o.a.setValue(1), Oops);
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);

    EXPECT_THROW(
        {
            UpdatedObject::Hold hold(o);
            o.a.setValue(2);
        },
        Oops);
    EXPECT_EQ(o.getUpdateState(), UpdatedObject::kIdle);
    EXPECT_EQ(o.getHoldCount(), 0);

    // Already unwinding: the first exception is the one that arrives.
    try {
        UpdatedObject::Hold hold(o);
        o.a.setValue(3);
        throw std::logic_error("first");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "first");
    }
    EXPECT_EQ(o.getHoldCount(), 0);

    o.during = nullptr;
    int before = o.updates;
    o.a.setValue(4);
    EXPECT_EQ(o.updates, before + 1);
}

struct NotifyingObject : UpdatedObject {
    NotifyEvent first, second;
    PendingNotification firstRecord{&first, false, nullptr};
    PendingNotification secondRecord{&second, false, nullptr};
    NotifyingObject() {
        firstRecord.argument = this;
        secondRecord.argument = this;
        addPendingNotification(firstRecord);
        addPendingNotification(secondRecord);
    }
};

TEST(UpdatedObject, FiresFlaggedRecordsInRegistrationOrder) {
    NotifyingObject o;
    std::vector<std::string> log;
    o.first.addHandler(NotifyEvent::bind([&](void* arg) {
        EXPECT_EQ(arg, &o);
        log.push_back("first");
    }));
    o.second.addHandler(NotifyEvent::bind([&] { log.push_back("second"); }));
    {
        UpdatedObject::Hold hold(o);
        o.postNotification(o.secondRecord);
        o.postNotification(o.firstRecord);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
    EXPECT_FALSE(o.firstRecord.pending);
    EXPECT_FALSE(o.secondRecord.pending);

    log.clear();
    o.requestUpdate();
    EXPECT_TRUE(log.empty()) << "unflagged records do not fire";

    o.postNotification(o.secondRecord);
    EXPECT_EQ(log, std::vector<std::string>{"second"});
}

TEST(UpdatedObject, ReflagFromOwnHandlerIsLost) {
    NotifyingObject o;
    int fired = 0;
    o.first.addHandler(NotifyEvent::bind([&] {
        ++fired;
        o.postNotification(o.firstRecord); // state 2: no new update, flag cleared afterwards
    }));
    o.postNotification(o.firstRecord);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(o.firstRecord.pending);
    o.requestUpdate();
    EXPECT_EQ(fired, 1);
}

TEST(UpdatedObject, RecordUnregisteredByHandlerWhileFiring) {
    UpdatedObject o;
    NotifyEvent e1, e2, e3;
    auto r1 = std::make_unique<UpdatedObject::PendingNotification>(
        UpdatedObject::PendingNotification{&e1, false, nullptr});
    auto r2 = std::make_unique<UpdatedObject::PendingNotification>(
        UpdatedObject::PendingNotification{&e2, false, nullptr});
    UpdatedObject::PendingNotification r3{&e3, false, nullptr};
    o.addPendingNotification(*r1);
    o.addPendingNotification(*r2);
    o.addPendingNotification(r3);
    std::vector<int> log;
    e1.addHandler(NotifyEvent::bind([&] {
        log.push_back(1);
        o.removePendingNotification(*r1); // itself
        o.removePendingNotification(*r2); // a later one
        r1.reset();
        r2.reset();
    }));
    e2.addHandler(NotifyEvent::bind([&] { log.push_back(2); }));
    e3.addHandler(NotifyEvent::bind([&] { log.push_back(3); }));
    {
        UpdatedObject::Hold hold(o);
        o.postNotification(*r1);
        o.postNotification(*r2);
        o.postNotification(r3);
    }
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
    EXPECT_FALSE(r3.pending);
}

// ---------------------------------------------------------------- events

struct Listener {
    std::vector<std::string>* log;
    std::string name;
    void withArgument(void* arg) { log->push_back(name + (arg != nullptr ? "+" : "-")); }
    void withoutArgument() { log->push_back(name); }
};

// A handler body that counts its own destruction, so tests see when the event
// deletes it.
struct Tracked {
    int* destroyed;
    std::function<void()> body;
    Tracked(int* destroyed, std::function<void()> body) : destroyed(destroyed), body(std::move(body)) {}
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() { ++*destroyed; }
};

NotifyEvent::Handler* tracked(int* destroyed, std::function<void()> body) {
    auto state = std::make_unique<Tracked>(destroyed, std::move(body));
    return NotifyEvent::bind([state = std::shared_ptr<Tracked>(std::move(state))] { state->body(); });
}

TEST(NotifyEvent, PrimaryFirstThenLastAddedFirst) {
    std::vector<std::string> log;
    Listener p{&log, "P"}, h1{&log, "H1"}, h2{&log, "H2"};
    NotifyEvent event;
    event.addHandler(NotifyEvent::bind(&h1, &Listener::withArgument));
    event.addHandler(NotifyEvent::bind(&h2, &Listener::withoutArgument));
    event.addHandler(NotifyEvent::bind([&](void* arg) { log.push_back(arg == &log ? "H3+" : "H3?"); }));
    event.setHandler(NotifyEvent::bind(&p, &Listener::withArgument));
    event.notify(&log);
    EXPECT_EQ(log, (std::vector<std::string>{"P+", "H3+", "H2", "H1+"}));
}

TEST(NotifyEvent, EmptyEventDoesNothing) {
    NotifyEvent event;
    EXPECT_FALSE(event.hasHandlers());
    event.notify(nullptr);
    EXPECT_FALSE(event.removeHandler(NotifyEvent::HandlerImplFunc<void (*)()>(nullptr)));
}

TEST(NotifyEvent, HandlerEquality) {
    std::vector<std::string> log;
    Listener a{&log, "A"}, b{&log, "B"};
    NotifyEvent::HandlerImpl<Listener> aWith(&a, &Listener::withArgument);
    NotifyEvent::HandlerImpl0<Listener> aWithout(&a, &Listener::withoutArgument);
    auto lambda = [] {};
    NotifyEvent::HandlerImplFunc<decltype(lambda)> func(lambda);

    EXPECT_TRUE(aWith.isEqual(NotifyEvent::HandlerImpl<Listener>(&a, &Listener::withArgument)));
    EXPECT_FALSE(aWith.isEqual(NotifyEvent::HandlerImpl<Listener>(&b, &Listener::withArgument)));
    EXPECT_TRUE(aWithout.isEqual(NotifyEvent::HandlerImpl0<Listener>(&a, &Listener::withoutArgument)));
    EXPECT_FALSE(aWith.isEqual(aWithout));
    EXPECT_FALSE(aWithout.isEqual(aWith));
    EXPECT_FALSE(func.isEqual(func));
}

TEST(NotifyEvent, OwnsItsHandlers) {
    int destroyed = 0;
    {
        NotifyEvent event;
        event.setHandler(tracked(&destroyed, [] {}));
        event.setHandler(tracked(&destroyed, [] {}));
        EXPECT_EQ(destroyed, 1) << "replacing the primary handler deletes the previous one";
        event.addHandler(tracked(&destroyed, [] {}));
        event.addHandler(tracked(&destroyed, [] {}));
        EXPECT_EQ(destroyed, 1);
    }
    EXPECT_EQ(destroyed, 4) << "destroying the event deletes every handler";
}

TEST(NotifyEvent, RemoveHandler) {
    std::vector<std::string> log;
    Listener a{&log, "A"}, b{&log, "B"};
    NotifyEvent event;
    event.setHandler(NotifyEvent::bind(&a, &Listener::withoutArgument));
    event.addHandler(NotifyEvent::bind(&a, &Listener::withArgument));
    event.addHandler(NotifyEvent::bind(&b, &Listener::withArgument));
    NotifyEvent::Handler* lambda = NotifyEvent::bind([&] { log.push_back("L"); });
    event.addHandler(lambda);

    EXPECT_TRUE(event.removeHandler(&a, &Listener::withArgument));
    EXPECT_FALSE(event.removeHandler(&a, &Listener::withArgument));
    EXPECT_TRUE(event.removeHandler(*lambda)) << "a callable is removed by passing the handler itself";
    EXPECT_TRUE(event.removeHandler(&a, &Listener::withoutArgument)) << "the primary handler too";
    EXPECT_EQ(event.getHandler(), nullptr);
    event.notify(nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"B-"});

    event.clear();
    EXPECT_FALSE(event.hasHandlers());
}

// Changes made by handlers while the event notifies. Run under ASan, the
// handlers' captured state shows any use after free.
TEST(NotifyEvent, PrimaryReplacedWhileRunning) {
    int destroyed = 0;
    std::vector<std::string> log;
    NotifyEvent event;
    std::string name = "old primary";
    event.setHandler(NotifyEvent::bind([&, name] {
        event.setHandler(NotifyEvent::bind([&] { log.push_back("new primary"); }));
        log.push_back(name); // reads its own capture after being replaced
    }));
    event.addHandler(tracked(&destroyed, [&] { log.push_back("H1"); }));
    event.notify(nullptr);
    event.notify(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"old primary", "H1", "new primary", "H1"}));
}

TEST(NotifyEvent, HandlersRemovedWhileRunningAreSkippedAndDeletedAfterwards) {
    int destroyed = 0;
    std::vector<std::string> log;
    NotifyEvent event;
    Listener h1{&log, "H1"};
    NotifyEvent::Handler* h2 = nullptr;
    event.addHandler(NotifyEvent::bind(&h1, &Listener::withoutArgument));
    event.addHandler(h2 = tracked(&destroyed, [&] { log.push_back("H2"); }));
    NotifyEvent::Handler* h3 = nullptr;
    h3 = tracked(&destroyed, [&] {
        log.push_back("H3");
        event.removeHandler(*h3); // itself
        event.removeHandler(*h2); // one not yet called
        EXPECT_EQ(destroyed, 0) << "deletion waits until the notification ends";
    });
    event.addHandler(h3);

    event.notify(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"H3", "H1"}));
    EXPECT_EQ(destroyed, 2);

    log.clear();
    event.notify(nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"H1"});
}

TEST(NotifyEvent, HandlerAddedWhileRunningWaitsForNextNotify) {
    std::vector<std::string> log;
    NotifyEvent event;
    bool added = false;
    event.addHandler(NotifyEvent::bind([&] {
        log.push_back("H1");
        if (!added) {
            added = true;
            for (int i = 0; i < 64; ++i) // enough to move the list's storage
                event.addHandler(NotifyEvent::bind([] {}));
            event.addHandler(NotifyEvent::bind([&] { log.push_back("late"); }));
        }
    }));
    event.notify(nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"H1"});
    event.notify(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"H1", "late", "H1"}));
}

TEST(NotifyEvent, ClearAndNestedNotifyWhileRunning) {
    int destroyed = 0;
    std::vector<std::string> log;
    NotifyEvent event;
    int depth = 0;
    event.addHandler(tracked(&destroyed, [&] { log.push_back("H1"); }));
    event.addHandler(tracked(&destroyed, [&] {
        log.push_back("H2");
        if (depth++ == 0) {
            event.notify(nullptr); // nested: H2 again, then H1
            event.clear();
        }
    }));
    event.notify(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"H2", "H2", "H1"}));
    EXPECT_EQ(destroyed, 2);
    EXPECT_FALSE(event.hasHandlers());
}

TEST(NotifyEvent, EventDestroyedByItsHandler) {
    int destroyed = 0;
    std::vector<std::string> log;
    auto* event = new NotifyEvent;
    event->setHandler(tracked(&destroyed, [&] { log.push_back("P"); }));
    event->addHandler(tracked(&destroyed, [&] { log.push_back("H1"); }));
    std::string name = "H2";
    event->addHandler(tracked(&destroyed, [&, name] {
        delete event;
        EXPECT_EQ(destroyed, 0) << "the running handler outlives the event";
        log.push_back(name); // its own capture is still alive
    }));
    event->notify(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"P", "H2"})) << "the notification stops";
    EXPECT_EQ(destroyed, 3);
}

TEST(NotifyEvent, ExceptionFromHandlerLeavesEventUsable) {
    int destroyed = 0;
    std::vector<std::string> log;
    NotifyEvent event;
    NotifyEvent::Handler* thrower = nullptr;
    event.addHandler(NotifyEvent::bind([&] { log.push_back("H1"); }));
    event.addHandler(thrower = tracked(&destroyed, [&] {
                         event.removeHandler(*thrower);
                         throw Oops("handler");
                     }));
    EXPECT_THROW(event.notify(nullptr), Oops);
    EXPECT_EQ(destroyed, 1) << "deferred deletion still happens";
    event.notify(nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"H1"});
}

// ---------------------------------------------------------------- forwarders

struct RecordingForwarder : EventForwarderList::Forwarder {
    std::string name;
    std::vector<std::string>* log;
    int* destroyed;
    std::function<void(double)> onDeliver;
    RecordingForwarder(std::string name, std::vector<std::string>* log, int* destroyed)
        : name(std::move(name)), log(log), destroyed(destroyed) {}
    ~RecordingForwarder() override { ++*destroyed; }
    void deliver(double value) override {
        log->push_back(name + "=" + std::to_string(static_cast<int>(value)));
        if (onDeliver) onDeliver(value);
    }
};

TEST(EventForwarderList, DeliversAtOnceOrOncePerHold) {
    int destroyed = 0;
    std::vector<std::string> log;
    {
        EventForwarderList list;
        auto* a = static_cast<RecordingForwarder*>(
            list.addForwarder(new RecordingForwarder("a", &log, &destroyed)));
        auto* b = static_cast<RecordingForwarder*>(
            list.addForwarder(new RecordingForwarder("b", &log, &destroyed)));

        list.forward(a, 1);
        EXPECT_EQ(log, std::vector<std::string>{"a=1"});

        log.clear();
        {
            UpdatedObject::Hold hold(list);
            list.forward(b, 5);
            list.forward(a, 2);
            list.forward(b, 6);
            EXPECT_TRUE(log.empty());
        }
        EXPECT_EQ(log, (std::vector<std::string>{"b=6", "a=2"})) << "queue order, latest value, once each";

        log.clear();
        a->onDeliver = [&, a](double v) {
            if (v < 3) list.forward(a, v + 1);
        };
        list.forward(a, 1);
        EXPECT_EQ(log, (std::vector<std::string>{"a=1", "a=2", "a=3"}));
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(EventForwarderList, ForwardingAfterSetUpAllocatesNothing) {
    int destroyed = 0;
    std::vector<std::string> log;
    log.reserve(16);
    EventForwarderList list;
    std::vector<EventForwarderList::Forwarder*> forwarders;
    for (const char* name : {"a", "b", "c"})
        forwarders.push_back(list.addForwarder(new RecordingForwarder(name, &log, &destroyed)));

    test::AllocationCounter counter;
    {
        UpdatedObject::Hold hold(list);
        for (int round = 0; round < 3; ++round)
            for (auto* forwarder : forwarders)
                list.forward(forwarder, round);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_EQ(log.size(), 3u);
}

} // namespace

TEST(DelegatingProperty, ReadsAndWritesThroughItsOwner) {
    struct Box {
        float left = 2.0f;
        float right = 5.0f;
        int writes = 0;
        DelegatingProperty<float> width{[this] { return right - left; },
                                        [this](float w) {
                                            right = left + w;
                                            ++writes;
                                        }};
    } box;
    EXPECT_FLOAT_EQ(box.width.getValue(), 3.0f);
    box.width.setValue(10.0f);
    EXPECT_FLOAT_EQ(box.right, 12.0f);
    EXPECT_EQ(box.writes, 1);
    box.left = 4.0f; // the value follows what it delegates to
    EXPECT_FLOAT_EQ(box.width.getValue(), 8.0f);
    ValueAssignable<float>& assignable = box.width;
    assignable.setValue(1.0f);
    EXPECT_FLOAT_EQ(box.right, 5.0f);
}
