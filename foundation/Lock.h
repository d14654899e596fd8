#pragma once
// Cross-thread locks. ILock is the minimal lock interface; CriticalSection is
// the platform lock behind it (re-entrant for the owning thread on both
// builds), created by CriticalSection::create(). LockedObject gives a class its
// own lock; ScopedLock holds any ILock for a scope. tryEnter takes the lock
// only when that does not block (always for the thread that holds it).
//
// These locks are for the control threads (model, editor, worker threads).
// Audio-thread code never takes them.

#include <memory>

class ILock {
public:
    virtual void lock() = 0;
    virtual void unlock() = 0;

protected:
    ~ILock() = default;
};

class CriticalSection : public ILock {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    virtual ~CriticalSection() = default;

    void lock() override { enter(); }
    void unlock() override { leave(); }

    virtual void enter() = 0;
    // Enters when that does not block; true when entered (leave it once then).
    virtual bool tryEnter() = 0;
    virtual void leave() = 0;

    // The platform's critical section; the caller owns it.
    static std::unique_ptr<CriticalSection> create();
};

class LockedObject : public ILock {
public:
    LockedObject() : section_(CriticalSection::create()) {}
    LockedObject(const LockedObject&) = delete;
    LockedObject& operator=(const LockedObject&) = delete;
    virtual ~LockedObject() = default;

    void lock() override { section_->enter(); }
    void unlock() override { section_->leave(); }
    // Locks when that does not block; true when locked (unlock it once then).
    virtual bool tryEnter() { return section_->tryEnter(); }

private:
    std::unique_ptr<CriticalSection> section_;
};

class ScopedLock {
public:
    explicit ScopedLock(ILock& lock) : lock_(lock) { lock_.lock(); }
    ~ScopedLock() { lock_.unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    ILock& lock_;
};
