#include "foundation/Files.h"

#include "foundation/SystemPlatform.h"

#include <sstream>

bool createDirectories(const std::string& path) {
    if (folderExists(path)) return true;
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    std::size_t slash = folder.rfind('\\');
    if (slash == std::string::npos) return false;
    // A parent that cannot be made shows in the result of making the folder.
    createDirectories(folder.substr(0, slash));
    // Another thread or process may make the same folder at the same moment:
    // the make then fails, yet the folder asked for is there.
    return platform::makeFolder(folder) || folderExists(folder);
}

std::string readFileToString(const std::string& path, std::ios::openmode mode) {
    auto stream = openFileStream(path, mode | std::ios::in);
    if (!stream || !*stream) return {};
    std::ostringstream content;
    content << stream->rdbuf();
    return content.str();
}
