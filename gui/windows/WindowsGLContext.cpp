#include "gui/windows/WindowsGLContext.h"

#include <cstdio>
#include <mutex>

namespace gui {

namespace {

using SwapIntervalProc = BOOL(WINAPI*)(int);

// The class of the hidden windows, named per process so that two programs
// never share it.
const wchar_t* offscreenClassName() {
    static wchar_t name[64] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        std::swprintf(name, 64, L"VarnelOffscreenGL_%lu", static_cast<unsigned long>(GetCurrentProcessId()));
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = name;
        RegisterClassExW(&windowClass);
    });
    return name;
}

HWND makeHiddenWindow(int width, int height) {
    return CreateWindowExW(WS_EX_TOOLWINDOW, offscreenClassName(), L"", WS_POPUP, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool choosePixelFormat(HDC dc, std::string& error) {
    if (GetPixelFormat(dc) != 0) return true;
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cAlphaBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    int index = ChoosePixelFormat(dc, &format);
    if (index == 0) {
        error = "no OpenGL pixel format";
        return false;
    }
    PIXELFORMATDESCRIPTOR chosen = {};
    DescribePixelFormat(dc, index, sizeof(chosen), &chosen);
    if (!SetPixelFormat(dc, index, &chosen)) {
        error = "SetPixelFormat failed";
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<GLContext> GLContext::createForWindow(void* nativeWindow, GLContext* shareWith,
                                                      std::string* error) {
    std::string reason = "not a window";
    std::unique_ptr<WindowsGLContext> context;
    if (nativeWindow != nullptr)
        context = WindowsGLContext::create(static_cast<HWND>(nativeWindow), 0, 0,
                                           static_cast<WindowsGLContext*>(shareWith), reason);
    if (context == nullptr && error != nullptr) *error = reason;
    return context;
}

std::unique_ptr<GLContext> GLContext::createOffscreen(int width, int height, GLContext* shareWith,
                                                      std::string* error) {
    std::string reason;
    std::unique_ptr<WindowsGLContext> context;
    if (width < 1 || height < 1)
        reason = "empty surface";
    else
        context = WindowsGLContext::create(nullptr, width, height, static_cast<WindowsGLContext*>(shareWith),
                                           reason);
    if (context == nullptr && error != nullptr) *error = reason;
    return context;
}

std::unique_ptr<WindowsGLContext> WindowsGLContext::create(HWND window, int width, int height,
                                                           WindowsGLContext* shareWith, std::string& error) {
    std::unique_ptr<WindowsGLContext> context(new WindowsGLContext());
    if (window == nullptr) {
        window = makeHiddenWindow(width, height);
        if (window == nullptr) {
            error = "cannot create the hidden window";
            return nullptr;
        }
        context->ownsWindow_ = true;
        context->offscreen_ = true;
        context->width_ = width;
        context->height_ = height;
    } else {
        RECT client = {};
        if (!IsWindow(window) || !GetClientRect(window, &client)) {
            error = "not a window";
            return nullptr;
        }
        context->width_ = client.right - client.left;
        context->height_ = client.bottom - client.top;
    }
    context->window_ = window;
    context->dc_ = GetDC(window);
    if (context->dc_ == nullptr) {
        error = "GetDC failed";
        return nullptr;
    }
    if (!choosePixelFormat(context->dc_, error)) return nullptr;
    context->context_ = wglCreateContext(context->dc_);
    if (context->context_ == nullptr) {
        error = "wglCreateContext failed";
        return nullptr;
    }
    // Sharing must happen before the new context holds any object.
    if (shareWith != nullptr && shareWith->context_ != nullptr)
        context->shares_ = wglShareLists(shareWith->context_, context->context_) != FALSE;
    return context;
}

WindowsGLContext::~WindowsGLContext() {
    if (context_ != nullptr) {
        if (wglGetCurrentContext() == context_) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context_);
    }
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
    if (ownsWindow_ && window_ != nullptr) DestroyWindow(window_);
}

bool WindowsGLContext::makeCurrent() {
    return wglMakeCurrent(dc_, context_) != FALSE;
}

void WindowsGLContext::release() {
    wglMakeCurrent(nullptr, nullptr);
}

bool WindowsGLContext::swapBuffers() {
    return SwapBuffers(dc_) != FALSE;
}

bool WindowsGLContext::setSwapInterval(int interval) {
    auto swapInterval = reinterpret_cast<SwapIntervalProc>(getProcAddress("wglSwapIntervalEXT"));
    return swapInterval != nullptr && swapInterval(interval) != FALSE;
}

GLContext::Proc WindowsGLContext::getProcAddress(const char* name) {
    PROC proc = wglGetProcAddress(name);
    // Some drivers answer small values instead of null for unknown names.
    auto value = reinterpret_cast<INT_PTR>(proc);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        HMODULE library = GetModuleHandleW(L"opengl32.dll");
        proc = library != nullptr ? GetProcAddress(library, name) : nullptr;
    }
    return reinterpret_cast<Proc>(proc);
}

bool WindowsGLContext::resizeSurface(int width, int height) {
    if (!ownsWindow_ || width < 1 || height < 1) return false;
    // A hidden window's surface keeps its first size on some systems: the
    // context moves to a new hidden window of the new size instead.
    HWND window = makeHiddenWindow(width, height);
    if (window == nullptr) return false;
    HDC dc = GetDC(window);
    std::string error;
    if (dc == nullptr || !choosePixelFormat(dc, error)) {
        if (dc != nullptr) ReleaseDC(window, dc);
        DestroyWindow(window);
        return false;
    }
    const bool current = wglGetCurrentContext() == context_;
    if (current && !wglMakeCurrent(dc, context_)) {
        ReleaseDC(window, dc);
        DestroyWindow(window);
        return false;
    }
    ReleaseDC(window_, dc_);
    DestroyWindow(window_);
    window_ = window;
    dc_ = dc;
    width_ = width;
    height_ = height;
    return true;
}

} // namespace gui
