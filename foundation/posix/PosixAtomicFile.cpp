#include "foundation/AtomicFile.h"

#include "foundation/SystemUtils.h"
#include "foundation/posix/PosixPath.h"

#include <cstdio>
#include <unistd.h>

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".tmp" + std::to_string(::getpid());
    bool written = false;
    {
        auto stream = openFileStream(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (stream && *stream) {
            stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            stream->close();
            written = !stream->fail();
        }
    }
    if (written &&
        std::rename(posix::toNativePath(temporary).c_str(), posix::toNativePath(path).c_str()) == 0)
        return true;
    std::remove(posix::toNativePath(temporary).c_str());
    return false;
}

