#pragma once

// The headless platform's user interface: a window-less root that paints
// into a software back buffer, on an injected clock. advance(ms) moves the
// clock and fires the due timers in time order (ties by id), the window's
// own 10 ms tick (id 1) included: the tick reports a changed clipboard, then
// drains the frame list and the GUI list and fires the tick event. Every entry point runs
// in the root's lock scope, as a window message does.
//
// The monitor scale and whether the editor is active are set by the test.
//
// Threading: GUI thread, except what the user interface allows elsewhere.

#include "gui/UserInterface.h"
#include "gui/headless/HeadlessRootControl.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace gui::headless {

class HeadlessInterface : public UserInterface {
public:
    explicit HeadlessInterface(float width = 926.0f, float height = 514.0f, std::uint32_t startTime = 0);
    ~HeadlessInterface() override;

    Timer* createTimer() override;
    void* nativeWindow() override { return nullptr; }
    RootControl* rootControl() override { return root_; }
    bool isActive() override { return active_; }

    HeadlessRootControl& root() { return *root_; }
    void setActive(bool active) { active_ = active; }
    void setMonitorScale(float scale);

    // The injected clock.
    std::uint32_t time() const { return time_->load(); }
    // Moves the clock on, firing the due timers on the way. Returns false
    // when a timer's handler destroyed the user interface (the caller then
    // touches nothing of it).
    bool advance(std::uint32_t milliseconds);

    // Paints the dirty part into the back buffer (the first paint drains
    // the frame list first).
    void paint();
    Bitmap& backBuffer() { return root_->backBuffer(); }

    // Input as the window would deliver it (root coordinates).
    void mouseDown(int button, const Point& point, int modifiers = 0);
    void mouseMove(const Point& point, int modifiers = 0);
    void mouseUp(int button, const Point& point, int modifiers = 0);
    bool mouseWheel(const Point& point, int modifiers, const Point& speed, const Point& distance,
                    float factor);

private:
    HeadlessInterface(float width, float height, std::shared_ptr<std::atomic<std::uint32_t>> time);
    void fire(int id);
    void windowTick();

    std::shared_ptr<std::atomic<std::uint32_t>> time_;
    HeadlessRootControl* root_;
    bool active_ = true;
    bool painted_ = false;
    std::uint64_t clipboardChanges_;
};

} // namespace gui::headless
