#pragma once

// An on/off indicator drawn from a shared style's two bitmaps.
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/Property.h"
#include "gui/Component.h"
#include "gui/Control.h"

#include <memory>

namespace gui {

class Bitmap;

class Light : public Control {
public:
    // Shared by many lights; owns the off and on bitmaps.
    class Style : public Component {
    public:
        explicit Style(UserInterface& userInterface);
        ~Style() override;
        Property<bool> on; // cleared by switchOff with the light's own
        Bitmap& offBitmap() { return *off_; }
        Bitmap& onBitmap() { return *on_; }

    private:
        std::unique_ptr<Bitmap> off_;
        std::unique_ptr<Bitmap> on_;
    };

    // The placement that draws the bitmap into its own rect.
    static constexpr float kOwnRect = -1.0f;

    explicit Light(UserInterface& userInterface, Style* style = nullptr);
    ~Light() override;

    Property<bool> on;
    float placement = kOwnRect;

    void setStyle(Style* style);
    Style* style() const { return style_; }
    // Clears on and the style's flag, notifying both.
    void switchOff();

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(Component* component) override;
    void draw(Canvas& canvas) override;

private:
    Style* style_;
};

} // namespace gui
