#pragma once

// A run-time panel that knows its place in a component display: rebuilding
// it folds or unfolds its component. A panel that stands alone (index -1)
// fills itself with opaque black; one in a display draws its component's
// header bitmap.
//
// The panel forgets its display when the display dies.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "editor/DynamicInterface.h"

#include <cstdint>

class ComponentDisplay;

namespace gui {
class Bitmap;
}

class SectionInterface : public DynamicInterface {
public:
    SectionInterface(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                     ComponentDisplay* display, int32_t componentIndex);

    // Toggles the own component; nothing standing alone or without a display.
    void rebuildInterface() override;
    // Hook: the component's header bitmap (asked of its component button), or null.
    virtual const gui::Bitmap* headerBitmap();
    void draw(gui::Canvas& canvas) override;
    void componentDeleted(gui::Component* component) override;

    ComponentDisplay* display() const { return display_; }
    int32_t componentIndex() const { return componentIndex_; }
    void setComponentIndex(int32_t index) { componentIndex_ = index; }

private:
    ComponentDisplay* display_;
    int32_t componentIndex_;
};
