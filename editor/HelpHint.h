#pragma once

// The editor's help hint: a label that shows hints and transient notices
// (the host cannot resize, the welcome text). A hint shows only while its
// text is not empty, MIDI learn is off, and interactive help is on or the
// hint asks to show always. A sticky hint stays, at opacity 240, until a
// click on it clears it.
//
// The label is the product's (it may die first: the hint then forgets it
// and keeps its state). An optional arrow, a child image of the label on
// its top edge, points up at what the hint belongs to.
//
// Threading: GUI thread only.

#include "gui/Component.h"

#include <cstdint>
#include <functional>
#include <string>

namespace gui {
class Image;
class ImageLabel;
} // namespace gui

class HelpHint : public gui::Component {
public:
    enum Flags : int32_t { kAlways = 1, kSticky = 2 };
    static constexpr int kStickyOpacity = 240;
    static constexpr const char* kWelcome =
        "Welcome to Zentor $plugin! This help hint window gives you hints and tips when you move the "
        "mouse cursor over a control. It pops up after one second.\n\nIf you want to learn more, open the "
        "user manual by clicking Help Topics on the Help menu.\n\nTip: You can disable help hints by "
        "unchecking Show Interactive Help Hints on the Help menu.";

    struct Context {
        std::string productName;
        // Whether a hint may show now (MIDI learn off).
        std::function<bool()> allowed;
        // "showInteractiveHelp".
        std::function<bool()> interactiveHelp;
    };

    HelpHint(gui::UserInterface& userInterface, Context context);
    ~HelpHint() override;

    void setLabel(gui::ImageLabel* label);
    gui::ImageLabel* label() const { return label_; }
    // The arrow, a child of the label (null: none); it takes no clicks.
    void setArrow(gui::Image* arrow);
    gui::Image* arrow() const { return arrow_; }
    // The arrow's tip at x of the label, kept on the label; a negative x
    // hides the arrow.
    void pointAt(float x);

    // Replaces "$plugin", then shows or hides the hint.
    void show(const std::string& text, int32_t flags);
    // Empties the text, opacity 255, no click handler, not sticky, hidden.
    void clear();
    // "showWelcomeHint" goes off (and is written); the welcome text sticks.
    void showWelcome();

    const std::string& text() const { return text_; }
    bool isSticky() const { return sticky_; }
    bool isShown() const { return shown_; }
    // Every time a hint became visible.
    int shownCount() const { return shownCount_; }

    void componentDeleted(gui::Component* component) override;

    static std::string replaceProductName(std::string text, const std::string& name);

private:
    void hide();

    Context context_;
    gui::ImageLabel* label_ = nullptr;
    gui::Image* arrow_ = nullptr;
    std::string text_;
    bool sticky_ = false;
    bool shown_ = false;
    int shownCount_ = 0;
};
