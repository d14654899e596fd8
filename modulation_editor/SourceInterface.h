#pragma once

// SourceInterface: the panel of one modulation source instance in the
// source strip. It knows its source id, the modulation-source indices of the
// source's outputs (from the controller), its name, one drag button per
// output and its Remove Source button; the product derives one panel per
// source type and links its controls in setSourceInstance.
//
// Lifetime: made by the controller's listener, wrapped in a SourceContainer
// of the source bar and deleted with it. The header (when the listener
// makes one), the selection image, the drag buttons and the Remove Source
// button are its children. When its source moves to another instance (an
// earlier one was removed) the panel stays and is rebound.
//
// Threading: GUI thread only.

#include "editor/DynamicInterface.h"
#include "foundation/Property.h"
#include "modulation_editor/SourceId.h"

#include <cstdint>
#include <string>
#include <vector>

class SourceHost;
class SourceDragButton;

namespace gui {
class Button;
class Image;
} // namespace gui

class SourceInterface : public DynamicInterface {
public:
    static constexpr float kDragDistance = 4.0f;
    static constexpr const char* kRemoveHelp =
        "The Remove Source button removes the modulation source from the interface.\n\nNote: This will also "
        "remove all slots that use this modulation source, since these are no longer valid.";

    SourceInterface(SourceHost& controller, SourceId id, gui::Button::Style* dragButtonStyle,
                    gui::Button::Style* removeButtonStyle);
    ~SourceInterface() override;

    Property<bool> selected;
    Property<int> panelSize;

    // --- Its own operations.
    // Asks the controller to remove this source (nothing while a removal or
    // an addition is pending).
    virtual void removeSource();
    // Filters the slot list to this source's outputs.
    virtual void showSourceSlots();
    // Scrolls the source strip so that the panel shows (as its selection
    // does), animated with an animator.
    void scrollIntoView();
    virtual bool isAlwaysVisible() { return false; }
    // After the source's parameters changed: the header refreshes.
    virtual void refreshFromParameters();
    // Rebinds to another instance of the type: stores it and its range,
    // then unlinks every control (also for the same instance). Product
    // panels call this first and link their controls again.
    virtual void setSourceInstance(std::int32_t instance);

    void rebuildInterface() override {}

    // Links a control of the panel through the editor, as the modulation
    // target given (~0: none), and records the pair.
    void linkSourceControl(AbstractPluginParameter* parameter, gui::ValueControl* control, uint32_t target);

    void setSourceName(const std::string& name);
    const std::string& sourceName() const { return name_; }
    // The name where the whole one finds no room (the source button of a
    // narrow panel): empty for the name itself.
    void setShortSourceName(const std::string& name);
    const std::string& shortSourceName() const { return shortName_.empty() ? name_ : shortName_; }
    SourceId sourceId() const { return id_; }
    std::uint32_t firstSourceIndex() const { return firstSource_; }
    std::int32_t outputCount() const { return outputCount_; }
    const std::vector<SourceDragButton*>& dragButtons() const { return dragButtons_; }
    gui::Button* removeButton() const { return removeButton_; }
    gui::Control* header() const { return header_; }
    gui::Image* selectionImage() const { return selectionImage_; }
    SourceHost& controller() const { return controller_; }

    void propertyChanged(AbstractProperty& property) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void draw(gui::Canvas& canvas) override;
    void boundsChanged() override;
    void componentDeleted(gui::Component* component) override;

private:
    void selectionChanged();

    SourceHost& controller_;
    gui::Control* header_ = nullptr;
    float headerLevel_ = 0.0f;
    std::vector<SourceDragButton*> dragButtons_;
    gui::Button* removeButton_ = nullptr;
    gui::Image* selectionImage_ = nullptr;
    std::uint32_t firstSource_ = 0;
    bool pressed_ = false;
    gui::Point pressPoint_;
    std::int32_t outputCount_ = 0;
    std::string name_;
    std::string shortName_;
    SourceId id_;
};
