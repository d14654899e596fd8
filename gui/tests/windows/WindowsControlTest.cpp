#include "gui/windows/WindowsControl.h"

#include "gui/Canvas.h"
#include "gui/InterfaceTimer.h"
#include "gui/MessageChannel.h"
#include "gui/Modifiers.h"
#include "gui/ValueControl.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/UIWindow.h"
#include "gui/windows/WindowsInterface.h"

#include <cstring>
#include <shlobj.h>
#include <sstream>

namespace gui {
namespace {

// A control that logs what reaches it.
class Probe : public Control {
public:
    Probe(UserInterface& ui, Control& parentControl, const Rect& rect, std::vector<std::string>& log)
        : Control(ui), log_(log) {
        setBounds(rect);
        parent.setValue(&parentControl);
    }
    void record(const std::string& text) { log_.push_back(text); }
    void mouseDown(int button, const Point& p, int modifiers) override {
        record(describe("down", button, p, modifiers));
        Control::mouseDown(button, p, modifiers);
    }
    void mouseUp(int button, const Point& p, int modifiers) override {
        record(describe("up", button, p, modifiers));
        Control::mouseUp(button, p, modifiers);
    }
    void mouseMove(const Point& p, int modifiers) override {
        if ((modifiers & kPressMove) == 0) record(describe("move", 0, p, modifiers));
        Control::mouseMove(p, modifiers);
    }
    void mouseLeave() override { record("leave"); }
    bool keyPressed(int key, int character, int) override {
        record("key " + std::to_string(key) + " " + std::to_string(character));
        return key != kKeyDelete; // Delete is left to the host
    }
    bool gesture(int kind, int phase, const Point&, int modifiers, const Point& first, const Point& second,
                 float factor) override {
        if (phase == 1) {
            std::ostringstream text;
            text << "wheel " << modifiers << " " << first.x << "," << first.y << " " << second.x << ","
                 << second.y << " " << factor;
            record(text.str());
        }
        return kind == 0;
    }

private:
    static std::string describe(const char* what, int button, const Point& p, int modifiers) {
        std::ostringstream text;
        text << what << " " << button << " " << p.x << "," << p.y << " " << modifiers;
        return text.str();
    }
    std::vector<std::string>& log_;
};

LPARAM clientPoint(int x, int y) {
    return MAKELPARAM(WORD(short(x)), WORD(short(y)));
}

class WinControl : public ::testing::Test {
protected:
    WinControl() {
        SetKeyboardState(keys);
        ui = std::make_unique<WindowsInterface>(host.handle(), RECT{10, 20, 210, 120}, "", 0.0f,
                                                [this] { return clock; });
        probe = new Probe(*ui, root(), Rect(20, 10, 120, 60), log);
        test::pumpMessages();
        log.clear();
    }
    ~WinControl() override {
        ui.reset();
        BYTE none[256] = {};
        SetKeyboardState(none);
    }
    WindowsControl& root() { return ui->windowsRoot(); }
    HWND window() { return ui->window(); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(window(), message, wParam, lParam);
    }
    std::string lastLog() const { return log.empty() ? "" : log.back(); }

    test::TestWindow host;
    std::uint32_t clock = 100000;
    BYTE keys[256] = {};
    std::unique_ptr<WindowsInterface> ui;
    Probe* probe = nullptr;
    std::vector<std::string> log;
};

TEST_F(WinControl, TheWindowIsAChildOfTheHostAtTheRectangle) {
    wchar_t name[32] = {};
    GetClassNameW(window(), name, 32);
    EXPECT_STREQ(name, L"ZT_UIWindow");
    EXPECT_EQ(DWORD(GetWindowLongW(window(), GWL_STYLE)) & 0xFFFF0000u, 0x56000000u);
    EXPECT_EQ(GetParent(window()), host.handle());
    EXPECT_EQ(root().bounds.getValue(), Rect(10, 20, 210, 120));
    EXPECT_FALSE(ui->accelerated.getValue());
    // Wheel routing cannot be read under the test system: the window took the focus.
    EXPECT_EQ(GetFocus(), window());
    ui.reset();
    EXPECT_EQ(uiWindowCount(), 0);
}

TEST_F(WinControl, ButtonsReachTheControlUnderThePointer) {
    send(WM_MOUSEMOVE, 0, clientPoint(30, 20));
    EXPECT_EQ(lastLog(), "move 0 10,10 0");
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, clientPoint(30, 20));
    EXPECT_EQ(lastLog(), "down 0 10,10 9");
    EXPECT_EQ(root().getCaptureHolder(), probe);
    EXPECT_EQ(GetCapture(), window());
    send(WM_LBUTTONUP, 0, clientPoint(35, 25));
    EXPECT_EQ(lastLog(), "up 0 15,15 0");
    EXPECT_EQ(root().getCaptureHolder(), nullptr);
    send(WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(30, 20));
    EXPECT_EQ(lastLog(), "down 1 10,10 16");
    send(WM_RBUTTONUP, 0, clientPoint(30, 20));
    EXPECT_EQ(lastLog(), "up 1 10,10 0");
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, clientPoint(30, 20));
    EXPECT_EQ(lastLog(), "down 0 10,10 72");
}

TEST_F(WinControl, CancelModeEndsTheCapturedPress) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(30, 20));
    ASSERT_EQ(root().getCaptureHolder(), probe);
    ASSERT_TRUE(root().isLeftButtonHeld());
    send(WM_CANCELMODE);
    EXPECT_EQ(lastLog(), "up 0 -1,-1 0");
    EXPECT_EQ(root().getCaptureHolder(), nullptr);
    EXPECT_FALSE(root().isLeftButtonHeld());
    log.clear();
    send(WM_CANCELMODE);
    EXPECT_TRUE(log.empty());
}

TEST_F(WinControl, ACaptureTakenFromTheWindowEndsTheValueGestureOnce) {
    for (UINT message : {UINT(0), UINT(WM_CAPTURECHANGED), UINT(WM_CANCELMODE)}) {
        SCOPED_TRACE(message);
        test::GestureRecorder listener;
        auto* knob = new ValueControl(*ui);
        knob->setBounds(Rect(130, 10, 180, 60));
        knob->parent.setValue(&root());
        knob->setListener(&listener);
        send(WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(140, 20));
        ASSERT_EQ(root().getCaptureHolder(), knob);
        EXPECT_EQ(listener.phases(), "0");
        if (message == WM_CAPTURECHANGED)
            send(message, 0, reinterpret_cast<LPARAM>(host.handle())); // another window took it
        else if (message != 0)
            send(message);
        if (message != 0) {
            EXPECT_EQ(listener.phases(), "02");
            EXPECT_EQ(root().getCaptureHolder(), nullptr);
        }
        send(WM_LBUTTONUP, 0, clientPoint(140, 20));
        EXPECT_EQ(listener.phases(), "02"); // the root's own release ends nothing twice
        delete knob;
    }
}

TEST_F(WinControl, WheelNotchesBecomeSpeedAndDistanceOnTheInjectedClock) {
    POINT screen{30, 20};
    ClientToScreen(window(), &screen);
    const LPARAM at = MAKELPARAM(WORD(screen.x), WORD(screen.y));
    clock += 50;
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(120))), at);
    EXPECT_EQ(lastLog(), "wheel 0 0,0.02 0,30 1");
    clock += 2000;
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(-120))), at);
    EXPECT_EQ(lastLog(), "wheel 0 0,-0.002 0,-30 -1");
    clock += 100;
    send(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT | MK_CONTROL, WORD(short(240))), at);
    EXPECT_EQ(lastLog(), "wheel 0 0.02,0 50,0 0");
    clock += 10;
    send(WM_MOUSEHWHEEL, MAKEWPARAM(0, WORD(short(120))), at);
    // The horizontal axis keeps its own time: 2110 ms since construction count as 500.
    EXPECT_EQ(lastLog(), "wheel 0 0.002,0 25,0 0");
}

TEST_F(WinControl, EditorKeysGoToTheFocusAndOthersToTheHost) {
    root().setFocusedChild(probe);
    const std::pair<WPARAM, int> rows[] = {{VK_ESCAPE, 9}, {VK_END, 8},   {VK_HOME, 7}, {VK_LEFT, 4},
                                           {VK_UP, 2},     {VK_RIGHT, 5}, {VK_DOWN, 3}};
    for (const auto& [key, code] : rows) {
        EXPECT_EQ(send(WM_KEYDOWN, key), 0);
        EXPECT_EQ(lastLog(), "key " + std::to_string(code) + " 0");
    }
    send(WM_CHAR, L'x');
    EXPECT_EQ(lastLog(), "key 1 120");
    test::pumpMessages();

    // Not taken (Delete) or not an editor key: posted to the host's top-level window.
    for (WPARAM key : {WPARAM(VK_DELETE), WPARAM('A')}) {
        send(WM_KEYDOWN, key);
        MSG message{};
        ASSERT_TRUE(PeekMessageW(&message, host.handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << key;
        EXPECT_EQ(message.wParam, key);
    }
    send(WM_KEYUP, 'A');
    MSG message{};
    EXPECT_TRUE(PeekMessageW(&message, host.handle(), WM_KEYUP, WM_KEYUP, PM_REMOVE));
}

// A child that answers the UI window's edit messages.
LRESULT CALLBACK editStandIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<std::vector<UINT>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (log != nullptr && message >= WM_APP) {
        log->push_back(message);
        return message == WM_APP + 3 ? 0x1234 : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(WinControl, EditNotificationsAndColourRequestsReachTheEditWindow) {
    const std::wstring className = test::uniqueName(L"VarnelEditStandIn");
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = editStandIn;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    HWND edit = CreateWindowExW(0, className.c_str(), L"", WS_CHILD, 0, 0, 10, 10, window(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    std::vector<UINT> received;
    SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
    EXPECT_EQ(send(WM_COMMAND, MAKEWPARAM(7, 0x400), reinterpret_cast<LPARAM>(edit)), 0);
    EXPECT_EQ(send(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(edit)), 0x1234);
    EXPECT_EQ(received, (std::vector<UINT>{WM_APP + 2, WM_APP + 3}));
    DestroyWindow(edit);
    UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));

    SetFocus(host.handle());
    send(WM_APP);
    EXPECT_EQ(GetFocus(), window());
}

TEST_F(WinControl, TheTickTracksModifiersAndHoverAndFiresItsEvent) {
    int ticks = 0;
    ui->tickEvent.addHandler(NotifyEvent::bind([&] { ++ticks; }));
    send(WM_MOUSEMOVE, 0, clientPoint(30, 20));
    ASSERT_EQ(root().getHoverChild(), probe);
    POINT inside{30, 20};
    ClientToScreen(window(), &inside);
    SetCursorPos(inside.x, inside.y);
    log.clear();
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(log.empty());

    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_EQ(lastLog(), "move 0 10,10 4");
    log.clear();
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_TRUE(log.empty());

    RECT r{};
    GetWindowRect(window(), &r);
    SetCursorPos(r.right + 50, r.bottom + 50);
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_EQ(lastLog(), "leave");
    EXPECT_EQ(ticks, 4);
}

TEST_F(WinControl, ADropOfTwoFilesGivesTheFirst) {
    const std::wstring names = std::wstring(L"C:\\first.ztp") + L'\0' + L"C:\\second.ztp" + L'\0' + L'\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{40, 30};
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    struct DropListener : MessageChannel::Listener {
        void filesDropped(float x, float y, const std::string& path) override {
            std::ostringstream text;
            text << path << " " << x << "," << y;
            dropped.push_back(text.str());
        }
        std::vector<std::string> dropped;
    } listener;
    ui->messageChannel().addListener(&listener);
    send(WM_DROPFILES, reinterpret_cast<WPARAM>(block));
    ui->messageChannel().removeListener(&listener);
    EXPECT_EQ(listener.dropped, std::vector<std::string>{"C:\\first.ztp 40,30"});
}

TEST_F(WinControl, ClipboardChangesFireTheEvent) {
    int changes = 0;
    ui->clipboardChangedEvent.addHandler(NotifyEvent::bind([&] { ++changes; }));
    EXPECT_EQ(send(WM_CLIPBOARDUPDATE), 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(WinControl, TimersTickByIdAndUnknownIdsAreIgnored) {
    Timer* first = ui->createTimer();
    Timer* second = ui->createTimer();
    int firstTicks = 0;
    int secondTicks = 0;
    first->tickEvent.addHandler(NotifyEvent::bind([&] { ++firstTicks; }));
    second->tickEvent.addHandler(NotifyEvent::bind([&] { ++secondTicks; }));
    first->interval.setValue(5);
    first->enabled.setValue(true);
    second->enabled.setValue(true);
    const int secondId = static_cast<InterfaceTimer*>(second)->id();
    EXPECT_GE(static_cast<InterfaceTimer*>(first)->id(), UserInterface::kFirstTimerId);
    EXPECT_NE(static_cast<InterfaceTimer*>(first)->id(), secondId);
    send(WM_TIMER, WPARAM(secondId));
    send(WM_TIMER, 99);
    EXPECT_EQ(secondTicks, 1);
    EXPECT_EQ(firstTicks, 0);
    delete second;
    send(WM_TIMER, WPARAM(secondId));
    EXPECT_EQ(secondTicks, 1);

    // A running timer ticks through real WM_TIMER messages, also after a switch to full screen and back.
    first->enabled.setValue(true);
    for (int pass = 0; pass < 3; ++pass) {
        if (pass == 1) root().fullScreen.setValue(true);
        if (pass == 2) root().fullScreen.setValue(false);
        const int before = firstTicks;
        const DWORD start = GetTickCount();
        while (firstTicks == before && GetTickCount() - start < 2000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            test::pumpMessages();
        }
        EXPECT_GT(firstTicks, before) << pass;
    }
}

TEST_F(WinControl, FullScreenAndBack) {
    HWND child = window();
    root().fullScreen.setValue(true);
    ASSERT_TRUE(root().fullScreen.getValue());
    HWND popup = window();
    EXPECT_NE(popup, child);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(DWORD(GetWindowLongW(popup, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &info);
    const Rect full = root().bounds.getValue();
    EXPECT_EQ(full.right - full.left, float(info.rcMonitor.right - info.rcMonitor.left));
    EXPECT_EQ(full.bottom - full.top, float(info.rcMonitor.bottom - info.rcMonitor.top));

    // Escape leaves full screen.
    send(WM_KEYDOWN, VK_ESCAPE); // no control takes it
    EXPECT_FALSE(root().fullScreen.getValue());
    EXPECT_EQ(GetParent(window()), host.handle());
    EXPECT_EQ(root().bounds.getValue(), Rect(10, 20, 210, 120));

    // Closing the full-screen window leaves it too and calls the handler.
    int handled = 0;
    root().setFullScreenHandler([&] { ++handled; });
    root().fullScreen.setValue(true);
    send(WM_CLOSE);
    EXPECT_FALSE(root().fullScreen.getValue());
    EXPECT_EQ(handled, 1);
}

// A host may move the editor to another window; full screen and back, and
// a switch made while full screen, land in the newest parent.
TEST_F(WinControl, ANewParentTakesTheWindowAndFullScreenReturnsToIt) {
    test::TestWindow other(L"other");
    HWND dead = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(dead);
    EXPECT_FALSE(root().setParentWindow(dead));
    EXPECT_FALSE(root().setParentWindow(nullptr));
    EXPECT_EQ(GetParent(window()), host.handle());

    ASSERT_TRUE(root().setParentWindow(other.handle()));
    EXPECT_EQ(GetParent(window()), other.handle());
    EXPECT_EQ(root().parentWindow(), other.handle());
    EXPECT_EQ(root().bounds.getValue(), Rect(10, 20, 210, 120));

    root().fullScreen.setValue(true);
    EXPECT_EQ(GetWindow(window(), GW_OWNER), other.handle()) << "the popup belongs to the new host";
    root().fullScreen.setValue(false);
    EXPECT_EQ(GetParent(window()), other.handle());
    EXPECT_EQ(root().bounds.getValue(), Rect(10, 20, 210, 120));

    // Moved while full screen: the popup stays, the child returns to the host.
    root().fullScreen.setValue(true);
    HWND popup = window();
    ASSERT_TRUE(root().setParentWindow(host.handle()));
    EXPECT_EQ(window(), popup);
    root().fullScreen.setValue(false);
    EXPECT_EQ(GetParent(window()), host.handle());
    EXPECT_EQ(root().bounds.getValue(), Rect(10, 20, 210, 120));
    ui.reset();
    EXPECT_EQ(uiWindowCount(), 0);
}

TEST_F(WinControl, MovingAndSizingTheWindowMovesTheBounds) {
    SetWindowPos(window(), nullptr, 30, 40, 150, 90, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(root().bounds.getValue(), Rect(30, 40, 180, 130));
}

// Two fake monitors side by side at 96 and 192 DPI; a window left of x = 500 is on the first.
HMONITOR fakeMonitorOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return reinterpret_cast<HMONITOR>(std::size_t(r.left < 500 ? 1 : 2));
}

HRESULT WINAPI fakeMonitorDpi(HMONITOR monitor, int, UINT* x, UINT* y) {
    *x = *y = reinterpret_cast<std::size_t>(monitor) == 1 ? 96 : 192;
    return S_OK;
}

TEST_F(WinControl, AWindowMovedToAnotherMonitorTakesItsScaleUnlessOneIsFixed) {
    DpiFunctions table{};
    table.monitorFromWindow = fakeMonitorOf;
    table.getDpiForMonitor = fakeMonitorDpi;
    setDpiFunctions(&table);
    int changes = 0;
    root().monitorChangedEvent.addHandler(NotifyEvent::bind([&] { ++changes; }));
    root().checkMonitor();
    const int first = changes;
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 1.0f);
    SetWindowPos(host.handle(), nullptr, 600, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_EQ(changes, first + 1);
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 2.0f);
    send(WM_TIMER, UserInterface::kTickTimerId); // same place: nothing changes
    EXPECT_EQ(changes, first + 1);

    root().setFixedScale(2.0f);
    SetWindowPos(host.handle(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    send(WM_TIMER, UserInterface::kTickTimerId);
    EXPECT_EQ(changes, first + 2);
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 2.0f);
    setDpiFunctions(nullptr);
}

TEST_F(WinControl, AHandlerMayDestroyTheEditorDuringAMessage) {
    ui->tickEvent.addHandler(NotifyEvent::bind([&] { ui.reset(); }));
    HWND before = window();
    SendMessageW(before, WM_TIMER, UserInterface::kTickTimerId, 0);
    EXPECT_EQ(ui, nullptr);
    EXPECT_FALSE(IsWindow(before));
    // Messages to the gone window find no control.
    EXPECT_EQ(SendMessageW(before, WM_TIMER, UserInterface::kTickTimerId, 0), 0);
}

} // namespace
} // namespace gui
