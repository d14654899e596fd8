#pragma once

// A menu item that stands for one preset file, and the builder of a preset
// menu from a preset folder: each subfolder a submenu (ticked when the
// current preset lies inside it), each preset an item (ticked when it is the
// current one), "(No Presets)" (disabled) for a folder with neither.
//
// What choosing an item does belongs to the editor's preset handling.
//
// Threading: GUI thread only.

#include "gui/Menu.h"
#include "plugin/PresetCacheEntry.h"

#include <cstdint>
#include <string>

class GenericPluginInterfaceBase;
class PresetFolder;

class PresetMenuItem : public gui::MenuItem {
public:
    // kind: -1 for the main presets, else a component kind.
    PresetMenuItem(PresetCacheEntry entry, GenericPluginInterfaceBase& interface, int32_t kind);

    const PresetCacheEntry& entry() const { return entry_; }
    GenericPluginInterfaceBase& interface() const { return *interface_; }
    int32_t kind() const { return kind_; }

private:
    PresetCacheEntry entry_;
    GenericPluginInterfaceBase* interface_;
    int32_t kind_;
};

void buildPresetMenu(gui::Menu& menu, const PresetFolder& folder, GenericPluginInterfaceBase& interface,
                     int32_t kind, const std::string& currentPath);
