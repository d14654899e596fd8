#pragma once

// ZentorPluginInterface: the maker's common editor layer. It gives every
// editor of the maker the same look: the background bitmap, the shared
// animator (15 ticks per second), the "Dialog", "Remove" and "Bar" button
// styles, the light bitmaps, the value display's look and the help hint's
// label. The About dialog, the MIDI-learn overlay and the external preset
// selector are slots that the editor's dialogs, MIDI learn and menus fill in.
//
// Artwork: a style or bitmap whose resources are missing keeps the default
// look (empty bitmaps) instead of failing the editor.
//
// Threading: GUI thread.

#include "editor/GenericDialog.h"
#include "editor/GenericPluginInterface.h"
#include "gui/Button.h"

#include <cstdint>
#include <memory>
#include <string>

namespace gui {
class Bitmap;
class Control;
class ImageLabel;
class MultiLabel;
} // namespace gui

class ZentorPluginInterface : public GenericPluginInterface {
public:
    static constexpr int kAnimatorRate = 15;
    static constexpr const char* kBackgroundName = "Background.png";
    static constexpr const char* kValueDisplayBackground = "ParameterValueDisplayBackground.png";
    static constexpr const char* kHelpHintBackground = "HelpHintBackground.png";
    static constexpr const char* kHelpHintArrow = "HelpHintArrow.png";
    // Left of the help hint's label: this far left of the Help button's centre.
    static constexpr float kHelpHintOffset = 10.0f;
    // Below the Help button: this far under its bottom edge.
    static constexpr float kHelpHintGap = 1.0f;

    ZentorPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                          uint32_t featureFlags = 0);
    ~ZentorPluginInterface() override;

    // --- Slots
    static constexpr const char* kLearnLabelBackground = "MidiLearnLabelBackground.png";
    static constexpr const char* kLearnControllerLabel = "MidiLearnLabel.png";
    // The About dialog over the editor (deleted once, after its dismissal).
    void showAboutDialog() override;
    // The MIDI-learn overlay on the maker's label bitmaps.
    MidiLearnController* createMidiLearnOverlay() override;
    virtual int32_t getSkinValue() { return skinValue_; }
    // Places the help hint, then the layout hook.
    virtual void layoutHelpHint();
    // The help hint's label on the root (its background, margins 15, 10, 35
    // and 15, hidden), given to the help hint, which shows it.
    virtual gui::ImageLabel* createHelpHint();
    // The label's left: the Help button's centre in root coordinates minus
    // 10, else the reference rectangle's rounded left; kept inside the root,
    // and below the Help button, with the arrow at its centre.
    void positionHelpHint();
    // Gives the label the arrow that points at the Help button (when the
    // skin has one).
    void attachHelpHintArrow(gui::ImageLabel& label);
    // Draws the named background once per name into the user interface's
    // background bitmap, at the root's size.
    virtual void paintBackground();
    // Centres an external preset selector on the preset-name button.
    virtual void layoutStandardBar() {}
    // The value display's look; its background bitmap lives with this
    // interface and must not outlive it (the display goes first at closing).
    virtual void applyValueDisplayLook(gui::MultiLabel& display);
    // The animator's tick; empty here.
    virtual void animationHook() {}
    // After the help hint was placed; empty here.
    virtual void layoutHook() {}

    // "Dialog", "Remove" or "Bar"; null for another name.
    gui::Button::Style* buttonStyle(const std::string& name) const;
    GenericDialog::Style& genericDialogStyle() const { return *genericDialogStyle_; }
    gui::Bitmap& lightBitmap(bool on) const { return on ? *lightOn_ : *lightOff_; }
    const std::string& backgroundName() const { return backgroundName_; }

protected:
    void removeHandlers() override;

    int32_t skinValue_ = 0;

private:
    void buildSkin();

    std::string backgroundName_;
    std::string drawnBackground_;
    std::unique_ptr<gui::Button::Style> dialogStyle_;
    std::unique_ptr<gui::Button::Style> removeStyle_;
    std::unique_ptr<gui::Button::Style> barStyle_;
    std::unique_ptr<GenericDialog::Style> genericDialogStyle_;
    // In the user interface's bitmap list.
    gui::Bitmap* lightOn_ = nullptr;
    gui::Bitmap* lightOff_ = nullptr;
    gui::Bitmap* valueDisplayBackground_ = nullptr;
};
