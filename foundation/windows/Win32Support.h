#pragma once
// Internal helpers of the Windows services: UTF-16 strings at the Win32 call
// and the module the library's services use.

#include "foundation/ModuleResources.h"
#include "foundation/TextConversion.h"

#include <string>
#include <windows.h>

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline std::wstring wide(std::string_view utf8) {
    std::u16string text = toWideString(utf8);
    return std::wstring(text.begin(), text.end());
}

inline std::string utf8(const wchar_t* text, std::size_t length) {
    return toUtf8String(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

inline std::string utf8(const wchar_t* text) {
    return utf8(text, wcslen(text));
}

// The module recorded by recordLibraryModule, else the process's main module.
HMODULE libraryModule();

} // namespace win32
