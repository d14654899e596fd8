#pragma once

// The states of the product's editor that its pictures show, reached as a
// user reaches them: the profile in the registry, parameters set as a host's
// automation sets them, and clicks on the editor.
//   fresh  a new user's first start: 640 x 321 with the welcome hint;
//   plain  the 640 x 321 editor of a user past the welcome;
//   full   926 x 514 with the modulation section, one source of each kind,
//          two slots of the XLFO (one on Delay 1 Time, one without a
//          target) and the filter section open, filter 1 a resonant low pass;
//   learn  the full editor with the MIDI learn overlay open.
//
// Threading: the test's thread (the editor's GUI thread).

#include "clap/module/tests/windows/EditorSession.h"

#include <string>

namespace e2e {

enum class EditorState { kFresh, kPlain, kFull, kLearn };

// The version the plug-in shows: a profile that ran it before is past the
// welcome.
constexpr const char* kShownVersion = "2.00";

// Pictures with the software root, past the welcome.
Profile pictureProfile();
// The wide layout with the modulation section and the filter section open.
Profile fullProfile();

// Writes the state's profile; call it before the session starts.
void resetProfileFor(EditorState state);

// Sets the state's parameters, opens the editor at the scale and clicks what
// the state needs. False, with a failure, when a step
// is refused.
bool openIn(EditorSession& session, EditorState state, double scale);

// The pointer goes to the screen's far corner: the editor sees it leave, so
// that no rollover or hint stays lit.
void leaveEditor(EditorSession& session);

// A point of the editor at scale 1 in device pixels of the scale.
inline int devicePixels(int logical, double scale) {
    return int(logical * scale + 0.5);
}

// "100" for 1.0, "150" for 1.5: the scale in file and test names.
std::string scaleName(double scale);

} // namespace e2e
