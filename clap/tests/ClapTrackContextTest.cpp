#include "clap/ClapTrackContext.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A host whose track-info get answers with `info` (or fails).
struct TrackInfoHost {
    static clap_track_info_t info;
    static bool answers;
    static int calls;
    clap_host_t host{};
    clap_host_track_info_t trackInfo{};
    TrackInfoHost() {
        info = {};
        answers = true;
        calls = 0;
        trackInfo.get = [](const clap_host_t*, clap_track_info_t* out) {
            ++calls;
            if (answers) *out = info;
            return answers;
        };
    }
};
clap_track_info_t TrackInfoHost::info;
bool TrackInfoHost::answers;
int TrackInfoHost::calls;

clap_project_location_element_t element(uint32_t kind, uint32_t index, const char* id, const char* name,
                                        clap_color_t colour = {}) {
    clap_project_location_element_t e{};
    e.kind = kind;
    e.index = index;
    std::strncpy(e.id, id, sizeof e.id - 1);
    std::strncpy(e.name, name, sizeof e.name - 1);
    e.color = colour;
    return e;
}

constexpr uint32_t kTakesTrackInfo = GenericPluginInfo::kFlagTrackInfo;
constexpr uint32_t kProductFlags = 0x1008;

TEST(ClapTrackContext, TrackInfoIsTakenOnlyWhenThePluginAsksForIt) {
    TrackInfoHost host;
    TrackInfoHost::info.flags = CLAP_TRACK_INFO_HAS_TRACK_NAME | CLAP_TRACK_INFO_HAS_TRACK_COLOR;
    std::strcpy(TrackInfoHost::info.name, "Vocals");
    TrackInfoHost::info.color = {0xFF, 0x10, 0x20, 0x30};

    ClapTrackContext product;
    EXPECT_FALSE(product.trackInfoChanged(&host.host, &host.trackInfo, kProductFlags));
    EXPECT_EQ(product.source(), ClapTrackContext::Source::kNone);
    EXPECT_EQ(product.record().trackName, "");

    ClapTrackContext taking;
    EXPECT_FALSE(taking.trackInfoChanged(&host.host, nullptr, kTakesTrackInfo));
    EXPECT_TRUE(taking.trackInfoChanged(&host.host, &host.trackInfo, kTakesTrackInfo));
    EXPECT_EQ(taking.source(), ClapTrackContext::Source::kTrackInfo);
    EXPECT_EQ(taking.record().trackName, "Vocals");
    EXPECT_EQ(taking.record().colour, 0xFF102030u);
    EXPECT_EQ(taking.pluginContext().name, "Vocals");

    // Neither name nor colour: nothing to tell.
    TrackInfoHost::info.flags = 0;
    EXPECT_FALSE(taking.trackInfoChanged(&host.host, &host.trackInfo, kTakesTrackInfo));
    TrackInfoHost::answers = false;
    EXPECT_FALSE(taking.trackInfoChanged(&host.host, &host.trackInfo, kTakesTrackInfo));
}

TEST(ClapTrackContext, ProjectLocationBuildsThePathAndThenWins) {
    const clap_project_location_element_t path[] = {
        element(CLAP_PROJECT_LOCATION_PROJECT, 9, "project-7", "Song"),
        element(CLAP_PROJECT_LOCATION_TRACK_GROUP, 2, "", "Group"),
        element(CLAP_PROJECT_LOCATION_TRACK, 5, "", "Bass", {0x80, 1, 2, 3}),
        element(CLAP_PROJECT_LOCATION_DEVICE, 1, "", "Varnel"),
    };
    ClapTrackContext context;
    EXPECT_TRUE(context.setProjectLocation(path, 4));
    EXPECT_EQ(context.source(), ClapTrackContext::Source::kProjectLocation);
    EXPECT_EQ(context.record().projectId, "project-7");
    EXPECT_EQ(context.record().trackName, "Bass");
    EXPECT_EQ(context.record().colour, 0x80010203u);
    EXPECT_EQ(context.record().locationIndices, (std::vector<uint32_t>{2, 5, 1}));
    EXPECT_EQ(context.record().trackPosition, 1);

    TrackInfoHost host;
    TrackInfoHost::info.flags = CLAP_TRACK_INFO_HAS_TRACK_NAME;
    std::strcpy(TrackInfoHost::info.name, "Other");
    EXPECT_FALSE(context.trackInfoChanged(&host.host, &host.trackInfo, kTakesTrackInfo));
    EXPECT_EQ(TrackInfoHost::calls, 0);
    EXPECT_EQ(context.record().trackName, "Bass");

    // An empty path clears the indices and still tells the plug-in.
    EXPECT_TRUE(context.setProjectLocation(nullptr, 3));
    EXPECT_TRUE(context.record().locationIndices.empty());
}

TEST(ClapTrackContext, HostTextsAreReadWithinTheirArrays) {
    clap_project_location_element_t full = element(CLAP_PROJECT_LOCATION_TRACK, 0, "", "");
    std::memset(full.name, 'a', sizeof full.name);
    // The array ends inside a two-byte character: it is dropped.
    full.name[sizeof full.name - 1] = static_cast<char>(0xC3);
    std::memset(full.id, 'b', sizeof full.id);
    ClapTrackContext context;
    context.setProjectLocation(&full, 1);
    EXPECT_EQ(context.record().trackName, std::string(sizeof full.name - 1, 'a'));
}

} // namespace
