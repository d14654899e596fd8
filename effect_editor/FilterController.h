#pragma once

// FilterController: the interactive display of the effect's filters. Over
// the frequency grid it draws one response curve per filter and a handle
// (a dot) per curve that sets the filter's frequency (horizontally) and peak
// (vertically); with two or more linked curves a link handle between them
// moves them together. Shift-click on a handle steps its slope, Ctrl-click
// its response; Alt on a linked handle selects every linked curve, and
// Ctrl+Alt turns the others around the link point, opposite to it.
//
// A curve's shape is a drawn sketch, not a computed magnitude response: a
// flat level at the display's level factor, a point at the handle whose bump
// grows with the peak, and a fall that narrows as the slope steepens. Its
// values are the parameters' linear positions (frequency and peak in 0..1),
// the response index and the filter slope (the "Slope" parameter's index
// plus 1, so "12" draws the 12 dB shape); the pan, in octaves, shifts the
// first channel's curve up and the second's down as the processor shifts
// their frequencies.
//
// Parameters: a curve follows its parameters through refresh (its owner
// calls it when they change) and writes them through the plug-in interface's
// gestures. Every begin sent has exactly one end: on release, on a lost
// capture and when the display is destroyed mid-drag; each ends the curves'
// locks too. A release stores one undo step for the interaction, unless it
// changed no value (a press on a handle without a drag).
//
// Threading: GUI thread; draw runs under the root lock.

#include "dsp/GenericFilter.h"
#include "effect_editor/FrequencyDisplay.h"
#include "gui/Bitmap.h"
#include "gui/Curve.h"
#include "gui/Modifiers.h"
#include "gui/ValueControl.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AbstractPluginParameter;
class GenericPluginInterfaceBase;

namespace gui {
class Text;
}

class FilterController : public FrequencyDisplay {
public:
    static constexpr std::int32_t kNone = -1; // an unbound parameter index (~0)
    static constexpr float kTolerance = 1.1920929e-7f;
    static constexpr int kHandleBitmaps = 6;
    // Handle hits need at least this alpha; the link handle more than 64.
    static constexpr int kHandleHitAlpha = 65;
    static constexpr int kMaxCurves = 32;

    enum class GestureState { kNone = 0, kDrag = 1, kSlopeStep = 2, kResponseStep = 3 };

    class Curve : public PropertyOwner {
    public:
        // The sampled curve: segment x is the curve x less the horizontal
        // offset; each segment's cubic is evaluated as a plain polynomial.
        class FilterCurve : public gui::Curve {
        public:
            explicit FilterCurve(const FilterController::Curve& owner) : owner_(owner) {}
            float valueAt(float x) const override;

        private:
            const FilterController::Curve& owner_;
        };

        struct Indices {
            std::int32_t frequency = kNone;
            std::int32_t peak = kNone;
            std::int32_t response = kNone;
            std::int32_t slope = kNone;
            std::int32_t linked = kNone;
            std::int32_t enabled = kNone;
            std::int32_t pan = kNone;
        };

        Curve(FilterController& owner, int number);
        ~Curve() override;
        Curve(const Curve&) = delete;
        Curve& operator=(const Curve&) = delete;

        Property<float> frequency; // 0..1, the frequency parameter's linear position
        Property<bool> enabled;
        Property<bool> linked;
        Property<float> pan;  // octaves
        Property<float> peak; // 0..1
        Property<GenericFilter::Response> response;
        Property<GenericFilter::Slope> slope;

        // Reads every bound parameter (nothing while locked).
        void refresh();
        void layout();
        void buildSegments();
        void propertyChanged(AbstractProperty& property) override;

        // Where the curve is drawn for a channel (0 unshifted, 1 the first
        // channel, 2 the second), in curve coordinates, before snapping.
        float channelOffset(int channel) const;
        // The handle's centre, unsnapped, in display coordinates.
        gui::Point handleCentre() const;

        const Indices& indices() const { return indices_; }
        void setIndices(const Indices& indices) { indices_ = indices; }
        int number() const { return number_; }
        bool locked() const { return locked_; }
        bool laidOut() const { return laidOut_; }
        bool pixelAligned() const { return pixelAligned_; }
        int shapeLevel() const { return shapeLevel_; }
        int segmentCount() const { return segmentCount_; }
        GestureState gestureState() const { return gestureState_; }
        const gui::Rect& handleRect() const { return handleRect_; }
        float horizontalOffset() const { return horizontalOffset_; }
        int displayHeight() const { return H_; }
        int curveWidth() const { return w_; }
        int curveHeight() const { return h_; }
        int kneeWidth() const { return K_; }
        int steepWidth() const { return Wk_; }
        float pixelsPerOctave() const { return pixelsPerOctave_; }
        float endSteepness() const { return E_; }
        float shoulderFactor() const { return A_; }
        float bump() const { return B_; }
        float shoulder() const { return D_; }
        const gui::Point& point(int i) const { return points_[static_cast<std::size_t>(i)]; }
        const gui::Cubic& segment(int i) const { return segments_[static_cast<std::size_t>(i)]; }
        const FilterCurve& filterCurve() const { return filterCurve_; }
        gui::RolloverManager& rollover() { return rollover_; }
        // The curve's y at a segment x (0 at the handle), by the rule of FilterCurve.
        float segmentValueAt(float x) const;

    private:
        friend class FilterController;

        AbstractPluginParameter* parameter(std::int32_t index) const;
        void updateHandleRect();
        void raiseShapeLevel(int level);

        FilterController& owner_;
        int number_;
        FilterCurve filterCurve_;
        bool locked_ = false;
        bool pixelAligned_ = false;
        float horizontalOffset_ = 0.0f;
        float evaluationOffset_ = 0.0f; // the offset of the drawing in progress
        int segmentCount_ = 3;
        GestureState gestureState_ = GestureState::kNone;
        Indices indices_;
        bool laidOut_ = false;
        int shapeLevel_ = 2;
        gui::RolloverManager rollover_;
        gui::Rect handleRect_;
        // Layout: whole pixels, then the scale values.
        int H_ = 0, w_ = 0, h_ = 0, K_ = 0, Wk_ = 0;
        double slopeBase_ = 1.0;
        float pixelsPerOctave_ = 0.0f;
        float inverseWidth_ = 0.0f, inverseHeight_ = 0.0f;
        // Shape.
        float E_ = 0.0f, A_ = 0.0f, B_ = 0.0f, D_ = 0.0f;
        std::array<gui::Point, 4> points_{};
        std::array<gui::Cubic, 3> segments_{};
        // The drag: the handle centre at the press (or when last retaken),
        // and for a turn about the link point its radius and direction.
        gui::Point pressCentre_;
        float pressRadius_ = 0.0f;
        float pressDirection_ = 0.0f;
        std::unique_ptr<gui::Text> label_;
    };

    explicit FilterController(GenericPluginInterfaceBase& interface);
    ~FilterController() override;

    // Properties, in declaration order.
    Property<gui::Color> highlightedFillColor;
    Property<gui::Color> normalFillColor;
    Property<int> curveOpacity;
    Property<gui::Color> grabbedFillColor;
    Property<bool> horizontalLine;
    Property<gui::Color> curveColor;
    Property<gui::Color> firstChannelColor;
    Property<gui::Color> secondChannelColor;
    Property<int> curveCount;
    Property<float> levelFactor;

    // Appends a curve bound to the parameters (kNone for none), reads them
    // and lays it out. The reserved argument is unused.
    Curve& addCurve(std::int32_t frequencyIndex, std::int32_t peakIndex, std::int32_t responseIndex,
                    std::int32_t slopeIndex, std::int32_t enabledIndex, std::int32_t reserved,
                    std::int32_t panIndex);
    int curves() const { return static_cast<int>(curves_.size()); }
    Curve& curve(int i) { return *curves_[static_cast<std::size_t>(i)]; }
    // Every curve reads its parameters again.
    void refresh();

    // The handle bitmaps: filter 1 normal and active, the link handle normal
    // and active, filter 2 normal and active. Loads the named resources.
    void setHandleBitmaps(const std::array<std::string, kHandleBitmaps>& names);
    gui::Bitmap& handleBitmap(int i) { return *handles_[static_cast<std::size_t>(i)]; }
    void setTextSize(float size);

    // Selection and link state.
    std::uint32_t selection() const { return selection_; }
    int hoveredIndex() const { return hovered_; }
    int grabbedIndex() const { return grabbed_; }
    bool linkBoth() const { return linkBoth_; }
    std::uint32_t linkedCurves() const { return linkedBits_; }
    int linkedCount() const { return linkedCount_; }
    const gui::Point& linkPoint() const { return linkPoint_; }
    const gui::Rect& linkRect() const { return linkRect_; }
    bool pressActive() const { return pressActive_; }

    void updateHover(const gui::Point& point, int modifiers);
    // Lays every curve out again (after the bounds, the scale, the margin or
    // the handle bitmaps changed).
    void layoutCurves();

    // gui::Control
    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const gui::Point& point) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseLeave() override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void captureLost() override;
    void scaleChanged() override;
    void draw(gui::Canvas& canvas) override;
    void boundsChanged() override;
    void drawGrid(gui::Canvas& canvas) override;

private:
    int drawnCurves() const;
    bool hitsHandle(const Curve& curve, const gui::Point& point);
    const gui::Bitmap& normalHandle(const Curve& curve) const;
    const gui::Bitmap& activeHandle(const Curve& curve) const;
    void updateLink();
    void updateHighlights();
    void drawCurve(gui::Canvas& canvas, Curve& curve, int channel, gui::Color line, gui::Color below,
                   gui::Color above);
    void drawHandle(gui::Canvas& canvas, Curve& curve);
    // Moves a curve's handle centre to a point and writes what changed.
    void moveHandleTo(Curve& curve, const gui::Point& point);
    void beginDrag(Curve& curve);
    void endGestures(Curve& curve);
    // Ends every begun gesture once and unlocks; true when one was open.
    bool endInteraction();
    void takePressOffsets(const gui::Point& point);
    void applyModifiers(const gui::Point& point, int modifiers);
    void stepSlope(Curve& curve);
    void stepResponse(Curve& curve);
    void send(int phase, std::int32_t index, float value);

    GenericPluginInterfaceBase& interface_;
    std::vector<std::unique_ptr<Curve>> curves_;
    int grabbed_ = -1;
    int hovered_ = -1;
    std::uint32_t selection_ = 0;
    gui::Point pressPoint_;
    gui::Point dragOffset_;
    bool pressActive_ = false;
    std::vector<float> pressValues_; // the editor's values when the press began
    bool stepped_ = false;
    bool linkBoth_ = false;
    std::array<std::unique_ptr<gui::Bitmap>, kHandleBitmaps> handles_;
    float textSize_ = 8.0f;
    std::uint32_t linkedBits_ = 0;
    int linkedCount_ = 0;
    gui::Point linkPoint_;
    gui::Point pressLinkPoint_;
    gui::Rect linkRect_;
    gui::RolloverManager linkRollover_;
    bool inLayout_ = false;
};
