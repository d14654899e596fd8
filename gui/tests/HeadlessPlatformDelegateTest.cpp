#include "gui/headless/HeadlessPlatformDelegate.h"

#include "gui/FileDialogs.h"
#include "gui/PopupMenu.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessText.h"
#include "gui/headless/ModalResponder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace gui {
namespace {

using headless::HeadlessInterface;
using headless::ModalAnswer;
using headless::ModalRequest;
using headless::ModalResponder;

class Headless : public ::testing::Test {
protected:
    Headless() { ModalResponder::reset(); }
    ~Headless() override { ModalResponder::reset(); }

    // Runs the call as inside a window message (the root's lock held), as
    // a click on a control would.
    template <class Call> void inMessage(HeadlessInterface& ui, Call call) {
        Control* trigger = new Control(ui);
        trigger->setBoundsXYWH(0, 0, 10, 10);
        trigger->parent.setValue(&ui.root());
        trigger->pressEvent.addHandler(NotifyEvent::bind([call] { call(); }));
        ui.mouseDown(0, Point(5, 5));
    }

    static bool lockable(RootControl& root) {
        std::atomic<bool> locked{false};
        std::thread([&] {
            ScopedLock lock(root);
            locked = true;
        }).join();
        return locked;
    }
};

TEST_F(Headless, MessageBoxesTitlesButtonsAndDismissal) {
    struct Case {
        int buttons;
        const char* title;
        int shownButtons;
        bool actionRuns; // when dismissed
    };
    for (const Case& c : {Case{1, "Information", 1, true}, Case{3, "Confirmation", 3, false},
                          Case{2, "Information", 3, false}}) {
        HeadlessInterface ui;
        ModalResponder::reset();
        bool ran = false;
        ui.platformDelegate().messageBox("Delete the preset?", c.buttons, [&] { ran = true; });
        ASSERT_EQ(ModalResponder::requests().size(), 1u);
        const ModalRequest& request = ModalResponder::requests()[0];
        EXPECT_EQ(request.title, c.title);
        EXPECT_EQ(request.text, "Delete the preset?");
        EXPECT_EQ(request.buttons, c.shownButtons);
        EXPECT_EQ(ran, c.actionRuns) << c.buttons;
    }
    HeadlessInterface ui;
    ModalAnswer ok;
    ok.button = ModalAnswer::kOk;
    ModalResponder::push(ok);
    bool ran = false;
    ui.platformDelegate().messageBox("Sure?", 3, [&] { ran = true; });
    EXPECT_TRUE(ran);
    std::thread([&] { ui.platformDelegate().messageBox("elsewhere", 1, [&] { ran = false; }); }).join();
    EXPECT_TRUE(ran); // not on the GUI thread: nothing
}

TEST_F(Headless, ModalCallsGiveUpTheLockAndTakeItBackAtTheirDepth) {
    HeadlessInterface ui;
    int depthDuring = -1, depthAfter = -1;
    bool othersGotIn = false;
    ModalResponder::push([&](const ModalRequest&) {
        depthDuring = ui.root().lockDepth();
        othersGotIn = lockable(ui.root());
        ui.advance(10); // the modal loop keeps dispatching
        return ModalAnswer{};
    });
    inMessage(ui, [&] {
        ui.platformDelegate().messageBox("?", 3, [] {});
        depthAfter = ui.root().lockDepth();
    });
    EXPECT_EQ(depthDuring, 0);
    EXPECT_TRUE(othersGotIn);
    EXPECT_EQ(depthAfter, 1);
    EXPECT_EQ(ui.root().lockDepth(), 0);
}

TEST_F(Headless, EditorDestroyedDuringAMessageBoxRunsNoAction) {
    auto ui = std::make_unique<HeadlessInterface>();
    HeadlessInterface* raw = ui.get();
    bool ran = false;
    ModalResponder::push([&](const ModalRequest&) {
        ui.reset(); // the host closes the editor while the box is open
        ModalAnswer answer;
        answer.button = ModalAnswer::kOk;
        return answer;
    });
    inMessage(*raw, [&, raw] { raw->platformDelegate().messageBox("?", 3, [&] { ran = true; }); });
    EXPECT_FALSE(ran);
}

std::unique_ptr<PopupMenu> makeMenu(HeadlessInterface& ui, std::vector<std::string>& chosen) {
    std::unique_ptr<PopupMenu> menu(ui.platformDelegate().createPopupMenu());
    const char* texts[] = {"Copy & paste", "-", "Disabled", "Hidden", "Sub"};
    for (const char* text : texts) {
        auto* item = new MenuItem(text);
        item->selectedEvent.addHandler(NotifyEvent::bind([&chosen, text] { chosen.push_back(text); }));
        menu->addItem(item);
    }
    menu->itemAt(2)->enabled.setValue(false);
    menu->itemAt(3)->visible.setValue(false);
    auto* inner = new MenuItem("Inner");
    inner->selectedEvent.addHandler(NotifyEvent::bind([&chosen] { chosen.push_back("Inner"); }));
    menu->itemAt(4)->addItem(inner);
    return menu;
}

TEST_F(Headless, MenusOfferTheShownItemsAndRunTheChosenOne) {
    struct Case {
        int item;
        std::vector<std::string> chosen;
    };
    for (const Case& c : {Case{0, {"Copy & paste"}}, Case{1, {}}, Case{2, {}}, Case{4, {"Inner"}},
                          Case{-1, {}}, Case{9, {}}}) {
        HeadlessInterface ui;
        ModalResponder::reset();
        std::vector<std::string> chosen;
        auto menu = makeMenu(ui, chosen);
        int opened = 0;
        menu->openEvent.addHandler(NotifyEvent::bind([&] { ++opened; }));
        ModalAnswer answer;
        answer.item = c.item;
        ModalResponder::push(answer);
        menu->show(Point(10, 10));
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(ui.pointerDrag(), UserInterface::PointerDrag::kMenuOpened);
        ASSERT_EQ(ModalResponder::requests().size(), 1u);
        EXPECT_EQ(ModalResponder::requests()[0].items,
                  (std::vector<std::string>{"Copy & paste", "-", "Disabled", "Sub", "Inner"}));
        EXPECT_EQ(chosen, c.chosen) << c.item;
    }
}

TEST_F(Headless, MenuDeletedOrChangedWhileOpenRunsNothing) {
    HeadlessInterface ui;
    std::vector<std::string> chosen;
    auto menu = makeMenu(ui, chosen);
    ModalResponder::push([&](const ModalRequest&) {
        menu.reset(); // a message handled meanwhile deletes the menu
        ModalAnswer answer;
        answer.item = 0;
        return answer;
    });
    inMessage(ui, [&] { menu->show(Point(0, 0)); });
    EXPECT_TRUE(chosen.empty());

    menu = makeMenu(ui, chosen);
    ModalResponder::push([&](const ModalRequest&) {
        menu->insertItem(0, new MenuItem("New"));
        ModalAnswer answer;
        answer.item = 0;
        return answer;
    });
    menu->show(Point(0, 0));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(Headless, FileDialogsAskWithTheirPropertiesAndKeepAChoice) {
    HeadlessInterface ui;
    std::unique_ptr<OpenSaveDialog> dialog(ui.platformDelegate().createOpenSaveDialog());
    dialog->filters.setValue("Presets|*.ztp");
    dialog->defaultExtension.setValue(".ztp");
    dialog->startFolder.setValue("/presets");
    dialog->path.setValue("Warm");
    int finished = 0;
    dialog->finishedEvent.addHandler(NotifyEvent::bind([&] { ++finished; }));
    dialog->run(true); // dismissed
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    const ModalRequest request = ModalResponder::requests()[0];
    EXPECT_EQ(request.kind, ModalRequest::Kind::kSaveDialog);
    EXPECT_EQ(request.proposedName, "Warm");
    EXPECT_EQ(request.startFolder, "/presets");
    EXPECT_EQ(request.filters, "Presets|*.ztp");
    EXPECT_FALSE(dialog->chosen.getValue());
    EXPECT_EQ(dialog->path.getValue(), "Warm");
    ModalAnswer answer;
    answer.chosen = true;
    answer.path = "/presets/Warm.ztp";
    ModalResponder::push(answer);
    dialog->run(false);
    EXPECT_EQ(ModalResponder::requests()[1].kind, ModalRequest::Kind::kOpenDialog);
    EXPECT_TRUE(dialog->chosen.getValue());
    EXPECT_EQ(dialog->path.getValue(), "/presets/Warm.ztp");
    EXPECT_EQ(finished, 2);

    std::unique_ptr<SelectFolderDialog> folder(ui.platformDelegate().createSelectFolderDialog());
    folder->startFolder.setValue("/home");
    answer.path = "/home/sets";
    ModalResponder::push(answer);
    folder->run();
    EXPECT_EQ(ModalResponder::requests()[2].startFolder, "/home");
    EXPECT_TRUE(folder->chosen.getValue());
    EXPECT_EQ(folder->path.getValue(), "/home/sets");
}

TEST_F(Headless, DialogWhoseEditorDiesIsNotChosen) {
    auto ui = std::make_unique<HeadlessInterface>();
    HeadlessInterface* raw = ui.get();
    std::unique_ptr<SelectFolderDialog> folder(raw->platformDelegate().createSelectFolderDialog());
    ModalResponder::push([&](const ModalRequest&) {
        ui.reset();
        ModalAnswer answer;
        answer.chosen = true;
        answer.path = "/x";
        return answer;
    });
    inMessage(*raw, [&] { folder->run(); });
    EXPECT_FALSE(folder->chosen.getValue());
    EXPECT_EQ(folder->path.getValue(), "");
}

TEST_F(Headless, ClipboardRoundTripsAndTellsAtTheNextTick) {
    HeadlessInterface ui;
    int changes = 0;
    ui.clipboardChangedEvent.addHandler(NotifyEvent::bind([&] { ++changes; }));
    ui.platformDelegate().setClipboardText("Écho 😀\r\nnext");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(ui.platformDelegate().clipboardText(), "Écho 😀\r\nnext");
    ui.advance(10);
    EXPECT_EQ(changes, 1);
    ui.advance(10);
    EXPECT_EQ(changes, 1);
}

TEST_F(Headless, PointerMetricsAndTheMonitor) {
    HeadlessInterface ui;
    auto& delegate = ui.platformDelegate();
    EXPECT_EQ(delegate.dragThreshold(), 4);
    EXPECT_EQ(delegate.doubleClickTime(), 500);
    EXPECT_EQ(delegate.monitorRect(), Rect(0, 0, 1024, 768 - 165));
    ui.setMonitorScale(2.0f);
    EXPECT_EQ(delegate.monitorRect(), Rect(0, 0, 512, (768 - 330) / 2.0f));
}

TEST_F(Headless, TextMetricIsFixedAndLaysOutByItsStyle) {
    HeadlessInterface ui;
    std::unique_ptr<Text> text(ui.platformDelegate().createText());
    text->fontSize.setValue(10);
    EXPECT_EQ(text->render(), nullptr); // empty: nothing to draw
    text->text.setValue("delay time and feedback");
    const float oneLine = text->height();
    EXPECT_FLOAT_EQ(text->width(), 23 * 6.0f);
    // Width 0: neither wrapped nor cut, whatever the style.
    text->lineStyle.setValue(Text::LineStyle::kWordWrap);
    EXPECT_FLOAT_EQ(text->width(), 23 * 6.0f);
    text->wrapWidth.setValue(70);
    EXPECT_GT(text->height(), oneLine);
    EXPECT_LE(text->width(), 70);
    text->lineStyle.setValue(Text::LineStyle::kEndEllipsis);
    EXPECT_FLOAT_EQ(text->height(), oneLine);
    EXPECT_LE(text->width(), 70);
    auto* headlessText = static_cast<headless::HeadlessText*>(text.get());
    EXPECT_EQ(headlessText->lines()[0].substr(headlessText->lines()[0].size() - 3), "...");
    const IBitmap* bitmap = text->render();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_GT(bitmap->getPixelRect().width(), 0);
}

} // namespace
} // namespace gui
