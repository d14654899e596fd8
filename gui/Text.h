#pragma once

// A piece of text to draw, independent of the platform: font, size, style,
// colour and the string. The platform renders it into a bitmap that
// Canvas::drawText draws. Property changes are batched: each change runs the
// update (at once, or once when the last hold ends), which fires the change
// event that the controls showing the text listen to.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "foundation/UpdatedObject.h"
#include "gui/Color.h"

#include <string>

namespace gui {

class IBitmap;

class Text : public UpdatedObject, public PropertyOwner {
public:
    // How the text is laid out inside wrapWidth (only when wrapWidth > 0).
    enum class LineStyle { kSingleLine = 0, kEndEllipsis = 1, kWordWrap = 2 };

    Text();
    ~Text() override;

    Property<bool> bold;
    Property<Color> color;
    Property<std::string> fontName;
    Property<bool> italic;
    Property<LineStyle> lineStyle;
    Property<float> wrapWidth; // logical units; 0 = one unbounded line
    Property<float> fontSize;  // points
    Property<std::string> text;
    Property<bool> underline;

    NotifyEvent changeEvent;

    void update() override;
    // The rendered text; null when there is nothing to draw.
    virtual const IBitmap* render() = 0;
    virtual float width() = 0;
    // Added to the y at which the rendered bitmap is drawn.
    virtual float verticalOffset();
    virtual float height() = 0;

    // Copies other's style, sets the string, all under one hold: one update.
    void assignStyleAndText(const Text& other, const std::string& newText);

    void propertyChanged(AbstractProperty& property) override;
};

} // namespace gui
