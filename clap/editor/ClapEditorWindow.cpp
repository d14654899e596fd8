#include "clap/editor/ClapEditorWindow.h"

#include <mutex>

namespace {

std::mutex factoryMutex;
ClapEditorWindow::Factory installedFactory;

} // namespace

std::unique_ptr<ClapEditorWindow> ClapEditorWindow::create() {
    Factory factory;
    {
        std::lock_guard<std::mutex> lock(factoryMutex);
        factory = installedFactory;
    }
    return factory ? factory() : createPlatformEditorWindow();
}

void ClapEditorWindow::setFactory(Factory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    installedFactory = std::move(factory);
}

bool ClapEditorWindow::isAvailable() {
    return platformOpensEditorWindows();
}
