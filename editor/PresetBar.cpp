#include "editor/PresetBar.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/HotspotButton.h"
#include "foundation/KeyValue.h"
#include "gui/Button.h"
#include "gui/FileDialogs.h"
#include "gui/Knob.h"
#include "gui/PopupMenu.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PresetCache.h"
#include "plugin/PresetLoader.h"
#include "plugin/PresetManager.h"
#include "plugin/PresetParameterCollection.h"

#include <sstream>

namespace {

using Delegate = gui::UserInterface::PlatformDelegate;

// Positions of the preset-bar menu's items after the optional "Favorite"
// and its separator.
enum MenuItem : int { kCopy = 0, kPaste = 1 };

std::string withSeparator(const std::string& folder) {
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

} // namespace

PresetBar::PresetBar(GenericPluginInterfaceBase& owner, Hooks hooks)
    : owner_(owner), hooks_(std::move(hooks)) {}

PresetBar::~PresetBar() = default;

void PresetBar::createPresetBar() {
    gui::Button* display = hooks_.display ? hooks_.display() : nullptr;
    if (display == nullptr) return;
    display->setPopupMenu(hooks_.presetMenu ? hooks_.presetMenu() : nullptr);
    if (!menu_) {
        menu_.reset(owner_.userInterface().platformDelegate().createPopupMenu());
        menu_->openEvent.addHandler(NotifyEvent::bind(this, &PresetBar::prepareMenu));
        std::weak_ptr<int> alive = alive_;
        auto add = [this, alive](const char* text, void (PresetBar::*action)()) {
            auto* item = new gui::MenuItem(text);
            item->selectedEvent.addHandler(NotifyEvent::bind([this, alive, action] {
                if (!alive.expired()) (this->*action)();
            }));
            menu_->addItem(item);
        };
        if (GenericPlugin::getPresetCache() != nullptr) {
            add("Favorite", &PresetBar::toggleFavorite);
            menu_->addSeparator();
        }
        add("Copy", &PresetBar::copy);
        add("Paste", &PresetBar::paste);
        menu_->addSeparator();
        add("Save", &PresetBar::savePreset);
        add("Save As...", &PresetBar::saveAs);
    }
    display->secondaryClickEvent.setHandler(NotifyEvent::bind(this, &PresetBar::showDisplayMenu));
}

void PresetBar::showDisplayMenu() {
    gui::Button* display = hooks_.display ? hooks_.display() : nullptr;
    if (display == nullptr || !menu_) return;
    menu_->show(display->toRoot(gui::Point(0.0f, 0.0f)));
}

void PresetBar::prepareMenu() {
    if (!menu_) return;
    int first = 0;
    if (PresetCache* cache = GenericPlugin::getPresetCache()) {
        const std::string& path = owner_.plugin().getCurrentPreset().getPath();
        gui::MenuItem* favorite = menu_->itemAt(0);
        favorite->enabled.setValue(!path.empty());
        menu_->itemAt(1)->enabled.setValue(!path.empty());
        favorite->isChecked.setValue(!path.empty() && cache->isFavorite(PresetCacheEntry(path)));
        first = 2;
    }
    menu_->itemAt(first + kPaste)->enabled.setValue(clipboardHoldsPreset());
}

bool PresetBar::clipboardHoldsPreset(std::string* error) const {
    const std::string text = owner_.userInterface().platformDelegate().clipboardText();
    if (text.empty() || text.size() > PresetParameterCollection::kMaxFileSize) {
        if (error != nullptr) *error = text.empty() ? kNoText : kTooLarge;
        return false;
    }
    std::istringstream stream(text, std::ios::in | std::ios::binary);
    KeyValueReader reader(stream);
    std::unique_ptr<PresetLoader> loader(owner_.plugin().createPresetLoader());
    ErrorResult result;
    PresetLoader::TextHeader header;
    if (loader->readTextHeader(result, reader, -1, std::string(), header)) return true;
    if (error != nullptr) *error = result.getErrorMessage();
    return false;
}

void PresetBar::toggleFavorite() {
    PresetCache* cache = GenericPlugin::getPresetCache();
    const std::string path = owner_.plugin().getCurrentPreset().getPath();
    if (cache == nullptr || path.empty()) return;
    const PresetCacheEntry entry(path);
    if (cache->isFavorite(entry))
        cache->removeFavorite(entry);
    else
        cache->addFavorite(entry);
}

void PresetBar::copy() {
    owner_.copyPresetToClipboard();
}

void PresetBar::paste() {
    std::string error;
    // Only what the menu would have enabled is loaded.
    if (!clipboardHoldsPreset(&error) || !owner_.pastePresetFromClipboard(&error))
        owner_.showError(kPasteFailed, error);
}

void PresetBar::savePreset() {
    const CurrentPresetRecord& current = owner_.plugin().getCurrentPreset();
    const std::string path = current.getPath();
    if (path.empty()) {
        saveAs();
        return;
    }
    // Two spaces before the quote: the question's two parts both carry one.
    const std::string question = std::string(kOverwriteQuestion) + " '" + current.getName() + "'?";
    std::weak_ptr<int> alive = alive_;
    owner_.userInterface().platformDelegate().messageBox(
        question, Delegate::kButtonOk | Delegate::kButtonCancel, [this, alive, path] {
            if (!alive.expired()) owner_.savePresetFile(path);
        });
}

gui::OpenSaveDialog& PresetBar::fileDialog() {
    if (!dialog_) dialog_.reset(owner_.userInterface().platformDelegate().createOpenSaveDialog());
    return *dialog_;
}

void PresetBar::saveAs() {
    const std::string extension = owner_.plugin().getPresetExtension();
    const std::string bare = extension.empty() || extension[0] != '.' ? extension : extension.substr(1);
    const std::string& name = owner_.plugin().getCurrentPreset().getName();
    std::shared_ptr<gui::OpenSaveDialog> dialog = (fileDialog(), dialog_);
    dialog->filters.setValue("Zentor Preset (*" + extension + ")|*" + extension + "|Any File (*.*)|*.*");
    dialog->defaultExtension.setValue(bare);
    dialog->startFolder.setValue(owner_.presetDialogFolder());
    dialog->path.setValue(name.empty() ? std::string("Preset") : name);
    dialog->title.setValue(std::string());
    std::weak_ptr<int> alive = alive_;
    dialog->run(true);
    if (alive.expired()) return;
    if (dialog->chosen.getValue())
        owner_.savePresetFile(dialog->path.getValue());
    else
        rescanMainFolder();
}

void PresetBar::rescanMainFolder() {
    PresetManager* manager = owner_.plugin().getPresetManager(-1);
    if (manager == nullptr) return;
    manager->refresh(manager->getPath());
    if (manager->getCache() != nullptr) manager->update();
}

void PresetBar::saveAsDefault() {
    GenericPlugin& model = owner_.plugin();
    PresetManager* manager = model.getPresetManager(-1);
    if (manager == nullptr) return;
    const std::string path =
        withSeparator(manager->getPath()) + model.getDefaultPresetName() + model.getPresetExtension();
    PresetCacheEntry entry(path);
    if (!model.savePreset(entry)) owner_.showError(kSaveFailed + path, std::string());
}

void PresetBar::openOtherPreset() {
    PresetManager* manager = owner_.plugin().getPresetManager(-1);
    std::shared_ptr<gui::OpenSaveDialog> dialog = (fileDialog(), dialog_);
    dialog->filters.setValue(kOpenFilters);
    dialog->defaultExtension.setValue("ztp");
    dialog->startFolder.setValue(manager != nullptr ? manager->getPath() : std::string());
    dialog->path.setValue("Preset");
    dialog->title.setValue(std::string());
    std::weak_ptr<int> alive = alive_;
    dialog->run(false);
    if (alive.expired() || !dialog->chosen.getValue()) return;
    owner_.loadPresetFile(dialog->path.getValue());
}

void PresetBar::restoreFactoryPresets() {
    std::weak_ptr<int> alive = alive_;
    owner_.userInterface().platformDelegate().messageBox(
        kRestoreQuestion, Delegate::kButtonOk | Delegate::kButtonCancel, [this, alive] {
            if (alive.expired()) return;
            // Overwrites, as the question says.
            if (!owner_.plugin().restoreFactoryPresets(true)) owner_.showError(kRestoreFailed, std::string());
        });
}

void PresetBar::changePresetFolder() {
    std::shared_ptr<gui::SelectFolderDialog> dialog(
        owner_.userInterface().platformDelegate().createSelectFolderDialog());
    PresetManager* manager = owner_.plugin().getPresetManager(-1);
    if (manager == nullptr) return;
    dialog->startFolder.setValue(manager->getPath());
    std::weak_ptr<int> alive = alive_;
    dialog->run();
    if (alive.expired() || !dialog->chosen.getValue()) return;
    manager = owner_.plugin().getPresetManager(-1);
    if (manager == nullptr) return;
    manager->refresh(withSeparator(dialog->path.getValue()));
    owner_.plugin().saveGlobalOptions();
    if (manager->getCache() != nullptr) manager->update();
}

void PresetBar::hotspotClicked(HotspotButton& hotspot) {
    gui::Knob* knob = hotspot.knob();
    const int32_t index = knob != nullptr ? owner_.indexOfControl(knob) : -1;
    AbstractPluginParameter* parameter = index >= 0 ? owner_.plugin().getParameter(index) : nullptr;
    if (parameter == nullptr) return;
    // One gesture (the host sees begin, value, end) and one undo step.
    const float plain = parameter->fromLinearNormalized(hotspot.normalizedValue());
    owner_.setLinkedParameterValue(gui::kGestureBegin, index, 0.0f, 0);
    owner_.setLinkedParameterValue(gui::kGestureChange, index, plain, 0);
    owner_.setLinkedParameterValue(gui::kGestureEnd, index, 0.0f, 0);
    owner_.plugin().setPresetModified(true);
    owner_.storeUndoStep(-1);
}
