// Reads arbitrary bytes as a MIDI controller map chunk, into an empty table
// and into one that already holds mappings. A chunk that is refused must leave
// the table as it was; one that is taken must give exactly its 128 entries.

#include "foundation/BinaryData.h"
#include "fuzz/FuzzCheck.h"
#include "plugin/ControllerMapping.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

using ::ControllerMapping;

std::array<uint32_t, 128> entriesOf(const ControllerMapping& mapping) {
    std::array<uint32_t, 128> result{};
    for (int32_t c = 0; c < 128; ++c)
        result[c] = mapping.getParameter(c);
    return result;
}

using fuzz::check;

void readInto(ControllerMapping& mapping, const std::string& bytes) {
    const auto before = entriesOf(mapping);
    std::istringstream stream(bytes);
    BinaryDataReader reader(stream);
    const bool ok = mapping.read(reader);
    const auto after = entriesOf(mapping);
    if (!ok) {
        check(after == before);
        return;
    }
    check(bytes.size() >= size_t(ControllerMapping::chunkSize) && bytes.compare(0, 4, "ZTCM") == 0);
    for (int32_t c = 0; c < 128; ++c) {
        uint32_t stored = 0;
        for (int b = 3; b >= 0; --b)
            stored = stored << 8 | uint8_t(bytes[8 + c * 4 + b]);
        check(after[c] == stored);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    ControllerMapping empty;
    readInto(empty, bytes);

    ControllerMapping filled;
    filled.assign(1, 7);
    filled.assign(64, ControllerMapping::virtualBase + 3);
    filled.assign(127, 0);
    readInto(filled, bytes);

    // Whatever was read, learning keeps one controller per parameter.
    filled.assign(10, 7);
    int32_t drivers = 0;
    for (int32_t c = 0; c < 128; ++c)
        drivers += filled.getParameter(c) == 7 ? 1 : 0;
    check(drivers == 1);
    return 0;
}
