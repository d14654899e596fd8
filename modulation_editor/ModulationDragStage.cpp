#include "modulation_editor/ModulationDragStage.h"

#include "gui/Animation.h"
#include "gui/Canvas.h"
#include "gui/Control.h"
#include "gui/UserInterface.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationDragObject.h"
#include "modulation_editor/ModulationHoverItem.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SlotAllocation.h"

#include <algorithm>

ModulationDragStage::ModulationDragStage(ModulationMatrixPluginInterface& interface,
                                         AbstractSlotController& slots)
    : gui::DragStage(interface.userInterface()), highlightColor(this, gui::Color(255, 255, 255, 96)),
      dropProgress(this, kDropStart), interface_(interface), slots_(slots),
      lastDrop_(ModulationMatrixPluginInterface::kNoIndex),
      dragImage_(std::make_unique<gui::Bitmap>(interface.userInterface().deviceBacking())) {}

ModulationDragStage::~ModulationDragStage() = default;

void ModulationDragStage::startDrag(gui::Control* source, gui::DragObject* dragObject) {
    if (dragObject != nullptr && !isRunning() && interface_.hasDragManager()) {
        hoverOnly_.clear();
        for (const gui::DragManager::Entry& entry : interface_.dragManager().entries()) {
            const auto& targets = dragObject->dropTargets;
            if (std::none_of(targets.begin(), targets.end(), [&entry](const gui::DragObject::DropTarget& t) {
                    return t.control == entry.control;
                }))
                dragObject->addDropTarget(entry.control);
            if (entry.hoverOnly != 0) hoverOnly_.push_back(entry.control);
        }
    }
    gui::DragStage::startDrag(source, dragObject);
    // The image starts over the control it leaves.
    if (source != nullptr && isRunning())
        placeImage(fromRoot(
            source->toRoot(gui::Point(source->width.getValue() * 0.5f, source->height.getValue() * 0.5f))));
}

void ModulationDragStage::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::DragStage::mouseMove(point, modifiers);
    if (alive.alive() && isRunning()) placeImage(point);
}

void ModulationDragStage::placeImage(const gui::Point& centre) {
    const gui::Rect size = dragImage_->getRect();
    if (size.width() <= 0.0f || size.height() <= 0.0f) return;
    const float w = size.width(), h = size.height();
    // Inside the stage; an image larger than the stage keeps its top left.
    const float x = std::max(0.0f, std::min(centre.x - w * 0.5f, width.getValue() - w));
    const float y = std::max(0.0f, std::min(centre.y - h * 0.5f, height.getValue() - h));
    const gui::Rect next = gui::Rect::fromXYWH(x, y, w, h);
    if (next == imageRect_) return;
    invalidateRect(imageRect_);
    imageRect_ = next;
    invalidateRect(imageRect_);
}

bool ModulationDragStage::isHoverOnly(const gui::Control* control) const {
    return std::find(hoverOnly_.begin(), hoverOnly_.end(), control) != hoverOnly_.end();
}

bool ModulationDragStage::dragEvent(int phase, const gui::Point& point, int modifiers) {
    if (phase != kDragDrop) return gui::DragStage::dragEvent(phase, point, modifiers);
    return drop();
}

bool ModulationDragStage::drop() {
    auto* object = dynamic_cast<ModulationDragObject*>(dragObject());
    gui::Control* control = targetControl(currentTarget());
    if (object == nullptr || control == nullptr) return false;
    const std::uint32_t source = object->sourceIndex();
    std::vector<std::uint32_t> targets;
    const bool hoverOnly = isHoverOnly(control);
    if (hoverOnly) {
        if (auto* item = dynamic_cast<ModulationHoverItem*>(control)) item->offeredTargets(targets);
        if (targets.empty()) {
            userInterface().postMessage(this, kHoverOnlyMessage, gui::kGuiList);
            return false;
        }
    } else {
        const std::uint32_t target = interface_.getTargetIndex(control);
        if (target != ModulationMatrixPluginInterface::kNoTarget) targets.push_back(target);
    }
    // A preset loaded mid-drag may have removed the source or the target.
    if (targets.empty() || !interface_.canAddToSourceRange(source)) return false;
    const std::uint32_t position = allocateSlots(slots_, static_cast<std::int32_t>(source), targets);
    lastDrop_ = position;
    if (position == ModulationMatrixPluginInterface::kNoIndex) {
        userInterface().postMessage(this, kNoFreeSlotsMessage, gui::kGuiList);
        return false;
    }
    if (targets.size() == 1 && !hoverOnly &&
        slots_.activateMode.getValue() == AbstractSlotController::ActivateMode::kShowTarget)
        slots_.setTargetFilter(interface_.unionBounds(control, nullptr),
                               static_cast<std::int32_t>(targets[0]), 1);
    else
        slots_.setSourceFilter(static_cast<std::int32_t>(source), 1);
    // The filter refreshes only when it changed; the new slots show either way.
    slots_.refreshSlots(-1);
    interface_.refreshControls(-1);
    interface_.storeUndoStep(-1);
    dropped_ = true;
    return true;
}

void ModulationDragStage::dragFinished() {
    // The image goes with the drag.
    invalidateRect(imageRect_);
    if (!dropped_) {
        gui::DragStage::dragFinished();
        return;
    }
    AliveGuard alive(this);
    finishedEvent.notify(this);
    if (!alive.alive()) return;
    gui::Animator* a = animator();
    if (a == nullptr) {
        dropProgress.setValue(kDropEnd);
        hide();
        return;
    }
    auto* animation = new gui::ValueAnimation<float, Property<float>>(*a, dropProgress, kDropEnd, this);
    animation->duration.setValue(kDropDuration);
    animation->motion.setValue(gui::AnimationMotion::kLinear);
    animation->finishedEvent.setHandler(NotifyEvent::bind([this] { hide(); }));
}

void ModulationDragStage::componentDeleted(gui::Component* component) {
    // Every item is a target of the stage, linked by it.
    hoverOnly_.erase(
        std::remove_if(hoverOnly_.begin(), hoverOnly_.end(),
                       [component](gui::Control* c) { return static_cast<gui::Component*>(c) == component; }),
        hoverOnly_.end());
    gui::DragStage::componentDeleted(component);
}

void ModulationDragStage::handleMessage(int code) {
    if (code == kNoFreeSlotsMessage || code == kHoverOnlyMessage) {
        if (!interface_.isClosed())
            interface_.showError(code == kNoFreeSlotsMessage ? kNoFreeSlotsText : kHoverOnlyText, "");
        return;
    }
    gui::DragStage::handleMessage(code);
}

void ModulationDragStage::draw(gui::Canvas& canvas) {
    gui::DragStage::draw(canvas);
    if (!isRunning()) return;
    if (gui::Control* control = targetControl(currentTarget())) {
        const gui::Point at = fromRoot(control->toRoot(gui::Point(0.0f, 0.0f)));
        canvas.fillRect(
            gui::Rect::fromXYWH(at.x, at.y, control->width.getValue(), control->height.getValue()),
            highlightColor.getValue());
    }
    if (imageRect_.width() > 0.0f) canvas.drawBitmap(*dragImage_, imageRect_, gui::Point(0.0f, 0.0f), 255);
}
