#include "editor/ControlChangeManager.h"

#include "editor/tests/TestEditorModel.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Knob.h"
#include "gui/Modifiers.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using test::EditorModel;
using test::RecordingAdapter;

float squared(float x) {
    return x * x;
}
float squareRoot(float x) {
    return std::sqrt(x);
}

class ControlChangeManagerTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
        manager = std::make_unique<ControlChangeManager>(*model);
    }
    void TearDown() override {
        manager.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        PluginTest::TearDown();
    }

    // A control in the tree (the user interface deletes it).
    gui::ValueControl* control() {
        auto* c = new gui::ValueControl(*ui);
        c->parent.setValue(&ui->root());
        return c;
    }
    gui::ValueControl* linked(AbstractPluginParameter& parameter) {
        gui::ValueControl* c = control();
        manager->linkControl(&parameter, c);
        return c;
    }
    // One whole gesture: begin, the steps, end.
    static void drag(gui::ValueControl* c, std::initializer_list<int> steps) {
        c->performGesture(0, 0);
        for (int s : steps)
            c->performGesture(1, s);
        c->performGesture(2, 0);
    }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<ControlChangeManager> manager;
};

TEST_F(ControlChangeManagerTest, LinkingSetsRangeDefaultIdAndValue) {
    const struct {
        AbstractPluginParameter* parameter;
        int minimum, maximum, defaultValue, value;
    } cases[] = {
        {&model->unit, 0, 36000, 18000, 18000},
        {&model->level, 0, 36000, 24000, 24000},
        {&model->frequency, 0, 36000, 1766, 1766},
        {&model->steps, 2, 5, 3, 3},
        {&model->note, 0, 127, 60, 60},
    };
    for (const auto& c : cases) {
        gui::ValueControl* k = linked(*c.parameter);
        EXPECT_EQ(k->minimum.getValue(), c.minimum) << c.parameter->getName();
        EXPECT_EQ(k->maximum.getValue(), c.maximum) << c.parameter->getName();
        EXPECT_EQ(k->defaultValue.getValue(), c.defaultValue) << c.parameter->getName();
        EXPECT_EQ(k->value.getValue(), c.value) << c.parameter->getName();
        EXPECT_EQ(k->controlId.getValue(), c.parameter->getIndex());
        EXPECT_EQ(k->listener(), manager.get());
    }
}

TEST_F(ControlChangeManagerTest, ADragSendsBeginValuesAndEnd) {
    gui::ValueControl* k = linked(model->unit);
    drag(k, {3600, 3600});
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bvve");
    EXPECT_FLOAT_EQ(adapter->valuesOf(EditorModel::kUnit).back(), 0.7f);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.7f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ControlChangeManagerTest, AChangeWithoutBeginIsWrappedAndASecondBeginSendsNothing) {
    gui::ValueControl* k = linked(model->bipolar);
    k->performGesture(1, 10);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kBipolar), "bve");
    k->performGesture(0, 0);
    manager->sendParameterChange(0, EditorModel::kBipolar, 0.0f);
    k->performGesture(2, 0);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kBipolar), "bvebe");
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ControlChangeManagerTest, CtrlResetDoubleClickAndWheelOnAKnob) {
    gui::Knob::Style style(*ui);
    for (int i : {0, 2}) {
        style.bitmap(i).setSize(40, 40);
        style.bitmap(i).clear();
        style.bitmap(i).getCanvas().fillRect(gui::Rect::fromXYWH(0, 0, 40, 40), gui::Color(10, 10, 10, 255));
    }
    style.radius.setValue(18);
    auto* knob = new gui::Knob(*ui, &style);
    knob->setBoundsXYWH(0, 0, 40, 40);
    knob->parent.setValue(&ui->root());
    manager->linkControl(&model->level, knob);
    model->level.setValue(0.0f, 0);
    manager->refreshControls(EditorModel::kLevel);
    ui->mouseMove({20, 30});
    ui->mouseDown(0, {20, 30}, gui::kLeftButton | gui::kCtrl);
    ui->mouseUp(0, {20, 30}, 0);
    EXPECT_FLOAT_EQ(model->level.getValue(), -12.0f);
    ui->mouseDown(0, {20, 30}, gui::kLeftButton | gui::kDoubleClick);
    ui->mouseUp(0, {20, 30}, 0);
    ui->mouseWheel({20, 20}, 0, {0, 1}, {0, 120}, 1);
    ui->root().endGesture();
    EXPECT_GT(model->level.getValue(), -12.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
    manager->controlRemoved(knob);
    delete knob;
}

TEST_F(ControlChangeManagerTest, PositionsRoundTripOnEveryContinuousRange) {
    for (FloatPluginParameter* p : {&model->unit, &model->bipolar, &model->frequency, &model->level}) {
        gui::ValueControl* k = linked(*p);
        int wrong = 0;
        for (int position = 0; position <= 36000; ++position) {
            p->setValue(position < 18000 ? p->getMax() : p->getMin(), 0);
            k->value.setValue(position);
            manager->setParameterFromControl(k, p, 1, 1);
            k->value.setValue(position == 0 ? 1 : 0);
            manager->refreshControls(p->getIndex());
            wrong += k->value.getValue() != position ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << p->getName();
    }
}

TEST_F(ControlChangeManagerTest, PositionsRoundTripThroughAPositionMap) {
    gui::ValueControl* k = control();
    k->valueToPosition = squared;
    k->positionToValue = squareRoot;
    manager->linkControl(&model->unit, k);
    int wrong = 0;
    for (int position = 0; position <= 36000; ++position) {
        // From far away: the model ignores changes within its own tolerance.
        model->unit.setValue(position < 18000 ? 1.0f : 0.0f, 0);
        k->value.setValue(position);
        manager->setParameterFromControl(k, &model->unit, 1, 1);
        k->value.setValue(position == 0 ? 1 : 0);
        manager->refreshControls(EditorModel::kUnit);
        wrong += k->value.getValue() != position ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ControlChangeManagerTest, SteppedPositionsRoundTripBothWays) {
    gui::ValueControl* k = linked(model->steps);
    for (int v = 2; v <= 5; ++v) {
        k->value.setValue(v);
        manager->setParameterFromControl(k, &model->steps, 1, 1);
        EXPECT_FLOAT_EQ(model->steps.getValue(), static_cast<float>(v));
        model->steps.setValue(static_cast<float>(7 - v), 0);
        manager->refreshControls(EditorModel::kSteps);
        EXPECT_EQ(k->value.getValue(), 7 - v);
    }
}

// Followers in the three modes move with a drag of the head.
TEST_F(ControlChangeManagerTest, FollowersMoveInTheirModes) {
    gui::ValueControl* head = linked(model->unit);
    model->bipolar.setValue(0.0f, 0);
    model->level.setValue(-30.0f, 0);
    EXPECT_TRUE(manager->chainParameter(&model->frequency, head, ControlChangeManager::kLinkSame));
    EXPECT_TRUE(manager->chainParameter(&model->bipolar, head, ControlChangeManager::kLinkSteps));
    EXPECT_TRUE(manager->chainParameter(&model->level, head, ControlChangeManager::kLinkProportional));
    // Chain: unit -> level -> bipolar -> frequency (each new follower goes first).
    drag(head, {3600});
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.6f);
    EXPECT_NEAR(model->bipolar.getValue(), 0.2f, 1e-6f); // 3600 steps of 36000 on [-1, 1]
    EXPECT_NEAR(model->level.getValue(), -36.0f, 1e-4f); // -30 * 0.6 / 0.5
    EXPECT_FLOAT_EQ(model->frequency.getValue(), 20.0f); // mode 0 takes the carried 0.2, held at 20
    for (int i : {EditorModel::kUnit, EditorModel::kBipolar, EditorModel::kLevel, EditorModel::kFrequency})
        EXPECT_EQ(adapter->kindsOf(i).front(), 'b') << i;
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ControlChangeManagerTest, AStepFollowerAtItsTopStopsAndTheQueryAnswersZero) {
    gui::ValueControl* head = linked(model->unit);
    model->bipolar.setValue(1.0f, 0);
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, ControlChangeManager::kLinkSteps));
    head->performGesture(0, 0);
    EXPECT_EQ(manager->valueControlQuery(head, 100), 0);
    EXPECT_EQ(manager->valueControlQuery(head, -100), 100);
    head->performGesture(1, 100);
    head->performGesture(2, 0);
    EXPECT_FLOAT_EQ(model->bipolar.getValue(), 1.0f);
    EXPECT_GT(model->unit.getValue(), 0.5f);
}

TEST_F(ControlChangeManagerTest, AProportionalFollowerOfAHeadAtZeroMovesByTheDifference) {
    gui::ValueControl* head = linked(model->bipolar);
    model->bipolar.setValue(0.0f, 0);
    model->unit.setValue(0.25f, 0);
    manager->refreshControls(-1);
    ASSERT_TRUE(manager->chainParameter(&model->unit, head, ControlChangeManager::kLinkProportional));
    drag(head, {1800});
    EXPECT_NEAR(model->unit.getValue(), 0.35f, 1e-5f);
}

TEST_F(ControlChangeManagerTest, RelinkingTheSameControlDissolvesTheChainBehindIt) {
    gui::ValueControl* head = linked(model->unit);
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, 0));
    manager->linkControl(&model->unit, head);
    EXPECT_EQ(manager->link(EditorModel::kUnit).control, head);
    EXPECT_EQ(manager->link(EditorModel::kUnit).next, -1);
    EXPECT_EQ(manager->link(EditorModel::kBipolar).previous, -1);
}

TEST_F(ControlChangeManagerTest, RefusedChainsChangeNothing) {
    gui::ValueControl* head = linked(model->unit);
    gui::ValueControl* unbound = control();
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, 0));
    gui::ValueControl* other = linked(model->level);
    const struct {
        AbstractPluginParameter* a;
        gui::ValueControl* b;
    } refused[] = {
        {&model->level, unbound}, {&model->unit, head}, {&model->bipolar, other}, {&model->unit, other}};
    for (const auto& c : refused) {
        EXPECT_FALSE(manager->chainParameter(c.a, c.b, 0)) << c.a->getName();
        EXPECT_EQ(manager->link(EditorModel::kUnit).next, EditorModel::kBipolar);
        EXPECT_EQ(manager->link(EditorModel::kBipolar).previous, EditorModel::kUnit);
        EXPECT_EQ(manager->link(EditorModel::kLevel).next, -1);
        EXPECT_EQ(manager->link(EditorModel::kLevel).previous, -1);
    }
}

TEST_F(ControlChangeManagerTest, IndeterminateFollowsDifferencesAboveTheTolerance) {
    gui::ValueControl* head = linked(model->unit);
    model->bipolar.setValue(0.5f, 0);
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, 0));
    EXPECT_FALSE(head->indeterminate.getValue());
    model->bipolar.setValue(0.5f + 2.4e-7f, 0);
    manager->refreshControls(EditorModel::kBipolar);
    EXPECT_TRUE(head->indeterminate.getValue());
    model->bipolar.setValue(0.5f, 0);
    manager->refreshControls(EditorModel::kBipolar);
    EXPECT_FALSE(head->indeterminate.getValue());
}

TEST_F(ControlChangeManagerTest, AMovedControlLeavesOneRecordAndTheRangeFollows) {
    gui::ValueControl* k = linked(model->bipolar);
    EXPECT_EQ(manager->firstUsed(), 1);
    EXPECT_EQ(manager->lastUsed(), 2);
    linked(model->note);
    EXPECT_EQ(manager->lastUsed(), EditorModel::kNote + 1);
    manager->linkControl(&model->level, k);
    EXPECT_EQ(manager->link(EditorModel::kBipolar).control, nullptr);
    EXPECT_EQ(manager->link(EditorModel::kLevel).control, k);
    EXPECT_EQ(manager->firstUsed(), EditorModel::kLevel);
    EXPECT_EQ(manager->indexOfControl(k), EditorModel::kLevel);
    manager->unlinkEveryControl();
    EXPECT_EQ(manager->firstUsed(), 0);
    EXPECT_EQ(manager->lastUsed(), 0);
}

TEST_F(ControlChangeManagerTest, AControlMovedOffAFollowerLeavesNoRecordBehind) {
    gui::ValueControl* head = linked(model->unit);
    gui::ValueControl* own = linked(model->bipolar);
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, 0));
    manager->linkControl(&model->level, own);
    EXPECT_EQ(manager->link(EditorModel::kBipolar).control, nullptr);
    EXPECT_EQ(manager->link(EditorModel::kBipolar).previous, -1);
    EXPECT_EQ(manager->link(EditorModel::kUnit).next, -1);
    EXPECT_EQ(manager->indexOfControl(own), EditorModel::kLevel);
}

// Every way a parameter can lose its control in mid-gesture ends the open
// host gestures of the parameter and its followers at once.
TEST_F(ControlChangeManagerTest, LosingTheControlInMidGestureEndsTheHostGestures) {
    enum class Loss { kUnlink, kRelink, kRemoved, kUnlinkAll, kDestroyed, kLostCapture };
    for (Loss loss : {Loss::kUnlink, Loss::kRelink, Loss::kRemoved, Loss::kUnlinkAll, Loss::kDestroyed,
                      Loss::kLostCapture}) {
        adapter->log.clear();
        gui::ValueControl* head = linked(model->unit);
        ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, ControlChangeManager::kLinkSteps));
        head->performGesture(0, 0);
        head->performGesture(1, 100);
        switch (loss) {
        case Loss::kUnlink:
            manager->unlinkControl(&model->unit, head);
            break;
        case Loss::kRelink:
            manager->linkControl(&model->note, head);
            break;
        case Loss::kRemoved:
            manager->controlRemoved(head);
            break;
        case Loss::kUnlinkAll:
            manager->unlinkEveryControl();
            break;
        case Loss::kDestroyed:
            delete head;
            break;
        case Loss::kLostCapture:
            ui->root().setMouseCapture(head);
            ui->root().setMouseCapture(nullptr);
            break;
        }
        EXPECT_EQ(adapter->gestureFaults(), "") << static_cast<int>(loss);
        if (loss != Loss::kDestroyed) {
            head->performGesture(1, 5);
            head->performGesture(2, 0);
            EXPECT_EQ(adapter->gestureFaults(), "") << static_cast<int>(loss);
            if (loss != Loss::kLostCapture) {
                EXPECT_NE(head->controlId.getValue(), EditorModel::kUnit);
            }
            delete head;
        }
        EXPECT_EQ(manager->link(EditorModel::kUnit).control, nullptr);
        manager->unlinkEveryControl();
        EXPECT_EQ(manager->firstUsed(), manager->lastUsed());
    }
}

TEST_F(ControlChangeManagerTest, ADeletedControlThatWasNeverUnlinkedLeavesNoRecord) {
    gui::ValueControl* head = linked(model->unit);
    gui::ValueControl* follower = linked(model->bipolar);
    ASSERT_TRUE(manager->chainParameter(&model->bipolar, head, 0));
    delete follower;
    EXPECT_EQ(manager->link(EditorModel::kBipolar).control, nullptr);
    EXPECT_EQ(manager->link(EditorModel::kUnit).next, -1);
    delete head;
    EXPECT_EQ(manager->link(EditorModel::kUnit).control, nullptr);
    EXPECT_EQ(manager->firstUsed(), manager->lastUsed());
    manager->refreshControls(-1); // touches nothing freed
}

TEST_F(ControlChangeManagerTest, RefreshOfAnEmptyTableTouchesNothing) {
    gui::ValueControl* loose = control();
    loose->value.setValue(7);
    manager->refreshControls(-1);
    manager->refreshControls(1000);
    EXPECT_EQ(loose->value.getValue(), 7);
    EXPECT_TRUE(adapter->log.empty());
}

TEST_F(ControlChangeManagerTest, ListenersHearTheChannelLayout) {
    struct Layouts : ControlChangeManager::Listener {
        explicit Layouts(std::vector<int32_t>& seen) : seen(seen) {}
        void parametersChanged(int32_t layout) override { seen.push_back(layout); }
        std::vector<int32_t>& seen;
    };
    std::vector<int32_t> seen;
    manager->addListener(std::make_unique<Layouts>(seen));
    manager->parametersChanged();
    EXPECT_EQ(seen, std::vector<int32_t>{model->getChannelLayout()});
}

} // namespace
