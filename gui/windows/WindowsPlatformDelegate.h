#pragma once

// The platform delegate on Windows: DIB bitmaps, GDI texts, EDIT text
// editors, native menus, the system's file and folder dialogs and message
// boxes (modal, in a modal frame), the monitor's room, the clipboard and the
// pointer metrics.
//
// Threading: GUI thread only; messageBox returns at once on another thread.

#include "gui/UserInterface.h"

namespace gui {

class WindowsPlatformDelegate : public UserInterface::PlatformDelegate {
public:
    // The room a monitor that cannot be asked offers, in pixels.
    static constexpr int kFallbackMonitorWidth = 1024;
    static constexpr int kFallbackMonitorHeight = 768;
    // Pixels at scale 1 kept free below an editor on its monitor (taskbar and frame).
    static constexpr float kMonitorMargin = 165.0f;

    explicit WindowsPlatformDelegate(UserInterface& userInterface) : userInterface_(userInterface) {}

    OpenSaveDialog* createOpenSaveDialog() override;
    PopupMenu* createPopupMenu() override;
    SelectFolderDialog* createSelectFolderDialog() override;
    Bitmap* createBitmap() override;
    Text* createText() override;
    TextEditor* createTextEditor() override;
    Rect monitorRect() override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    int dragThreshold() override;
    int doubleClickTime() override;
    void messageBox(const std::string& text, int buttons, std::function<void()> okAction) override;
    // The shell's "open" of the text (ShellExecuteW, through the shell
    // function below).
    void openDocument(const std::string& text) override;

    // What openDocument calls: (window, verb, file), UTF-16. Tests replace
    // it so that nothing is launched; null restores the system's.
    using ShellFunction = void (*)(void* window, const wchar_t* verb, const wchar_t* file);
    static void setShellFunction(ShellFunction function);

private:
    UserInterface& userInterface_;
};

} // namespace gui
