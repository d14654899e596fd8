#pragma once

// ModulationMatrixPluginInterface: the editor of a plug-in with a
// modulation matrix. Between the maker's layer and the product's editor it
// adds:
//   - the target table: for every parameter index, the control that stands
//     for that parameter as a modulation target and the target's index;
//   - a drag manager that knows every target control (a source is dragged
//     onto them) and the hover-only controls (source, component and scroll
//     buttons); the product answers createDragStage;
//   - the target listeners, told when a target control is bound (0), moved
//     here from another parameter (1), replaced (2) or unbound (3);
//   - the range tables that say whether a source or a target may be offered
//     now (a slot's level is a target only while the slot is in use).
//
// The slot group: the plug-in's growing slot list. Its first parameter holds
// the number of slots in use; slot s owns the five parameters after it from
// first + 1 + 5s, which are reached by role through slotSet(s) (their stored
// order is source, level, bypass, invert, target).
//
// Lifetime: target controls belong to the tree. A target control that dies
// leaves the table (its listeners hear change 3 with the dying pointer, to
// compare only). Closing runs before the drag manager goes, so the
// destructor deletes no control.
//
// Threading: GUI thread only.

#include "editor/ZentorPluginInterface.h"
#include "gui/DragAndDrop.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class AbstractParameterSetList;
class ModulationMatrixController;
class ModulationMatrixPlugin;
class ModulationSlotParameterSet;

class ModulationMatrixPluginInterface : public ZentorPluginInterface, private gui::DragManager::Listener {
public:
    // Told whenever a target control is bound, moved, replaced or unbound.
    class TargetListener {
    public:
        enum Change : int32_t { kBound = 0, kMoved = 1, kReplaced = 2, kUnbound = 3 };
        virtual ~TargetListener() = default;
        virtual void targetChanged(AbstractPluginParameter* parameter, gui::Control* control,
                                   uint32_t targetIndex, int32_t change) = 0;
    };

    static constexpr uint32_t kNoTarget = ~0u;
    static constexpr uint32_t kNoIndex = ~0u;

    struct TargetEntry {
        gui::Control* control = nullptr;
        uint32_t targetIndex = kNoTarget;
    };
    // A source's or target's place in a group whose count in use limits it
    // (null: unlimited).
    struct RangeEntry {
        int32_t position = 0;
        const AbstractParameterSetList* group = nullptr;
    };

    ModulationMatrixPluginInterface(gui::UserInterface& userInterface, ModulationMatrixPlugin& plugin,
                                    uint32_t featureFlags = 0);
    ~ModulationMatrixPluginInterface() override;

    // --- Overrides
    void unlinkControl(AbstractPluginParameter* parameter, gui::ValueControl* control) override;
    using GenericPluginInterface::linkControl;
    void linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control,
                     uint32_t targetIndex) override;

    // --- Added operations
    virtual bool canAddToSourceRange(uint32_t index);
    virtual bool canAddToTargetRange(uint32_t index);
    // Loads the default component preset of the kind (nothing for ~0).
    virtual void loadDefaultComponentPresetFor(uint32_t kind, int32_t index);

    // The target index of a control: a value control by its parameter (the
    // table entry must hold this very control), any other control through
    // the target pairs; ~0 when none.
    uint32_t getTargetIndex(const gui::Control* control) const;
    void addTargetPair(gui::Control* control, uint32_t targetIndex);
    void notifyTargetListeners(AbstractPluginParameter* parameter, gui::Control* control,
                               uint32_t targetIndex, int32_t change);
    void addTargetListener(TargetListener* listener);
    // True while listeners hear change 3 of a control that is being
    // destroyed: they may compare the pointer but not touch the control.
    bool isTargetControlDying() const { return controlDying_; }
    void removeTargetListener(TargetListener* listener);

    gui::DragManager& dragManager() const;
    // False once the editor released its drag manager (while it closes).
    bool hasDragManager() const { return dragManager_ != nullptr; }
    const TargetEntry& targetEntry(int32_t parameterIndex) const;
    // The control that stands for a target index, or null.
    gui::Control* targetControl(uint32_t targetIndex) const;
    RangeEntry& sourceRange(uint32_t index);
    RangeEntry& targetRange(uint32_t index);

    // --- The model and its slot group.
    ModulationMatrixPlugin& modulationPlugin() const { return modulationPlugin_; }
    ModulationMatrixController& matrixController() const;
    // Null when the plug-in has no growing slot list.
    AbstractParameterSetList* slotList() const;
    // The parameter that holds the number of slots in use (-1 without a list).
    int32_t slotGroupFirstParameter() const;
    int32_t slotsInUse() const;
    // The slots the count parameter can hold (no more than the matrix has).
    int32_t slotCapacity() const;
    // The slot's parameter set, or null outside the list.
    ModulationSlotParameterSet* slotSet(int32_t slot) const;
    uint32_t firstSlotTarget() const;
    int32_t numTargets() const;
    int32_t numSources() const;

protected:
    // Runs closing once, then empties the drag manager.
    void releaseDragManager();

private:
    class DragManagerWithWatch;

    void targetControlDied(gui::Component* control);

    ModulationMatrixPlugin& modulationPlugin_;
    std::vector<std::pair<gui::Control*, uint32_t>> targetPairs_;
    std::unique_ptr<DragManagerWithWatch> dragManager_;
    std::vector<TargetEntry> targetTable_;
    std::vector<RangeEntry> sourceRanges_;
    std::vector<RangeEntry> targetRanges_;
    std::vector<TargetListener*> targetListeners_;
    bool controlDying_ = false;
};
