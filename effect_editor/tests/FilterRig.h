#pragma once

// The filter tests' rig: the product's editor in its wide layout with the
// modulation shown, at the size the model gives it, on the common editor rig.

#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelInterface.h"
#include "gui/ValueControl.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

#include <utility>

namespace test {

class FilterRig : public VarnelEditorRig<VarnelInterface> {
protected:
    std::pair<float, float> openingSize() override {
        VarnelPlugin::VarnelSettings& s = model->getVarnelSettings();
        s.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
        s.showModulation.setValue(true);
        return {float(model->getInterfaceWidth()), float(model->getInterfaceHeight())};
    }
    // The control's centre in root coordinates.
    static gui::Point centreInRoot(const gui::Control& control) { return centreOf(control); }
    static void gesture(gui::ValueControl& control, int delta) {
        control.performGesture(gui::kGestureBegin, 0);
        control.performGesture(gui::kGestureChange, delta);
        control.performGesture(gui::kGestureEnd, 0);
    }
};

} // namespace test
