#include "gui/windows/ModalFrame.h"

namespace gui {

namespace {

struct Collection {
    HWND owner;
    std::vector<HWND>* windows;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
    auto* collection = reinterpret_cast<Collection*>(data);
    if (window != collection->owner && IsWindowVisible(window) && IsWindowEnabled(window))
        collection->windows->push_back(window);
    return TRUE;
}

} // namespace

ModalFrame::ModalFrame(HWND owner, RootControl* root) : owner_(owner), root_(root) {
    if (root_ != nullptr) {
        token_ = root_->liveness();
        depth_ = root_->releaseLock();
    }
    Collection collection{owner_, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&collection));
    for (HWND window : disabled_)
        EnableWindow(window, FALSE);
}

ModalFrame::~ModalFrame() {
    for (HWND window : disabled_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    if (root_ != nullptr && rootAlive()) root_->reacquireLock(depth_);
}

} // namespace gui
