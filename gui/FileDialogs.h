#pragma once

// The file and folder dialogs: their properties here, run() in the platform.
// A run that the user cancels (or whose path does not fit) leaves chosen
// false and the path unchanged; the path property on entry is the proposed
// name. Filters are "Name|pattern|Name|pattern"; the default extension may
// start with ".".
//
// Threading: GUI thread only. run() is modal: it gives up the root control's
// lock while it runs.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/BasicRect.h"

#include <string>

namespace gui {

class OpenSaveDialog : public PropertyOwner {
public:
    OpenSaveDialog();
    ~OpenSaveDialog() override;
    OpenSaveDialog(const OpenSaveDialog&) = delete;
    OpenSaveDialog& operator=(const OpenSaveDialog&) = delete;

    Property<std::string> defaultExtension;
    Property<std::string> path; // proposed name on entry, chosen file after
    Property<std::string> filters;
    Property<std::string> startFolder;
    Property<std::string> title; // not read by every platform
    Property<Rect> rectangle;
    Property<bool> chosen;
    NotifyEvent finishedEvent; // after every run

    void propertyChanged(AbstractProperty&) override {}
    // The save form when save is true, else the open form.
    virtual void run(bool save) = 0;

protected:
    // A platform's run ends here: sets path and chosen, fires the event.
    void finish(bool wasChosen, const std::string& chosenPath);
};

class SelectFolderDialog : public PropertyOwner {
public:
    SelectFolderDialog();
    ~SelectFolderDialog() override;
    SelectFolderDialog(const SelectFolderDialog&) = delete;
    SelectFolderDialog& operator=(const SelectFolderDialog&) = delete;

    Property<std::string> path; // the chosen folder
    Property<std::string> startFolder;
    Property<bool> chosen;

    void propertyChanged(AbstractProperty&) override {}
    virtual void run() = 0;

protected:
    void finish(bool wasChosen, const std::string& chosenPath);
};

} // namespace gui
