#pragma once

// The ordered list of parameters that a preset covers (the whole plug-in, a
// section of it, or the interface settings), with the writer of the preset
// file in both forms.
//
// Binary form, little-endian: the 4-character signature, u32 version, u32
// count N, N f32 values in collection order, and (whole-plug-in presets,
// while the settings-block switch is positive) the "CuSV" settings block.
//
// Text form: "[<header name>]" ("Preset" when empty) with Signature,
// Version, optionally Name and Modified, then Author, Description and Tags
// when not empty; "[Parameters]" with one "key=%.15g" line per parameter;
// for a whole-plug-in preset "[Settings]" with the custom settings. An empty
// line precedes every section but the first; lines end in a bare LF.
//
// Parameter key names drop the collection's common prefix: the name its
// first parameter's owner gives itself and one blank, when every name starts
// with it (or with "Num Active " and it); so a section preset written from
// one instance of a section loads into another.
//
// Every writer builds the whole file in memory and replaces the target
// atomically: a failed save leaves the previous file untouched.

#include "plugin/ParameterCollection.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

class GenericParameterOwner;
class GenericPresetOwner;

// The process-wide preset format: the version written into presets (1 until
// the product sets its own) and the settings-block switch (binary presets
// carry the settings block only while it is positive).
struct PresetFormat {
    int32_t version = 1;
    int32_t settingsBlockSwitch = 0;
};

class PresetParameterCollection : public ParameterCollection {
public:
    static constexpr const char* kNumActive = "Num Active ";
    // Files read into memory are refused above this size.
    static constexpr size_t kMaxFileSize = 16u * 1024u * 1024u;

    // owner: whose update batches loads run in; plugin: set for collections
    // of the plug-in model (the settings block and header metadata).
    PresetParameterCollection(GenericParameterOwner* owner, GenericPresetOwner* plugin);
    ~PresetParameterCollection() override;

    // Appends a parameter and maps its name and every alias to its index.
    int32_t add(AbstractPluginParameter* parameter) override;
    void addAlias(AbstractPluginParameter* parameter, const std::string& alias);

    // Writes the preset file at path. first -1: the whole collection;
    // otherwise only parameters of [first, first + count) take new values
    // and the others keep what the file holds (a missing file is written
    // whole).
    bool savePreset(const std::string& path, int32_t version, int32_t first = -1, int32_t count = 0);
    // flags bit 0 adds Name and Modified to the header.
    bool saveText(std::ostream& stream, int32_t version, int32_t flags);
    std::string textBytes(int32_t version, int32_t flags);
    // The whole binary preset.
    std::string binaryBytes(int32_t version);
    // Ranged binary save into existing bytes: false, nothing changed, when
    // signature, version or the stored count differ from this collection's.
    bool patchBinary(std::string& bytes, int32_t version, int32_t first, int32_t count);
    // Ranged text save into existing text: false when the header does not
    // match or the text cannot be read.
    bool patchText(std::string& text, int32_t version, int32_t first, int32_t count);

    // The 4-character signature (the plug-in's id, or the one set).
    std::string getSignature() const;
    void setSignature(std::string signature) { signature_ = std::move(signature); }
    std::string commonPrefix() const;
    static std::string keyName(const AbstractPluginParameter& parameter, const std::string& prefix);
    // The index of a parameter name (or alias), -1 when none.
    int32_t indexOfName(const std::string& name) const;
    // The index for a text key under the prefix rule, -1 when none.
    int32_t indexOfKey(const std::string& key, const std::string& prefix) const;

    const std::string& getHeaderName() const { return headerName_; }
    // "Preset" for an empty header name.
    std::string effectiveHeaderName() const;
    void setHeaderName(std::string name) { headerName_ = std::move(name); }
    GenericParameterOwner* getOwner() const { return owner_; }
    GenericPresetOwner* getPlugin() const { return plugin_; }
    // True when the collection covers every parameter of the plug-in.
    bool isWholePlugin() const;

    static PresetFormat& presetFormat();

private:
    GenericParameterOwner* owner_;
    std::string headerName_;
    std::map<std::string, int32_t> nameMap_;
    GenericPresetOwner* plugin_;
    std::string signature_;
};
