#include "foundation/tests/AllocationCounter.h"

#include "dsp/DisplaySources.h"
#include "foundation/BinaryData.h"
#include "foundation/Lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// One audio record: every sample is entry * 1000 + channel * 100 + frame.
std::string audioRecord(std::uint32_t channels, std::uint32_t blocks, std::uint32_t frames,
                        int firstEntry = 0, std::size_t truncateTo = std::string::npos) {
    std::ostringstream s;
    BinaryDataWriter w(s);
    w.writeUInt32(channels);
    w.writeUInt32(blocks);
    w.writeUInt32(frames);
    for (std::uint32_t b = 0; b < blocks; ++b)
        for (std::uint32_t c = 0; c < channels; ++c)
            for (std::uint32_t f = 0; f < frames; ++f)
                w.writeFloat(static_cast<float>((firstEntry + static_cast<int>(b)) * 1000 +
                                                static_cast<int>(c) * 100 + static_cast<int>(f)));
    std::string bytes = s.str();
    return truncateTo < bytes.size() ? bytes.substr(0, truncateTo) : bytes;
}

bool feed(AudioSourceProxy& proxy, const std::string& bytes) {
    std::istringstream s(bytes);
    BinaryDataReader r(s);
    return proxy.readAudio(r);
}

struct Audio : ::testing::Test {
    std::unique_ptr<CriticalSection> lock = CriticalSection::create();
    AudioSourceProxy proxy{*lock};
};

TEST_F(Audio, RingHoldsAQuarterSecond) {
    ASSERT_TRUE(feed(proxy, audioRecord(2, 3, 128)));
    EXPECT_EQ(proxy.capacity(), 87) << "11025 / 128 rounded up";
    EXPECT_EQ(proxy.channels(), 2);
    EXPECT_EQ(proxy.framesPerBlock(), 128);
    EXPECT_EQ(proxy.available(), 3);
    EXPECT_EQ(proxy.block(2, 1)[5], 2105.0f);
    EXPECT_EQ(proxy.block(0, 2), nullptr);
}

TEST_F(Audio, RecordWithAZeroFieldIsReadAndIgnored) {
    ASSERT_TRUE(feed(proxy, audioRecord(1, 2, 16)));
    for (auto [c, b, f] : {std::tuple{0u, 4u, 16u}, std::tuple{1u, 0u, 16u}, std::tuple{1u, 4u, 0u}}) {
        std::string bytes = audioRecord(c, b, f) + "tail";
        std::istringstream s(bytes);
        BinaryDataReader r(s);
        EXPECT_TRUE(proxy.readAudio(r));
        EXPECT_EQ(s.tellg(), 12) << "only the three sizes are consumed";
        EXPECT_EQ(proxy.totalBlocks(), 2u);
        EXPECT_EQ(proxy.framesPerBlock(), 16);
    }
}

TEST_F(Audio, ShapeChangeEmptiesTheRing) {
    ASSERT_TRUE(feed(proxy, audioRecord(1, 5, 64)));
    EXPECT_EQ(proxy.available(), 5);
    ASSERT_TRUE(feed(proxy, audioRecord(1, 2, 32, 10)));
    EXPECT_EQ(proxy.available(), 2);
    EXPECT_EQ(proxy.block(0, 0)[3], 10003.0f);
    ASSERT_TRUE(feed(proxy, audioRecord(2, 1, 32, 20)));
    EXPECT_EQ(proxy.available(), 1);
    EXPECT_EQ(proxy.totalBlocks(), 8u);
}

TEST_F(Audio, RateSetsTheCapacityWhichNeverDropsBelowOne) {
    struct Case {
        float rate;
        int frames, capacity;
    };
    for (Case c : {Case{44100.0f, 128, 87}, Case{48000.0f, 128, 94}, Case{0.0f, 128, 1}, Case{3.0f, 1, 1},
                   Case{-5.0f, 64, 1}, Case{96000.0f, 512, 47}}) {
        proxy.setSampleRate(c.rate);
        ASSERT_TRUE(feed(proxy, audioRecord(1, 3, static_cast<std::uint32_t>(c.frames))));
        EXPECT_EQ(proxy.capacity(), c.capacity) << c.rate;
        std::uint64_t last = 0;
        int count = -1;
        int first = proxy.newBlocks(&last, &count);
        EXPECT_GE(count, 1);
        EXPECT_GE(first, 0);
        EXPECT_GE(proxy.available(), 0);
        EXPECT_NE(proxy.block(0, 0), nullptr);
    }
}

TEST_F(Audio, NewBlocksAndAvailableAcrossTheWrap) {
    proxy.setSampleRate(4 * 64 * 4.0f); // capacity 4 with 64 frames
    ASSERT_TRUE(feed(proxy, audioRecord(1, 3, 64)));
    ASSERT_EQ(proxy.capacity(), 4);
    std::uint64_t last = 0;
    int count = 0;
    EXPECT_EQ(proxy.newBlocks(&last, &count), 3 + 8 - 3);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(last, 3u);
    proxy.markRead();
    EXPECT_EQ(proxy.available(), 0);

    ASSERT_TRUE(feed(proxy, audioRecord(1, 2, 64, 3))); // entries 3 and 0 (wrapped)
    EXPECT_EQ(proxy.available(), 2);
    EXPECT_EQ(proxy.block(0, 0)[0], 3000.0f);
    EXPECT_EQ(proxy.block(1, 0)[0], 4000.0f);
    EXPECT_EQ(proxy.newBlocks(&last, &count), 1 + 8 - 2);
    EXPECT_EQ(count, 2);

    ASSERT_TRUE(feed(proxy, audioRecord(1, 9, 64, 5))); // more than the ring holds
    EXPECT_EQ(proxy.newBlocks(&last, &count), 2 + 8 - 4);
    EXPECT_EQ(count, 4) << "at most the capacity";
    std::uint64_t ahead = last + 5;
    EXPECT_EQ(proxy.newBlocks(&ahead, &count), 2 + 8);
    EXPECT_EQ(count, 0) << "a last total ahead of the total counts nothing";
    EXPECT_EQ(proxy.newBlocks(nullptr, &count), 2 + 8);
    EXPECT_EQ(count, 0);
}

TEST_F(Audio, TruncatedAndHostileRecordsFailAndKeepTheRing) {
    ASSERT_TRUE(feed(proxy, audioRecord(2, 4, 100)));
    const float* before = proxy.block(3, 1);
    float sample = before[7];
    int capacity = proxy.capacity();
    EXPECT_EQ(capacity, 111) << "11025 / 100 rounded up";
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"sizes cut short", audioRecord(2, 4, 100).substr(0, 10)},
        {"samples cut short", audioRecord(2, 4, 100, 0, 12 + 4 * 799)},
        {"one sample missing after a shape change", audioRecord(3, 1, 50, 0, 12 + 4 * 149)},
        {"huge block count", audioRecord(1, 1, 8).substr(0, 4) + std::string("\xff\xff\xff\x7f", 4) +
                                 audioRecord(1, 1, 8).substr(8)},
        {"sizes whose product wraps 64 bits",
         std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 12) + std::string(64, '\0')},
        {"frames beyond the stream",
         std::string("\x01\0\0\0\x01\0\0\0\0\0\0\x40", 12) + std::string(64, '\0')},
        {"too many channels", audioRecord(65, 1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream s(c.bytes);
        BinaryDataReader r(s);
        std::size_t allocations = 0;
        bool ok;
        {
            test::AllocationCounter counter;
            ok = proxy.readAudio(r);
            allocations = counter.allocations();
        }
        EXPECT_FALSE(ok);
        EXPECT_FALSE(r.isGood()) << "the stream is failed";
        EXPECT_EQ(allocations, 0u);
        EXPECT_EQ(proxy.capacity(), capacity);
        EXPECT_EQ(proxy.channels(), 2);
        EXPECT_EQ(proxy.framesPerBlock(), 100);
        EXPECT_EQ(proxy.totalBlocks(), 4u);
        EXPECT_EQ(proxy.block(3, 1), before);
        EXPECT_EQ(proxy.block(3, 1)[7], sample);
    }
}

TEST(LevelSourceProxy, ReadsLevelsAndHandsRequestsOverOnce) {
    auto lock = CriticalSection::create();
    LevelSourceProxy proxy(*lock);
    EXPECT_EQ(proxy.info(), 1);
    std::ostringstream out;
    BinaryDataWriter w(out);
    for (int i = 0; i < 5; ++i)
        w.writeFloat(0.5f * static_cast<float>(i));
    w.writeInt32(7);
    std::istringstream in(out.str());
    BinaryDataReader r(in);
    ASSERT_TRUE(proxy.readLevels(r));
    EXPECT_EQ(proxy.level(4), 2.0f);
    EXPECT_EQ(proxy.level(5), 0.0f);
    EXPECT_EQ(proxy.info(), 7);

    std::istringstream truncated(out.str().substr(0, 22));
    BinaryDataReader t(truncated);
    EXPECT_FALSE(proxy.readLevels(t));
    EXPECT_EQ(proxy.level(4), 2.0f) << "unchanged";

    proxy.requestBit1();
    proxy.requestBit0();
    EXPECT_EQ(proxy.takeRequests(), 3);
    EXPECT_EQ(proxy.takeRequests(), 0);
}

std::string spectrumRecord(std::int32_t info, const std::vector<float>& values, std::uint32_t count) {
    std::ostringstream s;
    BinaryDataWriter w(s);
    w.writeInt32(info);
    w.writeUInt32(count);
    for (float v : values)
        w.writeFloat(v);
    return s.str();
}

bool feed(SpectrumSourceProxy& proxy, const std::string& bytes) {
    std::istringstream s(bytes);
    BinaryDataReader r(s);
    return proxy.readSpectrum(r);
}

TEST(SpectrumSourceProxy, HoldsPeaksUntilTheCountChangesOrAFreshRecordIsAsked) {
    auto lock = CriticalSection::create();
    SpectrumSourceProxy proxy(*lock);
    EXPECT_EQ(proxy.values(), nullptr);
    ASSERT_TRUE(feed(proxy, spectrumRecord(3, {1.0f, 5.0f, 2.0f}, 3)));
    ASSERT_TRUE(feed(proxy, spectrumRecord(4, {2.0f, 1.0f, 2.5f}, 3)));
    EXPECT_EQ(std::vector<float>(proxy.values(), proxy.values() + 3), (std::vector<float>{2.0f, 5.0f, 2.5f}));
    EXPECT_EQ(proxy.lastRecord(), (std::vector<float>{2.0f, 1.0f, 2.5f}));
    EXPECT_EQ(proxy.info(), 4);

    proxy.requestFresh();
    ASSERT_TRUE(feed(proxy, spectrumRecord(4, {0.5f, 0.5f, 0.5f}, 3)));
    EXPECT_EQ(proxy.values()[1], 0.5f);
    ASSERT_TRUE(feed(proxy, spectrumRecord(4, {9.0f, 8.0f}, 2)));
    EXPECT_EQ(proxy.valueCount(), 2);
    EXPECT_EQ(proxy.values()[0], 9.0f);

    // A count beyond the stream fails without touching the values.
    EXPECT_FALSE(feed(proxy, spectrumRecord(4, {1.0f}, 0x40000000u)));
    EXPECT_FALSE(feed(proxy, spectrumRecord(4, {1.0f}, 2)));
    EXPECT_EQ(proxy.valueCount(), 2);
    EXPECT_EQ(proxy.values()[1], 8.0f);
}

// The exchange thread feeds records and takes requests while the GUI thread
// reads the ring and sets request bits: clean under ThreadSanitizer, and no
// request is lost.
TEST_F(Audio, FeedingAndReadingOnTwoThreads) {
    LevelSourceProxy levels(*lock);
    const int requests = 2000;
    std::atomic<int> taken{0};
    std::atomic<bool> done{false};
    std::thread exchange([&] {
        int entry = 0;
        while (!done.load()) {
            feed(proxy, audioRecord(2, 3, 32, entry));
            entry = (entry + 3) % 9000; // sample values stay exact floats
            std::uint8_t bits = levels.takeRequests();
            taken += (bits & 1) + ((bits >> 1) & 1);
        }
    });
    std::uint64_t last = 0;
    for (int i = 0; i < requests; ++i) {
        if (i % 2)
            levels.requestBit1();
        else
            levels.requestBit0();
        int expected = i + 1;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (taken.load() < expected && std::chrono::steady_clock::now() < deadline) {
            proxy.lock();
            int count = 0;
            int first = proxy.newBlocks(&last, &count);
            int available = proxy.available();
            const float* b = proxy.block(available - 1, 1);
            float v = b != nullptr ? b[31] : 0.0f;
            proxy.unlock();
            ASSERT_GE(first, 0);
            ASSERT_TRUE(b == nullptr || static_cast<int>(v) % 1000 == 131);
        }
        ASSERT_EQ(taken.load(), expected) << "request " << i << " was lost";
    }
    done = true;
    exchange.join();
}

} // namespace
