#pragma once

// How an enabled A/B button draws its label: two parts side by side, the
// first (2 - active slot) characters and the rest, so that the slash goes
// with the active letter ("A/" and "B" while A is active, "A" and "/B" while
// B is). The active part keeps the label's alpha; the other is drawn at
// 90/255 of it (byte products, rounded).
//
// Threading: any.

#include <array>
#include <cstdint>
#include <string>

struct ABButtonLabelPart {
    std::string text;
    int alpha = 255;
};

// slot 0 (A) or 1 (B); another slot counts as B.
std::array<ABButtonLabelPart, 2> abButtonLabelParts(const std::string& label, int32_t activeSlot, int alpha);
