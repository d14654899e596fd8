#include "modulation_editor/SourceController.h"

#include "gui/Animation.h"
#include "gui/Bitmap.h"
#include "gui/BitmapResourceList.h"
#include "gui/Canvas.h"
#include "gui/Menu.h"
#include "gui/Overlay.h"
#include "gui/PopupMenu.h"
#include "gui/ScrollArea.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "modulation/ModulationSlotParameterSetList.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SlotAllocation.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceInterface.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/SourceSlotController.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <exception>

namespace {

// Posted to the controller on the GUI list: an Add Slot click found no room.
constexpr int kNoFreeSlotsMessage = 1;
constexpr float kSelectionBarHeight = 20.0f;

// A bitmap of the user interface's resources; null for an empty name or one
// that does not load.
gui::Bitmap* loadBitmap(gui::UserInterface& ui, const std::string& name) {
    if (name.empty()) return nullptr;
    try {
        return ui.bitmapResources().load(name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

int32_t activeCount(const SourceController::SourceType& type) {
    return type.list != nullptr ? std::clamp(type.list->getNumActive(), 0, type.list->getNumSets()) : 0;
}

} // namespace

SourceController::SourceController(ModulationMatrixPluginInterface& interface, Listener& listener,
                                   AbstractSlotController& slots, gui::Button::Style* backwardStyle,
                                   gui::Button::Style* forwardStyle)
    : gui::Control(interface.userInterface()), SourceHost(this), interface_(interface), listener_(listener),
      slots_(slots), perSourceSlots_(dynamic_cast<SourceSlotController*>(&slots) != nullptr) {
    gui::UserInterface& ui = interface.userInterface();
    strip_ = new ModulationScrollStrip(ui, interface, backwardStyle, forwardStyle);
    strip_->parent.setValue(this);
    link(strip_);
    bar_ = new SourceBar(ui);
    bar_->orientation.setValue(gui::Orientation::kHorizontal);
    bar_->spacing.setValue(0.0f);
    bar_->fitToContent.setValue(true);
    strip_->scrollArea()->setContent(bar_);
    link(bar_);
    strip_->scrollArea()->scrollEvent.addHandler(NotifyEvent::bind(this, &SourceController::scrolled));
    bar_->layoutEvent.addHandler(NotifyEvent::bind([this] {
        if (selectionBar_ != nullptr) selectionBar_->updateMap();
    }));

    menu_.reset(ui.platformDelegate().createPopupMenu());
    menu_->addSeparator();
    auto* sort = new gui::MenuItem("Sort Slots");
    sort->id.setValue(kSortSlotsTag);
    sort->selectedEvent.setHandler(NotifyEvent::bind([this] { sortSlots(); }));
    menu_->addItem(sort);

    if (perSourceSlots_) {
        // The slot panels stand under their sources.
        static_cast<SourceSlotController&>(slots).setSourceHost(this);
        selectionBar_ = new SourceSelectionBar(*this, nullptr, nullptr);
        selectionBar_->parent.setValue(this);
        link(selectionBar_);
        addSourceButton_ = listener.createButton(*this, kAddSourceButton);
        if (addSourceButton_ != nullptr) {
            addSourceButton_->helpText.setValue(kAddSourceHelp);
            if (auto* button = dynamic_cast<gui::Button*>(addSourceButton_))
                button->setPopupMenu(menu_.get());
            link(addSourceButton_);
            selectionBar_->setAddSourceButton(addSourceButton_);
        }
    }
    if (!perSourceSlots_) {
        buttonContainer_ = new ButtonContainer(*this);
        buttonContainer_->parent.setValue(bar_);
        link(buttonContainer_);
    }
    // A click on the bar's empty space deselects every panel.
    bar_->clickEvent.addHandler(NotifyEvent::bind([this] {
        if (strip_ != nullptr && strip_->scrollArea()->state() == gui::ScrollArea::State::kIdle)
            deselectAll(nullptr);
    }));
    layoutParts();
}

// ---- button container -------------------------------------------------------------------

namespace {

// Sets a button's text and its width from it (an empty text keeps the width).
void setButtonText(gui::Control* control, const std::string& text) {
    auto* button = dynamic_cast<gui::Button*>(control);
    if (button == nullptr || button->textLines().empty()) return;
    gui::Text* line = button->textLine(0);
    line->text.setValue(text);
    if (!text.empty())
        button->width.setValue(line->width() + 2.0f * button->textPadding.getValue() +
                               button->textOffsetX.getValue());
}

} // namespace

SourceController::ButtonContainer::ButtonContainer(SourceController& controller)
    : gui::Control(controller.userInterface()), controller_(controller) {
    add_ = controller.listener().createButton(controller, kAddSourceButton);
    if (add_ != nullptr) {
        add_->parent.setValue(this);
        add_->helpText.setValue(kAddSourceHelp);
        if (auto* button = dynamic_cast<gui::Button*>(add_)) button->setPopupMenu(controller.menu_.get());
        link(add_);
    }
    toggle_ = controller.listener().createButton(controller, kAddModulationLabel);
    if (toggle_ != nullptr) {
        toggle_->parent.setValue(this);
        toggle_->helpText.setValue("Unused");
        link(toggle_);
        toggle_->clickEvent.addHandler(NotifyEvent::bind([this] {
            if (auto* button = dynamic_cast<gui::Button*>(toggle_))
                controller_.showModulation.setValue(button->on.getValue());
        }));
    }
}

SourceController::ButtonContainer::~ButtonContainer() {
    deleteChildren();
}

void SourceController::ButtonContainer::setShadowBitmap(const std::string& name) {
    shadow_ = loadBitmap(userInterface(), name);
    invalidateRect(localRect());
}

gui::Rect SourceController::ButtonContainer::shadowRect() const {
    gui::Rect row;
    bool any = false;
    for (gui::Control* button : {add_, toggle_}) {
        if (button == nullptr || !button->visible.getValue()) continue;
        const gui::Rect b = button->bounds.getValue();
        row = any ? gui::Rect(std::min(row.left, b.left), std::min(row.top, b.top),
                              std::max(row.right, b.right), std::max(row.bottom, b.bottom))
                  : b;
        any = true;
    }
    if (!any || shadow_ == nullptr) return gui::Rect();
    const float h = shadow_->getRect().height();
    const float top = (row.top + row.bottom - h) * 0.5f;
    return gui::Rect(row.left - kShadowOutset, top, row.right + kShadowOutset, top + h);
}

void SourceController::ButtonContainer::draw(gui::Canvas& canvas) {
    gui::Control::draw(canvas);
    const gui::Rect r = shadowRect();
    if (shadow_ == nullptr || r.width() <= 0.0f || shadow_->getRect().width() <= 0.0f) return;
    canvas.drawBitmapInRect(*shadow_, shadow_->getRect(), r, 255);
}

void SourceController::ButtonContainer::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == add_) add_ = nullptr;
    if (component == toggle_) toggle_ = nullptr;
}

void SourceController::ButtonContainer::updateButtons() {
    bool anyVisible = false, alwaysVisible = false, otherVisible = false;
    // The panels on the bar (hidden modulation only narrows them).
    for (SourceInterface* panel : controller_.panels()) {
        if (!panel->visible.getValue()) continue;
        const bool always = panel->isAlwaysVisible();
        anyVisible = true;
        (always ? alwaysVisible : otherVisible) = true;
    }
    const bool toggleShown = otherVisible;
    const bool addShown = !toggleShown || controller_.showModulation.getValue();
    if (toggle_ != nullptr) {
        toggle_->visible.setValue(toggleShown);
        if (auto* button = dynamic_cast<gui::Button*>(toggle_))
            button->on.setValue(controller_.showModulation.getValue());
        setButtonText(toggle_, !addShown && !alwaysVisible ? "Show Modulation" : "");
    }
    float right = kInset;
    if (add_ != nullptr) {
        add_->visible.setValue(addShown);
        setButtonText(add_, anyVisible ? "" : "Add Modulation");
        if (addShown) {
            add_->setX(kInset);
            add_->setY((height.getValue() - add_->height.getValue()) * 0.5f);
            right = kInset + add_->width.getValue();
        }
    }
    if (toggle_ != nullptr && toggleShown) {
        const float x = add_ != nullptr && addShown ? add_->width.getValue() + kInset + kGap : kInset;
        toggle_->setX(x);
        toggle_->setY((height.getValue() - toggle_->height.getValue()) * 0.5f);
        right = x + toggle_->width.getValue();
    }
    const float margin =
        controller_.strip_ != nullptr ? controller_.strip_->scrollArea()->marginX.getValue() : 0.0f;
    setSize(right + margin + kTrail, height.getValue());
}

SourceController::~SourceController() {
    // The strip goes first, while the controller is whole: a removal that
    // runs finds the controller closing and keeps its source.
    closing_ = true;
    if (perSourceSlots_) static_cast<SourceSlotController&>(slots_).setSourceHost(nullptr);
    if (strip_ != nullptr) delete strip_;
    if (selectionBar_ != nullptr) delete selectionBar_;
    deleteChildren();
}

void SourceController::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == strip_) {
        strip_ = nullptr;
        bar_ = nullptr;
    }
    if (component == bar_) bar_ = nullptr;
    if (component == selectionBar_) selectionBar_ = nullptr;
    if (component == addSourceButton_) addSourceButton_ = nullptr;
    if (component == buttonContainer_) buttonContainer_ = nullptr;
    if (component == scrollBar_) scrollBar_ = nullptr;
}

void SourceController::registerSourceType(AbstractParameterSetList& list, const std::string& name,
                                          int32_t presetKind, int32_t outputsPerInstance) {
    const auto type = static_cast<int32_t>(types_.size());
    const int32_t outputs = std::max(1, outputsPerInstance);
    uint32_t first = firstSourceIndex;
    for (const SourceType& earlier : types_)
        first += static_cast<uint32_t>(earlier.list->getNumSets() * earlier.outputs);
    types_.push_back({&list, name, presetKind, 0, outputs});
    for (int32_t k = 0; k < list.getNumSets(); ++k) {
        for (int32_t o = 0; o < outputs; ++o) {
            outputOwners_.push_back(type);
            // A source is offered while its instance is active.
            interface_.sourceRange(first + static_cast<uint32_t>(k * outputs + o)) = {k, &list};
        }
    }
    auto* item = new gui::MenuItem("New " + name);
    item->id.setValue(type);
    item->selectedEvent.setHandler(NotifyEvent::bind([this, type] { addSource(type); }));
    menu_->insertItem(type, item);
}

void SourceController::setBarBitmaps(
    const std::string& backgroundName,
    const std::array<std::string, gui::Button::Style::kStateBitmapCount>& scrollBarNames) {
    background_ = loadBitmap(userInterface(), backgroundName);
    if (strip_ == nullptr || std::all_of(scrollBarNames.begin(), scrollBarNames.end(),
                                         [](const std::string& n) { return n.empty(); }))
        return;
    auto style = std::make_unique<gui::Button::Style>(userInterface());
    for (int k = 0; k < gui::Button::Style::kStateBitmapCount; ++k) {
        const std::string& name = scrollBarNames[static_cast<size_t>(k)];
        if (name.empty()) continue;
        try {
            style->stateBitmap(k).load(name);
        } catch (const std::exception&) {
            // A missing state bitmap leaves that state out.
        }
    }
    style->updateSizeFromBitmaps();
    gui::ScrollArea* area = strip_->scrollArea();
    // The area adopts the first bar of an axis: the old one goes first.
    if (gui::ScrollArea::ScrollBar* old = area->scrollBar(gui::Orientation::kHorizontal)) delete old;
    auto* bar = new gui::ScrollArea::ScrollBar(userInterface(), style.get(), gui::Orientation::kHorizontal);
    bar->setSize(style->width.getValue(), style->height.getValue());
    const gui::Rect pressed = style->stateBitmap(2).getRect();
    if (pressed.width() <= 0.0f || pressed.height() <= 0.0f) bar->opacity.setValue(128);
    // The area keeps its thumbs above the content.
    bar->parent.setValue(area);
    scrollBarStyle_ = std::move(style);
    scrollBar_ = bar;
    link(bar);
}

std::pair<uint32_t, int32_t> SourceController::getSourceParameterRange(SourceId id) const {
    if (id.type < 0 || static_cast<size_t>(id.type) >= types_.size()) return {0, 0};
    const SourceType& type = types_[static_cast<size_t>(id.type)];
    if (id.instance < 0 || id.instance >= type.list->getNumSets()) return {0, 0};
    uint32_t first = firstSourceIndex;
    for (int32_t t = 0; t < id.type; ++t) {
        const SourceType& earlier = types_[static_cast<size_t>(t)];
        first += static_cast<uint32_t>(earlier.list->getNumSets() * earlier.outputs);
    }
    return {first + static_cast<uint32_t>(id.instance * type.outputs), type.outputs};
}

int32_t SourceController::typeOfOutput(uint32_t source) const {
    if (source < firstSourceIndex) return -1;
    const uint32_t k = source - firstSourceIndex;
    return k < outputOwners_.size() ? outputOwners_[k] : -1;
}

int32_t SourceController::containerCount() const {
    // The button container, when there is one, is the bar's last child.
    if (bar_ == nullptr) return 0;
    const auto children = static_cast<int32_t>(bar_->children().size());
    return buttonContainer_ != nullptr && children > 0 ? children - 1 : children;
}

SourceContainer* SourceController::containerAt(int32_t position) const {
    if (bar_ == nullptr || position < 0 || position >= containerCount()) return nullptr;
    return dynamic_cast<SourceContainer*>(bar_->children()[static_cast<size_t>(position)]);
}

std::vector<SourceInterface*> SourceController::panels() const {
    std::vector<SourceInterface*> result;
    for (int32_t k = 0; k < containerCount(); ++k)
        if (SourceContainer* container = containerAt(k))
            if (container->panel() != nullptr) result.push_back(container->panel());
    return result;
}

int32_t SourceController::barPosition(SourceId id) const {
    if (id.type < 0 || static_cast<size_t>(id.type) >= types_.size()) return -1;
    int32_t position = 0;
    for (int32_t t = 0; t < id.type; ++t)
        position += types_[static_cast<size_t>(t)].cachedCount;
    const SourceType& type = types_[static_cast<size_t>(id.type)];
    return id.instance >= 0 && id.instance < type.cachedCount ? position + id.instance : -1;
}

void SourceController::rebuildSourceContainers() {
    // A new source's default preset refreshes every control from inside the
    // loop below; the rebuild under way covers what that refresh asks for.
    if (bar_ == nullptr || rebuilding_) return;
    {
        // Cleared however the rebuild ends.
        struct Rebuilding {
            bool& flag;
            explicit Rebuilding(bool& f) : flag(f) { flag = true; }
            ~Rebuilding() { flag = false; }
        } rebuilding(rebuilding_);
        rebuildContainers();
    }
    // The strip's range follows the containers the bar has laid out (the
    // bar does not tell the strip).
    if (strip_ != nullptr) strip_->scrollArea()->updateLayout();
    slots_.refreshSlots(-1);
    updateSourceBar();
}

void SourceController::rebuildContainers() {
    UpdatedObject::Hold hold(*bar_);
    int32_t position = 0;
    int32_t insertedAt = -1;
    for (size_t t = 0; t < types_.size(); ++t) {
        SourceType& type = types_[t];
        const int32_t active = activeCount(type);
        int32_t made = 0;
        for (int32_t i = 0; i < active; ++i, ++made) {
            SourceInterface* panel = nullptr;
            if (i < type.cachedCount) {
                SourceContainer* container = containerAt(position);
                panel = container != nullptr ? container->panel() : nullptr;
                if (panel != nullptr && panel->sourceId().instance != i) panel->setSourceInstance(i);
            } else {
                const SourceId id{static_cast<int32_t>(t), i};
                panel = listener_.createSourceInterface(*this, id);
                if (panel == nullptr) break;
                const bool added = id == justAdded_;
                if (added) {
                    interface_.loadDefaultComponentPresetFor(static_cast<uint32_t>(type.presetKind), i);
                    interface_.refreshControls(-1);
                }
                panel->setSourceInstance(i);
                auto* container = new SourceContainer(*this, panel);
                if (added && bar_->children().empty()) strip_->scrollArea()->scrollX.setValue(0.0f);
                container->parent.setValue(bar_);
                bar_->setChildIndex(container, position);
                if (added) {
                    // It grows in once it has its width (below).
                    insertedAt = position;
                    panel->selected.setValue(true);
                }
            }
            if (panel != nullptr) panel->refreshFromParameters();
            ++position;
        }
        // Containers beyond the active count go.
        for (int32_t k = made; k < type.cachedCount; ++k)
            if (SourceContainer* container = containerAt(position)) delete container;
        type.cachedCount = made;
    }
    for (int32_t k = 0; k < containerCount(); ++k)
        if (SourceContainer* container = containerAt(k)) {
            container->setSize(container->preferredWidth(k + 1 == containerCount()),
                               strip_->scrollArea()->height.getValue());
            container->layoutSlots();
        }
    // The insertion grows the new container to the width it has now. Once
    // it has grown, its selected panel scrolls into view: when it was
    // selected the bar had not laid it out, and the strip's range fell
    // short of it.
    if (SourceContainer* inserted = containerAt(insertedAt))
        bar_->insertControl(insertedAt, inserted, strip_->scrollArea(), NotifyEvent::bind([](void* grown) {
                                auto* container =
                                    dynamic_cast<SourceContainer*>(static_cast<gui::Control*>(grown));
                                SourceInterface* panel = container != nullptr ? container->panel() : nullptr;
                                if (panel != nullptr && panel->selected.getValue()) panel->scrollIntoView();
                            }));
}

void SourceController::updateSourceBar() {
    // The rebuild under way updates the bar once its containers stand.
    if (rebuilding_) return;
    if (selectionBar_ != nullptr) selectionBar_->updateMap();
    if (buttonContainer_ != nullptr) {
        buttonContainer_->height.setValue(strip_ != nullptr ? strip_->scrollArea()->height.getValue() : 0.0f);
        buttonContainer_->updateButtons();
    }
}

void SourceController::scrolled() {
    updateSourceBar();
    if (scrollListener_ != nullptr && strip_ != nullptr)
        scrollListener_->sourcesScrolled(*this, strip_->scrollArea()->scrollX.getValue());
}

void SourceController::showAllSlots() {
    if (perSourceSlots_ && slots_.hasFilter()) slots_.clearFilter();
    if (strip_ != nullptr) {
        gui::ScrollArea* area = strip_->scrollArea();
        area->scrollX.setValue(area->scrollX.getValue());
    }
}

void SourceController::finishUserAction(bool changed) {
    slots_.refreshSlots(-1);
    interface_.refreshControls(-1);
    if (changed) interface_.storeUndoStep(-1);
}

void SourceController::addSource(int32_t type) {
    showModulation.setValue(true);
    if (isPending() || type < 0 || static_cast<size_t>(type) >= types_.size()) return;
    SourceType& entry = types_[static_cast<size_t>(type)];
    // The cache may lag the model (a preset load, undo or host state).
    if (entry.cachedCount != activeCount(entry)) rebuildSourceContainers();
    const int32_t count = activeCount(entry);
    if (count >= entry.list->getNumSets() ||
        count >= static_cast<int32_t>(entry.list->getNumActiveParameter().getMax()))
        return;
    justAdded_ = {type, count};
    entry.list->getNumActiveParameter().setValue(static_cast<float>(count + 1), 0);
    rebuildSourceContainers();
    justAdded_ = {};
    finishUserAction(true);
}

void SourceController::removeSource(SourceInterface& panel) {
    if (isPending() || bar_ == nullptr) return;
    const SourceId id = panel.sourceId();
    const int32_t position = barPosition(id);
    if (position < 0) return;
    pendingRemoval_ = id;
    removalCount_ = activeCount(types_[static_cast<size_t>(id.type)]);
    bar_->removeControlAt(position, NotifyEvent::bind(this, &SourceController::removalFinished));
}

void SourceController::removalFinished() {
    // Closing the editor during a removal keeps the source.
    if (closing_ || interface_.isClosed() || pendingRemoval_.isNone()) return;
    const SourceId id = pendingRemoval_;
    pendingRemoval_ = {};
    SourceType& type = types_[static_cast<size_t>(id.type)];
    --type.cachedCount;
    const bool unchanged = activeCount(type) == removalCount_;
    removalCount_ = -1;
    if (!unchanged) {
        // The model changed under the animation: the instance recorded at
        // the start may name another source now.
        rebuildSourceContainers();
        finishUserAction(false);
        return;
    }
    // Its slots go with it (and those aimed at its parameters), then the
    // later instances move down with their slots.
    if (auto* slotList = dynamic_cast<ModulationSlotParameterSetList*>(interface_.slotList())) {
        const auto [first, count] = getSourceParameterRange(id);
        for (int32_t o = count - 1; o >= 0; --o)
            slotList->removeSlotsForSource(static_cast<int32_t>(first) + o);
    }
    type.list->removeSet(id.instance);
    // The old filter's range would name the next source now.
    slots_.clearFilter();
    rebuildSourceContainers();
    if (strip_ != nullptr) strip_->scrollArea()->updateLayout();
    finishUserAction(true);
}

void SourceController::addSlot(uint32_t source) {
    const uint32_t position =
        allocateSlots(slots_, static_cast<int32_t>(source), {ModulationMatrixPluginInterface::kNoTarget});
    if (position == ModulationMatrixPluginInterface::kNoIndex) {
        userInterface().postMessage(this, kNoFreeSlotsMessage, gui::kGuiList);
        return;
    }
    finishUserAction(true);
}

void SourceController::handleMessage(int code) {
    gui::Control::handleMessage(code);
    if (code == kNoFreeSlotsMessage && !interface_.isClosed()) interface_.showError(kNoFreeSlotsText, "");
}

void SourceController::sortSlots() {
    slots_.sortSlots();
}

float SourceController::sourceBarWidth() const {
    return bar_ != nullptr ? bar_->width.getValue() : 0.0f;
}

std::pair<uint32_t, int32_t> SourceController::panelRange(const gui::Control& panel) const {
    if (const auto* source = dynamic_cast<const SourceInterface*>(&panel))
        return {source->firstSourceIndex(), source->outputCount()};
    return {0, 0};
}

void SourceController::showPanelSlots(gui::Control& panel) {
    if (auto* source = dynamic_cast<SourceInterface*>(&panel)) source->showSourceSlots();
}

void SourceController::deselectAll(SourceInterface* except) {
    for (SourceInterface* panel : panels())
        if (panel != except) panel->selected.setValue(false);
}

void SourceController::propertyChanged(AbstractProperty& property) {
    gui::Control::propertyChanged(property);
    if (&property == &showModulation) showModulationChanged();
}

void SourceController::showModulationChanged() {
    const int v = showModulation.getValue() ? 255 : 0;
    const int32_t count = containerCount();
    for (int32_t k = 0; k < count; ++k) {
        SourceContainer* container = containerAt(k);
        if (container == nullptr || container->panel() == nullptr || container->panel()->isAlwaysVisible())
            continue;
        gui::fadeControl(interface_.animator(), *container, v, gui::Overlay::kFadeDuration);
        container->width.setValue(container->preferredWidth(k + 1 == count));
    }
    updateSourceBar();
    AliveGuard alive(this);
    sourcesChangedEvent.notify(this);
}

int SourceController::hitAlpha(const gui::Point& point) {
    if (perSourceSlots_) return 255;
    const int32_t count = containerCount();
    if (count == 0) return 0;
    const float left = containerAt(0)->toRoot(gui::Point(0.0f, 0.0f)).x - toRoot(gui::Point(0.0f, 0.0f)).x;
    SourceContainer* last = containerAt(count - 1);
    const float right =
        last->toRoot(gui::Point(last->width.getValue(), 0.0f)).x - toRoot(gui::Point(0.0f, 0.0f)).x;
    return point.x >= left && point.x < right ? 255 : 0;
}

void SourceController::boundsChanged() {
    gui::Control::boundsChanged();
    layoutParts();
}

void SourceController::layoutParts() {
    const gui::Rect r = localRect();
    const float top = selectionBar_ != nullptr ? kSelectionBarHeight : 0.0f;
    if (selectionBar_ != nullptr) selectionBar_->setBoundsXYWH(0.0f, 0.0f, r.width(), top);
    if (strip_ != nullptr)
        strip_->setBoundsXYWH(0.0f, top, r.width(), std::max(0.0f, r.height() - top - margin.getValue()));
    updateSourceBar();
}
