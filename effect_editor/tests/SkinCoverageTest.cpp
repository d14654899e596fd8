// Every bitmap the product's editor looks up is in the skin it carries, at
// both scales. The editor is built with everything that loads artwork on
// show: a source of each kind, slot panels, every section of the display
// unfolded, the filter section, the MIDI learn overlay, and a paint of the
// whole at each scale. Every name a resource lookup is asked for while it
// runs is recorded (whether or not the lookup found it), so a name guarded
// by an existence check counts as well.

#include "editor/ComponentDisplay.h"
#include "editor/MidiLearnController.h"
#include "editor/MidiLearnMode.h"
#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelInterface.h"
#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "foundation/StringUtils.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/ModalResponder.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace {

std::set<std::string>& requested() {
    static std::set<std::string> names;
    return names;
}

// Bitmap names only, each in its plain (1x) form.
void recordLookup(std::string_view name) {
    std::string upper = toUpperAscii(std::string(name));
    constexpr std::string_view kPng = ".PNG";
    if (upper.size() <= kPng.size() || upper.compare(upper.size() - kPng.size(), kPng.size(), kPng) != 0)
        return;
    std::string base(name.substr(0, name.size() - kPng.size()));
    constexpr std::string_view kDouble = "_2X";
    if (upper.size() > kPng.size() + kDouble.size() &&
        upper.compare(upper.size() - kPng.size() - kDouble.size(), kDouble.size(), kDouble) == 0)
        base.resize(base.size() - kDouble.size());
    requested().insert(base + ".png");
}

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Look-ups that may miss by design. A button style loaded by its prefix
// probes the "On" face too; the skin draws on states with icons, so only a
// style whose normal face is there may go without it. The modulation
// indicators' pressed look is their active face, which the editor gives
// them itself.
bool mayBeAbsent(const std::string& name) {
    if (name == "ModulationIndicatorDown.png") return resourceExists("ModulationIndicatorActive.png");
    constexpr std::string_view kOn = "On.png";
    if (!endsWith(name, kOn)) return false;
    const std::string prefix = name.substr(0, name.size() - kOn.size());
    return requested().count(prefix + "Normal.png") != 0 && resourceExists(prefix + "Normal.png");
}

class SkinCoverageTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        requested().clear();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<test::RecordingAdapter>(*model);
        VarnelPlugin::VarnelSettings& s = model->getVarnelSettings();
        s.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
        s.showModulation.setValue(true);
        setResourceLookupObserver(&recordLookup);
    }
    void TearDown() override {
        setResourceLookupObserver(nullptr);
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }
    // Shows everything that loads artwork, at the scale.
    void showEverything(float scale) {
        ui = std::make_unique<gui::headless::HeadlessInterface>(float(model->getInterfaceWidth()),
                                                                float(model->getInterfaceHeight()), 1000);
        ui->setMonitorScale(scale);
        editor = std::make_unique<VarnelInterface>(*ui, *model);
        for (int32_t type = 0; type < 5; ++type)
            editor->sourceController()->addSource(type);
        model->slots.getNumActiveParameter().setValue(3.0f, kParameterChangeNotToHost);
        editor->refreshControls(-1);
        ComponentDisplay* display = editor->componentDisplay();
        for (size_t k = 0; k < display->components().size(); ++k) {
            display->toggleComponent(int(k));
            ui->advance(1000);
            ui->paint();
        }
        editor->setMidiLearnActive(true);
        ui->advance(500);
        ui->paint();
        editor->setMidiLearnActive(false);
        ui->advance(500);
        editor.reset();
        ui.reset();
    }

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<test::RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<VarnelInterface> editor;
};

TEST_F(SkinCoverageTest, EveryBitmapTheEditorLooksUpIsInTheSkinAtBothScales) {
    showEverything(1.0f);
    showEverything(2.0f);
    setResourceLookupObserver(nullptr);
    // The editor loads its artwork by name; a handful at least.
    ASSERT_GT(requested().size(), 100u);
    std::string missing;
    for (const std::string& name : requested()) {
        const bool plain = resourceExists(name);
        const bool twice = resourceExists(addDoubleScaleSuffix(name));
        if ((plain && twice) || (!plain && !twice && mayBeAbsent(name))) continue;
        missing += "\n  " + name + (plain ? " (no 2x)" : twice ? " (no 1x)" : "");
    }
    EXPECT_TRUE(missing.empty()) << "looked up but not in the skin:" << missing;
}

} // namespace
