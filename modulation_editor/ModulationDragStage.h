#pragma once

// ModulationDragStage: the overlay of a source drag. It offers every control
// of the editor's drag manager: the target controls (a drop connects the
// source to the control's target) and the hover-only items (resting on one
// for the hover interval shows what it stands for; a drop connects the
// targets it offers, or tells the user it only hovers).
//
// The drop checks again, at the release, that the source is active and the
// target still bound (a host may load a preset mid-drag), fills the slots
// (allocateSlots: all or none), filters the slot list to the new
// connection, refreshes the list and the controls and stores one undo step.
// Information boxes open from list 1 after the release, so no modal loop
// runs while the release holds the capture. After a drop the stage plays
// its 500 ms animation (dropProgress from 1.0 to 3.0) without taking input,
// then fades out and deletes itself; otherwise it goes at once.
//
// While the drag runs the stage shows the dragged image (its own copy, set
// by whoever starts the drag; none while empty) centred on the pointer:
// the pointer position +/- half the image size, moved back inside the
// stage where it would reach past an edge.
//
// Threading: GUI thread only; draw under the root lock reads only the
// stage's own properties.

#include "foundation/Property.h"
#include "gui/Bitmap.h"
#include "gui/Color.h"
#include "gui/DragAndDrop.h"

#include <cstdint>
#include <memory>
#include <vector>

class AbstractSlotController;
class ModulationMatrixPluginInterface;

// Keeps the drag's object; a base before the stage's, so the object
// outlives the stage's own ending of a drag that runs when it is destroyed.
struct ModulationDragObjectHolder {
    std::unique_ptr<gui::DragObject> object_;
};

class ModulationDragStage : private ModulationDragObjectHolder, public gui::DragStage {
public:
    static constexpr int kDropDuration = 500;
    static constexpr float kDropStart = 1.0f;
    static constexpr float kDropEnd = 3.0f;
    // Posted to the stage on list 1.
    static constexpr int kNoFreeSlotsMessage = 1;
    static constexpr int kHoverOnlyMessage = 2;
    static constexpr const char* kHoverOnlyText =
        "You can only hover over this item, not drag a source to it. Instead, drag the source to a target "
        "knob to create a modulation connection.";

    ModulationDragStage(ModulationMatrixPluginInterface& interface, AbstractSlotController& slots);
    ~ModulationDragStage() override;

    Property<gui::Color> highlightColor;
    Property<float> dropProgress;

    void startDrag(gui::Control* source, gui::DragObject* dragObject) override;
    bool dragEvent(int phase, const gui::Point& point, int modifiers) override;
    void dragFinished() override;
    void handleMessage(int code) override;
    void componentDeleted(gui::Component* component) override;
    void draw(gui::Canvas& canvas) override;

    // The image that follows the pointer; copy pixels into it before the
    // drag starts.
    gui::Bitmap& dragImage() { return *dragImage_; }
    // Where the image is drawn, in stage coordinates.
    const gui::Rect& dragImageRect() const { return imageRect_; }
    void mouseMove(const gui::Point& point, int modifiers) override;

    // The stage keeps the drag's object until it goes.
    void adoptDragObject(std::unique_ptr<gui::DragObject> object) { object_ = std::move(object); }

    // The listed position of the last drop's first slot, ~0 when none.
    std::uint32_t lastDrop() const { return lastDrop_; }
    const std::vector<gui::Control*>& hoverOnlyItems() const { return hoverOnly_; }

private:
    bool drop();
    bool isHoverOnly(const gui::Control* control) const;
    void placeImage(const gui::Point& centre);

    ModulationMatrixPluginInterface& interface_;
    AbstractSlotController& slots_;
    std::vector<gui::Control*> hoverOnly_;
    std::uint32_t lastDrop_;
    bool dropped_ = false;
    std::unique_ptr<gui::Bitmap> dragImage_;
    gui::Rect imageRect_;
};
