#include "foundation/Lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(CriticalSection, IsReentrantOnTheOwningThread) {
    auto section = CriticalSection::create();
    section->enter();
    section->enter();
    section->leave();
    section->leave();

    LockedObject object;
    {
        ScopedLock outer(object);
        ScopedLock inner(object);
    }
    SUCCEED();
}

TEST(CriticalSection, ExcludesOtherThreadsUntilFullyLeft) {
    for (int kind = 0; kind < 2; ++kind) {
        auto section = CriticalSection::create();
        LockedObject object;
        ILock& lock = kind == 0 ? static_cast<ILock&>(*section) : object;

        std::atomic<bool> entered{false};
        lock.lock();
        lock.lock();
        std::thread other([&] {
            ScopedLock hold(lock);
            entered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_FALSE(entered);
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_FALSE(entered) << "still held once";
        lock.unlock();
        other.join();
        EXPECT_TRUE(entered);
    }
}

TEST(ScopedLock, ReleasesWhenAnExceptionPasses) {
    LockedObject object;
    try {
        ScopedLock hold(object);
        throw 1;
    } catch (int) {
    }
    std::atomic<bool> entered{false};
    std::thread other([&] {
        ScopedLock hold(object);
        entered = true;
    });
    other.join();
    EXPECT_TRUE(entered);
}

TEST(LockedObject, CountsStayExactUnderContention) {
    LockedObject object;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            ScopedLock hold(object);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

} // namespace
