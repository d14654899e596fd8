#pragma once

// SourceController: the modulation sources in the editor. It keeps the
// table of source types (each a parameter set list of the model with its
// preset kind and outputs per instance; every type owns a fixed block of
// modulation-source indices, maximum count x outputs), builds one panel per
// active instance through the product's listener, each in a
// SourceContainer on the source bar inside a scrolling strip, offers the
// Add Source menu, adds and removes sources, shows or hides modulation, and
// keeps the selection bar (the map of all sources) in step.
//
// The cached counts (panels of each type on the bar) may lag the model
// after a preset load, an undo or a host state until the next refresh:
// adding rebuilds first when they differ and adds at the model's count; a
// removal records the list's count at its start and, when the count
// changed by its end, removes nothing and rebuilds. Adding and removing are
// one user action each: they refresh the slot list and the controls before
// returning and store one undo step. While one is pending the other waits.
//
// Lifetime: a control of the tree (the product places it); the strip, the
// bars and the panels are its children. The listener and the slot
// controller outlive it.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Button.h"
#include "gui/Color.h"
#include "gui/ControlBar.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/SourceId.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class AbstractParameterSetList;
class AbstractSlotController;
class ModulationMatrixPluginInterface;
class ModulationScrollStrip;
class SlotInterface;
class SourceContainer;
class SourceInterface;
class SourceSelectionBar;

namespace gui {
class Bitmap;
class PopupMenu;
} // namespace gui

class SourceController : public gui::Control, public SourceHost {
public:
    static constexpr const char* kAddSourceHelp =
        "The Add Source button creates a new modulation source. It pops up a menu where you can select the "
        "type of modulation source to add. \n\nTo use the new modulation source, simply drag the source drag "
        "button in the left-top corner of the source interface to any modulation target.";
    // The menu item that sorts the slots carries this tag.
    static constexpr int32_t kSortSlotsTag = -2;

    class Listener {
    public:
        virtual ~Listener() = default;
        // Null for a kind the product does not supply.
        virtual gui::Control* createButton(SourceController& controller, int32_t kind) = 0;
        virtual gui::Control* createSourceHeader(SourceInterface& panel) {
            (void)panel;
            return nullptr;
        }
        virtual SourceInterface* createSourceInterface(SourceController& controller, SourceId id) = 0;
        virtual SlotInterface* createSlotInterface(SourceController& controller) {
            (void)controller;
            return nullptr;
        }
    };

    // Told after every scroll of the source strip (after the selection bar
    // follows). Not owned: it outlives the controller or is set back to
    // null first.
    class ScrollListener {
    public:
        virtual ~ScrollListener() = default;
        virtual void sourcesScrolled(SourceController& controller, float position) = 0;
    };

    // The bar of source containers inside the strip's scroll area.
    class SourceBar : public gui::ControlBar {
    public:
        explicit SourceBar(gui::UserInterface& userInterface) : gui::ControlBar(userInterface) {}
    };

    // Without per-source slots: the last child of the source bar, with the
    // Add Source button (kAddSourceButton) and the show-modulation toggle
    // (kAddModulationLabel) in a row, their texts and visibility following
    // the visible panels. Its shadow bitmap, when set, lies under the row of
    // visible buttons: as
    // high as the bitmap, centred on the row, and stretched (its ends kept)
    // from kShadowOutset left of the row to kShadowOutset right of it, so
    // 2 x kShadowOutset wider than the row; clipped to the container.
    class ButtonContainer : public gui::Control {
    public:
        static constexpr float kInset = 10.0f;
        static constexpr float kGap = 4.0f;
        static constexpr float kTrail = 20.0f;
        static constexpr float kShadowOutset = 20.0f;

        explicit ButtonContainer(SourceController& controller);
        ~ButtonContainer() override;
        gui::Control* addSourceButton() const { return add_; }
        gui::Control* toggle() const { return toggle_; }
        void updateButtons();
        // Loads the shadow (an empty name or a missing bitmap: none).
        void setShadowBitmap(const std::string& name);
        gui::Bitmap* shadowBitmap() const { return shadow_; }
        // Where the shadow is drawn: empty without a shadow or a visible
        // button.
        gui::Rect shadowRect() const;
        void draw(gui::Canvas& canvas) override;
        void componentDeleted(gui::Component* component) override;

    private:
        SourceController& controller_;
        gui::Control* add_ = nullptr;
        gui::Control* toggle_ = nullptr;
        gui::Bitmap* shadow_ = nullptr; // the user interface's
    };

    struct SourceType {
        AbstractParameterSetList* list = nullptr;
        std::string name;
        int32_t presetKind = -1;
        int32_t cachedCount = 0;
        int32_t outputs = 1;
    };

    SourceController(ModulationMatrixPluginInterface& interface, Listener& listener,
                     AbstractSlotController& slots, gui::Button::Style* backwardStyle = nullptr,
                     gui::Button::Style* forwardStyle = nullptr);
    ~SourceController() override;

    NotifyEvent sourcesChangedEvent;

    // Appends a type (its menu item "New " + name, tagged with the type) and
    // marks its outputs in the interface's source ranges, so that a source is
    // offered only while its instance is active.
    void registerSourceType(AbstractParameterSetList& list, const std::string& name, int32_t presetKind,
                            int32_t outputsPerInstance);
    // Loads the panels' background (an empty name: none). Given the scroll
    // bar's state bitmaps (normal, highlighted, pressed, disabled, on; an
    // empty name leaves that state out), it makes the strip's scroll-bar
    // button from them, sized from its bitmaps, and shows it at half
    // opacity (128) when there is no pressed bitmap. Without names the
    // strip keeps the scroll bar it has.
    void
    setBarBitmaps(const std::string& backgroundName,
                  const std::array<std::string, gui::Button::Style::kStateBitmapCount>& scrollBarNames = {});
    gui::Button* scrollBarButton() const { return scrollBar_; }
    // (first modulation-source index, output count); empty for an id outside
    // the table.
    std::pair<uint32_t, int32_t> getSourceParameterRange(SourceId id) const override;
    void setScrollListener(ScrollListener* listener) { scrollListener_ = listener; }
    ScrollListener* scrollListener() const { return scrollListener_; }
    // Makes the panels follow the source lists' counts. A call from inside
    // a rebuild (a listener's refresh after a new source's preset) does
    // nothing; so does updateSourceBar then.
    void rebuildSourceContainers();
    void updateSourceBar() override;
    bool isRebuilding() const { return rebuilding_; }
    void showAllSlots();
    // The menu's handler: adds a source of the type.
    void addSource(int32_t type);
    // The panel's removal (SourceInterface::removeSource).
    void removeSource(SourceInterface& panel) override;
    // An Add Slot button: an empty slot of the output.
    void addSlot(uint32_t source) override;
    void sortSlots();
    void deselectAll(SourceInterface* except = nullptr) override;

    // --- State.
    bool isPending() const { return !pendingRemoval_.isNone() || !justAdded_.isNone(); }
    SourceId pendingRemoval() const { return pendingRemoval_; }
    SourceId justAdded() const { return justAdded_; }
    const std::vector<SourceType>& sourceTypes() const { return types_; }
    int32_t typeOfOutput(uint32_t source) const;
    // The panels on the bar, in bar order.
    std::vector<SourceInterface*> panels() const override;
    SourceContainer* containerAt(int32_t position) const override;
    int32_t containerCount() const override;

    ModulationMatrixPluginInterface& interface() const override { return interface_; }
    Listener& listener() const { return listener_; }
    AbstractSlotController& slotController() const override { return slots_; }
    bool perSourceSlots() const override { return perSourceSlots_; }
    ModulationScrollStrip& strip() const override { return *strip_; }
    SourceBar& sourceBar() const { return *bar_; }
    SourceSelectionBar* selectionBar() const { return selectionBar_; }
    gui::PopupMenu& addSourceMenu() const { return *menu_; }
    gui::Control* addSourceButton() const { return addSourceButton_; }
    ButtonContainer* buttonContainer() const { return buttonContainer_; }
    gui::Bitmap* panelBackground() const override { return background_; }
    gui::Control* createButton(int32_t kind) override { return listener_.createButton(*this, kind); }
    gui::Control* createSourceHeader(SourceInterface& panel) override {
        return listener_.createSourceHeader(panel);
    }
    float sourceBarWidth() const override;
    std::pair<uint32_t, int32_t> panelRange(const gui::Control& panel) const override;
    void showPanelSlots(gui::Control& panel) override;
    uint32_t firstSourceIndex = 0;

    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const gui::Point& point) override;
    void boundsChanged() override;
    void handleMessage(int code) override;
    void componentDeleted(gui::Component* component) override;

private:
    void rebuildContainers();
    void removalFinished();
    void scrolled();
    void layoutParts();
    void showModulationChanged();
    // The panel's position on the bar from the cached counts.
    int32_t barPosition(SourceId id) const;
    void finishUserAction(bool changed);

    ModulationMatrixPluginInterface& interface_;
    Listener& listener_;
    AbstractSlotController& slots_;
    bool perSourceSlots_;
    SourceId pendingRemoval_;
    int32_t removalCount_ = -1;
    SourceId justAdded_;
    std::unique_ptr<gui::PopupMenu> menu_;
    SourceSelectionBar* selectionBar_ = nullptr;
    gui::Control* addSourceButton_ = nullptr;
    ButtonContainer* buttonContainer_ = nullptr;
    ModulationScrollStrip* strip_ = nullptr;
    gui::Bitmap* background_ = nullptr; // the user interface's
    // The scroll-bar button's style outlives the strip (deleted first).
    std::unique_ptr<gui::Button::Style> scrollBarStyle_;
    gui::Button* scrollBar_ = nullptr;
    SourceBar* bar_ = nullptr;
    std::vector<SourceType> types_;
    std::vector<int32_t> outputOwners_;
    ScrollListener* scrollListener_ = nullptr;
    bool closing_ = false;
    bool rebuilding_ = false;
};
