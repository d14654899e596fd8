#pragma once

// The in-place text editor on Windows: an EDIT child of the editor's window
// (single-line, or multi-line for word-wrapped text) with the text's font,
// its text selected and the focus. Its window procedure is subclassed and
// runs inside the root's lock scope: Enter (single-line) commits, Escape
// cancels, Tab and Shift+Tab move on, Ctrl+A selects all, reported keys fire
// the key event; after a key that ended editing the EDIT's own procedure is
// skipped, since the window may be gone.
//
// Threading: GUI thread only.

#include "gui/TextEditor.h"

#include <memory>
#include <windows.h>

namespace gui {

class WindowsTextEditor : public TextEditor {
public:
    // Window styles: single-line and multi-line, before the alignment bits.
    static constexpr DWORD kSingleLineStyle = WS_CHILD | ES_AUTOHSCROLL;
    static constexpr DWORD kMultiLineStyle = WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

    WindowsTextEditor(UserInterface& userInterface, Text* text);
    ~WindowsTextEditor() override;

    HWND editWindow() const { return edit_; }
    // The style of the EDIT window for the current text and alignment.
    DWORD editStyle();

protected:
    void openNative() override;
    void closeNative() override;
    void setText(const std::string& text) override;
    void selectAll() override;
    void updateRect() override;
    void readText() override;

private:
    static LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    RECT pixelRect();

    HWND edit_ = nullptr;
    WNDPROC original_ = nullptr;
    HFONT font_ = nullptr;
    std::shared_ptr<bool> alive_;
};

} // namespace gui
