#include "foundation/FileEnumerator.h"
#include "foundation/windows/Win32Support.h"

namespace {

class WindowsFileEnumerator final : public FileEnumerator {
public:
    WindowsFileEnumerator(std::string pattern, std::int32_t mode)
        : pattern_(std::move(pattern)), mode_(mode),
          mask_(pattern_.substr(pattern_.find_last_of("\\/") + 1)) {}
    ~WindowsFileEnumerator() override {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }

    bool next() override {
        WIN32_FIND_DATAW data;
        for (;;) {
            if (!started_) {
                started_ = true;
                find_ = FindFirstFileW(win32::wide(pattern_).c_str(), &data);
                if (find_ == INVALID_HANDLE_VALUE) return false;
            } else if (find_ == INVALID_HANDLE_VALUE || !FindNextFileW(find_, &data)) {
                return false;
            }
            bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (folder != (mode_ == Folders)) continue;
            // FindFirstFileW also matches the short 8.3 name ("*.ztp" finds "a.ztpx").
            std::string name = win32::utf8(data.cFileName);
            if (matchesFilePattern(mask_, name)) {
                name_ = std::move(name);
                break;
            }
        }
        auto fileTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
        time_ = static_cast<std::int64_t>(fileTime / 10000000) - 11644473600LL;
        return true;
    }

    std::string name() const override { return name_; }
    std::int64_t modificationTime() const override { return time_; }

private:
    std::string name_;
    std::int64_t time_ = 0;
    std::string pattern_;
    std::int32_t mode_;
    std::string mask_; // the pattern's last part
    HANDLE find_ = INVALID_HANDLE_VALUE;
    bool started_ = false;
};

} // namespace

std::unique_ptr<FileEnumerator> FileEnumerator::create(const std::string& pattern, std::int32_t mode) {
    return std::make_unique<WindowsFileEnumerator>(pattern, mode);
}
