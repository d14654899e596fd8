#pragma once

// The states of the product's editor that its tests open, each as a user
// first reaches it:
//   fresh      the 640 x 321 editor of a new user, with the welcome hint;
//   full       926 x 514 with the modulation section, one source of each
//              kind, two slots of the XLFO (one on Delay 1 Time, one
//              without a target), the filter section open and the XLFO's
//              first step selected;
//   learn      the full editor with the MIDI learn overlay open.
// prepareModel sets the model up before the editor opens (the window takes
// the model's interface size); prepareEditor finishes the state on the
// opened editor, and makes it where the session starts (the undo history's
// first record and both A/B slots hold it). The caller lets the window's clock run afterwards so that
// the editor settles.
//
// Threading: GUI thread only.

#include "editor/tests/walk/ControlWalk.h"

#include <cstdint>

class VarnelInterface;
class VarnelPlugin;

namespace editor_states {

enum class State { kFresh, kFull, kLearn };

const char* stateName(State state);

// The editor settings, sources and filter of the state.
void prepareModel(VarnelPlugin& model, State state);
// The slots, the XLFO's selected step and MIDI learn of the state.
void prepareEditor(VarnelInterface& editor, VarnelPlugin& model, State state);
// Names a control of the editor in a walk: by its bound parameter's name,
// else by the skin's style of a button.
walk::ControlWalk::Describe describer(VarnelInterface& editor, VarnelPlugin& model);
// Scrolls the source strip to the panel at the position, as a click on its
// source button does (the caller lets the strip settle).
void showSource(VarnelInterface& editor, int32_t position);

} // namespace editor_states
