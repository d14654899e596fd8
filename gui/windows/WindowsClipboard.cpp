#include "gui/windows/WindowsClipboard.h"

#include "foundation/windows/Win32Support.h"

#include <cstring>

namespace gui {

std::string readClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
    if (!OpenClipboard(owner)) return {};
    std::string result;
    if (HANDLE handle = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* text = static_cast<const wchar_t*>(GlobalLock(handle))) {
            const std::size_t units = GlobalSize(handle) / sizeof(wchar_t);
            std::size_t length = 0;
            while (length < units && text[length] != L'\0')
                ++length;
            result = win32::utf8(text, length);
            GlobalUnlock(handle);
        }
    }
    CloseClipboard();
    return result;
}

bool writeClipboardText(HWND owner, std::string_view text) {
    const std::wstring wide = win32::wide(text);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool written = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t))) {
        if (auto* units = static_cast<wchar_t*>(GlobalLock(block))) {
            std::memcpy(units, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
            GlobalUnlock(block);
            written = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!written) GlobalFree(block);
    }
    CloseClipboard();
    return written;
}

} // namespace gui
