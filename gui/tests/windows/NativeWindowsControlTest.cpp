#include "gui/windows/NativeWindowsControl.h"

#include "gui/Canvas.h"
#include "gui/InterfaceTimer.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

namespace gui {
namespace {

// Paints two colours: left half red, right half blue.
class Painter : public Control {
public:
    Painter(UserInterface& ui, Control& parentControl, const Rect& rect) : Control(ui) {
        setBounds(rect);
        parent.setValue(&parentControl);
    }
    void paintContents(Canvas& canvas) override {
        const Rect r = localRect();
        const float middle = (r.left + r.right) / 2;
        canvas.fillRect(Rect(r.left, r.top, middle, r.bottom), Color(220, 30, 10));
        canvas.fillRect(Rect(middle, r.top, r.right, r.bottom), Color(10, 40, 230));
        ++paints;
    }
    int paints = 0;
};

std::vector<std::uint32_t> colours(const WindowsBitmap& bitmap) {
    const std::uint32_t* p = bitmap.getPixels();
    std::vector<std::uint32_t> result(p, p + std::size_t(bitmap.pixelWidth()) *
                                                 std::size_t(bitmap.pixelHeight()));
    for (std::uint32_t& c : result)
        c &= 0xFFFFFF;
    return result;
}

class WinGdiRoot : public ::testing::Test {
protected:
    WinGdiRoot() {
        ui = std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 80, 40}, "", 0.0f,
                                                [this] { return clock; });
        painter = new Painter(*ui, root(), Rect(10, 5, 70, 35));
    }
    NativeWindowsControl& root() { return static_cast<NativeWindowsControl&>(ui->windowsRoot()); }

    test::TestWindow host;
    std::uint32_t clock = 5000;
    std::unique_ptr<WindowsInterface> ui;
    Painter* painter = nullptr;
};

TEST_F(WinGdiRoot, WindowPixelsAndPrintClientEqualTheBackBuffer) {
    UpdateWindow(host.handle());
    UpdateWindow(ui->window());
    test::pumpMessages();
    ASSERT_GT(painter->paints, 0);
    const WindowsBitmap& buffer = root().backBuffer();
    ASSERT_EQ(buffer.pixelWidth(), 80);
    ASSERT_EQ(buffer.pixelHeight(), 40);
    const std::vector<std::uint32_t> expected = colours(buffer);
    EXPECT_EQ(expected[20 * 80 + 20], 0xDC1E0Au);
    EXPECT_EQ(expected[20 * 80 + 60], 0x0A28E6u);

    const auto printed = test::readPixels(80, 40, [&](HDC dc) {
        SendMessageW(ui->window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
    EXPECT_EQ(printed, expected);
    const auto shown = test::readPixels(80, 40, [&](HDC dc) {
        HDC window = GetDC(ui->window());
        BitBlt(dc, 0, 0, 80, 40, window, 0, 0, SRCCOPY);
        ReleaseDC(ui->window(), window);
    });
    EXPECT_EQ(shown, expected);
}

TEST_F(WinGdiRoot, TheBackBufferFollowsBoundsAndScale) {
    SetWindowPos(ui->window(), nullptr, 0, 0, 100, 60, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_EQ(root().backBuffer().pixelWidth(), 100);
    EXPECT_EQ(root().backBuffer().pixelHeight(), 60);
    EXPECT_EQ(root().getDirtyRect(), Rect(0, 0, 100, 60));
    ui->deviceBacking().setSystemScale(2.0f);
    root().updateBoundsFromWindow();
    EXPECT_EQ(root().bounds.getValue(), Rect(0, 0, 50, 30));
    EXPECT_EQ(root().backBuffer().pixelWidth(), 100);
    EXPECT_EQ(root().backBuffer().pixelHeight(), 60);
}

TEST_F(WinGdiRoot, PaintingThatStarvesTimersFiresTheFrameTimer) {
    Timer* frame = ui->createTimer();
    int ticks = 0;
    frame->tickEvent.addHandler(NotifyEvent::bind([&] { ++ticks; }));
    frame->interval.setValue(20);
    frame->frameDriven.setValue(true);
    frame->enabled.setValue(true);
    const int id = static_cast<InterfaceTimer*>(frame)->id();
    ASSERT_EQ(root().frameTimer(), id);
    auto paintNow = [&] {
        InvalidateRect(ui->window(), nullptr, FALSE);
        UpdateWindow(ui->window());
    };
    SendMessageW(ui->window(), WM_TIMER, WPARAM(id), 0);
    EXPECT_EQ(ticks, 1);
    clock += 40;
    paintNow();
    EXPECT_EQ(ticks, 1); // two intervals are not more than two
    clock += 1;
    paintNow();
    EXPECT_EQ(ticks, 2);
    paintNow(); // the stamp is now one interval back
    EXPECT_EQ(ticks, 2);
    clock += 21;
    paintNow();
    EXPECT_EQ(ticks, 3);
    frame->enabled.setValue(false);
    EXPECT_EQ(root().frameTimer(), 0);
}

} // namespace
} // namespace gui
