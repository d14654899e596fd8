#include "gui/UserInterface.h"

#include "gui/Control.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gui {
namespace {

// Deletes a control of its own at the start of its destruction and keeps
// what the component list held afterwards.
class DyingInterface : public test::TestInterface {
public:
    explicit DyingInterface(std::vector<Component*>& after) : after_(after) {}
    ~DyingInterface() override {
        beginDestruction();
        delete loose;
        after_ = components();
    }
    Control* loose = nullptr;

private:
    std::vector<Component*>& after_;
};

TEST(UserInterface, ComponentsRegisterForTheirLife) {
    test::TestInterface ui;
    Control* a = new Control(ui);
    Control* b = new Control(ui);
    EXPECT_NE(std::find(ui.components().begin(), ui.components().end(), a), ui.components().end());
    delete a;
    EXPECT_EQ(std::find(ui.components().begin(), ui.components().end(), a), ui.components().end());
    const std::size_t count = ui.components().size();
    delete b;
    EXPECT_EQ(ui.components().size(), count - 1);
}

TEST(UserInterface, DuringDestructionEntriesAreOnlyNulled) {
    std::vector<Component*> after;
    std::size_t before = 0;
    {
        DyingInterface ui(after);
        ui.loose = new Control(ui);
        ui.loose->parent.setValue(&ui.root());
        before = ui.components().size();
    }
    ASSERT_EQ(after.size(), before);
    EXPECT_EQ(std::count(after.begin(), after.end(), nullptr), 1);
}

} // namespace
} // namespace gui
