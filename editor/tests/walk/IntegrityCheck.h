#pragma once

// The checks that every control a user meets passes, run over a walk of the
// live tree (ControlWalk.h) with the platform's real text:
//   size            a shown control was given a size (a layout may
//                   collapse one along one axis);
//   inside parent   what it draws lies inside its parent (a scroll area's
//                   content and art, which panels show in part, excepted);
//   face            a control without shown children draws some pixels;
//   face fills      a stretched button face covers the button as its
//                   bitmap covers itself;
//   label           a button shows a caption, an icon or a label image,
//                   unless the product says its face is its label;
//   caption whole   no ink of a caption is cut, by its text area (its
//                   measured width on one line) or by the clip of its
//                   control or an ancestor;
//   caption readable  its colour stands out from what lies around it in the
//                   window's picture (contrast ratio of relative luminances)
//                   and no other control draws over it; a caption dimmed on
//                   a disabled control or under a veil (a dimming image, an
//                   overlay) is not there to be read;
//   choices         a select button has a choice and its menu lists each;
//   toggle states   a toggle looks different on and off;
//   component states  a component button looks different with its
//                   component off;
//   overlap         two sibling knobs that overlap share a centre (a ring
//                   and its inner knob);
//   reach           a press reaches every shown, enabled control that takes
//                   presses (a value control: buttons, toggles, knobs,
//                   switches, sliders, selectors, value buttons, step
//                   sliders), at its centre or at one point of a grid over
//                   what shows of it; one that no press reaches names the
//                   control a press at its centre reaches instead (under an
//                   overlay laid over the window, which takes every press
//                   by design, only the overlay's own controls count);
//   lettering       no interactive control covers the lettering of an
//                   image drawn beneath it;
//   value text      a value display shows its parameter's value and unit.
// Each finding names its rule, its control and what was seen; what the
// product knows (faces that are labels, further captions, lettering, value
// displays, how to set a parameter) comes in through Hooks.
//
// The toggle and component rules change a state for a moment and put it
// back; everything else only reads.
//
// Threading: GUI thread, under the root's lock.

#include "editor/tests/walk/ControlPicture.h"
#include "editor/tests/walk/ControlWalk.h"
#include "gui/BasicRect.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class AbstractPluginParameter;

namespace gui {
class Image;
class Text;
} // namespace gui

namespace walk {

enum class Rule {
    kSize,
    kInsideParent,
    kFace,
    kFaceFills,
    kLabel,
    kCaptionWhole,
    kCaptionReadable,
    kChoices,
    kToggleStates,
    kComponentStates,
    kOverlap,
    kReach,
    kLettering,
    kValueText,
    // A state-specific expectation of the product's own test.
    kExpectation,
};

const char* ruleName(Rule rule);

struct Finding {
    Rule rule;
    // The control's name in the walk (ShownControl::name).
    std::string control;
    gui::Control* pointer = nullptr;
    std::string detail;
};

std::string describe(const Finding& finding);

// The first point (root coordinates) of area, a control's shown part, that
// reaches says a press at reaches: its centre, the control's handle if it
// is a switch, then the centre of each cell of a grid over it; none when
// none does.
std::optional<gui::Point> firstReachingPoint(gui::Control& control, const gui::Rect& area,
                                             const std::function<bool(const gui::Point&)>& reaches);
// A point where a press reaches the shown control as the reach rule looks
// for one (firstReachingPoint over what shows of it).
std::optional<gui::Point> reachPoint(const ControlWalk& walk, const ShownControl& shown);

class IntegrityCheck {
public:
    struct Hooks {
        // A button whose face is its label (no caption or icon wanted).
        std::function<bool(const ShownControl&)> faceIsLabel;
        // A control that draws nothing by design (a hit area, a frame shown
        // only in some state).
        std::function<bool(const ShownControl&)> drawsNothing;
        // Captions that a product control draws itself.
        std::function<void(gui::Control&, std::vector<gui::Text*>&)> captions;
        // Lettering of an image's art: rects in the image's coordinates.
        std::function<std::vector<gui::Rect>(gui::Image&)> lettering;
        // The parameter a value display shows, or null.
        std::function<AbstractPluginParameter*(gui::Control&)> valueDisplay;
        // Sets a parameter's plain value and tells the editor, as
        // automation does.
        std::function<void(AbstractPluginParameter&, float)> setParameter;
        // The least contrast ratio of a caption.
        float minimumContrast = 3.0f;
    };

    IntegrityCheck(const ControlWalk& walk, Hooks hooks);

    std::vector<Finding> run();

private:
    void add(Rule rule, const ShownControl& shown, const std::string& detail);
    // The control alone, rendered once.
    const ControlPicture& picture(std::size_t index);
    void checkGeometry(std::size_t index);
    void checkFace(std::size_t index);
    void checkLabel(const ShownControl& shown);
    void checkCaptions();
    // The control or an ancestor is disabled.
    bool disabled(const ShownControl& shown) const;
    // The first later control, not one of the caption's own, that draws
    // over the middle of the area; null when none does.
    const ShownControl* coverOf(const ShownControl& shown, const gui::Rect& area);
    void checkChoices(const ShownControl& shown);
    void checkToggle(const ShownControl& shown);
    void checkComponent(const ShownControl& shown);
    void checkOverlaps();
    void checkReach(const ShownControl& shown);
    void checkLettering();
    void checkValueText(const ShownControl& shown);
    bool hasShownChildren(std::size_t index) const;

    const ControlWalk& walk_;
    Hooks hooks_;
    std::vector<Finding> findings_;
    std::map<std::size_t, ControlPicture> pictures_;
};

} // namespace walk
