#include "clap/editor/headless/HeadlessClapEditorWindow.h"

#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/RootLockScope.h"

#include <algorithm>
#include <cmath>

void* HeadlessClapEditorWindow::State::openHostWindow() {
    void* handle = reinterpret_cast<void*>(nextHandle_);
    nextHandle_ += 0x10;
    hostWindows.insert(handle);
    return handle;
}

void HeadlessClapEditorWindow::State::closeHostWindow(void* handle) {
    hostWindows.erase(handle);
}

HeadlessClapEditorWindow::HeadlessClapEditorWindow(std::shared_ptr<State> state) : state_(std::move(state)) {}

HeadlessClapEditorWindow::~HeadlessClapEditorWindow() {
    close();
}

void HeadlessClapEditorWindow::install(const std::shared_ptr<State>& state) {
    if (!state) {
        ClapEditorWindow::setFactory({});
        return;
    }
    ClapEditorWindow::setFactory([state] { return std::make_unique<HeadlessClapEditorWindow>(state); });
}

bool HeadlessClapEditorWindow::isWindow(void* handle) {
    return handle != nullptr && state_->hostWindows.count(handle) != 0;
}

float HeadlessClapEditorWindow::smallestMonitorScale() {
    if (state_->monitorScales.empty()) return 1.0f;
    float smallest = 3.0f;
    for (float scale : state_->monitorScales)
        smallest = std::min(smallest, gui::quantizeScale(scale));
    return smallest;
}

bool HeadlessClapEditorWindow::open(void* parent, int width, int height, const std::string& scaleSettings,
                                    float scale) {
    if (ui_ || !isWindow(parent)) return false;
    ui_ = std::make_unique<gui::headless::HeadlessInterface>(1.0f, 1.0f, state_->startTime);
    gui::DeviceBacking& backing = ui_->deviceBacking();
    const float override = gui::displayOptions().globalScaleOverride;
    gui::RootLockScope scope(ui_->root());
    backing.parseScaleSettings(scaleSettings);
    if (std::fabs(scale) > gui::kScaleEpsilon && override == 0.0f) {
        fixedScale_ = scale;
        backing.setSystemScale(scale);
    } else {
        backing.setSystemScale(override != 0.0f ? override : smallestMonitorScale());
    }
    state_->userInterface = ui_.get();
    state_->parent = parent;
    state_->visible = true;
    state_->fixedScale = fixedScale_;
    ++state_->opened;
    setSize(width, height);
    return true;
}

bool HeadlessClapEditorWindow::setParent(void* parent) {
    if (!ui_ || !isWindow(parent)) return false;
    state_->parent = parent;
    ++state_->reparented;
    return true;
}

void HeadlessClapEditorWindow::setVisible(bool visible) {
    if (ui_) state_->visible = visible;
}

void HeadlessClapEditorWindow::setSize(int width, int height) {
    if (!ui_) return;
    state_->width = width;
    state_->height = height;
    // The window's new size reaches the root as the system's size message does.
    const float scale = ui_->deviceBacking().getScale();
    const float w = gui::toLogicalUnits(width, scale);
    const float h = gui::toLogicalUnits(height, scale);
    gui::headless::HeadlessRootControl& root = ui_->root();
    if (std::fabs(root.width.getValue() - w) > 0.001f || std::fabs(root.height.getValue() - h) > 0.001f) {
        gui::RootLockScope scope(root);
        root.setSize(w, h);
    }
}

void HeadlessClapEditorWindow::fixScale(float scale) {
    if (!ui_) return;
    fixedScale_ = scale;
    state_->fixedScale = scale;
    ui_->deviceBacking().setSystemScale(scale);
}

void HeadlessClapEditorWindow::stopDrawing(bool keepResources) {
    if (ui_ && ui_->root().heldByCurrentThread()) ++state_->stopsUnderLock;
    if (keepResources)
        ++state_->stopsKeeping;
    else
        ++state_->stopsDeleting;
}

void HeadlessClapEditorWindow::close() {
    if (!ui_) return;
    state_->userInterface = nullptr;
    state_->visible = false;
    ++state_->closed;
    ui_.reset();
}

void HeadlessClapEditorWindow::moveToMonitor(float scale) {
    if (!ui_ || fixedScale_ != 0.0f || gui::displayOptions().globalScaleOverride != 0.0f) return;
    gui::RootLockScope scope(ui_->root());
    ui_->deviceBacking().setSystemScale(gui::quantizeScale(scale));
}
