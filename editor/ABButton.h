#pragma once

// The editor's A/B compare button: a button with a state and the text "A/B".
// What a press does belongs to the editor's preset handling.
//
// Drawing: a disabled button draws its label as any button does; an enabled
// one draws it in two parts side by side, the active slot's part (with the
// slash) at the label's alpha and the other dimmed (see ABButtonLabel.h).
//
// Threading: GUI thread only; draw may run on the render thread under the
// root lock and only reads the parts made on the GUI thread.

#include "foundation/Property.h"
#include "gui/Button.h"

#include <array>
#include <memory>

namespace gui {
class Text;
}

class ABButton : public gui::Button {
public:
    ABButton(gui::UserInterface& userInterface, gui::Button::Style* style);
    ~ABButton() override;

    // false while A is the active compare slot, true while B is.
    Property<bool> state;

    void propertyChanged(AbstractProperty& property) override;
    void refresh() override;

    // The two parts of the enabled label, as last laid out.
    const gui::Text& labelPart(int index) const { return *parts_[static_cast<std::size_t>(index)]; }

protected:
    void drawLabel(gui::Canvas& canvas, const gui::Point& position) override;

private:
    void updateParts();

    std::array<std::unique_ptr<gui::Text>, 2> parts_;
    std::array<int, 2> partAlphas_{255, 255}; // factors out of 255
};
