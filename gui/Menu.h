#pragma once

// Pop-up menus described independently of the platform: a menu is an
// ordered list of owned items, and an item is itself a menu (an item with
// items is a submenu). Changes are batched through the update hold; the
// update fires the change event, and an item's update also asks its parent
// menu for an update, so a change anywhere reaches every enclosing menu
// (innermost first, once per update).
//
// Destroying a menu deletes its items without firing anything: the
// listeners of a dying menu are often its owner, being destroyed too.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "foundation/UpdatedObject.h"

#include <string>
#include <vector>

namespace gui {

class MenuItem;

class Menu : public UpdatedObject {
public:
    explicit Menu(std::string title = {});
    ~Menu() override;

    NotifyEvent changeEvent;

    // Fires the pending records, then the change event.
    void update() override;
    virtual int itemCount() const;
    virtual MenuItem* itemAt(int index) const;

    // Takes ownership and inserts the item before position index (clamped
    // into [0, count]); the item's parent menu becomes this menu.
    void insertItem(int index, MenuItem* item);
    void addItem(MenuItem* item) { insertItem(itemCount(), item); }
    // Appends an item with the text "-"; returns it.
    MenuItem* addSeparator();
    // Deletes every item, then runs the update.
    void clear();

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

private:
    friend class MenuItem;

    void deleteItemsSilently();

    std::string title_;
    std::vector<MenuItem*> items_;
};

class MenuItem : public Menu, public PropertyOwner {
public:
    explicit MenuItem(const std::string& text = {});
    ~MenuItem() override;

    Property<std::string> text; // "-" makes the item a separator
    Property<bool> isChecked;
    Property<bool> enabled;
    Property<int> id; // the caller's tag; no owner
    Property<bool> visible;

    NotifyEvent selectedEvent;

    // The item's own update, then its parent menu's.
    void update() override;
    // Fires the selected event (the platform calls it for the chosen item
    // after the menu has closed). A handler may delete the item.
    virtual void fireSelected();

    Menu* parentMenu() const { return parentMenu_; }
    bool isSeparator() const { return text.getValue() == "-"; }

    void propertyChanged(AbstractProperty& property) override;

private:
    friend class Menu;
    Menu* parentMenu_ = nullptr;
};

} // namespace gui
