#include "gui/FileDialogs.h"

namespace gui {

OpenSaveDialog::OpenSaveDialog()
    : defaultExtension(this, ""), path(this, ""), filters(this, ""), startFolder(this, ""), title(this, ""),
      rectangle(this, Rect()), chosen(this, false) {}

OpenSaveDialog::~OpenSaveDialog() = default;

void OpenSaveDialog::finish(bool wasChosen, const std::string& chosenPath) {
    if (wasChosen) path.setValue(chosenPath);
    chosen.setValue(wasChosen);
    finishedEvent.notify(this);
}

SelectFolderDialog::SelectFolderDialog() : path(this, ""), startFolder(this, ""), chosen(this, false) {}

SelectFolderDialog::~SelectFolderDialog() = default;

void SelectFolderDialog::finish(bool wasChosen, const std::string& chosenPath) {
    if (wasChosen) path.setValue(chosenPath);
    chosen.setValue(wasChosen);
}

} // namespace gui
