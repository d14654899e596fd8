#pragma once

// The headless platform's text: a fixed, font-independent metric, so tests
// give the same sizes everywhere. Every character advances 0.6 x the font
// size and a line is 1.25 x the font size tall (logical units). With a wrap
// width above 0, word wrapping breaks lines at spaces (the height grows) and
// the end ellipsis cuts the line and ends it with "..." within the width;
// width 0 is one unbounded line. Rendering draws each visible character as a
// black box on white and turns that into coverage in the text's colour. An
// empty text renders nothing.
//
// Threading: GUI thread only.

#include "gui/Bitmap.h"
#include "gui/Text.h"

#include <string>
#include <vector>

namespace gui::headless {

class HeadlessText : public Text {
public:
    static constexpr float kAdvance = 0.6f;
    static constexpr float kLineHeight = 1.25f;

    explicit HeadlessText(DeviceBacking& backing);
    ~HeadlessText() override;

    const IBitmap* render() override;
    float width() override;
    float height() override;
    void propertyChanged(AbstractProperty& property) override;

    // The laid-out lines (code points as UTF-8).
    const std::vector<std::string>& lines();

private:
    void layout();

    Bitmap coverage_;
    std::vector<std::string> lines_;
    float width_ = 0.0f;
    float height_ = 0.0f;
    bool laidOut_ = false;
    bool rendered_ = false;
};

} // namespace gui::headless
