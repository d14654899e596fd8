#pragma once
// Counts the allocations a thread makes through operator new (every form),
// for tests that prove a path allocates nothing:
//
//   AllocationCounter counter;      // on the thread under test
//   processBlock();
//   EXPECT_EQ(counter.allocations(), 0u);
//
// AllocationCounter.cpp replaces the global operator new and delete of the
// test executable that compiles it (link it into one executable only once;
// other subsystems' tests add the CMake target varnel_allocation_counter).
// malloc and friends called directly are not counted.

#include <cstddef>

namespace test {

// Operator-new calls made by the calling thread since it started.
std::size_t threadAllocationCount() noexcept;
std::size_t threadDeallocationCount() noexcept;

class AllocationCounter {
public:
    AllocationCounter() noexcept
        : allocationsAtStart_(threadAllocationCount()), deallocationsAtStart_(threadDeallocationCount()) {}
    std::size_t allocations() const noexcept { return threadAllocationCount() - allocationsAtStart_; }
    std::size_t deallocations() const noexcept { return threadDeallocationCount() - deallocationsAtStart_; }

private:
    std::size_t allocationsAtStart_;
    std::size_t deallocationsAtStart_;
};

} // namespace test
