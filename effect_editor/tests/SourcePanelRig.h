#pragma once

// The source panel tests' rig on the modulation editor's source controller
// rig: its listener makes the product's panels on a skin filled here (the
// skin's envelope slider handles are 16 units), and a record of the
// section-preset menus the panels asked for.

#include "effect_editor/VarnelSourceInterface.h"
#include "effect_editor/VarnelSourcePanels.h"
#include "gui/PopupMenu.h"
#include "modulation_editor/XLFOController.h"
#include "modulation_editor/tests/SourceControllerRig.h"

#include <memory>
#include <utility>
#include <vector>

namespace test {

class QuietMenu : public gui::PopupMenu {
public:
    void show(const gui::Point& point) override { (void)point; }
};

class PanelListener : public AddButtonListener {
public:
    PanelListener(VarnelPlugin& model, VarnelSourceSkin& skin) : model_(model), skin_(skin) {}
    SourceInterface* createSourceInterface(SourceController& controller, SourceId id) override {
        return createVarnelSourceInterface(controller, id, model_, skin_);
    }

private:
    VarnelPlugin& model_;
    VarnelSourceSkin& skin_;
};

class SourcePanelTest : public SourceControllerRig {
protected:
    void SetUp() override {
        SourceControllerRig::SetUp();
        buttonStyle = std::make_unique<gui::Button::Style>(*ui);
        buttonStyle->width.setValue(18.0f);
        buttonStyle->height.setValue(18.0f);
        removeStyle = std::make_unique<gui::Button::Style>(*ui);
        removeStyle->width.setValue(14.0f);
        removeStyle->height.setValue(14.0f);
        presetStyle = std::make_unique<gui::Button::Style>(*ui);
        presetStyle->width.setValue(30.0f);
        presetStyle->height.setValue(14.0f);
        knobStyle = std::make_unique<gui::Knob::Style>(*ui);
        knobStyle->setBitmaps("KnobNormalBackNormal.png", "KnobNormalOverlayNormal.png",
                              "KnobNormalBackActive.png", "KnobNormalOverlayActive.png",
                              "KnobNormalOverlayActive.png", "KnobNormalOverlayDown.png");
        egSlider = std::make_unique<gui::Switch::Style>(*ui);
        egSlider->setBitmaps("", "", "EGHorSliderNormal.png", "EGHorSliderActive.png");
        egSlider->handleOnly.setValue(true);
        egLevel = std::make_unique<gui::Switch::Style>(*ui);
        egLevel->setBitmaps("", "", "EGVerSliderNormal.png", "EGVerSliderActive.png");
        egLevel->handleOnly.setValue(true);
        stepSlider = std::make_unique<XLFOController::StepSlider::Style>(*ui);
        skin.dragButton = buttonStyle.get();
        skin.removeButton = removeStyle.get();
        skin.presetButton = presetStyle.get();
        skin.iconToggle = buttonStyle.get();
        skin.selectButton = buttonStyle.get();
        skin.valueButton = buttonStyle.get();
        skin.hotspotButton = buttonStyle.get();
        skin.checkToggle = buttonStyle.get();
        skin.hideButton = buttonStyle.get();
        skin.removeStepButton = buttonStyle.get();
        skin.addStepButton = buttonStyle.get();
        skin.knob = knobStyle.get();
        skin.smallKnob = knobStyle.get();
        skin.outerRing = knobStyle.get();
        skin.innerKnob = knobStyle.get();
        skin.egSlider = egSlider.get();
        skin.egLevelSlider = egLevel.get();
        skin.stepSlider = stepSlider.get();
        skin.presetMenu = [this](int32_t kind, int32_t instance) {
            presetMenus.emplace_back(kind, instance);
            return &presetMenu;
        };
        skin.sideChainUsable = [this] { return sideChain; };

        openSources(std::make_unique<PanelListener>(*model, skin), 302, 191);
        sources->setBarBitmaps("SourceBackground.png");
    }
    void TearDown() override {
        // Closing deletes the tree (the panels with it) before the styles.
        closeEditor();
        stepSlider.reset();
        egLevel.reset();
        egSlider.reset();
        knobStyle.reset();
        presetStyle.reset();
        removeStyle.reset();
        buttonStyle.reset();
        SourceControllerRig::TearDown();
    }
    // The panels of a source type, in instance order.
    template <class Panel> std::vector<Panel*> panelsOf() {
        std::vector<Panel*> out;
        for (SourceInterface* p : sources->panels())
            if (auto* panel = dynamic_cast<Panel*>(p)) out.push_back(panel);
        return out;
    }
    // Sets a parameter as the host would and tells the editor and the panels,
    // as the main interface does.
    bool automate(AbstractPluginParameter& p, float value) {
        SourceControllerRig::automate(p, value);
        bool claimed = false;
        for (SourceInterface* panel : sources->panels())
            if (auto* v = dynamic_cast<VarnelSourceInterface*>(panel))
                claimed = v->parameterChanged(p.getIndex()) || claimed;
        return claimed;
    }
    // A drag of a value control from its centre by (dx, dy).
    void drag(gui::Control& control, float dx, float dy) {
        const gui::Point at = centreOf(control);
        ui->mouseDown(0, at);
        ui->mouseMove({at.x + dx * 0.5f, at.y + dy * 0.5f});
        ui->mouseMove({at.x + dx, at.y + dy});
        ui->mouseUp(0, {at.x + dx, at.y + dy});
    }

    std::unique_ptr<gui::Button::Style> buttonStyle, removeStyle, presetStyle;
    std::unique_ptr<gui::Knob::Style> knobStyle;
    std::unique_ptr<gui::Switch::Style> egSlider, egLevel;
    std::unique_ptr<XLFOController::StepSlider::Style> stepSlider;
    VarnelSourceSkin skin;
    QuietMenu presetMenu;
    std::vector<std::pair<int32_t, int32_t>> presetMenus;
    bool sideChain = false;
};

} // namespace test
