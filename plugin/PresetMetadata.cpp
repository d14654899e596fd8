#include "plugin/PresetMetadata.h"

#include "foundation/AtomicFile.h"
#include "foundation/BinaryData.h"
#include "foundation/FileEnumerator.h"
#include "foundation/Files.h"
#include "foundation/KeyValue.h"
#include "foundation/StringUtils.h"
#include "plugin/CustomSettingsBlock.h"
#include "plugin/PresetLoader.h"
#include "plugin/PresetParameterCollection.h"

#include <cstring>
#include <map>
#include <sstream>

namespace {

constexpr uint32_t kMaxValues = 10000;

// The whole file, or false when it cannot be opened or is too large.
bool readCapped(const std::string& path, std::string& bytes) {
    if (!fileExists(path)) return false;
    auto stream = openFileStream(path, std::ios::in | std::ios::binary);
    bytes.clear();
    char buffer[65536];
    while (stream->good()) {
        stream->read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<size_t>(stream->gcount()));
        if (bytes.size() > PresetParameterCollection::kMaxFileSize) return false;
    }
    return !stream->bad();
}

uint32_t wordAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

bool isText(const std::string& bytes) {
    return bytes.size() >= 8 && wordAt(bytes, 4) >= PresetLoader::kTextVersion;
}

// The pairs of the block at offset; false for a block that ends early or a
// negative count. No block (another tag, or too few bytes): true, empty.
bool readBlockPairs(const std::string& bytes, size_t offset, std::map<std::string, std::string>& pairs,
                    bool& present) {
    present = false;
    if (offset > bytes.size()) return true;
    std::istringstream stream(bytes.substr(offset), std::ios::in | std::ios::binary);
    BinaryDataReader reader(stream);
    char tag[4];
    if (!reader.readBytes(tag, 4) || std::memcmp(tag, CustomSettingsBlock::kTag, 4) != 0) return true;
    present = true;
    return CustomSettingsBlock::readPairs(reader, [&pairs](std::string&& key, std::string&& value) {
        pairs.emplace(std::move(key), std::move(value));
    });
}

} // namespace

std::string joinTags(const std::vector<std::string>& tags) {
    std::string text;
    for (size_t i = 0; i < tags.size(); ++i) {
        if (i > 0) text += ',';
        text += tags[i];
    }
    return text;
}

void writeTextMetadataLine(KeyValueWriter& writer, int key, const std::string& value) {
    static const char* const names[] = {"Author", "Description", "Tags"};
    if (key < 0 || key > 2 || value.empty()) return;
    writer.writeString(names[key], value);
}

bool readTextMetadata(std::istream& stream, PresetCacheEntry& entry) {
    KeyValueReader reader(stream);
    if (!reader.readLine().empty() || reader.sectionName() != "Preset") return false;
    std::string author;
    std::string description;
    std::vector<std::string> tags;
    for (;;) {
        const std::string key = reader.readLine();
        if (key.empty()) break;
        if (key == "Author")
            author = reader.value();
        else if (key == "Description")
            description = reader.value();
        else if (key == "Tags")
            splitAtCommas(reader.value(), tags);
    }
    if (reader.status() != KeyValueReader::kGood) return false;
    entry.author = std::move(author);
    entry.description = std::move(description);
    entry.tags = std::move(tags);
    return true;
}

bool readPresetMetadata(const std::string& path, PresetCacheEntry& entry) {
    std::string bytes;
    if (!readCapped(path, bytes)) return false;
    if (isText(bytes)) {
        std::istringstream stream(bytes, std::ios::in | std::ios::binary);
        return readTextMetadata(stream, entry);
    }
    if (bytes.size() < 12) return true;
    const uint64_t valuesEnd = 12 + 4 * uint64_t(wordAt(bytes, 8));
    std::map<std::string, std::string> pairs;
    bool present = false;
    if (valuesEnd > bytes.size()) return true;
    if (!readBlockPairs(bytes, static_cast<size_t>(valuesEnd), pairs, present)) return false;
    if (!present) return true;
    entry.author = pairs.count("AUTHOR") != 0 ? pairs["AUTHOR"] : std::string();
    entry.description = pairs.count("DESCRIPTION") != 0 ? pairs["DESCRIPTION"] : std::string();
    entry.tags.clear();
    if (pairs.count("TAGS") != 0) splitAtCommas(pairs["TAGS"], entry.tags);
    return true;
}

bool rewriteTextMetadata(const PresetCacheEntry& entry, std::istream& stream, std::string& output) {
    KeyValueReader reader(stream);
    std::ostringstream out(std::ios::out | std::ios::binary);
    KeyValueWriter writer(out, "\n");
    if (!reader.readLine().empty() || reader.sectionName() != "Preset") return false;
    writer.writeSection("Preset");
    bool inHeader = true;
    auto closeHeader = [&]() {
        if (!inHeader) return;
        writeTextMetadataLine(writer, 0, entry.author);
        writeTextMetadataLine(writer, 1, entry.description);
        writeTextMetadataLine(writer, 2, joinTags(entry.tags));
        inHeader = false;
    };
    for (;;) {
        const std::string key = reader.readLine();
        if (key.empty()) {
            if (reader.status() != KeyValueReader::kGood) return false;
            if (reader.sectionName().empty()) break;
            closeHeader();
            writer.writeSection(reader.sectionName());
            continue;
        }
        if (inHeader && (key == "Name" || key == "Author" || key == "Description" || key == "Tags")) continue;
        writer.writeString(key, reader.value());
    }
    closeHeader();
    output = out.str();
    return true;
}

bool writePresetMetadata(PresetCacheEntry& entry) {
    std::string bytes;
    if (!readCapped(entry.path, bytes)) return false;
    std::string output;
    if (isText(bytes)) {
        std::istringstream stream(bytes, std::ios::in | std::ios::binary);
        if (!rewriteTextMetadata(entry, stream, output)) return false;
    } else {
        if (bytes.size() < 12) return false;
        const uint32_t count = wordAt(bytes, 8);
        if (count > kMaxValues) return false;
        const size_t valuesEnd = 12 + 4 * static_cast<size_t>(count);
        if (valuesEnd > bytes.size()) return false;
        std::map<std::string, std::string> pairs;
        bool present = false;
        if (!readBlockPairs(bytes, valuesEnd, pairs, present)) return false;
        pairs["AUTHOR"] = entry.author;
        pairs["DESCRIPTION"] = entry.description;
        pairs["TAGS"] = joinTags(entry.tags);
        std::ostringstream block(std::ios::out | std::ios::binary);
        BinaryDataWriter writer(block);
        CustomSettingsBlock::write(writer, pairs, false, 0);
        output = bytes.substr(0, valuesEnd) + block.str();
    }
    if (!writeFileAtomically(entry.path, output)) return false;
    auto listing = FileEnumerator::create(entry.path, FileEnumerator::Files);
    if (listing->next()) entry.modificationTime = listing->modificationTime();
    return true;
}
