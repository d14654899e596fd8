#include "effect_editor/VarnelSourcePanels.h"

#include "effect/VarnelModulation.h"
#include "effect_editor/EFSourceInterface.h"
#include "effect_editor/EGSourceInterface.h"
#include "effect_editor/MidiSourceInterface.h"
#include "effect_editor/XLFOSourceInterface.h"
#include "effect_editor/XYSourceInterface.h"

VarnelSourceInterface* createVarnelSourceInterface(SourceHost& controller, SourceId id,
                                                   VarnelParameters& parameters,
                                                   const VarnelSourceSkin& skin) {
    switch (id.type) {
    case VarnelModulation::kSourceTypeXY:
        return new XYSourceInterface(controller, id, parameters, skin);
    case VarnelModulation::kSourceTypeXLFO:
        return new XLFOSourceInterface(controller, id, parameters, skin);
    case VarnelModulation::kSourceTypeEG:
        return new EGSourceInterface(controller, id, parameters, skin);
    case VarnelModulation::kSourceTypeEF:
        return new EFSourceInterface(controller, id, parameters, skin);
    case VarnelModulation::kSourceTypeMidi:
        return new MidiSourceInterface(controller, id, parameters, skin);
    default:
        return nullptr;
    }
}
