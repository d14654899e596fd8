#pragma once

// The editor host of one plug-in instance: the clap.gui extension's calls
// and the editor between the host's window and the product's interface. It
// is the interface's listener: the interface asks the host for a resize and
// for a parameter's context menu through it. It offers the win32 api alone,
// embedded in the host's window, never floating.
//
// Sizes: the product's interface has the model's size in logical units; the
// host sees device pixels by the one rule of sizes (gui/DeviceBacking.h),
// at the effective scale: the open user interface's backing scale, else the
// global override, else the host's scale through the interface-scale
// settings, else the smallest monitor scale through them. set_size takes
// only the model's current size and can_resize is the model's answer (the
// product has no free sizes: its editor's own menu picks one of its fixed
// sizes); the child window always has its root's device size.
//
// Closing (destroy, or the instance's end): the interface prepares for
// closing (model detached, mouse, gestures, edits and timers ended, the tree
// deleted under the root lock; the host is never called), drawing beside the
// GUI thread stops (deleting its resources, without the lock), the interface
// is deleted, then the window with the user interface. A host may destroy
// the editor inside one of the editor's calls into it (request_resize,
// popup): the editor is then closed to the host at once (every later gui
// call fails), hidden, and deleted from the user interface's next message
// drain, once the call has unwound.
//
// Threading: every gui call on the host's main thread, which is the GUI
// thread, and every one but the api queries and create with a gui created
// (create without one). Built with the checks (clap/ClapThreadCheck.h), a
// call from elsewhere or in the other state is refused and reported once per
// call as the host's misbehaviour.

#include "clap/ClapAbi.h"
#include "clap/ClapPluginAdapter.h"
#include "clap/editor/ClapEditorProduct.h"
#include "clap/editor/ClapEditorWindow.h"
#include "editor/GenericPluginInterface.h"
#include "gui/MessageTarget.h"

#include <cstdint>
#include <memory>
#include <utility>

class ClapPluginEditor : public ClapPluginAdapter::Editor,
                         public GenericPluginInterface::InterfaceListener,
                         private gui::MessageTarget {
public:
    // Scales this close count as the host's.
    static constexpr float kScaleMatch = 0.01f;

    ClapPluginEditor(ClapPluginAdapter& adapter, const ClapEditorProduct& product,
                     std::unique_ptr<ClapEditorWindow> window, bool floating);
    ~ClapPluginEditor() override;
    ClapPluginEditor(const ClapPluginEditor&) = delete;
    ClapPluginEditor& operator=(const ClapPluginEditor&) = delete;

    // The extension's table (every build; the plug-in offers it only where
    // the platform opens editor windows).
    static const clap_plugin_gui_t& guiExtension();
    static bool isApiSupported(const char* api, bool floating);
    // The editor the gui calls reach: null without one, or once destroyed.
    static ClapPluginEditor* of(const clap_plugin_t* plugin);

    // --- clap.gui
    bool setScale(double scale);
    bool getSize(uint32_t* width, uint32_t* height);
    bool canResize() const;
    bool adjustSize(uint32_t* width, uint32_t* height);
    bool setSize(uint32_t width, uint32_t height);
    bool setParent(const clap_window_t* window);
    bool show();
    bool hide();
    // Deletes the instance's editor now, or (inside one of its calls into
    // the host) as soon as that call has unwound.
    static void destroy(ClapPluginAdapter& adapter);

    bool isOpenToHost() const override { return !destroyed_; }

    // The host's scale, quantized (0 until the host sets one).
    float getScale() const { return scale_; }
    float effectiveScale();
    bool isFloating() const { return floating_; }
    GenericPluginInterface* productInterface() const { return interface_.get(); }
    ClapEditorWindow& window() const { return *window_; }

    // --- GenericPluginInterface::InterfaceListener
    bool requestResize(int32_t width, int32_t height) override;
    void popupContextMenu(int32_t index, const gui::Point& point) override;

private:
    void handleMessage(int code) override;
    std::pair<int32_t, int32_t> modelSize() const;
    std::string scaleSettings() const;
    void rootBoundsChanged();
    void fitWindowToRoot();
    void closeInterface();

    ClapPluginAdapter& adapter_;
    const ClapEditorProduct& product_;
    std::unique_ptr<ClapEditorWindow> window_;
    bool floating_;
    float scale_ = 0.0f;
    std::unique_ptr<GenericPluginInterface> interface_;
    const clap_host_gui_t* hostGui_ = nullptr;
    const clap_host_context_menu_t* hostMenu_ = nullptr;
    // Calls into the host in progress; a destroy inside one waits for it.
    int hostCalls_ = 0;
    bool destroyed_ = false;
};
