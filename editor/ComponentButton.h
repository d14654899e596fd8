#pragma once

// The parameter button that stands for one component (a modulation source, a
// section) of a component display. Its face is a picture of the component,
// rendered lazily into a bitmap of its own: whatever the face shows clears
// the face's validity and the next paint renders it once. A small on/off
// toggle shows on it while the pointer is over it; a click folds or unfolds
// its component; and while "ShowComponentDisplays" is on, the two value
// labels of its style float beside it with the names and values of what a
// drag moves. The second pair is named by the modifier that selects it.
//
// Ownership: the style owns its bitmaps and its two value labels, which
// become children of the root while shown; whichever of style and tree dies
// first deletes them, and the other forgets them. The button links itself to
// its style, its display and its toggle, and the display to its buttons:
// each forgets the other when it dies, in any order.
//
// Threading: GUI thread; draw runs under the root lock.

#include "editor/ParameterButton.h"
#include "foundation/Property.h"
#include "gui/Bitmap.h"
#include "gui/Component.h"
#include "gui/ValueControl.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ComponentDisplay;

namespace gui {
class MultiLabel;
class ToggleButton;
} // namespace gui

class ComponentButton : public ParameterButton {
public:
    // Shared by the buttons of one display.
    class ComponentStyle : public gui::Component {
    public:
        static constexpr int kValueLabelLines = 3;

        // The labels and bitmaps are made on the user interface; the toggle
        // style is not owned (forgotten when it dies).
        ComponentStyle(gui::UserInterface& userInterface, gui::Button::Style* toggleStyle);
        ~ComponentStyle() override;

        Property<gui::Point> toggleOffset;

        // Drawn over the face of a component that is off or dimmed.
        gui::Bitmap& overlayBitmap() { return *overlayBitmap_; }
        // Gives the face its outline; without pixels the face is drawn whole.
        gui::Bitmap& maskBitmap() { return *maskBitmap_; }
        // Label 0 or 1; null once the tree deleted it.
        gui::MultiLabel* valueLabel(int index) const;
        gui::Button::Style* toggleStyle() const { return toggleStyle_; }

        void componentDeleted(gui::Component* component) override;

    private:
        gui::Button::Style* toggleStyle_;
        std::unique_ptr<gui::Bitmap> overlayBitmap_;
        std::unique_ptr<gui::Bitmap> maskBitmap_;
        std::array<gui::MultiLabel*, 2> valueLabels_{};
    };

    ComponentButton(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                    ComponentStyle* style, gui::Button::Style* buttonStyle = nullptr);
    ~ComponentButton() override;

    Property<bool> dimmed;
    Property<bool> highlightFace;

    // The component's on/off parameter: the first call makes the toggle.
    void setEnableParameter(AbstractPluginParameter* parameter);
    // A further parameter that the face shows (a change renders it again).
    void addExtraParameter(AbstractPluginParameter* parameter);
    // The display and the component the button stands for in it (null: none).
    void setDisplay(ComponentDisplay* display, int32_t componentIndex);

    // Draws the component into the face bitmap; empty here.
    virtual void renderFace(gui::Canvas& canvas, int state);
    // Whether the face bitmap is still right for the state (0 by the
    // drawing state, 1 normal, 2 highlighted).
    virtual bool isHighlighted(int state);
    // The labels' texts, colours and places for the pair in use.
    void updateValueLabels();
    // The state background, icon and label of a button, then the face
    // through the mask and the overlay of an off or dimmed component.
    void paintContents(gui::Canvas& canvas, int state);

    // The text that names the modifier selecting the second pair ("Alt").
    static std::string secondPairModifierText(const gui::UserInterface& userInterface);

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(gui::Component* component) override;
    void paintContents(gui::Canvas& canvas) override;
    void draw(gui::Canvas& canvas) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    bool mouseWheel(int phase, const gui::Point& point, int modifiers, const gui::Point& firstDelta,
                    const gui::Point& secondDelta) override;
    void scaleChanged() override;
    void boundsChanged() override;
    void parameterChanged(int index) override;
    void positionChanged(int channel, int newPosition, int oldPosition) override;
    void performMouseAction(int button, int modifiers) override;
    void resetToDefault() override;

    // What the face shows changed: it is rendered again at the next paint.
    void invalidateFace();

    ComponentStyle* componentStyle() const { return style_; }
    ComponentDisplay* display() const { return display_; }
    gui::ToggleButton* enableToggle() const { return enableToggle_; }
    AbstractPluginParameter* enableParameter() const { return enableParameter_; }
    const std::vector<AbstractPluginParameter*>& extraParameters() const { return extraParameters_; }
    int32_t componentIndex() const { return componentIndex_; }
    bool faceValid() const { return faceValid_; }
    gui::Bitmap& faceBitmap() { return *faceBitmap_; }

private:
    // The toggle's gestures reach the model as the enable parameter's.
    class ToggleListener : public gui::ValueControlListener {
    public:
        explicit ToggleListener(ComponentButton& owner) : owner_(owner) {}
        int valueControlQuery(gui::ValueControl*, int delta) override { return delta; }
        void beginValueControlGroup() override {}
        void valueControlChanged(gui::ValueControl* control, int phase, int delta) override;
        void endValueControlGroup() override {}

    private:
        ComponentButton& owner_;
    };

    bool wantsHighlightedFace(int state);
    bool enableOff() const;
    void hideValueLabels();

    ComponentStyle* style_;
    ComponentDisplay* display_ = nullptr;
    gui::ToggleButton* enableToggle_ = nullptr;
    AbstractPluginParameter* enableParameter_ = nullptr;
    std::vector<AbstractPluginParameter*> extraParameters_;
    bool labelsPair_ = false;
    bool faceHighlighted_ = false;
    bool faceValid_ = false;
    std::unique_ptr<gui::Bitmap> faceBitmap_;
    int32_t componentIndex_ = -1;
    ToggleListener toggleListener_{*this};
};
