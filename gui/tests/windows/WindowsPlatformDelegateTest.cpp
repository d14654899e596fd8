#include "gui/windows/WindowsPlatformDelegate.h"

#include "gui/FileDialogs.h"
#include "gui/RootLockScope.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsBitmap.h"
#include "gui/windows/WindowsInterface.h"
#include "gui/windows/WindowsText.h"

namespace gui {
namespace {

class WinDelegate : public ::testing::Test {
protected:
    WinDelegate() : ui(std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 300, 200}, "", 0.0f)) {}
    UserInterface::PlatformDelegate& delegate() { return ui->platformDelegate(); }

    test::TestWindow host;
    test::TestWindow other;
    std::unique_ptr<WindowsInterface> ui;
};

TEST_F(WinDelegate, MetricsMonitorAndFactories) {
    EXPECT_EQ(delegate().dragThreshold(), 4);
    EXPECT_EQ(delegate().doubleClickTime(), 500);
    EXPECT_EQ(delegate().monitorRect(), Rect(0, 0, 1024, 768 - 165));
    std::unique_ptr<Bitmap> bitmap(delegate().createBitmap());
    EXPECT_NE(dynamic_cast<WindowsBitmap*>(bitmap.get()), nullptr);
    std::unique_ptr<Text> text(delegate().createText());
    EXPECT_NE(dynamic_cast<WindowsText*>(text.get()), nullptr);
}

TEST_F(WinDelegate, ClipboardThroughTheEditorsWindow) {
    delegate().setClipboardText("caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(delegate().clipboardText(), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST_F(WinDelegate, MessageBoxRunsTheOkActionOnlyOnOk) {
    for (int command : {IDOK, IDCANCEL}) {
        int ran = 0;
        bool otherDisabled = false;
        int depthInside = -1;
        {
            RootLockScope scope(*ui->rootControl());
            test::ModalCloser closer(test::answerDialog(command, nullptr, [&](HWND) {
                otherDisabled = !IsWindowEnabled(other.handle());
                depthInside = ui->rootControl()->lockDepth();
            }));
            delegate().messageBox("Sure?",
                                  UserInterface::PlatformDelegate::kButtonOk |
                                      UserInterface::PlatformDelegate::kButtonCancel,
                                  [&] { ++ran; });
            EXPECT_EQ(ui->rootControl()->lockDepth(), 1);
        }
        EXPECT_EQ(ran, command == IDOK ? 1 : 0);
        EXPECT_TRUE(otherDisabled);
        EXPECT_EQ(depthInside, 0);
        EXPECT_TRUE(IsWindowEnabled(other.handle()));
    }
    int ran = 0;
    std::thread([&] { delegate().messageBox("x", 1, [&] { ++ran; }); }).join();
    EXPECT_EQ(ran, 0);
}

TEST_F(WinDelegate, AnEditorDestroyedDuringABoxOrDialogRunsNothing) {
    int ran = 0;
    {
        RootLockScope scope(*ui->rootControl());
        test::ModalCloser closer(test::answerDialog(IDOK, nullptr, [&](HWND) { ui.reset(); }));
        // The delegate goes with the user interface: keep the call's object alive by value.
        UserInterface::PlatformDelegate* d = &delegate();
        d->messageBox("Sure?", 1, [&] { ++ran; });
    }
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(IsWindowEnabled(other.handle()));
}

TEST_F(WinDelegate, FileDialogsFinishWithTheChoiceOrNotChosen) {
    std::unique_ptr<OpenSaveDialog> dialog(delegate().createOpenSaveDialog());
    dialog->path.setValue("proposed");
    int finished = 0;
    dialog->finishedEvent.addHandler(NotifyEvent::bind([&] { ++finished; }));
    {
        test::ModalCloser closer(test::answerDialog(IDCANCEL));
        dialog->run(true);
    }
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(dialog->chosen.getValue());
    EXPECT_EQ(dialog->path.getValue(), "proposed");

    std::unique_ptr<SelectFolderDialog> folder(delegate().createSelectFolderDialog());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring start(temp);
    if (!start.empty() && start.back() == L'\\') start.pop_back();
    folder->startFolder.setValue(win32::utf8(start.c_str()));
    bool sawStart = false;
    {
        test::ModalCloser closer(test::confirmFolder(start.substr(start.rfind(L'\\') + 1), &sawStart));
        folder->run();
    }
    EXPECT_TRUE(folder->chosen.getValue());
    if (sawStart) {
        EXPECT_EQ(folder->path.getValue(), win32::utf8(start.c_str()));
    }

    // The editor dies while the dialog is open: the dialog is not chosen.
    folder->chosen.setValue(false);
    {
        test::ModalCloser closer(test::answerDialog(IDOK, nullptr, [&](HWND) { ui.reset(); }));
        folder->run();
    }
    EXPECT_FALSE(folder->chosen.getValue());
}

} // namespace
} // namespace gui
