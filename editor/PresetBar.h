#pragma once

// The editor's preset work around the preset name display: the preset-bar
// menu (Favorite, Copy, Paste, Save, Save As...), the overwrite question,
// the save and open dialogs (one kept dialog, every property set at each
// use), "Save As Default", restoring the factory presets, changing the
// preset folder, and the click of a hot spot.
//
// Every box, menu and dialog may outlive the editor (the user may close it
// meanwhile): their follow-ups run only while this object lives.
//
// Threading: GUI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GenericPluginInterfaceBase;
class HotspotButton;

namespace gui {
class Button;
class OpenSaveDialog;
class PopupMenu;
} // namespace gui

class PresetBar {
public:
    static constexpr const char* kPasteFailed = "Could not paste from the clipboard.";
    static constexpr const char* kNoText = "The clipboard holds no text.";
    static constexpr const char* kTooLarge = "The text on the clipboard is too large for a preset.";
    static constexpr const char* kOverwriteQuestion = "Are you sure you want to overwrite ";
    static constexpr const char* kRestoreQuestion =
        "Are you sure you want to restore the factory presets?\n\nIf you have overwritten any factory "
        "presets or the default preset, your changes will be undone.";
    static constexpr const char* kRestoreFailed =
        "Error: Unable to restore all factory presets.\n\nPlease make sure that your current preset folder "
        "path is valid and that your preset folder is not read-only.";
    static constexpr const char* kSaveFailed =
        "An error occurred while saving the preset. Please check that the preset file is writable: ";
    static constexpr const char* kOpenFilters = "Zentor Presets (*.ztp)|*.ztp|All Files (*.*)|*.*";

    struct Hooks {
        // The preset name display, or null.
        std::function<gui::Button*()> display;
        // The preset menu that a click on the display opens, or null.
        std::function<gui::PopupMenu*()> presetMenu;
    };

    PresetBar(GenericPluginInterfaceBase& owner, Hooks hooks);
    ~PresetBar();
    PresetBar(const PresetBar&) = delete;
    PresetBar& operator=(const PresetBar&) = delete;

    // The display's menus: the preset menu on a click, the preset-bar menu
    // on a secondary click. The preset-bar menu is made once.
    void createPresetBar();
    gui::PopupMenu* menu() const { return menu_.get(); }
    // Before the preset-bar menu opens: Favorite and its state, Paste.
    void prepareMenu();
    // Whether the clipboard holds text (within the preset size cap) that
    // starts with a preset text header the model accepts; changes nothing.
    // Otherwise the reason goes to error (when given).
    bool clipboardHoldsPreset(std::string* error = nullptr) const;

    void toggleFavorite();
    void copy();
    void paste();
    // The overwrite question, or Save As without a path.
    void savePreset();
    void saveAs();
    void saveAsDefault();
    void openOtherPreset();
    void restoreFactoryPresets();
    void changePresetFolder();
    // Sets the hot spot's knob's parameter to its value and stores an undo
    // step; nothing for a dead or unbound knob.
    void hotspotClicked(HotspotButton& hotspot);

    gui::OpenSaveDialog& fileDialog();

private:
    void showDisplayMenu();
    void rescanMainFolder();

    GenericPluginInterfaceBase& owner_;
    Hooks hooks_;
    std::unique_ptr<gui::PopupMenu> menu_;
    // Shared with a running dialog, which may outlive this object.
    std::shared_ptr<gui::OpenSaveDialog> dialog_;
    // Expires with this object; the follow-ups of modal calls check it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
