#pragma once
// Text for OS calls: UTF-8 inside the system, UTF-16 at the call. Invalid
// input becomes U+FFFD.

#include <string>
#include <string_view>

std::u16string toWideString(std::string_view utf8);
std::string toUtf8String(std::u16string_view utf16);
