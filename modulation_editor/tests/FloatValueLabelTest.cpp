#include "modulation_editor/FloatValueLabel.h"

#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/headless/PosixTextEditor.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using gui::headless::PosixTextEditor;
using EditorKey = gui::TextEditor::EditorKey;

// A label that shows and sets a delay time in milliseconds, as a time
// display does.
class MillisecondsLabel : public FloatValueLabel {
public:
    using FloatValueLabel::FloatValueLabel;
    float getValue() override {
        return parameter() != nullptr ? parameter()->normalizedToPlain(parameter()->getValue()) : 0.0f;
    }
    void setValue(int phase, float value) override {
        FloatValueLabel::setValue(phase, parameter()->plainToNormalized(value));
    }
};

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
    MillisecondsLabel* timeLabel() {
        auto* l = new MillisecondsLabel(*ui, *editor);
        l->autoSize.setValue(false);
        l->setBoundsXYWH(200, 100, 60, 16);
        l->parent.setValue(&ui->root());
        l->setParameter(&model->delay[0].time);
        l->minimum.setValue(5.0f);
        l->maximum.setValue(5000.0f);
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
        auto* typing = static_cast<PosixTextEditor*>(label->editor());
        ASSERT_NE(typing, nullptr);
        ASSERT_TRUE(typing->isNativeOpen()) << c.typed;
        EXPECT_EQ(typing->nativeText(), "0.00 dB");
        typing->type(c.typed);
        typing->pressKey(EditorKey::kEnter);
        ui->drainList(1);
        const bool changes = !std::isnan(c.value);
        EXPECT_FLOAT_EQ(model->inputLevel.getValue(), changes ? c.value : 0.0f) << c.typed;
        EXPECT_EQ(adapter->kindsOf(level()), changes ? "bve" : "") << c.typed;
        EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undo, changes ? 1 : 0) << c.typed;
        EXPECT_EQ(label->text(0)->text.getValue(), label->formatValue(model->inputLevel.getValue()));
    }
}

// A quick click (250 ms, not 251) starts tap mode; the next press sets the
// time since the previous one, and its release ends tap mode.
TEST_F(FloatValueLabelTest, TapTiming) {
    MillisecondsLabel* tap = timeLabel();
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
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
