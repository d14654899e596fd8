#include "foundation/AsyncEventQueue.h"
#include "foundation/SharedMemory.h"
#include "foundation/ThreadWindows.h"

#include <gtest/gtest.h>

#include <thread>
#include <windows.h>

namespace {

bool queueClassRegistered() {
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExW(GetModuleHandleW(nullptr), L"ZT_QueueWindow", &info) != 0;
}

TEST(WindowsAsyncEventQueue, ClassStaysRegisteredUntilTheLastQueueGoes) {
    ASSERT_FALSE(queueClassRegistered());
    auto first = AsyncEventQueue::create();
    auto second = AsyncEventQueue::create();
    EXPECT_TRUE(queueClassRegistered());
    first.reset();
    EXPECT_TRUE(queueClassRegistered());
    EXPECT_TRUE(second->post(1, 2)) << "the remaining queue still has its window";
    EXPECT_EQ(second->deliverPending(), 1u);
    second.reset();
    EXPECT_FALSE(queueClassRegistered());
}

// A queue message can reach a window of the class before (or without) a
// queue being attached to it; the window procedure must pass it on.
TEST(WindowsAsyncEventQueue, MessageToAWindowWithoutQueueIsHarmless) {
    auto queue = AsyncEventQueue::create(); // registers the class
    HWND bare = CreateWindowExW(0, L"ZT_QueueWindow", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(SendMessageW(bare, 0x8000, 1, 2), 0);
    PostMessageW(bare, 0x8000, 3, 4);
    MSG message;
    while (PeekMessageW(&message, bare, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    DestroyWindow(bare);
}

TEST(WindowsSystemUtils, VisibleWindowsAreFoundPerThread) {
    EXPECT_FALSE(isThreadWindowVisible());
    auto queue = AsyncEventQueue::create();
    EXPECT_FALSE(isThreadWindowVisible()) << "the queue's window is hidden";

    HWND shown = CreateWindowExW(0, L"STATIC", L"shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(isThreadWindowVisible());
    bool otherThread = true;
    std::thread([&] { otherThread = isThreadWindowVisible(); }).join();
    EXPECT_FALSE(otherThread);
    DestroyWindow(shown);
    EXPECT_FALSE(isThreadWindowVisible());
}

} // namespace

namespace {

TEST(WindowsSystemUtils, SharedMemoryCarriesTheProcessIdInItsName) {
    auto* block = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestNamed", 32));
    ASSERT_NE(block, nullptr);
    block[5] = 42;
    std::wstring name = L"VarnelTestNamed." + std::to_wstring(GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(mapping, nullptr);
    auto* view = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 32));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[5], 42);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
}

// A block made first keeps its size: a later, larger request gets nothing
// rather than a block shorter than it asked for.
TEST(WindowsSystemUtils, SharedMemoryNeverGivesAShorterBlock) {
    auto* block = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestSized", 2 * 65536));
    ASSERT_NE(block, nullptr);
    block[2 * 65536 - 1] = 7;
    auto* smaller = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestSized", 100));
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(openSharedInstanceMemory("VarnelTestSized", 4 * 65536), nullptr);
}

} // namespace
