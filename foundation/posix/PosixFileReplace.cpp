#include "foundation/SystemPlatform.h"
#include "foundation/posix/PosixPath.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

unsigned long currentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(posix::toNativePath(from).c_str(), posix::toNativePath(to).c_str()) == 0;
}

MoveToFreeName moveFileToFreeName(const std::string& from, const std::string& to) {
    std::string source = posix::toNativePath(from);
    std::string target = posix::toNativePath(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return MoveToFreeName::kMoved;
    if (errno == EEXIST) return MoveToFreeName::kNameTaken;
    if (errno != EINVAL && errno != ENOSYS) return MoveToFreeName::kFailed;
    // A file system without an exclusive rename: a hard link is made only
    // under a free name, and the source name is dropped afterwards.
    if (::link(source.c_str(), target.c_str()) != 0)
        return errno == EEXIST ? MoveToFreeName::kNameTaken : MoveToFreeName::kFailed;
    ::unlink(source.c_str());
    return MoveToFreeName::kMoved;
}

void removeFile(const std::string& path) {
    std::remove(posix::toNativePath(path).c_str());
}

} // namespace platform
