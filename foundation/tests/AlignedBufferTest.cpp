#include "foundation/AlignedBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool aligned32(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p) % 32 == 0;
}

// The storage is whole lines of 8 floats, zeroed: vector loops may read
// (and write) the padding after the last element.
void expectZeroPadding(const AlignedBuffer<float>& b) {
    std::int32_t padded = (b.size() + 7) / 8 * 8;
    for (std::int32_t i = b.size(); i < padded; ++i)
        EXPECT_EQ(b.data()[i], 0.0f) << "padding at " << i;
}

TEST(AlignedBuffer, NewBuffersAreAlignedAndZeroed) {
    for (std::int32_t n : {1, 3, 7, 8, 9, 31, 1000}) {
        AlignedBuffer<float> b(n);
        ASSERT_EQ(b.size(), n);
        EXPECT_TRUE(aligned32(b.data())) << n;
        for (float v : b)
            EXPECT_EQ(v, 0.0f);
        expectZeroPadding(b);
    }
}

TEST(AlignedBuffer, ResizeKeepsOldValuesAndZeroesNewOnes) {
    struct Case {
        std::int32_t from, to;
    };
    for (Case c : {Case{4, 13}, Case{13, 4}, Case{8, 9}, Case{1, 1}}) {
        AlignedBuffer<float> b(c.from);
        for (std::int32_t i = 0; i < c.from; ++i)
            b[i] = float(i + 1);
        b.resize(c.to);
        ASSERT_EQ(b.size(), c.to);
        EXPECT_TRUE(aligned32(b.data()));
        for (std::int32_t i = 0; i < c.to; ++i)
            EXPECT_EQ(b[i], i < c.from ? float(i + 1) : 0.0f) << c.from << "->" << c.to << " at " << i;
        expectZeroPadding(b);
    }
}

TEST(AlignedBuffer, ResizeBelowOneFreesAndCountsZero) {
    for (std::int32_t n : {0, -1, -100}) {
        AlignedBuffer<float> b(5);
        b[0] = 2.0f;
        b.resize(n);
        EXPECT_EQ(b.size(), 0) << n;
        EXPECT_EQ(b.data(), nullptr);
        // A later growth must not copy from the freed data.
        b.resize(3);
        ASSERT_EQ(b.size(), 3);
        EXPECT_EQ(b[0], 0.0f);
    }
    AlignedBuffer<float> negative(-4);
    EXPECT_EQ(negative.size(), 0);
}

TEST(AlignedBuffer, CopiesAreDeepAndMovesTransfer) {
    AlignedBuffer<float> a(10);
    a[9] = 7.0f;
    AlignedBuffer<float> copy(a);
    copy[9] = 1.0f;
    EXPECT_EQ(a[9], 7.0f);
    EXPECT_TRUE(aligned32(copy.data()));

    AlignedBuffer<float> moved(std::move(a));
    EXPECT_EQ(moved[9], 7.0f);
    EXPECT_EQ(a.size(), 0);

    moved.clear();
    EXPECT_EQ(moved[9], 0.0f);
    EXPECT_EQ(moved.size(), 10);
}

} // namespace
