#pragma once

// A button that shows one of several named choices: choice i is the value
// minimum + i. The names, the prefix put before every shown name and the
// text shown while linked controls disagree (the value control's
// indeterminate flag) belong here; gui::SelectButton shows and picks them.
//
// Threading: GUI thread only.

#include "gui/Button.h"

#include <string>
#include <vector>

namespace gui {

class SelectButtonBase : public Button {
public:
    SelectButtonBase(UserInterface& userInterface, Style* style);

    Property<std::string> multipleText;
    Property<std::string> prefix;

    // Appends a name.
    virtual void addChoice(const std::string& name);
    // Empties the names.
    virtual void clearChoices();
    bool isPushButton() const override { return false; }

    const std::vector<std::string>& choices() const { return choices_; }

protected:
    std::vector<std::string> choices_;
};

} // namespace gui
