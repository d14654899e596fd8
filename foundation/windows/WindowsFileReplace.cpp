#include "foundation/SystemPlatform.h"
#include "foundation/windows/Win32Support.h"

namespace platform {

unsigned long currentProcessId() {
    return GetCurrentProcessId();
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeFile(const std::string& path) {
    DeleteFileW(win32::wide(path).c_str());
}

} // namespace platform
