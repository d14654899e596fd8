#include "effect_editor/FilterButton.h"

#include "effect/VarnelPlugin.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/VarnelInterface.h"
#include "gui/ToggleButton.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/ModulationIndicatorManager.h"

#include <algorithm>
#include <cmath>

namespace {

// Drag channels: Freq, Peak, then the second pair Pan, Response.
enum Channel : int { kFreq = 0, kPeak = 1, kPan = 2, kResponse = 3 };

constexpr uint32_t kFirstFilterTarget = 10;
constexpr uint32_t kTargetsPerFilter = 3;

} // namespace

std::string FilterButton::helpTextFor(const std::string& modifier) {
    return "Using the filter buttons, you can directly change the frequency, peak, panning and response of a "
           "filter. Just click on the button and drag in horizontal or vertical direction. The button also "
           "visualizes the settings of the filter.\n\nTips:\n\nHold down the Shift key while dragging to "
           "lock "
           "change to one direction. This way you only alter one parameter at once.\n\nHold down the " +
           modifier +
           " key to change the filter panning and response parameters.\n\nClick on the filter button once "
           "and "
           "the interface will expand and show all underlying filter parameters.\n\nCtrl-click the button to "
           "reset all filter parameters to their default values.\n\nYou can enable or disable the filter by "
           "clicking the Enable switch in the left-top corner of the button.";
}

FilterButton::FilterButton(VarnelInterface& interface, int32_t filter, ComponentStyle* style,
                           gui::Button::Style* buttonStyle, ModulationIndicatorManager* indicators)
    : VarnelComponentButton(interface.userInterface(), interface, style, buttonStyle,
                            dynamic_cast<ModulationComponentDisplay*>(interface.componentDisplay())),
      filter_(filter), set_(interface.varnelPlugin().filter[size_t(filter)]) {
    if (indicators != nullptr)
        indicators->createIndicator(this, kFirstFilterTarget + kTargetsPerFilter * uint32_t(filter),
                                    kTargetsPerFilter);
    helpText.setValue(helpTextFor(secondPairModifierText(userInterface())));

    // The small display is drawn into the face (through the style's mask,
    // under the veil of a filter that is off), never by itself.
    auto* display = new FilterController(interface);
    display->setBoundsXYWH(0, 0, width.getValue(), height.getValue());
    display->visible.setValue(false);
    display->leftMargin.setValue(kLeftMargin);
    display->normalFillColor.setValue(gui::Color(0, 0, 0, 0));
    display->highlightedFillColor.setValue(gui::Color(0, 0, 0, 0));
    display->grabbedFillColor.setValue(gui::Color(0, 0, 0, 0));
    display->gridColor.setValue(gui::Color(0, 0, 0, 0));
    display->parent.setValue(this);
    display->addCurve(set_.freq.getIndex(), set_.peak.getIndex(), set_.response.getIndex(),
                      set_.slope.getIndex(), FilterController::kNone, FilterController::kNone,
                      set_.pan.getIndex());
    display_ = display;
    link(display_);

    setParameter(kFreq, &set_.freq);
    setParameter(kPeak, &set_.peak);
    setParameter(kPan, &set_.pan);
    setParameter(kResponse, &set_.response);
    setEnableParameter(&set_.enabled);
    addExtraParameter(&set_.slope);
    updateFilterDisplay();
}

FilterButton::~FilterButton() {
    if (display_ != nullptr) gui::Component::unlink(display_);
}

void FilterButton::componentDeleted(gui::Component* component) {
    if (component == display_) display_ = nullptr;
    VarnelComponentButton::componentDeleted(component);
}

void FilterButton::boundsChanged() {
    VarnelComponentButton::boundsChanged();
    if (display_ != nullptr) display_->setBoundsXYWH(0, 0, width.getValue(), height.getValue());
}

void FilterButton::parameterChanged(int index) {
    const bool all = index == -1;
    if (!all && (index < set_.firstParameterIndex() || index > set_.lastParameterIndex())) return;
    VarnelComponentButton::parameterChanged(index);
    // While a drag runs, the display keeps showing the drag.
    if (dragState() != DragState::kDragging || all || index == set_.slope.getIndex()) updateFilterDisplay();
}

void FilterButton::updateFilterDisplay() {
    if (display_ == nullptr || display_->curves() == 0) return;
    FilterController::Curve& curve = display_->curve(0);
    // getDisplayedValue gives the drag's value while its channel's gesture
    // is open (Response only with the second pair), else the parameter's.
    curve.frequency.setValue(set_.freq.toLinearNormalized(getDisplayedValue(kFreq)));
    curve.peak.setValue(set_.peak.toLinearNormalized(getDisplayedValue(kPeak)));
    const int response = std::clamp(int(std::lround(getDisplayedValue(kResponse))), 0, 2);
    curve.response.setValue(static_cast<GenericFilter::Response>(response));
    const int slope = std::clamp(int(std::lround(set_.slope.getValue())) + 1, 1, 3);
    curve.slope.setValue(static_cast<GenericFilter::Slope>(slope));
    curve.pan.setValue(set_.pan.getValue());
    display_->curveColor.setValue(kCurveColor);
    invalidateFace();
}

void FilterButton::renderFace(gui::Canvas& canvas, int) {
    if (display_ != nullptr) display_->draw(canvas);
}
