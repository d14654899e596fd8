#include "clap/editor/ClapPluginEditor.h"

#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/RootControl.h"
#include "gui/RootLockScope.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPluginSettings.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// The posted message that deletes an editor the host destroyed inside a call.
constexpr int kDeleteMessage = 1;

bool hasOverride() {
    return std::fabs(gui::displayOptions().globalScaleOverride) > gui::kScaleEpsilon;
}

// Whether a host's side in pixels comes back as the logical side.
bool sideMatches(uint32_t pixels, int32_t logical, float scale) {
    return std::round(double(pixels) / double(scale)) == double(logical);
}

uint32_t pixelsOf(int32_t logical, float scale) {
    const int pixels = gui::toDevicePixels(static_cast<float>(logical), scale);
    return pixels > 0 ? static_cast<uint32_t>(pixels) : 0u;
}

// A gui call on the instance's editor: on the main thread, as every gui
// call, with a gui created.
template <class R, class F> R guarded(const clap_plugin_t* plugin, const char* call, R failure, F&& body) {
    return guardedCall<ClapPluginAdapter>(plugin, ClapThread::kMain, ClapState::kGui, call, failure,
                                          [&](ClapPluginAdapter&) {
                                              ClapPluginEditor* editor = ClapPluginEditor::of(plugin);
                                              return editor != nullptr ? body(*editor) : failure;
                                          });
}

} // namespace

ClapEditorProduct::ClapEditorProduct(Factory factory)
    : ClapEditorEntry{ClapEditorWindow::isAvailable() ? &ClapPluginEditor::guiExtension() : nullptr},
      createInterface(factory) {}

ClapPluginEditor::ClapPluginEditor(ClapPluginAdapter& adapter, const ClapEditorProduct& product,
                                   std::unique_ptr<ClapEditorWindow> window, bool floating)
    : adapter_(adapter), product_(product), window_(std::move(window)), floating_(floating) {
    const clap_host_t* host = adapter.getClapHost();
    auto ask = [host](const char* id) {
        return host->get_extension != nullptr ? host->get_extension(host, id) : nullptr;
    };
    hostGui_ = static_cast<const clap_host_gui_t*>(ask(CLAP_EXT_GUI));
    hostMenu_ = static_cast<const clap_host_context_menu_t*>(ask(CLAP_EXT_CONTEXT_MENU));
    // The user's display choices, before the first user interface is made.
    gui::DisplayOptions& options = gui::displayOptions();
    options.accelerationMode = static_cast<uint32_t>(GenericPlugin::getGraphicsAccelerationMode());
    options.globalScaleOverride = static_cast<float>(GenericPlugin::getScaleFactor());
    options.globalOptions = GenericPlugin::getGlobalOptions();
}

ClapPluginEditor::~ClapPluginEditor() {
    closeInterface();
    window_->close();
}

void ClapPluginEditor::closeInterface() {
    if (!interface_) return;
    gui::UserInterface* ui = window_->userInterface();
    gui::RootControl* root = ui != nullptr ? ui->rootControl() : nullptr;
    if (root != nullptr) root->boundsEvent.removeHandler(this, &ClapPluginEditor::rootBoundsChanged);
    interface_->prepareForClosing();
    // Deleted from a drain, a message's scope holds the lock: the drawing
    // stops without it, and the rest goes under it again.
    const int depth = root != nullptr ? root->releaseLock() : 0;
    window_->stopDrawing(false);
    if (root != nullptr) root->reacquireLock(depth);
    interface_.reset();
}

// --- The extension

bool ClapPluginEditor::isApiSupported(const char* api, bool floating) {
    return api != nullptr && std::strcmp(api, CLAP_WINDOW_API_WIN32) == 0 && !floating;
}

ClapPluginEditor* ClapPluginEditor::of(const clap_plugin_t* plugin) {
    ClapPluginAdapter* adapter = ClapPluginAdapter::from(plugin);
    auto* editor = adapter != nullptr ? dynamic_cast<ClapPluginEditor*>(adapter->getEditor()) : nullptr;
    return editor != nullptr && !editor->destroyed_ ? editor : nullptr;
}

void ClapPluginEditor::destroy(ClapPluginAdapter& adapter) {
    auto* editor = dynamic_cast<ClapPluginEditor*>(adapter.getEditor());
    if (editor == nullptr || editor->destroyed_) return;
    if (editor->hostCalls_ == 0) {
        adapter.setEditor(nullptr);
        return;
    }
    // Inside a call into the host: the interface is still on the stack.
    editor->destroyed_ = true;
    gui::UserInterface* ui = editor->window_->userInterface();
    if (ui != nullptr) {
        editor->window_->setVisible(false);
        ui->postMessage(editor, kDeleteMessage, gui::kGuiList);
    }
}

void ClapPluginEditor::handleMessage(int code) {
    // Deletes this editor, its interface and its user interface.
    if (code == kDeleteMessage && destroyed_) adapter_.setEditor(nullptr);
}

// --- Sizes and scale

std::pair<int32_t, int32_t> ClapPluginEditor::modelSize() const {
    const GenericPlugin& model = adapter_.getModel();
    return {model.getInterfaceWidth(), model.getInterfaceHeight()};
}

std::string ClapPluginEditor::scaleSettings() const {
    const GenericPlugin::Settings* settings = adapter_.getModel().getSettings();
    return settings != nullptr ? settings->scalingAdjustments.getValue() : std::string();
}

float ClapPluginEditor::effectiveScale() {
    if (gui::UserInterface* ui = window_->userInterface(); ui != nullptr && interface_)
        return ui->deviceBacking().getScale();
    // The scale the user interface's backing will take: the override, the
    // host's or the monitors' scale through the interface-scale settings.
    float system = window_->smallestMonitorScale();
    if (hasOverride())
        system = gui::displayOptions().globalScaleOverride;
    else if (std::fabs(scale_) > gui::kScaleEpsilon)
        system = scale_;
    return gui::DeviceBacking::scaleFromSettings(system, scaleSettings());
}

bool ClapPluginEditor::setScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0.0 || hasOverride()) return false;
    scale_ = gui::quantizeScale(static_cast<float>(scale));
    if (interface_) {
        gui::RootControl* root = window_->userInterface()->rootControl();
        gui::RootLockScope scope(*root);
        window_->fixScale(scale_);
    }
    return std::fabs(double(scale_) - scale) <= double(kScaleMatch);
}

bool ClapPluginEditor::getSize(uint32_t* width, uint32_t* height) {
    if (width == nullptr || height == nullptr) return false;
    const float scale = effectiveScale();
    const auto [w, h] = modelSize();
    *width = pixelsOf(w, scale);
    *height = pixelsOf(h, scale);
    return true;
}

bool ClapPluginEditor::canResize() const {
    return adapter_.getModel().isInterfaceResizable();
}

bool ClapPluginEditor::adjustSize(uint32_t* width, uint32_t* height) {
    // The product takes only its own size: that is the adjusted size.
    return getSize(width, height);
}

bool ClapPluginEditor::setSize(uint32_t width, uint32_t height) {
    const float scale = effectiveScale();
    const auto [w, h] = modelSize();
    if (scale <= 0.0f || !sideMatches(width, w, scale) || !sideMatches(height, h, scale)) return false;
    if (!interface_) {
        adapter_.getModel().setInterfaceSize(w, h);
        return true;
    }
    gui::RootControl* root = window_->userInterface()->rootControl();
    gui::RootLockScope scope(*root);
    root->setSize(static_cast<float>(w), static_cast<float>(h));
    if (scope.alive()) fitWindowToRoot();
    return true;
}

void ClapPluginEditor::rootBoundsChanged() {
    fitWindowToRoot();
}

void ClapPluginEditor::fitWindowToRoot() {
    gui::UserInterface* ui = window_->userInterface();
    gui::RootControl* root = ui != nullptr ? ui->rootControl() : nullptr;
    if (root == nullptr) return;
    const float scale = ui->deviceBacking().getScale();
    window_->setSize(gui::toDevicePixels(root->width.getValue(), scale),
                     gui::toDevicePixels(root->height.getValue(), scale));
}

// --- The window

bool ClapPluginEditor::setParent(const clap_window_t* window) {
    if (window == nullptr || window->api == nullptr || std::strcmp(window->api, CLAP_WINDOW_API_WIN32) != 0 ||
        window->win32 == nullptr || !window_->isWindow(window->win32))
        return false;
    if (interface_) return window_->setParent(window->win32);

    const auto [w, h] = modelSize();
    const float scale = effectiveScale();
    if (!window_->open(window->win32, static_cast<int>(pixelsOf(w, scale)),
                       static_cast<int>(pixelsOf(h, scale)), scaleSettings(), scale_))
        return false;
    gui::UserInterface& ui = *window_->userInterface();
    GenericPluginInterface* made = nullptr;
    try {
        made = product_.createInterface(ui, adapter_.getModel(), *this);
    } catch (...) {
        made = nullptr;
    }
    if (made == nullptr) {
        window_->close();
        return false;
    }
    interface_.reset(made);
    interface_->setInterfaceListener(this);
    gui::RootControl* root = ui.rootControl();
    root->boundsEvent.addHandler(NotifyEvent::bind(this, &ClapPluginEditor::rootBoundsChanged));
    gui::RootLockScope scope(*root);
    root->setSize(static_cast<float>(w), static_cast<float>(h));
    if (scope.alive()) fitWindowToRoot();
    return true;
}

bool ClapPluginEditor::show() {
    if (!interface_) return false;
    window_->setVisible(true);
    return true;
}

bool ClapPluginEditor::hide() {
    if (!interface_) return false;
    // A hidden editor paints nothing; the next paint starts drawing again.
    window_->stopDrawing(true);
    window_->setVisible(false);
    return true;
}

// --- The interface's requests

bool ClapPluginEditor::requestResize(int32_t width, int32_t height) {
    if (destroyed_ || !interface_ || hostGui_ == nullptr || hostGui_->request_resize == nullptr) return false;
    if (width <= 0 || height <= 0) return false;
    const float scale = effectiveScale();
    ++hostCalls_;
    const bool taken =
        hostGui_->request_resize(adapter_.getClapHost(), pixelsOf(width, scale), pixelsOf(height, scale));
    --hostCalls_;
    return taken && !destroyed_;
}

void ClapPluginEditor::popupContextMenu(int32_t index, const gui::Point& point) {
    if (destroyed_ || !interface_ || index < 0 || hostMenu_ == nullptr || hostMenu_->can_popup == nullptr ||
        hostMenu_->popup == nullptr)
        return;
    const clap_host_t* host = adapter_.getClapHost();
    ++hostCalls_;
    const bool can = hostMenu_->can_popup(host);
    --hostCalls_;
    if (!can || destroyed_) return;
    const float scale = effectiveScale();
    const clap_context_menu_target_t target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, static_cast<clap_id>(index)};
    ++hostCalls_;
    hostMenu_->popup(host, &target, 0, static_cast<int32_t>(point.x * scale),
                     static_cast<int32_t>(point.y * scale));
    --hostCalls_;
}

// --- The C table

const clap_plugin_gui_t& ClapPluginEditor::guiExtension() {
    static const clap_plugin_gui_t table{
        [](const clap_plugin_t* plugin, const char* api, bool floating) {
            return guardedCall<ClapPluginAdapter>(
                plugin, ClapThread::kMain, "clap.gui is_api_supported", false,
                [&](ClapPluginAdapter&) { return isApiSupported(api, floating); });
        },
        [](const clap_plugin_t* plugin, const char** api, bool* floating) {
            return guardedCall<ClapPluginAdapter>(plugin, ClapThread::kMain, "clap.gui get_preferred_api",
                                                  false, [&](ClapPluginAdapter&) {
                                                      if (api == nullptr || floating == nullptr) return false;
                                                      *api = CLAP_WINDOW_API_WIN32;
                                                      *floating = false;
                                                      return true;
                                                  });
        },
        [](const clap_plugin_t* plugin, const char* api, bool floating) {
            return guardedCall<ClapPluginAdapter>(
                plugin, ClapThread::kMain, ClapState::kNoGui, "clap.gui create", false,
                [&](ClapPluginAdapter& adapter) {
                    if (!isApiSupported(api, floating) || adapter.getEditor() != nullptr) return false;
                    const auto* product = static_cast<const ClapEditorProduct*>(clapProduct().editor);
                    if (product == nullptr || product->createInterface == nullptr) return false;
                    std::unique_ptr<ClapEditorWindow> window = ClapEditorWindow::create();
                    if (!window) return false;
                    adapter.setEditor(
                        std::make_unique<ClapPluginEditor>(adapter, *product, std::move(window), floating));
                    return true;
                });
        },
        [](const clap_plugin_t* plugin) {
            guarded(plugin, "clap.gui destroy", 0, [&](ClapPluginEditor& e) {
                destroy(e.adapter_);
                return 0;
            });
        },
        [](const clap_plugin_t* plugin, double scale) {
            return guarded(plugin, "clap.gui set_scale", false,
                           [&](ClapPluginEditor& e) { return e.setScale(scale); });
        },
        [](const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
            return guarded(plugin, "clap.gui get_size", false,
                           [&](ClapPluginEditor& e) { return e.getSize(width, height); });
        },
        [](const clap_plugin_t* plugin) {
            return guarded(plugin, "clap.gui can_resize", false,
                           [&](ClapPluginEditor& e) { return e.canResize(); });
        },
        [](const clap_plugin_t* plugin, clap_gui_resize_hints_t*) {
            // The product takes only its own size: no hints.
            return guarded(plugin, "clap.gui get_resize_hints", false,
                           [](ClapPluginEditor&) { return false; });
        },
        [](const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
            return guarded(plugin, "clap.gui adjust_size", false,
                           [&](ClapPluginEditor& e) { return e.adjustSize(width, height); });
        },
        [](const clap_plugin_t* plugin, uint32_t width, uint32_t height) {
            return guarded(plugin, "clap.gui set_size", false,
                           [&](ClapPluginEditor& e) { return e.setSize(width, height); });
        },
        [](const clap_plugin_t* plugin, const clap_window_t* window) {
            return guarded(plugin, "clap.gui set_parent", false,
                           [&](ClapPluginEditor& e) { return e.setParent(window); });
        },
        [](const clap_plugin_t* plugin, const clap_window_t*) {
            // Embedded only: there is no floating window to keep above another.
            return guarded(plugin, "clap.gui set_transient", false, [](ClapPluginEditor&) { return false; });
        },
        [](const clap_plugin_t* plugin, const char*) {
            guarded(plugin, "clap.gui suggest_title", 0, [](ClapPluginEditor&) { return 0; });
        },
        [](const clap_plugin_t* plugin) {
            return guarded(plugin, "clap.gui show", false, [&](ClapPluginEditor& e) { return e.show(); });
        },
        [](const clap_plugin_t* plugin) {
            return guarded(plugin, "clap.gui hide", false, [&](ClapPluginEditor& e) { return e.hide(); });
        }};
    return table;
}
