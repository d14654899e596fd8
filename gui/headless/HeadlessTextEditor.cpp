#include "gui/headless/HeadlessTextEditor.h"

#include "gui/Text.h"

namespace gui::headless {

HeadlessTextEditor::HeadlessTextEditor(UserInterface& userInterface, Text* text)
    : TextEditor(userInterface, text) {}

HeadlessTextEditor::~HeadlessTextEditor() {
    // The native editor goes first, as on every platform.
    if (isOpen()) close();
}

void HeadlessTextEditor::type(const std::string& text) {
    if (!nativeOpen_) return;
    nativeText_.replace(selectionStart_, selectionEnd_ - selectionStart_, text);
    selectionStart_ = selectionEnd_ = selectionStart_ + text.size();
    nativeTextEdited();
}

TextEditor::KeyResult HeadlessTextEditor::pressKey(EditorKey key, bool shift) {
    if (!nativeOpen_) return KeyResult::kPassOn;
    return keyDown(key, shift);
}

void HeadlessTextEditor::openNative() {
    nativeOpen_ = true;
    ++openCount_;
    nativeRect_ = rectangle.getValue();
    nativeText_ = text().text.getValue();
    selectAll();
}

void HeadlessTextEditor::closeNative() {
    nativeOpen_ = false;
}

void HeadlessTextEditor::setText(const std::string& text) {
    nativeText_ = text;
    selectionStart_ = selectionEnd_ = nativeText_.size();
}

void HeadlessTextEditor::selectAll() {
    selectionStart_ = 0;
    selectionEnd_ = nativeText_.size();
}

void HeadlessTextEditor::updateRect() {
    nativeRect_ = rectangle.getValue();
}

void HeadlessTextEditor::readText() {
    text().text.setValue(nativeText_);
}

} // namespace gui::headless
