#pragma once

// The product's editor opened like a DAW opens it: the Windows plug-in file
// loaded by the test host, one instance, its clap.gui extension asked for an
// embedded win32 editor inside a top-level window of the test, and the
// editor's window read back pixel by pixel and driven with window messages.
//
// The profile: every session starts from the user's settings as the test
// writes them into the registry (the maker's and the product's keys); a
// fresh profile has none. Pictures are taken with acceleration off ("GraphicsAcceleration" 0), so
// the software root paints through GDI.

#include "clap/ClapAbi.h"
#include "gui/tests/windows/WindowsRig.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/TestHost.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace e2e {

// Opaque pixels of a window, 0x00RRGGBB, rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // The pixels inside the rectangle (left, top, right, bottom exclusive).
    Picture crop(const RECT& area) const;
};

// The bounding box of the pixels that differ by more than `tolerance` in a
// channel between a and b and come back in a third picture `again` taken in
// a's state (empty when none do): what something else moved meanwhile (an
// animation ending) stays out. The pictures must be of one size.
RECT followingArea(const Picture& a, const Picture& b, const Picture& again, int tolerance);

// A picture matches its reference when every channel lies within 2, or at
// most 0.1 % of the pixels lie off by up to 32. The text says why not.
bool matches(const Picture& picture, const Picture& reference, std::string& why);

// Reads a reference written by writePng (without the decoder's gamma
// factor); an empty picture when it is missing.
Picture readPng(const std::string& path);
bool writePng(const Picture& picture, const std::string& path);

// The registry values of a profile: the maker's shared values and the
// product's own (DWORD values by name), and the version that last ran
// (none: this is the version's first start, which greets the user).
struct Profile {
    std::map<std::string, uint32_t> shared;
    std::map<std::string, uint32_t> product;
    std::string currentVersion;
};
// Removes every setting of the maker (registry and application data) and
// writes the profile.
void resetProfile(const Profile& profile);

class EditorSession {
public:
    // Loads the plug-in file once per process.
    static ClapModule& module();

    // An instance of the plug-in file, in a shown host window.
    EditorSession();
    // An instance of the module's plug-in; with kHidden its host window
    // stays hidden (an editor that is driven but never looked at).
    EditorSession(ClapModule& module, test::TestWindow::Visibility visibility);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    HostedPlugin& plugin() { return *plugin_; }
    TestHost& host() { return host_; }
    // The parameter's id by its name (asserts that it exists).
    clap_id param(const std::string& name);
    // Sets parameters through the host (a flush on the main thread before
    // activation, else through processing), as automation does.
    void automate(const std::vector<std::pair<clap_id, double>>& values);

    // Creates the editor at the host's scale (0: none given), sizes the host
    // window to get_size and embeds and shows the editor. False when a call
    // is refused.
    bool open(double scale);
    void close();
    bool isOpen() const { return child_ != nullptr; }
    HWND child() const { return child_; }
    HWND parent() const { return window_.handle(); }
    const clap_plugin_gui_t* gui() const { return gui_; }

    // Lets the editor handle its messages and timers for the time given.
    void pump(int milliseconds);
    // Pumps until three pictures taken 100 ms apart agree (at most ~4 s).
    Picture settledPicture();
    Picture picture();

    // Mouse messages at device pixels of the editor's window.
    void mouse(UINT message, int x, int y, WPARAM keys = 0);
    void drag(int x, int y, int dx, int dy, int steps, WPARAM keys = 0);
    // A press and release there (the pointer moved there first), and the
    // system's double click: press, release, double-click press, release.
    void click(int x, int y, WPARAM keys = 0);
    void doubleClick(int x, int y);
    // Characters typed into the window that has the keyboard focus, then
    // Enter (key down and up).
    void typeAndEnter(const std::string& text);

private:
    TestHost host_;
    std::unique_ptr<HostedPlugin> plugin_;
    const clap_plugin_gui_t* gui_ = nullptr;
    test::TestWindow window_;
    HWND child_ = nullptr;
};

} // namespace e2e
