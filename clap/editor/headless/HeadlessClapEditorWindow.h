#pragma once

// The editor window of the tests: a headless user interface (no OS window)
// that records what the editor host did to its "child window": parent,
// visibility, size in pixels, the host's fixed scale, the drawing stops. The
// host's windows are handles the test opens and closes; the monitors'
// scales are injected. Like a real child window, a new size gives the root
// the logical size the one rule of sizes takes back from it.
//
// Threading: GUI thread.

#include "clap/editor/ClapEditorWindow.h"
#include "gui/headless/HeadlessInterface.h"

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

class HeadlessClapEditorWindow : public ClapEditorWindow {
public:
    // What the test sees and sets, shared by every window it makes.
    struct State {
        // Injected; empty: the monitors cannot be listed.
        std::vector<float> monitorScales{1.0f};
        std::set<void*> hostWindows;
        std::uint32_t startTime = 1000;
        // The last window's record.
        void* parent = nullptr;
        bool visible = false;
        int width = 0;
        int height = 0;
        float fixedScale = 0.0f;
        int opened = 0;
        int closed = 0;
        int reparented = 0;
        int stopsKeeping = 0;
        int stopsDeleting = 0;
        // Stops asked for while the caller held the root's lock (the render
        // thread could not finish a pass then).
        int stopsUnderLock = 0;
        gui::headless::HeadlessInterface* userInterface = nullptr;

        // A host window handle, live until closed.
        void* openHostWindow();
        void closeHostWindow(void* handle);

    private:
        std::uintptr_t nextHandle_ = 0x1000;
    };

    explicit HeadlessClapEditorWindow(std::shared_ptr<State> state);
    ~HeadlessClapEditorWindow() override;
    // Installs a factory of windows on the state (empty restores the platform's).
    static void install(const std::shared_ptr<State>& state);

    bool isWindow(void* handle) override;
    float smallestMonitorScale() override;
    bool open(void* parent, int width, int height, const std::string& scaleSettings, float scale) override;
    gui::UserInterface* userInterface() override { return ui_.get(); }
    bool setParent(void* parent) override;
    void setVisible(bool visible) override;
    void setSize(int width, int height) override;
    void fixScale(float scale) override;
    void stopDrawing(bool keepResources) override;
    void close() override;

    // The window moved to a monitor of that scale (as the Win32 window's
    // monitor check): the backing follows unless a scale is fixed.
    void moveToMonitor(float scale);

private:
    std::shared_ptr<State> state_;
    std::unique_ptr<gui::headless::HeadlessInterface> ui_;
    float fixedScale_ = 0.0f;
};
