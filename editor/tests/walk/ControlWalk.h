#pragma once

// The control tree as a user meets it: every control that can show, in
// paint order, with where it stands in root coordinates and what a reader
// calls it. A control shows when it and its ancestors are visible and not
// fully transparent, and some of it lies inside every ancestor (controls
// clip their children) and the root, and, for the root's children, what
// later children do not cover wholly with opaque pixels (a panel below the
// window's bottom bar). A scroll area is a viewport: its content may reach
// past it, and content scrolled out of it does not show.
//
// The walk is a snapshot: it keeps pointers to the controls, so it is read
// before the tree changes. Checks (IntegrityCheck.h) and drivers of the real
// editor (which find a control by its name and click its centre) share it.
//
// Threading: GUI thread only.

#include "gui/BasicPoint.h"
#include "gui/BasicRect.h"

#include <functional>
#include <string>
#include <vector>

namespace gui {
class Control;
}

namespace walk {

struct ShownControl {
    gui::Control* control = nullptr;
    // Index of the nearest shown ancestor in the walk, -1 for the root.
    int parent = -1;
    int depth = 0;
    // The class, without namespaces of the toolkit ("SelectButton",
    // "SourceSelectionBar::SourceButton").
    std::string kind;
    // kind, then what names the control to a reader: its caption, the
    // parameter it is bound to or the start of its help text.
    std::string name;
    // In root coordinates.
    gui::Rect bounds;
    // The part of the bounds that the ancestors and the root let show.
    gui::Rect seen;
    // The parent is a scroll area: the control is content that scrolls.
    bool scrolls = false;
    // Some ancestor is a scroll area.
    bool insideViewport = false;
};

class ControlWalk {
public:
    // What names a control beyond its kind and caption (the bound
    // parameter's name, say); empty for nothing.
    using Describe = std::function<std::string(gui::Control&)>;

    explicit ControlWalk(gui::Control& root, Describe describe = {});

    const std::vector<ShownControl>& controls() const { return controls_; }
    gui::Control& root() const { return *root_; }
    // The first shown control whose name contains the text, or null.
    const ShownControl* find(const std::string& text) const;
    const ShownControl* find(const gui::Control* control) const;
    const ShownControl* parentOf(const ShownControl& shown) const;

    // The control a press at the point (root coordinates) reaches: the
    // deepest one the hit tests lead to from the root, as the root hands a
    // press down (the topmost visible, enabled child whose hit test passes,
    // at every level), or the control it hands the press on to; the root
    // when no child takes it.
    static gui::Control* pressedAt(gui::Control& root, const gui::Point& point);
    gui::Control* pressedAt(const gui::Point& point) const { return pressedAt(*root_, point); }
    // Whether a press at the point reaches the control or one of its
    // children, as the control its hit tests lead to or as the one that
    // control hands it on to.
    static bool reaches(gui::Control& root, const gui::Control& control, const gui::Point& point);
    bool reaches(const gui::Control& control, const gui::Point& point) const {
        return reaches(*root_, control, point);
    }

    // The class of a control as ShownControl::kind gives it.
    static std::string kindOf(const gui::Control& control);
    // The first text line of a button or label, else empty.
    static std::string captionOf(gui::Control& control);

private:
    // Whether the root's child is wholly under opaque pixels of later ones.
    bool covered(std::size_t index);
    void visit(gui::Control& control, int parent, int depth, const gui::Rect& clip, bool scrolls,
               bool insideViewport);

    gui::Control* root_;
    Describe describe_;
    std::vector<ShownControl> controls_;
};

} // namespace walk
