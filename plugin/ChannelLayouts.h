#pragma once

// The plug-in's channel layouts, by layout number: how many channels each
// carries and which kind of audio port it is offered as. The processor sizes
// its channels from this table, and the host binding offers the same rows
// as its port configurations. Layout 1 (stereo) is the default.

#include <array>
#include <cstddef>
#include <cstdint>

enum class ChannelPortType { kMono, kStereo, kSurround };

constexpr int32_t kNumChannelLayouts = 29;
constexpr int32_t kDefaultChannelLayout = 1;
constexpr int32_t kMaxLayoutChannels = 16;

constexpr std::array<int32_t, kNumChannelLayouts> kChannelLayoutChannels = {
    1, 2, 3, 4, 4, 5, 6, 6, 7, 7, 7, 8, 8, 13, 14, 15, 16, 8, 10, 9, 10, 11, 12, 13, 14, 13, 14, 15, 16,
};

constexpr bool isValidChannelLayout(int32_t layout) {
    return layout >= 0 && layout < kNumChannelLayouts;
}

// The channel count of a layout; 0 for a number outside the table.
constexpr int32_t channelCountOfLayout(int32_t layout) {
    return isValidChannelLayout(layout) ? kChannelLayoutChannels[static_cast<std::size_t>(layout)] : 0;
}

constexpr ChannelPortType portTypeOfLayout(int32_t layout) {
    return layout == 0   ? ChannelPortType::kMono
           : layout == 1 ? ChannelPortType::kStereo
                         : ChannelPortType::kSurround;
}
