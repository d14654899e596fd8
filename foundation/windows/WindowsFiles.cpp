#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/SystemPlatform.h"
#include "foundation/windows/Win32Support.h"

#include <filesystem>
#include <shlobj.h>

namespace {

std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string shellFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK || buffer[0] == 0)
        return {};
    return withoutTrailingSeparator(win32::utf8(buffer));
}

std::string programFilesFromRegistry() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir",
                     RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    return withoutTrailingSeparator(win32::utf8(buffer));
}

DWORD attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win32::wide(path).c_str());
}

} // namespace

std::string getApplicationDataFolder() {
    std::string folder = shellFolder(CSIDL_APPDATA);
    if (folder.empty()) folder = programFilesFromRegistry();
    return folder.empty() ? std::string("C:\\Program Files") : folder;
}

std::string getDocumentsFolder() {
    std::string folder = shellFolder(CSIDL_PERSONAL);
    return folder.empty() ? std::string("C:\\My Documents") : folder;
}

bool folderExists(const std::string& path) {
    DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path) {
    DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<std::fstream> openFileStream(const std::string& path, std::ios::openmode mode) {
    // The wide path reaches _wfopen, which shares the file for reading and writing.
    return std::make_unique<std::fstream>(std::filesystem::path(win32::wide(path)), mode);
}

namespace platform {

bool makeFolder(const std::string& path) {
    return CreateDirectoryW(win32::wide(path).c_str(), nullptr) != 0;
}

} // namespace platform
