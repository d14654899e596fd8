#include "gui/windows/WindowsPopupMenu.h"

#include "gui/UserInterface.h"
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

WindowsPopupMenu::WindowsPopupMenu(UserInterface& userInterface)
    : userInterface_(userInterface), guiThread_(GetCurrentThreadId()), alive_(std::make_shared<bool>(true)) {}

WindowsPopupMenu::~WindowsPopupMenu() {
    *alive_ = false;
}

void WindowsPopupMenu::show(const Point& point) {
    if (GetCurrentThreadId() != guiThread_) return;
    const std::shared_ptr<bool> alive = alive_;
    UserInterface& ui = userInterface_;
    RootControl* root = ui.rootControl();
    if (root == nullptr) return;
    const RootControl::LivenessToken rootToken = root->liveness();
    openEvent.notify(this);
    if (!*alive || !rootToken->alive) return;
    HWND owner = static_cast<HWND>(ui.nativeWindow());
    if (owner != nullptr) UpdateWindow(owner);
    ui.setPointerDrag(UserInterface::PointerDrag::kMenuOpened);

    const std::vector<MenuItem*> items = flattenMenu(*this);
    HMENU native = buildNativeMenu(*this);
    if (native == nullptr) return;
    POINT origin{0, 0};
    if (owner != nullptr) ClientToScreen(owner, &origin);
    const float scale = ui.deviceBacking().getScale();
    const int x = origin.x + toPixels(point.x, scale);
    const int y = origin.y + toPixels(point.y, scale);
    int chosen = 0;
    bool rootAlive = true;
    {
        ModalFrame frame(owner, root);
        chosen = int(TrackPopupMenuEx(native, kTrackFlags, x, y, owner, nullptr));
        rootAlive = frame.rootAlive();
    }
    DestroyMenu(native);
    if (!rootAlive || !*alive) return;
    // The items may have changed while the menu was open: only the same item runs.
    if (chosen < 1 || chosen > int(items.size())) return;
    const std::vector<MenuItem*> now = flattenMenu(*this);
    if (now != items) return;
    items[std::size_t(chosen - 1)]->fireSelected();
}

} // namespace gui
