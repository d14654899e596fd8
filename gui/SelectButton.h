#pragma once

// The list-parameter button: it shows the current choice's name (or only the
// prefix when the value lies outside the choices, or the prefix and
// multipleText while indeterminate) and lets the user pick another from a
// pop-up menu that a press opens under the button, or step through the
// enabled choices with the mouse wheel.
//
// The menu holds one item per choice (optionally grouped into submenus);
// choosing item i changes the value to minimum + i in one reset step and
// clicks the button once. The step lies inside a gesture: the press's, or,
// when that has ended (a native menu takes the capture), one of its own. A disabled item's choice is shown as
// the next enabled choice after it (or else the nearest before it), and the wheel skips disabled items.
//
// The shown text goes to the first text line of the label target, another
// button, when one is set (the link clears itself when that button dies),
// or else to the button's own. Changes of the menu are batched: the first
// one posts a refresh to the user interface's GUI-thread list, which runs
// once for all the changes made until it is drained.
//
// Threading: GUI thread only.

#include "gui/Menu.h"
#include "gui/SelectButtonBase.h"
#include "gui/ValueMouseTracker.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

class PopupMenu;
class Text;

class SelectButton : public SelectButtonBase {
public:
    // The menu item of one choice.
    class SelectMenuItem : public MenuItem {
    public:
        SelectMenuItem(SelectButton& button, int index, const std::string& text);
        // Picks the item's choice, then clicks the button.
        void fireSelected() override;

        SelectButton& button() const { return *button_; }
        int index() const { return index_; }

    private:
        SelectButton* button_;
        int index_;
    };

    // The message posted for a refresh.
    static constexpr int kRefreshMessage = 0;

    SelectButton(UserInterface& userInterface, Button::Style* style);
    ~SelectButton() override;

    void propertyChanged(AbstractProperty& property) override;
    void handleMessage(int code) override;
    void componentDeleted(Component* component) override;
    // Forgets the pending click first: the release that follows the menu
    // does not click again.
    void mouseUp(int button, const Point& point, int modifiers) override;
    bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                    const Point& secondDelta) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;
    void addChoice(const std::string& name) override;
    // menuText (the name when empty) is the item's text; a group puts the
    // item into the submenu of that name, made when there is none yet.
    virtual void addChoice(const std::string& name, const std::string& menuText, const std::string& group);
    void clearChoices() override;

    // Another button whose first text line shows the choice (null: this one).
    void setLabelTarget(Button* target);
    Button* labelTarget() const { return labelTarget_; }

    // Writes the shown text and the items' tick marks.
    void updateShownText();

    // The menu of the choices: the pop-up, or a plain menu when the platform
    // makes no pop-ups.
    Menu& menu() const { return *menu_; }
    const std::vector<SelectMenuItem*>& menuItems() const { return items_; }
    bool refreshPending() const { return refreshPending_; }
    ValueMouseTracker& tracker() { return tracker_; }

private:
    void selectChoice(int index);
    void menuChanged();
    // The text line the choice goes to, or null.
    Text* shownLine();
    // Moves the value to target in the running wheel gesture.
    void moveTo(int target);

    Button* labelTarget_ = nullptr;
    std::unique_ptr<Menu> menu_;
    std::vector<SelectMenuItem*> items_; // owned by the menu
    ValueMouseTracker tracker_;
    bool refreshPending_ = false;
    bool refreshing_ = false;
};

} // namespace gui
