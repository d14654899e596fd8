// Module-table readers (PE export and import directories, ELF dynamic
// symbols): any input ends with a verdict; a successful read gives a sorted
// list of non-empty names no longer than the reader's limit, and reading again
// gives the same.

#include "tools/testhost/ExportedSymbols.h"
#include "tools/testhost/ImportedModules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

template <class Reader> void check(Reader read, const std::vector<uint8_t>& file) {
    std::vector<std::string> names;
    std::string error;
    if (!read(file, names, error)) {
        if (error.empty() || !names.empty()) std::abort();
        return;
    }
    if (!std::is_sorted(names.begin(), names.end())) std::abort();
    for (const auto& name : names)
        if (name.empty() || name.size() > 4096) std::abort();
    std::vector<std::string> again;
    if (!read(file, again, error) || again != names) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    check(readExportedSymbols, file);
    check(readImportedModules, file);
    return 0;
}
