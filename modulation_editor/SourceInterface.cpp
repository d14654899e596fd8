#include "modulation_editor/SourceInterface.h"

#include "gui/Animation.h"
#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Canvas.h"
#include "gui/Image.h"
#include "gui/ScrollArea.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceHost.h"

#include <cmath>

namespace {

constexpr float kScrollSlack = 50.0f;
constexpr float kTolerance = 1.1920929e-7f;

} // namespace

SourceInterface::SourceInterface(SourceHost& controller, SourceId id, gui::Button::Style* dragButtonStyle,
                                 gui::Button::Style* removeButtonStyle)
    : DynamicInterface(controller.interface().userInterface(), controller.interface()), selected(this, false),
      panelSize(this, static_cast<int>(controller.panelSize.getValue())), controller_(controller), id_(id) {
    if (gui::Bitmap* background = controller.panelBackground()) {
        const gui::Rect r = background->getRect();
        setSize(r.width(), r.height());
    }
    header_ = controller.createSourceHeader(*this);
    if (header_ != nullptr) {
        header_->parent.setValue(this);
        link(header_);
        selectionImage_ = new gui::Image(userInterface());
        if (gui::Bitmap* background = controller.panelBackground())
            selectionImage_->bitmap().copyFrom(*background);
        selectionImage_->parent.setValue(this);
        link(selectionImage_);
        selectionImage_->setBoundsXYWH(
            0.0f, 0.0f, width.getValue() - controller.margin.getValue() - controller.rightMargin.getValue(),
            selectionImage_->bitmap().getRect().height());
        selectionImage_->opacity.setValue(0);
        selectionImage_->boundsEvent.addHandler(NotifyEvent::bind([this] {
            if (selected.getValue() && selectionImage_ != nullptr)
                width.setValue(selectionImage_->width.getValue());
        }));
    }
    removeButton_ = new gui::Button(userInterface(), removeButtonStyle);
    removeButton_->parent.setValue(this);
    removeButton_->helpText.setValue(kRemoveHelp);
    link(removeButton_);
    removeButton_->clickEvent.setHandler(NotifyEvent::bind([this] { removeSource(); }));
    const auto [first, count] = controller.getSourceParameterRange(id);
    firstSource_ = first;
    outputCount_ = count;
    for (int32_t output = 0; output < outputCount_; ++output) {
        auto* button = new SourceDragButton(controller_, *this, output, dragButtonStyle);
        button->parent.setValue(this);
        link(button);
        dragButtons_.push_back(button);
    }
}

SourceInterface::~SourceInterface() = default;

void SourceInterface::componentDeleted(gui::Component* component) {
    DynamicInterface::componentDeleted(component);
    if (component == header_) header_ = nullptr;
    if (component == selectionImage_) selectionImage_ = nullptr;
    if (component == removeButton_) removeButton_ = nullptr;
    for (SourceDragButton*& button : dragButtons_)
        if (static_cast<gui::Component*>(button) == component) button = nullptr;
}

void SourceInterface::removeSource() {
    controller_.removeSource(*this);
}

void SourceInterface::showSourceSlots() {
    controller_.slotController().setSourceFilter(static_cast<int32_t>(firstSource_), outputCount_);
}

void SourceInterface::refreshFromParameters() {
    if (header_ != nullptr) header_->invalidateRect(header_->localRect());
}

void SourceInterface::setSourceInstance(int32_t instance) {
    if (instance != id_.instance) {
        id_.instance = instance;
        const auto [first, count] = controller_.getSourceParameterRange(id_);
        firstSource_ = first;
        outputCount_ = count;
    }
    unlinkAllControls();
}

void SourceInterface::linkSourceControl(AbstractPluginParameter* parameter, gui::ValueControl* control,
                                        uint32_t target) {
    if (parameter == nullptr || control == nullptr) return;
    controller_.interface().linkControl(parameter, control, target);
    recordLink(parameter, control);
}

void SourceInterface::setSourceName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    controller_.updateSourceBar();
}

void SourceInterface::setShortSourceName(const std::string& name) {
    if (name == shortName_) return;
    shortName_ = name;
    controller_.updateSourceBar();
}

void SourceInterface::propertyChanged(AbstractProperty& property) {
    DynamicInterface::propertyChanged(property);
    if (&property == &selected) selectionChanged();
}

void SourceInterface::selectionChanged() {
    const bool on = selected.getValue();
    if (on) {
        scrollIntoView();
        if (controller_.singleSelection.getValue()) controller_.deselectAll(this);
    } else {
        AbstractSlotController& slots = controller_.slotController();
        if (slots.hasFilter()) slots.clearFilter();
    }
    if (header_ == nullptr || selectionImage_ == nullptr) return;
    const int s = on ? 255 : 0;
    gui::Animator* a = controller_.interface().animator();
    gui::fadeControl(a, *header_, 255 - s, gui::Overlay::kFadeDuration);
    gui::fadeControl(a, *selectionImage_, s, gui::Overlay::kFadeDuration);
    if (on) headerLevel_ = header_->x.getValue();
}

void SourceInterface::scrollIntoView() {
    gui::ScrollArea* area = controller_.strip().scrollArea();
    gui::Control* container = getParent();
    if (area == nullptr || container == nullptr) return;
    // d: how far the header of the first selected panel before this one moved.
    float d = 0.0f;
    for (SourceInterface* panel : controller_.panels()) {
        if (panel == this) break;
        if (panel->selected.getValue() && panel->header_ != nullptr) {
            d = panel->header_->x.getValue() - panel->headerLevel_;
            break;
        }
    }
    const float x = container->toRoot(gui::Point(0.0f, 0.0f)).x - area->toRoot(gui::Point(0.0f, 0.0f)).x;
    const float w = area->width.getValue();
    const float panelWidth = width.getValue();
    float shift = 0.0f;
    if (x + panelWidth + kScrollSlack - d - w >= 0.0f)
        shift = x + panelWidth + kScrollSlack - d - w;
    else if (x - kScrollSlack - d < 0.0f)
        shift = x - kScrollSlack - d;
    if (!(std::fabs(shift) > kTolerance)) return;
    const float target = area->scrollX.getValue() + shift;
    area->scrollTo(gui::Orientation::kHorizontal, target, controller_.interface().animator() != nullptr);
}

void SourceInterface::mouseDown(int button, const gui::Point& point, int modifiers) {
    (void)button, (void)modifiers;
    pressed_ = true;
    pressPoint_ = point;
}

void SourceInterface::mouseMove(const gui::Point& point, int modifiers) {
    if (!pressed_ || controller_.perSourceSlots()) return;
    if (!(std::fabs(point.x - pressPoint_.x) > kDragDistance) &&
        !(std::fabs(point.y - pressPoint_.y) > kDragDistance))
        return;
    pressed_ = false;
    if (gui::ScrollArea* area = controller_.strip().scrollArea()) area->beginDrag(this, point, modifiers);
}

void SourceInterface::mouseUp(int button, const gui::Point& point, int modifiers) {
    (void)button, (void)point, (void)modifiers;
    pressed_ = false;
}

void SourceInterface::draw(gui::Canvas& canvas) {
    if (selectionImage_ != nullptr) return;
    gui::Bitmap* background = controller_.panelBackground();
    if (background == nullptr || !(background->getRect().width() > 0.0f)) return;
    const gui::Rect r = localRect();
    canvas.drawBitmapInRect(*background, background->getRect(),
                            gui::Rect(r.left, r.top, r.right, r.bottom - controller_.margin.getValue()), 255);
}

void SourceInterface::boundsChanged() {
    DynamicInterface::boundsChanged();
    if (selectionImage_ != nullptr)
        selectionImage_->width.setValue(width.getValue() - controller_.margin.getValue() -
                                        controller_.rightMargin.getValue());
}
