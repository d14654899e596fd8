#include "gui/windows/WindowsMessageBox.h"

#include "gui/tests/windows/WindowsRig.h"

namespace gui {
namespace {

struct BoxCase {
    int buttons;
    const wchar_t* title;
    int command;
    bool hasCancel;
};

TEST(WinMessageBox, TitlesButtonsAndAnswers) {
    const BoxCase cases[] = {
        {kMessageBoxOk, L"Information", IDOK, false},
        {kMessageBoxOk | kMessageBoxCancel, L"Confirmation", IDCANCEL, true},
        {kMessageBoxOk | kMessageBoxCancel, L"Confirmation", IDOK, true},
        {kMessageBoxCancel, L"Information", IDCANCEL, true},
    };
    test::TestWindow owner;
    test::TestWindow other;
    for (const BoxCase& c : cases) {
        std::wstring title;
        bool cancelShown = false;
        bool otherDisabled = false;
        bool ownerEnabled = false;
        HWND boxOwner = nullptr;
        int answer = 0;
        {
            test::ModalCloser closer(test::answerDialog(c.command, &title, [&](HWND box) {
                cancelShown = GetDlgItem(box, IDCANCEL) != nullptr;
                otherDisabled = !IsWindowEnabled(other.handle());
                boxOwner = GetWindow(box, GW_OWNER);
                ownerEnabled = IsWindowEnabled(owner.handle()) != 0;
            }));
            answer = showMessageBox(owner.handle(), "Message text", c.buttons);
        }
        EXPECT_EQ(answer, c.command) << c.buttons;
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(cancelShown, c.hasCancel);
        EXPECT_TRUE(otherDisabled);
        EXPECT_EQ(boxOwner, owner.handle());
        EXPECT_FALSE(ownerEnabled); // the box itself disables its owner
        EXPECT_TRUE(IsWindowEnabled(other.handle()));
        EXPECT_TRUE(IsWindowEnabled(owner.handle()));
    }
}

TEST(WinMessageBox, AWindowDestroyedDuringTheBoxIsSkipped) {
    test::TestWindow owner;
    auto doomed = std::make_unique<test::TestWindow>();
    {
        test::ModalCloser closer(test::answerDialog(IDOK, nullptr, [&](HWND) { doomed.reset(); }));
        EXPECT_EQ(showMessageBox(owner.handle(), "x", kMessageBoxOk), IDOK);
    }
    EXPECT_TRUE(IsWindowEnabled(owner.handle()));
}

} // namespace
} // namespace gui
