#pragma once

// EditorMenus: the editor's Help, MIDI and preset menus and the option
// items. Each menu is filled again just before it opens (a builder clears
// its menu first, so filling twice never duplicates), so it always shows the
// current settings, controller assignments and presets.
//
// Every item's action runs after its menu has closed, and only while the
// menus live (the user may close the editor meanwhile). Preset items carry
// copies of their paths: a rescan frees the catalogue's entries, and other
// editors' timers run while a menu is open.
//
// Threading: GUI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GenericPluginInterface;

namespace gui {
class Menu;
class MenuItem;
class PopupMenu;
} // namespace gui

class EditorMenus {
public:
    // Feature flags of the interface that add items.
    static constexpr uint32_t kFeatureEnableMidi = 1;
    static constexpr uint32_t kFeatureComponentDisplays = 4;

    static constexpr const char* kSaveMapFailed = "The MIDI controller map could not be saved: ";
    static constexpr const char* kRevertMapFailed = "The MIDI controller map could not be read: ";

    explicit EditorMenus(GenericPluginInterface& owner);
    ~EditorMenus();
    EditorMenus(const EditorMenus&) = delete;
    EditorMenus& operator=(const EditorMenus&) = delete;

    gui::PopupMenu& helpMenu() const { return *helpMenu_; }
    gui::PopupMenu& midiMenu() const { return *midiMenu_; }
    gui::PopupMenu& presetMenu() const { return *presetMenu_; }

    void buildHelpMenu();
    void buildMidiMenu();
    void fillPresetMenu();
    void addOptionsItems(gui::Menu& menu);

    // The actions of the items (also for the tests).
    void toggleInteractiveHelp(gui::MenuItem& item);
    void toggleComponentDisplays(gui::MenuItem& item);
    void toggleMidiReceived();
    void toggleProgramChanges();
    void revertMidiMap();
    void saveMidiMap();
    void loadFactoryMidiMap();
    void refreshPresets();

private:
    // An item whose action runs only while this object lives.
    gui::MenuItem* add(gui::Menu& menu, const std::string& text, std::function<void(gui::MenuItem&)> action);
    void fillClearMenu(gui::Menu& menu);

    GenericPluginInterface& owner_;
    std::unique_ptr<gui::PopupMenu> helpMenu_;
    std::unique_ptr<gui::PopupMenu> midiMenu_;
    std::unique_ptr<gui::PopupMenu> presetMenu_;
    // Expires with this object; the items' actions check it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
