#pragma once

// The presets of one component (a section of the plug-in, one of the
// model's component kinds, at one index): its menu lists the component's
// preset folder, then "Save As..." and "Save As Default"; choosing a preset
// loads it into that component alone, with one undo step.
//
// A load that applies part of a file and reports an error (an unknown key)
// still stores its undo step, so the state before it stays within reach.
// Boxes and dialogs that outlive the editor run nothing afterwards.
//
// Threading: GUI thread only.

#include "foundation/ErrorResult.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GenericPluginInterfaceBase;
class PresetCacheEntry;
class PresetManager;

namespace gui {
class OpenSaveDialog;
class PopupMenu;
} // namespace gui

class ComponentPresetHandler {
public:
    static constexpr const char* kOpenFailed = "The preset file could not be opened.";
    static constexpr const char* kSaveFailed =
        "An error occurred while saving the preset. Please check that the preset file is writable: ";
    static constexpr const char* kDefaultName = "Default";
    static constexpr const char* kNoDefault = "Default component preset not found.";

    // dialog: the editor's kept file dialog.
    ComponentPresetHandler(GenericPluginInterfaceBase& owner, int32_t kind, int32_t index,
                           std::function<gui::OpenSaveDialog&()> dialog);
    ~ComponentPresetHandler();
    ComponentPresetHandler(const ComponentPresetHandler&) = delete;
    ComponentPresetHandler& operator=(const ComponentPresetHandler&) = delete;

    int32_t kind() const { return kind_; }
    int32_t index() const { return index_; }
    gui::PopupMenu& menu() const { return *menu_; }
    // The component's preset folder (the model's catalogue of the kind).
    PresetManager* folder() const;

    // Rescans the folder and lists it, then "Save As..." and "Save As
    // Default" (run before the menu opens).
    void fillMenu();
    // A preset of the menu was chosen: loaded, an error shown, or one undo
    // step stored.
    void presetChosen(const std::string& path);
    // Loads into the component; the result carries the loader's error.
    ErrorResult& loadComponentPreset(ErrorResult& result, const std::string& path);
    bool saveComponentPreset(const std::string& path);
    // "Default" of the component's folder; code -1 when there is none.
    ErrorResult& loadDefaultComponentPreset(ErrorResult& result);
    void saveAs();
    void saveAsDefault();

private:
    GenericPluginInterfaceBase& owner_;
    int32_t kind_;
    int32_t index_;
    std::function<gui::OpenSaveDialog&()> dialog_;
    std::unique_ptr<gui::PopupMenu> menu_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
