#include "gui/windows/AcceleratedWindowsControl.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/DisplayOptions.h"
#include "gui/GLContext.h"
#include "gui/InterfaceTimer.h"
#include "gui/OpenGLRenderer.h"
#include "gui/OpenGLTexture.h"
#include "gui/RootLockScope.h"
#include "gui/tests/Watchdog.h"
#include "gui/tests/opengl/GLTestContext.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The accelerated root on a real window (Wine's X11 driver on an Xvfb):
// its render thread draws and swaps while the test pumps the GUI thread's
// messages. Nothing asserts real time: waits pump messages until a
// condition holds, and a watchdog fails a test that hangs.

namespace gui {
namespace {

using StopRequest = RenderLoop::StopRequest;

constexpr int kWidth = 120;
constexpr int kHeight = 80;

// A control that fills itself with one colour.
class Fill : public Control {
public:
    Fill(UserInterface& ui, const Rect& rect, Color color) : Control(ui), color_(color) {
        setBounds(rect);
        parent.setValue(ui.rootControl());
    }
    void draw(Canvas& canvas) override { canvas.fillRect(localRect(), color_); }

private:
    Color color_;
};

// A control that draws a bitmap of one opaque colour (made by the test).
class Picture : public Control {
public:
    Picture(UserInterface& ui, const Rect& rect, Color color) : Control(ui), bitmap_(ui.deviceBacking()) {
        setBounds(rect);
        bitmap_.setSize(rect.width(), rect.height());
        bitmap_.fillRect(Rect(0, 0, rect.width(), rect.height()), color);
        parent.setValue(ui.rootControl());
    }
    void draw(Canvas& canvas) override { canvas.drawBitmap(bitmap_, localRect(), Point(0, 0), 255); }
    const Bitmap& bitmap() const { return bitmap_; }

private:
    Bitmap bitmap_;
};

// Pumps the GUI thread's messages until the condition holds.
void pumpUntil(const std::function<bool()>& condition) {
    while (!condition()) {
        test::pumpMessages();
        Sleep(1);
    }
}

// The frames the render thread reads back before its swaps.
class FrameTap {
public:
    void attach(AcceleratedWindowsControl& root) {
        // The window changes only while the render thread is stopped.
        root.setFrameObserver([this, &root] {
            // The whole client area (the full-screen window is larger).
            RECT client{};
            GetClientRect(root.window(), &client);
            test::FrameRgb frame = test::readFrame(client.right, client.bottom);
            std::lock_guard<std::mutex> lock(mutex_);
            last_ = std::move(frame);
            ++count_;
        });
    }
    static void invalidate(RootControl& root) {
        RootLockScope scope(root);
        root.invalidateRect(root.localRect());
    }
    int count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    test::FrameRgb last() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }
    // A frame whose drawing pass began after this call: the root is made
    // dirty twice, since a frame drawn before the call may still be on its
    // way to the swap when the first mark is made.
    test::FrameRgb next(RootControl& root) {
        const int seen = count();
        invalidate(root);
        pumpUntil([&] { return count() > seen; });
        invalidate(root);
        pumpUntil([&] { return count() > seen + 1; });
        return last();
    }

private:
    mutable std::mutex mutex_;
    test::FrameRgb last_;
    int count_ = 0;
};

void expectColour(const test::FrameRgb& frame, int x, int y, int r, int g, int b) {
    ASSERT_LT(x, frame.width);
    ASSERT_LT(y, frame.height);
    const std::uint8_t* p = frame.at(x, y);
    EXPECT_NEAR(p[0], r, 2) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], g, 2) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], b, 2) << "at " << x << "," << y;
}

class AcceleratedRoot : public ::testing::Test {
protected:
    AcceleratedRoot() {
        displayOptions().accelerationMode = 1;
        AcceleratedWindowsControl::install();
        ui = std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, kWidth, kHeight}, "", 1.0f);
        root = dynamic_cast<AcceleratedWindowsControl*>(&ui->windowsRoot());
    }
    ~AcceleratedRoot() override {
        if (root != nullptr) root->unlockSaved(); // the editor's closing stop
        ui.reset();
        WindowsInterface::setAcceleratedRootFactory({});
        displayOptions() = DisplayOptions();
    }

    void fullScreenSwitch(bool on) {
        {
            RootLockScope scope(*root);
            root->fullScreen.setValue(on);
        }
        UpdateWindow(root->window()); // the new window's first paint starts a thread
    }

    test::Watchdog watchdog{std::chrono::seconds(90)};
    test::TestWindow host;
    std::unique_ptr<WindowsInterface> ui;
    AcceleratedWindowsControl* root = nullptr;
};

TEST_F(AcceleratedRoot, FirstPaintIsSoftwareThenTheThreadDrawsTheSameTree) {
    ASSERT_NE(root, nullptr) << "no accelerated root on this display";
    EXPECT_TRUE(ui->accelerated.getValue());
    FrameTap tap;
    {
        RootLockScope scope(*root);
        tap.attach(*root);
        new Fill(*ui, Rect(10, 10, 50, 40), Color(200, 30, 60, 255));
        new Picture(*ui, Rect(60, 20, 100, 60), Color(20, 180, 90, 255));
    }
    EXPECT_FALSE(root->isRenderThreadRunning());
    UpdateWindow(root->window());
    EXPECT_TRUE(root->isRenderThreadRunning()) << "the first WM_PAINT starts the thread";
    const Color soft = root->backBuffer().pixelAt(20, 20);
    EXPECT_EQ(soft, Color(200, 30, 60, 255)) << "the first paint went to the back buffer";

    const test::FrameRgb frame = tap.next(*root);
    ASSERT_EQ(frame.width, kWidth);
    expectColour(frame, 20, 20, 200, 30, 60);  // the fill
    expectColour(frame, 80, 40, 20, 180, 90);  // the bitmap
    expectColour(frame, 5, 70, 192, 192, 192); // the root's own grey
    // Everywhere, the frame matches the first (software) paint.
    for (int y = 0; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 3) {
            const Color soft = root->backBuffer().pixelAt(x, y);
            expectColour(frame, x, y, soft.r, soft.g, soft.b);
        }

    // A resize by the window returns once a frame of the new size is done;
    // one under the lock outside any message (depth 0) does not wait.
    SetWindowPos(root->window(), nullptr, 0, 0, kWidth - 20, kHeight - 10, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(root->bounds.getValue(), Rect(0, 0, kWidth - 20, kHeight - 10));
    {
        ScopedLock hold(*root);
        root->setSize(float(kWidth - 30), float(kHeight - 20));
        EXPECT_EQ(root->lockDepth(), 0);
    }
    EXPECT_EQ(root->backBuffer().pixelWidth(), kWidth - 30);
    expectColour(tap.next(*root), 20, 20, 200, 30, 60);
}

TEST_F(AcceleratedRoot, ClosingWithoutTheClosingStopStopsTheThreadBeforeTheTreeGoes) {
    ASSERT_NE(root, nullptr) << "no accelerated root on this display";
    FrameTap tap;
    {
        RootLockScope scope(*root);
        tap.attach(*root);
        for (int i = 0; i < 40; ++i)
            new Picture(*ui, Rect(2 * i, i, 2 * i + 30, i + 30), Color(20, 180, 90, 255));
    }
    UpdateWindow(root->window());
    ASSERT_TRUE(root->isRenderThreadRunning());
    tap.next(*root);
    root = nullptr; // no unlockSaved: the interface stops the thread itself
    ui.reset();
}

TEST_F(AcceleratedRoot, StopKeepsOrDeletesTexturesAndBitmapsSurviveFullScreen) {
    ASSERT_NE(root, nullptr) << "no accelerated root on this display";
    FrameTap tap;
    Picture* picture = nullptr;
    {
        RootLockScope scope(*root);
        tap.attach(*root);
        picture = new Picture(*ui, Rect(20, 20, 60, 60), Color(240, 200, 10, 255));
    }
    UpdateWindow(root->window());
    tap.next(*root);
    auto textureName = [&] {
        RootLockScope scope(*root);
        const auto* texture = dynamic_cast<const OpenGLTexture*>(picture->bitmap().getTexture());
        return texture != nullptr ? texture->name() : 0u;
    };
    const unsigned name = textureName();
    ASSERT_NE(name, 0u);

    auto isTexture = [&](unsigned n) {
        // The thread is stopped: the test may make the context current.
        EXPECT_TRUE(root->context()->makeCurrent());
        const bool is = glIsTexture(n) == GL_TRUE;
        root->context()->release();
        return is;
    };
    root->stopRenderThread(StopRequest::kKeep);
    EXPECT_TRUE(isTexture(name)) << "stop 1 keeps the names";

    // Full screen and back: the new contexts share the old ones' textures.
    fullScreenSwitch(true);
    expectColour(tap.next(*root), 40, 40, 240, 200, 10);
    fullScreenSwitch(false);
    expectColour(tap.next(*root), 40, 40, 240, 200, 10);

    root->stopRenderThread(StopRequest::kDelete);
    EXPECT_FALSE(isTexture(textureName())) << "stop 2 deletes the names";
}

// A driver that cannot share: the new context drops every texture, and the
// bitmap uploads again instead of drawing nothing.
TEST_F(AcceleratedRoot, WithoutSharingBitmapsUploadAgainAfterFullScreen) {
    ASSERT_NE(root, nullptr) << "no accelerated root on this display";
    root->setContextSharing(false);
    FrameTap tap;
    {
        RootLockScope scope(*root);
        tap.attach(*root);
        new Picture(*ui, Rect(20, 20, 60, 60), Color(40, 90, 230, 255));
    }
    UpdateWindow(root->window());
    expectColour(tap.next(*root), 40, 40, 40, 90, 230);
    fullScreenSwitch(true);
    ASSERT_FALSE(root->context()->sharesObjects());
    expectColour(tap.next(*root), 40, 40, 40, 90, 230);
    fullScreenSwitch(false);
    expectColour(tap.next(*root), 40, 40, 40, 90, 230);
}

TEST_F(AcceleratedRoot, LostContextFallsBackToSoftwarePainting) {
    ASSERT_NE(root, nullptr) << "no accelerated root on this display";
    InterfaceTimer* timer = nullptr;
    std::atomic<int> ticks{0};
    {
        RootLockScope scope(*root);
        new Fill(*ui, Rect(10, 10, 50, 40), Color(30, 60, 200, 255));
        timer = static_cast<InterfaceTimer*>(ui->createTimer());
        timer->tickEvent.addHandler(NotifyEvent::bind([&] { ticks.fetch_add(1); }));
        timer->interval.setValue(10);
        timer->frameDriven.setValue(true);
        timer->enabled.setValue(true);
    }
    UpdateWindow(root->window());
    pumpUntil([&] { return ticks.load() > 2; }); // ticking per frame
    root->injectLostContext();
    pumpUntil([&] { return root->isFallback(); });
    EXPECT_FALSE(root->isRenderThreadRunning());
    EXPECT_FALSE(ui->accelerated.getValue());
    const int before = ticks.load();
    pumpUntil([&] { return ticks.load() > before + 2; }); // now a window timer

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(root->window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    const COLORREF fill = GetPixel(memory, 20, 20);
    const COLORREF grey = GetPixel(memory, 5, 70);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EXPECT_EQ(fill, RGB(30, 60, 200));
    EXPECT_EQ(grey, RGB(192, 192, 192));
    delete timer;
}

} // namespace
} // namespace gui
