#pragma once

// The message box of the platform delegate. Buttons: bit 0 OK, bit 1 Cancel;
// the title is "Confirmation" when both are asked for, else "Information";
// Cancel (bit 1) makes an OK/Cancel box. The thread's other windows are
// disabled while it is open.
//
// Threading: GUI thread only.

#include <string>
#include <windows.h>

namespace gui {

class RootControl;

inline constexpr int kMessageBoxOk = 1;
inline constexpr int kMessageBoxCancel = 2;

const wchar_t* messageBoxTitle(int buttons);
UINT messageBoxStyle(int buttons);
// IDOK, IDCANCEL, or 0 when the box could not be shown or the root (when
// given) died while it was open.
int showMessageBox(HWND owner, const std::string& text, int buttons, RootControl* root = nullptr);

} // namespace gui
