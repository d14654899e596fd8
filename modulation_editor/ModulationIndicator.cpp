#include "modulation_editor/ModulationIndicator.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/UserInterface.h"
#include "modulation_editor/AbstractSlotController.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// The width of a segment over the segment count: they overlap by half.
constexpr float kSegmentOverlap = 0.5f;

} // namespace

// The mark of a watched control: a line along its bottom edge, drawn in the
// colour the manager had when the mark was made. It takes no input.
class ModulationIndicator::Mark : public gui::Control {
public:
    Mark(gui::UserInterface& userInterface, gui::Color color) : gui::Control(userInterface), color_(color) {
        enabled.setValue(false);
    }
    void draw(gui::Canvas& canvas) override {
        const gui::Rect r = localRect();
        canvas.fillRect(gui::Rect(r.left, r.bottom - 1.0f, r.right, r.bottom), color_);
    }

private:
    gui::Color color_;
};

ModulationIndicator::ModulationIndicator(gui::UserInterface& userInterface, Host& host, uint32_t first,
                                         uint32_t count, gui::Alignment alignment, gui::Layout layout,
                                         gui::Point offset)
    : gui::Button(userInterface, &host.indicatorStyle()), alignment(this, alignment), follow(this, true),
      placingIndex(this, 0), layout(this, layout), offset(this, offset), host_(&host), explicitFirst_(first),
      explicitCount_(count) {
    helpText.setValue(kHelpText);
    hitByRect.setValue(false);
    hitThreshold.setValue(kHitThreshold);
    visible.setValue(false);
    recomputeRange();
}

ModulationIndicator::~ModulationIndicator() {
    removeMarks();
    if (host_ != nullptr) host_->indicatorDying(*this);
    host_ = nullptr;
}

gui::Control* ModulationIndicator::watchedControl(size_t index) const {
    return index < watches_.size() ? watches_[index].control : nullptr;
}

int ModulationIndicator::findWatch(const gui::Control* control) const {
    for (size_t i = 0; i < watches_.size(); ++i)
        if (watches_[i].control == control) return static_cast<int>(i);
    return -1;
}

bool ModulationIndicator::watches(const gui::Control* control) const {
    return control != nullptr && findWatch(control) >= 0;
}

gui::Control* ModulationIndicator::placingControl() const {
    if (watches_.empty()) return nullptr;
    const int last = static_cast<int>(watches_.size()) - 1;
    return watches_[static_cast<size_t>(std::clamp(placingIndex.getValue(), 0, last))].control;
}

bool ModulationIndicator::isMarked(const gui::Control* control) const {
    const int index = findWatch(control);
    return index >= 0 && watches_[static_cast<size_t>(index)].mark != nullptr;
}

// ---- watched controls --------------------------------------------------------------------

void ModulationIndicator::recomputeRange() {
    bool any = explicitCount_ > 0;
    uint64_t low = explicitFirst_;
    uint64_t high = uint64_t{explicitFirst_} + explicitCount_; // one past
    for (const Watch& w : watches_) {
        if (w.target == kNoTarget) continue;
        if (!any) {
            low = w.target;
            high = uint64_t{w.target} + 1;
            any = true;
            continue;
        }
        low = std::min<uint64_t>(low, w.target);
        high = std::max<uint64_t>(high, uint64_t{w.target} + 1);
    }
    first_ = any ? static_cast<uint32_t>(low) : 0;
    count_ = any ? static_cast<uint32_t>(std::min<uint64_t>(high - low, UINT32_MAX)) : 0;
}

void ModulationIndicator::addControl(gui::Control* control, uint32_t target, bool atFront) {
    if (control == nullptr || watches(control)) return;
    const Watch watch{control, target, nullptr};
    if (atFront)
        watches_.insert(watches_.begin(), watch);
    else
        watches_.push_back(watch);
    // Its changes and its death reach this indicator.
    control->addWatcher(this);
    recomputeRange();
    if (host_ != nullptr) host_->indicatorChanged(*this);
    place();
    updateState();
    if (visible.getValue()) addMarks();
}

bool ModulationIndicator::dropControl(gui::Control* control) {
    const int index = findWatch(control);
    if (index < 0) return false;
    Mark* mark = watches_[static_cast<size_t>(index)].mark;
    watches_.erase(watches_.begin() + index);
    if (mark != nullptr) {
        gui::Component::unlink(mark);
        // A dying control has already let go of its children.
        delete mark;
    }
    recomputeRange();
    if (host_ != nullptr) host_->indicatorChanged(*this);
    if (watches_.empty()) {
        visible.setValue(false);
        if (host_ != nullptr) host_->indicatorEmptied(*this);
        if (!deletePosted_) deletePosted_ = userInterface().postMessage(this, kDeleteSelf, gui::kGuiList);
        return true;
    }
    place();
    updateState();
    return true;
}

void ModulationIndicator::moveControl(gui::Control* control, uint32_t target) {
    const int index = findWatch(control);
    if (index < 0) return;
    watches_[static_cast<size_t>(index)].target = target;
    recomputeRange();
    if (host_ != nullptr) host_->indicatorChanged(*this);
    updateState();
}

// ---- state, size and place ---------------------------------------------------------------

void ModulationIndicator::updateState() {
    if (host_ == nullptr) return;
    const auto kinds = static_cast<uint16_t>(host_->kindsOf(first_, count_) & 0xFFFFu);
    const AbstractSlotController& slots = host_->slotController();
    State next = kNotModulated;
    if (kinds != 0) {
        const bool selected = count_ > 0 && slots.targetFilterCount() == static_cast<int32_t>(count_) &&
                              slots.targetFilterFirst() == static_cast<int32_t>(first_);
        next = selected ? kSelected : kModulated;
    }
    if (next != state_ || kinds != kinds_ || !sized_) {
        state_ = next;
        kinds_ = kinds;
        sized_ = true;
        const gui::Bitmap& normal = host_->styleBitmap(kSegmentNormal);
        const gui::Rect r = normal.getRect();
        const float segmentWidth = r.width() > 0.0f ? r.width() : host_->indicatorStyle().width.getValue();
        const float segmentHeight =
            r.height() > 0.0f ? r.height() : host_->indicatorStyle().height.getValue();
        const int n = std::max(1, std::popcount(static_cast<unsigned>(kinds_)));
        setSize((1.0f + kSegmentOverlap * static_cast<float>(n - 1)) * segmentWidth, segmentHeight);
        place();
        refresh();
    }
    updateVisibility();
}

void ModulationIndicator::updateVisibility() {
    gui::Control* placing = placingControl();
    const bool show = placing != nullptr && placing->visible.getValue() && state_ != kNotModulated;
    opacity.setValue(state_ == kSelected || placing == nullptr ? 255 : placing->opacity.getValue());
    visible.setValue(show);
    if (show)
        addMarks();
    else
        removeMarks();
}

void ModulationIndicator::place() {
    gui::Control* placing = placingControl();
    if (placing == nullptr) return;
    gui::Control* host = placing->getParent();
    if (getParent() != host) parent.setValue(host);
    const gui::Rect r = placing->bounds.getValue();
    const float w = width.getValue();
    const float h = height.getValue();
    float dx = 0.0f;
    if (alignment.getValue() == gui::Alignment::kCentre)
        dx = (r.width() - w) * 0.5f;
    else if (alignment.getValue() == gui::Alignment::kRight)
        dx = r.width() - w;
    float dy = 0.0f;
    if (layout.getValue() == gui::Layout::kMiddle)
        dy = (r.height() - h) * 0.5f;
    else if (layout.getValue() == gui::Layout::kBottom)
        dy = r.height() - h;
    const gui::Point o = offset.getValue();
    setBounds(gui::Rect::fromXYWH(r.left + dx + o.x, r.top + dy + o.y, w, h));
}

// ---- marks -------------------------------------------------------------------------------

void ModulationIndicator::fitMark(Watch& watch) {
    if (watch.mark == nullptr) return;
    const gui::Rect r = watch.control->localRect();
    watch.mark->setBoundsXYWH(0.0f, 0.0f, r.width(), r.height());
}

void ModulationIndicator::addMarks() {
    if (host_ == nullptr) return;
    for (Watch& w : watches_) {
        if (w.mark != nullptr) continue;
        w.mark = new Mark(userInterface(), host_->indicatorMarkColor());
        gui::Component::link(w.mark);
        w.mark->parent.setValue(w.control);
        fitMark(w);
    }
}

void ModulationIndicator::removeMarks() {
    for (Watch& w : watches_) {
        Mark* mark = w.mark;
        if (mark == nullptr) continue;
        w.mark = nullptr;
        gui::Component::unlink(mark);
        delete mark;
    }
}

// ---- events ------------------------------------------------------------------------------

void ModulationIndicator::propertyChanged(AbstractProperty& property) {
    gui::Button::propertyChanged(property);
    if (&property == &alignment || &property == &layout || &property == &offset) {
        place();
    } else if (&property == &placingIndex) {
        place();
        updateVisibility();
    }
}

void ModulationIndicator::handleMessage(int code) {
    if (code != kDeleteSelf) {
        gui::Button::handleMessage(code);
        return;
    }
    deletePosted_ = false;
    // Bound again meanwhile: it stays.
    if (watches_.empty()) delete this;
}

void ModulationIndicator::componentDeleted(gui::Component* component) {
    gui::Button::componentDeleted(component);
    for (Watch& w : watches_) {
        if (static_cast<gui::Component*>(w.mark) == component) {
            w.mark = nullptr; // the tree deleted it with its control's children
            return;
        }
    }
    for (const Watch& w : watches_) {
        if (static_cast<gui::Component*>(w.control) == component) {
            dropControl(w.control);
            return;
        }
    }
}

void ModulationIndicator::childChanged(gui::Control* child, ChildChange code) {
    const int index = findWatch(child);
    if (index < 0) {
        gui::Button::childChanged(child, code);
        return;
    }
    Watch& watch = watches_[static_cast<size_t>(index)];
    const bool placing = child == placingControl();
    switch (code) {
    case ChildChange::kBounds:
        fitMark(watch);
        if (placing && follow.getValue()) place();
        break;
    case ChildChange::kVisibility:
    case ChildChange::kOpacity:
        if (placing) updateVisibility();
        break;
    case ChildChange::kParent:
        if (placing) place();
        break;
    default:
        break;
    }
}

void ModulationIndicator::fireEvent5() {
    AliveGuard alive(this);
    gui::Button::fireEvent5();
    if (!alive.alive() || host_ == nullptr) return;
    if (host_->askForHiddenSection()) return;
    AbstractSlotController& slots = host_->slotController();
    if (state_ == kSelected) {
        slots.clearFilter();
        return;
    }
    const gui::Rect local = localRect();
    const gui::Point at = toRoot(local.topLeft());
    slots.setTargetFilter(gui::Rect::fromXYWH(at.x, at.y, local.width(), local.height()),
                          static_cast<int32_t>(first_), static_cast<int32_t>(count_));
}

void ModulationIndicator::paintContents(gui::Canvas& canvas) {
    if (host_ == nullptr || kinds_ == 0) {
        gui::Button::paintContents(canvas, state_ == kSelected ? 2 : 0);
        return;
    }
    const bool active = state_ == kSelected || drawingState() == DrawingState::kPressed;
    const int alpha = active ? 255 : blendOpacity(normalOpacity.getValue());
    const auto segment = active ? kSegmentActive : kSegmentNormal;
    int rank = 0;
    for (int32_t kind = 0; kind < kMaxKinds; ++kind) {
        if (!(kinds_ & (1u << kind))) continue;
        const gui::Bitmap& face = host_->segmentBitmap(kind, segment);
        const gui::Bitmap& overlay = host_->segmentBitmap(kind, kSegmentOverlay);
        const gui::Point at(kSegmentOverlap * face.getRect().width() * static_cast<float>(rank), 0.0f);
        if (face.pixelWidth() > 0) canvas.drawBitmap(face, at, alpha);
        if (overlay.pixelWidth() > 0) canvas.drawBitmap(overlay, at, alpha);
        ++rank;
    }
}
