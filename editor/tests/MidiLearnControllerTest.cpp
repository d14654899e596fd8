#include "editor/MidiLearnController.h"

#include "editor/tests/LearnRig.h"
#include "gui/ImageLabel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::EditorModel;
using test::FixedGhost;

class LearnOverlayTest : public test::LearnTest {
protected:
    void SetUp() override {
        LearnTest::SetUp();
        editor->setMidiLearnActive(true);
        ASSERT_NE(overlay(), nullptr);
    }
    // The labels as "ghost:text".
    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (const auto& label : overlay()->controllerLabels())
            out.push_back(std::to_string(label.ghost) + ":" + label.text);
        return out;
    }
    void click(gui::Control* c) { overlay()->mouseDown(1, overlay()->fromRoot(centre(c)), 8); }
};

TEST_F(LearnOverlayTest, LinkedControlsGetGhostsFromTheLastIndexAndOnlyThey) {
    ASSERT_EQ(overlay()->parameterGhostCount(), 3);
    const std::vector<uint32_t> expected = {EditorModel::kNote, EditorModel::kLevel, EditorModel::kUnit};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(overlay()->learnGhost(i)->learnIdentifier(), expected[size_t(i)]);
    EXPECT_EQ(overlay()->instructionText(), MidiLearnController::kIdleText);
    EXPECT_EQ(overlay()->armedGhost(), -1);
}

TEST_F(LearnOverlayTest, ClickingArmsShowsTheControllerAndEmptySpaceDisarms) {
    mapping->assign(7, EditorModel::kLevel);
    int clicks = 0;
    overlay()->clickedEvent.addHandler(NotifyEvent::bind([&clicks] { ++clicks; }));
    click(unit);
    EXPECT_EQ(overlay()->armedGhost(), 2);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), uint32_t(EditorModel::kUnit));
    EXPECT_EQ(overlay()->instructionText(), std::string(MidiLearnController::kArmedPrefix) + "Unit");
    // The armed control without a controller shows "-"; the mapped one its number.
    EXPECT_EQ(labels(), (std::vector<std::string>{"1:7", "2:-"}));
    click(level);
    EXPECT_EQ(overlay()->armedController(), 7);
    EXPECT_EQ(labels(), (std::vector<std::string>{"1:7"}));
    overlay()->mouseDown(1, gui::Point(500, 300), 8);
    EXPECT_EQ(overlay()->armedGhost(), -1);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
    EXPECT_EQ(overlay()->instructionText(), MidiLearnController::kIdleText);
    EXPECT_EQ(clicks, 3);
}

TEST_F(LearnOverlayTest, ALabelIsBesideItsGhostAndTakesTheClick) {
    mapping->assign(12, EditorModel::kNote);
    const auto found = overlay()->controllerLabels();
    ASSERT_EQ(found.size(), 1u);
    const gui::Rect ghost = overlay()->learnGhost(0)->getRect();
    EXPECT_FLOAT_EQ(found[0].rect.left, ghost.right + 2.0f);
    EXPECT_FLOAT_EQ(found[0].rect.top, ghost.top);
    const gui::Point onLabel((found[0].rect.left + found[0].rect.right) / 2, found[0].rect.top + 1);
    EXPECT_EQ(overlay()->ghostAt(onLabel), 0);
}

TEST_F(LearnOverlayTest, AControllerMovesTheMappingToTheArmedControl) {
    mapping->assign(3, EditorModel::kUnit);
    click(level);
    controllerSeen(3);
    EXPECT_EQ(mapping->getParameter(3), uint32_t(EditorModel::kLevel));
    EXPECT_EQ(mapping->findController(EditorModel::kUnit), -1);
    EXPECT_EQ(overlay()->armedController(), 3);
    controllerSeen(9);
    EXPECT_EQ(mapping->getParameter(3), ControllerMapping::none);
    EXPECT_EQ(mapping->getParameter(9), uint32_t(EditorModel::kLevel));
    EXPECT_EQ(labels(), (std::vector<std::string>{"1:9"}));
}

TEST_F(LearnOverlayTest, ClearUnmapsTheArmedControlInOneChangeAndNothingWithoutOne) {
    mapping->assign(3, EditorModel::kUnit);
    mapping->assign(4, EditorModel::kLevel);
    int changes = 0;
    NotifyEvent::Handler* counter = NotifyEvent::bind([&changes] { ++changes; });
    mapping->getChangeEvent().addHandler(counter);
    overlay()->clearArmedMapping();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(mapping->getParameter(3), uint32_t(EditorModel::kUnit));
    click(unit);
    overlay()->clearButton()->clickEvent.notify(overlay()->clearButton());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(mapping->getParameter(3), ControllerMapping::none);
    EXPECT_EQ(mapping->getParameter(4), uint32_t(EditorModel::kLevel));
    EXPECT_EQ(overlay()->armedController(), -1);
    mapping->getChangeEvent().removeHandler(*counter);
}

TEST_F(LearnOverlayTest, TheShortTextsAndAProductsGhostsWithTheirNames) {
    overlay()->setLearnTexts(1);
    overlay()->addLearnGhost(new FixedGhost(ControllerMapping::virtualBase, gui::Rect(600, 10, 640, 50)));
    overlay()->addLearnGhost(
        new FixedGhost(MidiLearnController::kMidiSourceBase, gui::Rect(700, 10, 740, 50)));
    overlay()->mouseDown(1, gui::Point(610, 20), 8);
    EXPECT_EQ(overlay()->instructionText(),
              std::string(MidiLearnController::kArmedPrefixShort) + "Link Both");
    controllerSeen(20);
    EXPECT_EQ(mapping->getParameter(20), ControllerMapping::virtualBase);
    // A MIDI source is named but nothing arms it.
    EXPECT_EQ(editor->midiLearn().identifierName(MidiLearnController::kMidiSourceBase), "");
    overlay()->mouseDown(1, gui::Point(710, 20), 8);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
    EXPECT_EQ(overlay()->instructionText(), MidiLearnController::kIdleText);
}

// A map entry outside every range (a hand-made file) is neither shown nor
// cleared by a click.
TEST_F(LearnOverlayTest, AnIdentifierOutsideTheRangesShowsNothing) {
    mapping->assign(5, 0x7FFFFFFFu);
    overlay()->addLearnGhost(new FixedGhost(0x7FFFFFFFu, gui::Rect(600, 10, 640, 50)));
    EXPECT_TRUE(labels().empty());
    overlay()->mouseDown(1, gui::Point(610, 20), 8);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
    controllerSeen(5);
    EXPECT_EQ(mapping->getParameter(5), 0x7FFFFFFFu);
    ui->paint();
}

// Fault: ghosts of hidden and dead controls stayed active.
TEST_F(LearnOverlayTest, GhostsOfHiddenAndDeadControlsAreNeitherHitNorLabelled) {
    mapping->assign(1, EditorModel::kUnit);
    mapping->assign(2, EditorModel::kLevel);
    const gui::Point atLevel = overlay()->fromRoot(centre(level));
    level->visible.setValue(false);
    EXPECT_EQ(overlay()->ghostAt(atLevel), -1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"2:1"}));
    level->visible.setValue(true);
    EXPECT_EQ(overlay()->ghostAt(atLevel), 1);
    click(unit);
    delete unit;
    // The armed ghost's control died: nothing is armed after the refresh.
    EXPECT_EQ(overlay()->learnGhost(2)->learnIdentifier(), MidiLearnMode::kNone);
    EXPECT_EQ(labels(), (std::vector<std::string>{"1:2"}));
    ui->paint();
    ui->advance(10);
    ASSERT_NE(overlay(), nullptr);
    EXPECT_EQ(overlay()->parameterGhostCount(), 2);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
    controllerSeen(9);
    EXPECT_EQ(mapping->getParameter(9), ControllerMapping::none);
}

TEST_F(LearnOverlayTest, TheLearnAndMidiButtonsStayUsableOnTheOverlay) {
    const gui::Point onLearn = learnButton->toRoot(gui::Point(15, 10));
    EXPECT_EQ(overlay()->hitAlpha(overlay()->fromRoot(onLearn)), 0);
    EXPECT_EQ(overlay()->hitAlpha(overlay()->fromRoot(centre(unit))), 255);
    EXPECT_TRUE(learnButton->on.getValue());
    ui->mouseDown(0, onLearn, 8);
    ui->mouseUp(0, onLearn, 0);
    EXPECT_FALSE(editor->isMidiLearnActive());
    EXPECT_FALSE(learnButton->on.getValue());
}

TEST_F(LearnOverlayTest, TheInstructionIsCentredAtTheTopWithClearLeftOfClose) {
    ui->advance(200);
    gui::ImageLabel* label = overlay()->instructionLabel();
    ASSERT_NE(label, nullptr);
    const gui::Rect r = label->bounds.getValue();
    EXPECT_FLOAT_EQ(r.top, 8.0f);
    EXPECT_NEAR((r.left + r.right) / 2, ui->root().width.getValue() / 2, 0.5f);
    EXPECT_LE(r.width(), ui->root().width.getValue() - 16.0f);
    const gui::Rect close = overlay()->closeButton()->bounds.getValue();
    const gui::Rect clear = overlay()->clearButton()->bounds.getValue();
    EXPECT_FLOAT_EQ(close.right, r.right);
    EXPECT_LT(clear.right, close.left);
}

} // namespace
