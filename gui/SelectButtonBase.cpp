#include "gui/SelectButtonBase.h"

namespace gui {

SelectButtonBase::SelectButtonBase(UserInterface& userInterface, Style* style)
    : Button(userInterface, style), multipleText(this, "(Multiple)"), prefix(this, std::string()) {}

void SelectButtonBase::addChoice(const std::string& name) {
    choices_.push_back(name);
}

void SelectButtonBase::clearChoices() {
    choices_.clear();
}

} // namespace gui
