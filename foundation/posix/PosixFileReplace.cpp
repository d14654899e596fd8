#include "foundation/SystemPlatform.h"
#include "foundation/posix/PosixPath.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

unsigned long currentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(posix::toNativePath(from).c_str(), posix::toNativePath(to).c_str()) == 0;
}

void removeFile(const std::string& path) {
    std::remove(posix::toNativePath(path).c_str());
}

} // namespace platform
