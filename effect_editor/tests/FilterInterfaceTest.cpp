// The filter section on the product's editor: its controls' bindings and
// targets, the display's curves and images following the filter sets, and
// what a user's presses on its Hide button and its display's handles do.

#include "effect_editor/FilterInterface.h"

#include "editor/ComponentDisplay.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/FilterController.h"
#include "effect_editor/tests/FilterRig.h"
#include "effect_editor/tests/PaintedPixels.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/RootControl.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class FilterInterfaceTest : public test::FilterRig {
protected:
    // The section unfolded, as a filter button's click leaves it.
    FilterInterface& openSection() {
        FilterInterface* section = editor->filterInterface();
        editor->componentDisplay()->toggleComponent(section->componentIndex());
        ui->advance(2000);
        return *section;
    }
    bool unfolded(const FilterInterface& section) const {
        return editor->componentDisplay()->components()[size_t(section.componentIndex())].unfolded;
    }
    // The control that a press at the point (in root coordinates) reaches.
    gui::Control* reachedAt(const gui::Point& point) {
        gui::Control* reached = ui->rootControl();
        while (gui::Control* child = reached->findChildAt(reached->fromRoot(point)))
            reached = child;
        return reached;
    }
    // A press and release at the point, the pointer parked away afterwards,
    // and time for what it starts.
    void click(const gui::Point& at, int modifiers = 0) {
        ui->mouseMove(at);
        ui->mouseDown(0, at, modifiers);
        ui->mouseUp(0, at, modifiers);
        ui->mouseMove(gui::Point(1, 1));
        ui->advance(2000);
    }
    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }
};

TEST_F(FilterInterfaceTest, GesturingTheSectionsControlsMovesTheirParametersAndTargets) {
    FilterInterface* section = editor->filterInterface();
    ASSERT_NE(section, nullptr);
    for (int32_t f = 0; f < 2; ++f) {
        const FilterInterface::FilterControls& c = section->filterControls(f);
        FilterParameterSet& set = model->filter[size_t(f)];
        const uint32_t t = 10 + 3 * uint32_t(f);
        const struct {
            gui::ValueControl* control;
            AbstractPluginParameter* parameter;
            uint32_t target;
        } cases[] = {
            {c.characteristic, &set.characteristic, VarnelInterface::kNoTarget},
            {c.response, &set.response, VarnelInterface::kNoTarget},
            {c.slope, &set.slope, VarnelInterface::kNoTarget},
            {c.pan, &set.pan, t + 1},
            {c.freq, &set.freq, t},
            {c.peak, &set.peak, t + 2},
            {c.enable, &set.enabled, VarnelInterface::kNoTarget},
        };
        for (const auto& k : cases) {
            SCOPED_TRACE(k.parameter->getName());
            ASSERT_NE(k.control, nullptr);
            adapter->log.clear();
            const float before = k.parameter->getValue();
            const int range = k.control->maximum.getValue() - k.control->minimum.getValue();
            const bool atTop = k.control->value.getValue() >= k.control->maximum.getValue();
            const int step = std::max(1, range / 10);
            gesture(*k.control, atTop ? -step : step);
            EXPECT_NE(k.parameter->getValue(), before);
            const std::string kinds = adapter->kindsOf(k.parameter->getIndex());
            ASSERT_FALSE(kinds.empty());
            EXPECT_EQ(kinds.front(), 'b');
            EXPECT_EQ(kinds.back(), 'e');
            EXPECT_EQ(editor->getTargetIndex(k.control), k.target);
        }
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(FilterInterfaceTest, TheDisplayHasBothCurvesUnderAShadowThatTakesNoPress) {
    FilterInterface* section = editor->filterInterface();
    FilterController* display = section->controller();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->curves(), 2);
    // Both are drawn and linked: the link handle stands between their handles.
    EXPECT_EQ(display->curveCount.getValue(), 2);
    EXPECT_EQ(display->linkedCount(), 2);
    EXPECT_FLOAT_EQ(display->leftMargin.getValue(), 10.0f);
    EXPECT_EQ(display->curve(1).indices().frequency, model->filter[1].freq.getIndex());
    EXPECT_EQ(display->curve(0).indices().enabled, model->filter[0].enabled.getIndex());
    EXPECT_EQ(display->curve(0).indices().pan, FilterController::kNone);
    ASSERT_NE(section->shadow(), nullptr);
    EXPECT_EQ(section->shadow()->hitThreshold.getValue(), 255);
    // Interface coordinates: the display's place in the section is (0, 0).
    EXPECT_FLOAT_EQ(display->bounds.getValue().left, 0.0f);
    EXPECT_FLOAT_EQ(section->filterControls(1).freq->bounds.getValue().left, 429 + 138 - 50 - 361);
    EXPECT_NE(display->helpText.getValue().find("Ctrl and Alt"), std::string::npos);
}

TEST_F(FilterInterfaceTest, CurvesAndImagesFollowTheFilterSetsAtOnce) {
    FilterInterface* section = editor->filterInterface();
    FilterController* display = section->controller();
    FilterParameterSet& second = model->filter[1];
    const auto& c = section->filterControls(1);
    // "Disabled" by default.
    EXPECT_FALSE(c.enabledImage->visible.getValue());
    EXPECT_TRUE(c.disabledImage->visible.getValue());
    automate(second.enabled, 1.0f);
    EXPECT_TRUE(c.enabledImage->visible.getValue());
    EXPECT_FALSE(c.disabledImage->visible.getValue());
    EXPECT_TRUE(display->curve(1).enabled.getValue());
    automate(second.enabled, 0.0f);
    EXPECT_FALSE(c.enabledImage->visible.getValue());
    EXPECT_TRUE(c.disabledImage->visible.getValue());
    EXPECT_FALSE(display->curve(1).enabled.getValue());
    // The first filter's images stay.
    EXPECT_TRUE(section->filterControls(0).disabledImage->visible.getValue());

    automate(second.freq, 10.0f);
    EXPECT_FLOAT_EQ(display->curve(1).frequency.getValue(), second.freq.toLinearNormalized(10.0f));
    automate(second.response, 2.0f);
    EXPECT_EQ(display->curve(1).response.getValue(), GenericFilter::Response(2));
}

TEST_F(FilterInterfaceTest, UnfoldingTheSectionShowsItsFiltersAsTheyAre) {
    FilterInterface* section = editor->filterInterface();
    FilterParameterSet& first = model->filter[0];
    // A change the section was not told of.
    first.enabled.setValue(1.0f, kParameterChangeNotToHost);
    first.freq.setValue(6.0f, kParameterChangeNotToHost);
    EXPECT_TRUE(section->filterControls(0).disabledImage->visible.getValue());
    editor->componentDisplay()->toggleComponent(section->componentIndex());
    ASSERT_TRUE(editor->componentDisplay()->components()[size_t(section->componentIndex())].unfolded);
    EXPECT_TRUE(section->filterControls(0).enabledImage->visible.getValue());
    EXPECT_FALSE(section->filterControls(0).disabledImage->visible.getValue());
    EXPECT_FLOAT_EQ(section->controller()->curve(0).frequency.getValue(),
                    first.freq.toLinearNormalized(6.0f));
}

// A filter that is off shows its panel veiled over the plate: nothing the
// display draws shows through it, however the other filter's curve runs.
TEST_F(FilterInterfaceTest, TheOtherFiltersCurveDoesNotShowThroughAPanelThatIsOff) {
    FilterInterface* section = editor->filterInterface();
    editor->componentDisplay()->toggleComponent(section->componentIndex());
    ASSERT_TRUE(editor->componentDisplay()->components()[size_t(section->componentIndex())].unfolded);
    FilterParameterSet& first = model->filter[0];
    automate(first.enabled, 1.0f);
    automate(first.peak, 0.5f);
    const gui::Control* panel = section->filterControls(1).disabledImage;
    ASSERT_TRUE(panel->visible.getValue());
    ui->advance(1000);
    // Filter 1's low pass, cut off low and then high (its curve and its
    // fill crossing filter 2's panel).
    automate(first.freq, 0.0f);
    ui->advance(100);
    const std::vector<gui::Color> low = test::paintedPixels(*ui, *panel);
    automate(first.freq, 10.0f);
    ui->advance(100);
    const std::vector<gui::Color> high = test::paintedPixels(*ui, *panel);
    ASSERT_EQ(low.size(), high.size());
    size_t differing = 0;
    for (size_t i = 0; i < low.size(); ++i)
        if (!(low[i] == high[i])) ++differing;
    EXPECT_EQ(differing, 0u) << "of " << low.size() << " pixels of filter 2's panel";
}

// The Hide button at the top left of the response display folds the section:
// it gives its place in the component display back, the editor stores that
// no section is open, and the button is no longer there to press.
TEST_F(FilterInterfaceTest, TheHideButtonFoldsTheSection) {
    FilterInterface& section = openSection();
    ASSERT_TRUE(unfolded(section));
    gui::Button* hide = section.hideButton();
    ASSERT_NE(hide, nullptr);
    const gui::Point at = centreInRoot(*hide);
    ASSERT_EQ(reachedAt(at), hide);
    const int32_t undo = undoCount();
    click(at);
    EXPECT_FALSE(unfolded(section));
    const gui::Control* container =
        editor->componentDisplay()->components()[size_t(section.componentIndex())].control;
    EXPECT_FLOAT_EQ(container->width.getValue(), 0.0f);
    EXPECT_NE(reachedAt(at), hide);
    EXPECT_EQ(model->getVarnelSettings().expandedSection.getValue(), -1);
    EXPECT_EQ(undoCount(), undo); // a view, not an edit
}

// A click on either filter button unfolds the section, and a second folds it
// again, as the Hide button does; neither is an edit.
TEST_F(FilterInterfaceTest, AClickOnAFilterButtonUnfoldsTheSectionAndASecondFoldsIt) {
    FilterInterface* section = editor->filterInterface();
    ASSERT_NE(section, nullptr);
    ASSERT_FALSE(unfolded(*section));
    for (int32_t f = 0; f < 2; ++f) {
        SCOPED_TRACE(f);
        gui::Control* button = editor->filterButton(f);
        ASSERT_NE(button, nullptr);
        const gui::Point at = centreInRoot(*button);
        ASSERT_EQ(reachedAt(at), button);
        const int32_t undo = undoCount();
        click(at);
        EXPECT_TRUE(unfolded(*section));
        EXPECT_NE(model->getVarnelSettings().expandedSection.getValue(), -1);
        click(at);
        EXPECT_FALSE(unfolded(*section));
        EXPECT_EQ(model->getVarnelSettings().expandedSection.getValue(), -1);
        EXPECT_EQ(undoCount(), undo);
    }
}

// A press on the display's handle that moves nothing leaves the undo history
// as it was (the next Undo undoes the edit before it), with the modifiers
// that select and turn linked filters alike. A drag stores one step, and a
// Ctrl-click, which steps the response, one.
TEST_F(FilterInterfaceTest, APressOnTheDisplayStoresAnUndoStepOnlyWhenItChangesAValue) {
    FilterInterface& section = openSection();
    FilterController& display = *section.controller();
    automate(model->filter[0].freq, model->filter[0].freq.fromLinearNormalized(0.3f));
    auto centre = [&display](const gui::Rect& r) {
        return display.toRoot(gui::Point((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f));
    };
    auto values = [this] {
        std::vector<float> v;
        for (size_t f = 0; f < 2; ++f)
            for (const AbstractPluginParameter* p : model->filter[f].getParameters())
                v.push_back(p->getValue());
        return v;
    };
    const struct {
        const char* what;
        int modifiers;
    } presses[] = {
        {"plain", 0},
        {"Alt", gui::kAlt},
        {"Ctrl+Alt", gui::kCtrl | gui::kAlt},
    };
    for (const auto& p : presses) {
        SCOPED_TRACE(p.what);
        const gui::Point at = centre(display.curve(0).handleRect());
        ASSERT_EQ(reachedAt(at), &display);
        const int32_t undo = undoCount();
        const std::vector<float> before = values();
        click(at, p.modifiers);
        EXPECT_EQ(undoCount(), undo);
        EXPECT_EQ(values(), before);
    }

    const gui::Point at = centre(display.curve(0).handleRect());
    int32_t undo = undoCount();
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 20, at.y - 20});
    ui->mouseUp(0, {at.x + 20, at.y - 20});
    EXPECT_EQ(undoCount(), undo + 1);
    undo = undoCount();
    click(centre(display.curve(0).handleRect()), gui::kCtrl);
    EXPECT_EQ(model->filter[0].response.getValue(), 1.0f);
    EXPECT_EQ(undoCount(), undo + 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
