#pragma once

// The error of loading and decoding bitmaps, carrying a message such as
// "Unknown file format".

#include <stdexcept>
#include <string>

namespace gui {

class EBitmap : public std::runtime_error {
public:
    explicit EBitmap(const std::string& message) : std::runtime_error(message) {}
    explicit EBitmap(const char* message) : std::runtime_error(message) {}
};

} // namespace gui
