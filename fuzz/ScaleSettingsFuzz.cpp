// Scale settings text: any input parses without a crash into tables whose
// formatted text parses back into the same tables and formats identically,
// and the scale stays one of the table's scales.

#include "gui/DeviceBacking.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    gui::DeviceBacking first;
    first.setSystemScale(1.5f);
    first.parseScaleSettings(text);
    const std::string formatted = first.formatScaleSettings();
    gui::DeviceBacking second;
    second.setSystemScale(1.5f);
    second.parseScaleSettings(formatted);
    for (int c = 0; c < gui::kScaleClassCount; ++c)
        if (first.firstTableEntry(c) != second.firstTableEntry(c) ||
            first.secondTableEntry(c) != second.secondTableEntry(c))
            std::abort();
    if (second.formatScaleSettings() != formatted) std::abort();
    if (first.getScale() != second.getScale() || gui::quantizeScale(first.getScale()) != first.getScale())
        std::abort();
    return 0;
}
