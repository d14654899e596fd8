// The parts of the user interface that reach into the control tree and the
// platform's timers: destruction, the touch hold's double click, timers by
// id, the background bitmap at the root's size and backing-scale changes.

#include "gui/Bitmap.h"
#include "gui/InterfaceTimer.h"
#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <cmath>

namespace gui {

UserInterface::~UserInterface() {
    beginDestruction();
    deviceBacking_.removeBackingScaleListener(this);
    // Timers the platform made and nobody deleted go with the user interface;
    // each leaves the table itself.
    delete helpHintTimer_;
    delete touchHoldTimer_;
    while (!timers_.empty())
        delete timers_.begin()->second;
}

void UserInterface::touchHoldTick() {
    touchHoldTimer_->enabled.setValue(false);
    if (RootControl* root = rootControl()) {
        Control* target = root->getEventTarget();
        target->mouseDoubleClick(target->pressPoint());
    }
}

void UserInterface::fireTimer(int id) {
    if (InterfaceTimer* timer = timerById(id)) timer->tick();
}

void UserInterface::restartTimers() {
    std::vector<InterfaceTimer*> all;
    for (auto& entry : timers_)
        all.push_back(entry.second);
    for (InterfaceTimer* timer : all)
        if (timerById(timer->id()) == timer) timer->update();
}

void UserInterface::loadBackgroundBitmap(std::string_view name) {
    Bitmap& background = backgroundBitmap();
    background.load(name);
    RootControl* root = rootControl();
    if (root == nullptr) return;
    const Rect rootRect = root->bounds.getValue();
    const Rect rect = background.getRect();
    if (std::fabs(rect.width() - rootRect.width()) > 0.001f ||
        std::fabs(rect.height() - rootRect.height()) > 0.001f) {
        Bitmap loaded(deviceBacking_);
        loaded.copyFrom(background);
        background.setSize(rootRect.width(), rootRect.height());
        background.copyScaled(loaded, rect, Rect(0.0f, 0.0f, rootRect.width(), rootRect.height()));
    }
}

void UserInterface::backingScaleChanged() {
    const float scale = deviceBacking_.getScale();
    RootControl* root = rootControl();
    if (root != nullptr) root->scaleChanged();
    if (std::fabs(scale - appliedScale_) <= kScaleEpsilon) return;
    const float old = appliedScale_;
    appliedScale_ = scale;
    scaleChangedEvent.notify(this);
    if (root == nullptr) return;
    if (root->fullScreen.getValue()) {
        const Rect r = root->bounds.getValue();
        root->setSize(r.width() * old / scale, r.height() * old / scale);
    } else {
        root->boundsChanged();
    }
}

} // namespace gui
