#pragma once

// VarnelSourceInterface: the product's layer over the source panel base: a
// title label, the Preset button (a section-preset menu for the source's
// kind and instance; none for XY controllers) and the product's numbering
// ("XLFO 2"). One subclass per source type builds its controls once and
// binds them in setSourceInstance, which always starts from an unlinked
// panel.
//
// Refresh: the editor tells each shown panel of a changed parameter
// (parameterChanged). A panel claims the parameters it linked, its own
// controls' and those its step editor or display linked for it, and then
// runs refreshFromParameters; an unclaimed parameter is left to the source
// controller.
//
// Lifetime: made by the main interface's source-controller listener, owned
// by its source container; the skin's styles and menus outlive it.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceSkin.h"
#include "modulation_editor/SourceInterface.h"

#include <cstdint>
#include <string>
#include <vector>

class VarnelParameters;

namespace gui {
class MultiLabel;
} // namespace gui

class VarnelSourceInterface : public SourceInterface {
public:
    static constexpr const char* kPresetHelp =
        "The Preset button for a modulation source shows a section preset menu for sources of the same type. "
        "For example, this allows you to quickly access various XLFO wave forms.\n\nIf you create a new "
        "modulation source of this type, the special Default section preset will be loaded. You can "
        "overwrite "
        "it to customize the default settings as you prefer.";

    // The short name ("XY", "XLFO", "EG", "EF", "MIDI") and the preset kind
    // (-1 for none) of a source type; empty and -1 outside the table.
    static std::string shortName(std::int32_t type);
    static std::int32_t presetKind(std::int32_t type);

    VarnelSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                          const VarnelSourceSkin& skin);
    ~VarnelSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void boundsChanged() override;
    void componentDeleted(gui::Component* component) override;
    // The panel width truncated to an integer.
    virtual int getPanelWidth();

    // A parameter of the model changed (-1: all). True when the panel
    // claims it; a claimed parameter (and -1) refreshes the panel.
    bool parameterChanged(std::int32_t index);
    bool claims(std::int32_t index) const;

    gui::MultiLabel* title() const { return title_; }
    gui::Button* presetButton() const { return presetButton_; }
    // "XLFO 2" for the second XLFO.
    std::string instanceName() const;

protected:
    static void moveTo(gui::Control* control, float x, float y);
    // At the end of the XLFO, EG, EF and MIDI constructors.
    void makePresetButton();
    // Parameters the panel bound through another control's own linking (a
    // step editor's sliders); cleared by setSourceInstance.
    void claimParameter(std::int32_t index) { extraClaims_.push_back(index); }

    VarnelParameters& parameters() const { return parameters_; }
    const VarnelSourceSkin& skin() const { return skin_; }

private:
    VarnelParameters& parameters_;
    VarnelSourceSkin skin_;
    gui::MultiLabel* title_ = nullptr;
    gui::Button* presetButton_ = nullptr;
    std::vector<std::int32_t> extraClaims_;
};
