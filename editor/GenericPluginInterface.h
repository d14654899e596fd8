#pragma once

// GenericPluginInterface: the editor attached to the model. It is the
// model's listener: changes made outside the editor (host automation, preset
// loads, undo) reach the controls on the thread that drains the message
// channel, never on the caller's. It adds the periodic size check and the
// scaling choices, and the slots that the menus, commands and component
// presets of the editor fill in.
//
// The model's calls (notify, idle) and getRootControlInterface may come
// from any thread, the audio thread included. Each is noexcept, lock-free
// and bounded: notify only pushes (code, argument) into the channel,
// GenericPlugin::kParameterChanged into the frame list and every other code into
// the GUI list; idle does nothing. The model counts these calls; closing
// detaches from the model and waits (setInterface(null), in 50 ms pauses)
// until none is in progress. The closing thread must hold neither the
// adapter lock nor the interface's lock (the model's display-exchange
// lock), and must not itself be inside a listener call (checked in debug
// builds).
//
// The model holds a small member object as its listener, not the editor
// itself: the audio thread may call it while the constructors of the layers
// above are still running, and a call through the editor's own vtable would
// then read a vtable pointer that those constructors are writing. The member
// forwards to non-virtual operations, so nothing it reaches changes during
// construction.
//
// Threading: GUI thread, except the listener calls above.

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/PositionToParameterInfo.h"
#include "gui/BasicPoint.h"
#include "gui/Color.h"
#include "gui/Component.h"
#include "plugin/GenericPlugin.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ComponentPresetHandler;
class EditorMenus;
class HelpHint;
class IndicatorLight;
class ILock;
class MidiLearnController;
class MidiLearnMode;
class PresetBar;
class StandardButtons;
class WatchedControl;

namespace gui {
class Button;
class Control;
class Menu;
class PopupMenu;
class RootControl;
class Timer;
} // namespace gui

class GenericPluginInterface : public GenericPluginInterfaceBase {
public:
    // An item of the MIDI menu (editor/MidiMenuItem.h).
    class MidiMenuItem;

    // Checks, one second after each start, that the root fits in the work
    // area and shrinks the editor to the largest listed size that fits.
    class SizeChecker : public gui::Component {
    public:
        static constexpr int kInterval = 1000;

        explicit SizeChecker(GenericPluginInterface& owner);
        ~SizeChecker() override;

        // Starts (or restarts) the timer: one start gives one check.
        void start();
        void stop();
        void check();
        gui::Timer& timer() const { return *timer_; }

    private:
        GenericPluginInterface& owner_;
        gui::Timer* timer_;
    };

    // One entry of the "Scaling" submenu.
    struct ScalingEntry {
        std::string text;
        float factor = 1.0f;
        bool enabled = false;
        bool ticked = false;
    };
    static constexpr float kScaleFactors[] = {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.25f, 2.5f, 3.0f};

    // The editor host: asked for size changes and the host's context menu
    // of a parameter, and told of the Options button's request
    // (StandardButtons::kOptionsRequest). A host may close the editor inside
    // either request.
    class InterfaceListener {
    public:
        virtual ~InterfaceListener() = default;
        // True when the host took the new size (logical units).
        virtual bool requestResize(int32_t width, int32_t height) = 0;
        virtual void interfaceRequest(int32_t code) { (void)code; }
        // The host's menu of the parameter at the point (root coordinates).
        virtual void popupContextMenu(int32_t index, const gui::Point& point) { (void)index, (void)point; }
    };

    // The editor's own message codes (the model's are the listener codes).
    enum Command : int32_t {
        kSetPanelShown = -6,
        kApplyInterfaceSize = -5,
        kRefreshLearnOverlay = -4,
        kStartupDone = -3,
        kOpenHelpDocument = -2,
        kOpenWebAddress = -1,
    };
    // Panels of the panel mask (its bits).
    static constexpr int32_t kPanelCount = 16;
    // Feature bit: a full refresh refreshes the linked range at once.
    static constexpr uint32_t kRefreshLinkedRange = 2;

    GenericPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                           uint32_t featureFlags = 0);
    ~GenericPluginInterface() override;

    // --- What the model's listener forwards (any thread)
    void notify(int32_t code, int32_t value) noexcept;
    void idle(uint32_t elapsedMs) noexcept;
    void pluginChanged(int32_t code, int32_t argument) noexcept;
    // The root control of the user interface (read only), or null.
    gui::RootControl* getRootControlInterface() noexcept;
    // The listener the model holds while the editor is attached.
    GenericPlugin::Listener& modelListener() noexcept { return modelLink_; }

    void idle() override;

    // Links a control that is also a modulation target (its number, or
    // kNoModulationTarget); here the target is not used (the modulation
    // editor takes it).
    static constexpr uint32_t kNoModulationTarget = ~0u;
    using ControlChangeManager::linkControl;
    virtual void linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control,
                             uint32_t modulationTarget);

    // The interface's lock: the model's display-exchange lock.
    ILock& interfaceLock() const;

    // --- Parameters under a point (root coordinates)
    using PositionToParameterInfo = ::PositionToParameterInfo;
    static constexpr uint32_t kNoParameter = ~0u;
    // Appends the parameters of the deepest control under the point: those
    // a PositionToParameterInfo control names, else a value control's
    // controlId.
    virtual void parametersAt(const gui::Point& point, std::vector<int32_t>& indices);
    // The first of them, or kNoParameter.
    virtual uint32_t parameterAt(const gui::Point& point);

    // --- The reference control, by which floating parts (the help hint) are
    // placed: asked of the provider when one is set, else the stored control
    // (forgotten when it dies).
    void setReferenceControl(gui::Control* control);
    void setReferenceProvider(std::function<gui::Control*()> provider);
    // Its rectangle in root coordinates; empty without one.
    gui::Rect getReferenceRectangle() override;

    // --- Size
    // The user drags the editor's size (the size check then waits).
    virtual bool isUserResizing() { return false; }
    // Brings the editor to the size the settings hold (the listed entry of
    // the layout index); the window's side belongs to the size commands.
    virtual void applyInterfaceSize();
    // Shows or hides a panel (its bit of the panel mask); off the GUI thread
    // it posts itself. A panel outside 0..15 does nothing.
    virtual void setPanelShown(int32_t panel, bool on);
    // The settings' "InterfacePanels" (the editor's own mask without settings).
    uint32_t panelMask() const;
    // Free size: the root follows the window (only the free-size button
    // sets it).
    bool isFreeSize() const { return freeSize_; }
    void setFreeSize(bool on) { freeSize_ = on; }
    // The scale index of a "Scaling" choice: stored for the monitor's class,
    // applied, and written into "ScalingAdjustments".
    void chooseScaling(int32_t index);
    // The monitor-default scale index from the monitor's work area.
    void updateMonitorDefaultScale();
    // From start (clamped into 0..7), steps up while the next factor x 1500
    // / backing scale fits in the work width (logical units).
    static int32_t monitorDefaultScaleIndex(float workWidth, float backingScale, int32_t start);
    void setInterfaceListener(InterfaceListener* listener) { interfaceListener_ = listener; }
    InterfaceListener* interfaceListener() const { return interfaceListener_; }
    // The "Scaling" entries for the current root and work area; the default
    // scale index is the monitor's, the current one the applied scale's.
    std::vector<ScalingEntry> scalingEntries(int32_t monitorDefaultIndex, int32_t currentIndex);
    SizeChecker& sizeChecker() const { return *sizeChecker_; }

    uint32_t featureFlags() const { return featureFlags_; }

    // --- Commands (GUI thread): the editor's codes and the model's.
    void handleCommand(int32_t code, int32_t argument) override;
    void storeUndoStep(int32_t index) override;
    void updatePresetDisplay() override;
    // The controls, then the preset display.
    void refreshControls(int32_t index) override;
    void refreshAll() override;
    StandardButtons& standardButtons() const { return *standardButtons_; }
    HelpHint& hint() const { return *helpHint_; }
    PresetBar& presetBar() const { return *presetBar_; }
    // One per component kind of the model and index of that kind; null
    // outside them.
    ComponentPresetHandler* getComponentPresetHandler(int32_t kind, int32_t index) override;
    // The help hint (flags: HelpHint's), with "$plugin" as the product.
    void showHelpHintText(const std::string& text, int32_t flags);
    void helpHint(const std::string& text) override;
    void hotspotClicked(HotspotButton& button) override;

    // The second construction step, once the product has built its
    // controls: the overlay on top, every control refreshed, the product's
    // setup, the help hint cleared, the welcome hint, the preset cache's
    // background refresh.
    virtual void completeSetup();
    bool isBuilt() const { return built_; }

    // --- Menus, MIDI learn and dialogs.
    // The overlay control that stays above the other controls, or null.
    virtual gui::Control* overlayControl() { return nullptr; }
    // The product's part of completeSetup: background, Help menu, its own
    // hooks and the preset selector's placement.
    virtual void setupInterface() {}
    virtual gui::PopupMenu* presetMenu();
    virtual gui::PopupMenu* helpMenu();
    virtual gui::PopupMenu* midiMenu();
    // Each fills its menu anew (editor/EditorMenus.h).
    virtual void buildHelpMenu();
    virtual void buildMidiMenu();
    virtual void fillPresetMenu();
    virtual void addOptionsItems(gui::Menu& menu);
    void rebuildHelpMenu() { buildHelpMenu(); }
    EditorMenus& menus() const { return *menus_; }
    // Fired (sender: this) after the MIDI menu's fixed items; handlers may
    // append theirs.
    NotifyEvent midiMenuEvent;
    // Fired (sender: this) after the model's controller map changed.
    NotifyEvent controllerMapEvent;
    // A preset browser of the product's own leaves the preset menu only the
    // option items.
    virtual bool hasPresetBrowser() { return false; }
    // The factory controller map is offered (a module resource holds it).
    virtual bool hasFactoryControllerMap();
    // The folder dialog: OK sets the main preset folder, saves the global
    // options and rescans.
    virtual void choosePresetFolder();
    virtual void showAboutDialog() {}
    // The web pages of the Help menu (a WebPage): the maker's site, support.
    enum WebPage : int32_t { kWebSitePage = 0, kSupportPage = 1 };
    static constexpr const char* kWebSiteAddress = "https://zentor.example/";
    static constexpr const char* kSupportAddress = "https://zentor.example/support/";
    virtual std::string openWebPage(int32_t kind);
    void setPendingWebAddress(std::string address) { pendingWebAddress_ = std::move(address); }
    const std::string& pendingWebAddress() const { return pendingWebAddress_; }

    // MIDI learn (editor/MidiLearnMode.h).
    bool isMidiLearnActive() override;
    virtual void setMidiLearnActive(bool on);
    MidiLearnMode& midiLearn() const { return *midiLearn_; }
    // The mode's armed identifier and its rules (MidiLearnMode's).
    void armLearnIdentifier(uint32_t identifier);
    uint32_t armedLearnIdentifier() const;
    bool isLearnIdentifierMappable(uint32_t identifier) const;
    std::string learnIdentifierName(uint32_t identifier) const;
    // The overlay of the mode (null: the mode has none).
    virtual MidiLearnController* createMidiLearnOverlay() { return nullptr; }
    // The product's own ghosts on a new overlay.
    virtual void addMidiLearnGhosts(MidiLearnController& overlay) { (void)overlay; }
    // The name of the k-th MIDI source of the product, or empty.
    virtual std::string midiSourceName(int32_t k) {
        (void)k;
        return {};
    }
    virtual void midiLearnReceived(int32_t controller);
    // After kMidiControllerSeen: the overlay shows the new assignment and the MIDI
    // indicator lights for kMidiIndicatorMs.
    virtual void midiLearnAssigned();
    // The light that shows MIDI arriving (null: none; forgotten when it dies).
    static constexpr int kMidiIndicatorMs = 250;
    void setMidiIndicator(IndicatorLight* light);
    IndicatorLight* midiIndicator() const;
    // kControllerMappingChanged: the map is written (silently), the overlay told, the
    // controller-map event fired.
    virtual void midiControllerMapChanged();
    virtual void refreshLearnOverlay();
    // Whether the MIDI-learn overlay exists (its ghosts follow the links).
    virtual bool hasLearnOverlay();
    // Posts one overlay refresh until the next drain, only with an overlay.
    void linksChanged() override;
    // The host's context menu (the listener's) at the control's last point.
    void openParameterContextMenu(int32_t index, gui::ValueControl* control) override;
    virtual void startupDone() {}
    // -2: the help document, when there is one, with the system's program.
    virtual void openHelpDocument();
    // -1: the pending web address, with the system's program.
    virtual void openWebAddress();
    // The product's hooks for the model's codes kProductNotification,
    // kExtraValuesRestored, kInstanceNameChanged, kTrackInfoChanged and for a
    // changed panel mask.
    virtual void productCommand(int32_t code, int32_t argument) { (void)code, (void)argument; }
    virtual void panelsChanged() {}
    // The A/B switch shows the active slot (a compare button's state).
    virtual void showCompareSlot(gui::Button& button, int32_t slot);
    // The preset name display's text colour; its alpha is scaled while the
    // preset is modified.
    void setPresetDisplayColor(const gui::Color& color);
    // Fired (sender: this) by the model's code kCustomSettingsChanged.
    NotifyEvent customSettingsEvent;

protected:
    // The model's parameter of an index (beside parameterAt of a point).
    using ControlChangeManager::parameterAt;
    void detachFromModel() override;
    void stopTimersAndEdits() override;
    void removeHandlers() override;

private:
    void monitorChanged();
    void scaleChanged();
    void rootBoundsChanged();
    void setRootSize(float width, float height);

    uint32_t featureFlags_;
    InterfaceListener* interfaceListener_ = nullptr;
    std::unique_ptr<HelpHint> helpHint_;
    std::unique_ptr<StandardButtons> standardButtons_;
    std::unique_ptr<PresetBar> presetBar_;
    // Made, closed and deleted by their own units (no include cycle).
    struct EditorMenusDeleter {
        void operator()(EditorMenus* menus) const;
    };
    struct MidiLearnModeDeleter {
        void operator()(MidiLearnMode* mode) const;
    };
    void createMenus();
    void createMidiLearn();
    void closeMidiLearn();
    std::unique_ptr<EditorMenus, EditorMenusDeleter> menus_;
    std::unique_ptr<MidiLearnMode, MidiLearnModeDeleter> midiLearn_;
    std::string pendingWebAddress_;
    std::vector<std::vector<std::unique_ptr<ComponentPresetHandler>>> componentPresetHandlers_;
    uint32_t panelMask_ = 0;
    bool freeSize_ = false;
    bool settingRootSize_ = false;
    bool built_ = false;
    bool learnRefreshPending_ = false;
    gui::Color presetDisplayColor_{0, 0, 0, 255};
    std::string shownPresetName_;
    gui::Color shownPresetColor_{0, 0, 0, 0};
    bool presetDisplayShown_ = false;
    std::unique_ptr<SizeChecker> sizeChecker_;
    class ReferenceWatch;
    std::unique_ptr<ReferenceWatch> reference_;
    std::unique_ptr<WatchedControl> midiIndicator_;
    std::function<gui::Control*()> referenceProvider_;
    bool attached_ = false;

    class ModelLink final : public GenericPlugin::Listener {
    public:
        explicit ModelLink(GenericPluginInterface& owner) : owner_(owner) {}
        void notify(int32_t code, int32_t value) override { owner_.notify(code, value); }
        void idle(uint32_t elapsedMs) override { owner_.idle(elapsedMs); }

    private:
        GenericPluginInterface& owner_;
    };
    ModelLink modelLink_{*this};
};
