#include "gui/ModalScope.h"

#include "gui/MessageChannel.h"
#include "gui/UserInterface.h"

namespace gui {

ModalScope::ModalScope(UserInterface& userInterface, std::shared_ptr<const bool> owner)
    : root_(userInterface.rootControl()), channel_(userInterface.channelReference()),
      owner_(std::move(owner)) {
    if (root_ != nullptr) {
        rootToken_ = root_->liveness();
        depth_ = root_->releaseLock();
    }
}

ModalScope::~ModalScope() {
    finish();
}

void ModalScope::finish() {
    if (finished_) return;
    finished_ = true;
    if (rootToken_ && rootToken_->alive.load(std::memory_order_acquire)) root_->reacquireLock(depth_);
}

bool ModalScope::survived() const {
    if (rootToken_ && !rootToken_->alive.load(std::memory_order_acquire)) return false;
    if (!channel_->isAlive()) return false;
    return owner_ == nullptr || *owner_;
}

} // namespace gui
