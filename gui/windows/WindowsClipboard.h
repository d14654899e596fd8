#pragma once

// The clipboard's Unicode text, as UTF-8. A clipboard that cannot be opened
// (another thread holds it) reads as empty and refuses writes.
//
// Threading: GUI thread (the owner window's thread).

#include <string>
#include <string_view>
#include <windows.h>

namespace gui {

// CF_UNICODETEXT up to its terminator or the end of its block; "" when
// there is none or the clipboard is busy. Unpaired surrogates read as U+FFFD.
std::string readClipboardText(HWND owner);
// Replaces the clipboard's contents with the text; false when it could not.
bool writeClipboardText(HWND owner, std::string_view text);

} // namespace gui
