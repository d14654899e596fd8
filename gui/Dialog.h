#pragma once

// A modal-dialog base: a control that a platform dialog derives from. Its
// destructor closes it first. close() takes it out of the tree.
//
// Threading: GUI thread only.

#include "gui/Control.h"

namespace gui {

class Dialog : public Control {
public:
    explicit Dialog(UserInterface& userInterface);
    ~Dialog() override;

    // Ends the dialog (the platform's part first) and leaves the tree.
    virtual void close();
    bool isClosed() const { return closed_; }

protected:
    // The platform ends its modal part here; the base does nothing.
    virtual void closeNative();

private:
    bool closed_ = false;
};

} // namespace gui
