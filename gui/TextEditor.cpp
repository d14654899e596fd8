#include "gui/TextEditor.h"

#include "gui/Control.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

namespace gui {

namespace {

// The transparent control that covers the root while a blocking editor is
// open. After its click it deletes itself through a message posted to
// itself, once the click has finished.
class BlockingControl : public Control {
public:
    static constexpr int kDeleteMessage = 1;
    using Control::Control;
    void handleMessage(int code) override {
        if (code == kDeleteMessage)
            delete this;
        else
            Control::handleMessage(code);
    }
};

} // namespace

TextEditor::TextEditor(UserInterface& userInterface, Text* text)
    : Component(userInterface), alignment(nullptr, Alignment::kLeft), rectangle(this, Rect()),
      opaqueBackground(this, true), accepted(nullptr, false), keyReporting(nullptr, false),
      keyHandled(nullptr, false), blocking(nullptr, true), tabAction(nullptr, TabAction::kForward),
      backgroundColor(nullptr, Color(255, 255, 255, 255)), text_(text) {}

TextEditor::~TextEditor() {
    deleteBlockingControl();
    for (Control* control : waitingBlockingControls_)
        delete control;
}

void TextEditor::propertyChanged(AbstractProperty& property) {
    if (&property == &rectangle) {
        if (!open_) return;
        if (userInterface().isGuiThread())
            updateRect();
        else
            userInterface().postMessage(this, kMessageUpdateRect, kGuiList);
        return;
    }
    Component::propertyChanged(property);
}

void TextEditor::handleMessage(int code) {
    switch (code) {
    case kMessageClose:
        closePosted_ = false;
        close();
        break;
    case kMessageDeleteBlocking:
        for (Control* control : waitingBlockingControls_)
            delete control;
        waitingBlockingControls_.clear();
        break;
    case kMessageUpdateRect:
        if (open_) updateRect();
        break;
    default:
        Component::handleMessage(code);
        break;
    }
}

void TextEditor::open() {
    UserInterface& ui = userInterface();
    if (open_ || !ui.isGuiThread()) return;
    if (blocking.getValue()) {
        if (RootControl* root = ui.rootControl()) {
            auto* control = new BlockingControl(ui);
            const Rect rootBounds = root->bounds.getValue();
            control->setBoundsXYWH(0.0f, 0.0f, rootBounds.width(), rootBounds.height());
            control->parent.setValue(root);
            control->clickEvent.setHandler(NotifyEvent::bind(this, &TextEditor::blockingClick));
            blockingControl_ = control;
        }
    }
    open_ = true;
    closePosted_ = false;
    startText_ = text_->text.getValue();
    openNative();
}

void TextEditor::finishClose() {
    closeNative();
    deleteBlockingControl();
    open_ = false;
    closePosted_ = false;
    if (!userInterface().isBeingDestroyed()) closedEvent.notify(this);
}

void TextEditor::close() {
    if (!open_ || !userInterface().isGuiThread()) return;
    finishClose();
}

void TextEditor::deleteBlockingControl() {
    Control* control = blockingControl_;
    blockingControl_ = nullptr;
    delete control;
}

void TextEditor::applyText() {
    readText();
    accepted.setValue(true);
    if (text_->text.getValue() != startText_) textChangedEvent.notify(this);
}

void TextEditor::endEditing(int reason) {
    if (reason < kCommit || reason > kBackTab) return;
    // An accepted commit waits for its posted close: nothing is applied twice.
    if (closePosted_) return;
    if (reason == kCancel) {
        if (blocking.getValue() && open_ && userInterface().isGuiThread()) finishClose();
        return;
    }
    if (text_->lineStyle.getValue() == Text::LineStyle::kWordWrap) return;
    applyText();
    if (!blocking.getValue()) return;
    if (!accepted.getValue()) {
        selectAll();
        return;
    }
    tabAction.setValue(reason == kBackTab ? TabAction::kBackward : TabAction::kForward);
    if (reason == kTab || reason == kBackTab) tabEvent.notify(this);
    if (tabAction.getValue() == TabAction::kMoved) {
        startText_ = text_->text.getValue();
        reopen();
        return;
    }
    closePosted_ = userInterface().postMessage(this, kMessageClose, kGuiList);
}

void TextEditor::reopen() {
    closeNative();
    openNative();
}

bool TextEditor::reportKey(int key) {
    lastKey_ = key;
    keyHandled.setValue(false);
    keyEvent.notify(this);
    return keyHandled.getValue();
}

int TextEditor::reportedKeyCode(EditorKey key) {
    switch (key) {
    case EditorKey::kLeft:
        return kKeyLeft;
    case EditorKey::kRight:
        return kKeyRight;
    case EditorKey::kUp:
        return kKeyUp;
    case EditorKey::kDown:
        return kKeyDown;
    case EditorKey::kEscape:
        return kKeyEscape;
    default:
        return kNoKey;
    }
}

int TextEditor::endingReason(EditorKey key, bool shift, bool multiLine) {
    switch (key) {
    case EditorKey::kEnter:
        return multiLine ? -1 : kCommit;
    case EditorKey::kEscape:
        return kCancel;
    case EditorKey::kTab:
        return shift ? kBackTab : kTab;
    default:
        return -1;
    }
}

bool TextEditor::isMultiLine() const {
    return text_->lineStyle.getValue() == Text::LineStyle::kWordWrap;
}

TextEditor::KeyResult TextEditor::keyDown(EditorKey key, bool shift) {
    if (keyReporting.getValue()) {
        if (const int code = reportedKeyCode(key); code != kNoKey && reportKey(code))
            return KeyResult::kConsumed;
    }
    if (key == EditorKey::kSelectAll) {
        selectAll();
        return KeyResult::kConsumed;
    }
    const int reason = endingReason(key, shift, isMultiLine());
    if (reason < 0) return KeyResult::kPassOn;
    const bool wasOpen = open_;
    endEditing(reason);
    // Closed, or about to close (posted): the native editor must not go on.
    return !open_ || !wasOpen || closePosted_ ? KeyResult::kEnded : KeyResult::kConsumed;
}

void TextEditor::nativeTextEdited() {
    readText();
    editedEvent.notify(this);
}

void TextEditor::blockingClick() {
    if (auto* control = static_cast<BlockingControl*>(blockingControl_)) {
        control->enabled.setValue(false);
        control->clickEvent.setHandler(nullptr);
        userInterface().postMessage(control, BlockingControl::kDeleteMessage, kGuiList);
        blockingControl_ = nullptr;
    }
    if (!closePosted_) applyText();
    if (open_ && userInterface().isGuiThread()) {
        closeNative();
        open_ = false;
        closePosted_ = false;
        if (!userInterface().isBeingDestroyed()) closedEvent.notify(this);
    }
}

} // namespace gui
