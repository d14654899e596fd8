#pragma once

// The C tables of an instance's smaller extensions: clap.latency, clap.tail,
// clap.track-info/1 (and its draft id), clap.project-location/2,
// clap.preset-load/2 (and its draft id) and clap.gain-adjustment-metering/0,
// offered only when the processor names a gain-reduction meter.
//
// The instance class (Adapter) gives them what they need:
//   static Adapter* from(const clap_plugin_t*);      null for a bad plug-in
//   GenericPlugin& getModel() const;
//   GenericPluginProcessor& getProcessor() const;
//   const clap_host_t* getClapHost() const;
//   const clap_host_preset_load_t* getHostPresetLoad() const;  null when absent
//   const clap_host_track_info_t* getHostTrackInfo() const;    null when absent
//   ClapTrackContext& getTrackContext();
//   ClapProcessorReports& getProcessorReports();
//   bool calledOn(ClapThread expected, ClapState required, const char* call) const;
// Every callback names the thread it expects (guardedCall, ClapThreadCheck.h;
// any state of the instance will do) and answers as for a failure when
// refused or when it throws.

#include "clap/ClapAbi.h"
#include "clap/ClapPresetLoad.h"
#include "clap/ClapProcessorReports.h"
#include "clap/ClapThreadCheck.h"
#include "clap/ClapTrackContext.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"

#include <cstring>

template <class Adapter> struct ClapSmallExtensions {
    // The table answered for `id`, or null.
    static const void* find(const Adapter& adapter, const char* id) {
        if (id == nullptr) return nullptr;
        if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latency;
        if (std::strcmp(id, CLAP_EXT_TAIL) == 0) return &tail;
        if (std::strcmp(id, CLAP_EXT_TRACK_INFO) == 0 || std::strcmp(id, CLAP_EXT_TRACK_INFO_COMPAT) == 0)
            return &trackInfo;
        if (std::strcmp(id, CLAP_EXT_PROJECT_LOCATION) == 0) return &projectLocation;
        if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0 || std::strcmp(id, CLAP_EXT_PRESET_LOAD_COMPAT) == 0)
            return &presetLoad;
        if (std::strcmp(id, CLAP_EXT_GAIN_ADJUSTMENT_METERING) == 0)
            return ClapProcessorReports::offersGainMetering(adapter.getProcessor()) ? &gainMetering : nullptr;
        return nullptr;
    }

    static constexpr clap_plugin_latency_t latency{[](const clap_plugin_t* plugin) {
        return guardedCall<Adapter>(plugin, ClapThread::kMain, "clap.latency get", 0u, [](Adapter& a) {
            return ClapProcessorReports::latency(a.getProcessor());
        });
    }};

    static constexpr clap_plugin_tail_t tail{[](const clap_plugin_t* plugin) {
        return guardedCall<Adapter>(plugin, ClapThread::kMainOrAudio, "clap.tail get",
                                    ClapProcessorReports::kEndlessTail,
                                    [](Adapter& a) { return a.getProcessorReports().tail(); });
    }};

    static constexpr clap_plugin_track_info_t trackInfo{[](const clap_plugin_t* plugin) {
        guardedCall<Adapter>(plugin, ClapThread::kMain, "clap.track-info changed", 0, [](Adapter& a) {
            GenericPlugin& model = a.getModel();
            ClapTrackContext& context = a.getTrackContext();
            if (context.trackInfoChanged(a.getClapHost(), a.getHostTrackInfo(), model.pluginFlags))
                model.setTrackContext(context.pluginContext());
            return 0;
        });
    }};

    static constexpr clap_plugin_project_location_t projectLocation{
        [](const clap_plugin_t* plugin, const clap_project_location_element_t* elements, uint32_t count) {
            guardedCall<Adapter>(plugin, ClapThread::kMain, "clap.project-location set", 0, [&](Adapter& a) {
                ClapTrackContext& context = a.getTrackContext();
                if (context.setProjectLocation(elements, count))
                    a.getModel().setTrackContext(context.pluginContext());
                return 0;
            });
        }};

    static constexpr clap_plugin_preset_load_t presetLoad{
        [](const clap_plugin_t* plugin, uint32_t kind, const char* location, const char* loadKey) {
            return guardedCall<Adapter>(
                plugin, ClapThread::kMain, "clap.preset-load from_location", false, [&](Adapter& a) {
                    return loadPresetFromLocation(a.getModel(), a.getClapHost(), a.getHostPresetLoad(), kind,
                                                  location, loadKey);
                });
        }};

    static constexpr clap_plugin_gain_adjustment_metering_t gainMetering{[](const clap_plugin_t* plugin) {
        return guardedCall<Adapter>(
            plugin, ClapThread::kAudio, "clap.gain-adjustment-metering get", 0.0,
            [](Adapter& a) { return ClapProcessorReports::gainAdjustment(a.getProcessor()); });
    }};
};
