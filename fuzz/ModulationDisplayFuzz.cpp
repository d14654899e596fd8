// The modulation display values a processor snapshot appends: any bytes give
// exactly the asked-for count of values, those the input lacks being 0, and
// a complete input reads back bit for bit.

#include "modulation/ModulationMatrixProcessor.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::int32_t targets = data[0] % 120;
    std::int32_t sources = data[1] % 40;
    std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    std::istringstream in(bytes);
    std::vector<float> values;
    bool complete = readModulationDisplayValues(in, targets, sources, values);
    std::size_t count = static_cast<std::size_t>(targets + sources);
    if (values.size() != count) __builtin_trap();
    if (complete != (bytes.size() >= count * 4)) __builtin_trap();
    std::size_t whole = std::min(bytes.size() / 4, count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t expected = 0, got = 0;
        if (i < whole) std::memcpy(&expected, bytes.data() + i * 4, 4);
        if (i >= whole && !complete) expected = 0;
        std::memcpy(&got, &values[i], 4);
        if (i < whole && got != expected) __builtin_trap();
        if (i >= whole && got != 0) __builtin_trap();
    }
    return 0;
}
