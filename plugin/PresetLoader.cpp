#include "plugin/PresetLoader.h"

#include "foundation/BinaryData.h"
#include "foundation/KeyValue.h"
#include "foundation/StringUtils.h"
#include "plugin/CustomSettingsBlock.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/GenericPresetOwner.h"

#include <cmath>
#include <cstring>
#include <istream>
#include <set>
#include <utility>

namespace preset_errors {
const ErrorRecord kUnknownParameter{-1, "Unknown parameter: "};
const ErrorRecord kCorruptFile{-1, "Incorrect file permissions or corrupt preset file."};
const ErrorRecord kUnknownSignature{
    -1, "Unknown preset signature (likely intended for another Zentor plug-in): "};
const ErrorRecord kVersionNotSupported{-1, "Preset version not supported: "};
const ErrorRecord kInvalidFormat{-1, "Invalid file format."};
const ErrorRecord kInvalidHeader{-1, "Invalid preset header."};
} // namespace preset_errors

namespace {

// A text value as a number: the whole text (after leading blanks) must be
// one finite decimal number, else 0.
float parseTextValue(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && isAsciiSpace(text[start]))
        ++start;
    double value = 0.0;
    if (!parseDouble(std::string_view(text).substr(start), value) || !std::isfinite(value)) return 0.0f;
    return static_cast<float>(value);
}

} // namespace

PresetLoader::PresetLoader(GenericParameterOwner* owner, GenericPresetOwner* plugin,
                           std::string expectedSignature)
    : owner_(owner), plugin_(plugin), expectedSignature_(std::move(expectedSignature)) {}

PresetLoader::~PresetLoader() = default;

void PresetLoader::reportError(int32_t code, const std::string& message) {
    result_.reportError(code, message);
}

std::string PresetLoader::effectiveHeaderName() const {
    return headerName_.empty() ? std::string("Preset") : headerName_;
}

bool PresetLoader::signatureAccepted(const std::string& signature, int32_t version) {
    return signature == getSignature(version);
}

bool PresetLoader::accept(const std::string& signature, int32_t version, int32_t expectedVersion,
                          const std::string& expectedSignature, bool fromText) {
    const bool accepted =
        !expectedSignature.empty() ? signature == expectedSignature : signatureAccepted(signature, version);
    if (!accepted) {
        if (fromText || !signature.empty())
            reportError(-1, preset_errors::kUnknownSignature.message + signature);
        else
            reportError(preset_errors::kCorruptFile.code, preset_errors::kCorruptFile.message);
        return false;
    }
    loadedSignature_ = signature;
    const bool supported = expectedVersion == -1 ? versionSupported(version) : version == expectedVersion;
    if (!supported) {
        reportError(-1, preset_errors::kVersionNotSupported.message + std::to_string(version));
        return false;
    }
    return true;
}

ErrorResult& PresetLoader::loadPreset(ErrorResult& result, std::istream& stream, int32_t expectedVersion,
                                      const std::string& expectedSignature) {
    const std::istream::pos_type start = stream.tellg();
    BinaryDataReader reader(stream);
    char tag[4];
    const bool haveTag = reader.readBytes(tag, sizeof tag);
    const uint32_t version = reader.readUInt32();
    const std::string signature = reader.isGood() && haveTag ? std::string(tag, 4) : std::string();

    clearResult();
    text_ = false;

    const bool accepted = !expectedSignature.empty()
                              ? signature == expectedSignature
                              : signatureAccepted(signature, static_cast<int32_t>(version));
    if (!accepted && version >= kTextVersion) {
        stream.clear();
        stream.seekg(start);
        loadText(stream, expectedVersion, expectedSignature);
    } else if (accept(signature, static_cast<int32_t>(version), expectedVersion, expectedSignature, false)) {
        loadBinary(stream, signature, version);
    }
    result = result_;
    return result;
}

bool PresetLoader::loadBinary(std::istream& stream, const std::string&, uint32_t version) {
    BinaryDataReader reader(stream);
    const int32_t n = std::max(parameterCount(), 0);
    const uint32_t count = reader.readUInt32();
    const int32_t taken = static_cast<int32_t>(std::min<uint64_t>(count, static_cast<uint64_t>(n)));
    std::vector<float> values(static_cast<size_t>(reader.isGood() ? taken : 0));
    for (float& value : values)
        value = reader.readFloat();
    if (!reader.isGood()) {
        reportError(preset_errors::kInvalidFormat.code, preset_errors::kInvalidFormat.message);
        return false;
    }
    CustomSettingsBlock block;
    if (plugin_ != nullptr && !CustomSettingsBlock::read(reader, block)) {
        reportError(preset_errors::kInvalidFormat.code, preset_errors::kInvalidFormat.message);
        return false;
    }

    if (owner_ != nullptr) owner_->beginUpdate();
    beginLoad(static_cast<int32_t>(version));
    for (int32_t i = 0; i < taken; ++i)
        setValue(i, values[static_cast<size_t>(i)]);
    for (int32_t i = taken; i < n; ++i)
        setMissing(i);
    if (plugin_ != nullptr) plugin_->applySettingsBlock(block);
    endLoad(static_cast<int32_t>(version));
    if (owner_ != nullptr) owner_->endUpdate();
    return true;
}

bool PresetLoader::readTextHeader(ErrorResult& result, KeyValueReader& reader, int32_t expectedVersion,
                                  const std::string& expectedSignature, TextHeader& header) {
    const std::string first = reader.readLine();
    if (!first.empty() || reader.status() != KeyValueReader::kGood ||
        reader.sectionName() != effectiveHeaderName()) {
        reportError(preset_errors::kInvalidHeader.code, preset_errors::kInvalidHeader.message);
        result = result_;
        return false;
    }
    header = TextHeader();
    for (;;) {
        const std::string key = reader.readLine();
        if (key.empty()) break;
        const std::string& value = reader.value();
        if (key == "Signature")
            header.signature = value;
        else if (key == "Version")
            header.version = parseLeadingInt(value, 0);
        else if (key == "Modified") {
            const int32_t flag = parseLeadingInt(value, 1);
            header.modified = flag != 0;
        } else if (key == "Name")
            header.name = value;
        else if (key == "Author")
            header.author = value;
        else if (key == "Description")
            header.description = value;
        else if (key == "Tags")
            header.tags = value;
    }
    if (reader.status() != KeyValueReader::kGood) {
        reportError(preset_errors::kInvalidFormat.code, preset_errors::kInvalidFormat.message);
        result = result_;
        return false;
    }
    text_ = true;
    const bool ok = accept(header.signature, header.version, expectedVersion, expectedSignature, true);
    result = result_;
    return ok;
}

void PresetLoader::loadText(std::istream& stream, int32_t expectedVersion,
                            const std::string& expectedSignature) {
    KeyValueReader reader(stream);
    ErrorResult headerResult;
    TextHeader header;
    if (!readTextHeader(headerResult, reader, expectedVersion, expectedSignature, header)) return;

    // Everything is read before anything is applied.
    std::vector<std::pair<std::string, float>> parameters;
    bool settingsPresent = false;
    std::map<std::string, std::string> settings;
    const std::string headerName = effectiveHeaderName();
    std::string section = reader.sectionName();
    for (;;) {
        if (section == headerName) break;
        const std::string key = reader.readLine();
        if (key.empty()) {
            if (reader.status() != KeyValueReader::kGood || reader.sectionName().empty()) break;
            section = reader.sectionName();
            if (section == "Settings") settingsPresent = true;
            continue;
        }
        if (section == "Parameters")
            parameters.emplace_back(key, parseTextValue(reader.value()));
        else if (section == "Settings" && key != CustomSettingsBlock::kPerTrackIndexKey)
            settings[key] = reader.value();
    }
    if (reader.status() != KeyValueReader::kGood) {
        reportError(preset_errors::kInvalidFormat.code, preset_errors::kInvalidFormat.message);
        return;
    }

    header_ = header;
    if (owner_ != nullptr) owner_->beginUpdate();
    beginLoad(header.version);
    const int32_t n = std::max(parameterCount(), 0);
    std::vector<bool> seen(static_cast<size_t>(n), false);
    for (const auto& [key, value] : parameters) {
        const int32_t index = setValueByName(key, value);
        if (index >= 0 && index < n) seen[static_cast<size_t>(index)] = true;
    }
    for (int32_t i = 0; i < n; ++i)
        if (!seen[static_cast<size_t>(i)]) setMissing(i);
    if (plugin_ != nullptr) {
        if (settingsPresent)
            plugin_->replaceSettings(std::move(settings));
        else
            plugin_->clearSettings();
        const std::pair<const char*, const std::string*> metadata[] = {
            {"AUTHOR", &header.author}, {"DESCRIPTION", &header.description}, {"TAGS", &header.tags}};
        for (const auto& [key, value] : metadata) {
            if (value->empty()) continue;
            plugin_->setCustomSetting(key, *value);
            plugin_->reportMetadataChange();
        }
    }
    endLoad(header.version);
    if (owner_ != nullptr) owner_->endUpdate();

    if (!result_.hasError() && plugin_ != nullptr && !header.name.empty()) {
        plugin_->setPresetModified(header.modified);
        plugin_->setCurrentPresetName(header.name, GenericPresetOwner::kWholeNameToHost);
    }
}
