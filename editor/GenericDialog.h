#pragma once

// GenericDialog: the editor's in-window dialog. It covers the root control,
// shows the maker's dialog bitmap, and lays out labels and buttons by pixel
// positions offset by its style's text offset. A click on it or Escape fires
// its dismiss event.
//
// The dialog is a child of the root control (the tree owns it).
//
// Threading: GUI thread; draw runs under the root lock.

#include "foundation/NotifyEvent.h"
#include "gui/BasicPoint.h"
#include "gui/Button.h"
#include "gui/Component.h"
#include "gui/Dialog.h"

#include <string>

class GenericPluginInterface;

namespace gui {
class Image;
class MultiLabel;
} // namespace gui

class GenericDialog : public gui::Dialog {
public:
    static constexpr float kButtonWidth = 110.0f;

    // Built once per editor by the skin.
    class Style : public gui::Component {
    public:
        static constexpr const char* kBitmapName = "DialogGeneric.png";
        // The dialog bitmap's baked veil (no code reads it).
        static constexpr int kVeil = 192;

        Style(gui::UserInterface& userInterface, gui::Button::Style* buttonStyle);

        std::string bitmapName = kBitmapName;
        int value = kVeil;
        gui::BasicPoint<float> textOffset{124.0f, 29.0f};
        gui::Button::Style* buttonStyle;
    };

    GenericDialog(GenericPluginInterface& interface, Style& style);
    ~GenericDialog() override;

    // Fired (sender: this) by a click on the dialog or Escape.
    NotifyEvent dismissEvent;

    gui::Button* addButton(float x, float y, const std::string& text);
    // A one-line label at (x, y) plus the text offset.
    gui::MultiLabel* addLabel(float x, float y, const std::string& text);

    gui::Image* background() const { return background_; }
    GenericPluginInterface& interface() const { return interface_; }
    const Style& style() const { return style_; }

    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    bool keyPressed(int key, int character, int flags) override;

private:
    GenericPluginInterface& interface_;
    Style& style_;
    gui::Image* background_ = nullptr;
};
