#include "editor/StandardButtons.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/Button.h"
#include "gui/PopupMenu.h"
#include "gui/SelectButton.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/GenericPluginSnapshots.h"

#include <algorithm>

StandardButtons::StandardButtons(GenericPluginInterfaceBase& owner, Hooks hooks)
    : gui::Component(owner.userInterface()), owner_(owner), hooks_(std::move(hooks)) {}

StandardButtons::~StandardButtons() {
    for (gui::Button*& slot : slots_)
        if (slot != nullptr) {
            removeMenuHandler(*slot);
            unlink(slot);
            slot = nullptr;
        }
}

void StandardButtons::removeMenuHandler(gui::Button& button) {
    if (auto* select = dynamic_cast<gui::SelectButton*>(&button))
        if (auto* popup = dynamic_cast<gui::PopupMenu*>(&select->menu()))
            popup->openEvent.removeHandler(this, &StandardButtons::refreshSizeMenu);
}

void StandardButtons::refreshSizeMenu() {
    auto* select = dynamic_cast<gui::SelectButton*>(button(StandardButtonKind::kInterfaceSize));
    GenericPlugin::Settings* settings = owner_.plugin().getSettings();
    if (select == nullptr || settings == nullptr) return;
    const auto& sizes = settings->getInterfaceSizes();
    // A product that lists no sizes has nothing to choose.
    if (sizes.empty()) return;
    const gui::Rect work = owner_.userInterface().platformDelegate().monitorRect();
    const auto& items = select->menuItems();
    for (size_t i = 1; i < sizes.size() && i < items.size(); ++i) {
        const bool fits = static_cast<float>(sizes[i].first) < work.width() &&
                          static_cast<float>(sizes[i].second) < work.height();
        items[i]->enabled.setValue(fits);
    }
    select->value.setValue(settings->layoutIndex.getValue());
}

void StandardButtons::componentDeleted(gui::Component* component) {
    gui::Component::componentDeleted(component);
    for (gui::Button*& slot : slots_)
        if (slot == component) slot = nullptr;
}

namespace {

void setText(gui::Button& button, const char* text) {
    if (gui::Text* line = button.lineCount.getValue() > 0 ? button.textLine(0) : nullptr;
        line != nullptr && line->text.getValue() != text)
        line->text.setValue(text);
}

} // namespace

void StandardButtons::setStandardButton(int32_t kind, gui::Button* button) {
    if (kind < 0 || kind >= kCount) return;
    gui::Button*& slot = slots_[static_cast<size_t>(kind)];
    if (slot != nullptr && slot != button) {
        slot->clickEvent.clear();
        removeMenuHandler(*slot);
        unlink(slot);
    }
    slot = button;
    if (button == nullptr) return;
    link(button);
    button->clickEvent.setHandler(NotifyEvent::bind([this, kind] { click(kind); }));
    switch (static_cast<StandardButtonKind>(kind)) {
    case StandardButtonKind::kPresetName:
        if (hooks_.presetNameRegistered) hooks_.presetNameRegistered();
        owner_.updatePresetDisplay();
        break;
    case StandardButtonKind::kHelp:
        setText(*button, "Help");
        button->setPopupMenu(hooks_.helpMenu ? hooks_.helpMenu() : nullptr);
        break;
    case StandardButtonKind::kMidi:
        button->setPopupMenu(hooks_.midiMenu ? hooks_.midiMenu() : nullptr);
        break;
    case StandardButtonKind::kOptions:
        setText(*button, "Options");
        break;
    case StandardButtonKind::kInterfaceSize:
        if (auto* select = dynamic_cast<gui::SelectButton*>(button))
            if (auto* popup = dynamic_cast<gui::PopupMenu*>(&select->menu()))
                popup->openEvent.addHandler(NotifyEvent::bind(this, &StandardButtons::refreshSizeMenu));
        refreshSizeMenu();
        break;
    default:
        updateHistoryButtons();
        break;
    }
}

void StandardButtons::click(int32_t kind) {
    if (kind < 0 || kind >= kCount) return;
    GenericPlugin& model = owner_.plugin();
    switch (static_cast<StandardButtonKind>(kind)) {
    case StandardButtonKind::kUndo:
        if (GenericPlugin::UndoHistory* history = model.getUndoHistory()) history->undo();
        break;
    case StandardButtonKind::kRedo:
        if (GenericPlugin::UndoHistory* history = model.getUndoHistory()) history->redo();
        break;
    case StandardButtonKind::kCompareSwitch:
        // Restores the other slot and stores an undo step; the compare state
        // stays unchanged.
        if (GenericPlugin::CompareStates* compare = model.getCompareStates()) compare->toggle();
        break;
    case StandardButtonKind::kCompareCopy:
        if (GenericPlugin::CompareStates* compare = model.getCompareStates()) compare->copyToOther();
        break;
    case StandardButtonKind::kPreviousPreset:
        loadAdjacentPreset(PresetManager::kPrevious);
        break;
    case StandardButtonKind::kNextPreset:
        loadAdjacentPreset(PresetManager::kNext);
        break;
    case StandardButtonKind::kMidiLearn:
        if (hooks_.setMidiLearnActive) hooks_.setMidiLearnActive(!owner_.isMidiLearnActive());
        break;
    case StandardButtonKind::kOptions:
        if (hooks_.interfaceRequest) hooks_.interfaceRequest(kOptionsRequest);
        break;
    case StandardButtonKind::kInterfaceSize:
        chooseInterfaceSize(slots_[static_cast<size_t>(kind)]);
        break;
    case StandardButtonKind::kFreeSize:
        if (gui::Button* button = slots_[static_cast<size_t>(kind)]; button != nullptr && hooks_.setFreeSize)
            hooks_.setFreeSize(button->on.getValue());
        break;
    default:
        // The preset name, Help and MIDI buttons open their menus.
        break;
    }
    updateHistoryButtons();
}

void StandardButtons::loadAdjacentPreset(int32_t direction) {
    PresetManager* manager = owner_.plugin().getPresetManager(-1);
    if (manager == nullptr) return;
    const PresetCacheEntry* entry =
        manager->getAdjacentPreset(owner_.plugin().getCurrentPreset().getPath(), direction);
    // The path is copied: a rescan during the load frees the entry.
    if (entry != nullptr) owner_.loadPresetFile(std::string(entry->path));
}

void StandardButtons::chooseInterfaceSize(gui::Button* button) {
    if (hooks_.setFreeSize) hooks_.setFreeSize(false);
    GenericPlugin::Settings* settings = owner_.plugin().getSettings();
    auto* select = dynamic_cast<gui::SelectButton*>(button);
    // A product that lists no sizes stores nothing.
    if (settings == nullptr || select == nullptr || settings->getInterfaceSizes().empty()) return;
    settings->layoutIndex.setValue(select->value.getValue());
    if (hooks_.applyInterfaceSize) hooks_.applyInterfaceSize();
}

void StandardButtons::updateHistoryButtons() {
    GenericPlugin& model = owner_.plugin();
    const GenericPlugin::UndoHistory* history = model.getUndoHistory();
    const GenericPlugin::CompareStates* compare = model.getCompareStates();
    auto enable = [this](StandardButtonKind kind, bool on) {
        if (gui::Button* b = button(kind)) b->enabled.setValue(on);
    };
    enable(StandardButtonKind::kUndo, history != nullptr && history->getUndoCount() >= 1);
    enable(StandardButtonKind::kRedo, history != nullptr && history->getRedoCount() >= 1);
    enable(StandardButtonKind::kCompareCopy, compare != nullptr && compare->isChanged());
    if (gui::Button* b = button(StandardButtonKind::kCompareSwitch);
        b != nullptr && compare != nullptr && hooks_.showCompareSlot)
        hooks_.showCompareSlot(*b, compare->getActive());
}
