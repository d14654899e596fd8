#pragma once

// The one scope in which window messages, the window's tick and the host's
// size and scale calls run: it holds a liveness token of the root, raises the
// lock depth and takes the root's lock when the depth goes from 0 to 1. On
// leaving, when the root still lives, the depth drops and the lock is freed
// at 0; when the root died inside the scope, nothing of it is touched.
//
// Threading: GUI thread.

#include "gui/RootControl.h"

namespace gui {

class RootLockScope {
public:
    explicit RootLockScope(RootControl& root);
    ~RootLockScope();
    RootLockScope(const RootLockScope&) = delete;
    RootLockScope& operator=(const RootLockScope&) = delete;

    // Whether the root still lives.
    bool alive() const { return token_->alive.load(std::memory_order_acquire); }
    const RootControl::LivenessToken& token() const { return token_; }

private:
    RootControl& root_;
    RootControl::LivenessToken token_;
};

} // namespace gui
