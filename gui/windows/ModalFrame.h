#pragma once

// The frame around a modal call (menu, message box, dialog): while it lives,
// every other visible, enabled window of the current thread is disabled; on
// leaving, those that still exist are enabled again. A window destroyed
// while the modal loop ran is simply skipped.
//
// Threading: GUI thread only.

#include <vector>
#include <windows.h>

namespace gui {

class ModalFrame {
public:
    explicit ModalFrame(HWND owner);
    ~ModalFrame();
    ModalFrame(const ModalFrame&) = delete;
    ModalFrame& operator=(const ModalFrame&) = delete;

    const std::vector<HWND>& disabledWindows() const { return disabled_; }

private:
    HWND owner_;
    std::vector<HWND> disabled_;
};

} // namespace gui
