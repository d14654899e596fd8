#include "gui/windows/WindowsPopupMenu.h"

#include "gui/RootLockScope.h"
#include "gui/SelectButton.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

namespace gui {
namespace {

// Presses keys in the open menu: posted to the thread's menu window.
std::function<bool()> pressKeys(std::vector<WPARAM> keys, std::function<void()> before = {}) {
    return [keys, before] {
        HWND menu = test::findThreadWindow(L"#32768");
        if (menu == nullptr) return false;
        if (before) before();
        for (WPARAM key : keys)
            PostMessageW(menu, WM_KEYDOWN, key, 0);
        return true;
    };
}

class WinPopupMenu : public ::testing::Test {
protected:
    WinPopupMenu()
        : ui(std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 200, 100}, "", 0.0f)),
          menu(static_cast<WindowsPopupMenu*>(ui->platformDelegate().createPopupMenu())) {
        for (const char* text : {"First", "Second"}) {
            auto* item = new MenuItem(text);
            item->selectedEvent.addHandler(NotifyEvent::bind([this, text] { chosen.push_back(text); }));
            menu->addItem(item);
        }
        menu->openEvent.addHandler(NotifyEvent::bind([this] { ++opened; }));
    }
    ~WinPopupMenu() override { delete menu; }

    test::TestWindow host;
    test::TestWindow bystander;
    std::unique_ptr<WindowsInterface> ui;
    WindowsPopupMenu* menu;
    std::vector<std::string> chosen;
    int opened = 0;
};

TEST_F(WinPopupMenu, KeysChooseAnItemAfterTheMenuCloses) {
    bool bystanderDisabled = false;
    {
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_DOWN, VK_RETURN}, [&] {
            bystanderDisabled = !IsWindowEnabled(bystander.handle());
        }));
        menu->show(Point(5, 5));
        EXPECT_TRUE(closer.finished());
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(chosen, std::vector<std::string>{"Second"});
    EXPECT_TRUE(bystanderDisabled);
    EXPECT_TRUE(IsWindowEnabled(bystander.handle()));
}

TEST_F(WinPopupMenu, EndingTheMenuChoosesNothing) {
    test::ModalCloser closer([] {
        if (test::findThreadWindow(L"#32768") == nullptr) return false;
        EndMenu();
        return true;
    });
    menu->show(Point(0, 0));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(WinPopupMenu, ChangedItemsOrADeletedMenuRunNothing) {
    {
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_RETURN}, [&] { menu->clear(); }));
        menu->show(Point(0, 0));
    }
    EXPECT_TRUE(chosen.empty());

    menu->addItem(new MenuItem("Third"));
    bool selected = false;
    menu->itemAt(0)->selectedEvent.addHandler(NotifyEvent::bind([&] { selected = true; }));
    {
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_RETURN}, [&] {
            delete menu;
            menu = nullptr;
        }));
        WindowsPopupMenu* shown = menu;
        shown->show(Point(0, 0));
    }
    EXPECT_FALSE(selected);
}

TEST_F(WinPopupMenu, TheRootLockIsGivenUpWhileTheMenuIsOpen) {
    RootControl& root = *ui->rootControl();
    int depthInside = -1;
    {
        RootLockScope scope(root);
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_RETURN}, [&] { depthInside = root.lockDepth(); }));
        menu->show(Point(0, 0));
        EXPECT_EQ(root.lockDepth(), 1);
    }
    EXPECT_EQ(depthInside, 0);
    EXPECT_EQ(root.lockDepth(), 0);
    EXPECT_EQ(chosen, std::vector<std::string>{"First"});
}

TEST_F(WinPopupMenu, AnEditorDestroyedWhileTheMenuIsOpenRunsNothing) {
    {
        RootLockScope scope(*ui->rootControl());
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_RETURN}, [&] { ui.reset(); }));
        menu->show(Point(0, 0));
    }
    EXPECT_TRUE(chosen.empty());
    EXPECT_TRUE(IsWindowEnabled(bystander.handle()));
}

// The native menu takes the capture from the press, which ends the press's
// gesture; the choice is then a whole gesture of its own, so that its end
// (where the editor stores an undo step) follows the value.
TEST_F(WinPopupMenu, ASelectButtonsChoiceIsAWholeGesture) {
    test::GestureRecorder listener;
    auto* button = new SelectButton(*ui, nullptr);
    button->setBoundsXYWH(10, 10, 80, 20);
    button->maximum.setValue(2);
    for (const char* choice : {"A", "B", "C"})
        button->addChoice(choice);
    button->parent.setValue(ui->rootControl());
    button->setListener(&listener);
    {
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
        SendMessageW(ui->window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        EXPECT_TRUE(closer.finished());
    }
    SendMessageW(ui->window(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(button->value.getValue(), 2);
    EXPECT_EQ(listener.phases(), "02012");
    delete button;
}

TEST_F(WinPopupMenu, OtherThreadsGetNoMenu) {
    std::thread([this] { menu->show(Point(0, 0)); }).join();
    EXPECT_EQ(opened, 0);
}

} // namespace
} // namespace gui
