#pragma once

// The headless platform's clipboard: one text for the whole process and a
// change count, which each user interface compares at its next tick to fire
// its clipboard-changed event.
//
// Threading: any thread (a mutex guards it).

#include <cstdint>
#include <string>

namespace gui::headless {

class HeadlessClipboard {
public:
    static std::string text();
    static void setText(const std::string& text);
    // Grows by one with every change.
    static std::uint64_t changeCount();
};

} // namespace gui::headless
