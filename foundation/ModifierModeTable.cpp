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
    (*filled)[kModifierControl] = 1;              // reset
    (*filled)[kModifierShift] = 2;                // fine
    (*filled)[kModifierAlt] = 4;                  // link
    (*filled)[kModifierShift | kModifierAlt] = 6; // fine link
    (*filled)[kModifierAlt | kModifierControl] = 5;
    table() = std::move(filled);
}

std::int32_t gestureModeForModifiers(std::uint32_t modifiers) {
    const Table* current = table().get();
    return current && modifiers < current->size() ? (*current)[modifiers] : 0;
}
