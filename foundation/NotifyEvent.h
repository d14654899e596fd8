#pragma once

// A notification event with one pointer argument (usually the sender).
//
// notify(argument) calls the primary handler first, then the further handlers
// from the last added to the first. The event owns every handler: setting a
// new primary handler deletes the previous one, removing a handler deletes it,
// and destroying the event deletes them all.
//
// Handlers may change the event while it notifies. A handler added during a
// notification is not called by that notification; a handler removed or
// replaced during a notification is not called afterwards, and its deletion
// waits until the outermost notification returns, so the handler that is
// running (and any other one the loop still refers to) stays alive. Even the
// event itself may be destroyed by one of its handlers: the notification then
// stops and deletes the handlers on its way out.
//
// Threading: one thread at a time. notify allocates nothing unless a handler
// is removed while it runs.

#include <type_traits>
#include <utility>
#include <vector>

class NotifyEvent {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void invoke(void* argument) = 0;
        // True when the other handler is bound to the same target.
        virtual bool isEqual(const Handler& other) const = 0;
    };

    // A member function taking the argument.
    template <class Class> class HandlerImpl : public Handler {
    public:
        using Function = void (Class::*)(void*);
        HandlerImpl(Class* target, Function function) : target_(target), function_(function) {}
        void invoke(void* argument) override { (target_->*function_)(argument); }
        bool isEqual(const Handler& other) const override {
            auto* o = dynamic_cast<const HandlerImpl*>(&other);
            return o != nullptr && o->target_ == target_ && o->function_ == function_;
        }

    private:
        Class* target_;
        Function function_;
    };

    // A member function taking no argument.
    template <class Class> class HandlerImpl0 : public Handler {
    public:
        using Function = void (Class::*)();
        HandlerImpl0(Class* target, Function function) : target_(target), function_(function) {}
        void invoke(void*) override { (target_->*function_)(); }
        bool isEqual(const Handler& other) const override {
            auto* o = dynamic_cast<const HandlerImpl0*>(&other);
            return o != nullptr && o->target_ == target_ && o->function_ == function_;
        }

    private:
        Class* target_;
        Function function_;
    };

    // Any callable taking the argument, or taking nothing. Never equal to
    // another handler; remove it by passing the handler itself.
    template <class F> class HandlerImplFunc : public Handler {
    public:
        explicit HandlerImplFunc(F function) : function_(std::move(function)) {}
        void invoke(void* argument) override {
            if constexpr (std::is_invocable_v<F&, void*>)
                function_(argument);
            else
                function_();
        }
        bool isEqual(const Handler&) const override { return false; }

    private:
        F function_;
    };

    template <class Class> static Handler* bind(Class* target, void (Class::*function)(void*)) {
        return new HandlerImpl<Class>(target, function);
    }
    template <class Class> static Handler* bind(Class* target, void (Class::*function)()) {
        return new HandlerImpl0<Class>(target, function);
    }
    template <class F> static Handler* bind(F&& function) {
        return new HandlerImplFunc<std::decay_t<F>>(std::forward<F>(function));
    }

    NotifyEvent() = default;
    NotifyEvent(const NotifyEvent&) = delete;
    NotifyEvent& operator=(const NotifyEvent&) = delete;
    ~NotifyEvent();

    void notify(void* argument);

    // Takes ownership; deletes the previous primary handler (null clears it).
    void setHandler(Handler* handler);
    Handler* getHandler() const { return primary_; }

    // Takes ownership; null is ignored.
    void addHandler(Handler* handler);

    // Removes and deletes every handler (the primary one included) that is the
    // given handler or isEqual to it. Returns whether anything was removed.
    bool removeHandler(const Handler& handler);
    template <class Class> bool removeHandler(Class* target, void (Class::*function)(void*)) {
        return removeHandler(HandlerImpl<Class>(target, function));
    }
    template <class Class> bool removeHandler(Class* target, void (Class::*function)()) {
        return removeHandler(HandlerImpl0<Class>(target, function));
    }

    // Removes and deletes every handler.
    void clear();

    // True when there is a primary handler or at least one further handler.
    bool hasHandlers() const;

private:
    struct Frame;
    class FrameScope;

    void discard(Handler* handler);
    void flushDiscarded();

    Handler* primary_ = nullptr;
    std::vector<Handler*> handlers_;  // may hold null entries while notifying
    std::vector<Handler*> discarded_; // removed while notifying; deleted afterwards
    Frame* activeFrame_ = nullptr;    // innermost running notify of this event
};
