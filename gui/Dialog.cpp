#include "gui/Dialog.h"

namespace gui {

Dialog::Dialog(UserInterface& userInterface) : Control(userInterface) {}

Dialog::~Dialog() {
    close();
}

void Dialog::close() {
    if (closed_) return;
    closed_ = true;
    closeNative();
    parent.setValue(nullptr);
}

void Dialog::closeNative() {}

} // namespace gui
