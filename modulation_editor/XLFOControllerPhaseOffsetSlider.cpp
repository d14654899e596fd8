#include "modulation_editor/XLFOController.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"

#include <algorithm>
#include <cmath>

XLFOController::PhaseOffsetSlider::PhaseOffsetSlider(gui::UserInterface& userInterface)
    : gui::ValueControl(userInterface), trackColor(this, gui::Color(0, 0, 0, 40)),
      handleColor(this, gui::Color(0, 0, 0, 180)) {}

XLFOController::PhaseOffsetSlider::~PhaseOffsetSlider() = default;

float XLFOController::PhaseOffsetSlider::travel() const {
    return std::max(0.0f, width.getValue() - kHandleWidth);
}

float XLFOController::PhaseOffsetSlider::handleX() const {
    return std::clamp(normalized(value.getValue()) * travel(), 0.0f, travel());
}

int XLFOController::PhaseOffsetSlider::wrapped(int64_t position) const {
    const int64_t low = minimum.getValue();
    const int64_t range = int64_t(maximum.getValue()) - low;
    if (range <= 0) return static_cast<int>(low);
    const int64_t offset = ((position - low) % range + range) % range;
    return static_cast<int>(low + offset);
}

void XLFOController::PhaseOffsetSlider::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::ValueControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft || !inGesture()) return;
    const float centre = handleX() + kHandleWidth * 0.5f;
    if (std::fabs(point.x - centre) > kHandleWidth && travel() > 0.0f) {
        // Elsewhere the handle's centre jumps to the press.
        const float t = std::clamp((point.x - kHandleWidth * 0.5f) / travel(), 0.0f, 1.0f);
        const int target = minimum.getValue() + toSteps(t);
        if (target != gesturePosition()) performGesture(gui::kGestureChange, target - gesturePosition());
        if (!alive.alive()) return;
    }
    dragging_ = true;
    pressX_ = point.x;
    startValue_ = value.getValue();
    invalidateRect(localRect());
}

void XLFOController::PhaseOffsetSlider::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::ValueControl::mouseMove(point, modifiers);
    if (!alive.alive() || !dragging_ || !inGesture() || travel() <= 0.0f) return;
    const double range = double(maximum.getValue()) - double(minimum.getValue());
    const double moved = std::trunc(double(point.x - pressX_) / double(travel()) * range);
    const int target = wrapped(int64_t(startValue_) + int64_t(moved));
    if (target != value.getValue()) performGesture(gui::kGestureChange, target - gesturePosition());
}

void XLFOController::PhaseOffsetSlider::mouseUp(int button, const gui::Point& point, int modifiers) {
    if (button == gui::kMouseLeft && dragging_) {
        dragging_ = false;
        invalidateRect(localRect());
    }
    gui::ValueControl::mouseUp(button, point, modifiers);
}

void XLFOController::PhaseOffsetSlider::setHandleBitmaps(gui::Bitmap* normal, gui::Bitmap* pressed) {
    handle_ = normal;
    pressedHandle_ = pressed;
    invalidateRect(localRect());
}

void XLFOController::PhaseOffsetSlider::valueControlPropertyChanged(AbstractProperty& property) {
    gui::ValueControl::valueControlPropertyChanged(property);
    if (&property == &value || &property == &minimum || &property == &maximum) invalidateRect(localRect());
}

void XLFOController::PhaseOffsetSlider::draw(gui::Canvas& canvas) {
    const gui::Rect local = localRect();
    if (local.width() < 1.0f || local.height() < 1.0f) return;
    canvas.fillRect(local, trackColor.getValue());
    const float x = std::trunc(handleX());
    const gui::Rect handle(x, 0.0f, x + kHandleWidth, local.height());
    auto drawn = [](const gui::Bitmap* b) {
        return b != nullptr && b->pixelWidth() > 0 && b->pixelHeight() > 0;
    };
    const gui::Bitmap* bitmap = dragging_ && drawn(pressedHandle_) ? pressedHandle_ : handle_;
    if (drawn(bitmap))
        canvas.drawBitmapInRect(*bitmap, bitmap->getRect(), handle, 255);
    else
        canvas.fillRect(handle, handleColor.getValue());
}
