// Replacement global operator new/delete that count per thread and forward to
// malloc/free (aligned forms over-allocate and keep the block's address just
// before the aligned pointer).
#include "foundation/tests/AllocationCounter.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace test {
namespace {

thread_local std::size_t allocationCount = 0;
thread_local std::size_t deallocationCount = 0;

void* allocate(std::size_t size) noexcept {
    ++allocationCount;
    return std::malloc(size ? size : 1);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) noexcept {
    ++allocationCount;
    auto align = static_cast<std::size_t>(alignment);
    if (align < alignof(void*)) align = alignof(void*);
    void* block = std::malloc(size + align + sizeof(void*));
    if (!block) return nullptr;
    auto address = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
    address = (address + align - 1) & ~static_cast<std::uintptr_t>(align - 1);
    reinterpret_cast<void**>(address)[-1] = block;
    return reinterpret_cast<void*>(address);
}

void release(void* pointer) noexcept {
    if (!pointer) return;
    ++deallocationCount;
    std::free(pointer);
}

void releaseAligned(void* pointer) noexcept {
    if (!pointer) return;
    ++deallocationCount;
    std::free(static_cast<void**>(pointer)[-1]);
}

void* orThrow(void* pointer) {
    if (!pointer) throw std::bad_alloc();
    return pointer;
}

} // namespace

std::size_t threadAllocationCount() noexcept {
    return allocationCount;
}

std::size_t threadDeallocationCount() noexcept {
    return deallocationCount;
}

} // namespace test

using test::allocate;
using test::allocateAligned;
using test::orThrow;
using test::release;
using test::releaseAligned;

void* operator new(std::size_t size) {
    return orThrow(allocate(size));
}
void* operator new[](std::size_t size) {
    return orThrow(allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
    return orThrow(allocateAligned(size, a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return orThrow(allocateAligned(size, a));
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateAligned(size, a);
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
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    releaseAligned(p);
}
