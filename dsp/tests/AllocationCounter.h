#pragma once

// Counts the global operator new calls that the calling thread makes while a
// counter is alive (the replacement operators are in AllocationCounter.cpp,
// linked into the dsp test program). Other threads are not counted.

namespace varnel::testing {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    long count() const { return count_; }

private:
    long count_ = 0;
    long* previous_;
};

} // namespace varnel::testing
