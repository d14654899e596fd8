#include "gui/TextEditor.h"

#include "gui/Text.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessTextEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace gui {
namespace {

using headless::HeadlessInterface;
using headless::HeadlessTextEditor;
using Key = TextEditor::EditorKey;

class EditorTest : public ::testing::Test {
protected:
    EditorTest()
        : editor_(static_cast<HeadlessTextEditor*>(ui_.platformDelegate().createTextEditor())),
          editor(*editor_) {
        editor.text().text.setValue("1.5");
        editor.rectangle.setValue(Rect(10, 10, 80, 30));
        editor.closedEvent.addHandler(NotifyEvent::bind([this] { log.push_back("closed"); }));
        editor.textChangedEvent.addHandler(
            NotifyEvent::bind([this] { log.push_back("changed " + editor.text().text.getValue()); }));
    }

    std::vector<std::string> log; // outlives the editor, whose closing it hears
    HeadlessInterface ui_;
    std::unique_ptr<HeadlessTextEditor> editor_;
    HeadlessTextEditor& editor;
};

TEST_F(EditorTest, OpensOnlyOnceAndOnlyOnTheGuiThread) {
    std::thread([&] { editor.open(); }).join();
    EXPECT_FALSE(editor.isOpen());
    editor.open();
    editor.open();
    EXPECT_TRUE(editor.isOpen());
    EXPECT_EQ(editor.openCount(), 1);
    EXPECT_EQ(editor.nativeText(), "1.5");
    EXPECT_EQ(editor.selectionEnd(), 3u); // the text selected
    ASSERT_NE(editor.blockingControl(), nullptr);
    EXPECT_EQ(editor.blockingControl()->bounds.getValue(), Rect(0, 0, 926, 514));
}

TEST_F(EditorTest, EscapeAppliesNothingAndCloses) {
    editor.open();
    editor.type("7");
    EXPECT_EQ(editor.pressKey(Key::kEscape), TextEditor::KeyResult::kEnded);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(editor.text().text.getValue(), "7"); // read back by the edit, never committed
    EXPECT_EQ(log, (std::vector<std::string>{"closed"}));
    EXPECT_EQ(editor.blockingControl(), nullptr);
}

TEST_F(EditorTest, EnterCommitsOnceAndClosesThroughItsPostedMessage) {
    editor.open();
    editor.type("2.25");
    EXPECT_EQ(editor.pressKey(Key::kEnter), TextEditor::KeyResult::kEnded);
    EXPECT_EQ(editor.pressKey(Key::kEnter), TextEditor::KeyResult::kEnded); // before the close runs
    editor.endEditing(TextEditor::kTab);
    EXPECT_TRUE(editor.isOpen());
    ui_.advance(10);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"changed 2.25", "closed"}));
}

TEST_F(EditorTest, EnterWithTheStartTextChangesNothing) {
    editor.open();
    editor.pressKey(Key::kEnter);
    ui_.advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"closed"}));
}

TEST_F(EditorTest, RejectedTextStaysOpenAndSelected) {
    editor.textChangedEvent.addHandler(NotifyEvent::bind([this] { editor.accepted.setValue(false); }));
    editor.open();
    editor.type("abc");
    EXPECT_EQ(editor.pressKey(Key::kEnter), TextEditor::KeyResult::kConsumed);
    ui_.advance(10);
    EXPECT_TRUE(editor.isOpen());
    EXPECT_EQ(editor.selectionStart(), 0u);
    EXPECT_EQ(editor.selectionEnd(), 3u);
}

TEST_F(EditorTest, WordWrappedTextEndsOnlyByEscapeOrAClickOutside) {
    editor.text().lineStyle.setValue(Text::LineStyle::kWordWrap);
    editor.open();
    editor.type("two lines");
    EXPECT_EQ(editor.pressKey(Key::kEnter), TextEditor::KeyResult::kPassOn); // a new line
    for (int reason : {TextEditor::kCommit, TextEditor::kTab, TextEditor::kBackTab})
        editor.endEditing(reason);
    ui_.advance(10);
    EXPECT_TRUE(editor.isOpen());
    EXPECT_TRUE(log.empty());
    editor.endEditing(TextEditor::kCancel);
    EXPECT_FALSE(editor.isOpen());
}

TEST_F(EditorTest, TabMovedByAListenerReopensOnTheNextField) {
    std::vector<TextEditor::TabAction> actions;
    editor.tabEvent.addHandler(NotifyEvent::bind([&] {
        actions.push_back(editor.tabAction.getValue());
        editor.text().text.setValue("next field");
        editor.rectangle.setValue(Rect(10, 50, 80, 70));
        editor.tabAction.setValue(TextEditor::TabAction::kMoved);
    }));
    editor.open();
    editor.type("4");
    EXPECT_EQ(editor.pressKey(Key::kTab, true), TextEditor::KeyResult::kConsumed);
    ui_.advance(10);
    EXPECT_TRUE(editor.isOpen());
    EXPECT_EQ(actions, (std::vector<TextEditor::TabAction>{TextEditor::TabAction::kBackward}));
    EXPECT_EQ(editor.startText(), "next field");
    EXPECT_EQ(editor.nativeText(), "next field");
    EXPECT_EQ(editor.nativeRect(), Rect(10, 50, 80, 70));
    EXPECT_EQ(editor.openCount(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"changed 4"}));
}

TEST_F(EditorTest, PlainTabClosesAndTellsTheTabListeners) {
    int tabs = 0;
    editor.tabEvent.addHandler(NotifyEvent::bind([&] { ++tabs; }));
    editor.open();
    editor.pressKey(Key::kTab);
    ui_.advance(10);
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(editor.tabAction.getValue(), TextEditor::TabAction::kForward);
    EXPECT_FALSE(editor.isOpen());
}

TEST_F(EditorTest, ReportedKeysGoToListenersFirst) {
    editor.keyReporting.setValue(true);
    std::vector<int> keys;
    editor.keyEvent.addHandler(NotifyEvent::bind([&] {
        keys.push_back(editor.lastKey());
        if (editor.lastKey() == kKeyEscape) editor.keyHandled.setValue(true);
    }));
    editor.open();
    const std::pair<Key, int> cases[] = {
        {Key::kLeft, 4}, {Key::kRight, 5}, {Key::kUp, 2}, {Key::kDown, 3}, {Key::kEscape, 9}};
    for (const auto& [key, code] : cases) {
        keys.clear();
        editor.pressKey(key);
        EXPECT_EQ(keys, std::vector<int>{code});
    }
    EXPECT_TRUE(editor.isOpen()); // the listener took Escape
    editor.keyReporting.setValue(false);
    keys.clear();
    editor.pressKey(Key::kLeft);
    EXPECT_TRUE(keys.empty());
}

TEST_F(EditorTest, NonBlockingEditorCommitsButStaysOpenAndIgnoresEscape) {
    editor.blocking.setValue(false);
    editor.open();
    EXPECT_EQ(editor.blockingControl(), nullptr);
    editor.type("9");
    editor.pressKey(Key::kEnter);
    editor.pressKey(Key::kEscape);
    ui_.advance(10);
    EXPECT_TRUE(editor.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"changed 9"}));
}

TEST_F(EditorTest, ClickOutsideAppliesClosesAndTheBlockerGoesAfterItsClick) {
    editor.textChangedEvent.addHandler(NotifyEvent::bind([this] { editor.accepted.setValue(false); }));
    editor.open();
    editor.type("3");
    Control* blocker = editor.blockingControl();
    const auto registered = [&](const Component* c) {
        return std::find(ui_.components().begin(), ui_.components().end(), c) != ui_.components().end();
    };
    ui_.mouseDown(0, Point(500, 400));
    ui_.mouseUp(0, Point(500, 400));
    // A click outside closes whatever the listeners said.
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"changed 3", "closed"}));
    EXPECT_EQ(editor.blockingControl(), nullptr);
    EXPECT_FALSE(blocker->enabled.getValue());
    EXPECT_TRUE(registered(blocker)); // alive until its own click has finished
    ui_.advance(10);
    EXPECT_FALSE(registered(blocker));
}

TEST_F(EditorTest, RectangleChangedOnAnotherThreadIsPosted) {
    editor.open();
    std::thread([&] { editor.rectangle.setValue(Rect(0, 0, 50, 20)); }).join();
    EXPECT_EQ(editor.nativeRect(), Rect(10, 10, 80, 30));
    ui_.advance(10);
    EXPECT_EQ(editor.nativeRect(), Rect(0, 0, 50, 20));
    editor.rectangle.setValue(Rect(1, 1, 2, 2)); // on the GUI thread: at once
    EXPECT_EQ(editor.nativeRect(), Rect(1, 1, 2, 2));
}

TEST_F(EditorTest, EditorDestroyedWhileOpenLeavesNoBlocker) {
    editor.open();
    const std::size_t components = ui_.components().size();
    editor_.reset();
    EXPECT_EQ(ui_.components().size(), components - 2); // the editor and its blocker
    ui_.advance(10);
}

} // namespace
} // namespace gui
