#include "editor/ABButton.h"

#include "gui/Text.h"

ABButton::ABButton(gui::UserInterface& userInterface, gui::Button::Style* style)
    : gui::Button(userInterface, style), state(this, false) {
    if (gui::Text* label = textLine(0); label != nullptr && label->text.getValue() != "A/B")
        label->text.setValue("A/B");
}
