#include "foundation/AtomicFile.h"

#include "foundation/SystemUtils.h"
#include "foundation/windows/Win32Support.h"

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId());
    bool written = false;
    {
        auto stream = openFileStream(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (stream && *stream) {
            stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            stream->close();
            written = !stream->fail();
        }
    }
    std::wstring from = win32::wide(temporary);
    if (written && MoveFileExW(from.c_str(), win32::wide(path).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(from.c_str());
    return false;
}

