#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

// Keeps the compiler from eliding a new/delete pair.
void* volatile sink;

template <typename T> T* keep(T* pointer) {
    sink = pointer;
    return static_cast<T*>(sink);
}

// The counter must see every form of operator new, or a "nothing allocated"
// proof elsewhere would prove nothing.
TEST(AllocationCounter, CountsEveryFormOnTheCallingThreadOnly) {
    struct alignas(64) Wide {
        char bytes[64];
    };
    std::size_t allocations = 0, deallocations = 0, otherThread = 0;
    {
        test::AllocationCounter counter;
        delete keep(new int(1));
        delete[] keep(new char[3]);
        delete keep(new Wide);
        delete[] keep(new Wide[2]);
        ::operator delete(keep(::operator new(5, std::nothrow)));
        std::thread other([] { std::make_unique<std::string>(100, 'x'); });
        other.join(); // std::thread allocates its start record here, on this thread
        allocations = counter.allocations();
        deallocations = counter.deallocations();
        std::thread measure([&] {
            test::AllocationCounter own;
            delete keep(new int(2));
            otherThread = own.allocations();
        });
        measure.join();
    }
    EXPECT_EQ(allocations, 6u);
    EXPECT_EQ(deallocations, 5u) << "the thread record is freed by the thread";
    EXPECT_EQ(otherThread, 1u);
}

} // namespace
