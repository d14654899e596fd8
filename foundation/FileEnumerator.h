#pragma once
// Lists the entries of one folder that match a pattern: a path whose last
// part may hold the wildcards '*' and '?' (matched in any case), e.g.
// "C:\Presets\*.ztp". The match is on the long name only: "*.ztp" does not list
// "a.ztpx" (as a match on the short 8.3 name would). In folder mode the listing holds folders, "." and ".."
// included; in file mode everything that is not a folder.
//
//   auto files = FileEnumerator::create(folder + "\\*", FileEnumerator::Files);
//   while (files->next()) use(files->name());

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// True when the name matches the pattern: '*' any run, '?' one byte, other
// bytes equal in ASCII case; "*.*" matches every name.
bool matchesFilePattern(std::string_view pattern, std::string_view name);

class FileEnumerator {
public:
    static constexpr std::int32_t Folders = 1; // any other mode lists files
    static constexpr std::int32_t Files = 0;

    virtual ~FileEnumerator() = default;
    // Advances to the next entry; false at the end or when the folder cannot
    // be listed.
    virtual bool next() = 0;
    // The current entry's name (UTF-8, without folder).
    virtual std::string name() const = 0;
    // The current entry's last-write time in seconds since 1970-01-01 UTC.
    virtual std::int64_t modificationTime() const = 0;

    // The caller owns the result. Nothing is read before the first next().
    static std::unique_ptr<FileEnumerator> create(const std::string& pattern, std::int32_t mode);
};
