#pragma once

// The platform-independent half of the in-place text editor: when it may
// open and close, what commit, cancel and Tab do, and the blocking control
// that ends editing on a click outside. The platform (through the delegate's
// createTextEditor) supplies the native editor: open, close, setText,
// selectAll, updateRect and readText.
//
// Ending: endEditing(reason) with kCommit (Enter), kCancel (Escape), kTab and
// kBackTab. A commit applies the text (readText, accepted := true, the
// text-changed event when it differs from the start text); a listener that
// rejects it sets accepted to false and the editor selects all and stays
// open. An accepted commit posts its close (the GUI list); until that close runs,
// further endEditing calls do nothing, so a second Enter commits nothing
// twice. A Tab listener that moves the editor to another field sets the tab
// action to kMoved and the editor reopens there. A word-wrapped editor ends
// only by Escape or a click outside. Without the blocking flag a commit only
// applies the text, and Escape does nothing.
//
// The blocking control deletes itself through a message posted on its own
// click, so nothing depends on the editor outliving it.
//
// Threading: opening and closing on the GUI thread only; a rectangle changed
// on another thread is posted.

#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Component.h"
#include "gui/Enumerations.h"
#include "gui/Keys.h"

#include "foundation/NotifyEvent.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

class Control;
class Text;

class TextEditor : public Component {
public:
    enum class TabAction { kForward = 0, kBackward = 1, kMoved = 2 };
    enum Reason { kCommit = 0, kCancel = 1, kTab = 2, kBackTab = 3 };
    // Keys the native editor hands over (the platform maps its own codes).
    enum class EditorKey { kOther = 0, kEnter, kEscape, kTab, kLeft, kRight, kUp, kDown, kSelectAll };
    // What the native editor does with a key after the shared handling.
    enum class KeyResult { kPassOn = 0, kConsumed = 1, kEnded = 2 };
    // Posted-message codes.
    enum Message { kMessageClose = 0, kMessageDeleteBlocking = 1, kMessageUpdateRect = 2 };

    // The text object comes from the platform delegate; the editor owns it.
    TextEditor(UserInterface& userInterface, Text* text);
    ~TextEditor() override;

    Property<Alignment> alignment;
    Property<Rect> rectangle;        // root coordinates; owner: the editor
    Property<bool> opaqueBackground; // owner: the editor
    Property<bool> accepted;
    Property<bool> keyReporting;
    Property<bool> keyHandled;
    Property<bool> blocking;
    Property<TabAction> tabAction;
    // The background colour given to the native editor when it is not opaque.
    Property<Color> backgroundColor;

    NotifyEvent closedEvent;
    NotifyEvent textChangedEvent;
    NotifyEvent keyEvent;
    NotifyEvent tabEvent;
    NotifyEvent editedEvent;

    void propertyChanged(AbstractProperty& property) override;
    void handleMessage(int code) override;

    void open();
    void close();
    void applyText();
    void endEditing(int reason);
    // Closes and opens the native editor (it shows the new rectangle and text).
    virtual void reopen();

    Text& text() { return *text_; }
    const std::string& startText() const { return startText_; }
    bool isOpen() const { return open_; }
    bool isClosing() const { return closePosted_; }
    int lastKey() const { return lastKey_; }
    // The platform reports a key (key reporting on): keyHandled is cleared,
    // the key event fires; returns whether a listener handled it.
    bool reportKey(int key);
    // A key pressed in the native editor, shared by every platform: with key
    // reporting, arrows and Escape are reported (a handled one is consumed);
    // Enter (single line) commits, Escape cancels, Tab and Shift+Tab end
    // editing, select-all selects the whole text. kEnded: editing ended (the
    // native editor may be gone; the platform touches nothing of it).
    KeyResult keyDown(EditorKey key, bool shift);
    // The reported key code of a key, or kNoKey.
    static int reportedKeyCode(EditorKey key);
    // The reason a key ends editing with, or -1.
    static int endingReason(EditorKey key, bool shift, bool multiLine);
    bool isMultiLine() const;
    // The native text changed: read it back and fire the edited event.
    void nativeTextEdited();
    Control* blockingControl() const { return blockingControl_; }

protected:
    virtual void openNative() = 0;
    virtual void closeNative() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void selectAll() = 0;
    virtual void updateRect() = 0;
    // Copies the native text into the text object.
    virtual void readText() = 0;

private:
    void blockingClick();
    void finishClose();
    void deleteBlockingControl();

    std::unique_ptr<Text> text_;
    std::string startText_;
    bool open_ = false;
    bool closePosted_ = false;
    Control* blockingControl_ = nullptr;
    std::vector<Control*> waitingBlockingControls_;
    int lastKey_ = 0;
};

} // namespace gui
