#include "effect/VarnelPresetLoader.h"

#include "modulation/ModulationMatrixOwner.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameterSet.h"

#include <cmath>

namespace {

// The delay and filter parameters in the order the older layouts hold them.
constexpr std::initializer_list<const char*> kFilterSuffixes = {
    " Freq", " Pan", " Peak", " Characteristic", " Response", " Slope", " Enabled"};
constexpr std::initializer_list<const char*> kLevelParameters = {"Input Level", "Dry Level", "Dry Pan",
                                                                 "Wet Level", "Wet Pan"};
constexpr std::initializer_list<const char*> kSlotSuffixes = {" Source", " Level", " Bypassed", " Inverted",
                                                              " Target"};

// Version 1 had 21 slots and fixed LFOs of 6 fields, version 2 24 and 7.
constexpr int32_t kVersion1Slots = 21;
constexpr int32_t kVersion2Slots = 24;
constexpr int32_t kVersion1XLFOFields = 6;
constexpr int32_t kVersion2XLFOFields = 7;

std::string numbered(const char* base, int32_t number) {
    return base + std::to_string(number);
}

} // namespace

VarnelPresetLoader::VarnelPresetLoader(GenericPlugin& plugin, ModulationMatrixOwner& matrixOwner)
    : CustomPresetLoader(plugin), ModulationPresetLoader(matrixOwner), plugin_(plugin),
      matrixOwner_(matrixOwner) {}

VarnelPresetLoader::~VarnelPresetLoader() = default;

std::string VarnelPresetLoader::getSignature(int32_t version) {
    if (version == 1) return "ZDel";
    if (version == 2) return "ZVar";
    return plugin_.pluginId.substr(0, 4);
}

bool VarnelPresetLoader::versionSupported(int32_t version) {
    if (version < kFirstVersion || version >= kCurrentVersion) return false;
    declareLegacyLayout(version);
    headerAccepted_ = true;
    return true;
}

AbstractPluginParameter* VarnelPresetLoader::parameter(const std::string& name) const {
    const int32_t index = plugin_.getMainCollection().indexOfName(name);
    return index >= 0 ? plugin_.getParameter(index) : nullptr;
}

void VarnelPresetLoader::declare(const std::string& name) {
    if (AbstractPluginParameter* p = parameter(name))
        addParameter(p, std::string());
    else
        addValue(&unused_, std::string()); // keeps the later values in place
}

void VarnelPresetLoader::declareSet(const std::string& set, std::initializer_list<const char*> suffixes) {
    for (const char* suffix : suffixes)
        declare(set + suffix);
}

void VarnelPresetLoader::declareHolding(float& variable) {
    addValue(&variable, std::string());
}

void VarnelPresetLoader::declareLegacyLayout(int32_t version) {
    if (declaredVersion_ != -1) return;
    declaredVersion_ = version;
    const int32_t count = plugin_.getNumParameters();
    if (version >= 3) {
        for (int32_t i = 0; i < count; ++i) {
            AbstractPluginParameter* p = plugin_.getParameter(i);
            // Version 3 had no freeze.
            if (p != nullptr && !(version == 3 && p->getName() == "Delay Freeze"))
                addParameter(p, std::string());
        }
        return;
    }

    xlfoFields_ = version == 1 ? kVersion1XLFOFields : kVersion2XLFOFields;
    legacySlots_ = version == 1 ? kVersion1Slots : kVersion2Slots;
    if (version == 1) {
        for (int32_t d = 1; d <= 2; ++d)
            declareSet(numbered("Delay ", d), {" Time", " Offset", " Sync"});
        for (const char* name : {"Delay Link", "Delay Buffer Read Style", "Filter Routing"})
            declare(name);
        for (float* holding :
             {&oldFeedback_, &oldFeedbackBalance_, &oldCrossFeedback_, &oldCrossFeedbackBalance_})
            declareHolding(*holding);
        for (const char* name : kLevelParameters)
            declare(name);
        for (int32_t f = 1; f <= 2; ++f)
            declareSet(numbered("Filter ", f), kFilterSuffixes);
    } else {
        for (int32_t d = 1; d <= 2; ++d)
            declareSet(numbered("Delay ", d),
                       {" Time", " Offset", " Sync", " Feedback", " Cross Feedback", " Pan"});
        for (const char* name : {"Feedback Link", "Delay Link", "Delay Buffer Read Style"})
            declare(name);
        for (int32_t f = 1; f <= 2; ++f)
            declareSet(numbered("Filter ", f), kFilterSuffixes);
        declare("Filter Routing");
        for (const char* name : kLevelParameters)
            declare(name);
    }
    for (auto& record : oldXLFO_)
        for (int32_t field = 0; field < xlfoFields_; ++field)
            declareHolding(record[static_cast<size_t>(field)]);
    if (version == 2)
        declareSet("EG 1", {" Threshold", " Triggering", " Attack", " Decay", " Sustain", " Release"});
    declare("Receive Midi");
    for (int32_t s = 1; s <= legacySlots_; ++s)
        declareSet(numbered("Slot ", s), kSlotSuffixes);
    if (version == 2)
        for (const char* name :
             {"Delay 1 Feedback Invert", "Delay 2 Feedback Invert", "Auto Mute Self-Osc", "Dry Enabled"})
            declare(name);
}

void VarnelPresetLoader::beginLoad(int32_t version) {
    version_ = version;
    const int32_t count = plugin_.getNumParameters();
    for (int32_t i = 0; i < count; ++i)
        if (AbstractPluginParameter* p = plugin_.getParameter(i)) p->setValue(p->getDefault(), 0);
    if (version == 1) {
        set("Delay 1 Pan", -1.0f);
        set("Delay 2 Pan", 1.0f);
    }
}

void VarnelPresetLoader::set(const std::string& name, float value) {
    if (AbstractPluginParameter* p = parameter(name)) p->setValue(value, 0);
}

float VarnelPresetLoader::value(const std::string& name) const {
    const AbstractPluginParameter* p = parameter(name);
    return p != nullptr ? p->getValue() : 0.0f;
}

AbstractParameterSetList* VarnelPresetLoader::list(const std::string& countName) const {
    auto* count = dynamic_cast<AbstractParameterSetList::NumActiveParameter*>(parameter(countName));
    return count != nullptr ? &count->getList() : nullptr;
}

int32_t VarnelPresetLoader::activeCount(const std::string& countName) const {
    const AbstractParameterSetList* l = list(countName);
    return l != nullptr ? l->getNumActive() : 0;
}
