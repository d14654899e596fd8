#pragma once

// Answers the headless platform's modal calls (message boxes, menus, file
// and folder dialogs) the way a person would: tests queue scripted answers,
// each call takes the oldest one; without one the call is dismissed (Cancel,
// or OK for an OK-only box; no menu item; the dialog cancelled). A script
// may do anything a person's action could cause meanwhile (destroy the
// editor, delete the menu), since a real modal loop keeps dispatching.
//
// Threading: the GUI thread of the test; the queue is process-wide.

#include <functional>
#include <string>
#include <vector>

namespace gui::headless {

struct ModalRequest {
    enum class Kind { kMessageBox, kMenu, kOpenDialog, kSaveDialog, kFolderDialog };
    Kind kind = Kind::kMessageBox;
    std::string title;              // message boxes
    std::string text;               // message boxes
    int buttons = 0;                // message boxes: 1 OK, 2 Cancel
    std::vector<std::string> items; // menus: the shown items' texts, flat
    std::string filters;            // open and save dialogs
    std::string defaultExtension;   // open and save dialogs
    std::string startFolder;        // dialogs
    std::string proposedName;       // open and save dialogs
};

struct ModalAnswer {
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    int button = kCancel; // message boxes
    int item = -1;        // menus: index into the request's items, -1 none
    bool chosen = false;  // dialogs
    std::string path;     // dialogs: the chosen path
};

class ModalResponder {
public:
    using Script = std::function<ModalAnswer(const ModalRequest&)>;

    // Queues the answer of a later call.
    static void push(Script script);
    static void push(ModalAnswer answer);
    // Drops the queued answers and the log.
    static void reset();
    // The answer of a call (the platform's use).
    static ModalAnswer answer(const ModalRequest& request);
    // The requests seen since the last reset.
    static const std::vector<ModalRequest>& requests();
    // The dismissal without a script.
    static ModalAnswer dismissal(const ModalRequest& request);
};

} // namespace gui::headless
