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
#include "gui/Component.h"
#include "plugin/GenericPlugin.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ILock;

namespace gui {
class RootControl;
class Timer;
} // namespace gui

class GenericPluginInterface : public GenericPluginInterfaceBase, public GenericPlugin::Listener {
public:
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
    // The "Scaling" entries for the current root and work area; the default
    // scale index is the monitor's, the current one the applied scale's.
    std::vector<ScalingEntry> scalingEntries(int32_t monitorDefaultIndex, int32_t currentIndex);
    SizeChecker& sizeChecker() const { return *sizeChecker_; }

    uint32_t featureFlags() const { return featureFlags_; }

protected:
    void detachFromModel() override;
    void stopTimersAndEdits() override;
    void removeHandlers() override;

private:
    void monitorChanged();

    uint32_t featureFlags_;
    std::unique_ptr<SizeChecker> sizeChecker_;
    bool attached_ = false;
};
