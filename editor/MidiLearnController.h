#pragma once

// MidiLearnController: the overlay of MIDI learn. It lies over the whole
// editor, marks every learnable control with a ghost and a label that shows
// the controller mapped to it, and shows the current instruction. Clicking a
// ghost arms its learn identifier (the interface's armed learn parameter);
// the interface maps the next controller the model reports to it.
//
// Learn identifiers: a parameter index, 0x10000 + k for the k-th MIDI source
// of the product (named only: nothing maps it), 0x100000 + k for the k-th
// MIDI virtual parameter of the model.
//
// Ghosts are owned here. A parameter ghost stands over a linked control and
// watches it (the control is linked to this overlay): a ghost whose control
// died or is hidden in the tree is neither drawn, labelled nor hit. A hiding
// overlay arms nothing.
//
// Threading: GUI thread; draw runs on the render thread under the root lock.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Overlay.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GenericPluginInterface;

namespace gui {
class Bitmap;
class Button;
class ImageLabel;
class Text;
} // namespace gui

class MidiLearnController : public gui::Overlay {
public:
    static constexpr const char* kIdleText = "Click a control to activate it for MIDI Learn mode";
    static constexpr const char* kArmedPrefix =
        "Move a slider/knob on your MIDI controller to associate it to: ";
    static constexpr const char* kArmedPrefixShort = "Move a MIDI control to associate it to: ";
    static constexpr const char* kNoController = "-";
    static constexpr uint32_t kMidiSourceBase = 0x10000;
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    // Room kept on both sides of the instruction label and above it.
    static constexpr float kLabelMargin = 8.0f;
    static constexpr float kButtonWidth = 60.0f;
    static constexpr float kButtonGap = 4.0f;
    // A controller label sits this far right of its ghost's edge.
    static constexpr float kControllerLabelGap = 2.0f;

    // A learnable mark of the overlay.
    class LearnGhost : public gui::Overlay::VirtualGhostControl {
    public:
        // The identifier clicking the ghost arms (kNone: nothing).
        virtual uint32_t learnIdentifier() = 0;
        // Whether the ghost is drawn, labelled and hit.
        virtual bool isShown() { return true; }
        // Highlight of the armed ghost; the base frames its rect.
        void draw(gui::Canvas& canvas) override;
        bool armed = false;
    };

    // A ghost over the control linked to a parameter.
    class ParameterGhost : public LearnGhost {
    public:
        ParameterGhost(MidiLearnController& owner, gui::Control* control, uint32_t index);
        gui::Rect getRect() override;
        uint32_t learnIdentifier() override { return control_ != nullptr ? index_ : kNone; }
        bool isShown() override;
        gui::Control* control() const { return control_; }
        void forget(gui::Component* component);

    private:
        MidiLearnController& owner_;
        gui::Control* control_;
        uint32_t index_;
    };

    // What a shown ghost's controller label shows, in overlay coordinates.
    struct ControllerLabel {
        int ghost;
        std::string text;
        gui::Rect rect;
    };

    // labelBackground: the instruction label's bitmap; controllerLabel: the
    // bitmap behind each controller number.
    MidiLearnController(gui::UserInterface& userInterface, GenericPluginInterface& interface,
                        const std::string& labelBackground, const std::string& controllerLabel);
    ~MidiLearnController() override;

    Property<std::string> idleText;
    Property<std::string> armedTextPrefix;
    // Fired (sender: this) after each click.
    NotifyEvent clickedEvent;

    // Variant 0: the long texts; 1: the short armed prefix.
    void setLearnTexts(int variant);
    // Arms the ghost (-1 or an unknown index disarms).
    void armGhost(int index);
    // Unmaps the armed identifier from every controller, in one change.
    void clearArmedMapping();
    // A product's ghost (taken over; dropped with the ghosts).
    void addLearnGhost(LearnGhost* ghost);
    // Rebuilds the parameter ghosts from the links; the product's stay.
    void refreshGhosts();
    // Drops every ghost and the arming (the mode ends).
    void dropGhosts();
    // The armed identifier's controller may have changed.
    void refreshLabels();

    int armedGhost() const { return armedGhost_; }
    int32_t armedController() const { return armedController_; }
    int parameterGhostCount() const { return parameterGhostCount_; }
    int learnGhostCount() const { return static_cast<int>(ghosts_.size()); }
    LearnGhost* learnGhost(int index) const;
    // The shown ghost under the point (labels first, the armed one first), or -1.
    int ghostAt(const gui::Point& point);
    std::vector<ControllerLabel> controllerLabels();
    const std::string& instructionText() const { return instruction_; }
    gui::ImageLabel* instructionLabel() const { return label_; }
    gui::Button* closeButton() const { return closeButton_; }
    gui::Button* clearButton() const { return clearButton_; }

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(gui::Component* component) override;
    void boundsChanged() override;
    int hitAlpha(const gui::Point& point) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void draw(gui::Canvas& canvas) override;

private:
    void buildParameterGhosts();
    void disarm();
    void showInstruction(const std::string& text);
    void layoutInstruction();
    // The ghost's identifier when it is armable.
    uint32_t identifierOf(int ghost);
    gui::Rect controllerLabelRect(LearnGhost& ghost, const std::string& text);
    std::string labelText(int ghost);
    void close();

    GenericPluginInterface& interface_;
    gui::ImageLabel* label_ = nullptr;
    gui::Button* closeButton_ = nullptr;
    gui::Button* clearButton_ = nullptr;
    std::unique_ptr<gui::Bitmap> labelBitmap_;
    std::unique_ptr<gui::Text> labelText_;
    std::vector<std::unique_ptr<LearnGhost>> ghosts_;
    int parameterGhostCount_ = 0;
    int armedGhost_ = -1;
    int32_t armedController_ = -1;
    std::string instruction_;
};
