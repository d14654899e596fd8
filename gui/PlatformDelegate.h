#pragma once

// The toolkit's factory and service interface for everything that needs the
// operating system: dialogs, menus, bitmaps, texts, text editors, the
// monitor, the clipboard, the pointer metrics and message boxes. Each
// platform implements it; the user interface owns it.
//
// Modal calls (menus, message boxes, dialogs) release the root control's
// lock while they run and take it back at the same depth.
//
// Threading: GUI thread only; messageBox returns at once on another thread.

#include "gui/BasicRect.h"
#include "gui/UserInterface.h"

#include <functional>
#include <string>

namespace gui {

class Bitmap;
class OpenSaveDialog;
class PopupMenu;
class SelectFolderDialog;
class Text;
class TextEditor;

class UserInterface::PlatformDelegate {
public:
    // Message-box buttons.
    static constexpr int kButtonOk = 1;
    static constexpr int kButtonCancel = 2;

    virtual ~PlatformDelegate() = default;
    // New objects; the caller owns them.
    virtual OpenSaveDialog* createOpenSaveDialog() = 0;
    virtual PopupMenu* createPopupMenu() = 0;
    virtual SelectFolderDialog* createSelectFolderDialog() = 0;
    virtual Bitmap* createBitmap() = 0;
    virtual Text* createText() = 0;
    virtual TextEditor* createTextEditor() = 0;
    // The room for an editor on the monitor of the window, in logical units.
    virtual Rect monitorRect() = 0;
    // The clipboard's text as UTF-8, or empty.
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // In pixels (used as logical units).
    virtual int dragThreshold() = 0;
    // Milliseconds.
    virtual int doubleClickTime() = 0;
    // Buttons: kButtonOk, kButtonCancel or both. The ok action runs when the
    // user answers OK and the user interface still lives.
    virtual void messageBox(const std::string& text, int buttons, std::function<void()> okAction) = 0;
};

} // namespace gui
