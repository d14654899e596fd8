#include "editor/GenericPluginInterface.h"

#include "gui/PNGFiler.h"
#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPluginSettings.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// Listener calls in progress on this thread (the debug check of closing).
thread_local int listenerDepth = 0;

struct ListenerCall {
    ListenerCall() noexcept { ++listenerDepth; }
    ~ListenerCall() { --listenerDepth; }
};

// Half away from zero.
int32_t rounded(float v) {
    return static_cast<int32_t>(std::round(v));
}

} // namespace

// --- SizeChecker

GenericPluginInterface::SizeChecker::SizeChecker(GenericPluginInterface& owner)
    : gui::Component(owner.userInterface()), owner_(owner), timer_(owner.userInterface().createTimer()) {
    timer_->interval.setValue(kInterval);
    timer_->tickEvent.setHandler(NotifyEvent::bind(this, &SizeChecker::check));
}

GenericPluginInterface::SizeChecker::~SizeChecker() {
    delete timer_;
}

void GenericPluginInterface::SizeChecker::start() {
    timer_->enabled.setValue(false);
    timer_->enabled.setValue(true);
}

void GenericPluginInterface::SizeChecker::stop() {
    timer_->enabled.setValue(false);
}

void GenericPluginInterface::SizeChecker::check() {
    stop();
    gui::UserInterface& ui = owner_.userInterface();
    gui::RootControl* root = ui.rootControl();
    if (root == nullptr || owner_.isUserResizing()) return;
    const gui::Rect work = ui.platformDelegate().monitorRect();
    const float w = work.width();
    const float h = work.height();
    if (rounded(root->width.getValue()) <= w && rounded(root->height.getValue()) <= h) return;
    GenericPlugin::Settings* settings = owner_.plugin().getSettings();
    if (settings == nullptr) return;
    const auto& sizes = settings->getInterfaceSizes();
    // A product that lists no sizes keeps its size.
    if (sizes.empty()) return;
    int32_t entry =
        std::clamp<int32_t>(settings->layoutIndex.getValue(), 0, static_cast<int32_t>(sizes.size()) - 1);
    while (entry > 0 &&
           !(sizes[static_cast<size_t>(entry)].first <= w && sizes[static_cast<size_t>(entry)].second <= h))
        --entry;
    settings->layoutIndex.setValue(entry);
    const int32_t width = settings->interfaceWidth.getValue() > 0 ? settings->interfaceWidth.getValue()
                                                                  : rounded(root->width.getValue());
    const int32_t height = settings->interfaceHeight.getValue() > 0 ? settings->interfaceHeight.getValue()
                                                                    : rounded(root->height.getValue());
    settings->interfaceWidth.setValue(std::min(width, rounded(w)));
    settings->interfaceHeight.setValue(std::min(height, rounded(h)));
    owner_.applyInterfaceSize();
}

// --- GenericPluginInterface

GenericPluginInterface::GenericPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                                               uint32_t featureFlags)
    : GenericPluginInterfaceBase(userInterface, plugin), featureFlags_(featureFlags) {
    plugin.setInterface(this);
    attached_ = true;
    // Bitmaps decoded from now on, in the whole process.
    gui::PNGFiler::setGammaFactor(1.1f);
    sizeChecker_ = std::make_unique<SizeChecker>(*this);
    if (gui::RootControl* root = userInterface.rootControl())
        root->monitorChangedEvent.addHandler(
            NotifyEvent::bind(this, &GenericPluginInterface::monitorChanged));
    sizeChecker_->start();
}

GenericPluginInterface::~GenericPluginInterface() {
    prepareForClosing();
}

void GenericPluginInterface::notify(int32_t code, int32_t value) noexcept {
    pluginChanged(code, value);
}

void GenericPluginInterface::pluginChanged(int32_t code, int32_t argument) noexcept {
    const ListenerCall call;
    const int list = code == kParameterChangedCode ? 0 : 1;
    userInterface().pushNotification(list, static_cast<std::uint32_t>(code),
                                     static_cast<std::uint32_t>(argument));
}

void GenericPluginInterface::idle(uint32_t) noexcept {
    const ListenerCall call;
}

gui::RootControl* GenericPluginInterface::getRootControlInterface() noexcept {
    const ListenerCall call;
    return userInterface().isBeingDestroyed() ? nullptr : userInterface().rootControl();
}

void GenericPluginInterface::idle() {
    if (attached_) plugin().idle(this);
}

void GenericPluginInterface::linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control,
                                         uint32_t) {
    linkControl(parameter, control);
}

ILock& GenericPluginInterface::interfaceLock() const {
    return plugin().getInterfaceLock();
}

void GenericPluginInterface::monitorChanged() {
    if (sizeChecker_) sizeChecker_->start();
}

void GenericPluginInterface::applyInterfaceSize() {
    GenericPlugin::Settings* settings = plugin().getSettings();
    gui::RootControl* root = userInterface().rootControl();
    if (settings == nullptr || root == nullptr || settings->getInterfaceSizes().empty()) return;
    const auto& sizes = settings->getInterfaceSizes();
    const auto& size = sizes[static_cast<size_t>(
        std::clamp<int32_t>(settings->layoutIndex.getValue(), 0, static_cast<int32_t>(sizes.size()) - 1))];
    root->setSize(static_cast<float>(size.first), static_cast<float>(size.second));
}

std::vector<GenericPluginInterface::ScalingEntry>
GenericPluginInterface::scalingEntries(int32_t monitorDefaultIndex, int32_t currentIndex) {
    std::vector<ScalingEntry> entries;
    gui::UserInterface& ui = userInterface();
    gui::RootControl* root = ui.rootControl();
    if (root == nullptr) return entries;
    float width = static_cast<float>(rounded(root->width.getValue()));
    float height = static_cast<float>(rounded(root->height.getValue()));
    GenericPlugin::Settings* settings = plugin().getSettings();
    if (isUserResizing() && settings != nullptr && !settings->getInterfaceSizes().empty()) {
        width = static_cast<float>(settings->getInterfaceSizes().front().first);
        height = static_cast<float>(settings->getInterfaceSizes().front().second);
    }
    const gui::Rect work = ui.platformDelegate().monitorRect();
    const float largest =
        width > 0.0f && height > 0.0f
            ? std::min(work.width() / width, work.height() / height) * ui.deviceBacking().getScale()
            : 0.0f;
    int32_t index = 0;
    for (float factor : kScaleFactors) {
        ScalingEntry entry;
        entry.factor = factor;
        entry.text = std::to_string(rounded(factor * 100.0f)) + "%";
        if (index == monitorDefaultIndex) entry.text += " (Monitor Default)";
        entry.enabled = largest >= factor;
        entry.ticked = index == currentIndex;
        entries.push_back(entry);
        ++index;
    }
    return entries;
}

// --- Closing

void GenericPluginInterface::detachFromModel() {
    // A listener call cannot close its own editor: the wait would not end.
    assert(listenerDepth == 0);
    if (!attached_) return;
    attached_ = false;
    plugin().setInterface(nullptr);
}

void GenericPluginInterface::stopTimersAndEdits() {
    if (sizeChecker_) sizeChecker_->stop();
}

void GenericPluginInterface::removeHandlers() {
    if (gui::RootControl* root = userInterface().isBeingDestroyed() ? nullptr : userInterface().rootControl())
        root->monitorChangedEvent.removeHandler(this, &GenericPluginInterface::monitorChanged);
    sizeChecker_.reset();
}
