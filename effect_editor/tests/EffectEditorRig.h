#pragma once

// The product editor tests' rig: the common editor rig with a plug-in
// interface that counts its undo steps.

#include "editor/GenericPluginInterfaceBase.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

namespace test {

class CountingInterface : public GenericPluginInterfaceBase {
public:
    using GenericPluginInterfaceBase::GenericPluginInterfaceBase;
    void storeUndoStep(int32_t index) override {
        ++undoSteps;
        GenericPluginInterfaceBase::storeUndoStep(index);
    }
    int undoSteps = 0;
};

class EffectEditorTest : public VarnelEditorRig<CountingInterface> {};

} // namespace test
