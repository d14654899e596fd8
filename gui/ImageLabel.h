#pragma once

// A stretched background bitmap with a line of text on it. With fitHeight
// the control grows to hold the text inside its margins.
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/Property.h"
#include "gui/BasicRect.h"
#include "gui/Control.h"
#include "gui/Enumerations.h"

#include <memory>

namespace gui {

class Bitmap;
class Text;

class ImageLabel : public Control {
public:
    explicit ImageLabel(UserInterface& userInterface);
    ~ImageLabel() override;

    Property<Alignment> alignment;
    Property<bool> fitHeight;
    Property<BasicRect<float>> margins; // left, top, right, bottom
    Property<int> capSize;

    // Null when the user interface has no platform delegate.
    Text* text() { return text_.get(); }
    Bitmap& background() { return *background_; }

    void propertyChanged(AbstractProperty& property) override;
    void draw(Canvas& canvas) override;

private:
    void layoutText(bool textChanged);
    void textChanged();
    void backgroundChanged();

    std::unique_ptr<Text> text_;
    std::unique_ptr<Bitmap> background_;
};

} // namespace gui
