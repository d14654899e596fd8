#include "editor/ComponentPresetHandler.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "foundation/Files.h"
#include "gui/FileDialogs.h"
#include "gui/PopupMenu.h"
#include "gui/UserInterface.h"
#include "plugin/CollectionPresetLoader.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetManager.h"
#include "plugin/PresetParameterCollection.h"

#include <cmath>
#include <vector>

namespace {

std::string withSeparator(const std::string& folder) {
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

// Each subfolder a submenu, each preset an item that reports its path,
// "(No Presets)" for a folder with neither.
void listPresets(gui::Menu& menu, const PresetFolder& folder,
                 const std::function<void(std::string)>& chosen) {
    for (const auto& subfolder : folder.getSubfolders()) {
        auto* item = new gui::MenuItem(subfolder->getName());
        listPresets(*item, *subfolder, chosen);
        menu.addItem(item);
    }
    for (const auto& entry : folder.getEntries()) {
        auto* item = new gui::MenuItem(entry->name);
        // The path is copied: a rescan frees the entry.
        item->selectedEvent.addHandler(NotifyEvent::bind([chosen, path = entry->path] { chosen(path); }));
        menu.addItem(item);
    }
    if (folder.getSubfolders().empty() && folder.getEntries().empty()) {
        auto* none = new gui::MenuItem("(No Presets)");
        none->enabled.setValue(false);
        menu.addItem(none);
    }
}

} // namespace

ComponentPresetHandler::ComponentPresetHandler(GenericPluginInterfaceBase& owner, int32_t kind, int32_t index,
                                               std::function<gui::OpenSaveDialog&()> dialog)
    : owner_(owner), kind_(kind), index_(index), dialog_(std::move(dialog)),
      menu_(owner.userInterface().platformDelegate().createPopupMenu()) {
    menu_->openEvent.addHandler(NotifyEvent::bind(this, &ComponentPresetHandler::fillMenu));
}

ComponentPresetHandler::~ComponentPresetHandler() = default;

PresetManager* ComponentPresetHandler::folder() const {
    return owner_.plugin().getPresetManager(kind_);
}

void ComponentPresetHandler::fillMenu() {
    PresetManager* presets = folder();
    menu_->clear();
    if (presets == nullptr) return;
    presets->refresh(presets->getPath());
    if (presets->getCache() != nullptr) presets->update();
    menu_->setTitle(presets->getName());
    std::weak_ptr<int> alive = alive_;
    listPresets(*menu_, *presets, [this, alive](std::string path) {
        if (!alive.expired()) presetChosen(path);
    });
    menu_->addSeparator();
    auto* saveAsItem = new gui::MenuItem("Save As...");
    saveAsItem->selectedEvent.addHandler(NotifyEvent::bind([this, alive] {
        if (!alive.expired()) saveAs();
    }));
    menu_->addItem(saveAsItem);
    menu_->addSeparator();
    auto* defaultItem = new gui::MenuItem("Save As Default");
    defaultItem->selectedEvent.addHandler(NotifyEvent::bind([this, alive] {
        if (!alive.expired()) saveAsDefault();
    }));
    menu_->addItem(defaultItem);
}

ErrorResult& ComponentPresetHandler::loadComponentPreset(ErrorResult& result, const std::string& path) {
    PresetParameterCollection* collection = owner_.plugin().getParameterCollection(kind_, index_);
    if (collection == nullptr) {
        result.reportError(-1, kOpenFailed);
        return result;
    }
    return loadPresetFromEntry(*collection, result, PresetCacheEntry(path), -1);
}

void ComponentPresetHandler::presetChosen(const std::string& path) {
    std::vector<float> before;
    owner_.plugin().getMainCollection().getValues(before);
    ErrorResult result;
    loadComponentPreset(result, path);
    std::vector<float> after;
    owner_.plugin().getMainCollection().getValues(after);
    bool changed = after.size() != before.size();
    for (size_t i = 0; !changed && i < after.size(); ++i)
        changed = std::fabs(after[i] - before[i]) > 1.1920929e-7f;
    // A load that reports an error may still have applied part of the file.
    if (!result.hasError() || changed) owner_.storeUndoStep(-1);
    if (result.hasError()) owner_.showError(kOpenFailed, result.getErrorMessage());
}

bool ComponentPresetHandler::saveComponentPreset(const std::string& path) {
    PresetParameterCollection* collection = owner_.plugin().getParameterCollection(kind_, index_);
    return collection != nullptr &&
           collection->savePreset(path, PresetParameterCollection::presetFormat().version);
}

ErrorResult& ComponentPresetHandler::loadDefaultComponentPreset(ErrorResult& result) {
    PresetManager* presets = folder();
    const PresetCacheEntry* entry =
        presets != nullptr ? presets->findPresetByName(kDefaultName, PresetManager::kOwnTree) : nullptr;
    if (entry == nullptr) {
        result.reportError(-1, kNoDefault);
        return result;
    }
    return loadComponentPreset(result, std::string(entry->path));
}

void ComponentPresetHandler::saveAs() {
    PresetManager* presets = folder();
    if (presets == nullptr) return;
    const std::string extension = presets->getFilePattern();
    const std::string bare = !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
    createDirectories(presets->getPath());
    gui::OpenSaveDialog& dialog = dialog_();
    dialog.startFolder.setValue(presets->getPath());
    dialog.filters.setValue("Zentor Component Presets (*" + extension + ")|*" + extension +
                            "|All Files (*.*)|*.*");
    dialog.defaultExtension.setValue(bare);
    dialog.path.setValue("Component Preset");
    dialog.title.setValue(std::string());
    std::weak_ptr<int> alive = alive_;
    dialog.run(true);
    if (alive.expired()) return;
    if (dialog.chosen.getValue()) {
        const std::string path = dialog.path.getValue();
        if (!saveComponentPreset(path)) owner_.showError(kSaveFailed + path, std::string());
        if (alive.expired()) return;
    }
    if (PresetManager* rescanned = folder()) rescanned->refresh(rescanned->getPath());
}

void ComponentPresetHandler::saveAsDefault() {
    PresetManager* presets = folder();
    if (presets == nullptr) return;
    // The component's folder may not exist before its first preset.
    createDirectories(presets->getPath());
    const std::string path = withSeparator(presets->getPath()) + kDefaultName + presets->getFilePattern();
    if (!saveComponentPreset(path)) owner_.showError(kSaveFailed + path, std::string());
}
