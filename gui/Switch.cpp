#include "gui/Switch.h"

#include "gui/Animation.h"
#include "gui/Canvas.h"
#include "gui/DeviceBacking.h"
#include "gui/Modifiers.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gui {
namespace {

constexpr float kTolerance = 0.001f;
// A range of fewer steps than this makes a stepped switch.
constexpr std::int64_t kSliderSteps = 100;
constexpr int kGlideMs = 75;
// Below this pointer speed (0..1) a stepped switch glides to its position.
constexpr float kGlideSpeed = 0.5f;

bool hasPixels(const Bitmap& bitmap) {
    return bitmap.pixelWidth() >= 1 && bitmap.pixelHeight() >= 1;
}

} // namespace

// ---- style -----------------------------------------------------------------------

Switch::Style::Style(UserInterface& userInterface) : Component(userInterface), handleOnly(this, false) {
    DeviceBacking& backing = userInterface.deviceBacking();
    track_ = std::make_unique<Bitmap>(backing);
    handle_ = std::make_unique<Bitmap>(backing);
    handleHighlighted_ = std::make_unique<Bitmap>(backing);
}

Switch::Style::~Style() = default;

std::unique_ptr<Bitmap>& Switch::Style::slot(Slot s) {
    switch (s) {
    case kTrack:
        return track_;
    case kTrackHighlighted:
        return trackHighlighted_;
    case kHandle:
        return handle_;
    case kHandleHighlighted:
        return handleHighlighted_;
    case kFill:
        return fill_;
    default:
        return fillHighlighted_;
    }
}

void Switch::Style::load(Slot s, const std::string& name) {
    names_[s] = name;
    std::unique_ptr<Bitmap>& bitmap = slot(s);
    if (name.empty()) {
        if (bitmap != nullptr) bitmap->resize(0, 0);
        return;
    }
    if (bitmap == nullptr) bitmap = std::make_unique<Bitmap>(userInterface().deviceBacking());
    bitmap->load(name);
}

void Switch::Style::setBitmaps(const std::string& track, const std::string& trackHighlighted,
                               const std::string& handle, const std::string& handleHighlighted) {
    loadedDouble_ = handle_->getBacking().getScale() != 1.0f;
    load(kTrack, track);
    if (!trackHighlighted.empty()) load(kTrackHighlighted, trackHighlighted);
    load(kHandle, handle);
    load(kHandleHighlighted, handleHighlighted);
}

void Switch::Style::setFillBitmaps(const std::string& fill, const std::string& fillHighlighted) {
    if (!fill.empty()) load(kFill, fill);
    if (!fillHighlighted.empty()) load(kFillHighlighted, fillHighlighted);
}

Bitmap& Switch::Style::makeTrackHighlighted() {
    if (trackHighlighted_ == nullptr)
        trackHighlighted_ = std::make_unique<Bitmap>(userInterface().deviceBacking());
    return *trackHighlighted_;
}

Bitmap& Switch::Style::makeFill() {
    if (fill_ == nullptr) fill_ = std::make_unique<Bitmap>(userInterface().deviceBacking());
    return *fill_;
}

Bitmap& Switch::Style::makeFillHighlighted() {
    if (fillHighlighted_ == nullptr)
        fillHighlighted_ = std::make_unique<Bitmap>(userInterface().deviceBacking());
    return *fillHighlighted_;
}

void Switch::Style::reloadForScale() {
    const bool wantDouble = handle_->getBacking().getScale() != 1.0f;
    if (wantDouble == loadedDouble_) return;
    loadedDouble_ = wantDouble;
    for (int s = 0; s < kSlots; ++s) {
        std::unique_ptr<Bitmap>& bitmap = slot(Slot(s));
        if (bitmap != nullptr && !names_[s].empty()) bitmap->load(names_[s]);
    }
}

// ---- switch ----------------------------------------------------------------------

Switch::Switch(UserInterface& userInterface, Style* style)
    : RolloverValueControl(userInterface), autoSize(this, true), startMargin(this, 0.0f),
      endMargin(this, 0.0f), direction(this, kDefaultDirection), tileTrack(this, false),
      trackRollover_(*this, 255), fillBlend_(std::make_unique<Bitmap>(userInterface.deviceBacking())),
      tracker_(userInterface.clock()) {
    style_.set(style);
    maximum.setValue(1);
    tracker_.resolution.setValue(maximum.getValue() - minimum.getValue());
    tracker_.acceleration.setValue(false);
    touchFlags.setValue(1);
    Style& s = activeStyle();
    const Bitmap& sizer =
        !hasPixels(s.track()) && s.trackHighlighted() != nullptr ? *s.trackHighlighted() : s.track();
    const Rect r = sizer.getRect();
    const Rect b = bounds.getValue();
    setBoundsXYWH(b.left, b.top, r.width(), r.height());
    updateTravel();
    updateHandle();
}

Switch::~Switch() {
    if (Animator* a = animator()) a->stopAnimations(&handlePosition_);
}

// The empty style is made on the GUI thread (never inside draw): when the
// style goes or none is given.
Switch::Style& Switch::activeStyle() {
    return style_.active();
}

void Switch::componentDeleted(Component* component) {
    if (style_.forget(component)) {
        updateTravel();
        updateHandle();
    }
    RolloverValueControl::componentDeleted(component);
}

void Switch::setStyle(Style* style) {
    if (!style_.set(style)) return;
    updateTravel();
    updateHandle();
    redraw();
}

void Switch::redraw() {
    invalidateRect(localRect());
}

bool Switch::isStepped() {
    return std::int64_t(maximum.getValue()) - std::int64_t(minimum.getValue()) < kSliderSteps;
}

float Switch::handleLength() {
    const Rect r = activeStyle().handle().getRect();
    return vertical_ ? r.height() : r.width();
}

// ---- geometry --------------------------------------------------------------------

void Switch::updateTravel() {
    const Rect local = localRect();
    vertical_ = local.width() <= local.height();
    const float length = vertical_ ? local.height() : local.width();
    travel_ = length - handleLength() - startMargin.getValue() - endMargin.getValue();
    // A switch without travel is not dragged: the tracker keeps a usable length.
    if (travel_ > 0.0f) tracker_.dragLength.setValue(travel_);
}

Point Switch::handleTarget() const {
    const double range = double(maximum.getValue()) - double(minimum.getValue());
    double p = 0.0;
    if (travel_ > 0.0f) {
        p = (double(value.getValue()) - minimum.getValue()) * travel_ / range;
        if (vertical_ && !const_cast<Switch*>(this)->isStepped()) p = travel_ - p;
    }
    p += startMargin.getValue();
    return vertical_ ? Point(0.0f, float(p)) : Point(float(p), 0.0f);
}

void Switch::updateHandle() {
    const Point target = handleTarget();
    Animator* a = animator();
    if (glide_ && a != nullptr) {
        if (a->isRunning(&handlePosition_) && glideTarget_ == target) return;
        glideTarget_ = target;
        auto* glide = new ValueAnimation<Point, Point>(*a, handlePosition_, target, this, true);
        glide->duration.setValue(kGlideMs);
        glide->motion.setValue(AnimationMotion::kEaseIn);
        return;
    }
    if (a != nullptr) a->stopAnimations(&handlePosition_);
    const bool moved = std::fabs(target.x - handlePosition_.x) > kTolerance ||
                       std::fabs(target.y - handlePosition_.y) > kTolerance;
    handlePosition_ = target;
    if (moved) redraw();
}

void Switch::autoResize() {
    if (!autoSize.getValue()) return;
    Style& s = activeStyle();
    const Rect t = s.track().getRect();
    const float trackLength = vertical_ ? t.height() : t.width();
    const float handle = std::trunc(handleLength());
    const double n = double(maximum.getValue()) - double(minimum.getValue());
    const double length = double(std::trunc(trackLength - 2.0f * handle)) * n + (n + 1.0) * handle +
                          startMargin.getValue() + endMargin.getValue();
    const Rect b = bounds.getValue();
    if (vertical_)
        setBoundsXYWH(b.left, b.top, b.width(), float(length));
    else
        setBoundsXYWH(b.left, b.top, float(length), b.height());
}

void Switch::boundsChanged() {
    updateTravel();
    updateHandle();
    RolloverValueControl::boundsChanged();
}

void Switch::valueControlPropertyChanged(AbstractProperty& property) {
    RolloverValueControl::valueControlPropertyChanged(property);
    if (&property == &autoSize) {
        autoResize();
    } else if (&property == &startMargin || &property == &endMargin) {
        autoResize();
        updateTravel();
        updateHandle();
    } else if (&property == &minimum || &property == &maximum) {
        tracker_.resolution.setValue(int(std::min<std::int64_t>(
            std::int64_t(maximum.getValue()) - std::int64_t(minimum.getValue()), 2147483647)));
        updateHandle();
        autoResize();
    } else if (&property == &value) {
        updateHandle();
    } else if (&property == &direction || &property == &tileTrack) {
        redraw();
    }
}

void Switch::scaleChanged() {
    if (Style* style = style_.get()) style->reloadForScale();
    RolloverValueControl::scaleChanged();
}

int Switch::positionIndexAt(const Point& point) {
    const int lo = minimum.getValue();
    if (!localRect().contains(point)) return lo - 1;
    if (travel_ <= 0.0f) return lo;
    const double n = double(maximum.getValue()) - double(lo);
    // Measured from the first position, so a click on a handle's centre picks
    // that handle's own position whatever the start margin.
    const double c = double(vertical_ ? point.y : point.x) - handleLength() * 0.5 - startMargin.getValue();
    const double pos = std::clamp(c, 0.0, double(travel_));
    const double index = std::trunc((travel_ / (2.0 * n) + pos) * n / travel_ + lo);
    return int(std::clamp(index, double(lo), double(maximum.getValue())));
}

Rect Switch::handleRect() {
    const Rect local = localRect();
    const Rect h = activeStyle().handle().getRect();
    const float w = std::trunc(vertical_ ? local.width() : h.width());
    const float ht = std::trunc(vertical_ ? h.height() : local.height());
    return Rect::fromXYWH(handlePosition_.x, handlePosition_.y, w, ht);
}

bool Switch::handleHit(const Point& point) {
    const Rect r = handleRect();
    return point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom;
}

void Switch::getPaintBounds(Rect& rect) {
    const Rect local = localRect();
    if (!activeStyle().handleOnly.getValue()) {
        rect = local;
        return;
    }
    const float length = handleLength();
    const Point& p = handlePosition_;
    rect = vertical_ ? Rect(0.0f, p.y, local.width(), p.y + length)
                     : Rect(p.x, 0.0f, p.x + length, local.height());
}

int Switch::hitAlpha(const Point& point) {
    if (!activeStyle().handleOnly.getValue()) return 255;
    return handleHit(point) ? 255 : 0;
}

// ---- mouse -----------------------------------------------------------------------

void Switch::setHoverIndex(int index) {
    if (index == hoverIndex_) return;
    hoverIndex_ = index;
    hoverPositionChangedEvent.notify(this);
}

void Switch::updateRolloverAt(const Point& point) {
    setPointerInside(handleHit(point));
}

void Switch::mouseDown(int button, const Point& point, int modifiers) {
    if (!beginLeftPress(button, point, modifiers)) return;
    const bool stepped = isStepped();
    if (!stepped && (modifierMode(modifiers) & kModeReset)) {
        if (inGesture()) resetToDefault();
        return;
    }
    const bool onHandle = handleHit(point);
    if (stepped && !onHandle) return; // the release decides
    if (travel_ <= 0.0f) return;      // nothing to drag along
    savedAcceleration_ = tracker_.acceleration.getValue();
    if (!onHandle) tracker_.acceleration.setValue(true);
    tracker_.stepped.setValue(stepped);
    dragging_ = true;
    tracker_.reset();
    tracker_.setClickPoint(point);
    lastPoint_ = point;
    accumulated_ = value.getValue();
}

void Switch::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    RolloverValueControl::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    if (!dragging_) {
        setHoverIndex(positionIndexAt(point));
        if (alive.alive()) updateRolloverAt(point);
        return;
    }
    if (!inGesture() || travel_ <= 0.0f) return;
    updateLinkFromModifiers(modifiers);
    const bool stepped = isStepped();
    float delta;
    if (vertical_)
        delta = stepped ? point.y - lastPoint_.y : lastPoint_.y - point.y;
    else
        delta = point.x - lastPoint_.x;
    if (zeroNextDelta_) {
        delta = 0.0f;
        zeroNextDelta_ = false;
    }
    const int steps = tracker_.dragMove(*this, point, delta, modifiers);
    if (!(stepped && tracker_.hasClickPoint())) lastPoint_ = point;
    if (tracker_.acceleration.getValue()) {
        if (steps != 0) performGesture(kGestureChange, steps);
        return;
    }
    if (steps == 0) return;
    const std::int64_t next = std::int64_t(accumulated_) + steps;
    accumulated_ = int(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX));
    const bool glide = stepped && tracker_.speed() < kGlideSpeed;
    glide_ = glide;
    const std::int64_t change = std::int64_t(accumulated_) - gesturePosition();
    performGesture(kGestureChange, int(std::clamp<std::int64_t>(change, INT32_MIN, INT32_MAX)));
    if (alive.alive()) glide_ = false;
}

void Switch::mouseUp(int button, const Point& point, int modifiers) {
    if (button != kMouseLeft) {
        RolloverValueControl::mouseUp(button, point, modifiers);
        return;
    }
    AliveGuard alive(this);
    if (dragging_) {
        updateLinkFromModifiers(0);
        dragging_ = false;
        tracker_.acceleration.setValue(savedAcceleration_);
    } else if (inGesture() && isStepped() && travel_ > 0.0f && localRect().contains(point)) {
        // Click to select a position.
        const int index = positionIndexAt(point);
        if (index != gesturePosition()) performGesture(kGestureChange, index - gesturePosition());
        if (!alive.alive()) return;
    }
    RolloverValueControl::mouseUp(button, point, modifiers);
}

void Switch::mouseEnter() {
    AliveGuard alive(this);
    RolloverValueControl::mouseEnter();
    if (!alive.alive()) return;
    Style& s = activeStyle();
    if (s.trackHighlighted() != nullptr || s.fill() != nullptr) trackRollover_.setRollover(true);
}

void Switch::mouseLeave() {
    AliveGuard alive(this);
    RolloverValueControl::mouseLeave();
    if (!alive.alive()) return;
    trackRollover_.setRollover(false);
    setPointerInside(false);
    setHoverIndex(minimum.getValue() - 1);
}

bool Switch::mouseWheel(int phase, const Point&, int modifiers, const Point& firstDelta, const Point&) {
    if (dragging_) return true;
    // The speed along the axis is both numbers of the tracker's wheel step:
    // the distance would sweep a fine range at once.
    float speed = std::clamp(vertical_ ? firstDelta.y : firstDelta.x, -1.0f, 1.0f);
    if (!isStepped())
        updateLinkFromModifiers(modifiers);
    else if (vertical_)
        speed = -speed;
    return wheelGesture(phase, tracker_, speed, modifiers);
}

// ---- drawing ---------------------------------------------------------------------

// Its own blend bitmap: the track's may still be in use by the back end.
const Bitmap* Switch::blendFill(const Bitmap& normal, const Bitmap& lit, int& opacity) {
    const int level = trackRollover_.level();
    opacity = 255;
    if (level <= 0) return &normal;
    if (level >= 255) return &lit;
    if (hasPixels(normal)) {
        fillBlend_->composite(normal, lit, level);
        return fillBlend_.get();
    }
    opacity = level;
    return &lit;
}

void Switch::draw(Canvas& canvas) {
    Style& s = activeStyle();
    const Rect local = localRect();
    const Orientation axis = vertical_ ? Orientation::kVertical : Orientation::kHorizontal;
    if (!s.handleOnly.getValue()) {
        // Track: an absent highlighted track stands for the normal one.
        Bitmap& track = s.track();
        Bitmap& trackLit = s.trackHighlighted() != nullptr ? *s.trackHighlighted() : track;
        int opacity = 255;
        const Bitmap* shown = trackRollover_.blend(track, trackLit, opacity, nullptr);
        if (shown != nullptr && hasPixels(*shown)) {
            if (tileTrack.getValue())
                canvas.drawBitmapCell(*shown, local, opacity, axis);
            else
                canvas.drawBitmapInRect(*shown, shown->getRect(), local, opacity);
        }
        // Fill: on one side of the handle's centre.
        if (Bitmap* fill = s.fill()) {
            Bitmap& fillLit = s.fillHighlighted() != nullptr ? *s.fillHighlighted() : *fill;
            const Bitmap* lit = blendFill(*fill, fillLit, opacity);
            if (lit != nullptr && hasPixels(*lit)) {
                const float centre =
                    (vertical_ ? handlePosition_.y : handlePosition_.x) + handleLength() * 0.5f;
                Rect part = local;
                if (vertical_) {
                    if (direction.getValue() == Direction::kUp)
                        part.top = centre;
                    else
                        part.bottom = centre;
                } else {
                    if (direction.getValue() == Direction::kRight)
                        part.left = centre;
                    else
                        part.right = centre;
                }
                const Canvas::State saved = canvas.saveState();
                canvas.clip.setValue(intersection(saved.clip, part));
                if (!canvas.clip.getValue().isEmpty())
                    canvas.drawBitmapInRect(*lit, lit->getRect(), local, opacity);
                canvas.restoreState(saved);
            }
        }
    }
    // Handle: the handle's length along the axis, the switch's thickness across.
    Bitmap& handle = s.handle();
    int opacity = 255;
    const Bitmap* shown = rolloverManager().blend(handle, s.handleHighlighted(), opacity, nullptr);
    if (shown == nullptr || !hasPixels(*shown)) return;
    const float length = handleLength();
    const Point& p = handlePosition_;
    const Rect at = vertical_ ? Rect(0.0f, p.y, local.width(), p.y + length)
                              : Rect(p.x, 0.0f, p.x + length, local.height());
    canvas.drawBitmapInRect(*shown, shown->getRect(), at, opacity);
}

} // namespace gui
