#pragma once

// The host's track and project information as one plug-in instance keeps
// it: what clap.track-info/1 and clap.project-location/2 report, merged
// into one record. A project location, once set, wins: later track-info
// changes are no longer consulted. Track info is taken only by plug-ins
// whose info flags ask for it (GenericPluginInfo::kFlagTrackInfo).
//
// Main thread only (both extensions are main-thread calls). The operations
// return true when the plug-in should be told (GenericPlugin::setTrackContext
// with pluginContext()).

#include "clap/ClapAbi.h"
#include "plugin/GenericPlugin.h"

#include <cstdint>
#include <string>
#include <vector>

class ClapTrackContext {
public:
    enum class Source : int32_t {
        kNone = 0,
        kProjectLocation = 1,
        kTrackInfo = 2,
    };

    struct Record {
        uint32_t colour = 0; // alpha in the top byte, then red, green, blue
        std::string trackName;
        std::vector<uint32_t> locationIndices;
        int32_t trackPosition = 0;
        std::string projectId;
    };

    // The plug-in's clap.track-info changed: asks the host (when it offers
    // the extension) and takes the track's name and colour.
    bool trackInfoChanged(const clap_host_t* host, const clap_host_track_info_t* hostTrackInfo,
                          uint32_t pluginFlags);
    // clap.project-location set: the path from the project down to the
    // plug-in, outermost first.
    bool setProjectLocation(const clap_project_location_element_t* elements, uint32_t count);

    Source source() const { return source_; }
    const Record& record() const { return record_; }
    GenericPlugin::TrackContext pluginContext() const;

private:
    Source source_ = Source::kNone;
    Record record_;
};
