#include "gui/windows/WindowsFileDialogs.h"

#include "foundation/windows/Win32Support.h"
#include "gui/UserInterface.h"
#include "gui/windows/ModalFrame.h"

#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>
#include <vector>

namespace gui {

namespace {

// Selects the start folder once the browser is up.
int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

} // namespace

std::wstring nativeFilterList(std::string_view filters) {
    std::wstring list = win32::wide(filters);
    for (wchar_t& c : list)
        if (c == L'|') c = L'\0';
    if (!list.empty() && list.back() != L'\0') list += L'\0';
    list += L'\0';
    return list;
}

UINT folderDialogFlags(bool oleInitialised) {
    return BIF_RETURNONLYFSDIRS | (oleInitialised ? BIF_NEWDIALOGSTYLE : 0);
}

std::optional<std::string> runOpenSaveDialog(const OpenSaveRequest& request) {
    std::vector<wchar_t> name(kFileNameBufferUnits, L'\0');
    const std::wstring proposed = win32::wide(request.proposedName);
    if (proposed.size() < name.size()) std::copy(proposed.begin(), proposed.end(), name.begin());
    const std::wstring filters = request.filters.empty() ? std::wstring() : nativeFilterList(request.filters);
    std::string extension = request.defaultExtension;
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    const std::wstring wideExtension = win32::wide(extension);
    const std::wstring folder = win32::wide(request.startFolder);

    OPENFILENAMEW info{};
    info.lStructSize = sizeof(info);
    info.hwndOwner = request.owner;
    info.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    info.nFilterIndex = 1;
    info.lpstrFile = name.data();
    info.nMaxFile = DWORD(name.size());
    info.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    info.lpstrDefExt = wideExtension.empty() ? nullptr : wideExtension.c_str();
    info.Flags = OFN_OVERWRITEPROMPT;

    BOOL chosen = FALSE;
    {
        ModalFrame frame(request.owner, request.root);
        chosen = request.save ? GetSaveFileNameW(&info) : GetOpenFileNameW(&info);
        if (!frame.rootAlive()) return std::nullopt;
    }
    if (!chosen) return std::nullopt; // cancelled, or FNERR_BUFFERTOOSMALL
    name.back() = L'\0';
    return win32::utf8(name.data());
}

std::optional<std::string> runSelectFolderDialog(HWND owner, const std::string& startFolder,
                                                 RootControl* root) {
    const HRESULT ole = OleInitialize(nullptr);
    const bool oleInitialised = SUCCEEDED(ole);
    const std::wstring folder = win32::wide(startFolder);

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.ulFlags = folderDialogFlags(oleInitialised);
    info.lpfn = browseCallback;
    info.lParam = folder.empty() ? 0 : reinterpret_cast<LPARAM>(folder.c_str());

    PIDLIST_ABSOLUTE chosen = nullptr;
    bool rootAlive = true;
    {
        ModalFrame frame(owner, root);
        chosen = SHBrowseForFolderW(&info);
        rootAlive = frame.rootAlive();
    }
    std::optional<std::string> result;
    if (chosen != nullptr && !rootAlive) {
        CoTaskMemFree(chosen);
    } else if (chosen != nullptr) {
        std::vector<wchar_t> path(kFileNameBufferUnits, L'\0');
        if (SHGetPathFromIDListEx(chosen, path.data(), DWORD(path.size()), GPFIDL_DEFAULT))
            result = win32::utf8(path.data());
        CoTaskMemFree(chosen);
    }
    // Only a successful initialise is ours to undo: the host's COM stays as it was.
    if (oleInitialised) OleUninitialize();
    return result;
}

WindowsOpenSaveDialog::WindowsOpenSaveDialog(UserInterface& userInterface)
    : userInterface_(userInterface), alive_(std::make_shared<bool>(true)) {}

WindowsOpenSaveDialog::~WindowsOpenSaveDialog() {
    *alive_ = false;
}

void WindowsOpenSaveDialog::run(bool save) {
    OpenSaveRequest request;
    request.owner = static_cast<HWND>(userInterface_.nativeWindow());
    request.root = userInterface_.rootControl();
    request.save = save;
    request.filters = filters.getValue();
    request.defaultExtension = defaultExtension.getValue();
    request.startFolder = startFolder.getValue();
    request.proposedName = path.getValue();
    const std::shared_ptr<bool> alive = alive_;
    const std::optional<std::string> chosen = runOpenSaveDialog(request);
    if (!*alive) return;
    finish(chosen.has_value(), chosen.value_or(std::string()));
}

WindowsSelectFolderDialog::WindowsSelectFolderDialog(UserInterface& userInterface)
    : userInterface_(userInterface), alive_(std::make_shared<bool>(true)) {}

WindowsSelectFolderDialog::~WindowsSelectFolderDialog() {
    *alive_ = false;
}

void WindowsSelectFolderDialog::run() {
    const std::shared_ptr<bool> alive = alive_;
    const std::optional<std::string> chosen =
        runSelectFolderDialog(static_cast<HWND>(userInterface_.nativeWindow()), startFolder.getValue(),
                              userInterface_.rootControl());
    if (!*alive) return;
    finish(chosen.has_value(), chosen.value_or(std::string()));
}

} // namespace gui
