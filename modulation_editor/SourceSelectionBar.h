#pragma once

// SourceSelectionBar: the map of all sources above the source strip. Each
// container of the source bar has a source button placed at the
// container's x scaled by m / W (m the map width, W the source bar's
// width) from the map's origin; the selector shows the visible part of the
// strip. Dragging the selector (a move of more than 4 units) scrolls the
// strip by dx x W / m; a release without a drag clicks the source button
// under the pointer: the strip centres that source and the slot list shows
// its slots. While a source is dragged, resting on a source button scrolls
// to its source.
//
// Geometry: available width a = width - (spacing + Add Source button
// width), less the "Add Source" label's width while the sources are at most
// the controller's add-label limit; m = min(a - 4, W / 2), and with m <= 0
// there is no map. The origin is (a - m) / 2 when the sources fit the strip
// or are none, and also for the centred alignment (the other formula moves
// the map off a wide bar); right: a - (strip margin + m); left: the strip
// margin.
//
// Source buttons are as high as their style's face, centred in the bar; a
// button wider than 24 units is named with its panel's name where that fits
// the room its text padding (and a placed icon) leaves, else with the
// panel's short name where that fits, else not at all.
//
// Two edge shapes in the bar's colour close the map at its ends, each the
// overhang wide (left of the origin and right of origin + m), so that the
// selector's overreach lies on them; they show while there is a map and an
// overhang. The optional icon stands at the bar's left end, centred
// vertically, beneath the map.
//
// Threading: GUI thread only; draw reads only the buttons' levels.

#include "foundation/Property.h"
#include "gui/Button.h"
#include "gui/Color.h"
#include "gui/Enumerations.h"
#include "modulation_editor/ModulationHoverItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SourceHost;
class SourceContainer;
class SourceInterface;

namespace gui {
class Image;
class MultiLabel;
class Shape;
class Text;
} // namespace gui

class SourceSelectionBar : public gui::Control {
public:
    static constexpr float kDragDistance = 4.0f;
    static constexpr const char* kLabelHelp =
        "The source bar displays a map of modulation sources. Each source is represented by a source button. "
        "The bar at the top of a source button shows the current output level of the related modulation "
        "source. Click a source button to scroll its source interface into view, centered under the "
        "button.\n\nThe white source selector shows which sources are currently visible. Simply drag it "
        "around to scroll the source interfaces below.";

    // A source's button on the map: its level is the largest current output
    // of the source (0 to 255).
    class SourceButton : public gui::Button, public ModulationHoverItem {
    public:
        SourceButton(SourceSelectionBar& bar, gui::Button::Style* style);
        ~SourceButton() override;
        SourceContainer* container = nullptr;
        int level() const { return level_; }
        void updateLevel();
        void fireEvent6(int phase) override;
        void draw(gui::Canvas& canvas) override;

    private:
        SourceSelectionBar& bar_;
        int level_ = 0;
    };

    // The draggable marker of the visible part.
    class SourceSelector : public gui::Button {
    public:
        SourceSelector(SourceSelectionBar& bar, gui::Button::Style* style);
        void mouseDown(int button, const gui::Point& point, int modifiers) override;
        void mouseMove(const gui::Point& point, int modifiers) override;
        void mouseUp(int button, const gui::Point& point, int modifiers) override;
        // A press without a drag clicks the source button beneath.
        gui::Control* pressTarget(const gui::Point& point) override;

    private:
        // The shown source button under the point (local), or null.
        SourceButton* sourceButtonAt(const gui::Point& point) const;

        SourceSelectionBar& bar_;
        bool pressed_ = false;
        bool dragging_ = false;
        gui::Point pressPoint_;
        float startScroll_ = 0.0f;
    };

    // A null style makes the bar keep one of its own (empty until the
    // product fills it). A source button copies its style's settings when
    // it is made, so a style's settings are set before the first source.
    SourceSelectionBar(SourceHost& controller, gui::Button::Style* selectorStyle,
                       gui::Button::Style* sourceButtonStyle);
    ~SourceSelectionBar() override;

    Property<int> spacing;
    Property<int> overhang;
    Property<gui::Alignment> alignment;
    Property<gui::Color> color;

    // Takes the Add Source button (a child, null for none).
    void setAddSourceButton(gui::Control* button);
    // Shows the named bitmap as the icon (an empty name or a missing
    // bitmap: none).
    void setIcon(const std::string& name);
    gui::Image* icon() const { return icon_; }
    // 0 the left edge, 1 the right.
    gui::Shape* edgeShape(int side) const { return edges_[side != 0 ? 1 : 0]; }
    // Lays the map out again from the source bar and the strip.
    void updateMap();
    // Moves the strip so that the source's container is centred under the
    // button, then shows the source's slots.
    void sourceButtonClicked(SourceButton& button);
    // The selector's drag: the scroll position for a move of dx from start.
    void dragSelector(float startScroll, float dx);

    float mapOrigin() const { return origin_; }
    float mapWidth() const { return map_; }
    float availableWidth() const { return available_; }
    const std::vector<SourceButton*>& sourceButtons() const { return buttons_; }
    SourceSelector* selector() const { return selector_; }
    gui::MultiLabel* addLabel() const { return label_; }
    SourceHost& controller() const { return controller_; }
    gui::Button::Style& selectorStyle() const { return *selectorStyle_; }
    gui::Button::Style& sourceButtonStyle() const { return *buttonStyle_; }

    void propertyChanged(AbstractProperty& property) override;
    void boundsChanged() override;
    void componentDeleted(gui::Component* component) override;

private:
    void layOut();
    // The panel's name when it fits the line's room in the line's font,
    // else its short name when that does, else nothing.
    std::string fittingName(const gui::Text& line, const SourceInterface* panel);
    // The source bar's width (at least 1).
    float barWidth() const;

    SourceHost& controller_;
    gui::Button::Style* selectorStyle_;
    gui::Button::Style* buttonStyle_;
    // Outlive the buttons (the destructor deletes the children first).
    std::unique_ptr<gui::Button::Style> ownedSelectorStyle_;
    std::unique_ptr<gui::Button::Style> ownedButtonStyle_;
    gui::Control* addButton_ = nullptr;
    gui::MultiLabel* label_ = nullptr;
    gui::Shape* edges_[2] = {nullptr, nullptr};
    gui::Image* icon_ = nullptr;
    std::vector<SourceButton*> buttons_;
    SourceSelector* selector_ = nullptr;
    float available_ = 0.0f;
    float map_ = 0.0f;
    float origin_ = 0.0f;
    bool layingOut_ = false;
};
