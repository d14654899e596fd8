#include "modulation_editor/ModulationIndicatorManager.h"

#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/PixelArithmetic.h"
#include "gui/tests/ResourceImages.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/ModulationIndicator.h"
#include "modulation_editor/SourceSlotController.h"
#include "modulation_editor/tests/ModulationEditorRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Source numbers of the effect: XLFO 1, EG 1, EF 1 and the last MIDI source.
constexpr int32_t kXLFO1 = 8;
constexpr int32_t kEG1 = 14;
constexpr int32_t kEF1 = 20;
constexpr int32_t kLastMidi = 33;
constexpr uint32_t kXLFOKind = 1u << 1;
constexpr uint32_t kEFKind = 1u << 3;

const gui::Color kNormalColor(200, 200, 200, 255);
const gui::Color kActiveColor(100, 200, 100, 255);

class ModulationIndicatorManagerTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        static const bool registered = test::registerSolidImages({
            {"ModulationIndicatorNormal.png", 8, 6, kNormalColor},
            {"ModulationIndicatorActive.png", 8, 6, kActiveColor},
        });
        ASSERT_TRUE(registered);
        ModulationEditorTest::SetUp();
        slots = std::make_unique<SourceSlotController>(*editor);
        manager = std::make_unique<ModulationIndicatorManager>(*editor, *slots);
        panel = new gui::Control(*ui);
        panel->setBoundsXYWH(100, 100, 300, 200);
        panel->parent.setValue(&ui->root());
    }
    void TearDown() override {
        manager.reset();
        slots.reset();
        ModulationEditorTest::TearDown();
    }
    gui::ValueControl* knobIn(float x, float y, float size) {
        auto* k = new gui::ValueControl(*ui);
        k->setBoundsXYWH(x, y, size, size);
        k->parent.setValue(panel);
        return k;
    }
    void connect(int32_t slot, int32_t source, int32_t target) {
        ModulationMatrixController& c = editor->matrixController();
        c.setSource(slot, source);
        c.setTarget(slot, target);
        c.setLevel(slot, c.neutralLevel.getValue());
    }
    void useSlots(int32_t count) {
        setSlotsInUse(count);
        slots->refreshSlots(-1);
    }

    std::unique_ptr<SourceSlotController> slots;
    std::unique_ptr<ModulationIndicatorManager> manager;
    gui::Control* panel = nullptr;
};

// A slot without a source counts nowhere (under ASan a write before the
// table shows); one without a target still counts for its source.
TEST_F(ModulationIndicatorManagerTest, CountsAndKindSets) {
    connect(0, -1, 0);    // no source
    connect(1, kEG1, -1); // no target
    connect(2, kXLFO1, 0);
    connect(3, kLastMidi, 0);
    connect(4, kXLFO1, 5);
    editor->matrixController().setBypassed(4, true); // bypassed slots count too
    useSlots(5);
    EXPECT_EQ(manager->sourceSlotCount(kEG1), 1);
    EXPECT_EQ(manager->sourceSlotCount(kXLFO1), 2);
    EXPECT_EQ(manager->sourceSlotCount(kLastMidi), 1);
    EXPECT_EQ(manager->sourceSlotCount(-1), 0);
    EXPECT_EQ(manager->targetKinds(0), kXLFOKind | (1u << 4));
    EXPECT_EQ(manager->targetKinds(5), kXLFOKind);
    EXPECT_EQ(manager->kindsOf(0, 107), kXLFOKind | (1u << 4));
    EXPECT_EQ(manager->kindsOf(106, 1000), 0u); // held to the table
    // Slots beyond the count in use are not read.
    useSlots(2);
    EXPECT_EQ(manager->sourceSlotCount(kXLFO1), 0);
    EXPECT_EQ(manager->targetKinds(0), 0u);
}

// XLFO and envelope follower on one knob: two segments, 1.5 widths;
// without the XLFO slot one width. Hidden with its knob.
TEST_F(ModulationIndicatorManagerTest, SegmentsWidthAndVisibility) {
    gui::ValueControl* k = knobIn(10, 10, 40);
    editor->linkControl(&model->delay[0].time, k, 0);
    ModulationIndicator* indicator = manager->indicatorOf(0);
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->getParent(), panel);
    EXPECT_FALSE(indicator->visible.getValue()); // nothing modulates it yet
    connect(0, kXLFO1, 0);
    connect(1, kEF1, 0);
    useSlots(2);
    EXPECT_EQ(indicator->state(), ModulationIndicator::kModulated);
    EXPECT_EQ(indicator->kinds(), kXLFOKind | kEFKind);
    EXPECT_FLOAT_EQ(indicator->width.getValue(), 12.0f);
    EXPECT_TRUE(indicator->visible.getValue());
    EXPECT_TRUE(indicator->isMarked(k));
    // Placed at the knob's top right (alignment 2, layout 0).
    EXPECT_FLOAT_EQ(indicator->x.getValue(), 10.0f + 40.0f - 12.0f);
    EXPECT_FLOAT_EQ(indicator->y.getValue(), 10.0f);
    k->setBoundsXYWH(20, 30, 40, 40);
    EXPECT_FLOAT_EQ(indicator->y.getValue(), 30.0f);

    connect(0, -1, -1);
    slots->refreshSlots(-1);
    EXPECT_EQ(indicator->kinds(), kEFKind);
    EXPECT_FLOAT_EQ(indicator->width.getValue(), 8.0f);

    k->visible.setValue(false);
    EXPECT_FALSE(indicator->visible.getValue());
    EXPECT_FALSE(indicator->isMarked(k));
    k->visible.setValue(true);
    EXPECT_TRUE(indicator->visible.getValue());
    k->opacity.setValue(128);
    EXPECT_EQ(indicator->opacity.getValue(), 128);
}

// The first click filters the slots to the indicator's targets (its
// state becomes 2, drawn at full opacity), the second shows all again. With
// the section hidden a click only asks for it.
TEST_F(ModulationIndicatorManagerTest, ClicksFilterThenClear) {
    gui::ValueControl* k = knobIn(10, 10, 40);
    editor->linkControl(&model->delay[0].time, k, 0);
    connect(0, kXLFO1, 0);
    connect(1, kEG1, 5);
    useSlots(2);
    ModulationIndicator* indicator = manager->indicatorOf(0);
    ASSERT_NE(indicator, nullptr);
    k->opacity.setValue(100);
    int asked = 0;
    manager->showSectionEvent.addHandler(NotifyEvent::bind([&] { ++asked; }));
    manager->sectionShown.setValue(false);
    indicator->fireEvent5();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(slots->hasFilter());

    manager->sectionShown.setValue(true);
    // A real click on the indicator (root coordinates).
    const gui::Point at = indicator->toRoot({2, 2});
    ui->mouseDown(0, at, gui::kLeftButton);
    ui->mouseUp(0, at);
    EXPECT_EQ(slots->targetFilterFirst(), 0);
    EXPECT_EQ(slots->targetFilterCount(), 1);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{0}));
    EXPECT_FLOAT_EQ(slots->highlightRect().left, at.x - 2.0f);
    EXPECT_EQ(indicator->state(), ModulationIndicator::kSelected);
    EXPECT_EQ(indicator->opacity.getValue(), 255);
    ui->mouseDown(0, at, gui::kLeftButton);
    ui->mouseUp(0, at);
    EXPECT_FALSE(slots->hasFilter());
    EXPECT_EQ(indicator->state(), ModulationIndicator::kModulated);
    EXPECT_EQ(indicator->opacity.getValue(), 100);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The Pan ring is linked first, then Freq inside it: one indicator over
// both targets, placed on Freq. A knob with the same rect, or on another
// target, gets its own.
TEST_F(ModulationIndicatorManagerTest, ARingAndItsKnobShareOneIndicator) {
    gui::ValueControl* ring = knobIn(50, 50, 60);
    gui::ValueControl* freq = knobIn(60, 60, 40);
    editor->linkControl(&model->filter[0].pan, ring, 11);
    editor->linkControl(&model->filter[0].freq, freq, 10);
    ModulationIndicator* shared = manager->indicatorOf(10);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(manager->indicatorOf(11), shared);
    EXPECT_EQ(manager->indicators().size(), 1u);
    EXPECT_EQ(shared->firstTarget(), 10u);
    EXPECT_EQ(shared->targetCount(), 2u);
    EXPECT_EQ(shared->placingControl(), freq);
    connect(0, kEG1, 11); // modulating the ring shows on the shared indicator
    useSlots(1);
    EXPECT_TRUE(shared->visible.getValue());
    EXPECT_FLOAT_EQ(shared->x.getValue(), 60.0f + 40.0f - 8.0f);

    gui::ValueControl* same = knobIn(150, 50, 60);
    gui::ValueControl* twin = knobIn(150, 50, 60);
    editor->linkControl(&model->filter[1].pan, same, 13);
    editor->linkControl(&model->filter[1].freq, twin, 12);
    EXPECT_NE(manager->indicatorOf(12), manager->indicatorOf(13));
    EXPECT_EQ(manager->indicators().size(), 3u);
}

// A panel rebinding to another instance unlinks, then links with the new
// target: the old indicator goes (by its posted message), the new one
// shows what modulates the new target. A moved control takes its
// indicator along.
TEST_F(ModulationIndicatorManagerTest, AfterARemovalItShowsTheNewTarget) {
    gui::ValueControl* k = knobIn(10, 10, 40);
    connect(0, kEG1, 22); // XLFO 3 Frequency
    connect(1, kEF1, 19); // XLFO 2 Frequency
    useSlots(2);
    editor->linkControl(&model->xlfos[2].frequency, k, 22);
    ModulationIndicator* before = manager->indicatorOf(22);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->kinds(), 1u << 2);

    editor->unlinkControl(&model->xlfos[2].frequency, k);
    EXPECT_FALSE(before->visible.getValue());
    EXPECT_EQ(manager->indicatorOf(22), nullptr);
    editor->linkControl(&model->xlfos[1].frequency, k, 19);
    ModulationIndicator* after = manager->indicatorOf(19);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_EQ(after->kinds(), kEFKind);
    ui->drainList(gui::kGuiList);
    ASSERT_EQ(manager->indicators().size(), 1u);
    EXPECT_EQ(manager->indicators()[0], after);

    // Linked to another parameter without an unlink: the control moves.
    editor->linkControl(&model->xlfos[2].frequency, k, 22);
    EXPECT_EQ(manager->indicatorOf(22), after);
    EXPECT_EQ(manager->indicatorOf(19), nullptr);
    EXPECT_EQ(after->kinds(), 1u << 2);
    EXPECT_EQ(manager->indicators().size(), 1u);
}

// While collecting, the controls a panel binds join its indicator; the
// range covers all of them whatever their order.
TEST_F(ModulationIndicatorManagerTest, Collecting) {
    auto* display = new gui::Control(*ui);
    display->setBoundsXYWH(0, 0, 100, 80);
    display->parent.setValue(panel);
    manager->beginCollecting();
    ModulationIndicator* indicator = manager->createIndicator(display, 35, 1);
    EGParameterSet& eg = model->egs[0];
    AbstractPluginParameter* parameters[] = {&eg.delay,   &eg.attack, &eg.decay,
                                             &eg.sustain, &eg.hold,   &eg.release};
    const uint32_t targets[] = {35, 36, 37, 38, 34, 39};
    for (int i = 0; i < 6; ++i)
        editor->linkControl(parameters[i], knobIn(10.0f * i, 100, 10), targets[i]);
    manager->endCollecting();
    EXPECT_EQ(manager->indicators().size(), 1u);
    EXPECT_EQ(indicator->firstTarget(), 34u);
    EXPECT_EQ(indicator->targetCount(), 6u);
    EXPECT_EQ(indicator->watchedCount(), 7u);
    EXPECT_EQ(indicator->placingControl(), display);
    connect(0, kXLFO1, 39);
    useSlots(1);
    EXPECT_TRUE(indicator->visible.getValue());
    // Not collecting: a new control gets its own.
    editor->linkControl(&model->delay[0].time, knobIn(200, 10, 40), 0);
    EXPECT_EQ(manager->indicators().size(), 2u);
}

// Mode 2 multiplies the style's bitmap by the kind's colour; segments
// overlap by half.
TEST_F(ModulationIndicatorManagerTest, TintPixels) {
    const gui::Color xlfo(255, 128, 0, 255);
    const gui::Color ef(0, 64, 255, 255);
    manager->setColorTable({gui::Color(255, 255, 255, 255), xlfo, gui::Color(), ef});
    gui::ValueControl* k = knobIn(10, 10, 40);
    editor->linkControl(&model->delay[0].time, k, 0);
    connect(0, kXLFO1, 0);
    connect(1, kEF1, 0);
    useSlots(2);
    auto tint = [](const gui::Color& a, const gui::Color& b) {
        return gui::Color(std::uint8_t(gui::pixel::multiply255(a.r, b.r)),
                          std::uint8_t(gui::pixel::multiply255(a.g, b.g)),
                          std::uint8_t(gui::pixel::multiply255(a.b, b.b)), 255);
    };
    // The style's pixels as loaded.
    const gui::Color normal = manager->styleBitmap(ModulationIndicator::kSegmentNormal).pixelAt(3, 3);
    const gui::Color active = manager->styleBitmap(ModulationIndicator::kSegmentActive).pixelAt(3, 3);
    const gui::Bitmap& tinted = manager->segmentBitmap(1, ModulationIndicator::kSegmentNormal);
    EXPECT_EQ(tinted.pixelAt(3, 3), tint(normal, xlfo));
    EXPECT_EQ(tint(gui::Color(200, 200, 200, 255), xlfo), gui::Color(200, 100, 0, 255));
    EXPECT_EQ(manager->segmentBitmap(1, ModulationIndicator::kSegmentActive).pixelAt(0, 0),
              tint(active, xlfo));
    // A kind outside the table uses the style's own bitmap.
    EXPECT_EQ(manager->segmentBitmap(4, ModulationIndicator::kSegmentNormal).pixelAt(0, 0), normal);

    ModulationIndicator* indicator = manager->indicatorOf(0);
    ui->paint();
    const gui::Point origin = indicator->toRoot({0, 0});
    const auto px = [&](float x) { return ui->backBuffer().pixelAt(int(origin.x + x), int(origin.y + 2)); };
    EXPECT_EQ(px(1), tint(normal, xlfo)); // the XLFO segment
    EXPECT_EQ(px(5), tint(normal, ef));   // the envelope follower's over it
    EXPECT_EQ(px(11), tint(normal, ef));
    // A new scale rebuilds the tints once the style has its new pixels.
    ui->setMonitorScale(2.0f);
    ui->drainList(gui::kGuiList);
    EXPECT_EQ(manager->segmentBitmap(1, ModulationIndicator::kSegmentNormal).pixelWidth(), 16);
    EXPECT_EQ(manager->segmentBitmap(1, ModulationIndicator::kSegmentNormal).pixelAt(9, 9),
              tint(normal, xlfo));
}

// Whoever goes first, nothing is freed twice and no indicator is left
// pointing at a dead control (run under ASan).
TEST_F(ModulationIndicatorManagerTest, DeletionOrders) {
    enum Order { kKnobFirst, kPanelFirst, kManagerFirst, kEditorClosesFirst };
    for (Order order : {kKnobFirst, kPanelFirst, kManagerFirst, kEditorClosesFirst}) {
        if (!manager) {
            editor = std::make_unique<test::TestModulationInterface>(*ui, *model);
            slots = std::make_unique<SourceSlotController>(*editor);
            manager = std::make_unique<ModulationIndicatorManager>(*editor, *slots);
            panel = new gui::Control(*ui);
            panel->setBoundsXYWH(100, 100, 300, 200);
            panel->parent.setValue(&ui->root());
        }
        gui::ValueControl* ring = knobIn(50, 50, 60);
        gui::ValueControl* freq = knobIn(60, 60, 40);
        editor->linkControl(&model->filter[0].pan, ring, 11);
        editor->linkControl(&model->filter[0].freq, freq, 10);
        connect(0, kEG1, 10);
        useSlots(1);
        ModulationIndicator* shared = manager->indicatorOf(10);
        ASSERT_NE(shared, nullptr);
        ASSERT_TRUE(shared->isMarked(freq));
        switch (order) {
        case kKnobFirst:
            delete freq;
            EXPECT_EQ(shared->placingControl(), ring);
            delete ring;
            ui->drainList(gui::kGuiList);
            EXPECT_TRUE(manager->indicators().empty());
            delete panel;
            break;
        case kPanelFirst:
            panel->deleteChildren();
            ui->drainList(gui::kGuiList);
            EXPECT_TRUE(manager->indicators().empty());
            delete panel;
            break;
        case kManagerFirst:
            manager.reset();
            EXPECT_EQ(freq->children().size(), 0u); // the mark went with it
            panel->deleteChildren();
            delete panel;
            break;
        case kEditorClosesFirst:
            editor->prepareForClosing();
            EXPECT_TRUE(manager->indicators().empty());
            manager.reset();
            slots.reset();
            editor.reset();
            break;
        }
        ui->drainList(gui::kGuiList);
        manager.reset();
        slots.reset();
        editor.reset();
        EXPECT_EQ(adapter->gestureFaults(), "") << order;
    }
}

} // namespace
