#pragma once

// The window an editor host opens its user interface in: a child of the
// host's window that holds the user interface, with the calls the host's
// gui extension needs. create() gives the platform's (the Win32 child
// window; none where the platform opens no editor window), or the factory
// a test installed (the headless stand-in).
//
// Sizes are device pixels; the user interface's root is in logical units.
//
// Threading: GUI thread (the host's main thread).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace gui {
class UserInterface;
}

class ClapEditorWindow {
public:
    virtual ~ClapEditorWindow() = default;

    // The platform's window (null where there is none), or the installed factory's.
    static std::unique_ptr<ClapEditorWindow> create();
    using Factory = std::function<std::unique_ptr<ClapEditorWindow>()>;
    // Replaces the platform's window (tests); an empty factory restores it.
    static void setFactory(Factory factory);
    // Whether the platform opens editors in windows of its own (the plug-in
    // then offers its gui extension).
    static bool isAvailable();

    // The handle names a live window.
    virtual bool isWindow(void* handle) = 0;
    // The smallest scale over all monitors, quantized (1.0 when they cannot be listed).
    virtual float smallestMonitorScale() = 0;
    // Makes the user interface in a child of parent of width x height pixels,
    // with the interface-scale settings and the host's scale (0: none).
    // False when it could not be made; then nothing is left.
    virtual bool open(void* parent, int width, int height, const std::string& scaleSettings, float scale) = 0;
    // The user interface while open, else null.
    virtual gui::UserInterface* userInterface() = 0;
    // Moves the child window to another parent.
    virtual bool setParent(void* parent) = 0;
    virtual void setVisible(bool visible) = 0;
    // The child window's size.
    virtual void setSize(int width, int height) = 0;
    // The host's scale: the root keeps it (a monitor move does not change
    // it) and the backing takes it as the system scale.
    virtual void fixScale(float scale) = 0;
    // Stops drawing beside the GUI thread: keeping its resources (the next
    // paint starts it again), or deleting them. Called without the root lock.
    virtual void stopDrawing(bool keepResources) = 0;
    // Deletes the user interface and the child window.
    virtual void close() = 0;
};

// The platform's window (windows/ and posix/).
std::unique_ptr<ClapEditorWindow> createPlatformEditorWindow();
bool platformOpensEditorWindows();
