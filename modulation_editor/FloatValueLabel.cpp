#include "modulation_editor/FloatValueLabel.h"

#include "editor/ControlChangeManager.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "foundation/StringUtils.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/TextEditor.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMaxPrecision = 9;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

FloatValueLabel::FloatValueLabel(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface)
    : gui::MultiLabel(userInterface, 1), precision(this, 2), unit(this, std::string()), showPlus(this, false),
      fineStep(this, 0.1f), coarseStep(this, 1.0f), minimum(this, 0.0f), maximum(this, 1.0f),
      parameterText(this, false), interface_(interface), tapHandler_(*this) {
    tapHandler_.stateChangedEvent.addHandler(NotifyEvent::bind(this, &FloatValueLabel::tapStateChanged));
    refresh();
}

FloatValueLabel::~FloatValueLabel() {
    tapHandler_.stateChangedEvent.clear();
    // The host hears the end of a press that never saw its release.
    if (gestureOpen_ && parameter_ != nullptr) {
        gestureOpen_ = false;
        interface_.setLinkedParameterValue(gui::kGestureEnd, parameter_->getIndex(), editValue_, 0);
    }
}

void FloatValueLabel::setParameter(AbstractPluginParameter* parameter) {
    if (parameter == parameter_) return;
    endGesture();
    parameter_ = parameter;
    if (parameter_ != nullptr) {
        const float low = parameter_->normalizedToPlain(parameter_->getMin());
        const float high = parameter_->normalizedToPlain(parameter_->getMax());
        minimum.setValue(std::min(low, high));
        maximum.setValue(std::max(low, high));
    }
    refresh();
}

void FloatValueLabel::setTapFace(gui::Bitmap* face) {
    tapFace_ = face;
    if (face == nullptr) tapHandler_.deactivate();
    refresh();
}

float FloatValueLabel::getValue() {
    return parameter_ != nullptr ? parameter_->normalizedToPlain(parameter_->getValue()) : 0.0f;
}

void FloatValueLabel::setValue(int phase, float value) {
    if (parameter_ == nullptr) return;
    interface_.setLinkedParameterValue(phase, parameter_->getIndex(), parameter_->plainToNormalized(value),
                                       0);
}

float FloatValueLabel::clampToRange(float value) const {
    const float low = minimum.getValue();
    const float high = std::max(low, maximum.getValue());
    if (std::isnan(value)) return low;
    return std::clamp(value, low, high);
}

std::string FloatValueLabel::formatValue(float value) const {
    if (parameterText.getValue() && parameter_ != nullptr)
        return parameter_->valueToText(parameter_->plainToNormalized(value), 0);
    const int decimals = std::clamp(precision.getValue(), 0, kMaxPrecision);
    std::string text = formatNumber(value, "%." + std::to_string(decimals) + "f");
    if (showPlus.getValue() && value >= 0.0f) text.insert(text.begin(), '+');
    return text + unit.getValue();
}

std::string FloatValueLabel::shownText() {
    if (!enabled.getValue()) return "-";
    if (isTapMode()) return "TAP";
    return formatValue(dragging_ ? editValue_ : getValue());
}

void FloatValueLabel::refresh() {
    if (gui::Text* line = text(0)) line->text.setValue(shownText());
    invalidateRect(localRect());
}

void FloatValueLabel::tapStateChanged() {
    refresh();
}

void FloatValueLabel::propertyChanged(AbstractProperty& property) {
    gui::MultiLabel::propertyChanged(property);
    const bool gone = (&property == &visible && !visible.getValue()) ||
                      (&property == &enabled && !enabled.getValue()) || &property == &parent;
    if (gone && gestureOpen_) {
        AliveGuard alive(this);
        if (gui::RootControl* r = root(); r != nullptr && r->getCaptureHolder() == this)
            r->setMouseCapture(nullptr);
        if (!alive.alive()) return;
        endGesture();
    }
    if (&property == &precision || &property == &unit || &property == &showPlus || &property == &enabled ||
        &property == &parameterText)
        refresh();
}

int FloatValueLabel::rowOf(const gui::Point& point) {
    return static_cast<int>(std::floor(std::clamp(point.y, -1.0e6f, 1.0e6f)));
}

void FloatValueLabel::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    // A second press ends what the first one left open.
    endGesture();
    if (!alive.alive()) return;
    // The label's own press handling: no edit on press, no hand-over of
    // the capture to a movable parent.
    gui::AnimatedControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft || !enabled.getValue()) return;
    if ((modifiers & gui::kDoubleClick) && tapFace_ == nullptr) {
        typingMarked_ = true;
        return;
    }
    if (isTapMode()) {
        // One gesture to the time since the previous press.
        const float measured = clampToRange(static_cast<float>(tapHandler_.tap()));
        if (parameter_ == nullptr ||
            std::fabs(measured - getValue()) <= ControlChangeManager::kValueTolerance)
            return;
        setValue(gui::kGestureBegin, measured);
        setValue(gui::kGestureChange, measured);
        setValue(gui::kGestureEnd, measured);
        if (!alive.alive()) return;
        interface_.storeUndoStep(-1);
        if (alive.alive()) refresh();
        return;
    }
    tapHandler_.pressed();
    if (parameter_ == nullptr) return;
    editValue_ = getValue();
    lastRow_ = rowOf(point);
    dragging_ = true;
    gestureOpen_ = true;
    changed_ = false;
    setValue(gui::kGestureBegin, editValue_);
}

void FloatValueLabel::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::MultiLabel::mouseMove(point, modifiers);
    if (!alive.alive() || !dragging_) return;
    const int row = rowOf(point);
    const int d = lastRow_ - row;
    if (std::abs(d) <= kRowsPerStep) return;
    const float step = (modifiers & gui::kShift) ? fineStep.getValue() : coarseStep.getValue();
    const float next = clampToRange(editValue_ + static_cast<float>(d / kRowsPerStep) * step);
    lastRow_ = row;
    if (std::fabs(next - editValue_) <= ControlChangeManager::kValueTolerance) return;
    editValue_ = next;
    changed_ = true;
    setValue(gui::kGestureChange, next);
    if (!alive.alive()) return;
    refresh();
}

void FloatValueLabel::mouseUp(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    if (button == gui::kMouseLeft) {
        if (typingMarked_) {
            typingMarked_ = false;
            beginTextEdit(0);
            if (!alive.alive()) return;
        }
        endGesture();
        if (!alive.alive()) return;
        if (tapFace_ != nullptr) {
            tapHandler_.click();
            if (!alive.alive()) return;
        }
    }
    gui::MultiLabel::mouseUp(button, point, modifiers);
}

void FloatValueLabel::captureLost() {
    const bool pressed = captureState() == CaptureState::kPress;
    gui::MultiLabel::captureLost();
    if (!gestureOpen_) return;
    // The label's own release gives the capture up just before its mouseUp.
    gui::RootControl* r = root();
    if (pressed && r != nullptr && !r->isLeftButtonHeld()) return;
    endGesture();
}

void FloatValueLabel::endGesture() {
    dragging_ = false;
    if (!gestureOpen_) return;
    gestureOpen_ = false;
    AliveGuard alive(this);
    if (parameter_ != nullptr) setValue(gui::kGestureEnd, editValue_);
    if (!alive.alive()) return;
    if (changed_) interface_.storeUndoStep(-1);
    changed_ = false;
    if (alive.alive()) refresh();
}

void FloatValueLabel::draw(gui::Canvas& canvas) {
    if (isTapMode() && tapFace_ != nullptr) canvas.drawBitmap(*tapFace_, gui::Point(0.0f, 0.0f), 255);
    gui::MultiLabel::draw(canvas);
}

gui::Rect FloatValueLabel::lineRect(int index) {
    const gui::Rect r = gui::MultiLabel::lineRect(index);
    const float spare = height.getValue() - (r.bottom - r.top);
    if (index != 0 || lineCount.getValue() != 1 || spare <= 2.0f * r.top) return r;
    return r.offset(0.0f, spare * 0.5f - r.top);
}

// The editor starts from the value as it is now.
void FloatValueLabel::editBegan() {
    refresh();
    gui::MultiLabel::editBegan();
}

void FloatValueLabel::textChanged() {
    AliveGuard alive(this);
    gui::MultiLabel::textChanged();
    if (!alive.alive() || editor() == nullptr || parameter_ == nullptr) return;
    float typed = 0.0f;
    if (!readTyped(editor()->text().text.getValue(), typed)) return;
    const float value = clampToRange(typed);
    if (std::fabs(value - getValue()) <= ControlChangeManager::kValueTolerance) return;
    setValue(gui::kGestureBegin, value);
    setValue(gui::kGestureChange, value);
    setValue(gui::kGestureEnd, value);
    if (!alive.alive()) return;
    interface_.storeUndoStep(-1);
    refresh();
}

bool FloatValueLabel::readTyped(std::string_view text, float& value) const {
    std::string_view typed = trimmed(text);
    if (parameterText.getValue()) {
        float normalized = 0.0f;
        if (typed.empty() || !parameter_->textToValue(std::string(typed), normalized)) return false;
        value = parameter_->normalizedToPlain(normalized);
        return std::isfinite(value);
    }
    const std::string_view suffix = trimmed(unit.getValue());
    if (!suffix.empty() && typed.size() > suffix.size() &&
        typed.substr(typed.size() - suffix.size()) == suffix)
        typed = trimmed(typed.substr(0, typed.size() - suffix.size()));
    double parsed = 0.0;
    if (!parseDouble(typed, parsed) || !std::isfinite(parsed)) return false;
    value = static_cast<float>(parsed);
    return true;
}

void FloatValueLabel::editEnded() {
    AliveGuard alive(this);
    gui::MultiLabel::editEnded();
    if (alive.alive()) refresh();
}
