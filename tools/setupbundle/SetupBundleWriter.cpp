#include "tools/setupbundle/SetupBundleWriter.h"

#include "foundation/SetupBundle.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <zlib.h>

namespace setup_bundle {

namespace {

constexpr uint64_t maxBundleSize = 0xFFFFFFFFu;

char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string folded(const std::string& name) {
    std::string result = name;
    std::transform(result.begin(), result.end(), result.begin(), foldCase);
    return result;
}

// Case-insensitive order, then byte order: the same for every tree.
bool nameBefore(const Member* a, const Member* b) {
    std::string fa = folded(a->name);
    std::string fb = folded(b->name);
    if (fa != fb) return fa < fb;
    return a->name < b->name;
}

void appendU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void appendRecord(std::string& out, const std::string& name, uint32_t contentLength, uint32_t size) {
    out += static_cast<char>(name.size());
    out += name;
    out.append(maxNameLength - name.size(), '\0');
    appendU32(out, 0); // time stamp
    appendU32(out, contentLength);
    appendU32(out, size);
}

bool packLevel(const std::vector<Member>& members, int depth, const std::string& where, std::string& out,
               std::string& error) {
    std::vector<const Member*> sorted;
    for (const Member& member : members)
        sorted.push_back(&member);
    std::sort(sorted.begin(), sorted.end(), nameBefore);
    for (size_t i = 0; i < sorted.size(); ++i) {
        const Member& member = *sorted[i];
        std::string path = where + member.name;
        if (!isValidMemberName(member.name)) {
            error = "refused name: \"" + path + "\"";
            return false;
        }
        if (i > 0 && folded(sorted[i - 1]->name) == folded(member.name)) {
            error = "names differ only in case: \"" + where + sorted[i - 1]->name + "\" and \"" + path + "\"";
            return false;
        }
        if (member.isFolder) {
            if (depth > maxDepth) {
                error = "folders nested too deeply: \"" + path + "\"";
                return false;
            }
            std::string inner;
            if (!packLevel(member.members, depth + 1, path + "/", inner, error)) return false;
            if (inner.size() > maxBundleSize) {
                error = "folder too large: \"" + path + "\"";
                return false;
            }
            appendRecord(out, member.name, static_cast<uint32_t>(inner.size()), folderMarker);
            out += inner;
        } else {
            if (member.content.size() > maxFileSize) {
                error = "file too large: \"" + path + "\"";
                return false;
            }
            uLongf packedSize = compressBound(static_cast<uLong>(member.content.size()));
            std::string packed(packedSize, '\0');
            if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                          reinterpret_cast<const Bytef*>(member.content.data()),
                          static_cast<uLong>(member.content.size()), Z_BEST_COMPRESSION) != Z_OK) {
                error = "cannot compress \"" + path + "\"";
                return false;
            }
            packed.resize(packedSize);
            appendRecord(out, member.name, static_cast<uint32_t>(packed.size()),
                         static_cast<uint32_t>(member.content.size()));
            out += packed;
        }
        if (out.size() > maxBundleSize) {
            error = "bundle larger than 4 GiB";
            return false;
        }
    }
    appendRecord(out, std::string(), 0, folderMarker);
    return true;
}

std::string utf8Name(const std::filesystem::path& path) {
    std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

bool readTree(const std::filesystem::path& folder, int depth, std::vector<Member>& members,
              std::string& error) {
    if (depth > maxDepth + 1) {
        error = "folders nested too deeply (or a link loop) at " + utf8Name(folder);
        return false;
    }
    std::error_code code;
    std::filesystem::directory_iterator entries(folder, code);
    if (code) {
        error = "cannot list folder: " + code.message();
        return false;
    }
    for (const auto& entry : entries) {
        Member member;
        member.name = utf8Name(entry.path());
        if (entry.is_directory(code)) {
            member.isFolder = true;
            if (!readTree(entry.path(), depth + 1, member.members, error)) return false;
        } else if (entry.is_regular_file(code)) {
            std::uintmax_t size = entry.file_size(code);
            std::ifstream file(entry.path(), std::ios::binary);
            if (!code && size <= maxFileSize) {
                member.content.resize(static_cast<size_t>(size));
                file.read(member.content.data(), static_cast<std::streamsize>(size));
            }
            if (code || size > maxFileSize || !file || file.peek() != std::ifstream::traits_type::eof()) {
                error = "cannot read file \"" + member.name + "\"";
                return false;
            }
        } else {
            error = "neither a file nor a folder: \"" + member.name + "\"";
            return false;
        }
        members.push_back(std::move(member));
    }
    return true;
}

} // namespace

bool readFolderTree(const std::filesystem::path& folder, std::vector<Member>& members, std::string& error) {
    return readTree(folder, 1, members, error);
}

bool writeSetupBundle(const std::vector<Member>& topLevel, std::string& bundle, std::string& error) {
    std::string records;
    if (!packLevel(topLevel, 1, std::string(), records, error)) return false;
    if (records.size() + headerSize > maxBundleSize) {
        error = "bundle larger than 4 GiB";
        return false;
    }
    bundle.assign(signature, sizeof signature);
    appendU32(bundle, static_cast<uint32_t>(headerSize + records.size() - countedHeaderBytes));
    bundle.append(headerSize - bundle.size(), '\0');
    bundle += records;
    return true;
}

} // namespace setup_bundle
