// Every control of the product's editor pressed as a new user tries it:
// the real VarnelInterface with its own skin on the headless platform (menus
// and dialogs dismissed as a person cancels them), in the fresh state and
// the full one with each source panel scrolled into view in turn
// (EditorStates.h). Every shown, enabled value control that a press reaches
// is tried on a freshly opened editor and model of its own: the pointer
// rests on it until its help hint has shown, then it is pressed and
// released where a hit test reaches it; a knob, slider or value button is
// then also dragged a little and turned one wheel step. What each action
// changed is recorded: parameter values, the undo history, A/B compare, the
// current preset, the shown controls (panels shown, hidden, moved or
// resized, the values controls show), the window's size, the help hint,
// menus and dialogs opened, documents opened and the clipboard.
//
// A control fails when
//   - nothing observable changes, unless the passive table lists it with
//     the reason a user would expect nothing;
//   - an action of a control bound to a parameter changes another one (its
//     chained followers aside);
//   - an action stores an undo step without changing a parameter or the
//     current preset, or changes a parameter without storing one.
// The passive table reads as the editor's honest list of controls that do
// nothing on a fresh editor; each entry must still match a passive control,
// so that an entry whose controls all start acting leaves it.

#include "editor/ComponentButton.h"
#include "editor/ControlChangeManager.h"
#include "editor/HelpHint.h"
#include "editor/tests/TestEditorModel.h"
#include "editor/tests/walk/ControlWalk.h"
#include "editor/tests/walk/IntegrityCheck.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/tests/integrity/EditorStates.h"
#include "gui/FloatValueButton.h"
#include "gui/IntValueButton.h"
#include "gui/Knob.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/RootLockScope.h"
#include "gui/ScrollButton.h"
#include "gui/Switch.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessPlatformDelegate.h"
#include "gui/headless/ModalResponder.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/XYControllerButton.h"
#include "modulation_editor/tests/VarnelEditorRig.h"
#include "plugin/CurrentPresetRecord.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using editor_states::State;
using editor_states::stateName;
using gui::headless::HeadlessInterface;
using gui::headless::ModalResponder;

// Controls that change nothing a user can see when pressed on a freshly
// opened editor, with the reason a user expects nothing. An entry names the
// state it holds in and a text of the control's name in the walk.
struct Passive {
    State state;
    const char* control;
    const char* reason;
};

const Passive kPassive[] = {
    {State::kFull, "SourceDragButton", "it acts only when dragged onto a target"},
    {State::kFull, "[EG 1 Triggering]", "the choice already selected in its group"},
    {State::kFull, "[EF 1Input]", "the choice already selected in its group"},
    {State::kFull, "The Remove Step button", "the XLFO has one step, and never fewer"},
    {State::kFull, "SourceButton 'XLFO 1'", "its panel is in view already"},
    {State::kFull, "ScrollButton [style 16]",
     "the backward scroll button: the strip is at its start already"},
    {State::kFull, "SourceSelectionBar::SourceSelector",
     "a press clicks the source button beneath, whose panel is "
     "in view already"},
};

// The time after which the help hint of the control under the pointer has
// shown (it pops up after one second).
constexpr int kHoverTime = 1200;
// One frame of the render loop, and how long a click holds a button.
constexpr int kFrameTime = 16;
constexpr int kClickTime = 150;
// The time an action is given to settle: past the double-click time (so the
// next press is a press of its own) and the end of a wheel gesture.
constexpr int kSettleTime = 600;
// A short drag: this many moves of this many pixels right and up.
constexpr int kDragMoves = 3;
constexpr float kDragStep = 4.0f;
// Held past a quick click (a tap on a time display).
constexpr int kDragMoveTime = 100;
// One lone wheel notch as the window gives it: one notch over the longest
// interval between notches (500 ms), three lines of 10 units.
const gui::Point kWheelSpeed(0.0f, 1.0f / 500.0f);
const gui::Point kWheelDistance(0.0f, 30.0f);
// Where the pointer goes between actions: outside the window.
const gui::Point kAway(-10.0f, -10.0f);

std::string rectText(const gui::Rect& r) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g, %g)", r.left, r.top, r.right, r.bottom);
    return text;
}

// What a user can observe of the editor and its model.
struct Snapshot {
    std::vector<float> values;
    int32_t undoCount = 0;
    int32_t redoCount = 0;
    int32_t undoIndex = 0;
    int32_t compareSlot = 0;
    std::string preset;
    bool presetModified = false;
    std::vector<std::string> shown;
    float width = 0.0f;
    float height = 0.0f;
    std::string hint;
    std::size_t modals = 0;
    std::size_t documents = 0;
    std::string clipboard;
};

// A target of the sweep: the control at a place in the walk of a view.
struct Target {
    int32_t view = 0;
    std::size_t index = 0;
    std::string name;
    gui::Point point;
    // A knob, slider, value button, XY pad or component button (a filter
    // button is dragged).
    bool turns = false;
};

class VarnelEditorSweep : public test::VarnelModelRig {
protected:
    void TearDown() override {
        close();
        VarnelModelRig::TearDown();
    }

    // A new model and editor in the state, the source panel at the view in
    // sight.
    void open(State state, int32_t view) {
        close();
        adapter.reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<test::RecordingAdapter>(*model);
        ModalResponder::reset();
        gui::headless::HeadlessPlatformDelegate::clearOpenedDocuments();
        editor_states::prepareModel(*model, state);
        ui = std::make_unique<HeadlessInterface>(float(model->getInterfaceWidth()),
                                                 float(model->getInterfaceHeight()), 1000);
        editor = std::make_unique<VarnelInterface>(*ui, *model, nullptr);
        editor_states::prepareEditor(*editor, *model, state);
        ui->advance(2000);
        if (state != State::kFresh) {
            editor_states::showSource(*editor, view);
            ui->advance(1000);
        }
        ui->paint();
    }

    void close() {
        editor.reset();
        ui.reset();
    }

    gui::RootControl& root() { return *ui->rootControl(); }

    walk::ControlWalk::Describe describer() { return editor_states::describer(*editor, *model); }

    static bool disabled(const walk::ShownControl& shown) {
        for (const gui::Control* c = shown.control; c != nullptr; c = c->getParent())
            if (!c->enabled.getValue()) return true;
        return false;
    }

    // Every control of the state that takes presses, once, in the first
    // view where a press reaches it.
    std::vector<Target> targets(State state) {
        std::vector<Target> found;
        std::set<const gui::Control*> seen;
        open(state, 0);
        const int32_t views = state == State::kFresh ? 1 : editor->sourceController()->containerCount();
        for (int32_t view = 0; view < views; ++view) {
            if (view > 0) {
                editor_states::showSource(*editor, view);
                ui->advance(1000);
            }
            gui::RootLockScope lock(root());
            const walk::ControlWalk tree(root(), describer());
            for (std::size_t i = 0; i < tree.controls().size(); ++i) {
                const walk::ShownControl& shown = tree.controls()[i];
                if (dynamic_cast<gui::ValueControl*>(shown.control) == nullptr || disabled(shown) ||
                    seen.count(shown.control) != 0)
                    continue;
                const std::optional<gui::Point> point = walk::reachPoint(tree, shown);
                if (!point) continue;
                seen.insert(shown.control);
                found.push_back({view, i, shown.name, *point,
                                 dynamic_cast<gui::Knob*>(shown.control) != nullptr ||
                                     dynamic_cast<gui::Switch*>(shown.control) != nullptr ||
                                     dynamic_cast<gui::FloatValueButton*>(shown.control) != nullptr ||
                                     dynamic_cast<gui::IntValueButton*>(shown.control) != nullptr ||
                                     dynamic_cast<XYControllerButton*>(shown.control) != nullptr ||
                                     dynamic_cast<ComponentButton*>(shown.control) != nullptr});
            }
        }
        return found;
    }

    Snapshot snapshot() {
        Snapshot s;
        for (int32_t i = 0; i < model->getNumParameters(); ++i)
            s.values.push_back(model->getParameter(i)->getValue());
        if (GenericPlugin::UndoHistory* history = model->getUndoHistory()) {
            s.undoCount = history->getUndoCount();
            s.redoCount = history->getRedoCount();
            s.undoIndex = history->getIndex();
        }
        if (GenericPlugin::CompareStates* compare = model->getCompareStates())
            s.compareSlot = compare->getActive();
        s.preset = model->getCurrentPreset().getName();
        s.presetModified = model->getCurrentPreset().isModified();
        {
            gui::RootLockScope lock(root());
            const walk::ControlWalk tree(root(), describer());
            for (const walk::ShownControl& shown : tree.controls()) {
                std::string line = shown.name + " at " + rectText(shown.bounds);
                if (auto* value = dynamic_cast<gui::ValueControl*>(shown.control))
                    line += " = " + std::to_string(value->value.getValue());
                s.shown.push_back(line);
            }
            s.width = root().width.getValue();
            s.height = root().height.getValue();
        }
        s.hint = editor->hint().isShown() ? editor->hint().text() : std::string();
        s.modals = ModalResponder::requests().size();
        s.documents = gui::headless::HeadlessPlatformDelegate::openedDocuments().size();
        s.clipboard = ui->platformDelegate().clipboardText();
        return s;
    }

    // The indices of the parameters whose values differ.
    static std::vector<int32_t> changedParameters(const Snapshot& a, const Snapshot& b) {
        std::vector<int32_t> changed;
        for (std::size_t i = 0; i < a.values.size() && i < b.values.size(); ++i)
            if (a.values[i] != b.values[i]) changed.push_back(int32_t(i));
        return changed;
    }

    // What differs, as a reader of the report wants it; empty for nothing.
    std::vector<std::string> differences(const Snapshot& a, const Snapshot& b) {
        std::vector<std::string> d;
        for (int32_t i : changedParameters(a, b))
            d.push_back("parameter " + model->getParameter(i)->getName() + " " +
                        std::to_string(a.values[size_t(i)]) + " -> " + std::to_string(b.values[size_t(i)]));
        if (a.undoCount != b.undoCount || a.redoCount != b.redoCount || a.undoIndex != b.undoIndex)
            d.push_back("undo history " + std::to_string(a.undoCount) + "/" + std::to_string(a.redoCount) +
                        " -> " + std::to_string(b.undoCount) + "/" + std::to_string(b.redoCount));
        if (a.compareSlot != b.compareSlot) d.push_back("A/B compare slot");
        if (a.preset != b.preset) d.push_back("preset '" + a.preset + "' -> '" + b.preset + "'");
        if (a.presetModified != b.presetModified)
            d.push_back(b.presetModified ? "preset modified" : "preset saved");
        if (a.width != b.width || a.height != b.height) d.push_back("window size");
        if (a.shown != b.shown) {
            std::size_t first = 0;
            while (first < a.shown.size() && first < b.shown.size() && a.shown[first] == b.shown[first])
                ++first;
            d.push_back("shown controls (" + std::to_string(a.shown.size()) + " -> " +
                        std::to_string(b.shown.size()) +
                        ", first: " + (first < b.shown.size() ? b.shown[first] : std::string("gone")) + ")");
        }
        if (a.hint != b.hint) d.push_back("help hint '" + b.hint.substr(0, 40) + "'");
        if (a.modals != b.modals) {
            const gui::headless::ModalRequest& request = ModalResponder::requests().back();
            d.push_back(request.kind == gui::headless::ModalRequest::Kind::kMenu
                            ? "a menu of " + std::to_string(request.items.size()) + " items"
                            : "a dialog '" + request.title + request.text.substr(0, 30) + "'");
        }
        if (a.documents != b.documents) d.push_back("a document opened");
        if (a.clipboard != b.clipboard) d.push_back("the clipboard");
        return d;
    }

    // The bound parameter and those chained to it.
    std::set<int32_t> chainOf(int32_t index) {
        std::set<int32_t> chain{index};
        for (int32_t i = editor->link(index).next; i >= 0 && chain.insert(i).second;
             i = editor->link(i).next) {
        }
        for (int32_t i = editor->link(index).previous; i >= 0 && chain.insert(i).second;
             i = editor->link(i).previous) {
        }
        return chain;
    }

    // The faults of one action of a control, with what it changed.
    void judge(const Target& target, const char* action, int32_t bound, const Snapshot& before,
               const Snapshot& after, std::vector<std::string>& changes, std::vector<std::string>& faults) {
        const std::vector<std::string> d = differences(before, after);
        for (const std::string& line : d)
            changes.push_back(std::string(action) + ": " + line);
        const std::vector<int32_t> changed = changedParameters(before, after);
        if (bound >= 0) {
            const std::set<int32_t> chain = chainOf(bound);
            for (int32_t i : changed)
                if (chain.count(i) == 0)
                    faults.push_back(target.name + ": " + action + " changes " +
                                     model->getParameter(i)->getName() + ", not its " +
                                     model->getParameter(bound)->getName());
        }
        const bool stored = after.undoCount > before.undoCount;
        // The A/B slot is part of what an undo step restores.
        const bool edited =
            !changed.empty() || before.preset != after.preset || before.compareSlot != after.compareSlot;
        const bool undone = after.undoIndex != before.undoIndex && !stored;
        if (stored && !edited)
            faults.push_back(target.name + ": " + action + " stores an undo step without a change");
        if (edited && !stored && !undone)
            faults.push_back(target.name + ": " + action + " changes " +
                             (changed.empty() ? std::string("the preset")
                                              : model->getParameter(changed.front())->getName()) +
                             " but stores no undo step");
    }

    // Presses the target on a fresh editor; what its actions changed goes to
    // changes, its faults to faults.
    void sweep(State state, const Target& target, std::vector<std::string>& changes,
               std::vector<std::string>& faults) {
        open(state, target.view);
        gui::ValueControl* control = nullptr;
        {
            gui::RootLockScope lock(root());
            const walk::ControlWalk tree(root(), describer());
            if (target.index < tree.controls().size() && tree.controls()[target.index].name == target.name)
                control = dynamic_cast<gui::ValueControl*>(tree.controls()[target.index].control);
        }
        if (control == nullptr) {
            faults.push_back(target.name + ": not found again on a fresh editor");
            return;
        }
        const int32_t bound = editor->indexOfControl(control);
        const gui::Point p = target.point;
        // Each action starts with the pointer come to rest on the control
        // (its help hint shown, what an earlier action showed gone) and ends
        // with it there again.
        auto rest = [&]() -> std::optional<Snapshot> {
            ui->mouseMove(kAway);
            ui->advance(kSettleTime);
            {
                gui::RootLockScope lock(root());
                const walk::ControlWalk tree(root(), describer());
                if (tree.find(control) == nullptr || !tree.reaches(*control, p)) return std::nullopt;
            }
            ui->mouseMove(p);
            ui->advance(kHoverTime);
            return snapshot();
        };
        // A scroll button scrolls while the pointer rests on it: what it
        // did counts from before the pointer came.
        std::optional<Snapshot> away;
        if (dynamic_cast<gui::ScrollButton*>(control) != nullptr) {
            ui->mouseMove(kAway);
            ui->advance(kSettleTime);
            away = snapshot();
        }
        std::optional<Snapshot> before = rest();
        if (!before) return;
        if (away) {
            away->hint = before->hint;
            before = std::move(away);
        }
        ui->mouseDown(0, p, gui::kLeftButton);
        // A scroll button scrolls frame by frame while it is held: a user's
        // click holds it a moment.
        if (dynamic_cast<gui::ScrollButton*>(control) != nullptr)
            for (int t = 0; t < kClickTime; t += kFrameTime)
                ui->advance(kFrameTime);
        ui->mouseUp(0, p);
        ui->advance(kSettleTime);
        judge(target, "press", bound, *before, snapshot(), changes, faults);
        // A press may have rebuilt, moved or covered the control: the later
        // actions need it where it was.
        if (!target.turns || !(before = rest())) return;
        // Towards the end of its range that has room.
        const float up = control->value.getValue() < control->maximum.getValue() ? 1.0f : -1.0f;
        ui->mouseDown(0, p, gui::kLeftButton);
        gui::Point at = p;
        for (int move = 1; move <= kDragMoves; ++move) {
            ui->advance(kDragMoveTime);
            at = gui::Point(p.x + up * kDragStep * float(move), p.y - up * kDragStep * float(move));
            ui->mouseMove(at, gui::kLeftButton);
        }
        ui->mouseUp(0, at);
        ui->mouseMove(p);
        ui->advance(kSettleTime);
        judge(target, "drag", bound, *before, snapshot(), changes, faults);
        if (!(before = rest())) return;
        const float way = control->value.getValue() < control->maximum.getValue() ? 1.0f : -1.0f;
        ui->mouseWheel(p, 0, gui::Point(0.0f, kWheelSpeed.y * way), gui::Point(0.0f, kWheelDistance.y * way),
                       1.0f);
        ui->advance(kSettleTime);
        judge(target, "wheel", bound, *before, snapshot(), changes, faults);
    }

    void sweepState(State state) {
        SCOPED_TRACE(stateName(state));
        const std::vector<Target> all = targets(state);
        ASSERT_GT(all.size(), 20u);
        std::vector<bool> passiveSeen(std::size(kPassive), false);
        for (const Target& target : all) {
            std::vector<std::string> changes, faults;
            sweep(state, target, changes, faults);
            const Passive* passive = nullptr;
            for (std::size_t i = 0; i < std::size(kPassive); ++i)
                if (kPassive[i].state == state &&
                    target.name.find(kPassive[i].control) != std::string::npos) {
                    passive = &kPassive[i];
                    if (changes.empty()) passiveSeen[i] = true;
                }
            if (std::getenv("VARNEL_SWEEP_LOG") != nullptr) {
                std::printf("%s [view %d] %s\n", stateName(state), int(target.view), target.name.c_str());
                for (const std::string& line : changes)
                    std::printf("    %s\n", line.c_str());
            }
            for (const std::string& fault : faults)
                ADD_FAILURE() << fault;
            if (changes.empty() && passive == nullptr)
                ADD_FAILURE() << target.name << " (view " << target.view << ", pressed at " << target.point.x
                              << ", " << target.point.y
                              << "): a press changes nothing observable; list it as passive with its reason "
                                 "or mend it";
        }
        for (std::size_t i = 0; i < std::size(kPassive); ++i)
            if (kPassive[i].state == state && !passiveSeen[i])
                ADD_FAILURE() << "passive entry '" << kPassive[i].control
                              << "' matches no passive control: remove it from the table";
    }

    std::unique_ptr<HeadlessInterface> ui;
    std::unique_ptr<VarnelInterface> editor;
};

TEST_F(VarnelEditorSweep, EveryControlOfTheFreshEditorDoesWhatItSays) {
    sweepState(State::kFresh);
}

TEST_F(VarnelEditorSweep, EveryControlOfTheFullEditorDoesWhatItSays) {
    sweepState(State::kFull);
}

} // namespace
