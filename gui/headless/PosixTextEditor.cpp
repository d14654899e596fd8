#include "gui/headless/PosixTextEditor.h"

#include "gui/Text.h"

namespace gui::headless {

PosixTextEditor::PosixTextEditor(UserInterface& userInterface, Text* text)
    : TextEditor(userInterface, text) {}

PosixTextEditor::~PosixTextEditor() {
    // The native editor goes first, as on every platform.
    if (isOpen()) close();
}

void PosixTextEditor::type(const std::string& text) {
    if (!nativeOpen_) return;
    nativeText_.replace(selectionStart_, selectionEnd_ - selectionStart_, text);
    selectionStart_ = selectionEnd_ = selectionStart_ + text.size();
    nativeTextEdited();
}

TextEditor::KeyResult PosixTextEditor::pressKey(EditorKey key, bool shift) {
    if (!nativeOpen_) return KeyResult::kPassOn;
    return keyDown(key, shift);
}

void PosixTextEditor::openNative() {
    nativeOpen_ = true;
    ++openCount_;
    nativeRect_ = rectangle.getValue();
    nativeText_ = text().text.getValue();
    selectAll();
}

void PosixTextEditor::closeNative() {
    nativeOpen_ = false;
}

void PosixTextEditor::setText(const std::string& text) {
    nativeText_ = text;
    selectionStart_ = selectionEnd_ = nativeText_.size();
}

void PosixTextEditor::selectAll() {
    selectionStart_ = 0;
    selectionEnd_ = nativeText_.size();
}

void PosixTextEditor::updateRect() {
    nativeRect_ = rectangle.getValue();
}

void PosixTextEditor::readText() {
    text().text.setValue(nativeText_);
}

} // namespace gui::headless
