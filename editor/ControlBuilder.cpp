#include "editor/ControlBuilder.h"

#include "editor/ABButton.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "editor/HotspotButton.h"
#include "editor/IndicatorLight.h"
#include "gui/Bitmap.h"
#include "gui/ControlBar.h"
#include "gui/UserInterface.h"
#include "plugin/PluginParameter.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int kDisabledOpacity = 90;

// Whether the control is a control bar that stacks its children along y.
bool isVerticalBar(const gui::Control* control) {
    const auto* bar = dynamic_cast<const gui::ControlBar*>(control);
    return bar != nullptr && !bar->isHorizontal();
}

} // namespace

ControlBuilder::ControlBuilder(GenericPluginInterfaceBase& interface, gui::Control& defaultParent)
    : parent_(&defaultParent), interface_(&interface), defaultParent_(&defaultParent) {}

gui::UserInterface& ControlBuilder::userInterface() const {
    return defaultParent_->userInterface();
}

void ControlBuilder::setParent(gui::Control* control) {
    parent_ = control != nullptr ? control : defaultParent_;
    origin_ = baseOrigin_;
    for (gui::Control* c = parent_; c != nullptr && c != defaultParent_; c = c->getParent()) {
        const gui::Rect& b = c->bounds.getValue();
        origin_.x -= b.left;
        origin_.y -= b.top;
    }
}

void ControlBuilder::setBaseOrigin(float x, float y) {
    baseOrigin_ = gui::Point(x, y);
    setParent(parent_);
}

void ControlBuilder::applyStyle(gui::Control* control, int x, int y) {
    if (control == nullptr) return;
    if (gui::Control* source = styleSource_) {
        styleSource_ = nullptr;
        if (control->getParent() != source) control->parent.setValue(source);
        // A vertical control bar stacks along y: the control takes the
        // container's height and gives it its width.
        if (isVerticalBar(parent_)) {
            control->height.setValue(source->height.getValue());
            control->anchors.setValue(gui::Control::kLeftFixed | gui::Control::kTopFixed |
                                      gui::Control::kBottomFollows);
            source->width.setValue(control->width.getValue());
        } else {
            control->width.setValue(source->width.getValue());
            control->anchors.setValue(gui::Control::kLeftFixed | gui::Control::kTopFixed |
                                      gui::Control::kRightFollows);
            source->height.setValue(control->height.getValue());
        }
        return;
    }
    if (control->getParent() != parent_) control->parent.setValue(parent_);
    control->position.setValue(gui::Point(float(x) + origin_.x, float(y) + origin_.y));
}

gui::Control* ControlBuilder::createControl(int x, int y, float width, float height) {
    auto* control = new gui::Control(userInterface());
    control->setSize(width, height);
    applyStyle(control, x, y);
    return control;
}

void ControlBuilder::placeControl(gui::Control* control, int x, int y, int alphaThreshold) {
    if (control == nullptr) return;
    applyStyle(control, x, y);
    control->hitThreshold.setValue(alphaThreshold);
}

gui::Button* ControlBuilder::createButton(int x, int y, gui::Button::Style* style) {
    auto* button = new gui::Button(userInterface(), style);
    placeControl(button, x, y, kHitThreshold);
    return button;
}

gui::ToggleButton* ControlBuilder::createToggleButton(int x, int y, gui::Button::Style* style) {
    auto* button = new gui::ToggleButton(userInterface(), style);
    placeControl(button, x, y, kHitThreshold);
    return button;
}

gui::SelectButton* ControlBuilder::createSelectButton(int x, int y, gui::Button::Style* style) {
    auto* button = new gui::SelectButton(userInterface(), style);
    placeControl(button, x, y, kHitThreshold);
    return button;
}

gui::LevelButton* ControlBuilder::createLevelButton(int x, int y, gui::Button::Style* style) {
    auto* button = new gui::LevelButton(userInterface(), style);
    applyStyle(button, x, y);
    return button;
}

ABButton* ControlBuilder::createABButton(int x, int y, gui::Button::Style* style) {
    auto* button = new ABButton(userInterface(), style);
    placeControl(button, x, y, kHitThreshold);
    return button;
}

gui::Knob* ControlBuilder::createKnob(int x, int y, gui::Knob::Style* style) {
    auto* knob = new gui::Knob(userInterface(), style);
    applyStyle(knob, x, y);
    interface_->listenToControl(knob);
    return knob;
}

IndicatorLight* ControlBuilder::createLight(gui::Light::Style* style) {
    auto* light = new IndicatorLight(userInterface(), style);
    if (style != nullptr) {
        const gui::Rect r = style->offBitmap().getRect();
        light->setBoundsXYWH(0.0f, 0.0f, r.width(), r.height());
    }
    applyStyle(light, kLightX, kLightY);
    return light;
}

void ControlBuilder::createHotspotButtons(gui::Knob& knob, AbstractPluginParameter& parameter,
                                          gui::Button::Style* style, float radius, int count,
                                          const float* values, std::vector<HotspotButton*>* out) {
    if (out != nullptr) out->assign(std::size_t(std::max(count, 0)), nullptr);
    const gui::Rect& k = knob.bounds.getValue();
    const float centreX = k.width() / 2.0f + (k.left - origin_.x);
    const float centreY = k.height() / 2.0f + (k.top - origin_.y);
    for (int i = 0; i < count; ++i) {
        const float t = parameter.toLinearNormalized(parameter.plainToNormalized(values[i]));
        const double p = double(t) * (double(knob.maximum.getValue()) - double(knob.minimum.getValue()));
        // Turns from the top, clockwise, as the knob draws the value.
        const double angle =
            double(knob.angleForValue(knob.minimum.getValue() + int(std::trunc(p)))) * 2.0 * std::numbers::pi;
        auto* button = new HotspotButton(userInterface(), &knob, *interface_, t, style);
        const float halfWidth = button->width.getValue() / 2.0f;
        const float halfHeight = button->height.getValue() / 2.0f;
        const double x = std::sin(angle) * radius + centreX - halfWidth;
        const double y = centreY - std::cos(angle) * radius - halfHeight;
        placeControl(button, int(std::trunc(x)), int(std::trunc(y)), kHitThreshold);
        if (out != nullptr) (*out)[std::size_t(i)] = button;
    }
}

void addParameterValueItems(gui::SelectButtonBase& select, const AbstractPluginParameter& parameter) {
    select.clearChoices();
    const int first = int(std::trunc(parameter.getMin()));
    const int last = int(std::trunc(parameter.getMax()));
    for (int k = first; k <= last; ++k)
        select.addChoice(parameter.valueToText(float(k), 0));
}

void setControlEnabled(gui::Control& control, bool enabled) {
    if (control.enabled.getValue() != enabled) control.enabled.setValue(enabled);
    const int opacity = enabled ? 255 : kDisabledOpacity;
    if (control.opacity.getValue() != opacity) control.opacity.setValue(opacity);
}
