#pragma once

// The filter section's display on the product editor rig: 286 x 263 on the
// root, left margin 10, the skin's handles. Each test adds the curves it
// shows (addFilterCurve).

#include "effect_editor/FilterController.h"
#include "effect_editor/tests/EffectEditorRig.h"

#include <cstdint>

namespace test {

class FilterDisplayTest : public EffectEditorTest {
protected:
    void SetUp() override {
        EffectEditorTest::SetUp();
        display = new FilterController(*editor);
        display->parent.setValue(&ui->root());
        display->setBoundsXYWH(0, 0, 286, 263);
        display->leftMargin.setValue(10.0f);
        display->setHandleBitmaps({"DisplayPeak.png", "DisplayPeakActive.png", "DisplayMid.png",
                                   "DisplayMidActive.png", "DisplayPeak.png", "DisplayPeakActive.png"});
    }
    void TearDown() override {
        delete display;
        EffectEditorTest::TearDown();
    }

    // The curve of filter f: its frequency, peak, response, slope and switch,
    // no second frequency, and the pan parameter (FilterController::kNone: none).
    void addFilterCurve(int f, std::int32_t pan) {
        FilterParameterSet& s = model->filter[f];
        display->addCurve(s.freq.getIndex(), s.peak.getIndex(), s.response.getIndex(), s.slope.getIndex(),
                          s.enabled.getIndex(), FilterController::kNone, pan);
    }

    FilterController* display = nullptr;
};

} // namespace test
