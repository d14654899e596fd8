#pragma once

// The key codes of keyPressed and dispatchKey (Control.h): the platform
// turns the keys the toolkit reacts to into these, and a typed character
// comes as kKeyCharacter with the character beside it. Any other key never
// reaches the controls.

namespace gui {

enum Key : int {
    kNoKey = 0,
    kKeyCharacter = 1,
    kKeyUp = 2,
    kKeyDown = 3,
    kKeyLeft = 4,
    kKeyRight = 5,
    kKeyDelete = 6,
    kKeyHome = 7,
    kKeyEnd = 8,
    kKeyEscape = 9,
};

} // namespace gui
