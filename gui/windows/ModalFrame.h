#pragma once

// The frame around a modal call (menu, message box, dialog). On entry it
// gives up the root control's lock (saving its depth), so the render thread
// is never shut out, and disables every other visible, enabled window of the
// thread. On leaving it enables those that still exist and, only when the
// root still lives, takes the lock back at the saved depth. The modal loop
// keeps dispatching messages, so the host may destroy the editor meanwhile:
// rootAlive() tells the caller whether anything of it may still be touched.
//
// Threading: GUI thread only.

#include "gui/RootControl.h"

#include <vector>
#include <windows.h>

namespace gui {

class ModalFrame {
public:
    // root may be null (no lock to give up).
    explicit ModalFrame(HWND owner, RootControl* root = nullptr);
    ~ModalFrame();
    ModalFrame(const ModalFrame&) = delete;
    ModalFrame& operator=(const ModalFrame&) = delete;

    // False when a root was given and it died during the modal call.
    bool rootAlive() const { return token_ == nullptr || token_->alive.load(std::memory_order_acquire); }
    const std::vector<HWND>& disabledWindows() const { return disabled_; }

private:
    HWND owner_;
    RootControl* root_;
    RootControl::LivenessToken token_;
    int depth_ = 0;
    std::vector<HWND> disabled_;
};

} // namespace gui
