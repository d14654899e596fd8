#include "clap/HostPath.h"

#include <algorithm>

std::string toHostPath(std::string internalPath) {
    std::replace(internalPath.begin(), internalPath.end(), '\\', '/');
    return internalPath;
}
