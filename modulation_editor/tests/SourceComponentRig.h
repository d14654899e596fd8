#pragma once

// A component display beside the source panels of the source rig, for the
// drags from a source onto a component's button: the XY controller and the
// XLFO active, the display at (500, 40) of 300 x 100 over the rig's slot
// controller, and a component style for the buttons the test adds. The
// tree goes before the style, and the style before the user interface.

#include "modulation_editor/ModulationComponentButton.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/tests/ComponentDisplayRig.h"
#include "modulation_editor/tests/SourceRig.h"

#include <cstdint>
#include <memory>

namespace test {

class SourceComponentTest : public SourceTest {
protected:
    void SetUp() override {
        SourceTest::SetUp();
        setActive(model->xyControllers, 1);
        setActive(model->xlfos, 1);
        display = new ModulationComponentDisplay(*ui, *editor, slots.get());
        display->setBoundsXYWH(500, 40, 300, 100);
        display->parent.setValue(&ui->root());
        style = std::make_unique<ComponentButton::ComponentStyle>(*ui, nullptr);
    }
    void TearDown() override {
        editor->prepareForClosing();
        style.reset();
        SourceTest::TearDown();
    }
    // A section of 80 x 100 for `count` targets from target 10 on.
    void addSection(int32_t count) {
        auto* panel = new EmptyPanel(*ui, *editor);
        panel->setSize(80.0f, 100.0f);
        display->addSectionContainer(0.0f, panel, 10, count);
    }
    // The button of a section: 40 x 20 on the root, the first at (600, 150)
    // and each further one 50 units to the right.
    ModulationComponentButton* addButton(int32_t section) {
        auto* b = new ModulationComponentButton(*ui, *editor, style.get(), nullptr, display, section);
        b->setBoundsXYWH(600.0f + 50.0f * static_cast<float>(section), 150, 40, 20);
        b->parent.setValue(&ui->root());
        return b;
    }

    ModulationComponentDisplay* display = nullptr;
    std::unique_ptr<ComponentButton::ComponentStyle> style;
};

} // namespace test
