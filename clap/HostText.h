#pragma once

// Text in a fixed-size char array filled by the host: read up to its first
// NUL and never beyond the array; an array without a NUL is cut after its
// last whole UTF-8 character.

#include <cstddef>
#include <string>

std::string hostText(const char* array, std::size_t size);
