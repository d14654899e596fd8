// The product's part of the MIDI learn overlay: the handles of the filter
// link point and of the XY pads, and the controls that stay usable while
// the overlay lies over the editor (the display's panel selectors,
// component buttons and scroll buttons; with the modulation section shown,
// the source map's buttons and the source strip's scroll buttons).
//
// A handle is one of the overlay's own ghosts (it draws the bitmap); a learn
// ghost of the overlay stands for it, so that clicking the handle arms its
// parameter.

#include "editor/ComponentDisplay.h"
#include "editor/DynamicInterface.h"
#include "editor/FilterLinkGhostControl.h"
#include "editor/MidiLearnController.h"
#include "editor/XYGhostControl.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/FilterInterface.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/XYSourceInterface.h"
#include "gui/ScrollButton.h"
#include "gui/ScrollStrip.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/XYControllerButton.h"
#include "plugin/PluginParameter.h"

#include <cstdint>

namespace {

constexpr const char* kLearnHandleX = "MidiLearnLinkX.png";
constexpr const char* kLearnHandleY = "MidiLearnLinkY.png";

// Arms the parameter of one of the overlay's ghosts while that ghost is
// active; its rect is the ghost's, taken from root to overlay coordinates.
class HandleLearnGhost : public MidiLearnController::LearnGhost {
public:
    HandleLearnGhost(MidiLearnController& overlay, gui::Overlay::VirtualGhostControl& handle)
        : overlay_(overlay), handle_(handle) {}

    gui::Rect getRect() override {
        const gui::Rect r = handle_.getRect();
        const gui::Point at = overlay_.fromRoot(r.topLeft());
        return gui::Rect::fromXYWH(at.x, at.y, r.width(), r.height());
    }
    uint32_t learnIdentifier() override { return handle_.parameterIndex(); }
    bool isShown() override {
        const int first = overlay_.controlCount();
        for (int i = first; i < first + overlay_.ghostCount(); ++i)
            if (overlay_.ghost(i) == &handle_) return handle_.isActive(i);
        return false;
    }

private:
    MidiLearnController& overlay_;
    gui::Overlay::VirtualGhostControl& handle_;
};

// The overlay takes the handle and a learn ghost standing for it.
void addHandle(MidiLearnController& overlay, BitmapParameterGhostControl* handle, const char* bitmap) {
    handle->loadBitmap(bitmap);
    overlay.addGhostControl(handle);
    overlay.addLearnGhost(new HandleLearnGhost(overlay, *handle));
}

void addTarget(MidiLearnController& overlay, gui::Control* control) {
    // Before the ghosts, hit as the control itself would be.
    overlay.addTarget(control, gui::Overlay::kOwnHitTest, 0);
}

uint32_t indexOf(AbstractPluginParameter* parameter) {
    return parameter != nullptr ? uint32_t(parameter->getIndex()) : MidiLearnController::kNone;
}

} // namespace

MidiLearnController* VarnelInterface::createMidiLearnOverlay() {
    MidiLearnController* overlay = ModulationMatrixPluginInterface::createMidiLearnOverlay();
    if (overlay == nullptr) return nullptr;

    // The link point of the filter response display, one handle per axis.
    if (FilterController* display = filterInterface_ != nullptr ? filterInterface_->controller() : nullptr) {
        auto anchor = [display] { return display->linkPoint(); };
        addHandle(*overlay,
                  new FilterLinkGhostControl(*display, gui::Orientation::kHorizontal,
                                             uint32_t(plugin_.filterLinkFreq.getIndex()), anchor),
                  kLearnHandleX);
        addHandle(*overlay,
                  new FilterLinkGhostControl(*display, gui::Orientation::kVertical,
                                             uint32_t(plugin_.filterLinkPeak.getIndex()), anchor),
                  kLearnHandleY);
    }

    if (componentDisplay_ != nullptr) {
        for (const ComponentDisplay::Record& record : componentDisplay_->components()) {
            if (record.control == nullptr) continue;
            for (gui::Control* child : record.control->children())
                if (auto* panel = dynamic_cast<DynamicInterface*>(child))
                    addTarget(*overlay, panel->notifyControl());
        }
        for (gui::Control* button : componentDisplay_->buttons())
            addTarget(*overlay, button);
        addTarget(*overlay, componentDisplay_->backwardButton());
        addTarget(*overlay, componentDisplay_->forwardButton());
    }

    if (!plugin_.getVarnelSettings().showModulation.getValue() || sourceController_ == nullptr)
        return overlay;
    // The pads of the XY controllers in use, one handle per axis.
    for (SourceInterface* source : sourceController_->panels()) {
        auto* panel = dynamic_cast<XYSourceInterface*>(source);
        XYControllerButton* pad = panel != nullptr ? panel->pad() : nullptr;
        if (pad == nullptr) continue;
        addHandle(*overlay,
                  new XYGhostControl(*pad, gui::Orientation::kHorizontal, indexOf(pad->parameter(0)),
                                     [pad] { return pad->axisValue(0); }),
                  kLearnHandleX);
        addHandle(*overlay,
                  new XYGhostControl(*pad, gui::Orientation::kVertical, indexOf(pad->parameter(1)),
                                     [pad] { return pad->axisValue(1); }),
                  kLearnHandleY);
    }
    if (SourceSelectionBar* bar = sourceController_->selectionBar())
        for (SourceSelectionBar::SourceButton* button : bar->sourceButtons())
            addTarget(*overlay, button);
    addTarget(*overlay, sourceController_->strip().backwardButton());
    addTarget(*overlay, sourceController_->strip().forwardButton());
    return overlay;
}
