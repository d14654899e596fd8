#pragma once

// Text rendered with GDI: the string is drawn black on white into a DIB
// with the text's font, then turned into glyph coverage in the text's
// colour. Measuring and rendering are lazy (state: up to date, measured,
// must be measured) and start over when a property or the backing scale
// changes. An empty text renders nothing.
//
// Threading: GUI thread only.

#include "gui/DeviceBacking.h"
#include "gui/Text.h"
#include "gui/windows/WindowsBitmap.h"

#include <windows.h>

namespace gui {

class WindowsText : public Text, public DeviceBacking::BackingScaleListener {
public:
    explicit WindowsText(DeviceBacking& backing);
    ~WindowsText() override;

    const IBitmap* render() override;
    float width() override;
    float height() override;
    float verticalOffset() override;

    void propertyChanged(AbstractProperty& property) override;
    void backingScaleChanged() override;

    // The GDI font of a text at a backing scale.
    static LOGFONTW fontDescription(const Text& text, float scale);
    // The DrawTextW format of a text.
    static UINT formatFlags(const Text& text);

private:
    enum class State { kUpToDate = 0, kMeasured = 1, kMustMeasure = 2 };

    void measure();

    DeviceBacking& backing_;
    WindowsBitmap coverage_;
    int pixelWidth_ = 0;
    int pixelHeight_ = 0;
    State state_ = State::kMustMeasure;
};

} // namespace gui
