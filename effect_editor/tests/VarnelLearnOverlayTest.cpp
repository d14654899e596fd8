// The product's MIDI learn overlay: the handles of the filter link point
// and of the XY pads learn their parameters by a click and a controller,
// the display's and the source strip's controls stay usable, and the pads'
// handles come only with the modulation section.

#include "editor/ComponentDisplay.h"
#include "editor/MidiLearnController.h"
#include "editor/MidiLearnMode.h"
#include "editor/XYGhostControl.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/FilterInterface.h"
#include "effect_editor/XYSourceInterface.h"
#include "effect_editor/tests/FilterRig.h"
#include "effect_editor/tests/PaintedPixels.h"
#include "gui/ImageLabel.h"
#include "gui/ScrollButton.h"
#include "gui/ScrollStrip.h"
#include "gui/Text.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/XYControllerButton.h"
#include "plugin/ControllerMapping.h"
#include "plugin/GenericPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class VarnelLearnOverlayTest : public test::FilterRig {
protected:
    void SetUp() override {
        FilterRig::SetUp();
        mapping = GenericPlugin::getControllerMapping();
        ASSERT_NE(mapping, nullptr);
        mapping->clear();
    }
    void TearDown() override {
        if (mapping != nullptr) mapping->clear();
        FilterRig::TearDown();
    }
    // The filter section unfolded and one XY controller in use.
    void showFilterSectionAndAnXYController() {
        editor->sourceController()->addSource(0);
        ui->advance(1000);
        FilterInterface* section = editor->filterInterface();
        ASSERT_NE(section, nullptr);
        editor->componentDisplay()->toggleComponent(section->componentIndex());
        ui->advance(1000);
    }
    MidiLearnController* learn() {
        editor->setMidiLearnActive(true);
        ui->advance(500);
        return editor->midiLearn().overlay();
    }
    // The overlay's own ghosts, in the order they were added.
    static std::vector<XYGhostControl*> handles(MidiLearnController& overlay) {
        std::vector<XYGhostControl*> result;
        for (int i = overlay.controlCount(); i < overlay.controlCount() + overlay.ghostCount(); ++i)
            result.push_back(dynamic_cast<XYGhostControl*>(overlay.ghost(i)));
        return result;
    }
    // A click just inside the handle's top edge (the two handles of a point
    // overlap below it) where none of the overlay's own buttons lies, then a
    // controller through the model's report.
    void clickThenMove(XYGhostControl& handle, int32_t controller) {
        const gui::Rect r = handle.getRect();
        MidiLearnController& overlay = *editor->midiLearn().overlay();
        gui::Point at((r.left + r.right) * 0.5f, r.top + 1.0f);
        for (float x = r.left + 1.0f; x < r.right - 1.0f; x += 1.0f)
            if (overlay.findChildAt(overlay.fromRoot(gui::Point(x, r.top + 1.0f))) == nullptr) {
                at = gui::Point(x, r.top + 1.0f);
                break;
            }
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        editor->pluginChanged(GenericPlugin::kMidiControllerSeen, controller);
        ui->advance(10);
    }
    static bool hasTarget(MidiLearnController& overlay, gui::Control* control) {
        for (int i = 0; i < overlay.controlCount(); ++i)
            if (overlay.targetControl(i) == control) return true;
        return false;
    }

    ControllerMapping* mapping = nullptr;
};

TEST_F(VarnelLearnOverlayTest, ClickingAHandleThenMovingAControllerMapsItsParameter) {
    showFilterSectionAndAnXYController();
    auto* xy = dynamic_cast<XYSourceInterface*>(editor->sourceController()->panels().at(0));
    ASSERT_NE(xy, nullptr);
    MidiLearnController* overlay = learn();
    ASSERT_NE(overlay, nullptr);
    const std::vector<XYGhostControl*> all = handles(*overlay);
    ASSERT_EQ(all.size(), 4u);
    FilterController* display = editor->filterInterface()->controller();

    struct Case {
        const char* name;
        gui::Control* target;
        gui::Orientation orientation;
        uint32_t identifier;
        int32_t controller;
    };
    const Case cases[] = {
        {"Filter Link Freq", display, gui::Orientation::kHorizontal,
         uint32_t(model->filterLinkFreq.getIndex()), 21},
        {"Filter Link Peak", display, gui::Orientation::kVertical, uint32_t(model->filterLinkPeak.getIndex()),
         22},
        {"Hor", xy->pad(), gui::Orientation::kHorizontal, uint32_t(model->xyControllers[0].hor.getIndex()),
         23},
        {"Ver", xy->pad(), gui::Orientation::kVertical, uint32_t(model->xyControllers[0].ver.getIndex()), 24},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.name);
        XYGhostControl* handle = all[k];
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->target(), c.target);
        EXPECT_EQ(handle->orientation(), c.orientation);
        // Each handle draws its own bitmap.
        EXPECT_GT(handle->bitmap().pixelWidth(), 0);
        clickThenMove(*handle, c.controller);
        EXPECT_EQ(mapping->getParameter(c.controller), c.identifier);
        EXPECT_NE(overlay->instructionText().find(editor->learnIdentifierName(c.identifier)),
                  std::string::npos)
            << overlay->instructionText();
    }
    // The names are the model's.
    EXPECT_EQ(editor->learnIdentifierName(cases[0].identifier), "Filter Link Freq");
    EXPECT_EQ(editor->learnIdentifierName(cases[1].identifier), "Filter Link Peak");
}

TEST_F(VarnelLearnOverlayTest, TheDisplaysAndTheStripsControlsStayUsable) {
    showFilterSectionAndAnXYController();
    MidiLearnController* overlay = learn();
    ASSERT_NE(overlay, nullptr);
    ComponentDisplay* display = editor->componentDisplay();
    ASSERT_FALSE(display->buttons().empty());
    for (gui::Control* button : display->buttons())
        EXPECT_TRUE(hasTarget(*overlay, button));
    EXPECT_TRUE(hasTarget(*overlay, display->backwardButton()));
    EXPECT_TRUE(hasTarget(*overlay, display->forwardButton()));
    SourceController* sources = editor->sourceController();
    ASSERT_EQ(sources->selectionBar()->sourceButtons().size(), 1u);
    EXPECT_TRUE(hasTarget(*overlay, sources->selectionBar()->sourceButtons()[0]));
    EXPECT_TRUE(hasTarget(*overlay, sources->strip().backwardButton()));
    EXPECT_TRUE(hasTarget(*overlay, sources->strip().forwardButton()));
    // The targets come before the ghosts: the learn and MIDI buttons too.
    EXPECT_TRUE(hasTarget(*overlay, editor->bottomBar().midiLearn));
}

TEST_F(VarnelLearnOverlayTest, WithTheModulationSectionHiddenThePadsOfferNothing) {
    editor->sourceController()->addSource(0);
    editor->modulationButton()->value.setValue(0);
    editor->modulationButtonChanged();
    ASSERT_FALSE(model->getVarnelSettings().showModulation.getValue());
    MidiLearnController* overlay = learn();
    ASSERT_NE(overlay, nullptr);
    // Only the filter link point's two handles.
    const std::vector<XYGhostControl*> all = handles(*overlay);
    ASSERT_EQ(all.size(), 2u);
    for (XYGhostControl* handle : all)
        EXPECT_EQ(handle->target(), editor->filterInterface()->controller());
    EXPECT_FALSE(hasTarget(*overlay, editor->sourceController()->strip().backwardButton()));
    // Leaving the mode drops the handles' learn ghosts with the others.
    editor->setMidiLearnActive(false);
    EXPECT_EQ(overlay->learnGhostCount(), 0);
}

// The note's Clear and Close captions stand on plain paper: no mark of the
// note's art lies under its buttons (the note's width maps onto its art's).
TEST_F(VarnelLearnOverlayTest, TheNotesButtonsStandOnPlainPaper) {
    MidiLearnController* overlay = learn();
    ASSERT_NE(overlay, nullptr);
    gui::ImageLabel* note = overlay->instructionLabel();
    ASSERT_NE(note, nullptr);
    const gui::Bitmap& art = note->background();
    ASSERT_GT(art.pixelWidth(), 0);
    const gui::Rect n = note->bounds.getValue();
    // The note's pixels in the button's box, clear of the note's rim and
    // shadow (its outer 5).
    constexpr float kFrame = 6.0f;
    const float perX = float(art.pixelWidth()) / n.width();
    const float perY = float(art.pixelHeight()) / n.height();
    for (gui::Button* button : {overlay->clearButton(), overlay->closeButton()}) {
        ASSERT_NE(button, nullptr);
        SCOPED_TRACE(button->textLine(0)->text.getValue());
        const gui::Rect box =
            intersection(button->bounds.getValue(),
                         gui::Rect(n.left + kFrame, n.top + kFrame, n.right - kFrame, n.bottom - kFrame));
        ASSERT_FALSE(box.isEmpty());
        const gui::Rect r = box.offset(-n.left, -n.top);
        const gui::Color paper = art.pixelAt(int(r.left * perX), int(r.top * perY));
        int marks = 0;
        for (int y = int(r.top * perY); y < int(r.bottom * perY); ++y)
            for (int x = int(r.left * perX); x < int(r.right * perX); ++x)
                if (!(art.pixelAt(x, y) == paper)) ++marks;
        EXPECT_EQ(marks, 0) << "the note's art has marks under the button";
    }
}

// The note's instruction and its Clear and Close captions stand on one
// line: the lowest row of dark ink (none of the texts has a descender) is
// the same in the three, as painted.
TEST_F(VarnelLearnOverlayTest, TheNotesTextAndItsButtonsCaptionsShareOneBaseline) {
    MidiLearnController* overlay = learn();
    ASSERT_NE(overlay, nullptr);
    ui->advance(500); // faded in
    gui::ImageLabel* note = overlay->instructionLabel();
    ASSERT_NE(note, nullptr);
    ASSERT_EQ(note->text()->text.getValue().find_first_of("gjpqy"), std::string::npos);
    // The lowest row (in device pixels of the back buffer) with dark ink in
    // the rectangle.
    auto baseline = [this](const gui::Rect& area) {
        const std::vector<gui::Color> pixels = test::paintedPixels(*ui, area);
        const float scale = ui->backBuffer().getScale();
        const int columns = test::devicePixel(area.right, scale) - test::devicePixel(area.left, scale);
        int lowest = -1;
        for (size_t i = 0; i < pixels.size(); ++i)
            if (test::lightness(pixels[i]) < 100) lowest = int(i) / columns;
        return lowest < 0 ? -1 : test::devicePixel(area.top, scale) + lowest;
    };
    const gui::Rect n = test::rootRect(*note);
    const gui::Rect clear = test::rootRect(*overlay->clearButton());
    // The instruction's part of the note: left of the buttons, inside its rim.
    const int text = baseline(gui::Rect(n.left + 8.0f, n.top + 3.0f, clear.left - 2.0f, n.bottom - 3.0f));
    ASSERT_GE(text, 0) << "no ink of the instruction";
    for (gui::Button* button : {overlay->clearButton(), overlay->closeButton()}) {
        SCOPED_TRACE(button->textLine(0)->text.getValue());
        // The caption's own extent: the button has no face, and the note's
        // rim shows beside the caption of the last one.
        const gui::Rect b = test::rootRect(*button);
        const float half = button->textLine(0)->width() * 0.5f + 1.0f;
        const float middle = (b.left + b.right) * 0.5f;
        EXPECT_NEAR(baseline(gui::Rect(middle - half, b.top + 2.0f, middle + half, b.bottom - 2.0f)), text,
                    1);
    }
}

} // namespace
