#pragma once
// AlignedBuffer<T>: a zero-initialised array whose data starts on a 32-byte
// boundary, for the signal code's SIMD loops. Sized at prepare time (resize
// allocates); reading and writing the elements never allocates.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <typename T> class AlignedBuffer {
    static_assert(std::is_trivially_copyable_v<T>, "AlignedBuffer holds plain values");

public:
    static constexpr std::size_t alignment = 32;

    AlignedBuffer() noexcept = default;
    explicit AlignedBuffer(std::int32_t count) { resize(count); }
    ~AlignedBuffer() { release(data_); }

    AlignedBuffer(const AlignedBuffer& other) {
        if (other.count_ > 0) {
            data_ = allocate(other.count_);
            count_ = other.count_;
            std::memcpy(data_, other.data_, bytes(count_));
        }
    }
    AlignedBuffer& operator=(const AlignedBuffer& other) {
        if (this != &other) {
            AlignedBuffer copy(other);
            swap(copy);
        }
        return *this;
    }
    AlignedBuffer(AlignedBuffer&& other) noexcept
        : count_(std::exchange(other.count_, 0)), data_(std::exchange(other.data_, nullptr)) {}
    AlignedBuffer& operator=(AlignedBuffer&& other) noexcept {
        AlignedBuffer moved(std::move(other));
        swap(moved);
        return *this;
    }
    void swap(AlignedBuffer& other) noexcept {
        std::swap(count_, other.count_);
        std::swap(data_, other.data_);
    }

    // Same count: nothing happens. Below 1: the data is freed and the count is
    // 0. Otherwise a new zeroed block receives the first min(n, old count)
    // values.
    void resize(std::int32_t n) {
        if (n == count_) return;
        if (n < 1) {
            release(std::exchange(data_, nullptr));
            count_ = 0;
            return;
        }
        T* block = allocate(n);
        if (count_ > 0) std::memcpy(block, data_, bytes(std::min(n, count_)));
        release(std::exchange(data_, block));
        count_ = n;
    }

    // Sets every element to zero (no allocation).
    void clear() noexcept {
        if (data_) std::memset(data_, 0, bytes(count_));
    }

    std::int32_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    T& operator[](std::int32_t i) noexcept { return data_[i]; }
    const T& operator[](std::int32_t i) const noexcept { return data_[i]; }
    T* begin() noexcept { return data_; }
    T* end() noexcept { return data_ + count_; }
    const T* begin() const noexcept { return data_; }
    const T* end() const noexcept { return data_ + count_; }

private:
    static std::size_t bytes(std::int32_t n) { return static_cast<std::size_t>(n) * sizeof(T); }
    static T* allocate(std::int32_t n) {
        // Whole 32-byte lines, so vector loops may read the tail of the last one.
        std::size_t size = (bytes(n) + alignment - 1) & ~(alignment - 1);
        void* block = ::operator new (size, std::align_val_t{alignment});
        std::memset(block, 0, size);
        return static_cast<T*>(block);
    }
    static void release(T* block) noexcept {
        if (block) ::operator delete (block, std::align_val_t{alignment});
    }

    std::int32_t count_ = 0;
    T* data_ = nullptr;
};
