#pragma once

// SourceId: one modulation source instance in the editor, named by its type
// (the position in the source controller's table of types) and its instance
// (0-based among the active sources of that type); (-1, -1) is none.

#include <cstdint>

struct SourceId {
    std::int32_t type = -1;
    std::int32_t instance = -1;

    bool isNone() const { return type == -1 && instance == -1; }
    friend bool operator==(const SourceId& a, const SourceId& b) {
        return a.type == b.type && a.instance == b.instance;
    }
    friend bool operator!=(const SourceId& a, const SourceId& b) { return !(a == b); }
};
