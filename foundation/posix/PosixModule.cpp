// The library's module on POSIX. The binary's resources and version strings
// are compiled in (EmbeddedResources.h), so "the module's" resources are the
// registered tables and its version strings the registered ones; another
// module's file has no version strings here.
#include "foundation/EmbeddedResources.h"
#include "foundation/ModuleResources.h"
#include "foundation/SystemPlatform.h"
#include "foundation/ThreadWindows.h"
#include "foundation/posix/PosixPath.h"

#include <limits.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::mutex& moduleMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& recordedModulePath() {
    static std::string path;
    return path;
}

std::string mainModulePath() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

bool recordLibraryModule(const std::string& path) {
    std::string native = posix::toNativePath(path);
    struct stat info;
    if (native.empty() || stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::lock_guard lock(moduleMutex());
    recordedModulePath() = posix::fromNativePath(native);
    return true;
}

std::string getLibraryModulePath() {
    {
        std::lock_guard lock(moduleMutex());
        if (!recordedModulePath().empty()) return recordedModulePath();
    }
    return posix::fromNativePath(mainModulePath());
}

std::string getVersionInfoString(VersionField field, const std::string& modulePath) {
    if (!modulePath.empty() && posix::toNativePath(modulePath) != posix::toNativePath(getLibraryModulePath()))
        return {};
    const CompiledVersionStrings* strings = compiledVersionStrings();
    auto index = static_cast<unsigned>(field);
    if (!strings || index >= std::size(strings->fields) || !strings->fields[index]) return {};
    return strings->fields[index];
}

bool isThreadWindowVisible() {
    // No windows here: the main thread stands for the user-interface thread.
    return syscall(SYS_gettid) == getpid();
}

namespace platform {

std::optional<std::string_view> findModuleResource(const std::string&) {
    return std::nullopt; // every resource is in a registered table
}

} // namespace platform
