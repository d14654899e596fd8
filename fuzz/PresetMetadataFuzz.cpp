// Reads arbitrary bytes as a preset file's metadata and writes metadata
// back into it (a file of the fuzzer's own). A file the writer rewrites
// reads back with exactly the metadata written; a file it refuses is left
// byte for byte as it was.

#include "foundation/Files.h"
#include "foundation/StringUtils.h"
#include "fuzz/FuzzCheck.h"
#include "plugin/PresetMetadata.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using fuzz::check;

std::string scratchFile() {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "varnel-metadata-fuzz";
    std::filesystem::create_directories(folder);
    std::string path = (folder / "preset.ztp").string();
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchFile();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        auto stream = openFileStream(path, std::ios::out | std::ios::trunc | std::ios::binary);
        stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    PresetCacheEntry entry(path);
    readPresetMetadata(path, entry);

    PresetCacheEntry written(path);
    written.author = "Author";
    written.description = "Two words";
    written.tags = {"a", "", "b"};
    if (!writePresetMetadata(written)) {
        check(readFileToString(path) == bytes);
        return 0;
    }
    PresetCacheEntry read(path);
    check(readPresetMetadata(path, read));
    check(read.author == written.author);
    check(read.description == written.description);
    check(read.tags == written.tags);
    return 0;
}
