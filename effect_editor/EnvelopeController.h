#pragma once

// EnvelopeController: the envelope generator's shape display. The envelope
// is drawn as a chain of stages (Delay, Attack, Decay, the Sustain level,
// Hold, Release) over a filled area, with one slider per envelope parameter
// laid out along the shape: each time slider spans its stage's width and
// its handle's centre marks where the stage ends, so dragging it lengthens
// or shortens the stage and every later stage moves with it. The vertical
// Sustain slider sets the level the Decay falls to.
//
// Stage widths: a time stage is stageWidth wide (Attack 0.75 of it, or half
// with a mode parameter at 1.0, Release 1.25). With fitStages the display
// picks stageWidth from 70, 100, 150 and 200 so that 24 to 72 units stay free;
// preferredWidth is the width that leaves exactly 24 free.
//
// Ownership: the display owns its sliders and labels; the panel (which links
// the sliders to their parameters and styles them) and the two slider
// styles outlive it. The destructor unlinks every slider through the panel.
//
// Threading: GUI thread; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/Bitmap.h"
#include "gui/Color.h"
#include "gui/Control.h"
#include "gui/Curve.h"
#include "gui/Switch.h"

#include <array>
#include <cstdint>
#include <memory>

class AbstractPluginParameter;

namespace gui {
class Animator;
class Text;
} // namespace gui

class EnvelopeController : public gui::Control {
public:
    enum class Representation { kUnipolar = 0, kBipolar = 1 };
    // The parameter slots; 1, 3 and 7 hold the curve of the following stage.
    enum Slot : int {
        kDelay = 0,
        kAttackCurve = 1,
        kAttack = 2,
        kDecayCurve = 3,
        kDecay = 4,
        kSustain = 5,
        kHold = 6,
        kReleaseCurve = 7,
        kRelease = 8,
        kSlots = 9
    };
    static constexpr int kStages = 6; // Delay, Attack, Decay, Sustain, Hold, Release
    static constexpr int kDotCells = 5;
    // An empty slot's stage, and the free space fitting keeps.
    static constexpr float kEmptyStageWidth = 6.0f;
    static constexpr float kMinimumFree = 24.0f;
    static constexpr float kMaximumFree = 72.0f;
    static constexpr float kLabelFontSize = 7.0f;
    static constexpr float kNoMarker = -1.0f;

    // What the display needs of its source panel.
    class Panel {
    public:
        virtual ~Panel() = default;
        virtual gui::UserInterface& userInterface() = 0;
        // The panel's animator (null for none).
        virtual gui::Animator* animator() = 0;
        virtual void styleSlider(gui::Switch& slider) = 0;
        // Links the slider to the parameter (flags: the panel's, e.g. a
        // modulation target) and records the pair.
        virtual void linkSlider(AbstractPluginParameter* parameter, gui::Switch* slider,
                                std::uint32_t flags) = 0;
        virtual void unlinkSlider(AbstractPluginParameter* parameter, gui::Switch* slider) = 0;
    };

    class EGSlider : public gui::Switch {
    public:
        EGSlider(gui::UserInterface& userInterface, gui::Switch::Style* style, EnvelopeController& display,
                 int slot);
        ~EGSlider() override;

        void draw(gui::Canvas& canvas) override;
        void valueControlPropertyChanged(AbstractProperty& property) override;
        // The next drag delta counts as 0 (the slider itself moved).
        void ignoreNextDelta() { zeroNextDelta(); }
        // The handle's centre in the slider's coordinates.
        gui::Point handleCentre();

        int slot() const { return slot_; }
        EnvelopeController& display() const { return display_; }

    private:
        EnvelopeController& display_;
        int slot_;
    };

    EnvelopeController(Panel& panel, gui::Switch::Style* sliderStyle, gui::Switch::Style* levelSliderStyle);
    ~EnvelopeController() override;

    // Properties, in declaration order.
    Property<bool> fitStages;
    Property<float> rightMargin;
    Property<int> inset;
    Property<gui::Color> lineColor;
    Property<float> originX;
    Property<gui::Color> fillColor;
    Property<gui::Color> fillColor2;
    Property<gui::Color> labelColor;
    Property<Representation> representation;
    Property<bool> showLabels;
    Property<float> stageGap;
    Property<float> stageWidth;
    Property<float> levelSliderWidth;
    Property<bool> slidersOnly;

    // Attaches a parameter to a slot: makes its slider on first use, then
    // has the panel link them with the flags.
    void setSlider(int slot, AbstractPluginParameter* parameter, std::uint32_t flags);
    // The parameter whose value 1.0 halves the Attack stage (none by default).
    void setModeParameter(AbstractPluginParameter* parameter);
    // The dot strips (five cells side by side), normal and highlighted.
    void setDotBitmaps(const std::string& normal, const std::string& highlighted);
    void setMarker(float x);
    float marker() const { return marker_; }

    EGSlider* slider(int slot) const { return sliders_[std::size_t(slot)]; }
    AbstractPluginParameter* parameter(int slot) const { return parameters_[std::size_t(slot)]; }
    bool layoutValid() const;
    // The stage width a slot's slider gets at a stage width.
    float sliderWidth(int slot, float atStageWidth) const;
    // Fitting: the width the sliders use and the width there is for them.
    float usedWidth(float atStageWidth) const;
    float availableWidth(float displayWidth) const;
    // The width at which the sliders leave 24 units free.
    float preferredWidth() const;
    // The stage width fitting picks for the current width.
    float fittedStageWidth() const;
    void fit();
    void layout();

    // The shape: stage starts, the end, and its y at an x (and the mirror's).
    float stageStart(int stage) const { return stageStarts_[std::size_t(stage)]; }
    float shapeEnd() const { return shapeEnd_; }
    float shapeAt(float x) const;
    float mirrorAt(float x) const;
    const gui::CubicSegment& stageSegment(int stage) const { return segments_[std::size_t(stage)]; }
    float sustainLevel() const { return sustainLevel_; }
    float handleLength() const { return handleLength_; }

    // gui::Control
    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const gui::Point& point) override;
    void componentDeleted(gui::Component* component) override;
    void draw(gui::Canvas& canvas) override;
    void boundsChanged() override;

private:
    // The curve the canvas strokes: the shape or its mirror.
    class ShapeCurve : public gui::Curve {
    public:
        ShapeCurve(const EnvelopeController& owner, bool mirror) : owner_(owner), mirror_(mirror) {}
        float valueAt(float x) const override { return mirror_ ? owner_.mirrorAt(x) : owner_.shapeAt(x); }

    private:
        const EnvelopeController& owner_;
        bool mirror_;
    };

    void sliderValueChanged();
    void measureHandle();
    gui::Rect area() const;
    // A curved stage from (x0, y0) to (x1, y1), with the curve slot before it.
    void fitStage(int stage, int curveSlot, float x0, float y0, float x1, float y1);
    void flatStage(int stage, float x0, float x1, float y);
    // Places a time slider for its stage; returns where the stage ends.
    float placeTimeSlider(int slot, float start, bool curved);
    float curveValue(int curveSlot) const;
    float mirrorLine() const;
    void drawFill(gui::Canvas& canvas);
    void drawLabels(gui::Canvas& canvas);
    int stageAt(float x) const;

    Panel& panel_;
    gui::Switch::Style* sliderStyle_;
    gui::Switch::Style* levelSliderStyle_;
    std::array<std::unique_ptr<gui::Text>, 3> labels_;
    std::unique_ptr<gui::Bitmap> dots_;
    std::unique_ptr<gui::Bitmap> dotsHighlighted_;
    std::array<AbstractPluginParameter*, kSlots> parameters_{};
    std::array<EGSlider*, kSlots> sliders_{};
    AbstractPluginParameter* modeParameter_ = nullptr;
    std::array<gui::CubicSegment, kStages> segments_{};
    std::array<gui::CubicSegment, kStages> mirrored_{};
    std::array<float, kStages> stageStarts_{};
    float shapeEnd_ = 0.0f;
    float sustainLevel_ = 0.0f;
    float marker_ = kNoMarker;
    bool layoutPending_ = false;
    bool laidOut_ = false;
    bool layoutRunning_ = false;
    float handleLength_ = 0.0f;
    float halfHandle_ = 0.0f;
    ShapeCurve shape_{*this, false};
    ShapeCurve mirror_{*this, true};
};
