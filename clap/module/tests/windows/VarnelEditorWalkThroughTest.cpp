// A user's walk through the product's editor, end to end: the Windows
// plug-in file in the test host, its editor embedded in a host window under
// Wine's X11 driver and driven with window messages, one click after
// another: a source of each kind added from the Add Source menu, a source
// dragged onto Delay 1 Time, that slot inverted and removed, the source
// removed, choices picked from the MIDI source's and the XLFO step's menus,
// an XLFO step added and removed, its step panel hidden, its phase offset
// dragged, the source strip scrolled to its end with the step panel open and
// the MIDI source's input picked there, a delay time typed and tapped,
// feedback invert toggled, filter 2 switched on and off, the filter section
// folded and unfolded, and a controller learnt. Each step checks what the host sees
// (parameter values and texts; where the step is an edit, that one Undo
// takes all of it back and Redo brings it again) and that the editor's
// picture changed where the step's control stands.
//
// Where a control stands: a twin of the plug-in (the product's own module
// sources built into this program) runs beside it, its editor in a hidden
// host window of the same size at the same place, and gets every click too,
// so that the two editors go through the same states. Its control tree,
// walked as the integrity check walks it, gives each control's bounds and a
// point inside them that a press reaches; after every step the two instances
// hold the same parameter values, and the twin's undo history counts the
// undo steps the editor stored.

#include "clap/ClapEntry.h"
#include "clap/editor/ClapPluginEditor.h"
#include "clap/module/tests/windows/EditorSession.h"
#include "editor/ControlChangeManager.h"
#include "editor/MidiLearnController.h"
#include "editor/MidiLearnMode.h"
#include "editor/tests/walk/ControlWalk.h"
#include "effect/MidiSourceParameterSet.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/FilterInterface.h"
#include "effect_editor/MidiSourceInterface.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/VarnelSlotInterface.h"
#include "effect_editor/XLFOSourceInterface.h"
#include "effect_editor/XLFOStepInterface.h"
#include "foundation/windows/Win32Support.h"
#include "gui/Knob.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/ScrollArea.h"
#include "gui/ScrollButton.h"
#include "gui/ScrollStrip.h"
#include "gui/SelectButton.h"
#include "gui/UserInterface.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "modulation_editor/FloatValueLabel.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SlotInterface.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceInterface.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/XLFOController.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::EditorSession;
using e2e::Picture;
using Clock = std::chrono::steady_clock;

// The twin's module: this program's own entry, initialised with its path
// (where its resources are).
ClapModule& twinModule() {
    static std::unique_ptr<ClapModule> loaded = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::string error;
        std::unique_ptr<ClapModule> result =
            ClapModule::fromEntry(&clapEntryRecord(), win32::utf8(path), error);
        if (!result) ADD_FAILURE() << "the twin's entry does not initialise: " << error;
        return result;
    }();
    if (!loaded) std::abort();
    return *loaded;
}

// The wide editor with the modulation section and the filter section open,
// past the welcome, drawn by the software root.
e2e::Profile walkProfile() {
    e2e::Profile profile;
    profile.shared = {{"GraphicsAcceleration", 0}};
    profile.product = {{"ShowModulation", 1}, {"InterfaceLayout", 1}, {"ExpandedSection", 1}};
    profile.currentVersion = "2.00";
    return profile;
}

int channelDistance(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// The pixels of the area that differ by more than 24 in a channel.
int changedPixels(const Picture& a, const Picture& b, const RECT& area) {
    if (a.width != b.width || a.height != b.height) return a.width * a.height;
    int changed = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, a.height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, a.width); ++x)
            if (channelDistance(a.at(x, y), b.at(x, y)) > 24) ++changed;
    return changed;
}

// The plain milliseconds of a time's text ("500.0 ms", "1.250 sec").
double millisecondsOf(const std::string& text) {
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    const std::string unit = end != nullptr ? std::string(end) : std::string();
    return unit.find("sec") != std::string::npos ? number * 1000.0 : number;
}

using Values = std::vector<double>;

class VarnelEditorWalkThrough : public ::testing::Test {
protected:
    static constexpr int kTapInterval = 500;

    void SetUp() override {
        e2e::resetProfile(walkProfile());
        dll_ = std::make_unique<EditorSession>();
        twin_ = std::make_unique<EditorSession>(twinModule(), test::TestWindow::Visibility::kHidden);
        ASSERT_TRUE(dll_->open(1.0));
        ASSERT_TRUE(twin_->open(1.0));
        ClapPluginEditor* host = ClapPluginEditor::of(twin_->plugin().plugin());
        editor_ = host != nullptr ? dynamic_cast<VarnelInterface*>(host->productInterface()) : nullptr;
        ASSERT_NE(editor_, nullptr);
        // The host's ids are the model's indices, in both.
        const uint32_t count = dll_->plugin().paramCount();
        ASSERT_EQ(count, uint32_t(model().getNumParameters()));
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_EQ(dll_->plugin().paramInfo(i)->id, i);
            ASSERT_EQ(twin_->plugin().paramInfo(i)->id, i);
        }
        pump(300);
        expectInStep();
    }

    void TearDown() override {
        twin_.reset();
        dll_.reset();
    }

    VarnelInterface& editor() { return *editor_; }
    VarnelPlugin& model() { return editor_->varnelPlugin(); }
    gui::RootControl& root() { return *editor_->userInterface().rootControl(); }
    int undoCount() { return model().getUndoHistory()->getUndoCount(); }

    // Both instances handle their messages, timers and main-thread calls.
    void pump(int milliseconds) {
        const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            test::pumpMessages();
            dll_->plugin().pumpMainThread();
            twin_->plugin().pumpMainThread();
            Sleep(5);
        } while (Clock::now() < end);
    }

    // --- What the host sees.

    static Values values(EditorSession& session) {
        Values result;
        for (uint32_t i = 0; i < session.plugin().paramCount(); ++i)
            result.push_back(session.plugin().paramValue(i).value_or(-1e9));
        return result;
    }
    double value(const AbstractPluginParameter& parameter) {
        return dll_->plugin().paramValue(clap_id(parameter.getIndex())).value_or(-1e9);
    }
    std::string text(const AbstractPluginParameter& parameter) {
        return dll_->plugin().valueToText(clap_id(parameter.getIndex()), value(parameter)).value_or("?");
    }
    // The names of the parameters whose values differ (empty when none do).
    std::string differences(const Values& a, const Values& b) {
        std::ostringstream names;
        int listed = 0;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            if (std::fabs(a[i] - b[i]) <= 1e-6) continue;
            if (listed++ < 8)
                names << model().getParameter(int32_t(i))->getName() << " (" << a[i] << " / " << b[i] << ") ";
        }
        if (a.size() != b.size()) names << "a different count";
        return names.str();
    }
    void expectInStep() {
        EXPECT_EQ(differences(values(*dll_), values(*twin_)), "")
            << "the twin no longer holds the plug-in's values (plug-in / twin)";
    }

    // --- Where a control stands (in the twin; the scale is 1).

    // Whether a press at the point reaches the control (or one of its
    // children).
    bool reaches(gui::Control& control, int x, int y) {
        return walk::ControlWalk::reaches(root(), control, gui::Point{float(x), float(y)});
    }

    // The part of the control that shows, or an empty rectangle (a failure).
    RECT shownRect(gui::Control& control) {
        const walk::ControlWalk tree(root());
        const walk::ShownControl* shown = tree.find(&control);
        if (shown == nullptr || shown->seen.isEmpty()) {
            ADD_FAILURE() << walk::ControlWalk::kindOf(control) << " does not show";
            return RECT{0, 0, 0, 0};
        }
        return RECT{LONG(std::ceil(shown->seen.left)), LONG(std::ceil(shown->seen.top)),
                    LONG(std::floor(shown->seen.right)), LONG(std::floor(shown->seen.bottom))};
    }

    // A point of the control that a press reaches: its centre if it does,
    // else the first such point of its shown part; {-1, -1} (a failure)
    // when there is none.
    POINT pointOn(gui::Control& control) {
        const RECT r = shownRect(control);
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        if (reaches(control, centre.x, centre.y)) return centre;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                if (reaches(control, x, y)) return POINT{x, y};
        ADD_FAILURE() << walk::ControlWalk::kindOf(control) << " takes no press anywhere";
        return POINT{-1, -1};
    }

    // The control bound to the parameter.
    gui::ValueControl* controlOf(const AbstractPluginParameter& parameter) {
        const walk::ControlWalk tree(root());
        for (const walk::ShownControl& shown : tree.controls())
            if (auto* control = dynamic_cast<gui::ValueControl*>(shown.control);
                control != nullptr && editor().indexOfControl(control) == parameter.getIndex())
                return control;
        ADD_FAILURE() << "no control of " << parameter.getName() << " shows";
        return nullptr;
    }

    // --- A user's input, to both editors.

    void click(gui::Control& control, WPARAM keys = 0) {
        const POINT p = pointOn(control);
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->click(p.x, p.y, keys);
        pump(150);
    }

    // Opens the button's menu with a press and clicks its item (by
    // position) in the native menu, which must read `expected`.
    void choose(gui::Control& opener, int item, const std::string& expected) {
        const POINT p = pointOn(opener);
        for (EditorSession* session : {dll_.get(), twin_.get()}) {
            std::wstring seen;
            test::ModalCloser closer([&] {
                HWND menu = test::findThreadWindow(L"#32768");
                if (menu == nullptr) return false;
                auto* native = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
                wchar_t itemText[256] = {};
                GetMenuStringW(native, UINT(item), itemText, 256, MF_BYPOSITION);
                seen = itemText;
                RECT r{};
                if (!GetMenuItemRect(nullptr, native, UINT(item), &r)) {
                    EndMenu();
                    return true;
                }
                const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                SetCursorPos(at.x, at.y);
                // The menu's loop takes a mouse message's position as a screen point.
                PostMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
                PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
                PostMessageW(menu, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
                return true;
            });
            session->click(p.x, p.y);
            EXPECT_TRUE(closer.finished()) << "the press opens no menu";
            EXPECT_EQ(win32::utf8(seen.c_str()), expected) << "the menu's item " << item;
        }
        pump(150);
    }

    void drag(gui::Control& from, gui::Control& to) {
        const POINT a = pointOn(from), b = pointOn(to);
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->drag(a.x, a.y, b.x - a.x, b.y - a.y, 12);
        pump(300);
    }

    // The pointer leaves the editors, and the plug-in's picture once it
    // has settled.
    Picture look() {
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->mouse(WM_MOUSEMOVE, -5, -5);
        return dll_->settledPicture();
    }

    // With VARNEL_WALK_PICTURES set to a folder, the named picture goes
    // there as a PNG file (to look at what the walk saw).
    static void save(const Picture& picture, const std::string& name) {
        if (const char* folder = std::getenv("VARNEL_WALK_PICTURES"))
            e2e::writePng(picture, std::string(folder) + "/" + name + ".png");
    }

    // --- The checks of a step.

    // One Undo takes every parameter back to before the step, and Redo
    // brings all of it again; the twin's history holds one step more than
    // before. The undone picture goes to `undone` when asked.
    void expectOneUndoStep(const Values& before, int undoCountBefore, Picture* undone = nullptr,
                           bool twinAlike = true) {
        EXPECT_EQ(undoCount(), undoCountBefore + 1) << "the step stores no undo step, or more than one";
        const Values after = values(*dll_);
        click(*editor().topBarButton(VarnelInterface::kUndo));
        pump(200);
        EXPECT_EQ(differences(before, values(*dll_)), "")
            << "one Undo does not take the step back (before / now)";
        if (undone != nullptr) *undone = look();
        click(*editor().topBarButton(VarnelInterface::kRedo));
        pump(200);
        EXPECT_EQ(differences(after, values(*dll_)), "") << "Redo does not bring the step again (step / now)";
        if (twinAlike) expectInStep();
    }

    void expectChanged(const Picture& before, const Picture& after, const RECT& area, const char* what) {
        EXPECT_GE(changedPixels(before, after, area), 4)
            << what << " does not change the picture at (" << area.left << ", " << area.top << ") - ("
            << area.right << ", " << area.bottom << ")";
    }

    // --- The editor's parts.

    SourceController& sources() { return *editor().sourceController(); }

    int32_t typeOf(AbstractParameterSetList& list) {
        const auto& types = sources().sourceTypes();
        for (size_t t = 0; t < types.size(); ++t)
            if (types[t].list == &list) return int32_t(t);
        ADD_FAILURE() << "no source type of the list";
        return -1;
    }

    SourceInterface* panelOf(AbstractParameterSetList& list) {
        const int32_t type = typeOf(list);
        for (SourceInterface* panel : sources().panels())
            if (panel->sourceId() == SourceId{type, 0}) return panel;
        return nullptr;
    }

    // Scrolls the strip to the panel with a click on its source button in
    // the selection bar (the selector over the button passes the click on).
    void bringIntoView(SourceInterface& panel) {
        SourceSelectionBar* bar = sources().selectionBar();
        ASSERT_NE(bar, nullptr);
        for (SourceSelectionBar::SourceButton* button : bar->sourceButtons()) {
            if (button->container == nullptr || button->container->panel() != &panel) continue;
            const RECT r = shownRect(*button);
            const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
            ASSERT_TRUE(reaches(*button, x, y) || reaches(*bar->selector(), x, y));
            for (EditorSession* session : {dll_.get(), twin_.get()})
                session->click(x, y);
            pump(600);
            return;
        }
        FAIL() << "no source button for " << panel.sourceName();
    }

    // A Ctrl-click on the step's bar, which selects the step without moving
    // it.
    void selectStep(XLFOController& steps, int32_t index) {
        ASSERT_NE(steps.slider(index), nullptr);
        XLFOController::StepSlider& step = *steps.slider(index);
        const gui::Rect bar = step.valueArea();
        const gui::Point onBar =
            step.toRoot(gui::Point((bar.left + bar.right) * 0.5f, (bar.top + bar.bottom) * 0.5f));
        ASSERT_TRUE(reaches(step, int(onBar.x), int(onBar.y)));
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->click(int(onBar.x), int(onBar.y), MK_CONTROL);
        pump(600);
        ASSERT_TRUE(steps.isStepSelected(index));
    }

    VarnelInterface::VarnelSlotInterface* slotPanel(int32_t slot) {
        const walk::ControlWalk tree(root());
        for (const walk::ShownControl& shown : tree.controls())
            if (auto* panel = dynamic_cast<VarnelInterface::VarnelSlotInterface*>(shown.control);
                panel != nullptr && panel->slot() == slot)
                return panel;
        return nullptr;
    }

    std::unique_ptr<EditorSession> dll_;
    std::unique_ptr<EditorSession> twin_;
    VarnelInterface* editor_ = nullptr;
};

TEST_F(VarnelEditorWalkThrough, AUsersClicksFromAddingSourcesToLearningAController) {
    VarnelPlugin& m = model();
    Picture before = look();

    {
        SCOPED_TRACE("1: a source of each kind from the Add Source menu");
        for (AbstractParameterSetList* list :
             {static_cast<AbstractParameterSetList*>(&m.xyControllers),
              static_cast<AbstractParameterSetList*>(&m.xlfos),
              static_cast<AbstractParameterSetList*>(&m.egs), static_cast<AbstractParameterSetList*>(&m.efs),
              static_cast<AbstractParameterSetList*>(&m.midiSources)}) {
            const int32_t type = typeOf(*list);
            ASSERT_GE(type, 0);
            const std::string item = "New " + sources().sourceTypes()[size_t(type)].name;
            SCOPED_TRACE(item);
            const Values was = values(*dll_);
            const int undo = undoCount();
            ASSERT_NE(sources().addSourceButton(), nullptr);
            choose(*sources().addSourceButton(), type, item);
            pump(500);
            EXPECT_EQ(value(list->getNumActiveParameter()), 1.0);
            SourceInterface* panel = panelOf(*list);
            ASSERT_NE(panel, nullptr) << "no panel of the new source";
            const Picture after = look();
            save(after, "01-source-" + std::to_string(type));
            expectChanged(before, after, shownRect(*panel), "the new source's panel");
            before = after;
            expectOneUndoStep(was, undo);
        }
    }

    {
        SCOPED_TRACE("2: EG 1 dragged onto Delay 1 Time");
        SourceInterface* eg = panelOf(m.egs);
        ASSERT_NE(eg, nullptr);
        bringIntoView(*eg);
        ASSERT_FALSE(eg->dragButtons().empty());
        const Values was = values(*dll_);
        const int undo = undoCount();
        before = look();
        drag(*eg->dragButtons()[0], *editor().delayControls(0).time);
        ModulationSlotParameterSet& slot = *m.slots.getSet(0);
        EXPECT_EQ(value(m.slots.getNumActiveParameter()), 1.0);
        EXPECT_EQ(text(slot.source), "EG 1");
        EXPECT_EQ(text(slot.target), "Delay 1 Time");
        VarnelInterface::VarnelSlotInterface* panel = slotPanel(0);
        ASSERT_NE(panel, nullptr) << "no panel of the new slot shows";
        const Picture after = look();
        save(after, "02-slot");
        expectChanged(before, after, shownRect(*panel), "the new slot's panel");
        before = after;
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("3: the slot inverted");
        VarnelInterface::VarnelSlotInterface* panel = slotPanel(0);
        ASSERT_NE(panel, nullptr);
        gui::ValueControl* invert = panel->slotControl(SlotInterface::kInvert);
        ASSERT_NE(invert, nullptr);
        const RECT area = shownRect(*invert);
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*invert);
        EXPECT_EQ(value(m.slots.getSet(0)->invert), 1.0);
        const Picture after = look();
        save(after, "03-slot-inverted");
        expectChanged(before, after, area, "inverting the slot");
        Picture undone;
        expectOneUndoStep(was, undo, &undone);
        EXPECT_LE(changedPixels(before, undone, area), 2) << "the undone invert button looks inverted";
        before = look();
    }

    {
        SCOPED_TRACE("4: the slot removed");
        VarnelInterface::VarnelSlotInterface* panel = slotPanel(0);
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(panel->removeButton(), nullptr);
        const RECT area = shownRect(*panel);
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*panel->removeButton());
        pump(400);
        EXPECT_EQ(value(m.slots.getNumActiveParameter()), 0.0);
        EXPECT_EQ(text(m.slots.getSet(0)->target), "< Target >");
        EXPECT_EQ(slotPanel(0), nullptr) << "the slot's panel stays";
        const Picture after = look();
        save(after, "04-slot-removed");
        expectChanged(before, after, area, "removing the slot");
        before = after;
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("5: EG 1 removed");
        SourceInterface* eg = panelOf(m.egs);
        ASSERT_NE(eg, nullptr);
        ASSERT_NE(eg->removeButton(), nullptr);
        before = look();
        const RECT area = shownRect(*eg);
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*eg->removeButton());
        pump(800);
        EXPECT_EQ(value(m.egs.getNumActiveParameter()), 0.0);
        EXPECT_EQ(panelOf(m.egs), nullptr) << "EG 1's panel stays";
        const Picture after = look();
        save(after, "05-source-removed");
        expectChanged(before, after, area, "removing the source");
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("6: the MIDI source's input and response curve picked from their menus");
        auto* midi = dynamic_cast<MidiSourceInterface*>(panelOf(m.midiSources));
        ASSERT_NE(midi, nullptr);
        bringIntoView(*midi);
        MidiSourceParameterSet& set = m.midiSources[0];
        for (auto [button, parameter] :
             {std::pair<gui::SelectButton*, AbstractPluginParameter*>{midi->inputButton(), &set.input},
              {midi->curveButton(), &set.responseCurve}}) {
            ASSERT_NE(button, nullptr);
            SCOPED_TRACE(parameter->getName());
            const auto& items = button->menuItems();
            ASSERT_GE(items.size(), 3u) << "the menu is not filled";
            const int pick = int(items.size()) - 1;
            const std::string choice = items[size_t(pick)]->text.getValue();
            before = look();
            const Values was = values(*dll_);
            const int undo = undoCount();
            choose(*button, pick, choice);
            EXPECT_EQ(value(*parameter), double(pick));
            EXPECT_EQ(text(*parameter), choice);
            const Picture after = look();
            save(after, parameter == &set.input ? "06-midi-input" : "06-midi-curve");
            expectChanged(before, after, shownRect(*button), "the choice");
            expectOneUndoStep(was, undo);
        }
    }

    {
        SCOPED_TRACE("7: step 1 of XLFO 1 selected and its glide function picked");
        auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panelOf(m.xlfos));
        ASSERT_NE(xlfo, nullptr);
        bringIntoView(*xlfo);
        XLFOController* steps = xlfo->stepEditor();
        ASSERT_NE(steps, nullptr);
        const Values unselected = values(*dll_);
        selectStep(*steps, 0);
        EXPECT_EQ(differences(unselected, values(*dll_)), "") << "selecting a step changes it";
        ASSERT_NE(xlfo->stepPanel(), nullptr);
        auto* glide =
            dynamic_cast<gui::SelectButton*>(xlfo->stepPanel()->stepControl(XLFOController::kGlideFunction));
        ASSERT_NE(glide, nullptr);
        AbstractPluginParameter& function = m.xlfos[0].steps[0].glideFunction;
        const auto& items = glide->menuItems();
        ASSERT_GE(items.size(), 3u) << "the glide function's menu is not filled";
        const std::string choice = items[2]->text.getValue();
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        choose(*glide, 2, choice);
        EXPECT_EQ(value(function), 2.0);
        EXPECT_EQ(text(function), choice);
        const Picture after = look();
        save(after, "07-glide-function");
        expectChanged(before, after, shownRect(*glide), "the glide function's choice");
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("7b: a step added after the selected one, then removed");
        auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panelOf(m.xlfos));
        ASSERT_NE(xlfo, nullptr);
        XLFOController* steps = xlfo->stepEditor();
        XLFOController::StepInterface* panel = xlfo->stepPanel();
        ASSERT_NE(steps, nullptr);
        ASSERT_NE(panel, nullptr);
        AbstractPluginParameter& count = m.xlfos[0].steps.getNumActiveParameter();
        const double counted = value(count);
        gui::Control* add = panel->button(XLFOController::StepInterface::kAddStep);
        gui::Control* remove = panel->button(XLFOController::StepInterface::kRemoveStep);
        ASSERT_NE(add, nullptr);
        ASSERT_NE(remove, nullptr);
        before = look();
        Values was = values(*dll_);
        int undo = undoCount();
        click(*add);
        pump(500);
        EXPECT_EQ(value(count), counted + 1.0);
        // The new step copies the selected one, whose glide function was picked.
        EXPECT_EQ(value(m.xlfos[0].steps[1].glideFunction), value(m.xlfos[0].steps[0].glideFunction));
        EXPECT_EQ(value(m.xlfos[0].steps[1].value), value(m.xlfos[0].steps[0].value));
        EXPECT_TRUE(steps->isStepSelected(1)) << "the new step is not the selected one";
        Picture after = look();
        save(after, "07b-step-added");
        expectChanged(before, after, shownRect(*steps), "adding a step");
        expectOneUndoStep(was, undo);

        before = look();
        was = values(*dll_);
        undo = undoCount();
        click(*remove);
        pump(500);
        EXPECT_EQ(value(count), counted);
        after = look();
        save(after, "07b-step-removed");
        expectChanged(before, after, shownRect(*steps), "removing the step");
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("7c: the step panel hidden");
        auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panelOf(m.xlfos));
        ASSERT_NE(xlfo, nullptr);
        XLFOController* steps = xlfo->stepEditor();
        XLFOController::StepInterface* panel = xlfo->stepPanel();
        ASSERT_NE(steps, nullptr);
        ASSERT_NE(panel, nullptr);
        // Step 1 selected again: the panel shows.
        selectStep(*steps, 0);
        gui::Control* hide = panel->button(XLFOController::StepInterface::kHide);
        ASSERT_NE(hide, nullptr);
        const RECT area = shownRect(*panel);
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*hide);
        pump(600);
        EXPECT_TRUE(steps->selectedSteps().empty()) << "a step stays selected";
        EXPECT_EQ(panel->width.getValue(), 0.0f) << "the step panel does not slide out";
        EXPECT_EQ(differences(was, values(*dll_)), "") << "hiding the panel changes a parameter";
        EXPECT_EQ(undoCount(), undo) << "hiding the panel stores an undo step";
        const Picture after = look();
        save(after, "07c-step-panel-hidden");
        expectChanged(before, after, area, "hiding the step panel");
        expectInStep();
    }

    {
        SCOPED_TRACE("7d: the XLFO's phase offset dragged");
        auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panelOf(m.xlfos));
        ASSERT_NE(xlfo, nullptr);
        XLFOController::PhaseOffsetSlider* phase = xlfo->stepEditor()->phaseOffsetSlider();
        ASSERT_NE(phase, nullptr);
        AbstractPluginParameter& offset = m.xlfos[0].phaseOffset;
        const RECT area = shownRect(*phase);
        ASSERT_GT(area.right - area.left, 20) << "the phase offset strip is too narrow to drag";
        // A press on the handle grabs it; the drag moves it a third of the way.
        const float handle = phase->handleX() + XLFOController::PhaseOffsetSlider::kHandleWidth * 0.5f;
        const gui::Point grab = phase->toRoot(gui::Point(handle, phase->height.getValue() * 0.5f));
        ASSERT_TRUE(reaches(*phase, int(grab.x), int(grab.y)));
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        const int dx = (area.right - area.left) / 3;
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->drag(int(grab.x), int(grab.y), dx, 0, 8);
        pump(300);
        EXPECT_GT(value(offset), 0.2);
        Values expected = was;
        expected[size_t(offset.getIndex())] = value(offset);
        EXPECT_EQ(differences(expected, values(*dll_)), "") << "the drag changes more than the phase offset";
        const Picture after = look();
        save(after, "07d-phase-offset");
        expectChanged(before, after, area, "the phase offset's handle");
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("7e: with the step panel open, the strip scrolled to its end and MIDI 1's Input picked");
        auto* xlfo = dynamic_cast<XLFOSourceInterface*>(panelOf(m.xlfos));
        ASSERT_NE(xlfo, nullptr);
        bringIntoView(*xlfo);
        selectStep(*xlfo->stepEditor(), 0);
        ASSERT_NE(xlfo->stepPanel(), nullptr);
        ASSERT_GT(xlfo->stepPanel()->width.getValue(), 0.0f) << "the step panel does not open";
        gui::ScrollStrip& strip = sources().strip();
        gui::ScrollButton* forward = strip.forwardButton();
        ASSERT_NE(forward, nullptr);
        // The forward button, held until the strip goes no further (it
        // scrolls while pressed; both editors end at the strip's end).
        gui::ScrollArea& area = *strip.scrollArea();
        const POINT at = pointOn(*forward);
        for (EditorSession* session : {dll_.get(), twin_.get()}) {
            session->mouse(WM_MOUSEMOVE, at.x, at.y);
            session->mouse(WM_LBUTTONDOWN, at.x, at.y, MK_LBUTTON);
        }
        for (int i = 0; i < 100 && area.scrollX.getValue() < area.scrollX.getMaximum(); ++i)
            pump(100);
        pump(500);
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->mouse(WM_LBUTTONUP, at.x, at.y);
        pump(400);
        EXPECT_FLOAT_EQ(area.scrollX.getValue(), area.scrollX.getMaximum())
            << "the strip stops short of its end";
        auto* midi = dynamic_cast<MidiSourceInterface*>(panelOf(m.midiSources));
        ASSERT_NE(midi, nullptr);
        gui::SelectButton* input = midi->inputButton();
        ASSERT_NE(input, nullptr);
        // The whole MIDI panel shows at the strip's end.
        const RECT shown = shownRect(*midi);
        EXPECT_EQ(shown.right - shown.left, int(std::lround(midi->width.getValue())))
            << "the MIDI panel stands cut off at the strip's end";
        AbstractPluginParameter& parameter = m.midiSources[0].input;
        const int pick = 1;
        ASSERT_GT(input->menuItems().size(), size_t(pick));
        ASSERT_NE(value(parameter), double(pick));
        const std::string choice = input->menuItems()[size_t(pick)]->text.getValue();
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        choose(*input, pick, choice);
        EXPECT_EQ(value(parameter), double(pick));
        EXPECT_EQ(text(parameter), choice);
        const Picture after = look();
        save(after, "07e-midi-input-at-the-end");
        expectChanged(before, after, shownRect(*input), "the choice");
        expectOneUndoStep(was, undo);
    }

    AbstractPluginParameter& time = m.delay[0].time;
    FloatValueLabel* timeDisplay = editor().delayControls(0).timeDisplay;
    ASSERT_NE(timeDisplay, nullptr);
    {
        SCOPED_TRACE("8: a delay time typed into the Delay 1 Time knob's value display");
        gui::Knob* knob = editor().delayControls(0).time;
        ASSERT_NE(knob, nullptr);
        before = look();
        const RECT shownTime = shownRect(*timeDisplay);
        const Values was = values(*dll_);
        const int undo = undoCount();
        // The pointer over the knob shows its value display below it.
        const POINT over = pointOn(*knob);
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->mouse(WM_MOUSEMOVE, over.x, over.y);
        pump(400);
        auto* display = dynamic_cast<gui::MultiLabel*>(&editor().valueDisplay()->displayControl());
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(display->visible.getValue()) << "the knob shows no value display";
        // A double click on its value line opens the text entry.
        const gui::Rect line = display->lineRect(1);
        const gui::Point at =
            display->toRoot(gui::Point((line.left + line.right) * 0.5f, (line.top + line.bottom) * 0.5f));
        ASSERT_TRUE(reaches(*display, int(at.x), int(at.y)));
        for (EditorSession* session : {dll_.get(), twin_.get()}) {
            session->mouse(WM_MOUSEMOVE, int(at.x), int(at.y));
            session->doubleClick(int(at.x), int(at.y));
            pump(100);
            session->typeAndEnter("250");
            pump(100);
        }
        EXPECT_EQ(text(time), "250.0 ms");
        EXPECT_EQ(timeDisplay->shownText(), "250.0 ms");
        const Picture after = look();
        save(after, "08-typed-time");
        expectChanged(before, after, shownTime, "the typed time");
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("9: two taps 500 ms apart on the Delay 1 time display");
        // The plug-in reads the system's clock: the taps are paced in real
        // time, and the time between the two presses as this program saw it
        // is what the time must come within a few milliseconds of.
        const RECT area = shownRect(*timeDisplay);
        const POINT p = pointOn(*timeDisplay);
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        // A quick click shows the tap face.
        const auto first = Clock::now();
        dll_->click(p.x, p.y);
        twin_->click(p.x, p.y);
        dll_->pump(100);
        EXPECT_TRUE(timeDisplay->isTapMode());
        const Picture tapping = dll_->picture();
        save(tapping, "09-tap-face");
        expectChanged(before, tapping, area, "the tap face");
        while (Clock::now() < first + std::chrono::milliseconds(kTapInterval)) {
            test::pumpMessages();
            Sleep(1);
        }
        const double paced =
            double(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - first).count()) /
            1000.0;
        dll_->click(p.x, p.y);
        twin_->click(p.x, p.y);
        pump(200);
        const double tapped = millisecondsOf(text(time));
        EXPECT_NEAR(tapped, paced, 25.0) << text(time);
        EXPECT_NEAR(tapped, double(kTapInterval), 100.0) << text(time);
        // The twin tapped a few milliseconds apart from the plug-in: it
        // takes the plug-in's time, as automation.
        expectOneUndoStep(was, undo, nullptr, false);
        twin_->automate({{clap_id(time.getIndex()), value(time)}});
        expectInStep();
        EXPECT_EQ(timeDisplay->shownText(), text(time));
        expectChanged(before, look(), area, "the tapped time");
    }

    {
        SCOPED_TRACE("10: Delay 1 feedback inverted");
        AbstractPluginParameter& invert = m.delay[0].feedbackInvert;
        gui::ValueControl* button = controlOf(invert);
        ASSERT_NE(button, nullptr);
        const RECT area = shownRect(*button);
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*button);
        EXPECT_EQ(value(invert), 1.0);
        const Picture after = look();
        save(after, "10-feedback-inverted");
        expectChanged(before, after, area, "feedback invert");
        Picture undone;
        expectOneUndoStep(was, undo, &undone);
        EXPECT_LE(changedPixels(before, undone, area), 2) << "the undone feedback invert still looks on";
    }

    {
        SCOPED_TRACE("11: filter 2 switched on, then off and dimmed");
        AbstractPluginParameter& enabled = m.filter[1].enabled;
        gui::ValueControl* toggle = controlOf(enabled);
        gui::Control* component = editor().filterButton(1);
        ASSERT_NE(toggle, nullptr);
        ASSERT_NE(component, nullptr);
        const RECT area = shownRect(*component);
        before = look();
        click(*toggle);
        EXPECT_EQ(value(enabled), 1.0);
        const Picture on = look();
        save(on, "11-filter-2-on");
        expectChanged(before, on, area, "switching filter 2 on");
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*toggle);
        EXPECT_EQ(value(enabled), 0.0);
        const Picture off = look();
        save(off, "11-filter-2-off");
        expectChanged(on, off, area, "switching filter 2 off");
        EXPECT_LE(changedPixels(before, off, area), 2) << "filter 2 switched off looks other than at first";
        expectOneUndoStep(was, undo);
    }

    {
        SCOPED_TRACE("11b: the filter section folded with its Hide button, unfolded with filter 1's button");
        FilterInterface* section = editor().filterInterface();
        ASSERT_NE(section, nullptr);
        ASSERT_NE(section->hideButton(), nullptr);
        const RECT area = shownRect(*section);
        before = look();
        const Values was = values(*dll_);
        const int undo = undoCount();
        click(*section->hideButton());
        pump(800);
        EXPECT_EQ(m.getVarnelSettings().expandedSection.getValue(), -1) << "the section stays open";
        const Picture folded = look();
        save(folded, "11b-filters-folded");
        expectChanged(before, folded, area, "folding the filter section");
        gui::Control* button = editor().filterButton(0);
        ASSERT_NE(button, nullptr);
        click(*button);
        pump(800);
        EXPECT_NE(m.getVarnelSettings().expandedSection.getValue(), -1) << "the section stays folded";
        ASSERT_NE(editor().filterInterface(), nullptr);
        const Picture unfolded = look();
        save(unfolded, "11b-filters-unfolded");
        expectChanged(folded, unfolded, area, "unfolding the filter section");
        // A view, not an edit.
        EXPECT_EQ(differences(was, values(*dll_)), "");
        EXPECT_EQ(undoCount(), undo);
        before = unfolded;
    }

    {
        SCOPED_TRACE("12: Delay 1 Feedback learnt from controller 21");
        AbstractPluginParameter& feedback = m.delay[0].feedback;
        gui::Knob* knob = editor().delayControls(0).feedback;
        const VarnelInterface::BottomBar& bar = editor().bottomBar();
        ASSERT_NE(knob, nullptr);
        ASSERT_NE(bar.midiLearn, nullptr);
        ASSERT_NE(bar.light, nullptr);
        const RECT light = shownRect(*bar.light);
        // The armed ghost's frame lies on the knob's edge.
        RECT knobArea = shownRect(*knob);
        InflateRect(&knobArea, 3, 3);
        const POINT onKnob = pointOn(*knob);
        click(*bar.midiLearn);
        pump(400);
        ASSERT_TRUE(editor().midiLearn().hasOverlay()) << "MIDI Learn opens no overlay";
        const Picture learning = look();
        save(learning, "12-learn-mode");
        // A click on the knob's ghost arms it.
        ASSERT_TRUE(reaches(*editor().midiLearn().overlay(), onKnob.x, onKnob.y));
        for (EditorSession* session : {dll_.get(), twin_.get()})
            session->click(onKnob.x, onKnob.y);
        pump(300);
        EXPECT_EQ(editor().midiLearn().armedIdentifier(), uint32_t(feedback.getIndex()));
        const Picture armed = look();
        save(armed, "12-armed");
        expectChanged(learning, armed, knobArea, "arming the knob");

        // The controller arrives through the host's process call: the MIDI
        // light lights for a moment (looked for until it does) and goes out.
        ASSERT_TRUE(dll_->plugin().activate(48000.0, 32, 512));
        HostEventList controller;
        controller.addMidi(0, 0, 0xB0, 21, 64);
        dll_->plugin().process(64, controller);
        bool lit = false;
        for (const auto until = Clock::now() + std::chrono::seconds(1); !lit && Clock::now() < until;) {
            dll_->pump(5);
            lit = changedPixels(armed, dll_->picture(), light) >= 4;
        }
        EXPECT_TRUE(lit) << "the MIDI light does not light";
        dll_->pump(600);
        EXPECT_LE(changedPixels(armed, dll_->picture(), light), 2) << "the MIDI light stays lit";
        save(dll_->settledPicture(), "12-learnt");

        // Out of learn mode the controller moves the knob's parameter, and
        // the host hears of each value.
        click(*bar.midiLearn);
        pump(400);
        EXPECT_FALSE(editor().midiLearn().isActive());
        for (uint8_t position : {uint8_t(0), uint8_t(127)}) {
            SCOPED_TRACE(int(position));
            HostEventList move;
            move.addMidi(0, 0, 0xB0, 21, position);
            dll_->plugin().process(64, move);
            const double expected = position == 0 ? 0.0 : 1.0;
            bool told = false;
            const HostEventCollector& out = dll_->plugin().outputEvents();
            for (size_t i = 0; i < out.size(); ++i)
                if (const clap_event_header_t* header = out.get(i);
                    header->space_id == CLAP_CORE_EVENT_SPACE_ID && header->type == CLAP_EVENT_PARAM_VALUE) {
                    const auto* event = reinterpret_cast<const clap_event_param_value_t*>(header);
                    if (event->param_id == clap_id(feedback.getIndex()) && event->value == expected)
                        told = true;
                }
            EXPECT_TRUE(told) << "the host hears no value of " << feedback.getName();
            dll_->pump(50);
            EXPECT_EQ(value(feedback), expected);
        }
    }
}

} // namespace
