#pragma once

// Enumerations shared by the toolkit's controls and drawing operations.

namespace gui {

enum class Alignment { kLeft = 0, kCentre = 1, kRight = 2 };

enum class Layout { kTop = 0, kMiddle = 1, kBottom = 2 };

enum class Orientation { kHorizontal = 0, kVertical = 1 };

// 0 and 1 run along x, 2 and 3 along y; the odd ones are reversed.
enum class Direction { kRight = 0, kLeft = 1, kDown = 2, kUp = 3 };

inline constexpr Direction kDefaultDirection = Direction::kDown;

constexpr bool isVertical(Direction d) {
    return d == Direction::kDown || d == Direction::kUp;
}
constexpr bool isReversed(Direction d) {
    return d == Direction::kLeft || d == Direction::kUp;
}

} // namespace gui
