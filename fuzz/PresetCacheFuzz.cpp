// Parses arbitrary bytes as a preset catalogue cache file. Whatever the
// bytes: no crash, hang or unbounded allocation; a file that parses has
// entries with non-empty paths and at most the tags the data could hold.

#include "fuzz/FuzzCheck.h"
#include "plugin/PresetCache.h"

#include <cstddef>
#include <cstdint>
#include <string>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    PresetCache::FileContents contents;
    if (!PresetCache::parseFile(bytes, contents)) return 0;
    check(size >= 12);
    size_t tags = 0;
    for (const auto& entry : contents.entries) {
        check(!entry->path.empty());
        tags += entry->tags.size();
    }
    check(tags * 4 <= size);
    check(contents.entries.size() * 36 <= size);
    return 0;
}
