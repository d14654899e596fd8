#include "editor/ABButton.h"

#include "editor/ABButtonLabel.h"
#include "gui/Canvas.h"
#include "gui/PixelArithmetic.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

ABButton::ABButton(gui::UserInterface& userInterface, gui::Button::Style* style)
    : gui::Button(userInterface, style), state(this, false) {
    for (auto& part : parts_)
        part.reset(userInterface.platformDelegate().createText());
    if (gui::Text* label = textLine(0); label != nullptr && label->text.getValue() != "A/B")
        label->text.setValue("A/B");
    updateParts();
}

ABButton::~ABButton() = default;

void ABButton::propertyChanged(AbstractProperty& property) {
    if (&property == &state) {
        refresh();
        return;
    }
    gui::Button::propertyChanged(property);
}

void ABButton::refresh() {
    updateParts();
    gui::Button::refresh();
}

void ABButton::updateParts() {
    if (parts_[0] == nullptr) return; // a refresh while the base is being built
    const gui::Text* label = textLines().empty() ? nullptr : textLines().front().get();
    const std::string text = label != nullptr ? label->text.getValue() : std::string();
    // The factors of the two parts (255 or 90); the label's alpha is
    // multiplied by them when drawn.
    const auto parts = abButtonLabelParts(text, state.getValue() ? 1 : 0, 255);
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        if (label != nullptr)
            parts_[i]->assignStyleAndText(*label, parts[i].text);
        else
            parts_[i]->text.setValue(parts[i].text);
        partAlphas_[i] = parts[i].alpha;
    }
}

void ABButton::drawLabel(gui::Canvas& canvas, const gui::Point& position) {
    if (!enabled.getValue()) {
        gui::Button::drawLabel(canvas, position);
        return;
    }
    const int alpha = blendOpacity(textOpacity.getValue());
    gui::Point at = position;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        canvas.drawText(*parts_[i], at,
                        int(gui::pixel::multiply255(std::uint32_t(alpha), std::uint32_t(partAlphas_[i]))));
        at.x += parts_[i]->width();
    }
}
