// Reads arbitrary bytes as the demo's echo table. A table that reads is
// written back and read again to the same echoes, and agrees with itself.

#include "fuzz/FuzzCheck.h"
#include "tools/demo/EchoReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::vector<Echo>> table;
    if (!readEchoTable(text, table)) return 0;
    check(table.size() <= 64);
    std::vector<std::vector<Echo>> again;
    check(readEchoTable(writeEchoTable(table), again));
    std::string why;
    EchoTolerance tolerance;
    tolerance.requiredDecibels = -1e300;
    bool finite = true;
    for (const auto& channel : table)
        for (const Echo& echo : channel)
            finite = finite && echo.milliseconds == echo.milliseconds && echo.decibels == echo.decibels &&
                     echo.milliseconds < 1e12 && echo.milliseconds > -1e12 && echo.decibels < 1e12 &&
                     echo.decibels > -1e12;
    if (finite) check(echoesAgree(table, again, tolerance, why));
    return 0;
}
