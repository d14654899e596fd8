#pragma once

// Bytes of the framework's binary files, written out by hand in tests: 32-bit
// little-endian numbers and length-prefixed strings.

#include <cstddef>
#include <cstdint>
#include <string>

namespace test {

inline std::string u32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline std::string str(const std::string& text) {
    return u32(static_cast<uint32_t>(text.size())) + text;
}

} // namespace test
