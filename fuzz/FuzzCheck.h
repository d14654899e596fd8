#pragma once

// The fuzz targets' assertion: a promise that does not hold aborts, which
// libFuzzer reports as a crash and keeps the input that did it. Unlike
// assert() it stays in every build type.

#include <cstdlib>

namespace fuzz {

inline void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace fuzz
