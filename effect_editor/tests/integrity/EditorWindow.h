#pragma once

// The window the integrity check opens the product's editor in: the
// platform's own user interface, so that text is measured and drawn as the
// plug-in draws it (GDI on Windows, the headless platform's fixed metric
// natively), at a backing scale. Its clock can be moved on so that the
// editor's animations and timed steps end without waiting.
//
// Threading: GUI thread only.

#include <memory>
#include <string>

namespace gui {
class UserInterface;
}

class EditorWindow {
public:
    virtual ~EditorWindow() = default;

    // A window of the logical size at the scale.
    static std::unique_ptr<EditorWindow> open(float width, float height, float scale);
    // "GDI" or "headless": what measures and draws the text.
    static std::string textEngine();

    virtual gui::UserInterface& userInterface() = 0;
    // Moves the clock on by the time and lets the due timers, animations
    // and posted messages run.
    virtual void advance(int milliseconds) = 0;
};
