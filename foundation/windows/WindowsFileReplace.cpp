#include "foundation/SystemPlatform.h"
#include "foundation/windows/Win32Support.h"

namespace platform {

namespace {

// A file that another thread or process has open at this moment (reading it,
// or renaming its own new content over it) cannot be replaced until it is
// closed: such a failure is tried again for a while.
bool isTransient(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

unsigned long currentProcessId() {
    return GetCurrentProcessId();
}

bool replaceFile(const std::string& from, const std::string& to) {
    std::wstring source = win32::wide(from);
    std::wstring target = win32::wide(to);
    DWORD wait = 1;
    for (int attempt = 0; attempt < 12; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!isTransient(GetLastError())) return false;
        DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        Sleep(wait); // about 0.4 s in all
        if (wait < 64) wait *= 2;
    }
    return false;
}

MoveToFreeName moveFileToFreeName(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return MoveToFreeName::kMoved;
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? MoveToFreeName::kNameTaken
                                                                       : MoveToFreeName::kFailed;
}

void removeFile(const std::string& path) {
    DeleteFileW(win32::wide(path).c_str());
}

} // namespace platform
