#pragma once

// The effect's model for the tests: each test gets its own product name (so
// its own registry key, maker folder and preset folder), and preset files
// written by hand in the layouts of every version.

#include "effect/VarnelPlugin.h"
#include "modulation/ModMatrixParamController.h"
#include "plugin/tests/FileBytes.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace test {

inline std::string f32(float v) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return u32(bits);
}

// A binary preset: signature, version, count, the values (no settings block).
inline std::string presetBytes(const std::string& signature, uint32_t version,
                               const std::vector<float>& values) {
    std::string bytes = signature + u32(version) + u32(static_cast<uint32_t>(values.size()));
    for (float v : values)
        bytes += f32(v);
    return bytes;
}

// The entries of the older layouts, written out independently of the
// loader: parameter names, and "#name" for the values without a parameter.
inline std::vector<std::string> legacyEntries(int version) {
    std::vector<std::string> e;
    auto set = [&e](const std::string& base, std::initializer_list<const char*> suffixes) {
        for (const char* s : suffixes)
            e.push_back(base + s);
    };
    const std::initializer_list<const char*> filter = {" Freq",     " Pan",   " Peak",   " Characteristic",
                                                       " Response", " Slope", " Enabled"};
    const std::initializer_list<const char*> slot = {" Source", " Level", " Bypassed", " Inverted",
                                                     " Target"};
    const std::initializer_list<const char*> levels = {"Input Level", "Dry Level", "Dry Pan", "Wet Level",
                                                       "Wet Pan"};
    if (version == 1) {
        set("Delay 1", {" Time", " Offset", " Sync"});
        set("Delay 2", {" Time", " Offset", " Sync"});
        set("", {"Delay Link", "Delay Buffer Read Style", "Filter Routing"});
        set("#", {"feedback", "feedback balance", "cross feedback", "cross balance"});
        set("", levels);
        set("Filter 1", filter);
        set("Filter 2", filter);
        for (int k = 0; k < 2; ++k)
            for (int f = 0; f < 6; ++f)
                e.push_back("#lfo" + std::to_string(k) + "." + std::to_string(f));
        e.push_back("Receive Midi");
        for (int s = 1; s <= 21; ++s)
            set("Slot " + std::to_string(s), slot);
    } else {
        for (int d = 1; d <= 2; ++d)
            set("Delay " + std::to_string(d),
                {" Time", " Offset", " Sync", " Feedback", " Cross Feedback", " Pan"});
        set("", {"Feedback Link", "Delay Link", "Delay Buffer Read Style"});
        set("Filter 1", filter);
        set("Filter 2", filter);
        e.push_back("Filter Routing");
        set("", levels);
        for (int k = 0; k < 2; ++k)
            for (int f = 0; f < 7; ++f)
                e.push_back("#lfo" + std::to_string(k) + "." + std::to_string(f));
        set("EG 1", {" Threshold", " Triggering", " Attack", " Decay", " Sustain", " Release"});
        e.push_back("Receive Midi");
        for (int s = 1; s <= 24; ++s)
            set("Slot " + std::to_string(s), slot);
        set("", {"Delay 1 Feedback Invert", "Delay 2 Feedback Invert", "Auto Mute Self-Osc", "Dry Enabled"});
    }
    return e;
}

// Every parameter of the plug-in by name, in declaration order (version 3
// leaves "Delay Freeze" out).
inline std::vector<std::string> currentEntries(const VarnelPlugin& plugin, int version) {
    std::vector<std::string> e;
    for (int32_t i = 0; i < plugin.getNumParameters(); ++i) {
        const std::string& name = plugin.getParameter(i)->getName();
        if (version != 3 || name != "Delay Freeze") e.push_back(name);
    }
    return e;
}

// A legacy binary preset: each entry takes its value from `values`, else
// its parameter's default (0 for a value without a parameter).
inline std::string legacyPreset(const VarnelPlugin& plugin, int version,
                                const std::map<std::string, float>& values) {
    const std::vector<std::string> entries =
        version <= 2 ? legacyEntries(version) : currentEntries(plugin, version);
    std::vector<float> out;
    for (const std::string& name : entries) {
        auto it = values.find(name);
        if (it != values.end()) {
            out.push_back(it->second);
        } else {
            const AbstractPluginParameter* p = name[0] == '#' ? nullptr : plugin.findParameter(name);
            out.push_back(p != nullptr ? p->getDefault() : 0.0f);
        }
    }
    const char* signature = version == 1 ? "ZDel" : version == 2 ? "ZVar" : "ZVms";
    return presetBytes(signature, static_cast<uint32_t>(version), out);
}

class VarnelTest : public PluginTest {
protected:
    std::unique_ptr<VarnelPlugin> makeVarnel() { return std::make_unique<VarnelPlugin>(name_); }

    static float value(const VarnelPlugin& plugin, const std::string& name) {
        const AbstractPluginParameter* p = plugin.findParameter(name);
        EXPECT_NE(p, nullptr) << name;
        return p != nullptr ? p->getValue() : -12345.0f;
    }
    static void set(VarnelPlugin& plugin, const std::string& name, float v) {
        AbstractPluginParameter* p = plugin.findParameter(name);
        ASSERT_NE(p, nullptr) << name;
        p->setValue(v, 0);
    }
    static ErrorResult load(VarnelPlugin& plugin, const std::string& bytes) {
        std::istringstream stream(bytes, std::ios::in | std::ios::binary);
        ErrorResult result;
        plugin.loadPresetStream(result, stream);
        return result;
    }
};

} // namespace test
