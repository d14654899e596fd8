#pragma once

// Reading preset files. A PresetLoader reads the binary or the text form
// (both recognised from the first eight bytes: a u32 at offset 4 of 65536 or
// more is taken as text) and hands each value to its slots, which derived
// loaders map onto parameters.
//
// Nothing is applied before the whole preset was read and checked: a
// refused signature or version, a truncated file or an unreadable text
// reports its error and leaves every parameter, the custom settings and the
// current-preset record as they were. An unknown text parameter is reported
// (the first one) and the rest still loads.
//
// Errors (code -1), reported through the ErrorResult:
//   "Unknown parameter: " + name
//   "Incorrect file permissions or corrupt preset file."
//   "Unknown preset signature (likely intended for another Zentor plug-in): " + signature
//   "Preset version not supported: " + version
//   "Invalid file format."
//   "Invalid preset header."

#include "foundation/ErrorResult.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class GenericParameterOwner;
class GenericPresetOwner;
class KeyValueReader;

namespace preset_errors {
extern const ErrorRecord kUnknownParameter;
extern const ErrorRecord kCorruptFile;
extern const ErrorRecord kUnknownSignature;
extern const ErrorRecord kVersionNotSupported;
extern const ErrorRecord kInvalidFormat;
extern const ErrorRecord kInvalidHeader;
} // namespace preset_errors

class PresetLoader : public ErrorReporter {
public:
    // Versions from here on are text files.
    static constexpr uint32_t kTextVersion = 65536;

    // The header of a text preset.
    struct TextHeader {
        std::string signature;
        int32_t version = 0;
        bool modified = true;
        std::string name;
        std::string author;
        std::string description;
        std::string tags;
    };

    // owner: whose update batches loads run in; plugin: set for loaders of
    // whole-plug-in presets (the settings block, the header's metadata and
    // the current preset).
    PresetLoader(GenericParameterOwner* owner, GenericPresetOwner* plugin, std::string expectedSignature);
    ~PresetLoader() override;

    void reportError(int32_t code, const std::string& message) override;

    // Reads a preset from the stream's position. expectedVersion -1 lets
    // versionSupported decide; an empty expectedSignature lets
    // signatureAccepted decide. result gets the loader's result.
    ErrorResult& loadPreset(ErrorResult& result, std::istream& stream, int32_t expectedVersion,
                            const std::string& expectedSignature);
    // The header section of a text preset, checked; the reader stands
    // behind it afterwards.
    bool readTextHeader(ErrorResult& result, KeyValueReader& reader, int32_t expectedVersion,
                        const std::string& expectedSignature, TextHeader& header);

    virtual void endLoad(int32_t version) { (void)version; }
    virtual int32_t parameterCount() = 0;
    virtual std::string getSignature(int32_t version) { return (void)version, expectedSignature_; }
    virtual void beginLoad(int32_t version) { (void)version; }
    virtual bool signatureAccepted(const std::string& signature, int32_t version);
    virtual bool versionSupported(int32_t version) { return (void)version, true; }
    virtual void setMissing(int32_t index) = 0;
    // The index that took the value, or -1.
    virtual int32_t setValueByName(const std::string& name, float value) = 0;
    virtual void setValue(int32_t index, float value) = 0;

    const ErrorResult& getResult() const { return result_; }
    const std::string& getHeaderName() const { return headerName_; }
    // "Preset" when no header name was set.
    std::string effectiveHeaderName() const;
    void setHeaderName(std::string name) { headerName_ = std::move(name); }
    const std::string& getLoadedSignature() const { return loadedSignature_; }
    bool isText() const { return text_; }
    GenericPresetOwner* getPlugin() const { return plugin_; }
    const TextHeader& getTextHeader() const { return header_; }

protected:
    void clearResult() { result_ = ErrorResult(); }

private:
    bool loadBinary(std::istream& stream, const std::string& signature, uint32_t version);
    void loadText(std::istream& stream, int32_t expectedVersion, const std::string& expectedSignature);
    bool accept(const std::string& signature, int32_t version, int32_t expectedVersion,
                const std::string& expectedSignature, bool fromText);

    ErrorResult result_;
    std::string headerName_;
    std::string loadedSignature_;
    bool text_ = false;
    GenericParameterOwner* owner_;
    GenericPresetOwner* plugin_;
    std::string expectedSignature_;
    TextHeader header_;
};
