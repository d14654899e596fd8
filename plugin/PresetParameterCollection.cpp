#include "plugin/PresetParameterCollection.h"

#include "foundation/AtomicFile.h"
#include "foundation/BinaryData.h"
#include "foundation/Files.h"
#include "foundation/KeyValue.h"
#include "foundation/StringUtils.h"
#include "plugin/CurrentPresetRecord.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/GenericPresetOwner.h"
#include "plugin/PluginParameter.h"

#include <cstring>
#include <set>
#include <sstream>

namespace {

std::string formatValue(float value) {
    return formatDouble("%.15g", static_cast<double>(value));
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

void putU32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getU32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]))
                 << (8 * i);
    return value;
}

} // namespace

PresetFormat& PresetParameterCollection::presetFormat() {
    static PresetFormat format;
    return format;
}

PresetParameterCollection::PresetParameterCollection(GenericParameterOwner* owner, GenericPresetOwner* plugin)
    : owner_(owner), plugin_(plugin) {}

PresetParameterCollection::~PresetParameterCollection() = default;

int32_t PresetParameterCollection::add(AbstractPluginParameter* parameter) {
    const int32_t index = ParameterCollection::add(parameter);
    nameMap_.emplace(parameter->getName(), index);
    for (const std::string& alias : parameter->getAliases())
        nameMap_.emplace(alias, index);
    return index;
}

void PresetParameterCollection::addAlias(AbstractPluginParameter* parameter, const std::string& alias) {
    for (int32_t i = 0; i < size(); ++i)
        if (get(i) == parameter) {
            nameMap_.emplace(alias, i);
            return;
        }
}

std::string PresetParameterCollection::getSignature() const {
    if (!signature_.empty() || plugin_ == nullptr) return signature_.substr(0, 4);
    return plugin_->getPresetSignature();
}

std::string PresetParameterCollection::effectiveHeaderName() const {
    return headerName_.empty() ? std::string("Preset") : headerName_;
}

bool PresetParameterCollection::isWholePlugin() const {
    return plugin_ != nullptr && size() == plugin_->getParameterOwner().getNumParameters();
}

std::string PresetParameterCollection::commonPrefix() const {
    if (parameters_.empty() || parameters_.front()->getOwner() == nullptr) return {};
    const std::string ownerName = parameters_.front()->getOwner()->getName();
    if (ownerName.empty()) return {};
    const std::string prefix = ownerName + " ";
    const std::string numActive = std::string(kNumActive) + prefix;
    for (const AbstractPluginParameter* parameter : parameters_)
        if (!startsWith(parameter->getName(), prefix) && !startsWith(parameter->getName(), numActive))
            return {};
    return prefix;
}

std::string PresetParameterCollection::keyName(const AbstractPluginParameter& parameter,
                                               const std::string& prefix) {
    const std::string& name = parameter.getName();
    if (prefix.empty()) return name;
    if (startsWith(name, prefix)) return name.substr(prefix.size());
    const std::string numActive = std::string(kNumActive) + prefix;
    if (startsWith(name, numActive)) return std::string(kNumActive) + name.substr(numActive.size());
    return name;
}

int32_t PresetParameterCollection::indexOfName(const std::string& name) const {
    auto it = nameMap_.find(name);
    return it == nameMap_.end() ? -1 : it->second;
}

int32_t PresetParameterCollection::indexOfKey(const std::string& key, const std::string& prefix) const {
    int32_t index = indexOfName(prefix + key);
    if (index < 0 && startsWith(key, kNumActive))
        index = indexOfName(std::string(kNumActive) + prefix + key.substr(std::strlen(kNumActive)));
    return index;
}

std::string PresetParameterCollection::binaryBytes(int32_t version) {
    std::ostringstream stream(std::ios::out | std::ios::binary);
    BinaryDataWriter writer(stream);
    writer.writeBytes(getSignature().c_str(), 4);
    writer.writeUInt32(static_cast<uint32_t>(version));
    writer.writeUInt32(static_cast<uint32_t>(size()));
    for (const AbstractPluginParameter* parameter : parameters_)
        writer.writeFloat(parameter->getValue());
    if (isWholePlugin() && presetFormat().settingsBlockSwitch > 0) plugin_->writeSettingsBlock(writer, true);
    return stream.str();
}

bool PresetParameterCollection::patchBinary(std::string& bytes, int32_t version, int32_t first,
                                            int32_t count) {
    const size_t valuesEnd = 12 + 4 * static_cast<size_t>(size());
    if (bytes.size() < valuesEnd || bytes.compare(0, 4, getSignature()) != 0 ||
        getU32(bytes, 4) != static_cast<uint32_t>(version) ||
        getU32(bytes, 8) != static_cast<uint32_t>(size()))
        return false;
    const int64_t last = int64_t(first) + count;
    for (int32_t i = 0; i < size(); ++i) {
        if (i < first || i >= last) continue;
        const float value = parameters_[static_cast<size_t>(i)]->getValue();
        uint32_t word = 0;
        std::memcpy(&word, &value, 4);
        putU32(bytes, 12 + 4 * static_cast<size_t>(i), word);
    }
    if (isWholePlugin() && presetFormat().settingsBlockSwitch > 0) {
        std::ostringstream block(std::ios::out | std::ios::binary);
        BinaryDataWriter writer(block);
        plugin_->writeSettingsBlock(writer, true);
        bytes.resize(valuesEnd);
        bytes += block.str();
    }
    return true;
}

std::string PresetParameterCollection::textBytes(int32_t version, int32_t flags) {
    std::ostringstream stream(std::ios::out | std::ios::binary);
    saveText(stream, version, flags);
    return stream.str();
}

bool PresetParameterCollection::saveText(std::ostream& stream, int32_t version, int32_t flags) {
    KeyValueWriter writer(stream, "\n");
    writer.writeSection(effectiveHeaderName());
    writer.writeString("Signature", getSignature());
    writer.writeInt("Version", version);
    const bool whole = isWholePlugin();
    if (whole) {
        if ((flags & 1) != 0) {
            writer.writeString("Name", plugin_->getCurrentPreset().getName());
            writer.writeInt("Modified", plugin_->getCurrentPreset().isModified() ? 1 : 0);
        }
        const auto& map = plugin_->getSettingsMap();
        const std::pair<const char*, const char*> metadata[] = {
            {"AUTHOR", "Author"}, {"DESCRIPTION", "Description"}, {"TAGS", "Tags"}};
        for (const auto& [key, name] : metadata) {
            auto it = map.find(key);
            if (it != map.end() && !it->second.empty()) writer.writeString(name, it->second);
        }
    }
    writer.writeSection("Parameters");
    const std::string prefix = commonPrefix();
    for (const AbstractPluginParameter* parameter : parameters_)
        writer.writeLine(keyName(*parameter, prefix), formatValue(parameter->getValue()));
    if (whole && stream.good()) plugin_->writeSettingsText(writer);
    return stream.good();
}

bool PresetParameterCollection::patchText(std::string& text, int32_t version, int32_t first, int32_t count) {
    std::istringstream in(text, std::ios::in | std::ios::binary);
    std::ostringstream out(std::ios::out | std::ios::binary);
    KeyValueReader reader(in);
    KeyValueWriter writer(out, "\n");
    const std::string header = effectiveHeaderName();
    const std::string prefix = commonPrefix();
    const int64_t last = int64_t(first) + count;
    auto inRange = [&](int32_t index) { return index >= first && index < last && index < size(); };
    std::string section;
    std::string signature;
    int32_t storedVersion = 0;
    bool haveVersion = false;
    std::set<int32_t> written;
    auto closeSection = [&]() {
        if (section != "Parameters") return;
        for (int32_t i = std::max(first, 0); i < size() && i < last; ++i)
            if (written.insert(i).second)
                writer.writeLine(keyName(*parameters_[static_cast<size_t>(i)], prefix),
                                 formatValue(parameters_[static_cast<size_t>(i)]->getValue()));
    };
    for (;;) {
        const std::string key = reader.readLine();
        if (key.empty()) {
            if (reader.status() != KeyValueReader::kGood) return false;
            if (reader.sectionName().empty()) break;
            closeSection();
            section = reader.sectionName();
            writer.writeSection(section);
            continue;
        }
        if (section == header) {
            if (key == "Signature") signature = reader.value();
            if (key == "Version") haveVersion = parseInt(reader.value(), storedVersion);
            writer.writeString(key, reader.value());
        } else if (section == "Parameters") {
            const int32_t index = indexOfKey(key, prefix);
            if (index >= 0 && inRange(index)) {
                writer.writeLine(key, formatValue(parameters_[static_cast<size_t>(index)]->getValue()));
                written.insert(index);
            } else {
                writer.writeString(key, reader.value());
            }
        } else {
            writer.writeString(key, reader.value());
        }
    }
    closeSection();
    if (signature != getSignature() || !haveVersion || storedVersion != version) return false;
    text = out.str();
    return true;
}

bool PresetParameterCollection::savePreset(const std::string& path, int32_t version, int32_t first,
                                           int32_t count) {
    const bool text = plugin_ != nullptr && plugin_->writesTextPresets();
    if (first != -1 && (!fileExists(path) || folderExists(path))) first = -1;
    std::string bytes;
    if (first == -1) {
        bytes = text ? textBytes(version, 0) : binaryBytes(version);
    } else {
        auto stream = openFileStream(path, std::ios::in | std::ios::binary);
        std::string existing;
        std::vector<char> buffer(65536);
        while (stream->good() && existing.size() <= kMaxFileSize) {
            stream->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            existing.append(buffer.data(), static_cast<size_t>(stream->gcount()));
        }
        if (existing.size() > kMaxFileSize || stream->bad()) return false;
        bytes = std::move(existing);
        if (!(text ? patchText(bytes, version, first, count) : patchBinary(bytes, version, first, count)))
            return false;
    }
    return writeFileAtomically(path, bytes);
}
