#pragma once

// Reads presets of the effect's earlier releases (versions 1 to 4) into the
// current parameters, then converts what changed meaning since. The plug-in
// makes one on the stack for one load, after the ordinary loader refused
// the file.
//
// Signatures: "ZDel" for version 1, "ZVar" for version 2, the plug-in's
// "ZVms" for versions 3 and 4; version 5 belongs to the ordinary loader.
//
// Layouts: version 4 holds every parameter in declaration order, version 3
// the same without "Delay Freeze". Versions 1 and 2 hold a shorter list
// (below, in VarnelPresetLoader.cpp) with values that have no parameter of
// their own any more: a combined feedback with its balance (version 1) and
// two fixed LFOs, which become XLFO sets. Text presets of these versions
// match by name; the values without a parameter come only from binary files.
//
// Order of one load: the header is checked and the entries of the version
// declared (versionSupported); every value is read and checked; only then
// are all parameters reset to their defaults (beginLoad), the values stored,
// and the result converted (endLoad), all in one update batch of the
// plug-in. A refused or truncated file changes nothing.
//
// Hostile files: holding values that are not finite count as 0; old source
// and target numbers outside the conversion tables clear that source or
// target (the compaction then drops the slot); chains of slots that close
// on themselves are walked once.

#include "modulation/ModulationPresetLoader.h"
#include "plugin/CustomPresetLoader.h"

#include <array>
#include <cstdint>
#include <string>

class AbstractParameterSetList;
class AbstractPluginParameter;
class GenericPlugin;
class ModulationMatrixOwner;

class VarnelPresetLoader : public CustomPresetLoader, public ModulationPresetLoader {
public:
    static constexpr int32_t kFirstVersion = 1;
    static constexpr int32_t kCurrentVersion = 5;
    // Fields of one fixed LFO of versions 1 and 2.
    static constexpr int32_t kLegacyXLFOFields = 7;

    // The effect's model, and its modulation-matrix part.
    VarnelPresetLoader(GenericPlugin& plugin, ModulationMatrixOwner& matrixOwner);
    ~VarnelPresetLoader() override;

    // "ZDel", "ZVar", else "ZVms".
    std::string getSignature(int32_t version) override;
    // Versions 1 to 4; declares the version's entries on acceptance.
    bool versionSupported(int32_t version) override;
    // Every parameter to its default, then the fixed values of the version.
    void beginLoad(int32_t version) override;
    void endLoad(int32_t version) override { convertOlderVersion(version); }

    // Declares the entries of a version (once per load).
    void declareLegacyLayout(int32_t version);
    // Rewrites what the version's values mean today.
    void convertOlderVersion(int32_t version);
    // One fixed LFO record becomes the first inactive XLFO set.
    void convertOldXLFO(int32_t record);

    // True once signature and version were accepted: the file is one of
    // the older layouts, and a later failure is this loader's to report.
    bool isHeaderAccepted() const { return headerAccepted_; }
    int32_t getVersion() const { return version_; }

private:
    AbstractPluginParameter* parameter(const std::string& name) const;
    void declare(const std::string& name);
    void declareSet(const std::string& set, std::initializer_list<const char*> suffixes);
    void declareHolding(float& variable);
    void set(const std::string& name, float value);
    float value(const std::string& name) const;
    AbstractParameterSetList* list(const std::string& countName) const;
    int32_t activeCount(const std::string& countName) const;

    void convertFeedbackAndTime(int32_t version);
    void rescaleChangedAmounts();
    void renumberSlots(int32_t version);
    void duplicateFeedbackSlots();
    void correctMidiRanges();

    GenericPlugin& plugin_;
    ModulationMatrixOwner& matrixOwner_;
    int32_t version_ = -1;
    int32_t declaredVersion_ = -1;
    bool headerAccepted_ = false;
    int32_t xlfoFields_ = 0;
    int32_t legacySlots_ = 0;
    float oldFeedback_ = 0.0f;
    float oldFeedbackBalance_ = 0.0f;
    float oldCrossFeedback_ = 0.0f;
    float oldCrossFeedbackBalance_ = 0.0f;
    std::array<std::array<float, kLegacyXLFOFields>, 2> oldXLFO_{};
    // Receives the value of an entry whose parameter this build lacks.
    float unused_ = 0.0f;
};
