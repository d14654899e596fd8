#include "foundation/ModifierModeTable.h"

#include <array>
#include <memory>

namespace {

using Table = std::array<std::int32_t, 8>; // indexed by the three modifier bits

std::unique_ptr<Table>& table() {
    static std::unique_ptr<Table> instance; // released at unload
    return instance;
}

// The library's start-up step.
struct LoadTimeStartup {
    LoadTimeStartup() { initModifierModeTable(); }
};
const LoadTimeStartup startup;

} // namespace

void initModifierModeTable() {
    auto filled = std::make_unique<Table>();
    (*filled)[ModifierControl] = 1;             // reset
    (*filled)[ModifierShift] = 2;               // fine
    (*filled)[ModifierAlt] = 4;                 // link
    (*filled)[ModifierShift | ModifierAlt] = 6; // fine link
    (*filled)[ModifierAlt | ModifierControl] = 5;
    table() = std::move(filled);
}

std::int32_t gestureModeForModifiers(std::uint32_t modifiers) {
    const Table* current = table().get();
    return current && modifiers < current->size() ? (*current)[modifiers] : 0;
}
