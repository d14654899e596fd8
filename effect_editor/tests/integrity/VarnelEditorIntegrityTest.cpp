// The product's editor as a user meets it: the real VarnelInterface with its
// own skin, styles and texts, opened on the effect's model in the window of
// the platform (GDI text under Wine, the headless platform's metric
// natively) at scales 1.0, 1.5 and 2.0, in each state a user reaches first
// (fresh, full and MIDI learn: EditorStates.h).
// Its whole control tree is walked and every shown control checked
// (editor/tests/walk/IntegrityCheck.h), with this product's own
// expectations of each state beside them. Faults that other work mends
// stand in one table below; each entry must still occur, so that the table
// reads as what is left to do and is emptied as they are mended.

#include "editor/ComponentButton.h"
#include "editor/HelpHint.h"
#include "editor/HotspotButton.h"
#include "editor/StandardButtons.h"
#include "editor/tests/TestEditorModel.h"
#include "editor/tests/walk/ControlPicture.h"
#include "editor/tests/walk/ControlWalk.h"
#include "editor/tests/walk/IntegrityCheck.h"
#include "editor/tests/walk/KnownFaults.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/tests/integrity/EditorStates.h"
#include "effect_editor/tests/integrity/EditorWindow.h"
#include "effect_editor/tests/integrity/SkinLettering.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/LevelButton.h"
#include "gui/Light.h"
#include "gui/RootControl.h"
#include "gui/RootLockScope.h"
#include "gui/Shape.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "modulation_editor/FloatValueLabel.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/SourceInterface.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/XYControllerButton.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using walk::Finding;
using walk::KnownFault;
using walk::Rule;

using editor_states::State;
using editor_states::stateName;

// Faults this check found that are not mended yet: each entry lets exactly
// its controls fail its rule, and fails the test once the fault is gone, so
// that it is removed. None is left.
std::vector<KnownFault> knownFaults() {
    return {};
}

class VarnelEditorIntegrity : public test::VarnelModelRig, public ::testing::WithParamInterface<float> {
protected:
    void TearDown() override {
        close();
        VarnelModelRig::TearDown();
    }

    void open(State state) {
        editor_states::prepareModel(*model, state);
        window = EditorWindow::open(float(model->getInterfaceWidth()), float(model->getInterfaceHeight()),
                                    GetParam());
        editor = std::make_unique<VarnelInterface>(window->userInterface(), *model, nullptr);
        editor_states::prepareEditor(*editor, *model, state);
        window->advance(2000);
    }

    void close() {
        editor.reset();
        window.reset();
    }

    gui::RootControl& root() { return *window->userInterface().rootControl(); }

    // Sets a parameter as automation does and tells the editor.
    void automate(AbstractPluginParameter& parameter, float value) {
        parameter.setValue(value, kParameterChangeNotToHost);
        editor->refreshControls(parameter.getIndex());
    }

    // Scrolls the source strip to the panel and lets it settle.
    void showSource(int32_t position) {
        editor_states::showSource(*editor, position);
        window->advance(1000);
    }

    // A finding seen in several views of a state counts once.
    static void addOnce(std::vector<Finding>& findings, const Finding& f) {
        for (const Finding& seen : findings)
            if (seen.rule == f.rule && seen.pointer == f.pointer) return;
        findings.push_back(f);
    }

    walk::IntegrityCheck::Hooks hooks() {
        walk::IntegrityCheck::Hooks h;
        // Faces that are their own label: the hotspots around a knob, the
        // filter buttons' curves, the XY pad, the strips' arrow buttons, the
        // selection bar's selector and source buttons (named only where
        // they are wide enough) and a slot's level bar.
        h.faceIsLabel = [](const walk::ShownControl& shown) {
            gui::Control* c = shown.control;
            return dynamic_cast<HotspotButton*>(c) != nullptr ||
                   dynamic_cast<ComponentButton*>(c) != nullptr ||
                   dynamic_cast<XYControllerButton*>(c) != nullptr || shown.kind == "ScrollButton" ||
                   dynamic_cast<SourceSelectionBar::SourceSelector*>(c) != nullptr ||
                   dynamic_cast<SourceSelectionBar::SourceButton*>(c) != nullptr ||
                   dynamic_cast<gui::LevelButton*>(c) != nullptr;
        };
        // The selection bar's edges take the bar's colour, which this
        // product leaves clear.
        h.drawsNothing = [](const walk::ShownControl& shown) {
            auto* shape = dynamic_cast<gui::Shape*>(shown.control);
            return shape != nullptr && shape->fillColor.getValue().a == 0;
        };
        h.valueDisplay = [](gui::Control& control) -> AbstractPluginParameter* {
            auto* label = dynamic_cast<FloatValueLabel*>(&control);
            return label != nullptr ? label->parameter() : nullptr;
        };
        h.setParameter = [this](AbstractPluginParameter& parameter, float value) {
            automate(parameter, value);
        };
        h.lettering = [this](gui::Image& image) { return lettering->of(image); };
        return h;
    }

    // The bound parameter's name, else the skin's style of a button.
    walk::ControlWalk::Describe describer() { return editor_states::describer(*editor, *model); }

    // What the product promises of the state, beyond the rules.
    std::vector<Finding> expectations(State state, int32_t view, const walk::ControlWalk& tree) {
        std::vector<Finding> findings;
        auto fail = [&](gui::Control* control, const std::string& detail) {
            const walk::ShownControl* shown = tree.find(control);
            findings.push_back({Rule::kExpectation,
                                shown != nullptr ? shown->name : walk::ControlWalk::kindOf(*control), control,
                                detail});
        };
        if (state == State::kFresh) {
            gui::ImageLabel* hint = editor->helpLabel();
            gui::Button* help = editor->standardButtons().button(StandardButtonKind::kHelp);
            const walk::ShownControl* shownHint = tree.find(hint);
            const walk::ShownControl* shownHelp = tree.find(help);
            if (shownHint == nullptr || shownHelp == nullptr) {
                fail(hint, "the welcome hint or the Help button does not show");
                return findings;
            }
            if (!gui::intersection(shownHint->bounds, shownHelp->bounds).isEmpty())
                fail(hint, "the welcome hint covers the Help button");
            // Its arrow points at the Help button.
            const walk::ShownControl* arrow = tree.find(editor->hint().arrow());
            const float tip = arrow != nullptr ? (arrow->bounds.left + arrow->bounds.right) * 0.5f : -1.0f;
            if (tip < shownHelp->bounds.left || tip > shownHelp->bounds.right)
                fail(hint, "the welcome hint's arrow does not point at the Help button");
        }
        if (state == State::kFull) {
            // The XY pad shows where its point stands.
            for (const walk::ShownControl& shown : tree.controls()) {
                auto* pad = dynamic_cast<XYControllerButton*>(shown.control);
                if (pad == nullptr) continue;
                AbstractPluginParameter& x = model->xyControllers[0].hor;
                const float was = x.getValue();
                automate(x, x.getMin());
                const walk::ControlPicture left = walk::ControlPicture::of(*pad);
                automate(x, x.getMax());
                const walk::ControlPicture right = walk::ControlPicture::of(*pad);
                automate(x, was);
                if (left.differingPixels(right, 8) < 4) fail(pad, "looks the same wherever its point stands");
            }
        }
        if (state == State::kLearn && view == 0) {
            // A controller arrives: the bottom bar's MIDI light lights.
            editor->pluginChanged(GenericPlugin::kMidiControllerSeen, 7);
            window->advance(20);
            if (gui::Light* light = editor->bottomBar().light; light != nullptr && !light->on.getValue())
                fail(light, "stays dark when a controller arrives");
        }
        return findings;
    }

    // With VARNEL_INTEGRITY_PICTURES set to a folder, the window of each
    // state goes there as a PNG file (to look at what the check saw).
    void savePicture(State state, int32_t view) {
        const char* folder = std::getenv("VARNEL_INTEGRITY_PICTURES");
        if (folder == nullptr) return;
        const char* names[] = {"fresh", "full", "learn"};
        std::ofstream file(std::string(folder) + "/" + names[int(state)] +
                               std::to_string(int(std::lround(GetParam() * 100.0f))) + "-" +
                               std::to_string(view) + ".png",
                           std::ios::binary);
        file << walk::ControlPicture::of(root()).png();
    }

    std::unique_ptr<EditorWindow> window;
    std::unique_ptr<VarnelInterface> editor;
    std::unique_ptr<SkinLettering> lettering;
};

TEST_P(VarnelEditorIntegrity, EveryShownControlIsWholeLabelledAndStatefulInEachState) {
    SCOPED_TRACE(EditorWindow::textEngine() + " text");
    walk::KnownFaults known(knownFaults());
    for (State state : {State::kFresh, State::kFull, State::kLearn}) {
        SCOPED_TRACE(stateName(state));
        open(state);
        lettering = std::make_unique<SkinLettering>(window->userInterface());
        ASSERT_GT(lettering->artCount(), 0u) << "no lettered art in "
                                             << "resources/skin";
        std::vector<Finding> findings;
        // Each source panel in view in turn (the strip shows a few at a
        // time), the XLFO's first step selected so that its step panel shows.
        const int32_t views = state == State::kFresh ? 1 : editor->sourceController()->containerCount();
        for (int32_t view = 0; view < views; ++view) {
            if (state != State::kFresh) showSource(view);
            gui::RootLockScope lock(root());
            savePicture(state, view);
            const walk::ControlWalk tree(root(), describer());
            ASSERT_GT(tree.controls().size(), 20u);
            for (Finding& f : walk::IntegrityCheck(tree, hooks()).run())
                addOnce(findings, f);
            for (Finding& f : expectations(state, view, tree))
                addOnce(findings, f);
            if (state == State::kFresh) continue;
            // The strip brings the panel into view.
            SourceContainer* container = editor->sourceController()->containerAt(view);
            const walk::ShownControl* shown = tree.find(container);
            if (shown == nullptr || shown->seen.width() < container->width.getValue() - 1.0f)
                addOnce(findings, {Rule::kExpectation,
                                   walk::ControlWalk::kindOf(*container->panel()) + " " +
                                       container->panel()->sourceName(),
                                   container, "the source strip cannot bring it into view"});
        }
        for (const Finding& f : known.unexpected(findings))
            ADD_FAILURE() << stateName(state) << ": " << walk::describe(f);
        lettering.reset();
        close();
    }
    for (const KnownFault* entry : known.unmatched())
        ADD_FAILURE() << "known fault " << entry->fault << " (" << entry->what << ", "
                      << walk::ruleName(entry->rule) << ") no longer occurs: remove it from the table";
}

INSTANTIATE_TEST_SUITE_P(Scales, VarnelEditorIntegrity, ::testing::Values(1.0f, 1.5f, 2.0f),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return "At" + std::to_string(int(std::lround(info.param * 100.0f)));
                         });

} // namespace
