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

// tryEnter never blocks: it fails while another thread holds the lock (at
// any depth), succeeds for the holder and once the lock is fully left.
TEST(CriticalSection, TryEnterTakesOnlyAFreeOrOwnLock) {
    for (int kind = 0; kind < 2; ++kind) {
        auto section = CriticalSection::create();
        LockedObject object;
        auto tryEnter = [&] { return kind == 0 ? section->tryEnter() : object.tryEnter(); };
        auto leave = [&] { kind == 0 ? section->leave() : object.unlock(); };

        ASSERT_TRUE(tryEnter());
        ASSERT_TRUE(tryEnter()) << "the holder enters again";
        auto attempt = [&] {
            bool entered = false;
            std::thread other([&] {
                entered = tryEnter();
                if (entered) leave();
            });
            other.join();
            return entered;
        };
        EXPECT_FALSE(attempt());
        leave();
        EXPECT_FALSE(attempt()) << "still held once";
        leave();
        EXPECT_TRUE(attempt());
        EXPECT_TRUE(tryEnter()) << "left by the other thread";
        leave();
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
