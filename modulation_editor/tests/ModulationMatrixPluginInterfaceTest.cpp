#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include "modulation_editor/tests/ModulationEditorRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kNone = ModulationMatrixPluginInterface::kNoTarget;

// Records what target listeners hear: "change:parameter:target".
class RecordingTargetListener : public ModulationMatrixPluginInterface::TargetListener {
public:
    void targetChanged(AbstractPluginParameter* parameter, gui::Control* control, uint32_t targetIndex,
                       int32_t change) override {
        log.push_back(std::to_string(change) + ":" + std::to_string(parameter ? parameter->getIndex() : -1) +
                      ":" + std::to_string(static_cast<int32_t>(targetIndex)));
        controls.push_back(control);
    }
    std::vector<std::string> log;
    std::vector<gui::Control*> controls;
};

class ModulationMatrixPluginInterfaceTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        editor->addTargetListener(&listener);
    }
    size_t targetCount() const {
        size_t n = 0;
        for (const auto& e : editor->dragManager().entries())
            if (e.hoverOnly == 0) ++n;
        return n;
    }
    RecordingTargetListener listener;
};

TEST_F(ModulationMatrixPluginInterfaceTest, TheTablesFollowTheModel) {
    EXPECT_EQ(editor->numTargets(), 107);
    EXPECT_EQ(editor->numSources(), 34);
    EXPECT_EQ(editor->slotGroupFirstParameter(), VarnelParameters::kNumActiveSlotsIndex);
    EXPECT_EQ(editor->slotCapacity(), 24);
    EXPECT_EQ(editor->firstSlotTarget(), 83u);
    // Slot parameters by role: source first, the target last.
    EXPECT_EQ(editor->slotSet(0)->source.getIndex(), 582);
    EXPECT_EQ(editor->slotSet(0)->level.getIndex(), 583);
    EXPECT_EQ(editor->slotSet(0)->target.getIndex(), 586);
    EXPECT_EQ(editor->slotSet(23)->target.getIndex(), 701);
    EXPECT_EQ(editor->slotSet(24), nullptr);
}

// A slot's level is offered as a target only while the slot is in use; other
// targets and every source always are.
TEST_F(ModulationMatrixPluginInterfaceTest, RangeTables) {
    const uint32_t first = editor->firstSlotTarget();
    EXPECT_TRUE(editor->canAddToTargetRange(0));
    EXPECT_TRUE(editor->canAddToSourceRange(0));
    EXPECT_FALSE(editor->canAddToTargetRange(first));
    setSlotsInUse(2);
    EXPECT_TRUE(editor->canAddToTargetRange(first));
    EXPECT_TRUE(editor->canAddToTargetRange(first + 1));
    EXPECT_FALSE(editor->canAddToTargetRange(first + 2));
    EXPECT_FALSE(editor->canAddToTargetRange(107));
    EXPECT_FALSE(editor->canAddToSourceRange(34));
}

TEST_F(ModulationMatrixPluginInterfaceTest, LinkingWithoutATargetAddsNoDropTarget) {
    gui::ValueControl* k = knob();
    editor->linkControl(&model->filter[0].freq, k, kNone);
    EXPECT_EQ(editor->targetEntry(model->filter[0].freq.getIndex()).control, nullptr);
    EXPECT_EQ(targetCount(), 0u);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_EQ(editor->getTargetIndex(k), kNone);
}

TEST_F(ModulationMatrixPluginInterfaceTest, BindMoveReplaceAndUnbind) {
    const int32_t freq = model->filter[0].freq.getIndex();
    const int32_t pan = model->filter[0].pan.getIndex();
    gui::ValueControl* a = knob();
    editor->linkControl(&model->filter[0].freq, a, 10);
    EXPECT_EQ(editor->getTargetIndex(a), 10u);
    EXPECT_EQ(targetCount(), 1u);

    // The same control on a second parameter moves: no second drop target.
    editor->linkControl(&model->filter[0].pan, a, 11);
    EXPECT_EQ(editor->targetEntry(freq).control, nullptr);
    EXPECT_EQ(editor->targetEntry(pan).control, a);
    EXPECT_EQ(targetCount(), 1u);
    EXPECT_EQ(editor->getTargetIndex(a), 11u);

    // A new control on the parameter replaces the old one before it binds.
    gui::ValueControl* b = knob();
    editor->linkControl(&model->filter[0].pan, b, 11);
    EXPECT_EQ(targetCount(), 1u);
    EXPECT_EQ(editor->getTargetIndex(a), kNone);

    editor->unlinkControl(&model->filter[0].pan, b);
    EXPECT_EQ(targetCount(), 0u);
    EXPECT_EQ(editor->targetEntry(pan).control, nullptr);

    const std::string f = std::to_string(freq), p = std::to_string(pan);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"0:" + f + ":10", "1:" + f + ":11", "2:" + p + ":11",
                                                      "0:" + p + ":11", "3:" + p + ":11"}));
    EXPECT_EQ(listener.controls[2], a);
    EXPECT_EQ(listener.controls[3], b);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A value control whose parameter's entry names another control is no target.
TEST_F(ModulationMatrixPluginInterfaceTest, TargetIndexNeedsTheTableToNameTheControl) {
    gui::ValueControl* a = knob();
    gui::ValueControl* b = knob();
    editor->linkControl(&model->delay[0].time, a, 0);
    b->controlId.setValue(model->delay[0].time.getIndex());
    EXPECT_EQ(editor->getTargetIndex(b), kNone);
    EXPECT_EQ(editor->getTargetIndex(nullptr), kNone);
    auto* plain = new gui::Control(*ui);
    plain->parent.setValue(&ui->root());
    EXPECT_EQ(editor->getTargetIndex(plain), kNone);
    editor->addTargetPair(plain, 12);
    EXPECT_EQ(editor->getTargetIndex(plain), 12u);
}

// A target control deleted by its parent leaves the table and the drag
// manager; the listeners hear it unbound.
TEST_F(ModulationMatrixPluginInterfaceTest, ADeadTargetLeavesTheTable) {
    gui::ValueControl* a = knob();
    editor->linkControl(&model->delay[0].time, a, 0);
    delete a;
    EXPECT_EQ(targetCount(), 0u);
    EXPECT_EQ(editor->targetEntry(model->delay[0].time.getIndex()).control, nullptr);
    EXPECT_EQ(editor->targetControl(0), nullptr);
    ASSERT_FALSE(listener.log.empty());
    EXPECT_EQ(listener.log.back(), "3:" + std::to_string(model->delay[0].time.getIndex()) + ":0");
}

// The destructor deletes no control twice, whether the host closed first
// or not (run under ASan).
TEST_F(ModulationMatrixPluginInterfaceTest, DestructionInBothOrders) {
    editor->removeTargetListener(&listener);
    for (bool closeFirst : {false, true}) {
        editor = std::make_unique<test::TestModulationInterface>(*ui, *model);
        gui::ValueControl* a = knob();
        gui::ValueControl* b = knob(50, 0);
        editor->linkControl(&model->delay[0].time, a, 0);
        editor->linkControl(&model->filter[0].freq, b, 10);
        auto* hover = new gui::Control(*ui);
        hover->parent.setValue(&ui->root());
        editor->dragManager().add(hover, 1, 1);
        a->performGesture(gui::kGestureBegin, 0);
        a->performGesture(gui::kGestureChange, 5);
        if (closeFirst) editor->prepareForClosing();
        editor.reset();
        EXPECT_TRUE(ui->root().children().empty()) << closeFirst;
        EXPECT_EQ(adapter->gestureFaults(), "") << closeFirst;
    }
}

} // namespace
