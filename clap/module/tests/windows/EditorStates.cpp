#include "clap/module/tests/windows/EditorStates.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace e2e {

namespace {

// The counts of the XY controllers, XLFOs, envelope generators, envelope
// followers and MIDI sources ("Num Active ..."), by parameter index.
constexpr uint32_t kSourceCountIndices[] = {39, 48, 487, 536, 549};

// A slot's source is the source's number + 1 (0: none): XLFO 1 follows the
// four XY controllers' eight outputs. Its target is the target's number + 1:
// 1 is Delay 1 Time.
constexpr double kXLFOOneSource = 8 + 1;
constexpr double kDelayOneTimeTarget = 0 + 1;

// The MIDI Learn button's middle in the bottom bar, at scale 1: x 24..96,
// 3..23 below the bar's top, which is 24 above the editor's bottom.
constexpr int kLearnX = 60;
constexpr int kLearnAboveBottom = 11;

// The middle of XLFO 1's first step bar in the full editor, at scale 1 (the
// step at 0, half way up its column).
constexpr int kFirstStepX = 352;
constexpr int kFirstStepY = 397;

void addFullParameters(EditorSession& session) {
    std::vector<std::pair<clap_id, double>> values;
    for (uint32_t index : kSourceCountIndices) {
        std::optional<clap_param_info_t> info = session.plugin().paramInfo(index);
        ASSERT_TRUE(info);
        values.emplace_back(info->id, 1.0);
    }
    // Filter 1 on, a resonant low pass at about 1 kHz (log2 of the frequency).
    values.insert(values.end(), {{session.param("Filter 1 Enabled"), 1.0},
                                 {session.param("Filter 1 Freq"), 10.0},
                                 {session.param("Filter 1 Peak"), 0.5},
                                 {session.param("Num Active Slots"), 2.0},
                                 {session.param("Slot 1 Source"), kXLFOOneSource},
                                 {session.param("Slot 1 Target"), kDelayOneTimeTarget},
                                 {session.param("Slot 2 Source"), kXLFOOneSource}});
    session.automate(values);
}

} // namespace

void leaveEditor(EditorSession& session) {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    session.pump(100);
}

Profile pictureProfile() {
    Profile profile;
    profile.shared = {{"GraphicsAcceleration", 0}};
    profile.currentVersion = kShownVersion;
    return profile;
}

Profile fullProfile() {
    Profile profile = pictureProfile();
    profile.product = {{"ShowModulation", 1}, {"InterfaceLayout", 1}, {"ExpandedSection", 1}};
    return profile;
}

void resetProfileFor(EditorState state) {
    if (state == EditorState::kFresh) {
        // A new user: no version ran before.
        Profile profile = pictureProfile();
        profile.currentVersion.clear();
        resetProfile(profile);
        return;
    }
    resetProfile(state == EditorState::kPlain ? pictureProfile() : fullProfile());
}

bool openIn(EditorSession& session, EditorState state, double scale) {
    if (state == EditorState::kFull || state == EditorState::kLearn) addFullParameters(session);
    if (::testing::Test::HasFatalFailure()) return false;
    if (!session.open(scale)) {
        ADD_FAILURE() << "the editor does not open at " << scale;
        return false;
    }
    if (state == EditorState::kFull || state == EditorState::kLearn) {
        // XLFO 1's first step selected with a Ctrl-click (which moves no
        // value): its step panel slides open beside the steps.
        session.settledPicture();
        const int x = devicePixels(kFirstStepX, scale), y = devicePixels(kFirstStepY, scale);
        session.mouse(WM_MOUSEMOVE, x, y);
        session.click(x, y, MK_CONTROL);
        leaveEditor(session);
    }
    if (state == EditorState::kLearn) {
        // Drawn and settled before the click, as a user sees it.
        session.settledPicture();
        uint32_t width = 0, height = 0;
        if (!session.gui()->get_size(session.plugin().plugin(), &width, &height)) return false;
        const int x = devicePixels(kLearnX, scale);
        const int y = int(height) - devicePixels(kLearnAboveBottom, scale);
        session.mouse(WM_MOUSEMOVE, x, y);
        session.mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        session.mouse(WM_LBUTTONUP, x, y);
        leaveEditor(session);
    }
    return true;
}

std::string scaleName(double scale) {
    return std::to_string(int(scale * 100.0 + 0.5));
}

} // namespace e2e
