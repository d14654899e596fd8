// Reads arbitrary bytes as a favourites file. Every path it gives lies in
// the file's folder and no comment or empty line becomes a path.

#include "foundation/Files.h"
#include "fuzz/FuzzCheck.h"
#include "plugin/PresetCache.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using fuzz::check;

std::string scratchFolder() {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "varnel-favorites-fuzz";
    std::filesystem::create_directories(folder);
    std::string path = folder.string() + "/";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = scratchFolder();
    const std::string path = folder + "Favorites.txt";
    {
        auto stream = openFileStream(path, std::ios::out | std::ios::trunc | std::ios::binary);
        stream->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<std::string> paths;
    readFavoritesFile(path, paths);
    for (const std::string& favourite : paths) {
        check(favourite.compare(0, folder.size(), folder) == 0);
        check(favourite.size() > folder.size());
        check(favourite[folder.size()] != '#');
    }
    return 0;
}
