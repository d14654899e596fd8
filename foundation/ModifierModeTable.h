#pragma once
// The table from modifier keys to gesture modes of the user interface
// (1 reset, 2 fine, 4 link; combinations add up). It is filled when the
// library loads, before any plug-in instance exists, and released when it
// unloads.

#include <cstdint>

enum ModifierKey : std::uint32_t {
    kModifierControl = 1,
    kModifierShift = 2,
    kModifierAlt = 4,
};

// Fills the table (again); the library's start-up calls it.
void initModifierModeTable();
// The gesture mode of a combination of ModifierKey bits; 0 for none.
std::int32_t gestureModeForModifiers(std::uint32_t modifiers);
