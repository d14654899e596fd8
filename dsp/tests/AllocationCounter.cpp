#include "AllocationCounter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

thread_local long* activeCounter = nullptr;

void* allocate(std::size_t size, std::size_t alignment) {
    if (activeCounter != nullptr) ++*activeCounter;
    if (size == 0) size = 1;
    // Room for the alignment and for the address malloc gave, kept just below the block.
    std::size_t extra = alignment + sizeof(void*);
    void* raw = std::malloc(size + extra);
    if (raw == nullptr) throw std::bad_alloc();
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
    std::uintptr_t aligned = (start + alignment - 1) & ~(static_cast<std::uintptr_t>(alignment) - 1);
    reinterpret_cast<void**>(aligned)[-1] = raw;
    return reinterpret_cast<void*>(aligned);
}

void release(void* p) noexcept {
    if (p != nullptr) std::free(reinterpret_cast<void**>(p)[-1]);
}

} // namespace

namespace varnel::testing {

AllocationCounter::AllocationCounter() : previous_(activeCounter) {
    activeCounter = &count_;
}

AllocationCounter::~AllocationCounter() {
    activeCounter = previous_;
}

} // namespace varnel::testing

void* operator new(std::size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new[](std::size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, alignof(std::max_align_t));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, alignof(std::max_align_t));
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
