#include "clap/HostText.h"

#include <cstring>

std::string hostText(const char* array, std::size_t size) {
    if (array == nullptr || size == 0) return {};
    const void* end = std::memchr(array, '\0', size);
    if (end != nullptr) return std::string(array, static_cast<const char*>(end));
    // No terminator: drop a character that the array's end cut in two.
    std::size_t length = size;
    std::size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(array[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start > 0) {
        const auto lead = static_cast<unsigned char>(array[start - 1]);
        const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length - (start - 1) < need) length = start - 1;
    }
    return std::string(array, length);
}
