#pragma once

// The toolkit's half of a modal call (menu, message box, dialog): on entry
// it saves the root control's lock depth and frees the lock, so the render
// thread goes on while the modal loop runs; on leaving, it takes the lock
// back at that depth, unless the root died meanwhile. The modal loop keeps
// dispatching messages, so the host may destroy the editor, or a message may
// delete the owner of the call (the menu, the box's or dialog's owner):
// survived() tells whether the caller may still run the chosen action.
//
// Threading: GUI thread.

#include "gui/RootControl.h"

#include <memory>

namespace gui {

class MessageChannel;
class UserInterface;

class ModalScope {
public:
    // owner: set while the owner of the call lives (may be null).
    explicit ModalScope(UserInterface& userInterface, std::shared_ptr<const bool> owner = {});
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Takes the lock back now (the destructor does it otherwise).
    void finish();
    // The root, the user interface and the owner all still live.
    bool survived() const;
    int savedDepth() const { return depth_; }

private:
    RootControl* root_;
    RootControl::LivenessToken rootToken_;
    std::shared_ptr<MessageChannel> channel_;
    std::shared_ptr<const bool> owner_;
    int depth_ = 0;
    bool finished_ = false;
};

} // namespace gui
