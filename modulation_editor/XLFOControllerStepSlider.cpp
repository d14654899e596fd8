#include "modulation_editor/XLFOController.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Beyond this squared distance from the press point a press has moved.
constexpr float kMoveDistanceSquared = 4.0f;
constexpr float kLabelSize = 8.0f;
constexpr gui::Color kLabelColor(0, 0, 0, 180);

bool hasPixels(const gui::Bitmap& bitmap) {
    return bitmap.pixelWidth() > 0 && bitmap.pixelHeight() > 0;
}

} // namespace

XLFOController::StepSlider::Style::Style(gui::UserInterface& userInterface)
    : gui::Switch::Style(userInterface),
      selectedHandle_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())),
      randomHandle_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())),
      curveDot_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {}

XLFOController::StepSlider::Style::~Style() = default;

XLFOController::StepSlider::StepSlider(XLFOController& controller, int32_t index, gui::Switch::Style* style)
    : gui::Switch(controller.userInterface(), style), selected(this, false), index_(index),
      controller_(controller) {
    autoSize.setValue(false);
    label_.reset(userInterface().platformDelegate().createText());
    label_->fontSize.setValue(kLabelSize);
    label_->color.setValue(kLabelColor);
    label_->text.setValue(std::to_string(index + 1));
    setBoundsXYWH(0.0f, 0.0f, 0.0f, controller.height.getValue());
}

XLFOController::StepSlider::~StepSlider() = default;

void XLFOController::StepSlider::propertyChanged(AbstractProperty& property) {
    gui::Switch::propertyChanged(property);
    if (&property != &selected) return;
    if (selected.getValue()) {
        // Joins the group of the first other selected step.
        for (int32_t k = 0; k < kMaxSteps; ++k) {
            StepSlider* other = controller_.slider(k);
            if (other != nullptr && other != this && other->selected.getValue()) {
                linkWith(other);
                break;
            }
        }
    } else {
        unlink();
    }
    invalidateRect(localRect());
    controller_.sliderSelectionChanged(index_);
}

void XLFOController::StepSlider::valueControlPropertyChanged(AbstractProperty& property) {
    gui::Switch::valueControlPropertyChanged(property);
    if (&property == &value) controller_.stepValueShown(index_);
}

int XLFOController::StepSlider::snapPosition(int64_t position) const {
    const int64_t low = minimum.getValue();
    const int64_t high = maximum.getValue();
    const int64_t clamped = std::clamp(position, low, high);
    const int64_t k = (clamped - low + kSnapPositions / 2) / kSnapPositions;
    return static_cast<int>(std::clamp(low + k * kSnapPositions, low, high));
}

int XLFOController::StepSlider::stepGesture(int phase, int channel, int delta, int flags) {
    if (phase == gui::kGestureBegin) wheelPosition_ = value.getValue();
    if (phase != gui::kGestureChange || !snapped_)
        return gui::Switch::stepGesture(phase, channel, delta, flags);
    const int64_t base = (flags & kFromValue) ? value.getValue() : gesturePosition();
    if (wheeling_) {
        // The wheel's steps count from where the last one left off, so that
        // small ones add up; its query lets the whole step through.
        const int64_t raw = wheelPosition_ + delta;
        if (flags & kQueryOnly) return std::abs(delta);
        wheelPosition_ = raw;
        return gui::Switch::stepGesture(phase, channel, static_cast<int>(snapPosition(raw) - base), flags);
    }
    const int64_t target = snapPosition(base + delta);
    return gui::Switch::stepGesture(phase, channel, static_cast<int>(target - base), flags);
}

bool XLFOController::StepSlider::mouseWheel(int phase, const gui::Point& point, int modifiers,
                                            const gui::Point& firstDelta, const gui::Point& secondDelta) {
    wheeling_ = true;
    AliveGuard alive(this);
    const bool used = gui::Switch::mouseWheel(phase, point, modifiers, firstDelta, secondDelta);
    if (alive.alive()) wheeling_ = false;
    return used;
}

void XLFOController::StepSlider::updateLinkFromModifiers(int modifiers) {
    // A selected step drags its group without the link modifier.
    gui::Switch::updateLinkFromModifiers(following_ && selected.getValue() ? modifiers | gui::kAlt
                                                                           : modifiers);
}

gui::Rect XLFOController::StepSlider::valueArea() {
    const gui::Rect local = localRect();
    const float length = std::trunc(handleLength());
    float top = handlePosition().y;
    if (controller_.isRandomStep(index_)) top = std::trunc((local.height() - length) * 0.5f);
    return gui::Rect(0.0f, top, std::trunc(local.width()), top + length);
}

bool XLFOController::StepSlider::handleHit(const gui::Point& point) {
    const gui::Rect area = valueArea();
    return point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom;
}

void XLFOController::StepSlider::updateRolloverAt(const gui::Point& point) {
    setPointerInside(handleHit(point));
}

int XLFOController::StepSlider::hitAlpha(const gui::Point&) {
    // The whole column: a press off the bar still belongs to the step.
    return 255;
}

int XLFOController::StepSlider::positionAtHeight(float y) {
    const int low = minimum.getValue();
    const int high = maximum.getValue();
    const float t = travel();
    if (t <= 0.0f) return value.getValue();
    const double fromTop =
        std::clamp(double(y) - handleLength() * 0.5 - startMargin.getValue(), 0.0, double(t));
    const double v = double(low) + (double(t) - fromTop) * (double(high) - low) / t;
    return static_cast<int>(std::clamp(std::round(v), double(low), double(high)));
}

void XLFOController::StepSlider::mouseDown(int button, const gui::Point& point, int modifiers) {
    if (button != gui::kMouseLeft) {
        gui::Switch::mouseDown(button, point, modifiers);
        return;
    }
    AliveGuard alive(this);
    pressPoint_ = point;
    pressModifiers_ = modifiers & (gui::kShift | gui::kCtrl);
    moved_ = false;
    pressedInValueArea_ = handleHit(point);
    if (pressedInValueArea_) {
        if (modifiers & gui::kCtrl) {
            controller_.setStepSelected(index_, !selected.getValue());
        } else if (modifiers & gui::kShift) {
            const int32_t last = controller_.lastSelected();
            if (last < 0)
                controller_.setStepSelected(index_, true);
            else
                controller_.selectRange(last, index_);
        }
    }
    if (!alive.alive()) return;
    // A selecting press does not drag, so it moves no other step either.
    following_ = pressModifiers_ == 0;
    gui::Switch::mouseDown(button, point, modifiers & ~(gui::kShift | gui::kCtrl));
    // On the grid an accelerated drag's small steps would never add up.
    if (alive.alive() && snapped_ && dragging()) tracker().acceleration.setValue(false);
}

void XLFOController::StepSlider::mouseMove(const gui::Point& point, int modifiers) {
    if (pressModifiers_ != 0 && dragging()) return;
    AliveGuard alive(this);
    gui::Switch::mouseMove(point, modifiers);
    if (!alive.alive() || !dragging()) return;
    const float dx = point.x - pressPoint_.x;
    const float dy = point.y - pressPoint_.y;
    if (dx * dx + dy * dy > kMoveDistanceSquared) moved_ = true;
    if (selected.getValue()) controller_.showLastSelectedValue();
}

void XLFOController::StepSlider::mouseUp(int button, const gui::Point& point, int modifiers) {
    if (button != gui::kMouseLeft) {
        gui::Switch::mouseUp(button, point, modifiers);
        return;
    }
    AliveGuard alive(this);
    const bool click = pressModifiers_ == 0 && !moved_;
    // The release's own step moves this step only.
    following_ = false;
    updateLinkFromModifiers(0);
    if (click && pressedInValueArea_ && inGesture() && localRect().contains(point)) {
        const int target = positionAtHeight(point.y);
        if (target != gesturePosition()) performGesture(gui::kGestureChange, target - gesturePosition());
        if (!alive.alive()) return;
    }
    gui::Switch::mouseUp(button, point, modifiers & ~(gui::kShift | gui::kCtrl));
    if (!alive.alive()) return;
    pressModifiers_ = 0;
    if (!click) return;
    if (pressedInValueArea_)
        controller_.selectOnly(index_);
    else
        controller_.deselectAll();
}

XLFOController::StepCurve& XLFOController::StepSlider::curve() {
    const int32_t n = controller_.numSteps();
    const float base = controller_.stepDisplayValue(index_);
    const float next = n > 0 ? controller_.stepDisplayValue((index_ + 1) % n) : base;
    float glide = 0.0f;
    XLFO::GlideCurve function = XLFO::GlideCurve::kLinear;
    if (const AbstractPluginParameter* p = controller_.stepParameter(index_, kGlide))
        glide = std::clamp(p->getValue(), 0.0f, 1.0f);
    if (const AbstractPluginParameter* p = controller_.stepParameter(index_, kGlideFunction))
        function =
            static_cast<XLFO::GlideCurve>(std::clamp(static_cast<int>(std::lround(p->getValue())), 0, 3));
    const gui::Rect local = localRect();
    curve_.set(base, next, glide, function, local.width(), local.height());
    return curve_;
}

void XLFOController::StepSlider::draw(gui::Canvas& canvas) {
    const gui::Rect local = localRect();
    if (local.width() < 1.0f || local.height() < 1.0f) return;
    gui::Switch::Style* style = this->style();
    if (style != nullptr && hasPixels(style->track()))
        canvas.drawBitmapInRect(style->track(), style->track().getRect(), local, 255);
    canvas.strokeCurve(curve(), local, gui::Point(0.0f, 0.0f), controller_.curveColor.getValue(),
                       gui::Color(0, 0, 0, 0), controller_.curveFillColor.getValue());
    if (style != nullptr) {
        auto* stepStyle = dynamic_cast<Style*>(style);
        gui::Bitmap* normal = &style->handle();
        if (stepStyle != nullptr && controller_.isRandomStep(index_) && hasPixels(stepStyle->randomHandle()))
            normal = &stepStyle->randomHandle();
        if (stepStyle != nullptr && selected.getValue() && hasPixels(stepStyle->selectedHandle()))
            normal = &stepStyle->selectedHandle();
        int opacity = 255;
        const gui::Bitmap* shown =
            rolloverManager().blend(*normal, style->handleHighlighted(), opacity, nullptr);
        if (shown != nullptr && hasPixels(*shown))
            canvas.drawBitmapInRect(*shown, shown->getRect(), valueArea(), opacity);
    }
    const float labelWidth = label_->width();
    const float labelHeight = label_->height();
    canvas.drawText(
        *label_,
        gui::Point(std::trunc((local.width() - labelWidth) * 0.5f), local.height() - labelHeight - 2.0f),
        255);
}
