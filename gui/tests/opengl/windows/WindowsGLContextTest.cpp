#include "gui/windows/WindowsGLContext.h"

#include "gui/tests/opengl/GLTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace gui {
namespace {

// Hidden windows of a class of this process: a popup and a child of it, as
// the editor's windows are.
class TestWindows {
public:
    TestWindows() {
        std::swprintf(className_, 64, L"VarnelGLTestWindow_%lu",
                      static_cast<unsigned long>(GetCurrentProcessId()));
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className_;
        RegisterClassExW(&windowClass);
        popup = CreateWindowExW(0, className_, L"", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        child = CreateWindowExW(0, className_, L"", WS_CHILD | WS_VISIBLE, 8, 8, 32, 24, popup, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindows() {
        if (popup != nullptr) DestroyWindow(popup);
        UnregisterClassW(className_, GetModuleHandleW(nullptr));
    }

    HWND popup = nullptr;
    HWND child = nullptr;

private:
    wchar_t className_[64] = {};
};

TEST(WindowsGLContextTest, AWindowContextDrawsIntoTheWindowAndSharesWithAnother) {
    TestWindows windows;
    ASSERT_NE(windows.popup, nullptr);
    ASSERT_NE(windows.child, nullptr);
    for (HWND window : {windows.popup, windows.child}) {
        std::string error;
        auto first = GLContext::createForWindow(window, nullptr, &error);
        ASSERT_NE(first, nullptr) << "no OpenGL context for the window: " << error;
        EXPECT_FALSE(first->isOffscreen());
        RECT client = {};
        GetClientRect(window, &client);
        EXPECT_EQ(first->surfaceWidth(), client.right);
        ASSERT_TRUE(first->makeCurrent());
        glViewport(0, 0, client.right, client.bottom);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(test::readFrame(client.right, client.bottom).at(2, 2)[1], 255);
        EXPECT_TRUE(first->swapBuffers());
        first->release();

        // The window keeps its pixel format; a second context shares the first's objects.
        auto second = GLContext::createForWindow(window, first.get(), &error);
        ASSERT_NE(second, nullptr) << error;
        EXPECT_TRUE(second->sharesObjects());
        EXPECT_TRUE(second->makeCurrent());
        second->release();
    }
}

TEST(WindowsGLContextTest, NotAWindowIsRefusedWithAReason) {
    std::string error;
    EXPECT_EQ(GLContext::createForWindow(nullptr, nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace gui
