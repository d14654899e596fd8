#include "gui/ControlBar.h"

#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace gui {

namespace {

// Lengths and weights closer than this count as nothing.
constexpr float kNegligible = 0.01f;
// Layout handlers that change the bar again get this many further passes.
constexpr int kLayoutPasses = 4;

float lengthOf(const Rect& r, bool horizontal) {
    return horizontal ? r.width() : r.height();
}

float thicknessOf(const Rect& r, bool horizontal) {
    return horizontal ? r.height() : r.width();
}

} // namespace

ControlBar::ControlBar(UserInterface& userInterface)
    : AnimatedControl(userInterface), alignment(this, Alignment::kCentre),
      animationFlags(this, kAnimateLength | kAnimateOpacity), fitToContent(this, false),
      layout(this, Layout::kMiddle), margin(this, 0.0f), maxSpacing(this, 0.0f), minHeight(this, 0.0f),
      minWidth(this, 0.0f), orientation(this, Orientation::kHorizontal), spacing(this, 0.0f) {
    touchFlags.setValue(kHandTouchToAncestor);
}

ControlBar::~ControlBar() {
    ++nesting_; // no layout from here on
    deleteChildren();
    layoutEvent.clear();
    // The animations' children are gone: a removal ends without deleting.
    if (Animator* a = animator()) a->startAnimation(nullptr, this, nullptr);
}

void ControlBar::propertyChanged(AbstractProperty& property) {
    if (&property == &alignment || &property == &animationFlags || &property == &fitToContent ||
        &property == &layout || &property == &margin || &property == &maxSpacing || &property == &minHeight ||
        &property == &minWidth || &property == &orientation || &property == &spacing) {
        requestLayout();
        return;
    }
    AnimatedControl::propertyChanged(property);
}

void ControlBar::childChanged(Control* child, ChildChange code) {
    AnimatedControl::childChanged(child, code);
    if (nesting_ > 0) return;
    switch (code) {
    case ChildChange::kAdded:
    case ChildChange::kRemoved:
    case ChildChange::kVisibility:
    case ChildChange::kBounds:
        requestLayout();
        break;
    default:
        break;
    }
}

void ControlBar::boundsChanged() {
    AnimatedControl::boundsChanged();
    if (!fitToContent.getValue()) requestLayout();
}

void ControlBar::scaleChanged() {
    AnimatedControl::scaleChanged();
    // Positions and flexible shares snap to the new device pixels.
    requestLayout();
}

void ControlBar::requestLayout() {
    relayoutPending_ = true;
    requestUpdate();
}

void ControlBar::update() {
    // A request made while this update runs (by the layout event's handlers)
    // is dropped by the update hold, but its flag stays: take it here.
    for (int pass = 0; relayoutPending_ && nesting_ == 0 && pass < kLayoutPasses; ++pass) {
        relayoutPending_ = false;
        layOut();
        layoutEvent.notify(this);
    }
    for (std::size_t i = 0; i < children().size(); ++i) {
        Control* child = children()[i];
        if (child->getUpdateState() == kChangePending && !child->isHeld()) child->requestUpdate();
    }
    AnimatedControl::update();
}

bool ControlBar::isBeingRemoved(const Control* child) const {
    if (child == nullptr) return false;
    return std::any_of(links().begin(), links().end(), [child](Component* c) {
        const auto* link = dynamic_cast<const BarAnimation::Link*>(c);
        return link != nullptr && link->owner().kind() == BarAnimation::Kind::kRemove &&
               link->owner().child() == child;
    });
}

BarAnimation* ControlBar::animateControl(Control& child, BarAnimation::Kind kind, float length,
                                         NotifyEvent::Handler* completionHandler, ScrollArea* scrollArea) {
    std::unique_ptr<NotifyEvent::Handler> handler(completionHandler);
    Animator* a = animator();
    if (a == nullptr || isBeingRemoved(&child)) return nullptr;
    return new BarAnimation(*a, *this, child, kind, animationFlags.getValue(), isHorizontal(), length,
                            handler.release(), scrollArea);
}

void ControlBar::insertControl(int index, Control* control, ScrollArea* scrollArea,
                               NotifyEvent::Handler* grownHandler) {
    std::unique_ptr<NotifyEvent::Handler> handler(grownHandler);
    if (control == nullptr) return;
    // The growth's end calls the handler; without a growth it is called below.
    const bool grows = animator() != nullptr && !isBeingRemoved(control);
    animateControl(*control, BarAnimation::Kind::kInsert, 0.0f, grows ? handler.release() : nullptr,
                   scrollArea);
    if (control->getParent() == this) {
        setChildIndex(control, index);
        requestLayout();
    } else {
        setChildInsertionIndex(index);
        control->parent.setValue(this);
        setChildInsertionIndex(-1);
    }
    if (handler != nullptr) handler->invoke(control);
}

void ControlBar::removeControlAt(int index, NotifyEvent::Handler* completionHandler) {
    std::unique_ptr<NotifyEvent::Handler> handler(completionHandler);
    if (index < 0 || index >= int(children().size())) return;
    Control* child = children()[std::size_t(index)];
    if (isBeingRemoved(child)) return;
    if (animator() != nullptr) {
        animateControl(*child, BarAnimation::Kind::kRemove, 0.0f, handler.release());
        return;
    }
    delete child;
    if (handler != nullptr) handler->invoke(nullptr);
}

void ControlBar::resizeControl(Control* child) {
    if (child == nullptr || isBeingRemoved(child)) return;
    if (animator() != nullptr) {
        animateControl(*child, BarAnimation::Kind::kCollapse);
        return;
    }
    const Rect b = child->bounds.getValue();
    if (isHorizontal())
        child->setSize(0.0f, b.height());
    else
        child->setSize(b.width(), 0.0f);
}

void ControlBar::layOut() {
    ++nesting_;
    const bool horizontal = isHorizontal();
    const Rect own = bounds.getValue();
    const bool fit = fitToContent.getValue();
    const float minimum = horizontal ? minWidth.getValue() : minHeight.getValue();
    const float edge = margin.getValue();
    const float gap = spacing.getValue();
    float available = fit ? minimum : lengthOf(own, horizontal);

    // Measure.
    float used = 2.0f * edge;
    int gaps = 0;
    float thickness = 0.0f;
    childLayouts_.clear();
    std::vector<float> weights;
    for (Control* child : children()) {
        ChildLayout entry;
        entry.child = child;
        if (const auto* flexible = dynamic_cast<const FlexibleInfo*>(child)) {
            entry.flexible = true;
            entry.record = flexible->flexibleRecord();
        }
        const Rect b = child->bounds.getValue();
        entry.included = child->visible.getValue() && !(entry.flexible && entry.record.excluded) &&
                         (entry.flexible || lengthOf(b, horizontal) >= kNegligible);
        weights.push_back(entry.included && entry.flexible ? std::max(entry.record.weight, 0.0f) : 0.0f);
        if (entry.included) {
            if (used > 2.0f * edge) {
                used += gap;
                ++gaps;
            }
            used += entry.flexible ? entry.record.baseLength : lengthOf(b, horizontal);
            thickness = std::max(thickness, thicknessOf(b, horizontal));
        }
        childLayouts_.push_back(entry);
    }

    // Share the free length among the flexible children by weight, in device
    // pixels; a child held at its minimum or maximum leaves the sharing.
    const float scale = userInterface().deviceBacking().getScale();
    auto totalWeight = [&weights] {
        float sum = 0.0f;
        for (float w : weights)
            sum += w;
        return sum;
    };
    for (int pass = 0; pass <= int(childLayouts_.size()) * 4 + 8; ++pass) {
        const float total = totalWeight();
        float free = available - used;
        if (total <= kNegligible || free <= kNegligible) break;
        float weightLeft = total;
        for (std::size_t i = 0; i < childLayouts_.size(); ++i) {
            const float w = weights[i];
            if (w <= 0.0f || weightLeft <= 0.0f) continue;
            ChildLayout& entry = childLayouts_[i];
            float share = w * free / weightLeft;
            share = std::trunc(share * scale) / scale;
            free -= share;
            weightLeft -= w;
            const float current = entry.record.baseLength + entry.extra;
            float next = std::max(current + share, entry.record.minimumLength);
            if (entry.record.maximumLength > 0.0f) next = std::min(next, entry.record.maximumLength);
            const float change = next - current;
            if (std::fabs(change) > kNegligible) {
                entry.extra += change;
                used += change;
            } else {
                weights[i] = 0.0f;
            }
        }
    }

    if (fit) available = std::max(used, available);

    float gapUsed = gap;
    const float extraSpacing = maxSpacing.getValue();
    if (extraSpacing > gap && gaps >= 1) {
        gapUsed = std::min(extraSpacing, (available - used) / float(gaps) + gap);
        used += (gapUsed - gap) * float(gaps);
    }

    const int mainAlignment = horizontal ? int(alignment.getValue()) : int(layout.getValue());
    const int crossAlignment = horizontal ? int(layout.getValue()) : int(alignment.getValue());
    float start = edge;
    // A bar fitted without a minimum is exactly as long as its content.
    if (!(fit && minimum <= kNegligible)) {
        if (mainAlignment == 2)
            start = available - used;
        else if (mainAlignment == 1)
            start = (available - used) * 0.5f;
    }
    float crossStart = 0.0f;
    if (!fit) {
        const float room = thicknessOf(own, horizontal) - thickness;
        if (crossAlignment == 2)
            crossStart = room;
        else if (crossAlignment == 1)
            crossStart = room * 0.5f;
    }

    // Place. A handler of a child's move may change the children: stop at
    // the first child that is no longer where the measurement found it.
    const IDeviceBacking& backing = userInterface().deviceBacking();
    for (std::size_t i = 0; i < childLayouts_.size(); ++i) {
        if (i >= children().size() || children()[i] != childLayouts_[i].child) break;
        const ChildLayout& entry = childLayouts_[i];
        if (!entry.included) continue;
        Control* child = entry.child;
        if (entry.flexible) {
            const float length = entry.record.baseLength + entry.extra;
            const Rect b = child->bounds.getValue();
            if (horizontal)
                child->setSize(length, b.height());
            else
                child->setSize(b.width(), length);
        }
        const Rect b = child->bounds.getValue();
        float offset = 0.0f;
        if (crossAlignment == 2)
            offset = thickness - thicknessOf(b, horizontal);
        else if (crossAlignment == 1)
            offset = (thickness - thicknessOf(b, horizontal)) * 0.5f;
        const float along = backing.snap(start);
        const float across = backing.snap(crossStart + offset);
        child->setBounds(horizontal ? Rect::fromXYWH(along, across, b.width(), b.height())
                                    : Rect::fromXYWH(across, along, b.width(), b.height()));
        start += lengthOf(b, horizontal) + gapUsed;
    }

    // A fitted bar is as long as its content, and at least its minimum.
    if (fit) {
        if (horizontal)
            setSize(available, thickness);
        else
            setSize(thickness, available);
    }
    --nesting_;
}

} // namespace gui
