#pragma once

// The headless platform's file and folder dialogs: the modal responder
// answers in place of a person. The path property on entry is the proposed
// name. A dialog whose user interface or root died during the call returns
// without touching anything; one that the user cancelled is not chosen.
//
// Threading: GUI thread only.

#include "gui/FileDialogs.h"

#include <memory>

namespace gui {
class UserInterface;
}

namespace gui::headless {

class HeadlessOpenSaveDialog : public OpenSaveDialog {
public:
    explicit HeadlessOpenSaveDialog(UserInterface& userInterface);
    ~HeadlessOpenSaveDialog() override;
    void run(bool save) override;

private:
    UserInterface& userInterface_;
    std::shared_ptr<bool> alive_;
};

class HeadlessSelectFolderDialog : public SelectFolderDialog {
public:
    explicit HeadlessSelectFolderDialog(UserInterface& userInterface);
    ~HeadlessSelectFolderDialog() override;
    void run() override;

private:
    UserInterface& userInterface_;
    std::shared_ptr<bool> alive_;
};

} // namespace gui::headless
