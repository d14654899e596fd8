#include "editor/EditorMenus.h"

#include "editor/GenericPluginInterface.h"
#include "editor/HelpHint.h"
#include "editor/MidiMenuItem.h"
#include "editor/PresetBar.h"
#include "editor/PresetMenuItem.h"
#include "foundation/ModuleResources.h"
#include "foundation/Registry.h"
#include "gui/PopupMenu.h"
#include "gui/UserInterface.h"
#include "plugin/ControllerMapping.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/PresetManager.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Paths compare without regard to case, as Windows does.
bool startsWithFolder(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty() || path.size() < folder.size()) return false;
    return std::equal(folder.begin(), folder.end(), path.begin(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

// Half away from zero.
int32_t rounded(float value) {
    return static_cast<int32_t>(std::round(value));
}

} // namespace

EditorMenus::EditorMenus(GenericPluginInterface& owner) : owner_(owner) {
    gui::UserInterface::PlatformDelegate& delegate = owner.userInterface().platformDelegate();
    presetMenu_.reset(delegate.createPopupMenu());
    presetMenu_->setTitle("Preset");
    helpMenu_.reset(delegate.createPopupMenu());
    midiMenu_.reset(delegate.createPopupMenu());
    std::weak_ptr<int> alive = alive_;
    // Each menu is filled again as it opens.
    presetMenu_->openEvent.addHandler(NotifyEvent::bind([this, alive] {
        if (!alive.expired()) fillPresetMenu();
    }));
    helpMenu_->openEvent.addHandler(NotifyEvent::bind([this, alive] {
        if (!alive.expired()) buildHelpMenu();
    }));
    midiMenu_->openEvent.addHandler(NotifyEvent::bind([this, alive] {
        if (!alive.expired()) buildMidiMenu();
    }));
}

EditorMenus::~EditorMenus() = default;

gui::MenuItem* EditorMenus::add(gui::Menu& menu, const std::string& text,
                                std::function<void(gui::MenuItem&)> action) {
    auto* item = new gui::MenuItem(text);
    if (action) {
        std::weak_ptr<int> alive = alive_;
        item->selectedEvent.addHandler(NotifyEvent::bind([alive, action = std::move(action), item] {
            if (!alive.expired()) action(*item);
        }));
    }
    menu.addItem(item);
    return item;
}

// --- Help menu

void EditorMenus::buildHelpMenu() {
    gui::PopupMenu& menu = *helpMenu_;
    menu.clear();
    GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
    add(menu, "Help Topics",
        [this](gui::MenuItem&) { owner_.pluginChanged(GenericPluginInterface::kOpenHelpDocument, 0); });
    gui::MenuItem* help = add(menu, "Show Interactive Help Hints",
                              [this](gui::MenuItem& item) { toggleInteractiveHelp(item); });
    help->isChecked.setValue(shared != nullptr && shared->interactiveHelpShown.getValue());
    if ((owner_.featureFlags() & kFeatureComponentDisplays) != 0) {
        gui::MenuItem* displays = add(menu, "Show Component Displays",
                                      [this](gui::MenuItem& item) { toggleComponentDisplays(item); });
        displays->isChecked.setValue(shared != nullptr && shared->componentDisplaysShown.getValue());
    }
    menu.addSeparator();
    auto page = [this](int32_t kind) {
        return [this, kind](gui::MenuItem&) {
            owner_.setPendingWebAddress(owner_.openWebPage(kind));
            owner_.pluginChanged(GenericPluginInterface::kOpenWebAddress, 0);
        };
    };
    add(menu, "Zentor Web Site", page(GenericPluginInterface::kWebSitePage));
    add(menu, "Zentor Support", page(GenericPluginInterface::kSupportPage));
    menu.addSeparator();
    add(menu, "About", [this](gui::MenuItem&) { owner_.showAboutDialog(); });
}

void EditorMenus::toggleInteractiveHelp(gui::MenuItem& item) {
    GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
    if (shared == nullptr) return;
    shared->interactiveHelpShown.setValue(!shared->interactiveHelpShown.getValue());
    item.isChecked.setValue(shared->interactiveHelpShown.getValue());
    owner_.hint().clear();
}

void EditorMenus::toggleComponentDisplays(gui::MenuItem& item) {
    GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
    if (shared == nullptr) return;
    shared->componentDisplaysShown.setValue(!shared->componentDisplaysShown.getValue());
    item.isChecked.setValue(shared->componentDisplaysShown.getValue());
}

// --- MIDI menu

void EditorMenus::buildMidiMenu() {
    gui::PopupMenu& menu = *midiMenu_;
    menu.clear();
    GenericPlugin& model = owner_.plugin();
    AbstractPluginParameter* midiState = model.getMidiStateParameter();
    if ((owner_.featureFlags() & kFeatureEnableMidi) != 0 && midiState != nullptr) {
        gui::MenuItem* enable = add(menu, "Enable MIDI", [this](gui::MenuItem&) { toggleMidiReceived(); });
        // Checked at the value that lets MIDI through.
        enable->isChecked.setValue(rounded(midiState->getValue()) == GenericPluginBase::kMidiReceived);
        menu.addSeparator();
    }
    gui::MenuItem* clear = add(menu, "Clear", {});
    fillClearMenu(*clear);
    add(menu, "Revert", [this](gui::MenuItem&) { revertMidiMap(); });
    add(menu, "Save", [this](gui::MenuItem&) { saveMidiMap(); });
    if (owner_.hasFactoryControllerMap())
        add(menu, "Load Factory Settings", [this](gui::MenuItem&) { loadFactoryMidiMap(); });
    std::weak_ptr<int> alive = alive_;
    owner_.midiMenuEvent.notify(&owner_);
    if (alive.expired()) return;
    clear->enabled.setValue(clear->itemCount() > 0);
    if (clear->itemCount() > 0) {
        clear->addSeparator();
        add(*clear, "Clear All", [](gui::MenuItem&) {
            if (ControllerMapping* mapping = GenericPlugin::getControllerMapping()) mapping->clear();
        });
    }
}

void EditorMenus::fillClearMenu(gui::Menu& menu) {
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    if (mapping == nullptr) return;
    // (identifier, controller): parameters in index order, then the MIDI
    // virtual parameters; identifiers outside both are not listed.
    std::vector<std::pair<uint32_t, int32_t>> mapped;
    for (int32_t c = 0; c < ControllerMapping::numControllers; ++c) {
        const uint32_t id = mapping->getParameter(c);
        if (id != ControllerMapping::none && owner_.isLearnIdentifierMappable(id)) mapped.emplace_back(id, c);
    }
    std::sort(mapped.begin(), mapped.end());
    for (const auto& [id, controller] : mapped)
        menu.addItem(
            new GenericPluginInterface::MidiMenuItem(controller, owner_.learnIdentifierName(id), id));
}

void EditorMenus::toggleMidiReceived() {
    GenericPlugin& model = owner_.plugin();
    AbstractPluginParameter* midiState = model.getMidiStateParameter();
    const int32_t index = midiState != nullptr ? midiState->getIndex() : -1;
    if (index < 0 || model.getParameter(index) != midiState) return;
    const float value = rounded(midiState->getValue()) != 0 ? 0.0f : 1.0f;
    // One gesture and one undo step.
    owner_.setLinkedParameterValue(gui::kGestureBegin, index, 0.0f, 0);
    owner_.setLinkedParameterValue(gui::kGestureChange, index, value, 0);
    owner_.setLinkedParameterValue(gui::kGestureEnd, index, 0.0f, 0);
    model.setPresetModified(true);
    owner_.storeUndoStep(-1);
}

void EditorMenus::revertMidiMap() {
    if (!owner_.plugin().loadMidiControllerMapFromFile())
        owner_.showError(kRevertMapFailed + GenericPlugin::getProductFolder() + GenericPlugin::kMidiMapFile,
                         std::string());
}

void EditorMenus::saveMidiMap() {
    if (!owner_.plugin().saveMidiControllerMap())
        owner_.showError(kSaveMapFailed + GenericPlugin::getProductFolder() + GenericPlugin::kMidiMapFile,
                         std::string());
}

void EditorMenus::loadFactoryMidiMap() {
    owner_.plugin().loadMidiControllerMapFromResource();
}

// --- Preset menu

void EditorMenus::fillPresetMenu() {
    gui::PopupMenu& menu = *presetMenu_;
    menu.clear();
    if (owner_.hasPresetBrowser()) {
        addOptionsItems(menu);
        return;
    }
    GenericPlugin& model = owner_.plugin();
    const std::string current = model.getCurrentPreset().getPath();
    PresetManager* root = model.getPresetManager(-1);
    std::weak_ptr<int> alive = alive_;
    auto load = [this, alive](const std::string& path) {
        if (!alive.expired()) owner_.loadPresetFile(path);
    };
    bool listed = false;
    if (root != nullptr)
        for (const auto& entry : root->getEntries()) {
            auto* item = new PresetMenuItem(*entry, owner_, -1);
            item->isChecked.setValue(startsWithFolder(current, entry->path) &&
                                     current.size() == entry->path.size());
            // The item's own copy of the path.
            item->selectedEvent.addHandler(NotifyEvent::bind([load, item] { load(item->entry().path); }));
            menu.addItem(item);
            listed = true;
        }
    if (!listed) add(menu, "(No Presets)", {})->enabled.setValue(false);
    menu.addSeparator();
    if (root != nullptr && !root->getSubfolders().empty()) {
        for (const auto& folder : root->getSubfolders()) {
            auto* item = new gui::MenuItem(folder->getName());
            buildPresetMenu(*item, *folder, owner_, -1, current);
            item->isChecked.setValue(startsWithFolder(current, folder->getPath()));
            std::vector<gui::Menu*> pending{item};
            // Every preset item of the submenu loads its own path.
            while (!pending.empty()) {
                gui::Menu* sub = pending.back();
                pending.pop_back();
                for (int i = 0; i < sub->itemCount(); ++i) {
                    gui::MenuItem* child = sub->itemAt(i);
                    if (auto* preset = dynamic_cast<PresetMenuItem*>(child))
                        preset->selectedEvent.addHandler(
                            NotifyEvent::bind([load, preset] { load(preset->entry().path); }));
                    else
                        pending.push_back(child);
                }
            }
            menu.addItem(item);
        }
        menu.addSeparator();
    }
    add(menu, "Save As...", [this](gui::MenuItem&) { owner_.presetBar().saveAs(); });
    menu.addSeparator();
    gui::MenuItem* options = add(menu, "Options", {});
    addOptionsItems(*options);
}

void EditorMenus::addOptionsItems(gui::Menu& menu) {
    GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings();
    gui::MenuItem* programChanges =
        add(menu, "Enable MIDI Program Changes", [this](gui::MenuItem&) { toggleProgramChanges(); });
    programChanges->isChecked.setValue(shared != nullptr && shared->midiProgramChangesEnabled.getValue());
    menu.addSeparator();
    add(menu, "Save As Default", [this](gui::MenuItem&) { owner_.presetBar().saveAsDefault(); });
    menu.addSeparator();
    add(menu, "Open Other Preset...", [this](gui::MenuItem&) { owner_.presetBar().openOtherPreset(); });
    add(menu, "Change Preset Folder...", [this](gui::MenuItem&) { owner_.choosePresetFolder(); });
    add(menu, "Restore Factory Presets",
        [this](gui::MenuItem&) { owner_.presetBar().restoreFactoryPresets(); });
    add(menu, "Refresh", [this](gui::MenuItem&) { refreshPresets(); });
}

void EditorMenus::toggleProgramChanges() {
    if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings())
        shared->midiProgramChangesEnabled.setValue(!shared->midiProgramChangesEnabled.getValue());
}

void EditorMenus::refreshPresets() {
    if (PresetManager* manager = owner_.plugin().getPresetManager(-1)) {
        manager->refreshAll();
        if (manager->getCache() != nullptr) manager->update();
    }
}

// --- The interface's menu operations

void GenericPluginInterface::EditorMenusDeleter::operator()(EditorMenus* menus) const {
    delete menus;
}

void GenericPluginInterface::createMenus() {
    menus_.reset(new EditorMenus(*this));
}

gui::PopupMenu* GenericPluginInterface::presetMenu() {
    return menus_ ? &menus_->presetMenu() : nullptr;
}

gui::PopupMenu* GenericPluginInterface::helpMenu() {
    return menus_ ? &menus_->helpMenu() : nullptr;
}

gui::PopupMenu* GenericPluginInterface::midiMenu() {
    return menus_ ? &menus_->midiMenu() : nullptr;
}

void GenericPluginInterface::buildHelpMenu() {
    if (menus_) menus_->buildHelpMenu();
}

void GenericPluginInterface::buildMidiMenu() {
    if (menus_) menus_->buildMidiMenu();
}

void GenericPluginInterface::fillPresetMenu() {
    if (menus_) menus_->fillPresetMenu();
}

void GenericPluginInterface::addOptionsItems(gui::Menu& menu) {
    if (menus_) menus_->addOptionsItems(menu);
}

bool GenericPluginInterface::hasFactoryControllerMap() {
    return resourceExists(GenericPlugin::kMidiMapFile);
}

void GenericPluginInterface::choosePresetFolder() {
    if (presetBar_) presetBar_->changePresetFolder();
}

std::string GenericPluginInterface::openWebPage(int32_t kind) {
    return kind == kSupportPage ? kSupportAddress : kWebSiteAddress;
}

void GenericPluginInterface::openHelpDocument() {
    // Nothing without a help file.
    const std::string path = getHelpFileName();
    if (!path.empty()) userInterface().platformDelegate().openDocument(path);
}

void GenericPluginInterface::openWebAddress() {
    const std::string address = std::move(pendingWebAddress_);
    pendingWebAddress_.clear();
    if (!address.empty()) userInterface().platformDelegate().openDocument(address);
}
