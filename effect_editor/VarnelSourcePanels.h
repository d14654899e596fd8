#pragma once

// The product's source panels by source type (0 XY controller, 1 XLFO,
// 2 envelope generator, 3 envelope follower, 4 MIDI source): what the main
// interface's SourceController::Listener returns from
// createSourceInterface. Null for another type.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceSkin.h"
#include "modulation_editor/SourceId.h"

class SourceHost;
class VarnelParameters;
class VarnelSourceInterface;

VarnelSourceInterface* createVarnelSourceInterface(SourceHost& controller, SourceId id,
                                                   VarnelParameters& parameters,
                                                   const VarnelSourceSkin& skin);
