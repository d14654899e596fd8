#include "gui/windows/WindowsPopupMenu.h"

#include "gui/windows/ModalFrame.h"
#include "gui/windows/NativeMenu.h"

#include <cmath>

namespace gui {

namespace {

constexpr UINT kTrackFlags = TPM_RETURNCMD | TPM_NONOTIFY;

int toPixels(float logical, float scale) {
    return int(std::floor(logical * scale + 0.7f));
}

} // namespace

WindowsPopupMenu::WindowsPopupMenu(HWND owner, DeviceBacking& backing)
    : owner_(owner), backing_(backing), guiThread_(GetCurrentThreadId()),
      alive_(std::make_shared<bool>(true)) {}

WindowsPopupMenu::~WindowsPopupMenu() {
    *alive_ = false;
}

void WindowsPopupMenu::show(const Point& point) {
    if (GetCurrentThreadId() != guiThread_) return;
    const std::shared_ptr<bool> alive = alive_;
    openEvent.notify(this);
    if (!*alive) return;
    if (owner_ != nullptr) UpdateWindow(owner_);

    const std::vector<MenuItem*> items = flattenMenu(*this);
    HMENU native = buildNativeMenu(*this);
    if (native == nullptr) return;
    POINT origin{0, 0};
    if (owner_ != nullptr) ClientToScreen(owner_, &origin);
    const float scale = backing_.getScale();
    const int x = origin.x + toPixels(point.x, scale);
    const int y = origin.y + toPixels(point.y, scale);
    int chosen = 0;
    {
        ModalFrame frame(owner_);
        chosen = int(TrackPopupMenuEx(native, kTrackFlags, x, y, owner_, nullptr));
    }
    DestroyMenu(native);
    if (!*alive) return;
    // The items may have changed while the menu was open: only the same item runs.
    if (chosen < 1 || chosen > int(items.size())) return;
    const std::vector<MenuItem*> now = flattenMenu(*this);
    if (now != items) return;
    items[std::size_t(chosen - 1)]->fireSelected();
}

} // namespace gui
