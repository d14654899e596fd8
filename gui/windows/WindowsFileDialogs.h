#pragma once

// The system's file and folder dialogs. Both run inside a modal frame (the
// thread's other windows disabled) and return the chosen path, or nothing
// when the user cancelled or the path did not fit.
//
// Filters are "Name|pattern|Name|pattern"; the default extension may start
// with "."; a proposed name fills the name box. The folder dialog starts at
// the given folder and initialises OLE around itself when the thread allows
// it (a thread in the multi-threaded apartment keeps its COM untouched and
// gets the older dialog style).
//
// Threading: the thread that owns the owner window.

#include "gui/FileDialogs.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

namespace gui {

class RootControl;
class UserInterface;

struct OpenSaveRequest {
    HWND owner = nullptr;
    RootControl* root = nullptr; // its lock is given up while the dialog runs
    bool save = false;
    std::string filters;
    std::string defaultExtension;
    std::string startFolder;
    std::string proposedName;
};

// The characters of the name buffer, terminator included.
inline constexpr std::size_t kFileNameBufferUnits = 32768;

// Nothing also when the root (when given) died while the dialog was open.
std::optional<std::string> runOpenSaveDialog(const OpenSaveRequest& request);
std::optional<std::string> runSelectFolderDialog(HWND owner, const std::string& startFolder,
                                                 RootControl* root = nullptr);

// The toolkit's dialogs on the editor's window. A dialog deleted while it
// runs touches nothing afterwards; one whose editor died is not chosen.
class WindowsOpenSaveDialog : public OpenSaveDialog {
public:
    explicit WindowsOpenSaveDialog(UserInterface& userInterface);
    ~WindowsOpenSaveDialog() override;
    void run(bool save) override;
    void propertyChanged(AbstractProperty&) override {}

private:
    UserInterface& userInterface_;
    std::shared_ptr<bool> alive_;
};

class WindowsSelectFolderDialog : public SelectFolderDialog {
public:
    explicit WindowsSelectFolderDialog(UserInterface& userInterface);
    ~WindowsSelectFolderDialog() override;
    void run() override;
    void propertyChanged(AbstractProperty&) override {}

private:
    UserInterface& userInterface_;
    std::shared_ptr<bool> alive_;
};

// The filter list in the system's form: each "|" a NUL, two NULs at the end.
std::wstring nativeFilterList(std::string_view filters);
// The folder browser's flags with and without an initialised OLE.
UINT folderDialogFlags(bool oleInitialised);

} // namespace gui
