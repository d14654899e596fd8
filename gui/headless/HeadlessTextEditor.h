#pragma once

// The headless platform's native text editor: a text and a selection in
// memory where the native editor would be. Opening copies the text object's
// text and selects it all; typing replaces the selection and reports the
// edit; keys go through the toolkit's shared key handling, as the native
// editor's do.
//
// Threading: GUI thread only.

#include "gui/TextEditor.h"

#include <string>

namespace gui::headless {

class HeadlessTextEditor : public TextEditor {
public:
    HeadlessTextEditor(UserInterface& userInterface, Text* text);
    ~HeadlessTextEditor() override;

    // What a person does in the open editor.
    void type(const std::string& text);
    KeyResult pressKey(EditorKey key, bool shift = false);

    bool isNativeOpen() const { return nativeOpen_; }
    const std::string& nativeText() const { return nativeText_; }
    std::size_t selectionStart() const { return selectionStart_; }
    std::size_t selectionEnd() const { return selectionEnd_; }
    const Rect& nativeRect() const { return nativeRect_; }
    int openCount() const { return openCount_; }

protected:
    void openNative() override;
    void closeNative() override;
    void setText(const std::string& text) override;
    void selectAll() override;
    void updateRect() override;
    void readText() override;

private:
    bool nativeOpen_ = false;
    std::string nativeText_;
    std::size_t selectionStart_ = 0;
    std::size_t selectionEnd_ = 0;
    Rect nativeRect_;
    int openCount_ = 0;
};

} // namespace gui::headless
