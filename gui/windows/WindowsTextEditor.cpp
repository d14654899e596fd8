#include "gui/windows/WindowsTextEditor.h"

#include "foundation/windows/Win32Support.h"
#include "gui/RootLockScope.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "gui/windows/WindowsControl.h"
#include "gui/windows/WindowsText.h"

#include <cmath>
#include <vector>

namespace gui {

namespace {

LONG toPixels(float logical, float scale) {
    return LONG(std::floor(logical * scale + 0.7f));
}

TextEditor::EditorKey editorKey(WPARAM key) {
    switch (key) {
    case VK_RETURN:
        return TextEditor::EditorKey::kEnter;
    case VK_ESCAPE:
        return TextEditor::EditorKey::kEscape;
    case VK_TAB:
        return TextEditor::EditorKey::kTab;
    case VK_LEFT:
        return TextEditor::EditorKey::kLeft;
    case VK_RIGHT:
        return TextEditor::EditorKey::kRight;
    case VK_UP:
        return TextEditor::EditorKey::kUp;
    case VK_DOWN:
        return TextEditor::EditorKey::kDown;
    case 'A':
        return (GetKeyState(VK_CONTROL) & 0x8000) != 0 ? TextEditor::EditorKey::kSelectAll
                                                       : TextEditor::EditorKey::kOther;
    default:
        return TextEditor::EditorKey::kOther;
    }
}

} // namespace

WindowsTextEditor::WindowsTextEditor(UserInterface& userInterface, Text* text)
    : TextEditor(userInterface, text), alive_(std::make_shared<bool>(true)) {}

WindowsTextEditor::~WindowsTextEditor() {
    *alive_ = false;
    if (edit_ != nullptr) closeNative();
}

DWORD WindowsTextEditor::editStyle() {
    const DWORD alignment = DWORD(this->alignment.getValue()); // ES_LEFT 0, ES_CENTER 1, ES_RIGHT 2
    return (isMultiLine() ? kMultiLineStyle : kSingleLineStyle) | alignment;
}

RECT WindowsTextEditor::pixelRect() {
    const float s = userInterface().deviceBacking().getScale();
    const Rect r = rectangle.getValue();
    return RECT{toPixels(r.left, s), toPixels(r.top, s), toPixels(r.right, s), toPixels(r.bottom, s)};
}

void WindowsTextEditor::openNative() {
    HWND parent = static_cast<HWND>(userInterface().nativeWindow());
    if (parent == nullptr || edit_ != nullptr) return;
    const RECT r = pixelRect();
    edit_ = CreateWindowExW(0, L"EDIT", L"", editStyle(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                            parent, nullptr, win32::libraryModule(), nullptr);
    if (edit_ == nullptr) return;
    const LOGFONTW description =
        WindowsText::fontDescription(text(), userInterface().deviceBacking().getScale());
    font_ = CreateFontIndirectW(&description);
    if (font_ != nullptr) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const std::wstring wide = win32::wide(text().text.getValue());
    SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowsTextEditor::editProc)));
    SendMessageW(edit_, EM_SETSEL, 0, -1);
    ShowWindow(edit_, SW_SHOW);
    SetFocus(edit_);
}

void WindowsTextEditor::closeNative() {
    if (edit_ != nullptr) {
        HWND edit = edit_;
        edit_ = nullptr;
        SetWindowLongPtrW(edit, GWLP_USERDATA, 0);
        if (original_ != nullptr)
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        DestroyWindow(edit);
    }
    original_ = nullptr;
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
}

void WindowsTextEditor::setText(const std::string& newText) {
    if (edit_ == nullptr) return;
    const std::wstring wide = win32::wide(newText);
    SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(edit_, EM_SETSEL, WPARAM(wide.size()), LPARAM(wide.size()));
}

void WindowsTextEditor::selectAll() {
    if (edit_ != nullptr) SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void WindowsTextEditor::updateRect() {
    if (edit_ == nullptr) return;
    const RECT r = pixelRect();
    SetWindowPos(edit_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowsTextEditor::readText() {
    if (edit_ == nullptr) return;
    const LRESULT length = SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(std::size_t(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(edit_, WM_GETTEXT, WPARAM(buffer.size()), reinterpret_cast<LPARAM>(buffer.data()));
    text().text.setValue(win32::utf8(buffer.data(), std::size_t(std::max<LRESULT>(copied, 0))));
}

LRESULT CALLBACK WindowsTextEditor::editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* editor = reinterpret_cast<WindowsTextEditor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (editor == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    RootControl* root = editor->userInterface().rootControl();
    if (root == nullptr) return editor->handle(window, message, wParam, lParam);
    RootLockScope scope(*root);
    return editor->handle(window, message, wParam, lParam);
}

LRESULT WindowsTextEditor::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<bool> alive = alive_;
    const WNDPROC original = original_;
    if (message == WM_KEYDOWN) {
        const EditorKey key = editorKey(wParam);
        if (key != EditorKey::kOther) {
            const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
            // After a key that ended editing the window may be gone: its own procedure is skipped.
            if (keyDown(key, shift) != KeyResult::kPassOn) return 0;
            if (!*alive || edit_ != window) return 0;
        }
    }
    if (message == WM_CHAR && (wParam == L'\t' || (wParam == L'\r' && !isMultiLine()))) return 0;
    LRESULT result = original != nullptr ? CallWindowProcW(original, window, message, wParam, lParam)
                                         : DefWindowProcW(window, message, wParam, lParam);
    if (!*alive || edit_ != window) return result;
    switch (message) {
    case WM_GETDLGCODE:
        result |= DLGC_WANTALLKEYS;
        break;
    case WindowsControl::kEditChangedMessage:
        nativeTextEdited();
        break;
    case WindowsControl::kEditColorMessage:
        if (!opaqueBackground.getValue()) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const Color ink = text().color.getValue();
            const Color paper = backgroundColor.getValue();
            SetTextColor(dc, RGB(ink.r, ink.g, ink.b));
            SetBkColor(dc, RGB(paper.r, paper.g, paper.b));
            result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        break;
    default:
        break;
    }
    return result;
}

} // namespace gui
