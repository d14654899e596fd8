#pragma once

// The headless platform's services: software bitmaps, the fixed-metric
// text, the in-memory text editor, menus and dialogs answered by the modal
// responder, the process-wide clipboard, a drag threshold of 4, a
// double-click time of 500 ms, one 1024 x 768 monitor, and documents
// that are recorded instead of opened.
//
// Threading: GUI thread only; messageBox returns at once on another thread.

#include "gui/UserInterface.h"

#include <string>
#include <vector>

namespace gui::headless {

class HeadlessPlatformDelegate : public UserInterface::PlatformDelegate {
public:
    static constexpr int kDragThreshold = 4;
    static constexpr int kDoubleClickTime = 500;
    static constexpr int kMonitorWidth = 1024;
    static constexpr int kMonitorHeight = 768;

    explicit HeadlessPlatformDelegate(UserInterface& userInterface);

    OpenSaveDialog* createOpenSaveDialog() override;
    PopupMenu* createPopupMenu() override;
    SelectFolderDialog* createSelectFolderDialog() override;
    Bitmap* createBitmap() override;
    Text* createText() override;
    TextEditor* createTextEditor() override;
    Rect monitorRect() override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    int dragThreshold() override { return kDragThreshold; }
    int doubleClickTime() override { return kDoubleClickTime; }
    void messageBox(const std::string& text, int buttons, std::function<void()> okAction) override;
    // Launches nothing: records the text (process-wide, in order).
    void openDocument(const std::string& text) override;
    static const std::vector<std::string>& openedDocuments();
    static void clearOpenedDocuments();

    // "Confirmation" for OK and Cancel, else "Information".
    static const char* messageBoxTitle(int buttons);

private:
    UserInterface& userInterface_;
};

} // namespace gui::headless
