#include "foundation/AtomicFile.h"

#include "foundation/SystemPlatform.h"
#include "foundation/SystemUtils.h"

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".tmp" + std::to_string(platform::currentProcessId());
    bool written = false;
    {
        auto stream = openFileStream(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (stream && *stream) {
            stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            stream->close();
            written = !stream->fail();
        }
    }
    if (written && platform::replaceFile(temporary, path)) return true;
    platform::removeFile(temporary);
    return false;
}
