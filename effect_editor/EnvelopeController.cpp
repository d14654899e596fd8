#include "effect_editor/EnvelopeController.h"

#include "gui/Animation.h"
#include "gui/Animator.h"
#include "gui/Canvas.h"
#include "gui/CurveStyle.h"
#include "gui/Gradient.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>

namespace {

// The dot cell shown on each slot's slider (-1: none).
constexpr int kDotCell[EnvelopeController::kSlots] = {-1, -1, 0, -1, 1, 2, 3, -1, 4};
// The stage widths fitting tries, in order.
constexpr float kCandidateWidths[] = {70.0f, 100.0f, 150.0f, 200.0f};
// The fill keeps at least this share of its colour's strength.
constexpr float kMinimumFillStrength = 0.3f;
constexpr int kStageWidthGlideMs = 300;
constexpr float kMarkerRightLimit = 8.0f;

bool hasPixels(const gui::Bitmap& bitmap) {
    return bitmap.pixelWidth() > 0 && bitmap.pixelHeight() > 0;
}

} // namespace

// ---- EGSlider -------------------------------------------------------------------------------

EnvelopeController::EGSlider::EGSlider(gui::UserInterface& userInterface, gui::Switch::Style* style,
                                       EnvelopeController& display, int slot)
    : gui::Switch(userInterface, style), display_(display), slot_(slot) {}

EnvelopeController::EGSlider::~EGSlider() = default;

gui::Point EnvelopeController::EGSlider::handleCentre() {
    const gui::Point p = handlePosition();
    if (style() == nullptr) return p;
    const gui::Rect r = style()->handle().getRect();
    return {p.x + r.width() / 2.0f, p.y + r.height() / 2.0f};
}

void EnvelopeController::EGSlider::valueControlPropertyChanged(AbstractProperty& property) {
    gui::Switch::valueControlPropertyChanged(property);
    if (&property == &value) display_.sliderValueChanged();
}

void EnvelopeController::EGSlider::draw(gui::Canvas& canvas) {
    gui::Switch::draw(canvas);
    const int cell = kDotCell[slot_];
    if (cell < 0 || !hasPixels(*display_.dots_)) return;
    const gui::Rect strip = display_.dots_->getRect();
    const float w = strip.width() / float(kDotCells), h = strip.height();
    const gui::Point c = handleCentre();
    const gui::Rect dest = gui::Rect::fromXYWH(c.x - w / 2.0f, c.y - h / 2.0f, w, h);
    const gui::Point source(float(cell) * w, 0.0f);
    const int level = rolloverManager().level();
    if (level < 255) canvas.drawBitmap(*display_.dots_, dest, source, 255 - level);
    if (level > 0 && hasPixels(*display_.dotsHighlighted_))
        canvas.drawBitmap(*display_.dotsHighlighted_, dest, source, level);
}

// ---- EnvelopeController ---------------------------------------------------------------------

EnvelopeController::EnvelopeController(Panel& panel, gui::Switch::Style* sliderStyle,
                                       gui::Switch::Style* levelSliderStyle)
    : gui::Control(panel.userInterface()), fitStages(this, false), rightMargin(this, 0.0f), inset(this, 0),
      lineColor(this, gui::Color(255, 255, 255, 255)), originX(this, 0.0f), fillColor(this, gui::Color()),
      fillColor2(this, gui::Color()), labelColor(this, gui::Color(255, 255, 255, 128)),
      representation(this, Representation::kUnipolar), showLabels(this, true), stageGap(this, 8.0f),
      stageWidth(this, 100.0f), levelSliderWidth(this, 20.0f), slidersOnly(this, false), panel_(panel),
      sliderStyle_(sliderStyle), levelSliderStyle_(levelSliderStyle),
      dots_(std::make_unique<gui::Bitmap>(userInterface().deviceBacking())),
      dotsHighlighted_(std::make_unique<gui::Bitmap>(userInterface().deviceBacking())) {
    if (userInterface().hasPlatformDelegate()) {
        const char* texts[] = {"1", "0", "0"};
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            labels_[i].reset(userInterface().platformDelegate().createText());
            labels_[i]->fontSize.setValue(kLabelFontSize);
            labels_[i]->color.setValue(labelColor.getValue());
            labels_[i]->text.setValue(texts[i]);
        }
    }
    measureHandle();
}

void EnvelopeController::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    for (EGSlider*& s : sliders_)
        if (static_cast<gui::Component*>(s) == component) s = nullptr;
}

EnvelopeController::~EnvelopeController() {
    for (int slot = 0; slot < kSlots; ++slot) {
        EGSlider* s = sliders_[std::size_t(slot)];
        if (s == nullptr) continue;
        if (parameters_[std::size_t(slot)] != nullptr) panel_.unlinkSlider(parameters_[std::size_t(slot)], s);
        sliders_[std::size_t(slot)] = nullptr;
        delete s;
    }
}

void EnvelopeController::setSlider(int slot, AbstractPluginParameter* parameter, std::uint32_t flags) {
    if (slot < 0 || slot >= kSlots) return;
    parameters_[std::size_t(slot)] = parameter;
    EGSlider*& s = sliders_[std::size_t(slot)];
    if (s == nullptr) {
        s = new EGSlider(userInterface(), slot == kSustain ? levelSliderStyle_ : sliderStyle_, *this, slot);
        setChildInsertionIndex(0);
        s->parent.setValue(this);
        setChildInsertionIndex(-1);
        // The tree may delete the sliders first (a parent's deleteChildren
        // reaches them before this display): the link forgets them.
        link(s);
        s->autoSize.setValue(false);
        panel_.styleSlider(*s);
    }
    panel_.linkSlider(parameter, s, flags);
    layout();
}

void EnvelopeController::setModeParameter(AbstractPluginParameter* parameter) {
    modeParameter_ = parameter;
    layout();
}

void EnvelopeController::setDotBitmaps(const std::string& normal, const std::string& highlighted) {
    dots_->load(normal);
    dotsHighlighted_->load(highlighted);
    invalidateRect(localRect());
}

void EnvelopeController::setMarker(float x) {
    if (x == marker_) return;
    marker_ = x;
    invalidateRect(localRect());
}

bool EnvelopeController::layoutValid() const {
    auto has = [this](int slot) { return sliders_[std::size_t(slot)] != nullptr; };
    if (!has(kAttack) || !has(kRelease)) return false;
    return has(kDecay) == has(kSustain);
}

float EnvelopeController::sliderWidth(int slot, float atStageWidth) const {
    switch (slot) {
    case kAttack:
        return modeParameter_ != nullptr && modeParameter_->getValue() == 1.0f ? atStageWidth * 0.5f
                                                                               : atStageWidth * 0.75f;
    case kSustain:
        return levelSliderWidth.getValue();
    case kRelease:
        return atStageWidth * 1.25f;
    default:
        return atStageWidth;
    }
}

float EnvelopeController::usedWidth(float atStageWidth) const {
    float used = 0.0f;
    for (int slot : {kDelay, kAttack, kDecay, kHold, kRelease})
        used += sliders_[std::size_t(slot)] != nullptr ? sliderWidth(slot, atStageWidth) + stageGap.getValue()
                                                       : kEmptyStageWidth;
    return used;
}

float EnvelopeController::availableWidth(float displayWidth) const {
    const float level = sliders_[kSustain] != nullptr ? 2.0f * levelSliderWidth.getValue() : 4.0f;
    return displayWidth - rightMargin.getValue() - level - 2.0f * (float(inset.getValue()) - halfHandle_);
}

float EnvelopeController::preferredWidth() const {
    // availableWidth(W) - usedWidth = 24, solved for W.
    return usedWidth(stageWidth.getValue()) + kMinimumFree +
           (width.getValue() - availableWidth(width.getValue()));
}

float EnvelopeController::fittedStageWidth() const {
    const float current = stageWidth.getValue();
    const float used = usedWidth(current);
    const float available = availableWidth(width.getValue());
    const float free = available - used;
    if (free >= kMinimumFree && free < kMaximumFree) return current;
    float chosen = current;
    if (!(current > 0.0f)) return chosen;
    for (float candidate : kCandidateWidths)
        if (available - used * candidate / current >= kMinimumFree) chosen = candidate;
    return chosen;
}

void EnvelopeController::fit() {
    if (!fitStages.getValue() || layoutRunning_) return;
    const float target = fittedStageWidth();
    if (target == stageWidth.getValue()) return;
    bool dragging = false;
    for (EGSlider* s : sliders_)
        dragging = dragging || (s != nullptr && s->dragging());
    gui::Animator* animator = panel_.animator();
    if (dragging && animator != nullptr) {
        auto* glide =
            new gui::ValueAnimation<float, Property<float>>(*animator, stageWidth, target, this, true);
        glide->duration.setValue(kStageWidthGlideMs);
        return;
    }
    stageWidth.setValue(target);
}

void EnvelopeController::measureHandle() {
    handleLength_ = sliderStyle_ != nullptr ? sliderStyle_->handle().getRect().width() : 0.0f;
    halfHandle_ = handleLength_ / 2.0f;
}

gui::Rect EnvelopeController::area() const {
    const float i = float(inset.getValue());
    const gui::Rect r = localRect();
    return {r.left + i, r.top + i, r.right - i, r.bottom - i};
}

float EnvelopeController::mirrorLine() const {
    const gui::Rect a = area();
    return (a.height() - 2.0f) / 2.0f + a.top - 2.0f / userInterface().deviceBacking().getScale();
}

float EnvelopeController::curveValue(int curveSlot) const {
    const AbstractPluginParameter* p = parameters_[std::size_t(curveSlot)];
    return p != nullptr ? std::clamp(p->getValue(), -1.0f, 1.0f) : 0.0f;
}

void EnvelopeController::fitStage(int stage, int curveSlot, float x0, float y0, float x1, float y1) {
    stageStarts_[std::size_t(stage)] = x0;
    const float s = x1 > x0 ? (y0 - y1) / (x1 - x0) : 0.0f;
    float start = 2.0f * s, end = 0.0f;
    if (parameters_[std::size_t(curveSlot)] != nullptr) {
        const float c = curveValue(curveSlot);
        if (c >= 0.0f) {
            start = s * (2.0f * c + 1.0f);
            end = s * (1.0f - c);
        } else {
            start = s * (1.0f + c);
            end = s * (1.0f - 2.0f * c);
        }
    }
    // The slopes rise with the shape (y grows downwards): the fit takes
    // them as the negated dy/dx they are.
    segments_[std::size_t(stage)].fitSegment(x0, y0, start, x1, y1, end);
    const float m = mirrorLine();
    mirrored_[std::size_t(stage)].fitSegment(x0, 2.0f * m - y0, -start, x1, 2.0f * m - y1, -end);
    if (EGSlider* curve = sliders_[std::size_t(curveSlot)]) {
        const float h = std::max(0.75f * std::fabs(y0 - y1), 40.0f);
        curve->setBoundsXYWH((x0 + x1) / 2.0f - halfHandle_, (y0 + y1) / 2.0f - h / 2.0f, handleLength_, h);
    }
}

void EnvelopeController::flatStage(int stage, float x0, float x1, float y) {
    stageStarts_[std::size_t(stage)] = x0;
    segments_[std::size_t(stage)].fitSegment(x0, y, 0.0f, x1, y, 0.0f);
    const float m = mirrorLine();
    mirrored_[std::size_t(stage)].fitSegment(x0, 2.0f * m - y, 0.0f, x1, 2.0f * m - y, 0.0f);
}

float EnvelopeController::placeTimeSlider(int slot, float start, bool curved) {
    EGSlider* s = sliders_[std::size_t(slot)];
    if (s == nullptr) return start + kEmptyStageWidth;
    // The handle's centre marks the stage's end: at the minimum it lies on
    // the start (a curved stage keeps its gap).
    const float x = start - halfHandle_ + (curved ? stageGap.getValue() : 0.0f);
    s->setBoundsXYWH(x, area().bottom - handleLength_, sliderWidth(slot, stageWidth.getValue()),
                     handleLength_);
    return x + s->handleCentre().x;
}

void EnvelopeController::layout() {
    if (layoutRunning_) {
        layoutPending_ = true;
        return;
    }
    if (!layoutValid()) {
        laidOut_ = false;
        invalidateRect(localRect());
        return;
    }
    fit();
    layoutRunning_ = true;
    layoutPending_ = false;
    measureHandle();
    const gui::Rect a = area();
    const float top = a.top, base = a.bottom;
    float x = a.left + originX.getValue();
    // Delay: flat at the base.
    float end = placeTimeSlider(kDelay, x, false);
    flatStage(0, x, end, base);
    x = end;
    // Attack: up to the top.
    end = placeTimeSlider(kAttack, x, true);
    fitStage(1, kAttackCurve, x, base, end, top);
    x = end;
    // Decay down to the Sustain level, which its slider sets.
    if (EGSlider* sustain = sliders_[kSustain]) {
        end = placeTimeSlider(kDecay, x, true);
        const float lsw = levelSliderWidth.getValue();
        sustain->setBoundsXYWH(end + lsw - halfHandle_, top, handleLength_, base - top);
        sustainLevel_ = top + sustain->handlePosition().y;
        fitStage(2, kDecayCurve, x, top, end, sustainLevel_);
        flatStage(3, end, end + 2.0f * lsw, sustainLevel_);
        x = end + 2.0f * lsw;
    } else {
        end = x + kEmptyStageWidth;
        sustainLevel_ = top;
        flatStage(2, x, end, top);
        flatStage(3, end, end, top);
        x = end;
    }
    // Hold: flat at the Sustain level.
    end = placeTimeSlider(kHold, x, false);
    flatStage(4, x, end, sustainLevel_);
    x = end;
    // Release: down to the base less the handle length.
    end = placeTimeSlider(kRelease, x, true);
    fitStage(5, kReleaseCurve, x, sustainLevel_, end, base - handleLength_);
    shapeEnd_ = end;
    laidOut_ = true;
    layoutRunning_ = false;
    invalidateRect(localRect());
    if (layoutPending_) layout();
}

void EnvelopeController::sliderValueChanged() {
    layout();
}

int EnvelopeController::stageAt(float x) const {
    int stage = 0;
    for (int i = 1; i < kStages; ++i)
        if (x >= stageStarts_[std::size_t(i)]) stage = i;
    return stage;
}

float EnvelopeController::shapeAt(float x) const {
    return segments_[std::size_t(stageAt(x))].valueAt(x);
}

float EnvelopeController::mirrorAt(float x) const {
    return mirrored_[std::size_t(stageAt(x))].valueAt(x);
}

void EnvelopeController::propertyChanged(AbstractProperty& property) {
    if (&property == &stageGap || &property == &stageWidth || &property == &fitStages ||
        &property == &inset || &property == &originX || &property == &levelSliderWidth ||
        &property == &rightMargin) {
        layout();
        return;
    }
    if (&property == &labelColor) {
        for (auto& label : labels_)
            if (label) label->color.setValue(labelColor.getValue());
        invalidateRect(localRect());
        return;
    }
    if (&property == &lineColor || &property == &fillColor || &property == &fillColor2 ||
        &property == &representation || &property == &showLabels || &property == &slidersOnly) {
        if (&property == &representation && laidOut_) layout();
        invalidateRect(localRect());
        return;
    }
    gui::Control::propertyChanged(property);
}

int EnvelopeController::hitAlpha(const gui::Point& point) {
    if (!slidersOnly.getValue()) return 255;
    for (EGSlider* s : sliders_) {
        if (s == nullptr || !s->visible.getValue() || !s->enabled.getValue()) continue;
        const gui::Rect b = s->bounds.getValue();
        if (!b.contains(point)) continue;
        if (s->hitAlpha({point.x - b.left, point.y - b.top}) > s->hitThreshold.getValue()) return 255;
    }
    return 0;
}

void EnvelopeController::boundsChanged() {
    gui::Control::boundsChanged();
    layout();
    for (EGSlider* s : sliders_)
        if (s != nullptr) s->ignoreNextDelta();
}

void EnvelopeController::drawFill(gui::Canvas& canvas) {
    const gui::Rect a = area();
    const float span = a.height();
    if (!(span > 0.0f)) return;
    gui::Color second = fillColor2.getValue();
    const gui::Color first = fillColor.getValue();
    second.a = static_cast<std::uint8_t>(std::max<float>(second.a, kMinimumFillStrength * float(first.a)));
    const gui::Gradient gradient(first, second);
    const bool bipolar = representation.getValue() == Representation::kBipolar;
    const float step = 1.0f / userInterface().deviceBacking().getScale();
    for (float x = a.left; x < shapeEnd_; x += step) {
        const float mid = x + step / 2.0f;
        float lo = shapeAt(mid), hi = bipolar ? mirrorAt(mid) : a.bottom;
        if (lo > hi) std::swap(lo, hi);
        if (!(hi - lo > 0.0f)) continue;
        canvas.fillGradient(gradient, gui::Rect(x, lo, x + step, hi), gui::Direction::kDown,
                            (lo - a.top) / span, (hi - a.top) / span, 255);
    }
}

void EnvelopeController::drawLabels(gui::Canvas& canvas) {
    const gui::Rect a = area();
    const float pixel = 1.0f / userInterface().deviceBacking().getScale();
    const bool bipolar = representation.getValue() == Representation::kBipolar;
    const gui::Color guide = labelColor.getValue();
    canvas.fillRect(gui::Rect(a.left, a.top, a.right, a.top + pixel), guide);
    canvas.fillRect(gui::Rect(a.left, a.bottom - pixel, a.right, a.bottom), guide);
    if (bipolar) {
        const float m = mirrorLine();
        canvas.fillRect(gui::Rect(a.left, m, a.right, m + pixel), guide);
    }
    if (!labels_[0]) return;
    labels_[0]->text.setValue(bipolar ? "+" : "1");
    labels_[1]->text.setValue(bipolar ? "-" : "0");
    const float x = a.right - 2.0f;
    canvas.drawText(*labels_[0], gui::Point(x - labels_[0]->width(), a.top + 1.0f), 255);
    canvas.drawText(*labels_[1], gui::Point(x - labels_[1]->width(), a.bottom - 1.0f - labels_[1]->height()),
                    255);
    if (bipolar) {
        const float m = mirrorLine();
        canvas.drawText(*labels_[2], gui::Point(x - labels_[2]->width(), m - labels_[2]->height() / 2.0f),
                        255);
    }
}

void EnvelopeController::draw(gui::Canvas& canvas) {
    if (!laidOut_) return;
    drawFill(canvas);
    const gui::Rect a = area();
    constexpr gui::Color transparent(0, 0, 0, 0);
    const gui::Rect rect(a.left, a.top - 2.0f, shapeEnd_, a.bottom + 2.0f);
    canvas.strokeCurve(shape_, rect, gui::Point(rect.left, rect.top), lineColor.getValue(), transparent,
                       transparent);
    if (representation.getValue() == Representation::kBipolar)
        canvas.strokeCurve(mirror_, rect, gui::Point(rect.left, rect.top), lineColor.getValue(), transparent,
                           transparent);
    if (showLabels.getValue()) drawLabels(canvas);
    if (marker_ != kNoMarker) {
        const float x = std::min({marker_, shapeEnd_, width.getValue() - kMarkerRightLimit});
        const gui::Color c = lineColor.getValue();
        const gui::Gradient line(c.withAlpha(0), c);
        canvas.fillGradient(line, gui::Rect(x, a.top, x + 1.0f, a.bottom), gui::Direction::kDown, 0.0f, 1.0f,
                            255);
    }
}
