#pragma once
// Internal path form ('\' separators) to the OS form ('/') and back.

#include <algorithm>
#include <string>

namespace posix {

inline std::string toNativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

inline std::string fromNativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace posix
