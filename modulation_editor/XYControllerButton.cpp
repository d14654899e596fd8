#include "modulation_editor/XYControllerButton.h"

#include "foundation/StringUtils.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Gradient.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPointTolerance = 0.001f;

} // namespace

XYControllerButton::XYControllerButton(gui::UserInterface& userInterface,
                                       GenericPluginInterfaceBase& interface, gui::Button::Style* style)
    : ParameterButton(userInterface, interface, style), padInsets(this, gui::Rect()),
      dimensionality(this, Dimensionality::kTwoAxes), pointOpacity(this, 255),
      polarity(this, Polarity::kBipolar), guideColor(this, gui::Color(255, 255, 255, 60)),
      shadowColor(this, gui::Color(0, 0, 0, 255)), highlightColor(this, gui::Color(255, 255, 255, 255)),
      valueTextColor(this, gui::Color(255, 255, 255, 255)), centreColor(this, gui::Color(128, 128, 128, 255)),
      background_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())),
      pointIcon_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {
    if (userInterface.hasPlatformDelegate()) {
        valueText_.reset(userInterface.platformDelegate().createText());
        if (valueText_) valueText_->color.setValue(valueTextColor.getValue());
    }
    updatePad();
}

XYControllerButton::~XYControllerButton() = default;

void XYControllerButton::setBackgroundSource(gui::Bitmap* source) {
    backgroundSource_ = source;
    renderBackground();
}

// ---- geometry -------------------------------------------------------------------------------

void XYControllerButton::updatePad() {
    const gui::Rect local = localRect();
    const gui::Rect in = padInsets.getValue();
    pad_ =
        gui::Rect(local.left + in.left, local.top + in.top, local.right - in.right, local.bottom - in.bottom);
    updatePoint();
}

float XYControllerButton::axisValue(int axis) {
    AbstractPluginParameter* p = parameter(axis);
    if (p == nullptr) return 0.0f;
    const float value = getDisplayedValue(axis);
    float v = 0.0f;
    if (p->isStepped()) {
        const float span = p->getMax() - p->getMin();
        v = span > 0.0f ? (value - p->getMin()) / span : 0.0f;
    } else {
        v = p->toLinearNormalized(value);
    }
    if (std::isnan(v)) v = 0.0f;
    v = std::clamp(v, 0.0f, 1.0f);
    if (polarity.getValue() == Polarity::kUnipolar) v = std::max(0.0f, 2.0f * v - 1.0f);
    return v;
}

gui::Rect XYControllerButton::iconRect(const gui::Point& at) {
    const gui::Rect icon = pointIcon_->getRect();
    return gui::Rect::fromXYWH(at.x - icon.width() * 0.5f, at.y - icon.height() * 0.5f, icon.width(),
                               icon.height());
}

void XYControllerButton::updatePoint() {
    if (parameter(0) == nullptr || parameter(1) == nullptr) return;
    const float w = pad_.width();
    const float h = pad_.height();
    const gui::Point next(twoAxes() ? pad_.left + axisValue(0) * w : pad_.left + 0.5f * w,
                          pad_.bottom - axisValue(1) * h);
    if (!twoAxes() && valueText_) valueText_->text.setValue(formatNumber(getDisplayedValue(1), "%.2f"));
    if (std::fabs(next.x - point_.x) <= kPointTolerance && std::fabs(next.y - point_.y) <= kPointTolerance)
        return;
    invalidateRect(iconRect(point_));
    point_ = next;
    invalidateRect(iconRect(point_));
}

void XYControllerButton::getParameterRange(int channel, int& minimum, int& maximum) {
    ParameterButton::getParameterRange(channel, minimum, maximum);
    // A unipolar axis reaches only the upper half of its parameter.
    if (polarity.getValue() == Polarity::kUnipolar && parameter(channel) != nullptr) minimum = maximum / 2;
}

// ---- dragging ---------------------------------------------------------------------------------

int XYControllerButton::changeValue(int phase, int channel, int delta, int flags) {
    if (channel == 0) {
        // One axis drags no x; every x begin that reached the host gets its end.
        if (phase == gui::kGestureBegin) {
            xGestureOpen_ = twoAxes() && parameter(0) != nullptr;
            if (!xGestureOpen_) return 0;
        } else if (phase == gui::kGestureChange) {
            if (!xGestureOpen_ || !twoAxes()) return 0;
        } else {
            if (!xGestureOpen_) return 0;
            xGestureOpen_ = false;
        }
    }
    return ParameterButton::changeValue(phase, channel, delta, flags);
}

void XYControllerButton::parameterChanged(int index) {
    ParameterButton::parameterChanged(index);
    updatePoint();
}

void XYControllerButton::positionChanged(int channel, int newPosition, int oldPosition) {
    ParameterButton::positionChanged(channel, newPosition, oldPosition);
    updatePoint();
}

// ---- properties and painting --------------------------------------------------------------

void XYControllerButton::propertyChanged(AbstractProperty& property) {
    ParameterButton::propertyChanged(property);
    if (&property == &padInsets) {
        updatePad();
        renderBackground();
    } else if (&property == &polarity) {
        for (int channel = 0; channel < 2; ++channel)
            refreshParameterRange(channel);
        updatePoint();
        renderBackground();
    } else if (&property == &dimensionality) {
        updatePoint();
        renderBackground();
        refresh();
    } else if (&property == &valueTextColor) {
        if (valueText_) valueText_->color.setValue(valueTextColor.getValue());
        refresh();
    } else if (&property == &guideColor || &property == &shadowColor || &property == &highlightColor ||
               &property == &centreColor) {
        renderBackground();
    } else if (&property == &pointOpacity) {
        refresh();
    }
}

void XYControllerButton::boundsChanged() {
    ParameterButton::boundsChanged();
    const gui::Rect before = pad_;
    updatePad();
    const gui::Rect local = localRect();
    const gui::Rect rendered = background_->getRect();
    if (std::fabs(rendered.width() - local.width()) > kPointTolerance ||
        std::fabs(rendered.height() - local.height()) > kPointTolerance || before != pad_)
        renderBackground();
}

void XYControllerButton::scaleChanged() {
    ParameterButton::scaleChanged();
    renderBackground();
}

void XYControllerButton::renderBackground() {
    if (backgroundSource_ == nullptr) {
        background_->resize(0, 0);
        refresh();
        return;
    }
    const gui::Rect local = localRect();
    // The source stretched over the whole button.
    background_->copyScaled(*backgroundSource_, backgroundSource_->getRect(), local);
    // One device pixel thick guide lines through the pad.
    const float pixel = 1.0f / std::max(background_->getScale(), 1.0e-3f);
    const float y = polarity.getValue() == Polarity::kBipolar ? std::floor((pad_.top + pad_.bottom) * 0.5f)
                                                              : pad_.bottom - pixel;
    drawGuide(gui::Rect(pad_.left, y, pad_.right, y + pixel), gui::Direction::kRight,
              highlightColor.getValue());
    if (!twoAxes()) {
        const float x = std::floor((pad_.left + pad_.right) * 0.5f);
        drawGuide(gui::Rect(x, pad_.top, x + pixel, pad_.bottom), gui::Direction::kDown,
                  centreColor.getValue());
    }
    refresh();
}

void XYControllerButton::drawGuide(const gui::Rect& rect, gui::Direction direction, gui::Color middle) {
    if (rect.isEmpty()) return;
    // The gradient is laid down opaque, then blended over the background.
    gui::Bitmap line(background_->getBacking());
    line.setSize(rect.width(), rect.height());
    const gui::Gradient gradient(shadowColor.getValue(), middle, 0.5f, shadowColor.getValue());
    line.fillGradient(gradient, line.getRect(), direction, 0.0f, 1.0f, 255);
    background_->drawBitmap(line, rect, gui::Point(0.0f, 0.0f), guideColor.getValue().a);
}

void XYControllerButton::paintContents(gui::Canvas& canvas) {
    ParameterButton::paintContents(canvas);
    if (background_->pixelWidth() > 0) canvas.drawBitmap(*background_, gui::Point(0.0f, 0.0f), 255);
    if (parameter(0) == nullptr || parameter(1) == nullptr) return;
    if (twoAxes()) {
        if (pointIcon_->pixelWidth() > 0)
            canvas.drawBitmap(*pointIcon_, iconRect(point_).topLeft(), pointOpacity.getValue());
        return;
    }
    if (!valueText_) return;
    const float left = pad_.left + kValueTextInset;
    const float width = pad_.width() - 2.0f * kValueTextInset;
    const float x = left + std::max(0.0f, (width - valueText_->width()) * 0.5f);
    canvas.drawText(*valueText_, gui::Point(x, pad_.top + kValueTextTop), 255);
}
