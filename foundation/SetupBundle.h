#pragma once

// The setup bundle: the factory files carried inside the module as one
// resource ("WindowsSetupDocs"). Layout, all integers little-endian:
//
//   header (53 bytes): "FS/ISB/3", u32 byte count after the first 28, zeros
//   record (76 bytes): u8 name length n (0 ends the current folder),
//                      63 bytes of name (n used), u32 time stamp,
//                      u32 content length, u32 size (0xFFFFFFFF: a folder)
//
// Each record is followed by its content: for a file one zlib stream of the
// content length that inflates to exactly size bytes; for a folder its own
// records up to and including its end record (the content length counts
// them all). The top level ends with an end record too.
//
// The reader trusts nothing: names must be safe single path parts, sizes are
// bounded by the bytes that are left and by what deflate can expand to,
// nesting is bounded, and input that ends before a level's end record is a
// failure. A damaged member is skipped by its content length, so its
// siblings still extract, and makes the result false. Files are written
// under a temporary name and renamed when complete, so a failed write never
// leaves a truncated file that a later extraction would keep.
//
// This header is also compiled into the bundle writer in tools/ (natively,
// for the build machine): the format rules below depend on nothing else.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace setup_bundle {

constexpr char signature[8] = {'F', 'S', '/', 'I', 'S', 'B', '/', '3'};
constexpr size_t headerSize = 53;
constexpr size_t countedHeaderBytes = 28; // the u32 at 8 counts the bytes after these
constexpr size_t recordSize = 76;
constexpr size_t maxNameLength = 63;
constexpr size_t timeStampOffset = 64;
constexpr size_t contentLengthOffset = 68;
constexpr size_t sizeOffset = 72;
constexpr uint32_t folderMarker = 0xFFFFFFFFu;

// Limits of the reader: nesting below the wanted top-level folder, the size
// of one file, and deflate's largest expansion (about 1032:1).
constexpr int maxDepth = 32;
constexpr uint64_t maxFileSize = 256u * 1024u * 1024u;
constexpr uint64_t maxInflateRatio = 1032;

// A member name must be one safe path part on every platform: 1 to 63 bytes;
// no '\', '/' or ':'; no control characters; none of * ? " < > | (Windows
// cannot hold them); not ending in '.' or ' ' (Windows drops those, so ".."
// and ". ." are refused with them); not a reserved device name (CON, PRN,
// AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with or without extension).
inline bool isValidMemberName(std::string_view name) {
    if (name.empty() || name.size() > maxNameLength) return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
    }
    if (name.back() == '.' || name.back() == ' ') return false;
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    std::string upper;
    for (char c : base)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$")
        return false;
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '0' && upper[3] <= '9')
        return false;
    return true;
}

} // namespace setup_bundle

// Reads a bundle from a stream that the caller owns and keeps alive; the
// bundle starts at the stream's position when the reader is made. With
// overwrite false, files that already exist are kept.
class SetupBundleReader {
public:
    SetupBundleReader(std::istream& stream, bool overwrite);

    // Extracts the top-level folder of that name (any case) into
    // targetFolder. False for a wrong signature, a missing member, a folder
    // that cannot be made or any damaged member (files already written stay).
    bool readSetupBundleMember(std::string_view memberName, std::string targetFolder);

    // Extracts the records from the current position up to this level's end
    // record into targetFolder.
    bool extractBundleFolder(const std::string& targetFolder);

    // Inflates the next packedSize bytes to exactly size bytes and writes
    // them to path.
    bool extractBundleFile(const std::string& path, uint32_t packedSize, uint32_t size);

private:
    struct Record {
        uint8_t nameLength = 0;
        std::string name;
        uint32_t contentLength = 0;
        uint32_t size = 0;
        bool isFolder() const { return size == setup_bundle::folderMarker; }
    };

    bool readRecord(Record& record, std::streamoff limit);
    bool extractFolder(std::string target, int depth, std::streamoff limit);
    bool extractFile(const std::string& path, uint32_t packedSize, uint32_t size, std::streamoff limit);
    std::streamoff position();
    bool seekTo(std::streamoff offset);

    std::istream& stream_;
    std::streamoff start_ = -1;
    std::streamoff end_ = -1;
    bool overwrite_;
};

// The factory files: extracts the entries under bundleFolder of the module's
// "WindowsSetupDocs" bundle below targetFolder. False when the module has no
// bundle or the extraction failed.
bool installSetupDocs(const std::string& targetFolder, const std::string& bundleFolder, bool overwrite);
