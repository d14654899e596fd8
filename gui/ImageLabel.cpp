#include "gui/ImageLabel.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

ImageLabel::ImageLabel(UserInterface& userInterface)
    : Control(userInterface), alignment(this, Alignment::kLeft), fitHeight(this, true),
      margins(this, Rect(5.0f, 5.0f, 5.0f, 5.0f)), capSize(this, 0),
      background_(std::make_unique<Bitmap>(userInterface.deviceBacking())) {
    if (userInterface.hasPlatformDelegate()) {
        text_.reset(userInterface.platformDelegate().createText());
        text_->lineStyle.setValue(Text::LineStyle::kWordWrap);
        text_->changeEvent.addHandler(NotifyEvent::bind(this, &ImageLabel::textChanged));
    }
    background_->changeEvent.addHandler(NotifyEvent::bind(this, &ImageLabel::backgroundChanged));
}

ImageLabel::~ImageLabel() {
    if (text_) text_->changeEvent.removeHandler(this, &ImageLabel::textChanged);
    background_->changeEvent.removeHandler(this, &ImageLabel::backgroundChanged);
}

void ImageLabel::textChanged() {
    layoutText(true);
}

void ImageLabel::backgroundChanged() {
    layoutText(false);
}

void ImageLabel::layoutText(bool textChange) {
    invalidateRect(localRect());
    if (!text_ || (textChange && !fitHeight.getValue())) return;
    const Rect m = margins.getValue();
    text_->wrapWidth.setValue(width.getValue() - (m.left + m.right));
    if (fitHeight.getValue() && !text_->text.getValue().empty())
        setSize(width.getValue(),
                std::max(background_->getRect().height(), m.top + m.bottom + text_->height()));
}

void ImageLabel::propertyChanged(AbstractProperty& property) {
    if (&property == &alignment || &property == &fitHeight || &property == &margins || &property == &capSize)
        invalidateRect(localRect());
    Control::propertyChanged(property);
}

void ImageLabel::draw(Canvas& canvas) {
    canvas.drawBitmapInRect(*background_, background_->getRect(), localRect(), 255,
                            float(capSize.getValue()));
    if (!text_ || text_->text.getValue().empty()) return;
    const Rect m = margins.getValue();
    float x = m.left;
    // The alignment applies only when the text does not wrap itself.
    if (text_->lineStyle.getValue() != Text::LineStyle::kWordWrap) {
        if (alignment.getValue() == Alignment::kCentre)
            x = (std::trunc(width.getValue() - m.left - m.right) - text_->width()) * 0.5f + m.left;
        else if (alignment.getValue() == Alignment::kRight)
            x = width.getValue() - (text_->width() + m.right);
    }
    canvas.drawText(*text_, Point(x, m.top), 255);
}

} // namespace gui
