#include "clap/HostPath.h"

std::string toHostPath(std::string internalPath) {
    return internalPath;
}
