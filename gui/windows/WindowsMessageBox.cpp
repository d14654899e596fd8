#include "gui/windows/WindowsMessageBox.h"

#include "foundation/windows/Win32Support.h"
#include "gui/windows/ModalFrame.h"

namespace gui {

const wchar_t* messageBoxTitle(int buttons) {
    const int both = kMessageBoxOk | kMessageBoxCancel;
    return (buttons & both) == both ? L"Confirmation" : L"Information";
}

UINT messageBoxStyle(int buttons) {
    return (buttons & kMessageBoxCancel) != 0 ? MB_OKCANCEL : MB_OK;
}

int showMessageBox(HWND owner, const std::string& text, int buttons, RootControl* root) {
    const std::wstring wide = win32::wide(text);
    ModalFrame frame(owner, root);
    const int answer = MessageBoxW(owner, wide.c_str(), messageBoxTitle(buttons), messageBoxStyle(buttons));
    return frame.rootAlive() ? answer : 0;
}

} // namespace gui
