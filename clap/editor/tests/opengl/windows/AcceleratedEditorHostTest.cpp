// The editor host with the accelerated root on real windows (Wine's X11
// driver on an Xvfb): the host opens the editor in a window of its own,
// scales and sizes it every few milliseconds while the render thread draws,
// and closes it, sometimes after it destroyed its own window first. Nothing
// asserts real time: waits pump messages until a condition holds, and a
// watchdog ends a program that hangs.

#include "clap/editor/ClapPluginEditor.h"
#include "clap/editor/tests/EditorProductRig.h"
#include "clap/tests/ClapTestProduct.h"
#include "gui/Canvas.h"
#include "gui/RootControl.h"
#include "gui/RootLockScope.h"
#include "gui/tests/Watchdog.h"
#include "gui/tests/opengl/GLTestContext.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/AcceleratedWindowsControl.h"
#include "gui/windows/UIWindow.h"
#include "gui/windows/WindowsInterface.h"
#include "plugin/GenericPluginSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <windows.h>

#include <tlhelp32.h>

namespace {

using test::FrameRgb;

constexpr int32_t kWidth = 200;
constexpr int32_t kHeight = 120;
constexpr float kMarker = 8.0f;
constexpr gui::Color kFillColour{30, 90, 200, 255};
constexpr gui::Color kMarkerColour{230, 200, 20, 255};

// A control that fills itself with one colour.
class Fill : public gui::Control {
public:
    Fill(gui::UserInterface& ui, const gui::Rect& rect, gui::Color color) : Control(ui), color_(color) {
        setBounds(rect);
        parent.setValue(ui.rootControl());
    }
    void draw(gui::Canvas& canvas) override { canvas.fillRect(localRect(), color_); }

private:
    gui::Color color_;
};

// The product's editor here: the root filled, with a marker in its
// bottom-right corner, so a frame shows the scale it was drawn at.
void filledRoot(gui::UserInterface& ui, GenericPlugin&, GenericPluginInterface&) {
    new Fill(ui, gui::Rect(0, 0, float(kWidth), float(kHeight)), kFillColour);
    new Fill(ui, gui::Rect(float(kWidth) - kMarker, float(kHeight) - kMarker, float(kWidth), float(kHeight)),
             kMarkerColour);
}

// Pumps the GUI thread's messages until the condition holds (the watchdog
// ends a wait that never does), or until the limit when one is given.
bool pumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds::max()) {
    const auto start = std::chrono::steady_clock::now();
    while (!condition()) {
        if (limit != std::chrono::milliseconds::max() && std::chrono::steady_clock::now() - start > limit)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        test::pumpMessages();
    }
    return true;
}

void pumpFor(std::chrono::milliseconds time) {
    pumpUntil([] { return false; }, time);
}

int processThreads() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

int threadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

int childWindows(HWND parent) {
    int count = 0;
    EnumChildWindows(
        parent,
        [](HWND, LPARAM data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// The frames the render thread reads back before its swaps.
class FrameTap {
public:
    void attach(gui::AcceleratedWindowsControl& root) {
        root.setFrameObserver([this, &root] {
            RECT client{};
            if (!GetClientRect(root.window(), &client)) return;
            FrameRgb frame = test::readFrame(client.right, client.bottom);
            std::lock_guard<std::mutex> lock(mutex_);
            last_ = std::move(frame);
            ++count_;
        });
    }
    int count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    // A frame whose drawing pass began after this call (the root is made
    // dirty twice: a frame drawn before may still be on its way to the swap).
    FrameRgb next(gui::RootControl& root) {
        const int seen = count();
        for (int k = 1; k <= 2; ++k) {
            {
                gui::RootLockScope scope(root);
                root.invalidateRect(root.localRect());
            }
            pumpUntil([&] { return count() > seen + k - 1; });
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }

private:
    mutable std::mutex mutex_;
    FrameRgb last_;
    int count_ = 0;
};

bool matches(const std::uint8_t* pixel, gui::Color colour) {
    return std::abs(pixel[0] - colour.r) <= 2 && std::abs(pixel[1] - colour.g) <= 2 &&
           std::abs(pixel[2] - colour.b) <= 2;
}

// The host's clap.gui: a resize request destroys the editor when asked to,
// as a host may do inside the call.
const clap_plugin_t* destroyInResize = nullptr;
const clap_host_gui_t hostGui{[](const clap_host_t*) {},
                              [](const clap_host_t*, uint32_t, uint32_t) {
                                  if (destroyInResize != nullptr) {
                                      const auto* gui = static_cast<const clap_plugin_gui_t*>(
                                          destroyInResize->get_extension(destroyInResize, CLAP_EXT_GUI));
                                      gui->destroy(destroyInResize);
                                  }
                                  return true;
                              },
                              [](const clap_host_t*) { return false; },
                              [](const clap_host_t*) { return false; }, [](const clap_host_t*, bool) {}};

class AcceleratedEditorHostTest : public test::ClapProductTest {
protected:
    void SetUp() override {
        ClapProductTest::SetUp();
        test::clapTestProduct().editor = &test::testEditorProduct<filledRoot>();
        test::clapTestProduct().interfaceWidth = kWidth;
        test::clapTestProduct().interfaceHeight = kHeight;
        host = std::make_unique<TestHost>();
        host->addExtension(CLAP_EXT_GUI, &hostGui);
        plugin = makeInstance(*host);
        ASSERT_TRUE(plugin->init());
        p = plugin->plugin();
        GenericPlugin::setProcessDisplayOptions(1, GenericPlugin::SharedSettings::kFollowSystemScale);
        gui = static_cast<const clap_plugin_gui_t*>(p->get_extension(p, CLAP_EXT_GUI));
        ASSERT_NE(gui, nullptr);
    }
    void TearDown() override {
        destroyInResize = nullptr;
        plugin.reset();
        host.reset();
        ClapProductTest::TearDown();
    }

    static clap_window_t window(HWND handle) {
        clap_window_t w{};
        w.api = CLAP_WINDOW_API_WIN32;
        w.win32 = handle;
        return w;
    }
    // Embeds a new editor in the host window, taps the accelerated root's
    // frames and shows it; null (with the failure said) when a step fails.
    gui::AcceleratedWindowsControl* openOn(HWND hostWindow, FrameTap& tap) {
        const clap_window_t w = window(hostWindow);
        if (!gui->create(p, CLAP_WINDOW_API_WIN32, false) || !gui->set_parent(p, &w)) {
            ADD_FAILURE() << "create or set_parent refused";
            return nullptr;
        }
        auto* root = dynamic_cast<gui::AcceleratedWindowsControl*>(&userInterface().windowsRoot());
        if (root == nullptr) {
            ADD_FAILURE() << "no accelerated root on this display";
            return nullptr;
        }
        {
            gui::RootLockScope scope(*root);
            tap.attach(*root);
        }
        EXPECT_TRUE(gui->show(p));
        UpdateWindow(root->window());
        return root;
    }
    gui::WindowsInterface& userInterface() const {
        return *dynamic_cast<gui::WindowsInterface*>(ClapPluginEditor::of(p)->window().userInterface());
    }

    // The window a host gives the editor: a child of its frame window (one
    // for the whole test; on a display without a window manager, destroying
    // a top-level window costs seconds, a child nothing).
    HWND makeHostWindow() {
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600,
                                      400, frame.handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(window, nullptr);
        return window;
    }

    // One editor from create to destroy; the host destroys its own window
    // before the editor when hostClosesFirst.
    void cycle(int round, bool hostClosesFirst) {
        SCOPED_TRACE(testing::Message()
                     << "round " << round << (hostClosesFirst ? ", host window first" : ""));
        HWND hostWindow = makeHostWindow();
        FrameTap tap;
        gui::AcceleratedWindowsControl* root = openOn(hostWindow, tap);
        ASSERT_NE(root, nullptr);
        ASSERT_TRUE(root->isRenderThreadRunning()) << "the first paint starts the render thread";
        pumpUntil([&] { return tap.count() > 0; });

        // The host scales and sizes the editor every few milliseconds.
        const double scales[] = {1.5, 2.0, 1.0};
        uint32_t width = 0, height = 0;
        for (int step = 0; step < 9; ++step) {
            const double scale = scales[(round + step) % 3];
            EXPECT_TRUE(gui->set_scale(p, scale));
            ASSERT_TRUE(gui->get_size(p, &width, &height));
            EXPECT_EQ(width, uint32_t(double(kWidth) * scale));
            EXPECT_TRUE(gui->set_size(p, width, height));
            pumpFor(std::chrono::milliseconds(3));
        }
        if (round % 4 == 1) {
            // Hidden, the thread stops keeping its textures; the next paint starts it again.
            EXPECT_TRUE(gui->hide(p));
            EXPECT_FALSE(root->isRenderThreadRunning());
            EXPECT_TRUE(gui->show(p));
            UpdateWindow(root->window());
            EXPECT_TRUE(root->isRenderThreadRunning());
        }
        HWND secondHost = nullptr;
        if (round % 4 == 3) {
            // Moved to another host window; full screen and back lands there.
            secondHost = makeHostWindow();
            const clap_window_t second = window(secondHost);
            EXPECT_TRUE(gui->set_parent(p, &second));
            EXPECT_EQ(GetParent(root->window()), secondHost);
            for (bool on : {true, false}) {
                {
                    gui::RootLockScope scope(*root);
                    root->fullScreen.setValue(on);
                }
                UpdateWindow(root->window());
                EXPECT_TRUE(root->isRenderThreadRunning());
            }
            EXPECT_EQ(GetParent(root->window()), secondHost);
        }
        // The newest frame has the last size: the marker sits in its corner.
        const FrameRgb frame = tap.next(*root);
        EXPECT_EQ(uint32_t(frame.width), width);
        EXPECT_EQ(uint32_t(frame.height), height);
        if (uint32_t(frame.width) == width && uint32_t(frame.height) == height) {
            const int marker = int(kMarker * userInterface().deviceBacking().getScale());
            EXPECT_TRUE(matches(frame.at(frame.width - 2, frame.height - 2), kMarkerColour));
            EXPECT_TRUE(matches(frame.at(frame.width - marker - 2, frame.height - 2), kFillColour));
            EXPECT_TRUE(matches(frame.at(frame.width - 2, frame.height - marker - 2), kFillColour));
        }

        if (hostClosesFirst) {
            DestroyWindow(secondHost != nullptr ? secondHost : hostWindow);
            pumpFor(std::chrono::milliseconds(3));
        }
        gui->destroy(p);
        EXPECT_EQ(ClapPluginEditor::of(p), nullptr);
        EXPECT_EQ(gui::uiWindowCount(), 0);
        if (!hostClosesFirst) {
            EXPECT_EQ(childWindows(secondHost != nullptr ? secondHost : hostWindow), 0);
        }
        for (HWND window : {secondHost, hostWindow})
            if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    }

    test::Watchdog watchdog{std::chrono::seconds(60)};
    test::TestWindow frame{L"host"};
    std::unique_ptr<TestHost> host;
    std::unique_ptr<HostedPlugin> plugin;
    const clap_plugin_t* p = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
};

TEST_F(AcceleratedEditorHostTest, ScalingAndSizingWhileFramesDrawThenClosingLeavesNothingBehind) {
    // The first editor starts what the process keeps (the driver's threads, hidden windows).
    cycle(0, false);
    cycle(0, true);
    pumpFor(std::chrono::milliseconds(20));
    const int threads = processThreads();
    const int windows = threadWindows();
    ASSERT_GT(threads, 0);
    for (int round = 1; round <= 20; ++round) {
        cycle(round, round % 3 == 0);
        if (HasFatalFailure()) return;
    }
    // Every render thread was joined; the windows and their timers went with the editors.
    EXPECT_TRUE(pumpUntil([&] { return processThreads() <= threads; }, std::chrono::seconds(5)))
        << processThreads() << " threads, " << threads << " before";
    EXPECT_EQ(threadWindows(), windows);
    int timers = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(60)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER) ++timers;
            DispatchMessageW(&message);
        }
    }
    EXPECT_EQ(timers, 0) << "a timer outlived its editor";
}

// A host that destroys the editor inside its resize request: the editor
// goes from the next drain of its messages, inside a window message and
// while the render thread draws; the thread is joined and the window goes.
TEST_F(AcceleratedEditorHostTest, AnEditorDestroyedInsideTheHostsResizeGoesWithItsRenderThread) {
    HWND hostWindow = makeHostWindow();
    const int threads = processThreads();
    FrameTap tap;
    gui::AcceleratedWindowsControl* root = openOn(hostWindow, tap);
    ASSERT_NE(root, nullptr);
    ClapPluginEditor* editor = ClapPluginEditor::of(p);
    pumpUntil([&] { return tap.count() > 0; });
    ASSERT_TRUE(root->isRenderThreadRunning());

    destroyInResize = p;
    test::clapTestProduct().interfaceWidth = kWidth + 40; // the layout changed
    editor->productInterface()->applyInterfaceSize();
    EXPECT_EQ(ClapPluginEditor::of(p), nullptr) << "closed to the host at once";
    pumpUntil([] { return gui::uiWindowCount() == 0; });
    EXPECT_EQ(childWindows(hostWindow), 0);
    EXPECT_TRUE(pumpUntil([&] { return processThreads() <= threads; }, std::chrono::seconds(5)))
        << "the render thread outlived its editor";
    // A new editor opens in the same window.
    destroyInResize = nullptr;
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_WIN32, false));
    const clap_window_t w = window(hostWindow);
    EXPECT_TRUE(gui->set_parent(p, &w));
    gui->destroy(p);
    DestroyWindow(hostWindow);
}

} // namespace
