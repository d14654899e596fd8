#include "foundation/AsyncEventQueue.h"
#include "foundation/KnownFolders.h"
#include "foundation/SharedMemory.h"
#include "foundation/TextConversion.h"
#include "foundation/ThreadWindows.h"
#include "foundation/tests/AllAtOnce.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

TEST(PosixAsyncEventQueue, HoldsItsCapacityRoundedToAPowerOfTwo) {
    struct Case {
        std::size_t asked, held;
    };
    for (Case c : {Case{8, 8}, Case{5, 8}, Case{0, 2}, Case{1000, 1024}}) {
        auto queue = AsyncEventQueue::create(c.asked);
        std::size_t accepted = 0;
        while (accepted < 5000 && queue->post(0, 0))
            ++accepted;
        EXPECT_EQ(accepted, c.held) << c.asked;
    }
}

// Our own codec replaces each maximal subpart of an ill-formed sequence.
// (Implementations of the Windows conversion disagree on encoded surrogates.)
TEST(PosixSystemUtils, EncodedSurrogatesAreThreeReplacements) {
    EXPECT_EQ(toWideString("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(toWideString("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "above U+10FFFF";
}

TEST(PosixSystemUtils, TheMainThreadStandsForTheUserInterfaceThread) {
    EXPECT_TRUE(isThreadWindowVisible()); // gtest runs tests on the main thread
    bool worker = true;
    std::thread([&] { worker = isThreadWindowVisible(); }).join();
    EXPECT_FALSE(worker);
}

// Sets an environment variable for a scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PosixSystemUtils, WellKnownFoldersFollowTheXdgRules) {
    struct Case {
        const char* config;
        const char* documents;
        const char* home;
        const char* appData;
        const char* documentsFolder;
    };
    const Case cases[] = {
        {"/tmp/cfg", "/tmp/docs/", "/home/u", "\\tmp\\cfg", "\\tmp\\docs"},
        {nullptr, nullptr, "/home/u", "\\home\\u\\.config", "\\home\\u\\Documents"},
        {"relative/ignored", "", "/home/u/", "\\home\\u\\.config", "\\home\\u\\Documents"},
    };
    for (const Case& c : cases) {
        ScopedEnvironment config("XDG_CONFIG_HOME", c.config);
        ScopedEnvironment documents("XDG_DOCUMENTS_DIR", c.documents);
        ScopedEnvironment home("HOME", c.home);
        EXPECT_EQ(getApplicationDataFolder(), c.appData);
        EXPECT_EQ(getDocumentsFolder(), c.documentsFolder);
    }
    ScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/cfg");
    ScopedEnvironment documents("XDG_DOCUMENTS_DIR", "/tmp/docs");
    EXPECT_EQ(getMakerFolderPath("Varnel 2"), "\\tmp\\cfg\\Zentor\\Varnel 2\\");
    EXPECT_EQ(getPresetsFolderPath("Varnel"), "\\tmp\\docs\\Zentor\\Presets\\Varnel\\");
}

} // namespace

namespace {

// Threads opening one new block at once, asking for different sizes: the
// object is only ever grown, so every block is usable to its last byte.
TEST(PosixSystemUtils, SharedMemoryOpenedAtOnceWithDifferentSizes) {
    for (int round = 0; round < 10; ++round) {
        std::string name = "VarnelTestRace" + std::to_string(round);
        std::vector<unsigned char*> blocks(8, nullptr);
        test::runOnThreadsAtOnce(8, [&](int i) {
            std::size_t size = static_cast<std::size_t>(i + 1) * 4096;
            auto* block = static_cast<unsigned char*>(openSharedInstanceMemory(name, size));
            if (block != nullptr) block[size - 1] = static_cast<unsigned char>(i + 1);
            blocks[static_cast<size_t>(i)] = block;
            return block != nullptr;
        });
        for (size_t i = 0; i < blocks.size(); ++i) {
            ASSERT_NE(blocks[i], nullptr) << "round " << round << ", thread " << i;
            EXPECT_EQ(blocks[i][(i + 1) * 4096 - 1], i + 1);
        }
    }
}

TEST(PosixSystemUtils, SharedMemoryCarriesTheProcessIdInItsName) {
    auto* block = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestNamed", 32));
    ASSERT_NE(block, nullptr);
    block[5] = 42;
    std::string name = "/VarnelTestNamed." + std::to_string(getpid());
    int fd = shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    void* view = mmap(nullptr, 32, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(view, MAP_FAILED);
    EXPECT_EQ(static_cast<const unsigned char*>(view)[5], 42);
    munmap(view, 32);
}

} // namespace
