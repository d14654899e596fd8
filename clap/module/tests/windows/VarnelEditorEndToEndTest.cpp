// The product's editor end to end: the Windows plug-in file in the test host,
// on real windows under Wine's X11 driver (a virtual display), compared with
// reference pictures in effect_editor/tests/data/ and driven with window
// messages.
//
// Remaking the references after a deliberate change of the editor's look:
//   scripts/editor-screenshots --update
// and look at every picture before committing it.

#include "clap/module/tests/windows/EditorSession.h"
#include "clap/module/tests/windows/EditorStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

using e2e::EditorSession;
using e2e::EditorState;
using e2e::Picture;
using e2e::Profile;
using e2e::scaleName;

std::string referencePath(const std::string& name) {
    const char* source = std::getenv("VARNEL_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/effect_editor/tests/data/" + name + ".png";
}

// Compares with the reference, or rewrites it when VARNEL_UPDATE_SCREENSHOTS is set.
void expectReference(const Picture& picture, const std::string& name) {
    ASSERT_GT(picture.width, 0);
    if (std::getenv("VARNEL_UPDATE_SCREENSHOTS") != nullptr) {
        ASSERT_TRUE(e2e::writePng(picture, referencePath(name))) << referencePath(name);
        return;
    }
    const Picture reference = e2e::readPng(referencePath(name));
    ASSERT_GT(reference.width, 0) << "no reference " << referencePath(name);
    std::string why;
    EXPECT_TRUE(e2e::matches(picture, reference, why)) << name << ": " << why;
}

void expectSize(EditorSession& session, uint32_t width, uint32_t height) {
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(session.gui()->get_size(session.plugin().plugin(), &w, &h));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST(VarnelEditorEndToEnd, AFreshProfileOpensTheSmallEditor) {
    e2e::resetProfileFor(EditorState::kFresh);
    EditorSession session;
    ASSERT_TRUE(e2e::openIn(session, EditorState::kFresh, 1.0));
    expectSize(session, 640, 321);
    expectReference(session.settledPicture(), "EditorFresh100");
}

class FullEditor : public ::testing::TestWithParam<double> {};

TEST_P(FullEditor, MatchesItsReference) {
    const double scale = GetParam();
    e2e::resetProfileFor(EditorState::kFull);
    EditorSession session;
    ASSERT_TRUE(e2e::openIn(session, EditorState::kFull, scale));
    expectSize(session, uint32_t(e2e::devicePixels(926, scale)), uint32_t(e2e::devicePixels(514, scale)));
    expectReference(session.settledPicture(), "EditorFull" + scaleName(scale));
}

INSTANTIATE_TEST_SUITE_P(Scales, FullEditor, ::testing::Values(1.0, 1.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return "At" + scaleName(info.param);
                         });

// A click on MIDI Learn lays the learn overlay over the full editor.
TEST(VarnelEditorEndToEnd, TheLearnOverlayMatchesItsReference) {
    e2e::resetProfileFor(EditorState::kLearn);
    EditorSession session;
    ASSERT_TRUE(e2e::openIn(session, EditorState::kLearn, 1.0));
    expectReference(session.settledPicture(), "EditorLearn100");
}

// What the host received from the editor through one flush: the parameter's
// gestures and values in order ('b' begin, 'e' end, 'v' a value).
struct HostRecord {
    std::string kinds;
    std::vector<double> values;
};

// The parameter's part of what the plug-in gave the host in the last flush.
HostRecord recordOf(EditorSession& session, clap_id id) {
    HostRecord record;
    const HostEventCollector& events = session.plugin().outputEvents();
    for (size_t i = 0; i < events.size(); ++i) {
        const clap_event_header_t* header = events.get(i);
        if (header->space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
        if (header->type == CLAP_EVENT_PARAM_VALUE) {
            const auto* value = reinterpret_cast<const clap_event_param_value_t*>(header);
            if (value->param_id != id) continue;
            record.kinds += 'v';
            record.values.push_back(value->value);
        } else if (header->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
                   header->type == CLAP_EVENT_PARAM_GESTURE_END) {
            const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(header);
            if (gesture->param_id != id) continue;
            record.kinds += header->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? 'b' : 'e';
        }
    }
    return record;
}

HostRecord flushToHost(EditorSession& session, clap_id id) {
    session.plugin().flush(HostEventList{});
    return recordOf(session, id);
}

struct SequenceCase {
    double scale;
    bool accelerated;
};

class EditorSequence : public ::testing::TestWithParam<SequenceCase> {};

// Automation moves the knob as an editor opened at that value shows it; a
// drag on the knob gives the host a gesture with rising values and a flush
// request; a Ctrl-click resets the parameter. The knob is found in pictures
// of the software root, then driven with either root.
TEST_P(EditorSequence, AutomationAndMouseOnDelayOneFeedback) {
    const SequenceCase c = GetParam();
    Profile profile = e2e::pictureProfile();
    e2e::resetProfile(profile);
    RECT knob{};
    {
        EditorSession session;
        const clap_id feedback = session.param("Delay L Feedback");
        const std::optional<clap_param_info_t> info = session.plugin().paramInfo(feedback);
        ASSERT_TRUE(info);
        session.automate({{feedback, info->min_value}});
        ASSERT_TRUE(session.open(c.scale));
        const Picture low = session.settledPicture();
        session.automate({{feedback, info->max_value}});
        const Picture high = session.settledPicture();
        session.automate({{feedback, info->min_value}});
        knob = e2e::followingArea(low, high, session.settledPicture(), 8);
        ASSERT_GT(knob.right - knob.left, 10) << "automation does not move the knob";
        EXPECT_LT(knob.right - knob.left, 80 * c.scale) << "automation changes more than the knob";

        session.automate({{feedback, info->max_value}});
        session.close();
        ASSERT_TRUE(session.open(c.scale));
        std::string why;
        EXPECT_TRUE(e2e::matches(high.crop(knob), session.settledPicture().crop(knob), why)) << why;
    }

    if (c.accelerated) {
        profile.shared["GraphicsAcceleration"] = 1;
        e2e::resetProfile(profile);
    }
    EditorSession session;
    const clap_id feedback = session.param("Delay L Feedback");
    const std::optional<clap_param_info_t> info = session.plugin().paramInfo(feedback);
    ASSERT_TRUE(info);
    ASSERT_TRUE(session.open(c.scale));
    session.pump(300);

    // A drag upwards from the middle value.
    session.automate({{feedback, (info->min_value + info->max_value) / 2}});
    flushToHost(session, feedback);
    const int before = session.host().calls().requestFlush.load();
    const int x = (knob.left + knob.right) / 2, y = (knob.top + knob.bottom) / 2;
    session.drag(x, y, 0, -int(40 * c.scale), 8);
    EXPECT_GT(session.host().calls().requestFlush.load(), before);
    const HostRecord drag = flushToHost(session, feedback);
    ASSERT_GE(drag.kinds.size(), 3u) << drag.kinds;
    EXPECT_EQ(drag.kinds.front(), 'b') << drag.kinds;
    EXPECT_EQ(drag.kinds.back(), 'e') << drag.kinds;
    EXPECT_EQ(drag.kinds.find_first_not_of('v', 1), drag.kinds.size() - 1) << drag.kinds;
    for (size_t i = 1; i < drag.values.size(); ++i)
        EXPECT_GE(drag.values[i], drag.values[i - 1]);
    ASSERT_FALSE(drag.values.empty());
    EXPECT_GT(drag.values.back(), (info->min_value + info->max_value) / 2);

    // Ctrl-click: back to the default.
    session.mouse(WM_LBUTTONDOWN, x, y, MK_CONTROL | MK_LBUTTON);
    session.mouse(WM_LBUTTONUP, x, y, MK_CONTROL);
    session.pump(50);
    const HostRecord reset = flushToHost(session, feedback);
    ASSERT_FALSE(reset.values.empty()) << reset.kinds;
    EXPECT_DOUBLE_EQ(reset.values.back(), info->default_value);
    EXPECT_DOUBLE_EQ(session.plugin().paramValue(feedback).value_or(-1), info->default_value);
}

// A drag on filter 1's handle in the response display (the wide layout with
// the filter section open) moves Freq and Peak, each as one gesture. The
// handle of a low pass at Freq 10 and Peak 0.5 stands at (797, 103) (see
// the reference pictures), and the pointer over it lights it.
TEST_P(EditorSequence, ADragOnFilterOnesHandleGivesFreqAndPeakGestures) {
    const SequenceCase c = GetParam();
    Profile profile = e2e::fullProfile();
    profile.shared["GraphicsAcceleration"] = c.accelerated ? 1 : 0;
    e2e::resetProfile(profile);
    EditorSession session;
    const clap_id freq = session.param("Filter 1 Freq");
    const clap_id peak = session.param("Filter 1 Peak");
    session.automate({{session.param("Filter 1 Enabled"), 1.0}, {freq, 10.0}, {peak, 0.5}});
    ASSERT_TRUE(session.open(c.scale));
    const int x = int(797 * c.scale), y = int(103 * c.scale);
    if (!c.accelerated) {
        // The pointer over the handle lights it: the place is right.
        const Picture resting = session.settledPicture();
        session.mouse(WM_MOUSEMOVE, x - int(20 * c.scale), y);
        session.mouse(WM_MOUSEMOVE, x, y);
        const RECT changed = e2e::followingArea(resting, session.settledPicture(), resting, 4);
        EXPECT_TRUE(changed.left <= x && x < changed.right && changed.top <= y && y < changed.bottom)
            << "the handle does not light under the pointer";
    }
    flushToHost(session, freq);
    session.drag(x, y, int(30 * c.scale), -int(20 * c.scale), 6);
    session.plugin().flush(HostEventList{});
    for (const clap_id id : {freq, peak}) {
        SCOPED_TRACE(id);
        const HostRecord record = recordOf(session, id);
        const std::string& kinds = record.kinds;
        const std::vector<double>& values = record.values;
        ASSERT_GE(kinds.size(), 3u) << kinds;
        EXPECT_EQ(kinds.front(), 'b') << kinds;
        EXPECT_EQ(kinds.back(), 'e') << kinds;
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'b'), 1) << kinds;
        ASSERT_FALSE(values.empty());
        EXPECT_GT(values.back(), id == freq ? 10.0 : 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, EditorSequence,
                         ::testing::Values(SequenceCase{1.0, false}, SequenceCase{1.5, false},
                                           SequenceCase{2.0, false}, SequenceCase{1.0, true}),
                         [](const ::testing::TestParamInfo<SequenceCase>& info) {
                             return "At" + scaleName(info.param.scale) +
                                    (info.param.accelerated ? "Accelerated" : "");
                         });

} // namespace
