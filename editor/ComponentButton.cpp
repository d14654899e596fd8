#include "editor/ComponentButton.h"

#include "editor/ComponentDisplay.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "editor/PlaceBeside.h"
#include "foundation/StringUtils.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/PluginParameter.h"

#include <cmath>

namespace {

// Parameter values compare with this tolerance.
constexpr float kTolerance = 1.1920929e-7f;
// The modifier bits that choose a mouse action.
constexpr int kActionMask = 135;
// The labels' gap to the button.
constexpr int kLabelGap = 2;
// Above it, a highlight level counts as highlighted.
constexpr int kHighlightedLevel = 128;

bool matches(const AbstractPluginParameter* parameter, int index) {
    return parameter != nullptr && (index == -1 || parameter->getIndex() == index);
}

bool sharedLabelsShown() {
    const GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
    return shared == nullptr || shared->componentDisplaysShown.getValue();
}

} // namespace

// ---- style ------------------------------------------------------------------------------

ComponentButton::ComponentStyle::ComponentStyle(gui::UserInterface& userInterface,
                                                gui::Button::Style* toggleStyle)
    : gui::Component(userInterface), toggleOffset(this, gui::Point(0.0f, 0.0f)), toggleStyle_(toggleStyle),
      overlayBitmap_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())),
      maskBitmap_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {
    if (toggleStyle_ != nullptr) link(toggleStyle_);
    for (gui::MultiLabel*& label : valueLabels_) {
        label = new gui::MultiLabel(userInterface, kValueLabelLines);
        label->alignment.setValue(gui::Alignment::kCentre);
        label->hitThreshold.setValue(255);
        label->visible.setValue(false);
        link(label);
    }
}

ComponentButton::ComponentStyle::~ComponentStyle() {
    // The labels the tree has not deleted yet (they may be root children).
    for (gui::MultiLabel*& label : valueLabels_) {
        gui::MultiLabel* owned = label;
        label = nullptr;
        if (owned == nullptr) continue;
        unlink(owned);
        delete owned;
    }
}

gui::MultiLabel* ComponentButton::ComponentStyle::valueLabel(int index) const {
    return index == 0 || index == 1 ? valueLabels_[static_cast<std::size_t>(index)] : nullptr;
}

void ComponentButton::ComponentStyle::componentDeleted(gui::Component* component) {
    gui::Component::componentDeleted(component);
    if (component == toggleStyle_) toggleStyle_ = nullptr;
    for (gui::MultiLabel*& label : valueLabels_)
        if (component == label) label = nullptr;
}

// ---- button -----------------------------------------------------------------------------

ComponentButton::ComponentButton(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                                 ComponentStyle* style, gui::Button::Style* buttonStyle)
    : ParameterButton(userInterface, interface, buttonStyle), dimmed(this, false), highlightFace(this, false),
      style_(style), faceBitmap_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {
    if (style_ != nullptr) link(style_);
    faceBitmap_->setSize(width.getValue(), height.getValue());
}

ComponentButton::~ComponentButton() {
    if (pointerInside()) hideValueLabels();
    if (gui::ToggleButton* toggle = enableToggle_) {
        enableToggle_ = nullptr;
        gui::Component::unlink(toggle);
        delete toggle;
    }
    // The display and the style hear of the button's end through their links.
}

void ComponentButton::ToggleListener::valueControlChanged(gui::ValueControl* control, int phase, int) {
    if (owner_.enableParameter_ != nullptr)
        owner_.interface().setParameterFromControl(control, owner_.enableParameter_, phase, 0);
}

void ComponentButton::setEnableParameter(AbstractPluginParameter* parameter) {
    if (enableToggle_ == nullptr && parameter != nullptr) {
        auto* toggle =
            new gui::ToggleButton(userInterface(), style_ != nullptr ? style_->toggleStyle() : nullptr);
        toggle->visible.setValue(false);
        toggle->minimum.setValue(0);
        toggle->maximum.setValue(1);
        toggle->onValue.setValue(1);
        if (style_ != nullptr) {
            const gui::Point at = style_->toggleOffset.getValue();
            toggle->setBoundsXYWH(at.x, at.y, toggle->width.getValue(), toggle->height.getValue());
        }
        toggle->parent.setValue(this);
        toggle->value.setValue(
            static_cast<int>(std::lround(parameter->toLinearNormalized(parameter->getValue()))));
        toggle->setListener(&toggleListener_);
        enableToggle_ = toggle;
        link(toggle);
    }
    enableParameter_ = parameter;
    if (enableOff()) refresh();
}

void ComponentButton::addExtraParameter(AbstractPluginParameter* parameter) {
    if (parameter == nullptr) return;
    extraParameters_.push_back(parameter);
    invalidateFace();
}

void ComponentButton::setDisplay(ComponentDisplay* display, int32_t componentIndex) {
    if (display_ != nullptr && display_ != display) {
        display_->removeButton(this);
        gui::Component::unlink(display_);
    }
    display_ = display;
    componentIndex_ = display != nullptr ? componentIndex : -1;
    if (display_ != nullptr) display_->addButton(this);
}

void ComponentButton::componentDeleted(gui::Component* component) {
    ParameterButton::componentDeleted(component);
    if (component == enableToggle_) enableToggle_ = nullptr;
    if (component == display_) {
        display_ = nullptr;
        componentIndex_ = -1;
    }
    if (component == style_) style_ = nullptr;
}

// ---- face -------------------------------------------------------------------------------

void ComponentButton::renderFace(gui::Canvas&, int) {}

bool ComponentButton::wantsHighlightedFace(int state) {
    if (!highlightFace.getValue()) return false;
    return state != 0 ? state == 2 : rolloverManager().level() > kHighlightedLevel;
}

bool ComponentButton::isHighlighted(int state) {
    return faceValid_ && faceHighlighted_ == wantsHighlightedFace(state);
}

bool ComponentButton::enableOff() const {
    return enableParameter_ != nullptr && std::fabs(enableParameter_->getValue()) <= kTolerance;
}

void ComponentButton::invalidateFace() {
    faceValid_ = false;
    refresh();
}

void ComponentButton::paintContents(gui::Canvas& canvas, int state) {
    gui::Button::paintContents(canvas, state);
    if (!isHighlighted(state)) {
        faceBitmap_->clear();
        renderFace(faceBitmap_->getCanvas(), state);
        faceValid_ = true;
        faceHighlighted_ = wantsHighlightedFace(state);
    }
    const gui::Rect local = localRect();
    const gui::Point origin(0.0f, 0.0f);
    gui::Bitmap* mask = style_ != nullptr ? &style_->maskBitmap() : nullptr;
    if (mask != nullptr && mask->pixelWidth() > 0 && mask->pixelHeight() > 0)
        canvas.drawBitmapMasked(*faceBitmap_, local, origin, *mask, origin, 255);
    else
        canvas.drawBitmap(*faceBitmap_, local, origin, 255);
    if (style_ != nullptr && (dimmed.getValue() || enableOff()))
        canvas.drawBitmap(style_->overlayBitmap(), origin, 255);
}

void ComponentButton::paintContents(gui::Canvas& canvas) {
    paintContents(canvas, kPaintByState);
}

void ComponentButton::draw(gui::Canvas& canvas) {
    paintContents(canvas, kPaintByState);
}

void ComponentButton::positionChanged(int, int, int) {
    invalidateFace();
}

void ComponentButton::scaleChanged() {
    ParameterButton::scaleChanged();
    invalidateFace();
}

void ComponentButton::boundsChanged() {
    ParameterButton::boundsChanged();
    faceBitmap_->setSize(width.getValue(), height.getValue());
    invalidateFace();
}

void ComponentButton::propertyChanged(AbstractProperty& property) {
    // The face stays valid; the next paint decides whether the highlighted
    // form must be rendered.
    if (&property == &dimmed || &property == &highlightFace) {
        refresh();
        return;
    }
    ParameterButton::propertyChanged(property);
}

void ComponentButton::parameterChanged(int index) {
    if (faceValid_ && dragState() != DragState::kDragging)
        for (int k = 0; k < kChannels; ++k)
            if (matches(parameter(k), index)) {
                positionChanged(k, captureValue(k), dragValue(k));
                break;
            }
    if (faceValid_)
        for (AbstractPluginParameter* extra : extraParameters_)
            if (matches(extra, index)) {
                invalidateFace();
                break;
            }
    if (matches(enableParameter_, index)) {
        if (enableToggle_ != nullptr)
            enableToggle_->value.setValue(std::fabs(enableParameter_->getValue()) > kTolerance ? 1 : 0);
        if (faceValid_) refresh();
    }
}

// ---- input ------------------------------------------------------------------------------

void ComponentButton::mouseEnter() {
    AliveGuard alive(this);
    ParameterButton::mouseEnter();
    if (!alive.alive() || enableToggle_ == nullptr || interface().isMidiLearnActive()) return;
    enableToggle_->visible.setValue(true);
}

void ComponentButton::hideValueLabels() {
    if (style_ == nullptr) return;
    for (int k = 0; k < 2; ++k)
        if (gui::MultiLabel* label = style_->valueLabel(k)) label->visible.setValue(false);
}

void ComponentButton::mouseLeave() {
    hideValueLabels();
    if (enableToggle_ != nullptr) enableToggle_->visible.setValue(false);
    ParameterButton::mouseLeave();
}

void ComponentButton::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    ParameterButton::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    gui::MultiLabel* first = style_ != nullptr ? style_->valueLabel(0) : nullptr;
    if (pressed() || secondPair() != labelsPair_ || (first != nullptr && !first->visible.getValue()))
        updateValueLabels();
}

void ComponentButton::mouseUp(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    ParameterButton::mouseUp(button, point, modifiers);
    if (alive.alive()) updateValueLabels();
}

bool ComponentButton::mouseWheel(int phase, const gui::Point& point, int modifiers,
                                 const gui::Point& firstDelta, const gui::Point& secondDelta) {
    AliveGuard alive(this);
    if (pointerInside() || getHoverChild() != nullptr) updateValueLabels();
    if (!alive.alive()) return true;
    return ParameterButton::mouseWheel(phase, point, modifiers, firstDelta, secondDelta);
}

void ComponentButton::performMouseAction(int button, int modifiers) {
    AliveGuard alive(this);
    ParameterButton::performMouseAction(button, modifiers);
    if (!alive.alive()) return;
    if (display_ != nullptr && componentIndex_ >= 0 && gui::modifierMode(modifiers & kActionMask) == 0)
        display_->toggleComponent(componentIndex_);
}

void ComponentButton::resetToDefault() {
    ParameterButton::resetToDefault();
    for (AbstractPluginParameter* p : extraParameters_) {
        interface().sendParameterChange(gui::kGestureBegin, p->getIndex(), 0.0f);
        interface().sendParameterChange(gui::kGestureChange, p->getIndex(), p->getDefault());
        interface().sendParameterChange(gui::kGestureEnd, p->getIndex(), 0.0f);
    }
}

// ---- value labels -----------------------------------------------------------------------

std::string ComponentButton::secondPairModifierText(const gui::UserInterface& userInterface) {
    // The first combination that selects the link mode alone.
    int mask = 0;
    for (int m = 1; m < 8; ++m)
        if (gui::modifierMode(m) == gui::kModeLink) {
            mask = m;
            break;
        }
    std::string text;
    for (int bit : {gui::kCtrl, gui::kShift, gui::kAlt, gui::kRightPressEmulation}) {
        if (!(mask & bit)) continue;
        if (!text.empty()) text += "+";
        text += userInterface.modifierName(bit);
    }
    return text;
}

void ComponentButton::updateValueLabels() {
    if (!sharedLabelsShown() || interface().isMidiLearnActive() || style_ == nullptr) return;
    gui::RootControl* root = this->root();
    if (root == nullptr) return;
    labelsPair_ = secondPair();
    const std::string modifier = secondPairModifierText(userInterface());
    const gui::Rect target = interface().unionBounds(this, nullptr);
    for (int k = 0; k < 2; ++k) {
        gui::MultiLabel* label = style_->valueLabel(k);
        if (label == nullptr) continue;
        AbstractPluginParameter* first = parameter(k);
        AbstractPluginParameter* second = parameter(k + 2);
        label->visible.setValue(first != nullptr);
        if (first == nullptr) continue;
        gui::Text* lines[ComponentStyle::kValueLabelLines] = {label->text(0), label->text(1), label->text(2)};
        if (lines[0] != nullptr && lines[1] != nullptr && lines[2] != nullptr) {
            lines[0]->text.setValue(first->getName());
            const gui::Color c = lines[0]->color.getValue();
            const gui::Color full(c.r, c.g, c.b, 255);
            const gui::Color half(c.r, c.g, c.b, 128);
            auto emphasise = [&](gui::Text& line, bool strong) {
                line.color.setValue(strong ? full : half);
                line.bold.setValue(strong);
            };
            if (second == nullptr) {
                emphasise(*lines[0], true);
                lines[1]->text.setValue(first->valueToText(first->getValue(), 0));
                lines[1]->color.setValue(full);
                lines[1]->bold.setValue(false);
                lines[2]->text.setValue(std::string());
            } else {
                const std::string& name = second->getName();
                const std::string shared = commonWordPrefix(first->getName(), name);
                lines[1]->text.setValue("(" + modifier + ") " + name.substr(shared.size()));
                const bool useSecond = secondPair();
                emphasise(*lines[0], !useSecond);
                emphasise(*lines[1], useSecond);
                AbstractPluginParameter* shown = useSecond ? second : first;
                lines[2]->text.setValue(shown->valueToText(shown->getValue(), 0));
            }
        }
        placeBeside(*label, target, k == 0 ? PlacementSide::kRight : PlacementSide::kAbove, kLabelGap,
                    root->localRect());
    }
}
