#include "modulation_editor/SourceDragButton.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/DragAndDrop.h"
#include "gui/ValueControl.h"
#include "modulation/ModulationMatrixPlugin.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationDragObject.h"
#include "modulation_editor/ModulationDragStage.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceHost.h"

#include <algorithm>
#include <cmath>

SourceDragButton::SourceDragButton(SourceHost& host, gui::Control& panel, std::int32_t axisOffset,
                                   gui::Button::Style* style)
    : gui::Button(panel.userInterface(), style), host_(host), panel_(panel), axisOffset_(axisOffset) {
    helpText.setValue(kHelp);
    if (gui::Animator* a = gui::Animator::of(userInterface())) {
        gui::AnimatedObject* self = this;
        a->startAnimation(self, this, self);
    }
}

SourceDragButton::~SourceDragButton() {
    if (gui::Animator* a = gui::Animator::of(userInterface())) a->forget(this);
    if (mirror_ != nullptr) gui::Component::unlink(mirror_);
}

std::uint32_t SourceDragButton::sourceIndex() const {
    return host_.panelRange(panel_).first + static_cast<std::uint32_t>(axisOffset_);
}

void SourceDragButton::setMirror(gui::ValueControl* mirror) {
    if (mirror_ != nullptr) gui::Component::unlink(mirror_);
    mirror_ = mirror;
    if (mirror_ != nullptr) gui::Component::link(mirror_);
}

void SourceDragButton::componentDeleted(gui::Component* component) {
    if (component == mirror_) mirror_ = nullptr;
    gui::Button::componentDeleted(component);
}

void SourceDragButton::updateLevel() {
    ModulationMatrixPluginInterface& interface = host_.interface();
    const float value = interface.modulationPlugin().getSourceValue(static_cast<std::int32_t>(sourceIndex()));
    const float scaled = std::isfinite(value) ? std::clamp(value * 255.0f, 0.0f, 255.0f) : 0.0f;
    const int level = static_cast<int>(scaled);
    if (level == level_) return;
    level_ = level;
    invalidateRect(localRect());
    if (mirror_ != nullptr) mirror_->value.setValue(level);
}

void SourceDragButton::startDrag() {
    dragPressed_ = false;
    ModulationMatrixPluginInterface& interface = host_.interface();
    if (!interface.hasDragManager()) return;
    const std::uint32_t source = sourceIndex();
    gui::DragStage* stage = interface.dragManager().createDragStage(source);
    if (stage == nullptr) return;
    // The object lives as long as the stage that shows it (a modulation
    // stage owns it; another stage's object stays with the button).
    auto object = std::make_unique<ModulationDragObject>(stage, source);
    ModulationDragObject* dragged = object.get();
    if (auto* modulationStage = dynamic_cast<ModulationDragStage*>(stage)) {
        modulationStage->adoptDragObject(std::move(object));
        // The button's face follows the pointer.
        modulationStage->dragImage().copyFrom(activeStyle().stateBitmap(0));
    } else
        lastObject_ = std::move(object);
    stage->startDrag(this, dragged);
}

int SourceDragButton::hitAlpha(const gui::Point& point) {
    const gui::Rect r = localRect();
    const float radius = r.width() * 0.5f - 1.0f;
    const float dx = point.x - r.width() * 0.5f;
    const float dy = point.y - r.height() * 0.5f;
    return radius > 0.0f && dx * dx + dy * dy <= radius * radius ? 255 : 0;
}

void SourceDragButton::mouseDown(int button, const gui::Point& point, int modifiers) {
    (void)modifiers;
    if (button != gui::kMouseLeft && button != gui::kMouseRight) return;
    pressPoint_ = point;
    dragPressed_ = true;
    if (!clickMode_) startDrag();
}

void SourceDragButton::mouseMove(const gui::Point& point, int modifiers) {
    (void)modifiers;
    if (!dragPressed_) return;
    if (std::fabs(point.x - pressPoint_.x) > kDragDistance ||
        std::fabs(point.y - pressPoint_.y) > kDragDistance)
        startDrag();
}

void SourceDragButton::mouseUp(int button, const gui::Point& point, int modifiers) {
    (void)button, (void)point, (void)modifiers;
    if (!dragPressed_) return;
    dragPressed_ = false;
    released();
}

void SourceDragButton::released() {
    AbstractSlotController& slots = host_.slotController();
    const auto [first, count] = host_.panelRange(panel_);
    if (slots.sourceFilterFirst() == static_cast<std::int32_t>(first) && slots.sourceFilterCount() == count) {
        slots.clearFilter();
        return;
    }
    host_.showPanelSlots(panel_);
}

void SourceDragButton::draw(gui::Canvas& canvas) {
    const gui::Bitmap& bitmap = activeStyle().stateBitmap(0);
    if (bitmap.getRect().width() > 0.0f) {
        const gui::Rect r = localRect();
        const gui::Rect b = bitmap.getRect();
        canvas.drawBitmap(
            bitmap, gui::Point((r.width() - b.width()) * 0.5f, (r.height() - b.height()) * 0.5f), level_);
    }
    if (axisLabel_ != nullptr && axisLabel_->getRect().width() > 0.0f) {
        const gui::Rect r = localRect();
        const gui::Rect b = axisLabel_->getRect();
        canvas.drawBitmap(*axisLabel_,
                          gui::Point((r.width() - b.width()) * 0.5f, (r.height() - b.height()) * 0.5f), 255);
    }
}
