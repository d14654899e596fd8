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
// and bounded: notify only pushes (code, argument) into the channel, -1025
// into list 0 and every other code into list 1; idle does nothing. The
// model counts these calls; closing detaches from the model and waits
// (setInterface(null), in 50 ms pauses) until none is in progress. The
// closing thread must hold neither the adapter lock nor the interface's
// lock (the model's display-exchange lock), and must not itself be inside
// a listener call (checked in debug builds).
//
// Threading: GUI thread, except the listener calls above.

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/BasicPoint.h"
#include "gui/Color.h"
#include "gui/Component.h"
#include "plugin/GenericPlugin.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ComponentPresetHandler;
class HelpHint;
class ILock;
class PresetBar;
class StandardButtons;

namespace gui {
class Button;
class Control;
class PopupMenu;
class RootControl;
class Timer;
} // namespace gui

class GenericPluginInterface : public GenericPluginInterfaceBase, public GenericPlugin::Listener {
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
    // of a parameter, and told of the Options button's request (code 1). A
    // host may close the editor inside either request.
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
        kStoreUndoStep = -128,
    };
    // Panels of the panel mask (its bits).
    static constexpr int32_t kPanelCount = 16;

    GenericPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                           uint32_t featureFlags = 0);
    ~GenericPluginInterface() override;

    // --- GenericPlugin::Listener (any thread)
    void notify(int32_t code, int32_t value) noexcept override;
    void idle(uint32_t elapsedMs) noexcept override;
    void pluginChanged(int32_t code, int32_t argument) noexcept;
    // The root control of the user interface (read only), or null.
    gui::RootControl* getRootControlInterface() noexcept;

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

    // --- Size
    // The user drags the editor's size (the size check then waits).
    virtual bool isUserResizing() { return false; }
    // Brings the editor to the size the settings hold (the listed entry of
    // the layout index); the window's side belongs to the size commands.
    virtual void applyInterfaceSize();
    // Shows or hides a panel (its bit of the panel mask); off the GUI thread
    // it posts itself. A panel outside 0..15 does nothing.
    virtual void setPanelShown(int32_t panel, bool on);
    uint32_t panelMask() const { return panelMask_; }
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

    // --- Slots of the menus, MIDI learn and dialogs; empty here.
    // The overlay control that stays above the other controls, or null.
    virtual gui::Control* overlayControl() { return nullptr; }
    // The product's part of completeSetup: background, Help menu, its own
    // hooks and the preset selector's placement.
    virtual void setupInterface() {}
    virtual gui::PopupMenu* presetMenu() { return nullptr; }
    virtual gui::PopupMenu* helpMenu() { return nullptr; }
    virtual gui::PopupMenu* midiMenu() { return nullptr; }
    virtual void setMidiLearnActive(bool on) { (void)on; }
    virtual void midiLearnReceived(int32_t controller) { (void)controller; }
    virtual void midiControllerMapChanged() {}
    virtual void refreshLearnOverlay() {}
    // Whether the MIDI-learn overlay exists (its ghosts follow the links).
    virtual bool hasLearnOverlay() { return false; }
    // Posts one overlay refresh until the next drain, only with an overlay.
    void linksChanged() override;
    // The host's context menu (the listener's) at the control's last point.
    void openParameterContextMenu(int32_t index, gui::ValueControl* control) override;
    virtual void startupDone() {}
    virtual void openHelpDocument() {}
    virtual void openWebAddress() {}
    // The product's hooks for the model's codes -1024, -1028, -1031, -1033
    // and for a changed panel mask.
    virtual void productCommand(int32_t code, int32_t argument) { (void)code, (void)argument; }
    virtual void panelsChanged() {}
    // The A/B switch shows the active slot (a compare button's state).
    virtual void showCompareSlot(gui::Button& button, int32_t slot);
    // The preset name display's text colour; its alpha is scaled while the
    // preset is modified.
    void setPresetDisplayColor(const gui::Color& color);
    // Fired (sender: this) by the model's code -1032.
    NotifyEvent customSettingsEvent;

protected:
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
    bool attached_ = false;
};
