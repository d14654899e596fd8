#include "editor/ABButtonLabel.h"

#include "gui/PixelArithmetic.h"

#include <algorithm>

std::array<ABButtonLabelPart, 2> abButtonLabelParts(const std::string& label, int32_t activeSlot, int alpha) {
    constexpr std::uint32_t kInactive = 90;
    const bool a = activeSlot == 0;
    const size_t split = std::min<size_t>(a ? 2 : 1, label.size());
    const int clamped = std::clamp(alpha, 0, 255);
    const int dimmed =
        static_cast<int>(gui::pixel::multiply255(static_cast<std::uint32_t>(clamped), kInactive));
    return {ABButtonLabelPart{label.substr(0, split), a ? clamped : dimmed},
            ABButtonLabelPart{label.substr(split), a ? dimmed : clamped}};
}
