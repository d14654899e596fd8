#include "gui/windows/WindowsTextEditor.h"

#include "gui/Text.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsControl.h"
#include "gui/windows/WindowsInterface.h"

namespace gui {
namespace {

std::wstring editText(HWND edit) {
    wchar_t text[256] = {};
    GetWindowTextW(edit, text, 256);
    return text;
}

class WinTextEditor : public ::testing::Test {
protected:
    WinTextEditor() {
        ui = std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 300, 200}, "", 0.0f);
        editor.reset(static_cast<WindowsTextEditor*>(ui->platformDelegate().createTextEditor()));
        editor->text().text.setValue("start");
        editor->rectangle.setValue(Rect(10, 10, 110, 30));
        editor->textChangedEvent.addHandler(
            NotifyEvent::bind([this] { changes.push_back(editor->text().text.getValue()); }));
        editor->closedEvent.addHandler(NotifyEvent::bind([this] { ++closed; }));
    }
    ~WinTextEditor() override {
        editor.reset();
        ui.reset();
    }
    LRESULT key(WPARAM virtualKey) { return SendMessageW(editor->editWindow(), WM_KEYDOWN, virtualKey, 0); }
    void type(const wchar_t* text) {
        SendMessageW(editor->editWindow(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    test::TestWindow host;
    std::unique_ptr<WindowsInterface> ui;
    std::unique_ptr<WindowsTextEditor> editor;
    std::vector<std::string> changes;
    int closed = 0;
};

TEST_F(WinTextEditor, OpensAnEditChildWithTheTextSelectedAndTheFocus) {
    editor->open();
    HWND edit = editor->editWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetParent(edit), ui->window());
    wchar_t name[16] = {};
    GetClassNameW(edit, name, 16);
    EXPECT_EQ(_wcsicmp(name, L"EDIT"), 0);
    EXPECT_EQ(DWORD(GetWindowLongW(edit, GWL_STYLE)) & 0xFFFF0FFFu, 0x50000080u); // shown
    EXPECT_EQ(editText(edit), L"start");
    DWORD from = 0;
    DWORD to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_TRUE(SendMessageW(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    RECT r{};
    GetWindowRect(edit, &r);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 20);
}

TEST_F(WinTextEditor, StylesFollowAlignmentAndWrapping) {
    const std::pair<Alignment, DWORD> single[] = {
        {Alignment::kLeft, 0x40000080u}, {Alignment::kCentre, 0x40000081u}, {Alignment::kRight, 0x40000082u}};
    for (const auto& [alignment, style] : single) {
        editor->alignment.setValue(alignment);
        EXPECT_EQ(editor->editStyle(), style);
    }
    editor->text().lineStyle.setValue(Text::LineStyle::kWordWrap);
    const std::pair<Alignment, DWORD> multi[] = {
        {Alignment::kLeft, 0x40001044u}, {Alignment::kCentre, 0x40001045u}, {Alignment::kRight, 0x40001046u}};
    for (const auto& [alignment, style] : multi) {
        editor->alignment.setValue(alignment);
        EXPECT_EQ(editor->editStyle(), style);
    }
}

TEST_F(WinTextEditor, EnterCommitsOnceAndEscapeKeepsTheOldText) {
    editor->open();
    type(L"changed");
    EXPECT_EQ(key(VK_RETURN), 0);
    EXPECT_EQ(changes, std::vector<std::string>{"changed"});
    EXPECT_TRUE(editor->isClosing());
    key(VK_RETURN); // before the posted close runs
    EXPECT_EQ(changes.size(), 1u);
    SendMessageW(ui->window(), WM_TIMER, UserInterface::kTickTimerId, 0); // drains the close
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(closed, 1);

    editor->open();
    type(L"discarded");
    key(VK_ESCAPE);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->editWindow(), nullptr);
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(changes, std::vector<std::string>{"changed"}); // nothing applied
}

TEST_F(WinTextEditor, TabMovesOnAndEditsAreReadBack) {
    int tabs = 0;
    editor->tabEvent.addHandler(NotifyEvent::bind([&] { ++tabs; }));
    int edits = 0;
    editor->editedEvent.addHandler(NotifyEvent::bind([&] { ++edits; }));
    editor->open();
    type(L"typed"); // the EDIT notifies its parent, the UI window
    EXPECT_GE(edits, 1);
    EXPECT_EQ(editor->text().text.getValue(), "typed");
    // The UI window turns each update notification into the edited event.
    const int before = edits;
    SendMessageW(ui->window(), WM_COMMAND, MAKEWPARAM(0, EN_UPDATE),
                 reinterpret_cast<LPARAM>(editor->editWindow()));
    EXPECT_EQ(edits, before + 1);
    EXPECT_EQ(SendMessageW(editor->editWindow(), WM_CHAR, L'\t', 0), 0);
    EXPECT_EQ(editText(editor->editWindow()), L"typed");
    key(VK_TAB);
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(editor->tabAction.getValue(), TextEditor::TabAction::kForward);
}

TEST_F(WinTextEditor, ReportedKeysFireTheKeyEvent) {
    editor->keyReporting.setValue(true);
    std::vector<int> keys;
    editor->keyEvent.addHandler(NotifyEvent::bind([&] {
        keys.push_back(editor->lastKey());
        editor->keyHandled.setValue(true);
    }));
    editor->open();
    for (WPARAM k : {WPARAM(VK_LEFT), WPARAM(VK_RIGHT), WPARAM(VK_UP), WPARAM(VK_DOWN)})
        key(k);
    EXPECT_EQ(keys, (std::vector<int>{4, 5, 2, 3}));
    EXPECT_TRUE(editor->isOpen());
}

TEST_F(WinTextEditor, AnUnopaqueEditorAnswersTheColourRequest) {
    editor->open();
    HDC dc = GetDC(editor->editWindow());
    EXPECT_EQ(SendMessageW(ui->window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(editor->editWindow())),
              SendMessageW(ui->window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(editor->editWindow())));
    editor->opaqueBackground.setValue(false);
    editor->text().color.setValue(Color(10, 20, 30));
    editor->backgroundColor.setValue(Color(200, 210, 220));
    const LRESULT brush = SendMessageW(ui->window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(editor->editWindow()));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetTextColor(dc), RGB(10, 20, 30));
    EXPECT_EQ(GetBkColor(dc), RGB(200, 210, 220));
    ReleaseDC(editor->editWindow(), dc);
}

} // namespace
} // namespace gui
