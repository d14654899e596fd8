// Exported-symbol reader (PE export directory, ELF dynamic symbols): any input
// ends with a verdict; a successful read gives a sorted list of non-empty
// names no longer than the reader's limit, and reading again gives the same.

#include "tools/testhost/ExportedSymbols.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    std::vector<std::string> symbols;
    std::string error;
    bool read = readExportedSymbols(file, symbols, error);
    if (!read) {
        if (error.empty() || !symbols.empty()) std::abort();
        return 0;
    }
    if (!std::is_sorted(symbols.begin(), symbols.end())) std::abort();
    for (const auto& name : symbols)
        if (name.empty() || name.size() > 4096) std::abort();
    std::vector<std::string> again;
    if (!readExportedSymbols(file, again, error) || again != symbols) std::abort();
    return 0;
}
