#include "editor/PresetMenuItem.h"

#include "foundation/StringUtils.h"
#include "plugin/PresetFolder.h"

#include <utility>

namespace {

// Paths compare without regard to case, as Windows does.
bool samePath(const std::string& a, const std::string& b) {
    return toLowerAscii(a) == toLowerAscii(b);
}

bool insideFolder(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.size() > folder.size() && samePath(path.substr(0, folder.size()), folder);
}

} // namespace

PresetMenuItem::PresetMenuItem(PresetCacheEntry entry, GenericPluginInterfaceBase& interface, int32_t kind)
    : gui::MenuItem(entry.name), entry_(std::move(entry)), interface_(&interface), kind_(kind) {}

void buildPresetMenu(gui::Menu& menu, const PresetFolder& folder, GenericPluginInterfaceBase& interface,
                     int32_t kind, const std::string& currentPath) {
    menu.clear();
    menu.setTitle(folder.getName());
    for (const auto& subfolder : folder.getSubfolders()) {
        auto* item = new gui::MenuItem(subfolder->getName());
        buildPresetMenu(*item, *subfolder, interface, kind, currentPath);
        item->isChecked.setValue(insideFolder(currentPath, subfolder->getPath()));
        menu.addItem(item);
    }
    for (const auto& entry : folder.getEntries()) {
        auto* item = new PresetMenuItem(*entry, interface, kind);
        item->isChecked.setValue(samePath(entry->path, currentPath));
        menu.addItem(item);
    }
    if (folder.getSubfolders().empty() && folder.getEntries().empty()) {
        auto* none = new gui::MenuItem("(No Presets)");
        none->enabled.setValue(false);
        menu.addItem(none);
    }
}
