#include "gui/windows/WindowsFileDialogs.h"

#include "gui/tests/windows/WindowsRig.h"

#include <objbase.h>
#include <shlobj.h>

namespace gui {
namespace {

constexpr int kFileNameCombo = 0x47C; // the name box of the file dialog
constexpr int kFileNameEdit = 0x480;  // its older form

// A fresh folder under the temporary folder, removed with its files afterwards.
class TemporaryFolder {
public:
    TemporaryFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + test::uniqueName(L"VarnelDialogs");
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TemporaryFolder() {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + L"\\" + data.cFileName).c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::string utf8() const { return win32::utf8(path_.c_str()); }
    std::wstring leaf() const { return path_.substr(path_.rfind(L'\\') + 1); }

private:
    std::wstring path_;
};

TEST(WinFileDialogs, FilterListsBecomeNulSeparated) {
    EXPECT_EQ(nativeFilterList("Presets|*.ztp|All|*.*"), std::wstring(L"Presets\0*.ztp\0All\0*.*\0\0", 23));
    EXPECT_EQ(nativeFilterList("A|*.a|"), std::wstring(L"A\0*.a\0\0", 7));
    EXPECT_EQ(folderDialogFlags(true), UINT(BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE));
    EXPECT_EQ(folderDialogFlags(false), UINT(BIF_RETURNONLYFSDIRS));
}

TEST(WinFileDialogs, SaveTakesTheTypedNameInTheStartFolderWithTheExtension) {
    test::TestWindow owner;
    TemporaryFolder folder;
    OpenSaveRequest request;
    request.owner = owner.handle();
    request.save = true;
    request.filters = "Presets|*.ztp";
    request.defaultExtension = ".ztp";
    request.startFolder = folder.utf8();
    std::optional<std::string> chosen;
    {
        test::ModalCloser closer(test::answerDialog(IDOK, nullptr, [](HWND dialog) {
            SetDlgItemTextW(dialog, kFileNameCombo, L"My preset");
            SetDlgItemTextW(dialog, kFileNameEdit, L"My preset");
        }));
        chosen = runOpenSaveDialog(request);
    }
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, folder.utf8() + "\\My preset.ztp");
}

TEST(WinFileDialogs, CancelChoosesNothing) {
    test::TestWindow owner;
    TemporaryFolder folder;
    for (bool save : {false, true}) {
        OpenSaveRequest request;
        request.owner = owner.handle();
        request.save = save;
        request.startFolder = folder.utf8();
        request.proposedName = "proposed";
        test::ModalCloser closer(test::answerDialog(IDCANCEL));
        EXPECT_FALSE(runOpenSaveDialog(request).has_value());
    }
}

TEST(WinFileDialogs, TheFolderDialogStartsAtItsFolder) {
    test::TestWindow owner;
    TemporaryFolder folder;
    std::optional<std::string> chosen;
    bool sawStart = false;
    {
        test::ModalCloser closer(test::confirmFolder(folder.leaf(), &sawStart));
        chosen = runSelectFolderDialog(owner.handle(), folder.utf8());
    }
    ASSERT_TRUE(chosen.has_value());
    if (sawStart) {
        EXPECT_EQ(*chosen, folder.utf8());
    }
    {
        test::ModalCloser closer(test::answerDialog(IDCANCEL));
        EXPECT_FALSE(runSelectFolderDialog(owner.handle(), folder.utf8()).has_value());
    }
}

TEST(WinFileDialogs, TheFolderDialogLeavesAHostsMultithreadedComAlone) {
    TemporaryFolder folder;
    HRESULT before = E_FAIL;
    HRESULT after = E_FAIL;
    std::optional<std::string> chosen;
    bool shown = false;
    std::thread host([&] {
        before = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            test::TestWindow owner;
            // The older dialog style of such a thread: the box shows and is cancelled.
            test::ModalCloser closer(test::answerDialog(IDCANCEL, nullptr, [&](HWND) { shown = true; }));
            chosen = runSelectFolderDialog(owner.handle(), folder.utf8());
        }
        // Still initialised as before: a second initialise only counts up.
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
        CoUninitialize();
    });
    host.join();
    EXPECT_EQ(before, S_OK);
    EXPECT_EQ(after, S_FALSE);
    EXPECT_FALSE(chosen.has_value());
    EXPECT_TRUE(shown);
}

} // namespace
} // namespace gui
