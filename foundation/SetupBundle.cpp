#include "foundation/SetupBundle.h"

#include "foundation/AtomicFile.h"
#include "foundation/Files.h"
#include "foundation/ModuleResources.h"
#include "foundation/StringUtils.h"

#include <cstring>
#include <vector>
#include <zlib.h>

namespace {

uint32_t readU32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

std::string withBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

} // namespace

SetupBundleReader::SetupBundleReader(std::istream& stream, bool overwrite)
    : stream_(stream), overwrite_(overwrite) {
    start_ = stream_.tellg();
    if (start_ < 0 || !stream_.seekg(0, std::ios::end)) {
        start_ = -1;
        stream_.clear();
        return;
    }
    end_ = stream_.tellg();
    if (end_ < start_ || !stream_.seekg(start_)) start_ = -1;
}

std::streamoff SetupBundleReader::position() {
    if (!stream_) return -1;
    return stream_.tellg();
}

bool SetupBundleReader::seekTo(std::streamoff offset) {
    if (offset < start_ || offset > end_) return false;
    stream_.clear();
    return static_cast<bool>(stream_.seekg(offset));
}

// Reads one record that must lie before limit. False when the input ends
// first (a truncated bundle).
bool SetupBundleReader::readRecord(Record& record, std::streamoff limit) {
    std::streamoff at = position();
    if (at < 0 || limit - at < static_cast<std::streamoff>(setup_bundle::recordSize)) return false;
    unsigned char bytes[setup_bundle::recordSize];
    if (!stream_.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return false;
    record.nameLength = bytes[0];
    record.name.assign(reinterpret_cast<const char*>(bytes + 1),
                       std::min<size_t>(record.nameLength, setup_bundle::maxNameLength));
    record.contentLength = readU32(bytes + setup_bundle::contentLengthOffset);
    record.size = readU32(bytes + setup_bundle::sizeOffset);
    return true;
}

bool SetupBundleReader::readSetupBundleMember(std::string_view memberName, std::string targetFolder) {
    using namespace setup_bundle;
    if (start_ < 0 || !seekTo(start_)) return false;
    if (end_ - start_ < static_cast<std::streamoff>(headerSize)) return false;
    char header[headerSize];
    if (!stream_.read(header, sizeof header) || std::memcmp(header, signature, sizeof signature) != 0)
        return false;
    if (!targetFolder.empty() && targetFolder.back() == '\\') targetFolder.pop_back();

    for (;;) {
        Record record;
        if (!readRecord(record, end_) || record.nameLength == 0) return false;
        std::streamoff contentStart = position();
        if (record.contentLength > end_ - contentStart) return false;
        std::streamoff contentEnd = contentStart + record.contentLength;
        if (record.isFolder() && record.nameLength <= maxNameLength && equalsNoCase(record.name, memberName))
            return extractFolder(targetFolder, 1, contentEnd);
        if (!seekTo(contentEnd)) return false;
    }
}

bool SetupBundleReader::extractBundleFolder(const std::string& targetFolder) {
    if (start_ < 0) return false;
    return extractFolder(targetFolder, 1, end_);
}

bool SetupBundleReader::extractFolder(std::string target, int depth, std::streamoff limit) {
    using namespace setup_bundle;
    if (depth > maxDepth || !createDirectories(target)) return false;
    target = withBackslash(std::move(target));
    bool succeeded = true;
    for (;;) {
        Record record;
        if (!readRecord(record, limit)) return false; // no end record before the limit
        if (record.nameLength == 0) return succeeded;
        std::streamoff contentStart = position();
        if (record.contentLength > limit - contentStart) return false; // cannot reach the next record
        std::streamoff contentEnd = contentStart + record.contentLength;
        bool nameValid = record.nameLength <= maxNameLength && isValidMemberName(record.name);
        if (!nameValid)
            succeeded = false;
        else if (record.isFolder())
            succeeded = extractFolder(target + record.name, depth + 1, contentEnd) && succeeded;
        else
            succeeded =
                extractFile(target + record.name, record.contentLength, record.size, contentEnd) && succeeded;
        if (!seekTo(contentEnd)) return false;
    }
}

bool SetupBundleReader::extractBundleFile(const std::string& path, uint32_t packedSize, uint32_t size) {
    if (start_ < 0) return false;
    return extractFile(path, packedSize, size, end_);
}

bool SetupBundleReader::extractFile(const std::string& path, uint32_t packedSize, uint32_t size,
                                    std::streamoff limit) {
    using namespace setup_bundle;
    std::streamoff at = position();
    if (at < 0 || packedSize > limit - at) return false;
    if (size > maxFileSize || size > static_cast<uint64_t>(packedSize) * maxInflateRatio) return false;
    // Only a shortcut: another process extracting the same bundle may make the
    // file after this look, so the write below keeps a file found then too.
    if (!overwrite_ && fileExists(path)) return true;

    std::vector<unsigned char> packed(packedSize);
    if (packedSize > 0 && !stream_.read(reinterpret_cast<char*>(packed.data()), packedSize)) return false;
    // zlib refuses a null output pointer, so an empty file still gets a byte.
    std::vector<unsigned char> content(std::max<uint32_t>(size, 1));
    z_stream zip{};
    if (inflateInit(&zip) != Z_OK) return false;
    zip.next_in = packed.data();
    zip.avail_in = packedSize;
    zip.next_out = content.data();
    zip.avail_out = size;
    int result = inflate(&zip, Z_SYNC_FLUSH);
    bool complete = result == Z_STREAM_END && zip.avail_out == 0;
    inflateEnd(&zip);
    if (!complete) return false;
    return writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(content.data()), size),
                               overwrite_ ? ExistingFile::kReplace : ExistingFile::kKeep);
}

// --- Factory files

bool installSetupDocs(const std::string& targetFolder, const std::string& bundleFolder, bool overwrite) {
    std::optional<std::string_view> bytes = findResource("WindowsSetupDocs");
    if (!bytes) return false;
    std::istringstream stream(std::string(*bytes), std::ios::in | std::ios::binary);
    SetupBundleReader reader(stream, overwrite);
    return reader.readSetupBundleMember(bundleFolder, targetFolder);
}
