#include "foundation/SharedMemory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SharedMemory, SharedInstanceMemoryIsOneBlockPerName) {
    auto* a = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestShared", 32));
    auto* b = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestShared", 32));
    auto* other = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestOther", 32));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(other, nullptr);
    a[0] = 0x5A;
    a[31] = 0xA5;
    EXPECT_EQ(b[0], 0x5A);
    EXPECT_EQ(b[31], 0xA5);
    EXPECT_EQ(other[0], 0) << "a new block is zeroed and separate";
    EXPECT_EQ(openSharedInstanceMemory("VarnelTestShared", 0), nullptr);
}

} // namespace
