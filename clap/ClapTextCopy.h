#pragma once

// Text handed to a host in its fixed-size char arrays: at most capacity - 1
// bytes and a terminator, cut before a UTF-8 character that would not fit
// whole. A null array or a capacity of 0 receives nothing.

#include <cstddef>
#include <string_view>

void copyToHostText(char* array, std::size_t capacity, std::string_view text);
