#include "gui/Text.h"

namespace gui {

Text::Text()
    : bold(this, false), color(this, Color(0, 0, 0, 255)), fontName(this, ""), italic(this, false),
      lineStyle(this, LineStyle::kSingleLine), wrapWidth(this, 0.0f), fontSize(this, 8.0f), text(this, ""),
      underline(this, false) {}

Text::~Text() = default;

void Text::update() {
    firePendingNotifications();
    changeEvent.notify(this);
}

float Text::verticalOffset() {
    return 0.0f;
}

void Text::assignStyleAndText(const Text& other, const std::string& newText) {
    Hold hold(*this);
    bold.setValue(other.bold.getValue());
    color.setValue(other.color.getValue());
    fontName.setValue(other.fontName.getValue());
    italic.setValue(other.italic.getValue());
    lineStyle.setValue(other.lineStyle.getValue());
    wrapWidth.setValue(other.wrapWidth.getValue());
    fontSize.setValue(other.fontSize.getValue());
    text.setValue(newText);
    underline.setValue(other.underline.getValue());
}

void Text::propertyChanged(AbstractProperty&) {
    requestUpdate();
}

} // namespace gui
