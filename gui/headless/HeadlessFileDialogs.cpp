#include "gui/headless/HeadlessFileDialogs.h"

#include "gui/ModalScope.h"
#include "gui/UserInterface.h"
#include "gui/headless/ModalResponder.h"

namespace gui::headless {

HeadlessOpenSaveDialog::HeadlessOpenSaveDialog(UserInterface& userInterface)
    : userInterface_(userInterface), alive_(std::make_shared<bool>(true)) {}

HeadlessOpenSaveDialog::~HeadlessOpenSaveDialog() {
    *alive_ = false;
}

void HeadlessOpenSaveDialog::run(bool save) {
    if (!userInterface_.isGuiThread()) return;
    ModalRequest request;
    request.kind = save ? ModalRequest::Kind::kSaveDialog : ModalRequest::Kind::kOpenDialog;
    request.filters = filters.getValue();
    request.defaultExtension = defaultExtension.getValue();
    request.startFolder = startFolder.getValue();
    request.proposedName = path.getValue();
    const std::shared_ptr<bool> alive = alive_;
    ModalScope modal(userInterface_, alive);
    const ModalAnswer answer = ModalResponder::answer(request);
    modal.finish();
    if (!*alive) return;
    finish(modal.survived() && answer.chosen, answer.path);
}

HeadlessSelectFolderDialog::HeadlessSelectFolderDialog(UserInterface& userInterface)
    : userInterface_(userInterface), alive_(std::make_shared<bool>(true)) {}

HeadlessSelectFolderDialog::~HeadlessSelectFolderDialog() {
    *alive_ = false;
}

void HeadlessSelectFolderDialog::run() {
    if (!userInterface_.isGuiThread()) return;
    ModalRequest request;
    request.kind = ModalRequest::Kind::kFolderDialog;
    request.startFolder = startFolder.getValue();
    const std::shared_ptr<bool> alive = alive_;
    ModalScope modal(userInterface_, alive);
    const ModalAnswer answer = ModalResponder::answer(request);
    modal.finish();
    if (!*alive) return;
    finish(modal.survived() && answer.chosen, answer.path);
}

} // namespace gui::headless
