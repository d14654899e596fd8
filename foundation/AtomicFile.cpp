#include "foundation/AtomicFile.h"

#include "foundation/Files.h"
#include "foundation/SystemPlatform.h"

#include <atomic>

namespace {

// The process id keeps processes apart, the counter the calls of one process.
std::string temporaryPath(const std::string& path) {
    static std::atomic<unsigned long> counter{0};
    return path + ".tmp" + std::to_string(platform::currentProcessId()) + "." +
           std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, ExistingFile existing) {
    std::string temporary = temporaryPath(path);
    bool written = false;
    {
        auto stream = openFileStream(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (stream && *stream) {
            stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            stream->close();
            written = !stream->fail();
        }
    }
    if (written) {
        if (existing == ExistingFile::kReplace) {
            if (platform::replaceFile(temporary, path)) return true;
        } else {
            switch (platform::moveFileToFreeName(temporary, path)) {
            case platform::MoveToFreeName::kMoved:
                return true;
            case platform::MoveToFreeName::kNameTaken:
                platform::removeFile(temporary);
                return fileExists(path); // a folder in the way is no file
            case platform::MoveToFreeName::kFailed:
                break;
            }
        }
    }
    platform::removeFile(temporary);
    return false;
}
