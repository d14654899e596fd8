#include "clap/ClapTrackContext.h"

#include "clap/HostText.h"

namespace {

uint32_t packColour(const clap_color_t& colour) {
    return static_cast<uint32_t>(colour.alpha) << 24 | static_cast<uint32_t>(colour.red) << 16 |
           static_cast<uint32_t>(colour.green) << 8 | colour.blue;
}

} // namespace

bool ClapTrackContext::trackInfoChanged(const clap_host_t* host, const clap_host_track_info_t* hostTrackInfo,
                                        uint32_t pluginFlags) {
    if (source_ == Source::kProjectLocation || host == nullptr || hostTrackInfo == nullptr ||
        hostTrackInfo->get == nullptr)
        return false;
    clap_track_info_t info{};
    if (!hostTrackInfo->get(host, &info)) return false;
    if ((pluginFlags & GenericPluginInfo::kFlagTrackInfo) == 0) return false;
    source_ = Source::kTrackInfo;
    const bool hasName = (info.flags & CLAP_TRACK_INFO_HAS_TRACK_NAME) != 0;
    const bool hasColour = (info.flags & CLAP_TRACK_INFO_HAS_TRACK_COLOR) != 0;
    if (hasName) record_.trackName = hostText(info.name, sizeof info.name);
    if (hasColour) record_.colour = packColour(info.color);
    return hasName || hasColour;
}

bool ClapTrackContext::setProjectLocation(const clap_project_location_element_t* elements, uint32_t count) {
    if (elements == nullptr) count = 0;
    record_.locationIndices.clear();
    for (uint32_t i = 0; i < count; ++i) {
        const clap_project_location_element_t& element = elements[i];
        if (element.kind == CLAP_PROJECT_LOCATION_TRACK) {
            record_.trackPosition = static_cast<int32_t>(record_.locationIndices.size());
            source_ = Source::kProjectLocation;
            record_.trackName = hostText(element.name, sizeof element.name);
            record_.colour = packColour(element.color);
        }
        if (element.kind == CLAP_PROJECT_LOCATION_PROJECT)
            record_.projectId = hostText(element.id, sizeof element.id);
        else
            record_.locationIndices.push_back(element.index);
    }
    return true;
}

GenericPlugin::TrackContext ClapTrackContext::pluginContext() const {
    GenericPlugin::TrackContext context;
    context.flags = static_cast<int32_t>(source_);
    context.name = record_.trackName;
    context.colour = {record_.colour};
    context.index = record_.trackPosition;
    context.secondName = record_.projectId;
    return context;
}
