// Folder listing on POSIX with the observable behaviour of the Windows one:
// the pattern's last part is matched by matchesFilePattern, and entries come
// in the order of a case-insensitive name sort (as NTFS lists them).
#include "foundation/FileEnumerator.h"
#include "foundation/StringUtils.h"
#include "foundation/posix/PosixPath.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace {

class PosixFileEnumerator final : public FileEnumerator {
public:
    PosixFileEnumerator(std::string pattern, std::int32_t mode) : pattern_(std::move(pattern)), mode_(mode) {}

    bool next() override {
        if (!started_) {
            started_ = true;
            list();
        }
        if (position_ >= entries_.size()) return false;
        ++position_;
        return true;
    }

    std::string name() const override { return position_ ? entries_[position_ - 1].name : std::string(); }
    std::int64_t modificationTime() const override { return position_ ? entries_[position_ - 1].time : 0; }

private:
    struct Entry {
        std::string name;
        std::int64_t time;
    };

    void list() {
        std::string native = posix::toNativePath(pattern_);
        std::size_t slash = native.rfind('/');
        std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
        std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
        if (mask.empty()) return;
        DIR* dir = opendir(folder.c_str());
        if (!dir) return;
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (!matchesFilePattern(mask, name)) continue;
            struct stat info;
            if (stat((folder + "/" + name).c_str(), &info) != 0) continue;
            if (S_ISDIR(info.st_mode) != (mode_ == Folders)) continue;
            entries_.push_back({name, static_cast<std::int64_t>(info.st_mtime)});
        }
        closedir(dir);
        std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            int order = compareNoCase(a.name, b.name);
            return order != 0 ? order < 0 : a.name < b.name;
        });
    }

    std::string pattern_;
    std::int32_t mode_;
    bool started_ = false;
    std::vector<Entry> entries_;
    std::size_t position_ = 0;
};

} // namespace

std::unique_ptr<FileEnumerator> FileEnumerator::create(const std::string& pattern, std::int32_t mode) {
    return std::make_unique<PosixFileEnumerator>(pattern, mode);
}
