// Folders and files on POSIX. Well-known folders follow the XDG rules:
// application data = $XDG_CONFIG_HOME (else ~/.config), documents =
// $XDG_DOCUMENTS_DIR (else ~/Documents); both in the internal '\' form.
#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/SystemPlatform.h"
#include "foundation/posix/PosixPath.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

// An absolute folder from the variable, else home + fallback.
std::string xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    std::string folder;
    if (value && value[0] == '/') {
        folder = value;
    } else {
        folder = homeFolder();
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        folder += fallback;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return posix::fromNativePath(folder);
}

bool statMode(const std::string& path, mode_t type) {
    struct stat info;
    return stat(posix::toNativePath(path).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == type;
}

} // namespace

std::string getApplicationDataFolder() {
    return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string getDocumentsFolder() {
    return xdgFolder("XDG_DOCUMENTS_DIR", "/Documents");
}

bool folderExists(const std::string& path) {
    return !path.empty() && statMode(path, S_IFDIR);
}

bool fileExists(const std::string& path) {
    return !path.empty() && statMode(path, S_IFREG);
}

std::unique_ptr<std::fstream> openFileStream(const std::string& path, std::ios::openmode mode) {
    return std::make_unique<std::fstream>(posix::toNativePath(path), mode);
}

namespace platform {

bool makeFolder(const std::string& path) {
    return mkdir(posix::toNativePath(path).c_str(), 0777) == 0;
}

} // namespace platform
