#include "effect_editor/FilterInterface.h"

#include "editor/ComponentDisplay.h"
#include "editor/ControlBuilder.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/FilterButton.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/RootControl.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "gui/UserInterface.h"
#include "modulation_editor/ModulationComponentDisplay.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr uint32_t kTargetsPerFilter = 3;
constexpr float kFilterSpacing = 138.0f;
constexpr float kFirstFilterX = 429.0f;

bool isOn(const AbstractPluginParameter& p) {
    return std::fabs(p.getValue()) > FilterController::kTolerance;
}

} // namespace

const char* const FilterInterface::kHelpText = "With the interactive filter display, you can control the "
                                               "cut-off and peak of both filters. Just grab one "
                                               "of the dots and drag it around.\n\nTips:\n\nHold down the "
                                               "Ctrl and Alt keys and drag the button for filter "
                                               "1 or 2 to adjust both filters simultaneously, but in the "
                                               "opposite direction.\n\nShift-click the button for "
                                               "filter 1 or 2 to toggle the filter slope.\n\nCtrl-click the "
                                               "button for filter 1 or 2 to toggle between the "
                                               "different filter responses.";

template <class T> T* FilterInterface::keep(T*& slot, T* control) {
    slot = control;
    if (control != nullptr) link(control);
    return control;
}

FilterInterface::FilterInterface(VarnelInterface& interface, ComponentDisplay* display,
                                 int32_t componentIndex)
    : VarnelSectionInterface(interface, display, componentIndex) {
    VarnelSkin& skin = interface.skin();
    VarnelPlugin& plugin = interface.varnelPlugin();
    sets_ = {&plugin.filter[0], &plugin.filter[1]};
    const gui::Bitmap* section = skin.image(VarnelSkin::kSectionFilters);
    const float w = section != nullptr ? std::round(float(section->getRect().width())) : kDisplayWidth;
    setSize(w, display != nullptr ? display->height.getValue() : kDisplayHeight);

    ControlBuilder& b = builder();
    b.setParent(this);
    // Interface coordinates below.
    b.setBaseOrigin(-kDisplayX, -kDisplayY);

    // The section's plate under everything.
    auto* plate = new gui::Image(userInterface(), skin.image(VarnelSkin::kSectionFilters));
    plate->setSize(width.getValue(), height.getValue());
    b.placeControl(plate, int(kDisplayX), int(kDisplayY), kShadowHitThreshold);

    auto* controller = new FilterController(interface);
    controller->setBoundsXYWH(0, 0, kDisplayWidth, kDisplayHeight);
    controller->leftMargin.setValue(kLeftMargin);
    // Both filters' curves and the link handle between them.
    controller->curveCount.setValue(2);
    controller->curveColor.setValue(gui::Color(255, 255, 255, 255));
    controller->normalFillColor.setValue(gui::Color(255, 255, 255, 75));
    controller->highlightedFillColor.setValue(gui::Color(255, 255, 255, 150));
    controller->grabbedFillColor.setValue(gui::Color(255, 255, 255, 75));
    controller->gridColor.setValue(gui::Color(0, 0, 0, 20));
    controller->helpText.setValue(kHelpText);
    controller->setHandleBitmaps({"DisplayPeak.png", "DisplayPeakActive.png", "DisplayMid.png",
                                  "DisplayMidActive.png", "DisplayPeak.png", "DisplayPeakActive.png"});
    b.placeControl(controller, int(kDisplayX), int(kDisplayY), controller->hitThreshold.getValue());
    keep(controller_, controller);

    // The shadow lies over the handles and takes no press.
    auto* shadow = new gui::Image(userInterface(), skin.image(VarnelSkin::kSectionFiltersShadow));
    if (const gui::Bitmap* bitmap = skin.image(VarnelSkin::kSectionFiltersShadow))
        shadow->setSize(float(bitmap->getRect().width()), float(bitmap->getRect().height()));
    b.placeControl(shadow, int(kDisplayX), int(kDisplayY), kShadowHitThreshold);
    keep(shadow_, shadow);

    for (int32_t f = 0; f < 2; ++f)
        buildFilter(f);
    filters_[0].pan->linkWith(filters_[1].pan);
    filters_[0].freq->linkWith(filters_[1].freq);
    filters_[0].peak->linkWith(filters_[1].peak);

    // "Hide" folds the section.
    keep(hideButton_, b.createButton(365, 44, skin.buttonStyle(12)));
    setNotifyControl(hideButton_);
    faceStyle_ = std::make_unique<ComponentButton::ComponentStyle>(userInterface(),
                                                                   skin.buttonStyle(kButtonToggleStyle));
    faceStyle_->toggleOffset.setValue(gui::Point(2, 2));
    // The buttons' small curve stays inside the face; a filter that is off is veiled.
    VarnelSkin::loadIfPresent(faceStyle_->maskBitmap(), "ButtonComponentPreviewOverlayMask.png");
    VarnelSkin::loadIfPresent(faceStyle_->overlayBitmap(), "ButtonComponentOffOverlay.png");
    if (display != nullptr)
        display->componentToggledEvent.addHandler(
            NotifyEvent::bind(this, &FilterInterface::componentToggled));
    showEnabledImages();
}

FilterInterface::~FilterInterface() {
    if (display() != nullptr)
        display()->componentToggledEvent.removeHandler(this, &FilterInterface::componentToggled);
    for (gui::Component* c : std::initializer_list<gui::Component*>{controller_, shadow_, hideButton_})
        if (c != nullptr) gui::Component::unlink(c);
    for (const FilterControls& f : filters_)
        for (gui::Component* c :
             std::initializer_list<gui::Component*>{f.enabledImage, f.backdrop, f.disabledImage})
            if (c != nullptr) gui::Component::unlink(c);
}

void FilterInterface::buildFilter(int32_t f) {
    VarnelSkin& skin = varnelInterface().skin();
    FilterParameterSet& set = *sets_[size_t(f)];
    FilterControls& c = filters_[size_t(f)];
    ControlBuilder& b = builder();
    const int x = int(kFirstFilterX + kFilterSpacing * float(f));
    const uint32_t t = uint32_t(kFirstTarget) + kTargetsPerFilter * uint32_t(f);

    controller_->addCurve(set.freq.getIndex(), set.peak.getIndex(), set.response.getIndex(),
                          set.slope.getIndex(), set.enabled.getIndex(), FilterController::kNone,
                          FilterController::kNone);

    gui::Bitmap* interfaceImage = skin.image(VarnelSkin::kSectionFilter1Interface + f);
    auto image = [&](int threshold, int opacity) {
        auto* img = new gui::Image(userInterface(), interfaceImage);
        if (interfaceImage != nullptr)
            img->setSize(float(interfaceImage->getRect().width()), float(interfaceImage->getRect().height()));
        img->opacity.setValue(opacity);
        b.placeControl(img, x - 62, 172, threshold);
        return img;
    };
    keep(c.enabledImage, image(kEnabledImageHitThreshold, 255));
    // Under the knobs of a filter that is off: the section's plate as it
    // lies beneath the panel (the plate stands at the section's origin).
    if (interfaceImage != nullptr) {
        auto* backdrop = new gui::Control(userInterface());
        backdrop->setSize(float(interfaceImage->getRect().width()),
                          float(interfaceImage->getRect().height()));
        b.placeControl(backdrop, x - 62, 172, kShadowHitThreshold);
        auto* under = new gui::Image(userInterface(), skin.image(VarnelSkin::kSectionFilters));
        under->setBoundsXYWH(-backdrop->x.getValue(), -backdrop->y.getValue(), width.getValue(),
                             height.getValue());
        under->hitThreshold.setValue(kShadowHitThreshold);
        under->parent.setValue(backdrop);
        keep(c.backdrop, backdrop);
    }

    auto select = [&](int sx, int sy, float w, AbstractPluginParameter& p) {
        gui::SelectButton* s = b.createSelectButton(sx, sy, skin.buttonStyle(3));
        s->width.setValue(w);
        addParameterValueItems(*s, p);
        bind(s, p, VarnelInterface::kNoTarget);
        return s;
    };
    c.characteristic = select(x - 38, 190, 108, set.characteristic);
    c.response = select(x, 210, 34, set.response);
    c.slope = select(x + 36, 210, 34, set.slope);
    for (gui::SelectButton* narrow : {c.response, c.slope})
        narrow->textPadding.setValue(VarnelSkin::kTightTextPadding);

    c.pan = b.createKnob(x - 58, 216, skin.knobStyle(VarnelSkin::kOuterRing));
    bind(c.pan, set.pan, t + 1);
    c.freq = b.createKnob(x - 50, 224, skin.knobStyle(VarnelSkin::kInnerKnob));
    bind(c.freq, set.freq, t);
    c.peak = b.createKnob(x + 17, 232, skin.knobStyle(VarnelSkin::kNormalKnob));
    bind(c.peak, set.peak, t + 2);

    gui::Image* disabled = image(ControlBuilder::kHitThreshold, kDisabledOpacity);
    keep(c.disabledImage, disabled);

    c.enable = b.createToggleButton(x - 58, 190, skin.buttonStyle(7));
    c.enable->width.setValue(18.0f);
    bind(c.enable, set.enabled, VarnelInterface::kNoTarget);
}

void FilterInterface::componentDeleted(gui::Component* component) {
    auto forget = [component](auto*& slot) {
        if (slot != nullptr && static_cast<gui::Component*>(slot) == component) slot = nullptr;
    };
    forget(controller_);
    forget(shadow_);
    forget(hideButton_);
    for (FilterControls& f : filters_) {
        forget(f.enabledImage);
        forget(f.backdrop);
        forget(f.disabledImage);
        forget(f.characteristic);
        forget(f.response);
        forget(f.slope);
        forget(f.pan);
        forget(f.freq);
        forget(f.peak);
        forget(f.enable);
    }
    VarnelSectionInterface::componentDeleted(component);
}

void FilterInterface::componentToggled() {
    if (display() == nullptr || componentIndex() < 0) return;
    const auto& components = display()->components();
    if (size_t(componentIndex()) < components.size() && components[size_t(componentIndex())].unfolded)
        sectionShown();
}

void FilterInterface::sectionShown() {
    if (controller_ != nullptr) controller_->refresh();
    showEnabledImages();
}

void FilterInterface::parametersChanged(int32_t index) {
    bool ours = index < 0;
    for (const FilterParameterSet* set : sets_)
        ours = ours || (index >= set->firstParameterIndex() && index <= set->lastParameterIndex());
    if (ours) sectionShown();
}

void FilterInterface::showEnabledImages() {
    for (int32_t f = 0; f < 2; ++f) {
        const bool on = isOn(sets_[size_t(f)]->enabled);
        FilterControls& c = filters_[size_t(f)];
        if (c.enabledImage != nullptr) c.enabledImage->visible.setValue(on);
        if (c.backdrop != nullptr) c.backdrop->visible.setValue(!on);
        if (c.disabledImage != nullptr) c.disabledImage->visible.setValue(!on);
    }
}

// --- The editor's filter hook: the section and the buttons live beside the
// section, so the editor's unit does not include them.

void VarnelInterface::buildFilterSection() {
    auto* display = dynamic_cast<ModulationComponentDisplay*>(componentDisplay_);
    auto* section = new FilterInterface(*this, display);
    if (display != nullptr)
        section->setComponentIndex(display->addSectionContainer(FilterInterface::kDisplayX, section,
                                                                FilterInterface::kFirstTarget,
                                                                FilterInterface::kTargetCount));
    else
        section->parent.setValue(userInterface().rootControl());
    keep(filterInterface_, section);
    std::array<FilterButton*, 2> buttons{};
    for (int32_t f = 0; f < 2; ++f) {
        buttons[size_t(f)] = new FilterButton(*this, f, section->buttonFaceStyle(),
                                              skin_->buttonStyle(FilterButton::kButtonStyle), indicators());
        builder_->placeControl(buttons[size_t(f)], 341 + 89 * f, 128, ControlBuilder::kHitThreshold);
        // A click on either button unfolds (or folds) the section.
        if (display != nullptr) buttons[size_t(f)]->setDisplay(display, section->componentIndex());
    }
    // The link modifier drags both buttons (each moves its own channels).
    linkPair(buttons[0], buttons[1], gui::ValueLinkGroup::Mode::kSame);
    setFilterButtons(buttons[0], buttons[1]);
}

void VarnelInterface::refreshFilterSection(int32_t index) {
    if (filterInterface_ != nullptr) filterInterface_->parametersChanged(index);
    for (gui::Control* button : filterButtons_)
        if (auto* filterButton = dynamic_cast<FilterButton*>(button)) filterButton->parameterChanged(index);
}
