#pragma once

// Test support: a fresh temporary folder per test, in the internal '\' form,
// removed again at the end; and reading or writing a whole file.

#include "foundation/Files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace test {

// A std::filesystem path for an internal path (both platforms take '/').
inline std::filesystem::path fsPath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

inline std::string internalPath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    std::string result(text.begin(), text.end());
    std::replace(result.begin(), result.end(), '/', '\\');
    while (result.size() > 1 && result.back() == '\\')
        result.pop_back();
    return result;
}

class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& tag) {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = internalPath(std::filesystem::temp_directory_path()) + "\\varnel-" + tag + "-" +
                std::to_string(stamp) + "-" + std::to_string(counter++);
        createDirectories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(fsPath(path_), ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

inline bool writeWholeFile(const std::string& path, const std::string& bytes) {
    auto stream = openFileStream(path, std::ios::out | std::ios::trunc | std::ios::binary);
    stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream->close();
    return !stream->fail();
}

} // namespace test
