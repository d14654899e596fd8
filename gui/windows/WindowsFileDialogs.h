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

#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

namespace gui {

struct OpenSaveRequest {
    HWND owner = nullptr;
    bool save = false;
    std::string filters;
    std::string defaultExtension;
    std::string startFolder;
    std::string proposedName;
};

// The characters of the name buffer, terminator included.
inline constexpr std::size_t kFileNameBufferUnits = 32768;

std::optional<std::string> runOpenSaveDialog(const OpenSaveRequest& request);
std::optional<std::string> runSelectFolderDialog(HWND owner, const std::string& startFolder);

// The filter list in the system's form: each "|" a NUL, two NULs at the end.
std::wstring nativeFilterList(std::string_view filters);
// The folder browser's flags with and without an initialised OLE.
UINT folderDialogFlags(bool oleInitialised);

} // namespace gui
