#include "clap/HostPath.h"

#include <algorithm>

std::string fromHostPath(std::string hostPath) {
    std::replace(hostPath.begin(), hostPath.end(), '/', '\\');
    return hostPath;
}
