#include "gui/Knob.h"

#include "gui/Canvas.h"
#include "gui/DeviceBacking.h"
#include "gui/Modifiers.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gui {
namespace {

constexpr float kTolerance = 0.001f;

bool hasPixels(const Bitmap& bitmap) {
    return bitmap.pixelWidth() >= 1 && bitmap.pixelHeight() >= 1;
}

float frac(float x) {
    return x - std::floor(x);
}

} // namespace

// ---- style -----------------------------------------------------------------------

Knob::Style::Style(UserInterface& userInterface)
    : Component(userInterface), handleTolerance(this, 30.0f), radius(this, 0.0f), innerRadius(this, 2.0f),
      margin(this, 0.0f), insets(this, Rect()) {
    for (auto& bitmap : bitmaps_)
        bitmap = std::make_unique<Bitmap>(userInterface.deviceBacking());
}

Knob::Style::~Style() = default;

void Knob::Style::setBitmaps(const std::string& background, const std::string& indicator,
                             const std::string& backgroundHighlighted, const std::string& indicatorOver,
                             const std::string& indicatorOnHandle, const std::string& indicatorDragging) {
    const std::string* names[kBitmapCount] = {&background,    &backgroundHighlighted, &indicator,
                                              &indicatorOver, &indicatorOnHandle,     &indicatorDragging};
    loadedDouble_ = bitmap(0).getBacking().getScale() != 1.0f;
    for (int i = 0; i < kBitmapCount; ++i) {
        names_[static_cast<std::size_t>(i)] = *names[i];
        if (names[i]->empty())
            bitmap(i).resize(0, 0);
        else
            bitmap(i).load(*names[i]);
    }
    applyRadiusRule();
}

void Knob::Style::applyRadiusRule() {
    if (radius.getValue() == 0.0f) radius.setValue(bitmap(0).getRect().width() * 0.5f - 2.0f);
}

void Knob::Style::reloadForScale() {
    const bool wantDouble = bitmap(0).getBacking().getScale() != 1.0f;
    if (wantDouble == loadedDouble_) return;
    loadedDouble_ = wantDouble;
    for (int i = 0; i < kBitmapCount; ++i)
        if (!names_[static_cast<std::size_t>(i)].empty()) bitmap(i).load(names_[static_cast<std::size_t>(i)]);
}

// ---- knob ------------------------------------------------------------------------

Knob::Knob(UserInterface& userInterface, Style* style)
    : RolloverValueControl(userInterface), acceleration(this, true),
      orientation(this, Orientation::kVertical), roundHit(this, false), limitJumps(this, true),
      angleRange(this, 300.0f), angleOffset(this, 0.0f), showDefaultWhenDisabled(this, false),
      fineFactor(this, 0.1f), adjust(this, Rect()), tracker_(userInterface.clock()),
      cache_(std::make_unique<Bitmap>(userInterface.deviceBacking())) {
    style_.set(style);
    tracker_.acceleration.setValue(acceleration.getValue());
    tracker_.fineFactor.setValue(fineFactor.getValue());
    sizeToIndicator();
    updateAngle();
    touchFlags.setValue(1);
}

Knob::~Knob() = default;

// The empty style is made on the GUI thread (never inside draw): when the
// style goes or none is given.
Knob::Style& Knob::activeStyle() {
    return style_.active();
}

void Knob::componentDeleted(Component* component) {
    if (style_.forget(component)) {
        drawnAngle_ = -10.0f;
    }
    RolloverValueControl::componentDeleted(component);
}

void Knob::setStyle(Style* style) {
    if (!style_.set(style)) return;
    drawnAngle_ = -10.0f;
    sizeToIndicator();
    invalidateRect(localRect());
}

void Knob::sizeToIndicator() {
    const Rect r = activeStyle().bitmap(2).getRect();
    const Rect b = bounds.getValue();
    if (std::fabs(b.width() - r.width()) > kTolerance || std::fabs(b.height() - r.height()) > kTolerance)
        setBoundsXYWH(b.left, b.top, r.width(), r.height());
}

bool Knob::rotaryAllowed(int modifiers) {
    return !((modifierMode(modifiers) & kModeFine) && hasPixels(activeStyle().bitmap(0)));
}

// ---- angles ----------------------------------------------------------------------

float Knob::angleForValue(int v) const {
    const int lo = minimum.getValue();
    const int hi = maximum.getValue();
    float f = hi > lo ? static_cast<float>(v - lo) / static_cast<float>(hi - lo) : 0.0f;
    if (transformBehavior.getValue() == TransformBehavior::kValueToPosition && valueToPosition != nullptr)
        f = valueToPosition(f);
    const float range = angleRange.getValue();
    const float base = frac(1.0f - range / 720.0f + angleOffset.getValue() / 360.0f);
    return frac(range / 360.0f * f + base);
}

int Knob::valueForAngle(float angle) const {
    const float range = angleRange.getValue() / 360.0f;
    const float a = frac(angle - angleOffset.getValue() / 360.0f - 0.5f);
    float f = (a - (1.0f - range) / 2.0f) / range;
    if (transformBehavior.getValue() == TransformBehavior::kValueToPosition && positionToValue != nullptr)
        f = positionToValue(f);
    const int steps = maximum.getValue() - minimum.getValue();
    const float raw = std::trunc((0.5f / static_cast<float>(steps) + f) * static_cast<float>(steps));
    const int v = static_cast<int>(std::clamp(raw, 0.0f, static_cast<float>(steps)));
    return minimum.getValue() + v;
}

float Knob::pointerAngle(const Point& point) const {
    const Rect r = localRect();
    const float dx = point.x - r.width() / 2.0f;
    const float dy = point.y - r.height() / 2.0f;
    if (dx == 0.0f && dy == 0.0f) return 0.0f;
    return frac(std::atan2(dy, dx) / (2.0f * std::numbers::pi_v<float>)+0.25f);
}

bool Knob::ringHit(const Point& point, float centre, float tolerance) {
    const Style& style = activeStyle();
    const Rect r = localRect();
    const float dx = point.x - r.width() / 2.0f;
    const float dy = point.y - r.height() / 2.0f;
    const float a = pointerAngle(point);
    const float t = tolerance / 360.0f;
    const bool near =
        std::fabs(a - centre) < t || std::fabs(a - (centre + 1.0f)) < t || std::fabs(a - (centre - 1.0f)) < t;
    if (!near) return false;
    const float d2 = std::trunc(dx * dx + dy * dy);
    const float inner = style.innerRadius.getValue();
    const float outer = style.radius.getValue();
    return inner * inner <= d2 && d2 <= outer * outer;
}

void Knob::updateAngle() {
    const float range = angleRange.getValue();
    if (range < 1.0f)
        angleRange.setValue(1.0f);
    else if (range > 360.0f)
        angleRange.setValue(360.0f);
    const float offset = angleOffset.getValue();
    if (offset < -359.0f)
        angleOffset.setValue(-359.0f);
    else if (offset > 359.0f)
        angleOffset.setValue(359.0f);
    const bool useDefault = !enabled.getValue() && showDefaultWhenDisabled.getValue();
    angle_ = angleForValue(useDefault ? defaultValue.getValue() : value.getValue());
    tracker_.resolution.setValue(maximum.getValue() - minimum.getValue());
    if (stale()) invalidateRect(localRect());
}

bool Knob::stale() const {
    if (drawnHover_ != hover_ || drawnDragging_ != (dragMode_ != DragMode::kNone)) return true;
    const float d = std::fabs(angle_ - drawnAngle_);
    return d >= 0.001f && std::fabs(d - 1.0f) >= 0.001f;
}

void Knob::valueControlPropertyChanged(AbstractProperty& property) {
    RolloverValueControl::valueControlPropertyChanged(property);
    if (&property == &value || &property == &minimum || &property == &maximum || &property == &angleRange ||
        &property == &angleOffset || &property == &showDefaultWhenDisabled || &property == &enabled ||
        &property == &defaultValue) {
        updateAngle();
    } else if (&property == &acceleration) {
        tracker_.acceleration.setValue(acceleration.getValue());
    } else if (&property == &fineFactor) {
        tracker_.fineFactor.setValue(fineFactor.getValue());
    }
}

// ---- geometry and hit test -------------------------------------------------------

void Knob::getPaintBounds(Rect& rect) {
    const Style& style = activeStyle();
    const float m = style.margin.getValue();
    const Rect local = localRect();
    Rect r(local.left + m, local.top + m, local.right - m, local.bottom - m);
    if (r.right <= r.left || r.bottom <= r.top) r = Rect();
    const Rect in = style.insets.getValue();
    const Rect a = adjust.getValue();
    rect = Rect(r.left + in.left + a.left, r.top + in.top + a.top, r.right - in.right + a.right,
                r.bottom - in.bottom + a.bottom);
}

int Knob::hitAlpha(const Point& point) {
    Style& style = activeStyle();
    const Bitmap& background = style.bitmap(0);
    const Rect r = localRect();
    if (hasPixels(background)) {
        if (roundHit.getValue()) {
            const float dx = point.x - r.width() / 2.0f;
            const float dy = point.y - r.height() / 2.0f;
            return r.width() * r.width() / 4.0f >= dx * dx + dy * dy ? 255 : 0;
        }
        if (!background.getRect().contains(point)) return 0;
        const float scale = background.getScale();
        return background
            .pixelAt(static_cast<int>(std::floor(point.x * scale)),
                     static_cast<int>(std::floor(point.y * scale)))
            .a;
    }
    return ringHit(point, angleOffset.getValue() / 360.0f,
                   angleRange.getValue() / 2.0f + style.handleTolerance.getValue())
               ? 255
               : 0;
}

// ---- mouse -----------------------------------------------------------------------

void Knob::setHover(HoverState state) {
    if (state == hover_) return;
    hover_ = state;
    if (stale()) invalidateRect(localRect());
}

void Knob::mouseDown(int button, const Point& point, int modifiers) {
    if (!beginLeftPress(button, point, modifiers)) return;
    if (modifierMode(modifiers) & kModeReset) {
        if (inGesture()) resetToDefault();
        return;
    }
    if (hover_ == HoverState::kHandle && rotaryAllowed(modifiers)) {
        dragMode_ = DragMode::kRotary;
        pressAngle_ = pointerAngle(point);
        angleAtPress_ = angleForValue(value.getValue());
        deadZone_ = 0;
        invalidateRect(localRect());
    } else if (hasPixels(activeStyle().bitmap(0))) {
        dragMode_ = DragMode::kLinear;
        lastLinear_ = orientation.getValue() == Orientation::kHorizontal ? point.x : point.y;
        // A new drag starts from whole steps: no remainder of the last one.
        tracker_.reset();
        tracker_.setClickPoint(point);
        invalidateRect(localRect());
    }
}

void Knob::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    RolloverValueControl::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    if (dragMode_ == DragMode::kNone) {
        const bool handle =
            rotaryAllowed(modifiers) && ringHit(point, angle_, activeStyle().handleTolerance.getValue());
        setHover(handle ? HoverState::kHandle : HoverState::kOver);
        return;
    }
    if (!inGesture()) return;
    updateLinkFromModifiers(modifiers);
    if (dragMode_ == DragMode::kLinear) {
        const float c = orientation.getValue() == Orientation::kHorizontal ? point.x : point.y;
        const float delta = lastLinear_ - c;
        lastLinear_ = c;
        const int steps = tracker_.dragMove(*this, point, delta, modifiers);
        if (steps != 0) performGesture(kGestureChange, steps);
        return;
    }
    const float t = pointerAngle(point) + angleAtPress_ - pressAngle_;
    const int v = valueForAngle(t);
    float limit = limitJumps.getValue() ? 0.5f : 1.0f;
    const Rect r = localRect();
    const float d = std::max(std::fabs(point.x - r.width() / 2.0f), std::fabs(point.y - r.height() / 2.0f));
    if (d <= activeStyle().innerRadius.getValue()) {
        deadZone_ = 1;
        return;
    }
    if (deadZone_ == 1) deadZone_ = 2;
    if (deadZone_ == 2) limit = 0.1f;
    const float range = static_cast<float>(maximum.getValue() - minimum.getValue());
    if (std::fabs(static_cast<float>(v - value.getValue())) / range > limit) return;
    deadZone_ = 0;
    if (v != gestureValue()) performGesture(kGestureChange, v - gestureValue());
}

void Knob::mouseUp(int button, const Point& point, int modifiers) {
    const bool dragged = dragMode_ != DragMode::kNone;
    AliveGuard alive(this);
    // Click to jump: a knob without a background takes the value under the
    // pointer in the press's own gesture.
    if (button == kMouseLeft && !dragged && inGesture() && !hasPixels(activeStyle().bitmap(0)) &&
        localRect().contains(point) && hitAlpha(point) > 0) {
        const int v = valueForAngle(pointerAngle(point));
        if (v != gestureValue()) performGesture(kGestureChange, v - gestureValue());
        if (!alive.alive()) return;
    }
    RolloverValueControl::mouseUp(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft || !dragged) return;
    updateLinkFromModifiers(0);
    dragMode_ = DragMode::kNone;
    if (stale()) invalidateRect(localRect());
}

void Knob::mouseEnter() {
    AliveGuard alive(this);
    RolloverValueControl::mouseEnter();
    if (!alive.alive()) return;
    setHover(HoverState::kOver);
    setPointerInside(true);
}

void Knob::mouseLeave() {
    AliveGuard alive(this);
    RolloverValueControl::mouseLeave();
    if (!alive.alive()) return;
    setHover(HoverState::kOutside);
    setPointerInside(false);
}

bool Knob::mouseWheel(int phase, const Point&, int modifiers, const Point& firstDelta, const Point&) {
    if (dragMode_ != DragMode::kNone) return true;
    // The speed (the first delta's vertical component) is both numbers of
    // the tracker's wheel step: the distance would sweep a fine range at once.
    float speed = std::clamp(firstDelta.y, -1.0f, 1.0f);
    if (maximum.getValue() - minimum.getValue() >= 100)
        updateLinkFromModifiers(modifiers);
    else if (angleOffset.getValue() - angleRange.getValue() / 2.0f > 0.0f)
        speed = -speed;
    return wheelGesture(phase, tracker_, speed, modifiers);
}

void Knob::scaleChanged() {
    if (Style* style = style_.get()) style->reloadForScale();
    drawnAngle_ = -10.0f;
    RolloverValueControl::scaleChanged();
}

// ---- drawing ---------------------------------------------------------------------

const Bitmap& Knob::indicatorForState() {
    Style& style = activeStyle();
    int index = 2;
    if (hover_ == HoverState::kOver)
        index = 3;
    else if (hover_ == HoverState::kHandle)
        index = dragMode_ != DragMode::kNone ? 5 : 4;
    // An empty holder stands for the next lower one.
    while (index > 2 && !hasPixels(style.bitmap(index)))
        --index;
    return style.bitmap(index);
}

void Knob::renderIndicator() {
    drawnAngle_ = angle_;
    drawnHover_ = hover_;
    drawnDragging_ = dragMode_ != DragMode::kNone;
    const Bitmap& indicator = indicatorForState();
    if (!hasPixels(indicator)) {
        cache_->resize(0, 0);
        return;
    }
    cache_->setSizeLike(indicator);
    cache_->clear();
    cache_->drawRotated(indicator, angle_ * 2.0f * std::numbers::pi_v<float>);
    ++renderCount_;
}

void Knob::draw(Canvas& canvas) {
    if (stale() || drawnAngle_ == -10.0f) renderIndicator();
    Style& style = activeStyle();
    int opacity = 255;
    const Bitmap* background = rolloverManager().blend(style.bitmap(0), style.bitmap(1), opacity, nullptr);
    if (background != nullptr && hasPixels(*background)) canvas.drawBitmap(*background, Point(), opacity);
    if (hasPixels(*cache_)) canvas.drawBitmap(*cache_, Point(), 255);
}

void Knob::paintContents(Canvas& canvas) {
    paintContents(canvas, kPaintPlain);
}

void Knob::paintContents(Canvas& canvas, int mode) {
    if (stale() || drawnAngle_ == -10.0f) renderIndicator();
    const Bitmap& background = activeStyle().bitmap(mode == kPaintHighlighted ? 1 : 0);
    if (hasPixels(background)) canvas.drawBitmap(background, Point(), 255);
    if (hasPixels(*cache_)) canvas.drawBitmap(*cache_, Point(), 255);
}

} // namespace gui
