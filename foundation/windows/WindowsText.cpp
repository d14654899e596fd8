#include "foundation/TextConversion.h"

#include <climits>
#include <windows.h>

// Code page 65001 with no flags: ill-formed input becomes U+FFFD.
std::u16string toWideString(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return {};
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        reinterpret_cast<wchar_t*>(result.data()), length);
    return result;
}

std::string toUtf8String(std::u16string_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    auto source = reinterpret_cast<const wchar_t*>(utf16.data());
    int count = static_cast<int>(utf16.size());
    int length = WideCharToMultiByte(CP_UTF8, 0, source, count, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, source, count, result.data(), length, nullptr, nullptr);
    return result;
}
