#include "modulation_editor/FloatValueLabel.h"

#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessTextEditor.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>

namespace {

using gui::headless::HeadlessTextEditor;
using EditorKey = gui::TextEditor::EditorKey;

class FloatValueLabelTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        label = new FloatValueLabel(*ui, *editor);
        label->autoSize.setValue(false);
        label->setBoundsXYWH(100, 100, 60, 16);
        label->parent.setValue(&ui->root());
        label->setParameter(&model->inputLevel);
        face = std::make_unique<gui::Bitmap>(ui->deviceBacking());
        face->setSize(10, 10);
    }
    void TearDown() override {
        face.reset();
        ModulationEditorTest::TearDown();
    }
    int32_t level() const { return model->inputLevel.getIndex(); }
    // A press at (x, y) in root coordinates, moves through the rows given,
    // then the release.
    void drag(float y, std::initializer_list<float> rows, int modifiers = 0) {
        ui->mouseDown(0, {120, y}, gui::kLeftButton);
        for (float row : rows)
            ui->mouseMove({120, row}, gui::kLeftButton | modifiers);
        ui->mouseUp(0, {120, rows.size() > 0 ? *(rows.end() - 1) : y});
    }
    // A delay time's label, as a time display has it.
    FloatValueLabel* timeLabel() {
        auto* l = new FloatValueLabel(*ui, *editor);
        l->autoSize.setValue(false);
        l->setBoundsXYWH(200, 100, 60, 16);
        l->parent.setValue(&ui->root());
        l->setParameter(&model->delay[0].time);
        l->setTapFace(face.get());
        return l;
    }
    void click(float x, std::uint32_t heldMs) {
        ui->mouseDown(0, {x, 105}, gui::kLeftButton);
        ui->advance(heldMs);
        ui->mouseUp(0, {x, 105});
    }

    FloatValueLabel* label = nullptr;
    std::unique_ptr<gui::Bitmap> face;
};

TEST_F(FloatValueLabelTest, Texts) {
    struct Case {
        float value;
        int precision;
        const char* unit;
        bool plus;
        const char* text;
    } cases[] = {
        {1.234f, 2, "", false, "1.23"},      {3.0f, 0, " dB", false, "3 dB"},
        {0.0f, 2, "", true, "+0.00"},        {-0.5f, 1, "", true, "-0.5"},
        {12.0f, 1, " dB", true, "+12.0 dB"}, {-0.001f, 2, "", false, "0.00"}, // no "-0.00"
    };
    for (const Case& c : cases) {
        label->precision.setValue(c.precision);
        label->unit.setValue(c.unit);
        label->showPlus.setValue(c.plus);
        EXPECT_EQ(label->formatValue(c.value), c.text) << c.text;
    }
    label->precision.setValue(1);
    label->unit.setValue(" dB");
    label->showPlus.setValue(true);
    model->inputLevel.setValue(6.0f, 0);
    label->refresh();
    EXPECT_EQ(label->text(0)->text.getValue(), "+6.0 dB");
    label->enabled.setValue(false);
    EXPECT_EQ(label->text(0)->text.getValue(), "-");
}

// A label taller than its one line (a field sized to its window) keeps the
// line in its middle; one sized to its text draws it at the top.
TEST_F(FloatValueLabelTest, TheLineStandsInTheMiddleOfATallerLabel) {
    label->refresh();
    const float line = label->text(0)->height();
    ASSERT_GT(line, 0.0f);
    ASSERT_LT(line, 16.0f);
    EXPECT_FLOAT_EQ(label->lineRect(0).top, (16.0f - line) * 0.5f);
    EXPECT_FLOAT_EQ(label->lineRect(0).bottom - label->lineRect(0).top, line);
    label->autoSize.setValue(true);
    EXPECT_FLOAT_EQ(label->lineRect(0).top, 0.0f);
}

// Each step needs more than two rows (d / 2 steps); Shift steps finely. A
// drag that reports each row still moves.
TEST_F(FloatValueLabelTest, DraggingStepsEveryThirdRowAndOnlyTheReleaseEnds) {
    struct Case {
        std::initializer_list<float> rows;
        int modifiers;
        float moved;
    } cases[] = {
        {{103}, 0, 0.0f},                                     // two rows: nothing
        {{102}, 0, 1.0f},                                     // three rows: one step
        {{96}, 0, 4.0f},                                      // nine rows: 9 / 2 steps
        {{102}, gui::kShift, 0.1f},                           // fine
        {{104, 103, 102, 101, 100, 99, 98, 97, 96}, 0, 3.0f}, // a row per move
        {{114}, 0, -4.0f},                                    // downwards
    };
    for (const auto& c : cases) {
        model->inputLevel.setValue(0.0f, 0);
        adapter->log.clear();
        const int32_t undo = model->getUndoHistory()->getUndoCount();
        drag(105, c.rows, c.modifiers);
        EXPECT_NEAR(model->inputLevel.getValue(), c.moved, 1e-5f) << c.moved;
        const size_t steps = c.moved == 0.0f ? 0 : (c.rows.size() == 1 ? 1 : 3);
        EXPECT_EQ(adapter->kindsOf(level()), "b" + std::string(steps, 'v') + "e") << c.moved;
        EXPECT_EQ(adapter->gestureFaults(), "") << c.moved;
        EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undo, steps > 0 ? 1 : 0) << c.moved;
        EXPECT_FALSE(label->isDragging());
    }
    // The range holds the value.
    label->maximum.setValue(1.5f);
    model->inputLevel.setValue(0.0f, 0);
    drag(105, {80});
    EXPECT_FLOAT_EQ(model->inputLevel.getValue(), 1.5f);
}

// A press that never sees its release still ends its gesture once.
TEST_F(FloatValueLabelTest, EveryBeginGetsOneEnd) {
    enum Ending { kHide, kDisable, kDetach, kCaptureTaken, kDelete };
    for (Ending ending : {kHide, kDisable, kDetach, kCaptureTaken, kDelete}) {
        adapter->log.clear();
        ui->mouseDown(0, {120, 105}, gui::kLeftButton);
        ui->mouseMove({120, 99}, gui::kLeftButton);
        ASSERT_TRUE(label->isDragging()) << ending;
        switch (ending) {
        case kHide:
            label->visible.setValue(false);
            break;
        case kDisable:
            label->enabled.setValue(false);
            break;
        case kDetach:
            label->parent.setValue(nullptr);
            break;
        case kCaptureTaken: {
            auto* other = new gui::Control(*ui);
            other->parent.setValue(&ui->root());
            ui->root().setMouseCapture(other);
            break;
        }
        case kDelete:
            delete label;
            label = nullptr;
            break;
        }
        ui->mouseUp(0, {120, 99});
        ui->root().setMouseCapture(nullptr);
        EXPECT_EQ(adapter->kindsOf(level()), "bve") << ending;
        EXPECT_EQ(adapter->gestureFaults(), "") << ending;
        if (label == nullptr) break;
        label->visible.setValue(true);
        label->enabled.setValue(true);
        label->parent.setValue(&ui->root());
    }
}

TEST_F(FloatValueLabelTest, TypedTextIsOneGestureAndOneUndoStep) {
    label->unit.setValue(" dB");
    struct Case {
        const char* typed;
        float value; // NaN: unchanged
    } cases[] = {{"12.5", 12.5f}, {"-3 dB", -3.0f}, {"+1e3", 36.0f}, {"abc", NAN},
                 {"nan", NAN},    {"1,5", NAN},     {"", NAN}};
    for (const Case& c : cases) {
        model->inputLevel.setValue(0.0f, 0);
        adapter->log.clear();
        const int32_t undo = model->getUndoHistory()->getUndoCount();
        ui->mouseDown(0, {120, 105}, gui::kLeftButton | gui::kDoubleClick);
        ui->mouseUp(0, {120, 105});
        auto* typing = static_cast<HeadlessTextEditor*>(label->editor());
        ASSERT_NE(typing, nullptr);
        ASSERT_TRUE(typing->isNativeOpen()) << c.typed;
        EXPECT_EQ(typing->nativeText(), "0.00 dB");
        typing->type(c.typed);
        typing->pressKey(EditorKey::kEnter);
        ui->drainList(gui::kGuiList);
        const bool changes = !std::isnan(c.value);
        EXPECT_FLOAT_EQ(model->inputLevel.getValue(), changes ? c.value : 0.0f) << c.typed;
        EXPECT_EQ(adapter->kindsOf(level()), changes ? "bve" : "") << c.typed;
        EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undo, changes ? 1 : 0) << c.typed;
        EXPECT_EQ(label->text(0)->text.getValue(), label->formatValue(model->inputLevel.getValue()));
    }
}

// A label works in its parameter's plain values (a delay time's
// milliseconds, not its 0..1 position): its range, its text, its drag steps
// and typed values; with parameterText it writes and reads the parameter's
// own text form.
TEST_F(FloatValueLabelTest, ValuesAreTheParametersPlainValues) {
    FloatValueLabel* time = timeLabel();
    FloatPluginParameter& p = model->delay[0].time;
    EXPECT_NEAR(time->minimum.getValue(), 5.0f, 1e-3f);
    EXPECT_NEAR(time->maximum.getValue(), 5000.0f, 0.01f);
    struct Case {
        float ms;
        bool parameterText;
        const char* text;
    } cases[] = {{375.0f, true, "375.0 ms"},
                 {1250.0f, true, "1.250 sec"},
                 {5.0f, true, "5.000 ms"},
                 {375.0f, false, "375.00"}};
    for (const Case& c : cases) {
        time->parameterText.setValue(c.parameterText);
        p.setValue(p.plainToNormalized(c.ms), 0);
        time->refresh();
        EXPECT_NEAR(time->getValue(), c.ms, 0.01f) << c.text;
        EXPECT_EQ(time->text(0)->text.getValue(), c.text);
    }

    // Nine rows up: four coarse steps of 1 ms; with Shift four of 0.1 ms.
    // (Held longer than a quick click, so no drag starts tap mode.)
    time->parameterText.setValue(true);
    for (const auto& [modifiers, ms] : {std::pair{0, 379.0f}, std::pair{int(gui::kShift), 375.4f}}) {
        p.setValue(p.plainToNormalized(375.0f), 0);
        ui->mouseDown(0, {220, 105}, gui::kLeftButton);
        ui->mouseMove({220, 96}, gui::kLeftButton | modifiers);
        ui->advance(300);
        ui->mouseUp(0, {220, 96});
        EXPECT_FALSE(time->isTapMode());
        EXPECT_NEAR(p.normalizedToPlain(p.getValue()), ms, 0.01f) << modifiers;
    }

    // Typed (a label without a tap face types on a double click) as the
    // parameter reads it.
    time->setTapFace(nullptr);
    struct Typed {
        const char* typed;
        float ms; // NaN: unchanged
    } typedCases[] = {
        {"1.5 sec", 1500.0f}, {"250 ms", 250.0f}, {"75", 75.0f}, {"9 sec", 5000.0f}, {"abc", NAN}};
    for (const Typed& c : typedCases) {
        p.setValue(p.plainToNormalized(350.0f), 0);
        time->refresh();
        ui->mouseDown(0, {220, 105}, gui::kLeftButton | gui::kDoubleClick);
        ui->mouseUp(0, {220, 105});
        auto* typing = static_cast<HeadlessTextEditor*>(time->editor());
        ASSERT_NE(typing, nullptr);
        EXPECT_EQ(typing->nativeText(), "350.0 ms");
        typing->type(c.typed);
        typing->pressKey(EditorKey::kEnter);
        ui->drainList(gui::kGuiList);
        EXPECT_NEAR(p.normalizedToPlain(p.getValue()), std::isnan(c.ms) ? 350.0f : c.ms, 0.05f) << c.typed;
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A quick click (250 ms, not 251) starts tap mode; the next press sets the
// time since the previous one, and its release ends tap mode.
TEST_F(FloatValueLabelTest, TapTiming) {
    FloatValueLabel* tap = timeLabel();
    const int32_t time = model->delay[0].time.getIndex();
    click(210, 251);
    EXPECT_FALSE(tap->isTapMode());
    click(210, 250);
    ASSERT_TRUE(tap->isTapMode());
    EXPECT_EQ(tap->text(0)->text.getValue(), "TAP");
    adapter->log.clear();
    const int32_t undo = model->getUndoHistory()->getUndoCount();
    ui->advance(230); // 480 ms after the last press
    ui->mouseDown(0, {210, 105}, gui::kLeftButton);
    EXPECT_NEAR(tap->getValue(), 480.0f, 0.05f);
    EXPECT_EQ(adapter->kindsOf(time), "bve");
    EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undo, 1);
    ui->mouseUp(0, {210, 105});
    EXPECT_FALSE(tap->isTapMode()); // two clicks, one interval
    EXPECT_EQ(adapter->gestureFaults(), "");

    // Tap mode ends by itself 5000 ms after it began.
    click(210, 10);
    ASSERT_TRUE(tap->isTapMode());
    ui->advance(4999);
    EXPECT_TRUE(tap->isTapMode());
    ui->advance(1);
    EXPECT_FALSE(tap->isTapMode());
    EXPECT_NE(tap->text(0)->text.getValue(), "TAP");

    // A tap longer than the range sets the longest time.
    click(210, 200);
    ASSERT_TRUE(tap->isTapMode());
    ui->advance(4900);
    ui->mouseDown(0, {210, 105}, gui::kLeftButton);
    ui->mouseUp(0, {210, 105});
    EXPECT_NEAR(tap->getValue(), 5000.0f, 0.05f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
