#include "clap/ClapTextCopy.h"

#include <cstring>

void copyToHostText(char* array, std::size_t capacity, std::string_view text) {
    if (array == nullptr || capacity == 0) return;
    std::size_t length = text.size() < capacity ? text.size() : capacity - 1;
    if (length < text.size()) {
        // Step back over continuation bytes to the start of the character
        // that the cut would split.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(array, text.data(), length);
    array[length] = '\0';
}
