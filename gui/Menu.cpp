#include "gui/Menu.h"

#include <algorithm>

namespace gui {

Menu::Menu(std::string title) : title_(std::move(title)) {}

Menu::~Menu() {
    deleteItemsSilently();
}

void Menu::deleteItemsSilently() {
    while (!items_.empty()) {
        MenuItem* item = items_.back();
        items_.pop_back();
        item->parentMenu_ = nullptr;
        delete item;
    }
}

void Menu::update() {
    firePendingNotifications();
    changeEvent.notify(this);
}

int Menu::itemCount() const {
    return static_cast<int>(items_.size());
}

MenuItem* Menu::itemAt(int index) const {
    if (index < 0 || index >= itemCount()) return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

void Menu::insertItem(int index, MenuItem* item) {
    if (item == nullptr || item == this) return;
    if (Menu* previous = item->parentMenu_) {
        auto& theirs = previous->items_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), item), theirs.end());
        item->parentMenu_ = nullptr;
        if (previous != this) previous->requestUpdate();
    }
    index = std::clamp(index, 0, itemCount());
    items_.insert(items_.begin() + index, item);
    item->parentMenu_ = this;
    requestUpdate();
}

MenuItem* Menu::addSeparator() {
    auto* item = new MenuItem("-");
    addItem(item);
    return item;
}

void Menu::clear() {
    deleteItemsSilently();
    requestUpdate();
}

MenuItem::MenuItem(const std::string& initialText)
    : text(this, initialText), isChecked(this, false), enabled(this, true), id(nullptr, 0),
      visible(this, true) {}

MenuItem::~MenuItem() {
    // An item deleted on its own leaves its menu's list (silently).
    if (parentMenu_ != nullptr) {
        auto& siblings = parentMenu_->items_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void MenuItem::update() {
    Menu::update();
    if (parentMenu_ != nullptr) parentMenu_->requestUpdate();
}

void MenuItem::fireSelected() {
    selectedEvent.notify(this);
}

void MenuItem::propertyChanged(AbstractProperty&) {
    requestUpdate();
}

} // namespace gui
