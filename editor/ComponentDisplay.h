#pragma once

// The strip that stacks run-time panels ("components") in a control bar and
// folds and unfolds them. Each component sits in a SectionContainer, a child
// of the bar; unfolding grows the container to its panel's length along the
// bar (animated by the bar when the user interface has an animator),
// folding shrinks it to nothing. With singleUnfold, unfolding one folds
// every other.
//
// Lifetime: the display links itself to each component's container and
// forgets one that dies; toggling a record whose container is gone, or an
// index outside the records, does nothing. The bar is the scroll area's
// content and goes with the strip.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Bitmap.h"
#include "gui/ScrollStrip.h"

#include <cstdint>
#include <memory>
#include <vector>

class DynamicInterface;
class GenericPluginInterfaceBase;
class SectionContainer;

namespace gui {
class ControlBar;
}

class ComponentDisplay : public gui::ScrollStrip {
public:
    struct Record {
        gui::Control* control = nullptr; // the component's container
        int32_t componentIndex = 0;
        bool unfolded = false;
    };

    ComponentDisplay(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                     gui::Button::Style* backwardStyle = nullptr, gui::Button::Style* forwardStyle = nullptr);
    ~ComponentDisplay() override;

    Property<bool> singleUnfold;
    // Fired (sender: this) after toggleComponent folded or unfolded a
    // component (and folded the others with singleUnfold).
    NotifyEvent componentToggledEvent;

    // Puts a panel that always shows at the start of the bar, before the
    // components (it has no record and never folds); it keeps its size and
    // opacity, without the bar's insertion animation.
    void addFixedPanel(gui::Control* panel);
    // Appends a folded record for the panel (in a new container at the
    // horizontal offset, the bar's last child) and returns its index.
    int addSectionContainer(float offset, DynamicInterface* panel);
    // Unfolds a folded component and folds an unfolded one; an unfolding
    // slides open through the bar's animator unless `animate` is false
    // (a section that starts open).
    void toggleComponent(int index, bool animate = true);
    // Hook: an unfolded component shows all its parts.
    virtual void showAllParts(gui::Control& panel);

    gui::ControlBar& bar() const { return *bar_; }
    const std::vector<Record>& components() const { return components_; }
    // The display's component buttons (not owned): each is linked, forgotten
    // when it dies, and told when the display dies first.
    const std::vector<gui::Control*>& buttons() const { return buttons_; }
    void addButton(gui::Control* button);
    void removeButton(gui::Control* button);
    // Drawn by every section container at its offset (empty by default).
    gui::Bitmap& sectionBitmap() { return *sectionBitmap_; }
    GenericPluginInterfaceBase& interface() const { return *interface_; }

    void componentDeleted(gui::Component* component) override;
    void boundsChanged() override;

private:
    // Ends the container's running bar animation (its insertion) at once.
    void finishInsertion(gui::Control& container);
    // The panel's length along the bar.
    float lengthOf(const gui::Control& container) const;
    void fold(Record& record);

    GenericPluginInterfaceBase* interface_;
    std::vector<Record> components_;
    gui::ControlBar* bar_;
    std::vector<gui::Control*> buttons_;
    std::unique_ptr<gui::Bitmap> sectionBitmap_;
};
