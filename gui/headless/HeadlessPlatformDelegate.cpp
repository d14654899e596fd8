#include "gui/headless/HeadlessPlatformDelegate.h"

#include "gui/Bitmap.h"
#include "gui/ModalScope.h"
#include "gui/headless/HeadlessClipboard.h"
#include "gui/headless/HeadlessFileDialogs.h"
#include "gui/headless/HeadlessPopupMenu.h"
#include "gui/headless/HeadlessText.h"
#include "gui/headless/HeadlessTextEditor.h"
#include "gui/headless/ModalResponder.h"

#include <cmath>

namespace gui::headless {

HeadlessPlatformDelegate::HeadlessPlatformDelegate(UserInterface& userInterface)
    : userInterface_(userInterface) {}

OpenSaveDialog* HeadlessPlatformDelegate::createOpenSaveDialog() {
    return new HeadlessOpenSaveDialog(userInterface_);
}

PopupMenu* HeadlessPlatformDelegate::createPopupMenu() {
    return new HeadlessPopupMenu(userInterface_);
}

SelectFolderDialog* HeadlessPlatformDelegate::createSelectFolderDialog() {
    return new HeadlessSelectFolderDialog(userInterface_);
}

Bitmap* HeadlessPlatformDelegate::createBitmap() {
    return new Bitmap(userInterface_.deviceBacking());
}

Text* HeadlessPlatformDelegate::createText() {
    return new HeadlessText(userInterface_.deviceBacking());
}

TextEditor* HeadlessPlatformDelegate::createTextEditor() {
    return new HeadlessTextEditor(userInterface_, createText());
}

Rect HeadlessPlatformDelegate::monitorRect() {
    const float scale = userInterface_.deviceBacking().getScale();
    const float reserved = std::trunc(165.0f * scale);
    return Rect(0.0f, 0.0f, static_cast<float>(kMonitorWidth) / scale,
                (static_cast<float>(kMonitorHeight) - reserved) / scale);
}

std::string HeadlessPlatformDelegate::clipboardText() {
    return HeadlessClipboard::text();
}

void HeadlessPlatformDelegate::setClipboardText(const std::string& text) {
    HeadlessClipboard::setText(text);
}

const char* HeadlessPlatformDelegate::messageBoxTitle(int buttons) {
    return (buttons & kButtonOk) != 0 && (buttons & kButtonCancel) != 0 ? "Confirmation" : "Information";
}

void HeadlessPlatformDelegate::messageBox(const std::string& text, int buttons,
                                          std::function<void()> okAction) {
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

void HeadlessPlatformDelegate::openDocument(const std::string& text) {
    documents().push_back(text);
}

const std::vector<std::string>& HeadlessPlatformDelegate::openedDocuments() {
    return documents();
}

void HeadlessPlatformDelegate::clearOpenedDocuments() {
    documents().clear();
}

} // namespace gui::headless
