#include "gui/windows/WindowsClipboard.h"

#include "gui/tests/windows/WindowsRig.h"

#include <cstring>

namespace gui {
namespace {

// Puts raw UTF-16 units on the clipboard, with or without a terminator.
void putRawUnits(HWND owner, const std::vector<wchar_t>& units) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, units.size() * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    std::memcpy(GlobalLock(block), units.data(), units.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
    CloseClipboard();
}

TEST(WinClipboard, TextSurvivesTheRoundTrip) {
    test::TestWindow window;
    const char* const texts[] = {"plain", "caf\xC3\xA9", "\xF0\x9F\x98\x80 smile", "one\r\ntwo\r\n", ""};
    for (const char* text : texts) {
        ASSERT_TRUE(writeClipboardText(window.handle(), text));
        EXPECT_EQ(readClipboardText(window.handle()), text);
    }
}

TEST(WinClipboard, ReadsStopAtTheBlockEndAndReplaceLoneSurrogates) {
    test::TestWindow window;
    putRawUnits(window.handle(), {L'a', L'b', L'c', L'd'});
    const std::string unterminated = readClipboardText(window.handle());
    // Nothing is read past the block (the system may terminate it in its last unit).
    EXPECT_GE(unterminated.size(), 3u);
    EXPECT_EQ(std::string("abcd").substr(0, unterminated.size()), unterminated);

    putRawUnits(window.handle(), {L'x', wchar_t(0xD800), L'y', L'\0'});
    EXPECT_EQ(readClipboardText(window.handle()), "x\xEF\xBF\xBDy");

    putRawUnits(window.handle(), {L'k', L'\0', L'z', L'\0'});
    EXPECT_EQ(readClipboardText(window.handle()), "k");
}

TEST(WinClipboard, AHeldClipboardReadsEmptyAndRefusesWrites) {
    test::TestWindow window;
    ASSERT_TRUE(writeClipboardText(window.handle(), "kept"));
    std::mutex mutex;
    std::condition_variable changed;
    int stage = 0; // 1 held, 2 release
    std::thread holder([&] {
        const bool opened = OpenClipboard(nullptr) != 0;
        {
            std::lock_guard<std::mutex> lock(mutex);
            stage = opened ? 1 : -1;
        }
        changed.notify_all();
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return stage == 2; });
        if (opened) CloseClipboard();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return stage != 0; });
    }
    EXPECT_EQ(stage, 1);
    EXPECT_EQ(readClipboardText(window.handle()), "");
    EXPECT_FALSE(writeClipboardText(window.handle(), "lost"));
    {
        std::lock_guard<std::mutex> lock(mutex);
        stage = 2;
    }
    changed.notify_all();
    holder.join();
    EXPECT_EQ(readClipboardText(window.handle()), "kept");
}

} // namespace
} // namespace gui
