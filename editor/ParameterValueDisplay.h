#pragma once

// The small floating label that shows the name and the current value of the
// parameter under the pointer or being moved, and takes a typed value.
//
// Line 0 shows the first entry's parameter name, line k the value text of
// entry k - 1. The display fades in (100 ms) when a control is touched,
// follows every value the change manager sends, and fades out (the fade's
// 200 ms) once the hide timer (1000 ms) has run after the pointer left.
// Double-clicking a value line edits it in place; a commit sets the value
// through one whole gesture and stores one undo step.
//
// Lifetimes: the display links itself to its value source's component, to
// the hover control and to every linked control, and forgets each of them
// when it dies; when the display goes, the value source's back pointer to it
// is cleared.
//
// Threading: GUI thread only.

#include "editor/ControlChangeManager.h"
#include "gui/MultiLabel.h"

#include <cstdint>
#include <string>
#include <vector>

class AbstractPluginParameter;
class GenericPluginInterfaceBase;

namespace gui {
class Timer;
class ValueControl;
} // namespace gui

class ParameterValueDisplay : public gui::MultiLabel, public ControlChangeManager::ValueDisplay {
public:
    static constexpr int kLines = 5;
    static constexpr int kHideInterval = 1000; // ms after the pointer left
    static constexpr int kFadeInDuration = 100;

    // Who edits and places the display. The defaults do what the editor
    // does: a typed value goes through the owner's change manager, lines are
    // parsed by their parameter, and a change refreshes the texts and places
    // the display below its control.
    class Listener {
    public:
        virtual ~Listener() = default;
        // Sets the entry of line - 1 through a whole gesture.
        virtual void valueEntered(ParameterValueDisplay& display, int line, float value);
        virtual bool canEditLine(ParameterValueDisplay& display, int line);
        virtual bool parseValue(ParameterValueDisplay& display, int line, const std::string& text,
                                float& value);
        virtual void displayChanged(ParameterValueDisplay& display);
    };

    // What asked for the display besides the editor (a panel): its own table
    // of controls places the display, and its component's death ends it.
    class ValueSource {
    public:
        virtual ~ValueSource() = default;
        // The control that shows the parameter here, or null.
        virtual gui::Control* controlForParameter(int32_t index) = 0;
        virtual gui::Component& sourceComponent() = 0;
        // The display refreshed its texts.
        virtual void valueDisplayRefreshed(ParameterValueDisplay& display);
        // The display that shows for this source, or null.
        ParameterValueDisplay* valueDisplay() const { return valueDisplay_; }

    private:
        friend class ParameterValueDisplay;
        ParameterValueDisplay* valueDisplay_ = nullptr;
    };

    struct Entry {
        AbstractPluginParameter* parameter = nullptr;
        float value = 0.0f; // plain
        bool edited = false;
    };

    ParameterValueDisplay(gui::UserInterface& userInterface, GenericPluginInterfaceBase& owner);
    ~ParameterValueDisplay() override;

    // The parameter joins the shown entries (see the class comment); a null
    // source means the owner's link table.
    void addEntry(Listener* listener, AbstractPluginParameter* parameter, ValueSource* source);
    // addEntry for the control's parameter; nothing for an unbound control.
    void showFor(Listener* listener, gui::Control* control, ValueSource* source);
    // --- ControlChangeManager::ValueDisplay
    void parameterValueSent(int32_t index, float plain) override;
    void parameterRefreshed(int32_t index) override;
    // showFor with the editor's listener and no source, then updateFade.
    void showFor(gui::ValueControl* control) override;
    void startHideTimer() override;
    // The hide timer's tick and the editor's hideValueDisplay: forgets the
    // entries and fades out, unless an edit is under way.
    void hide() override;
    gui::Control& displayControl() override { return *this; }

    // Shows, refreshes and places the display when it has something to show,
    // else fades it out. While a line is edited only a forced call acts.
    void updateFade(bool force);
    void startEditing(int line);

    // The multi-parameter control under the pointer (null for none).
    void setHoverControl(gui::Control* control);
    // A control that stays highlighted while a line is edited (a rollover
    // control holds its highlight from the first open edit to the last).
    void addLinkedControl(gui::Control* control);
    // Line texts from the entries' values.
    void refreshTexts();
    // Below the entry's control (above when it does not fit), inside the root.
    void place();

    GenericPluginInterfaceBase& owner() const { return *owner_; }
    // The listener of the showings that the editor asks for.
    Listener& editorListener() { return defaultListener_; }
    const std::vector<Entry>& entries() const { return entries_; }
    Entry* entryForLine(int line);
    ValueSource* valueSource() const { return valueSource_; }
    Listener* listener() const { return listener_; }
    gui::Timer* hideTimer() const { return hideTimer_; }
    bool shown() const { return shown_; }
    bool hasEntries() const { return hasEntries_; }
    bool hideWhenIdle() const { return hideWhenIdle_; }
    gui::Control* hoverControl() const { return hoverControl_; }
    const std::vector<gui::Control*>& linkedControls() const { return linkedControls_; }
    // The count of open edits that a linked control takes part in.
    int editCount(const gui::Control* control) const;

    void componentDeleted(gui::Component* component) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void textChanged() override;
    void editEnded() override;
    bool isLineEditable(int index) override;

private:
    void show();
    void setValueSource(ValueSource* source);
    void releaseValueSource();
    Entry* entryFor(int index);

    GenericPluginInterfaceBase* owner_;
    // The editor's own listener (the defaults) for displays it asks for.
    Listener defaultListener_;
    std::vector<Entry> entries_;
    ValueSource* valueSource_ = nullptr;
    gui::Component* valueSourceComponent_ = nullptr;
    Listener* listener_ = nullptr;
    gui::Timer* hideTimer_ = nullptr;
    bool shown_ = false;
    bool hasEntries_ = false;
    bool hideWhenIdle_ = false;
    gui::Control* hoverControl_ = nullptr;
    std::vector<gui::Control*> linkedControls_;
    std::vector<int> editCounts_; // beside linkedControls_
    // Beside linkedControls_: the display holds the control's highlight.
    std::vector<bool> heldHighlights_;
    void holdHighlight(std::size_t i, bool on);
};
