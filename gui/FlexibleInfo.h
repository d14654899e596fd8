#pragma once

// What a control bar reads of a child that shares the bar's free length.
// A child control implements it (besides deriving from gui::Control); the
// bar asks for the record at every layout. After changing what it returns,
// the child asks its bar to lay out again (ControlBar::requestLayout).

namespace gui {

class FlexibleInfo {
public:
    struct Record {
        bool excluded = false;      // the child takes no part in the layout
        float maximumLength = 0.0f; // 0 = no maximum
        float minimumLength = 0.0f;
        float baseLength = 0.0f;
        float weight = 0.0f; // share of the free length
    };

    virtual ~FlexibleInfo() = default;
    virtual Record flexibleRecord() const = 0;
};

} // namespace gui
