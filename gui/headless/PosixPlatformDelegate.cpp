#include "gui/headless/PosixPlatformDelegate.h"

#include "gui/Bitmap.h"
#include "gui/ModalScope.h"
#include "gui/headless/ModalResponder.h"
#include "gui/headless/PosixClipboard.h"
#include "gui/headless/PosixFileDialogs.h"
#include "gui/headless/PosixPopupMenu.h"
#include "gui/headless/PosixText.h"
#include "gui/headless/PosixTextEditor.h"

#include <cmath>

namespace gui::headless {

PosixPlatformDelegate::PosixPlatformDelegate(UserInterface& userInterface) : userInterface_(userInterface) {}

OpenSaveDialog* PosixPlatformDelegate::createOpenSaveDialog() {
    return new PosixOpenSaveDialog(userInterface_);
}

PopupMenu* PosixPlatformDelegate::createPopupMenu() {
    return new PosixPopupMenu(userInterface_);
}

SelectFolderDialog* PosixPlatformDelegate::createSelectFolderDialog() {
    return new PosixSelectFolderDialog(userInterface_);
}

Bitmap* PosixPlatformDelegate::createBitmap() {
    return new Bitmap(userInterface_.deviceBacking());
}

Text* PosixPlatformDelegate::createText() {
    return new PosixText(userInterface_.deviceBacking());
}

TextEditor* PosixPlatformDelegate::createTextEditor() {
    return new PosixTextEditor(userInterface_, createText());
}

Rect PosixPlatformDelegate::monitorRect() {
    const float scale = userInterface_.deviceBacking().getScale();
    const float reserved = std::trunc(165.0f * scale);
    return Rect(0.0f, 0.0f, static_cast<float>(kMonitorWidth) / scale,
                (static_cast<float>(kMonitorHeight) - reserved) / scale);
}

std::string PosixPlatformDelegate::clipboardText() {
    return PosixClipboard::text();
}

void PosixPlatformDelegate::setClipboardText(const std::string& text) {
    PosixClipboard::setText(text);
}

const char* PosixPlatformDelegate::messageBoxTitle(int buttons) {
    return (buttons & kButtonOk) != 0 && (buttons & kButtonCancel) != 0 ? "Confirmation" : "Information";
}

void PosixPlatformDelegate::messageBox(const std::string& text, int buttons, std::function<void()> okAction) {
    if (!userInterface_.isGuiThread()) return;
    ModalRequest request;
    request.kind = ModalRequest::Kind::kMessageBox;
    request.title = messageBoxTitle(buttons);
    request.text = text;
    // Without Cancel the box has OK alone, whatever else was asked.
    request.buttons = (buttons & kButtonCancel) != 0 ? kButtonOk | kButtonCancel : kButtonOk;
    ModalScope modal(userInterface_);
    const ModalAnswer answer = ModalResponder::answer(request);
    modal.finish();
    if (!modal.survived()) return;
    if (answer.button == ModalAnswer::kOk && okAction) okAction();
}

namespace {

std::vector<std::string>& documents() {
    static std::vector<std::string> list;
    return list;
}

} // namespace

void PosixPlatformDelegate::openDocument(const std::string& text) {
    documents().push_back(text);
}

const std::vector<std::string>& PosixPlatformDelegate::openedDocuments() {
    return documents();
}

void PosixPlatformDelegate::clearOpenedDocuments() {
    documents().clear();
}

} // namespace gui::headless
