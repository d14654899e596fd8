#pragma once

// The editor's standard buttons, one slot per kind: undo, redo, the A/B
// switch and copy, preset stepping and the preset name, Help, MIDI learn,
// the MIDI menu, Options, the interface size and free size. Registering a
// button installs the click that its kind stands for; after every click the
// undo, redo and A/B buttons show the model's history again.
//
// A button dies with the tree: its slot is then empty (each registered
// button is linked to this object).
//
// Threading: GUI thread only.

#include "gui/Component.h"

#include <array>
#include <cstdint>
#include <functional>

class GenericPluginInterfaceBase;

namespace gui {
class Button;
class PopupMenu;
} // namespace gui

enum class StandardButtonKind : int32_t {
    kUndo = 0,
    kRedo = 1,
    kCompareSwitch = 2,
    kCompareCopy = 3,
    kPreviousPreset = 4,
    kPresetName = 5,
    kNextPreset = 6,
    kHelp = 7,
    // 8 is not used.
    kMidiLearn = 9,
    kMidi = 10,
    kOptions = 11,
    kInterfaceSize = 12,
    kFreeSize = 13,
};

class StandardButtons : public gui::Component {
public:
    static constexpr int32_t kCount = 14;
    // The Options button's request to the editor host.
    static constexpr int32_t kOptionsRequest = 1;

    // What the buttons reach of the editor beyond its base.
    struct Hooks {
        // The preset name display was registered (the preset bar is built).
        std::function<void()> presetNameRegistered;
        std::function<gui::PopupMenu*()> helpMenu;
        std::function<gui::PopupMenu*()> midiMenu;
        std::function<void(bool)> setMidiLearnActive;
        // To the editor host, when there is one.
        std::function<void(int32_t)> interfaceRequest;
        std::function<void(bool)> setFreeSize;
        std::function<void()> applyInterfaceSize;
        std::function<void(gui::Button&, int32_t)> showCompareSlot;
    };

    StandardButtons(GenericPluginInterfaceBase& owner, Hooks hooks);
    ~StandardButtons() override;

    // Stores the button (null empties the slot) and installs its click; a
    // kind outside 0..13 does nothing.
    void setStandardButton(int32_t kind, gui::Button* button);
    gui::Button* button(StandardButtonKind kind) const { return slots_[static_cast<size_t>(kind)]; }
    // What a click on the kind's button does, then the history buttons.
    void click(int32_t kind);
    // Undo and redo enabled by their counts, A/B copy by the changed flag,
    // the A/B switch showing the active slot.
    void updateHistoryButtons();
    // The interface-size button's menu: each listed size from the second on
    // is enabled only when it is strictly smaller than the work area in
    // both directions; the selection shows the current size. Run when the
    // button is registered, after each resize and whenever the menu opens.
    void refreshSizeMenu();

    void componentDeleted(gui::Component* component) override;

private:
    void loadAdjacentPreset(int32_t direction);
    void removeMenuHandler(gui::Button& button);
    void chooseInterfaceSize(gui::Button* button);

    GenericPluginInterfaceBase& owner_;
    Hooks hooks_;
    std::array<gui::Button*, kCount> slots_{};
};
