#pragma once

// The per-editor context of the toolkit: the registry of its components, the
// device backing and bitmap resources, the platform delegate, the timers, the
// help hint and touch hold, and the posted-message channel through which
// other threads hand work to the GUI thread. The platform's user interface
// derives from it and supplies the root control, its window and timers.
//
// Destruction: a derived destructor calls beginDestruction() before it
// deletes its tree, so that dying components only null their registry
// entries and controls skip the root control. beginDestruction also clears
// the channel's alive flag, so a drain that is running stops at its next
// record or listener.
//
// Time: the user interface reads an injected millisecond clock (the
// platform's by default) for the wheel, starvation checks and its timers.
//
// Threading: GUI thread, except postMessage and pushNotification (any
// thread) and what the render thread does under the root control's lock
// (drain the frame list, fire the frame timers).

#include "foundation/IntervalTimer.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/BasicRect.h"
#include "gui/BitmapResourceList.h"
#include "gui/DeviceBacking.h"
#include "gui/MessageChannel.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace gui {

class Bitmap;
class Component;
class OpenSaveDialog;
class PopupMenu;
class SelectFolderDialog;
class Text;
class TextEditor;
class InterfaceTimer;
class RootControl;
class Timer;

class UserInterface : public PropertyOwner, public DeviceBacking::BackingScaleListener {
public:
    // The toolkit's factory and service interface for everything that needs
    // the operating system: dialogs, menus, bitmaps, texts, text editors, the
    // monitor, the clipboard, the pointer metrics and message boxes. Each
    // platform implements it; the user interface owns it. Modal calls
    // (menus, message boxes, dialogs) release the root control's lock while
    // they run and take it back at the same depth. GUI thread only;
    // messageBox returns at once on another thread.
    class PlatformDelegate {
    public:
        // Message-box buttons.
        static constexpr int kButtonOk = 1;
        static constexpr int kButtonCancel = 2;

        virtual ~PlatformDelegate() = default;
        // New objects; the caller owns them.
        virtual OpenSaveDialog* createOpenSaveDialog() = 0;
        virtual PopupMenu* createPopupMenu() = 0;
        virtual SelectFolderDialog* createSelectFolderDialog() = 0;
        virtual Bitmap* createBitmap() = 0;
        virtual Text* createText() = 0;
        virtual TextEditor* createTextEditor() = 0;
        // The room for an editor on the monitor of the window, in logical units.
        virtual Rect monitorRect() = 0;
        // The clipboard's text as UTF-8, or empty.
        virtual std::string clipboardText() = 0;
        virtual void setClipboardText(const std::string& text) = 0;
        // In pixels (used as logical units).
        virtual int dragThreshold() = 0;
        // Milliseconds.
        virtual int doubleClickTime() = 0;
        // Buttons: kButtonOk, kButtonCancel or both. The ok action runs when the
        // user answers OK and the user interface still lives.
        virtual void messageBox(const std::string& text, int buttons, std::function<void()> okAction) = 0;
        // Opens a document or web address (UTF-8) with the program the system
        // associates with it; returns at once.
        virtual void openDocument(const std::string& text) = 0;
    };

    // Pointer-drag state: reset by every press, armed when a pop-up menu
    // opens, moving at the first pointer move after that.
    enum class PointerDrag : std::uint32_t { kIdle = 0, kMenuOpened = 1, kMoved = 2 };

    static constexpr int kHelpHintInterval = 1500;
    static constexpr int kTouchHoldInterval = 800;
    // The window's own timer; toolkit timers take ids from kFirstTimerId on.
    static constexpr int kTickTimerId = 1;
    static constexpr int kTickInterval = 10;
    static constexpr int kFirstTimerId = 2;

    // An empty clock means the platform's millisecond clock.
    explicit UserInterface(IntervalTimer::Clock clock = {});
    UserInterface(const UserInterface&) = delete;
    UserInterface& operator=(const UserInterface&) = delete;
    ~UserInterface() override;

    // A change of accelerated restarts the timers (platforms call this base).
    void propertyChanged(AbstractProperty& property) override;
    // A new timer ticking on the GUI thread, disabled; the caller may delete
    // it. Timers still alive when the user interface goes are deleted with it.
    virtual Timer* createTimer() = 0;
    // The platform window (a window handle on Windows), or null.
    virtual void* nativeWindow() = 0;
    virtual RootControl* rootControl() = 0;
    // Whether the editor's top-level window is the active one.
    virtual bool isActive() = 0;
    // 4 "Ctrl", 1 "Shift", 2 "Alt"; anything else (several bits too) "".
    virtual std::string modifierName(int mask) const;

    Property<bool> accelerated; // an accelerated root is in use
    Property<bool> acceptDroppedFiles;
    NotifyEvent clipboardChangedEvent;
    NotifyEvent tickEvent;
    NotifyEvent scaleChangedEvent;

    // Help hints: after the hint delay the text goes to the channel's
    // listeners; an empty text withdraws a showing hint at once.
    virtual void setHelpHint(const std::string& text);
    void setHelpHintsEnabled(bool enabled) { helpHintsEnabled_ = enabled; }
    bool helpHintsEnabled() const { return helpHintsEnabled_; }
    const std::string& helpHint() const { return helpHintText_; }
    // Starts or stops the touch-hold timer: held for its interval, the touch
    // acts as a double click at the event target's press point.
    virtual void setTouchHoldTimer(bool running);

    // Posted messages: see MessageChannel. postMessage is safe on any thread.
    bool postMessage(MessageTarget* target, int code, MessageList list);
    // Drops every message still posted to the component.
    virtual void removePostedMessages(MessageTarget* target);
    // A notification for the channel's listeners (lock-free, any thread).
    bool pushNotification(MessageList list, std::uint32_t code, std::uint32_t argument);
    MessageChannel& messageChannel() { return *channel_; }
    std::shared_ptr<MessageChannel> channelReference() const { return channel_; }
    // Drains one list under a reference of its own (the caller holds the
    // root control's lock).
    void drainList(MessageList list);
    // The window's 10 ms tick after the platform's own checks: drains the
    // frame list then the GUI list under one reference, then, while the user
    // interface still lives, fires the tick event. The user interface may be gone on return:
    // the caller keeps a liveness token if it goes on.
    void tick();

    // Frame timers are fired by the render loop instead of the window.
    void addFrameTimer(Timer* timer);
    void removeFrameTimer(Timer* timer);
    bool hasFrameTimer(const Timer* timer) const;
    // Each frame timer: its bound handler, then its listeners (last first).
    void fireFrameTimers();

    // Toolkit timers by id (made by the platform's createTimer through
    // InterfaceTimer). An unknown id is ignored.
    void fireTimer(int id);
    // Starts every enabled timer again (the window was made anew).
    void restartTimers();
    InterfaceTimer* timerById(int id) const;

    // Files dropped on the window (root coordinates): to every listener.
    void filesDropped(float x, float y, const std::string& path);

    DeviceBacking& deviceBacking() { return deviceBacking_; }
    BitmapResourceList& bitmapResources() { return *bitmapResources_; }
    // The background bitmap (made empty on first use).
    Bitmap& backgroundBitmap();
    // Loads the named bitmap as the background, redrawn at the root's size
    // when its size differs.
    void loadBackgroundBitmap(std::string_view name);

    PlatformDelegate& platformDelegate() { return *platformDelegate_; }
    bool hasPlatformDelegate() const { return platformDelegate_ != nullptr; }

    // Now on the injected clock, in milliseconds.
    std::uint32_t now() const { return clock_(); }
    const IntervalTimer::Clock& clock() const { return clock_; }
    IntervalTimer& intervalClock() { return *intervalClock_; }
    PointerDrag pointerDrag() const { return pointerDrag_; }
    void setPointerDrag(PointerDrag state) { pointerDrag_ = state; }

    bool isGuiThread() const { return std::this_thread::get_id() == guiThread_; }

    void backingScaleChanged() override;
    float appliedScale() const { return appliedScale_; }

    void registerComponent(Component* component);
    void unregisterComponent(Component* component);
    // Null entries belong to components destroyed during destruction.
    const std::vector<Component*>& components() const { return components_; }
    bool isBeingDestroyed() const { return destroying_; }

protected:
    // Takes ownership (the platform's constructor sets it).
    void setPlatformDelegate(std::unique_ptr<PlatformDelegate> delegate);
    void beginDestruction();

private:
    friend class InterfaceTimer;
    int registerTimer(InterfaceTimer* timer);
    void unregisterTimer(int id);
    void helpHintTick();
    void touchHoldTick();

    std::vector<Component*> components_;
    bool destroying_ = false;
    std::string helpHintText_;
    bool helpHintsEnabled_ = true;
    Timer* helpHintTimer_ = nullptr;
    Timer* touchHoldTimer_ = nullptr;
    DeviceBacking deviceBacking_;
    std::unique_ptr<BitmapResourceList> bitmapResources_;
    std::shared_ptr<MessageChannel> channel_;
    std::unique_ptr<Bitmap> backgroundBitmap_;
    std::unique_ptr<PlatformDelegate> platformDelegate_;
    IntervalTimer::Clock clock_;
    std::unique_ptr<IntervalTimer> intervalClock_;
    PointerDrag pointerDrag_ = PointerDrag::kIdle;
    std::vector<Timer*> frameTimers_; // null entries while firing
    int firingFrameTimers_ = 0;
    std::map<int, InterfaceTimer*> timers_;
    int nextTimerId_ = kFirstTimerId;
    std::thread::id guiThread_;
    float appliedScale_ = 1.0f;
};

} // namespace gui
