#pragma once

// The editor's window on Windows, of the class "ZT_UIWindow": a child of the
// host's window at a rectangle, or (full screen) a popup over the whole
// monitor of the host's window, one pixel taller than the monitor, owned by
// the host's top-level window. The class is registered by the first window
// and unregistered when the last one is destroyed.
//
// Threading: GUI thread only.

#include <windows.h>

namespace gui {

inline constexpr const wchar_t* kUIWindowClassName = L"ZT_UIWindow";
inline constexpr UINT kUIWindowClassStyle = CS_DBLCLKS | CS_OWNDC;
inline constexpr DWORD kUIChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
inline constexpr DWORD kUIPopupStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// With a rectangle (pixels, in the parent's client area): the child window.
// Without: the full-screen popup. Null when the system refuses either.
HWND createUIWindow(HWND parent, const RECT* rectangle);
// Destroys a window made by createUIWindow.
void destroyUIWindow(HWND window);
// How many UI windows exist (the class is registered while this is above 0).
int uiWindowCount();

} // namespace gui
