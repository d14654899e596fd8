#include "plugin/CustomSettingsBlock.h"

#include "foundation/StringUtils.h"

#include <cstring>
#include <istream>

bool CustomSettingsBlock::read(BinaryDataReader& reader, CustomSettingsBlock& block) {
    block = CustomSettingsBlock();
    std::istream* stream = reader.getStream();
    if (stream == nullptr || !reader.isGood()) return true;
    const std::istream::pos_type start = stream->tellg();
    char tag[4];
    const bool haveTag = reader.readBytes(tag, sizeof tag);
    if (!haveTag || std::memcmp(tag, kTag, 4) != 0) {
        stream->clear();
        stream->seekg(start);
        return true;
    }
    block.present = true;
    return readPairs(reader, [&block](std::string&& key, std::string&& value) {
        if (key == kPerTrackIndexKey) {
            block.hasPerTrackIndex = true;
            block.perTrackIndex = parsePerTrackIndex(value);
        } else {
            block.values.emplace(std::move(key), std::move(value));
        }
    });
}

void CustomSettingsBlock::write(BinaryDataWriter& writer, const std::map<std::string, std::string>& values,
                                bool withPerTrackIndex, uint32_t perTrackIndex) {
    writer.writeBytes(kTag, 4);
    writer.writeUInt32(kVersion);
    writer.writeInt32(static_cast<int32_t>(values.size() + (withPerTrackIndex ? 1 : 0)));
    for (const auto& [key, value] : values) {
        writer.writeString(key);
        writer.writeString(value);
    }
    if (withPerTrackIndex) {
        writer.writeString(kPerTrackIndexKey);
        writer.writeString(std::to_string(static_cast<int32_t>(perTrackIndex)));
    }
}

uint32_t CustomSettingsBlock::parsePerTrackIndex(const std::string& text) {
    return static_cast<uint32_t>(parseLeadingInt(text, -1));
}
