#pragma once

// VarnelInterface: the product's editor, the top of the class chain
// GenericPluginInterfaceBase, GenericPluginInterface, ZentorPluginInterface,
// ModulationMatrixPluginInterface. Its constructor builds every control once,
// in this order: the skin, the top bar, the sources and slots, the delay
// section (with the place of the filter section), the logo, the bottom bar;
// then the target ranges of the sources' own parameters and the framework's
// completeSetup.
//
// Size: the model answers it from the settings "ShowModulation" (height 321
// or 514) and "InterfaceLayout" (width 640 or 926). The modulation button
// and the resize selector write them and ask the framework for the size; a
// change of the root's size lays out the bars again (interfaceResized). The
// bottom bar sits at the root's rounded height less its own, so it stays
// visible when a host refuses a resize.
//
// Pieces that plug in from elsewhere (each has an empty slot here):
//   - the component display's sections: the delay section's controls stand
//     on a panel over the display's strip until they move into a section;
//   - the filter section's panel and its two filter buttons:
//     buildFilterSection, and setFilterButtons for the routing layout.
//
// Source panels: createSourceInterface makes the product's panel of a
// source's type on one VarnelSourceSkin filled from this skin, which lives
// as long as the source controller. A refresh tells the slot panels and
// every shown source panel of the parameter; a full refresh, or one that no
// panel claims, rebuilds the source containers (rebuildSources).
//
// Indicators: the ModulationIndicatorManager is made with the slot
// controller, before the first panel, and follows the modulation button;
// it goes at closing, after the tree and before the slot controller.
//
// Lifetime: the tree owns every control; the pointers kept here are linked
// (gui::Component::link) and forgotten when a control dies. The skin's
// styles and bitmaps go after the tree, at closing, and the slot controller
// after the tree and before the bases.
//
// Threading: GUI thread only.

#include "editor/ControlBuilder.h"
#include "editor/IndicatorLight.h"
#include "gui/Switch.h"
#include "gui/ValueControl.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceController.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ComponentDisplay;
class ModulationIndicatorManager;
struct VarnelSourceSkin;
class SlotInterface;
class SourceSlotController;
class FilterInterface;
class FloatValueLabel;
class HotspotButton;
class VarnelPlugin;
class VarnelSkin;

namespace gui {
class Bitmap;
class Image;
class ImageLabel;
} // namespace gui

class VarnelInterface : public ModulationMatrixPluginInterface, public SourceController::Listener {
public:
    // The panel of one modulation slot (effect_editor/VarnelSlotInterface.h).
    class VarnelSlotInterface;

    // Bit 0 MIDI menu's "Enable MIDI", bit 1 one full refresh, bit 2 "Show
    // Component Displays".
    static constexpr uint32_t kFeatureFlags = 7;
    static constexpr int32_t kTopBarCount = 8;
    static constexpr int32_t kTopBarY = 9;
    static constexpr float kBottomBarHeight = 24.0f;
    static constexpr int32_t kDelayCount = 2;
    static constexpr int32_t kHotspotCount = 7;
    static constexpr float kDisplayY = 34.0f;
    static constexpr float kDisplayHeight = 263.0f;
    // The delay strip: the standard layout's width.
    static constexpr float kStripWidth = 640.0f;
    // The audition selector's colour for the signals other than "Output".
    static constexpr gui::Color kAuditionColor{255, 193, 61, 255};

    // The top-bar buttons in their order.
    enum TopBarButton : int32_t {
        kUndo = 0,
        kRedo,
        kCompare,
        kCopy,
        kPreviousPreset,
        kPresets,
        kNextPreset,
        kHelp,
    };

    // The controls of one delay that the sync setting shows or hides.
    struct DelayControls {
        gui::Knob* time = nullptr;
        gui::Knob* offset = nullptr;
        gui::Knob* sync = nullptr;
        FloatValueLabel* timeDisplay = nullptr;
        gui::Knob* feedback = nullptr;
        gui::Knob* crossFeedback = nullptr;
        gui::Knob* pan = nullptr;
        std::array<HotspotButton*, kHotspotCount> hotspots{};
    };

    struct BottomBar {
        gui::Control* bar = nullptr;
        gui::Image* background = nullptr;
        IndicatorLight* light = nullptr;
        gui::Button* midiLearn = nullptr;
        gui::Button* midiMenu = nullptr;
        gui::Button* channelModeLabel = nullptr;
        gui::SelectButton* channelMode = nullptr;
        gui::ToggleButton* autoMute = nullptr;
        gui::SelectButton* audition = nullptr;
        gui::SelectButton* resize = nullptr;
    };

    VarnelInterface(gui::UserInterface& userInterface, VarnelPlugin& plugin,
                    InterfaceListener* listener = nullptr);
    ~VarnelInterface() override;

    // --- Overrides
    void refreshControls(int32_t index) override;
    // The framework's full refresh, then the dependent controls and panels.
    void refreshAll() override;
    void updatePresetDisplay() override;
    // The maker's overlay with the product's handles and usable controls
    // (effect_editor/VarnelLearnOverlay.cpp).
    MidiLearnController* createMidiLearnOverlay() override;
    gui::DragStage* createDragStage(uint32_t sourceIndex) override;

    // --- Layout
    // After every change of size or layout.
    void interfaceResized();
    void positionTopBar();
    void positionBottomBar();
    // The Presets button centred between Previous and Next.
    void centrePresetButton();
    // Sync 0 (free): the time knob and an enabled time display; otherwise
    // the offset knob and its hotspots with the time display disabled.
    void showSyncControls(int32_t delay, int32_t sync);

    // --- Handlers
    void modulationButtonChanged();
    void layoutSelectorChanged();
    // The first open section of the display, or ~0 (stored as -1). The
    // display's sections count from the delay strip (section 0, always
    // shown); its folding components follow from kFirstFoldingSection (the
    // filter section is section 1).
    void storeExpandedSection(uint32_t section);
    static constexpr int32_t kFirstFoldingSection = 1;

    // --- The source controller's requests (its listener's operations).
    // Kind 0 the Add Source button (style 9), 2 the Add Slot button (style
    // 10); null for the others. The caller owns the button.
    gui::Button* createButton(int32_t kind);
    // A new panel for one slot; the caller owns it.
    SlotInterface* createSlotInterface();
    // --- SourceController::Listener
    gui::Control* createButton(SourceController& controller, int32_t kind) override;
    // The panel of the source's type (0 XY to 4 MIDI); null for another.
    SourceInterface* createSourceInterface(SourceController& controller, SourceId id) override;
    SlotInterface* createSlotInterface(SourceController& controller) override;
    SourceController* sourceController() const { return sourceController_; }
    SourceSlotController* slotController() const { return slotController_.get(); }
    ModulationIndicatorManager* indicators() const { return indicators_.get(); }
    const VarnelSourceSkin& sourceSkin() const { return *sourceSkin_; }

    // --- Plug-in slots for the pieces built elsewhere.
    // The filter section's two buttons, which the routing places.
    void setFilterButtons(gui::Control* first, gui::Control* second);

    // --- What the tests and the other pieces reach.
    VarnelPlugin& varnelPlugin() const { return plugin_; }
    VarnelSkin& skin() const { return *skin_; }
    ControlBuilder& builder() { return *builder_; }
    int32_t layout() const;
    gui::Button* topBarButton(int32_t index) const;
    const BottomBar& bottomBar() const { return bottomBar_; }
    const DelayControls& delayControls(int32_t delay) const { return delays_[size_t(delay)]; }
    gui::ToggleButton* modulationButton() const { return modulationButton_; }
    ComponentDisplay* componentDisplay() const { return componentDisplay_; }
    gui::Control* delaySection() const { return delaySection_; }
    gui::Image* routingBackground(int32_t routing) const { return routingBackgrounds_[size_t(routing)]; }
    // By channel mode: 0 L/R, 1 M/S.
    gui::Image* displayCover(int32_t mode) const { return displayCovers_[size_t(mode)]; }
    gui::Image* delayDimmer() const { return delayDimmer_; }
    gui::Image* freezeDimmer() const { return freezeDimmer_; }
    gui::Image* dryDimmer() const { return dryDimmer_; }
    // The button beside the dry enable toggle that works it.
    gui::Button* dryButton() const { return dryButton_; }
    gui::ImageLabel* helpLabel() const { return helpLabel_; }
    gui::Image* stripBackground(int32_t mode) const { return stripBackgrounds_[size_t(mode)]; }
    gui::Control* filterButton(int32_t index) const { return filterButtons_[size_t(index)]; }
    // 0 the delay section's, 1 the filter section's.
    gui::Button* sectionPresetButton(int32_t section) const { return sectionPresetButtons_[size_t(section)]; }
    FilterInterface* filterInterface() const { return filterInterface_; }
    // The value controls of the delay section with their parameters and
    // targets, in build order.
    struct BoundControl {
        gui::ValueControl* control = nullptr;
        AbstractPluginParameter* parameter = nullptr;
        uint32_t target = kNoTarget;
    };
    const std::vector<BoundControl>& boundControls() const { return bound_; }

protected:
    // The display the sections live in: the modulation component display.
    virtual ComponentDisplay* createComponentDisplay();
    // The sources builder: the slot controller and the source controller
    // with the product's source types.
    virtual void buildSources();
    // The selection bar's bitmaps, spacing, reach and text colours.
    void buildSelectionBar(SourceController& sources);
    // The filter section's panel in the display and the two filter buttons
    // on the delay section.
    virtual void buildFilterSection();
    // The source and slot panels' part of a refresh: the slot list follows
    // its parameters and every shown source panel is told of it; a full
    // refresh, a changed number of sources or a parameter no panel claims
    // rebuilds the source containers and the source bar.
    virtual void refreshSourcesAndSlots(int32_t index);
    virtual void rebuildSources();

    void removeHandlers() override;

private:
    void buildTopBar();
    void buildDelaySection();
    void buildDelay(int32_t delay);
    // A section's presets button at (x, 40), opening the kind's menu.
    gui::Button* createSectionPresetButton(int x, int32_t kind);
    void buildSyncKnob(int32_t delay, int x, int y);
    void createTimeDisplay(int32_t delay, int y);
    void buildBottomBar();
    void fillTargetRanges();
    // The source panels' skin on this skin, and the indicators.
    void buildSourceSkin();
    void buildIndicators();
    // An indicator clicked while the modulation section is hidden.
    void showModulationSection();
    // The help hint's label on its skin background.
    void createHelpHintLabel();
    void rootBoundsChanged();
    // The display folded or unfolded a component: its first open section is stored.
    void componentToggled();
    // In the wide layout the stored section starts open.
    void restoreExpandedSection();
    // Links the control to the parameter as the target and keeps the pair.
    void bind(gui::ValueControl* control, AbstractPluginParameter& parameter, uint32_t target);
    // The two controls move together under the link modifier, in the mode.
    void linkPair(gui::ValueControl* first, gui::ValueControl* second, gui::ValueLinkGroup::Mode mode);
    gui::Image* createImage(gui::Bitmap* bitmap, float x, float y, float width, float height, int opacity);
    // The dependent controls of the parameter (or of all for -1).
    void refreshProductControls(int32_t index);
    // The filter section and buttons follow their sets' parameters.
    void refreshFilterSection(int32_t index);
    void showRouting(int32_t routing);
    // Keeps the control in the slot until it dies.
    template <class T> T* keep(T*& slot, T* control) {
        slot = control;
        if (control != nullptr) watch(control, [&slot] { slot = nullptr; });
        return control;
    }
    void watch(gui::Component* control, std::function<void()> forget);

    class Watch;

    VarnelPlugin& plugin_;
    std::unique_ptr<Watch> watch_;
    std::unique_ptr<VarnelSkin> skin_;
    // The source strip's scroll buttons draw from it; it outlives the tree.
    std::unique_ptr<gui::Bitmap> scrollButtonBackground_;
    // Outlives the tree (the source controller and the panels use it).
    std::unique_ptr<SourceSlotController> slotController_;
    SourceController* sourceController_ = nullptr;
    // The panels' styles that the skin does not hold, and their skin.
    std::unique_ptr<gui::Switch::Style> egSliderStyle_, egLevelSliderStyle_;
    std::unique_ptr<gui::Switch::Style> stepSliderStyle_;
    std::unique_ptr<VarnelSourceSkin> sourceSkin_;
    // Goes before the slot controller (removeHandlers).
    std::unique_ptr<ModulationIndicatorManager> indicators_;
    std::unique_ptr<ControlBuilder> builder_;
    std::array<gui::Button*, kTopBarCount> topBar_{};
    BottomBar bottomBar_;
    std::array<DelayControls, kDelayCount> delays_{};
    gui::ToggleButton* modulationButton_ = nullptr;
    ComponentDisplay* componentDisplay_ = nullptr;
    gui::Control* delaySection_ = nullptr;
    std::array<gui::Image*, 2> stripBackgrounds_{};
    gui::Image* inputBackground_ = nullptr;
    std::array<gui::Image*, 2> displayCovers_{};
    gui::Image* delayDimmer_ = nullptr;
    gui::Image* freezeDimmer_ = nullptr;
    gui::Image* dryDimmer_ = nullptr;
    gui::Button* dryButton_ = nullptr;
    gui::Image* logo_ = nullptr;
    gui::ImageLabel* helpLabel_ = nullptr;
    std::array<gui::Image*, 3> routingBackgrounds_{};
    std::unique_ptr<gui::Light::Style> lightStyle_;
    std::array<gui::Control*, 2> filterButtons_{};
    std::array<gui::Button*, 2> sectionPresetButtons_{};
    FilterInterface* filterInterface_ = nullptr;
    std::vector<BoundControl> bound_;
    bool built_ = false;
};
