#include "gui/RootLockScope.h"

namespace gui {

RootLockScope::RootLockScope(RootControl& root) : root_(root), token_(root.liveness()) {
    const int depth = root_.lockDepth() + 1;
    if (depth == 1) root_.lock();
    root_.setLockDepth(depth);
}

RootLockScope::~RootLockScope() {
    if (!alive()) return; // the root died inside the scope
    const int depth = root_.lockDepth() - 1;
    if (depth < 0) return; // released by a modal call and never taken back
    root_.setLockDepth(depth);
    if (depth == 0) root_.unlock();
}

} // namespace gui
