#include "effect_editor/FilterController.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/Canvas.h"
#include "gui/CurveStyle.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double kInverseLn2 = 1.0 / std::numbers::ln2;
constexpr gui::Color kTransparent(0, 0, 0, 0);

// The slope factor of each filter slope (6, 12, 24, 48 dB).
constexpr double kSlopeFactors[] = {1.0, 0.5, 0.33, 0.2};

std::uint32_t bit(int i) {
    return std::uint32_t{1} << i;
}

bool hasPixels(const gui::Bitmap& bitmap) {
    const gui::Rect r = bitmap.getRect();
    return r.width() > 0.0f && r.height() > 0.0f && bitmap.pixelWidth() > 0 && bitmap.pixelHeight() > 0;
}

// The bitmap's alpha at a point of its own logical coordinates.
int alphaAt(const gui::Bitmap& bitmap, const gui::Point& p) {
    if (!hasPixels(bitmap) || !bitmap.getRect().contains(p)) return 0;
    const float scale = bitmap.getScale();
    return bitmap
        .pixelAt(static_cast<int>(std::floor(p.x * scale)), static_cast<int>(std::floor(p.y * scale)))
        .a;
}

std::uint8_t halved(std::uint8_t a) {
    return static_cast<std::uint8_t>(a / 2);
}

std::uint8_t multiplied(std::uint8_t a, int opacity) {
    const int o = std::clamp(opacity, 0, 255);
    return static_cast<std::uint8_t>((a * o + 128) / 255);
}

// A direction as a fraction of a turn: atan2 / 2 pi + 0.25, in 0..1.
float direction(const gui::Point& v) {
    if (v.y == 0.0f) return v.x >= 0.0f ? 0.25f : 0.75f;
    float a = static_cast<float>(std::atan2(double(v.y), double(v.x)) / (2.0 * std::numbers::pi)) + 0.25f;
    a -= std::floor(a);
    return a;
}

float length(const gui::Point& v) {
    return std::hypot(v.x, v.y);
}

} // namespace

// ---- Curve ------------------------------------------------------------------------------

float FilterController::Curve::FilterCurve::valueAt(float x) const {
    return owner_.segmentValueAt(x - owner_.evaluationOffset_);
}

FilterController::Curve::Curve(FilterController& owner, int number)
    : frequency(this, 0.0f), enabled(this, true), linked(this, false), pan(this, 0.0f), peak(this, 1.0f),
      response(this, GenericFilter::kLowPass), slope(this, GenericFilter::kSlope6), owner_(owner),
      number_(number), filterCurve_(*this), rollover_(owner, 255) {
    gui::UserInterface& ui = owner.userInterface();
    if (ui.hasPlatformDelegate()) {
        label_.reset(ui.platformDelegate().createText());
        char text[16];
        std::snprintf(text, sizeof text, "%d", number + 1);
        label_->fontSize.setValue(owner.textSize_);
        label_->text.setValue(text);
    }
}

FilterController::Curve::~Curve() = default;

AbstractPluginParameter* FilterController::Curve::parameter(std::int32_t index) const {
    if (index == kNone) return nullptr;
    return owner_.interface_.plugin().getParameter(index);
}

void FilterController::Curve::refresh() {
    if (locked_) return;
    auto position = [](const AbstractPluginParameter& p) { return p.toLinearNormalized(p.getValue()); };
    auto index = [](const AbstractPluginParameter& p) { return static_cast<int>(std::lround(p.getValue())); };
    if (AbstractPluginParameter* p = parameter(indices_.frequency)) frequency.setValue(position(*p));
    if (AbstractPluginParameter* p = parameter(indices_.peak)) peak.setValue(position(*p));
    AbstractPluginParameter* e = parameter(indices_.enabled);
    enabled.setValue(e == nullptr || e->getValue() != 0.0f);
    AbstractPluginParameter* l = parameter(indices_.linked);
    linked.setValue(l == nullptr || l->getValue() != 0.0f);
    if (AbstractPluginParameter* p = parameter(indices_.response))
        response.setValue(static_cast<GenericFilter::Response>(std::clamp(index(*p), 0, 2)));
    // "Slope" index i ("12", "24", "48") is filter slope i + 1.
    AbstractPluginParameter* s = parameter(indices_.slope);
    slope.setValue(static_cast<GenericFilter::Slope>(s != nullptr ? std::clamp(index(*s) + 1, 0, 3) : 1));
    AbstractPluginParameter* q = parameter(indices_.pan);
    pan.setValue(q != nullptr ? q->getValue() : 0.0f);
}

void FilterController::Curve::raiseShapeLevel(int level) {
    shapeLevel_ = std::max(shapeLevel_, level);
}

void FilterController::Curve::propertyChanged(AbstractProperty& property) {
    if (&property == &response || &property == &slope) {
        raiseShapeLevel(2);
    } else if (&property == &peak || &property == &frequency) {
        if (&property == &peak) raiseShapeLevel(1);
        updateHandleRect();
        owner_.updateLink();
    } else if (&property == &linked) {
        owner_.updateLink();
    }
    owner_.invalidateRect(owner_.localRect());
}

void FilterController::Curve::layout() {
    const float L = owner_.leftMargin.getValue();
    H_ = static_cast<int>(std::trunc(owner_.height.getValue()));
    w_ = static_cast<int>(std::trunc(std::trunc(owner_.width.getValue()) - 2.0f * L));
    pixelsPerOctave_ = 0.0f;
    if (AbstractPluginParameter* p = parameter(indices_.frequency)) {
        auto octave = [p](float x) {
            return std::log(double(p->normalizedToPlain(p->fromLinearNormalized(x)))) * kInverseLn2;
        };
        const double span = octave(1.0f) - octave(0.0f);
        if (std::isfinite(span) && span != 0.0) pixelsPerOctave_ = static_cast<float>(w_ / span);
    }
    slopeBase_ = 1.0;
    h_ = static_cast<int>(std::trunc(std::trunc(float(H_) * owner_.levelFactor.getValue()) - L));
    K_ = static_cast<int>(std::trunc(0.2f * float(w_)));
    if (w_ < 1 || h_ < 1 || K_ < 1) {
        laidOut_ = false;
        handleRect_ = {};
        return;
    }
    inverseWidth_ = 1.0f / float(w_);
    inverseHeight_ = 1.0f / float(h_);
    laidOut_ = true;
    shapeLevel_ = 2;
    buildSegments();
    updateHandleRect();
}

void FilterController::Curve::buildSegments() {
    if (!laidOut_) return;
    const bool full = shapeLevel_ >= 2;
    const int r = std::clamp(static_cast<int>(response.getValue()), 0, 2);
    if (full) {
        const double k = slopeBase_ * kSlopeFactors[std::clamp(static_cast<int>(slope.getValue()), 0, 3)];
        segmentCount_ = r == 2 ? 2 : 3;
        E_ = static_cast<float>(2.0 * k);
        Wk_ = static_cast<int>(std::trunc(double(w_) * k));
        A_ = static_cast<float>(2.0 / k);
    }
    const float P = peak.getValue();
    pixelAligned_ = hasPixels(owner_.handleBitmap(0));
    if (pixelAligned_) {
        const float G = 1.3f * float(h_) / float(K_);
        B_ = P * 2.5f * G;
        D_ = P * A_ * G;
    } else {
        B_ = D_ = 0.0f;
    }
    float Y = static_cast<float>((1.0 - double(P)) * double(h_));
    if (pixelAligned_) Y = owner_.userInterface().deviceBacking().snap(Y);
    const float H = float(H_), h = float(h_), K = float(K_), Wk = float(Wk_);
    const float V = std::trunc(1.1f * H);
    auto& p = points_;
    auto& s = segments_;
    // Each end is given as its dy/dx; the fit takes it negated.
    auto fit = [&s, &p](int i, int a, float da, int b, float db) {
        s[std::size_t(i)].fit(p[std::size_t(a)].x, p[std::size_t(a)].y, -da, p[std::size_t(b)].x,
                              p[std::size_t(b)].y, -db);
    };
    switch (r) {
    case 0:
        if (full) {
            p[0] = {-5.0f * H, h};
            p[1] = {-K, h};
            p[3] = {Wk, V};
            fit(0, 0, 0.0f, 1, 0.0f);
        }
        p[2] = {0.0f, Y};
        fit(1, 1, 0.0f, 2, -B_);
        fit(2, 2, D_, 3, -E_);
        break;
    case 1:
        if (full) {
            p[0] = {-Wk, V};
            p[2] = {K, h};
            p[3] = {5.0f * H, h};
            fit(2, 2, 0.0f, 3, 0.0f);
        }
        p[1] = {0.0f, Y};
        fit(0, 0, E_, 1, -D_);
        fit(1, 1, B_, 2, 0.0f);
        break;
    default:
        if (full) {
            p[0] = {-Wk, V};
            p[2] = {Wk, V};
        }
        p[1] = {0.0f, Y};
        fit(0, 0, E_, 1, -B_);
        fit(1, 1, B_, 2, -E_);
        break;
    }
    shapeLevel_ = 0;
}

float FilterController::Curve::segmentValueAt(float x) const {
    int i = 0;
    while (i < segmentCount_ - 1 && !(x < points_[std::size_t(i + 1)].x))
        ++i;
    return segments_[std::size_t(i)].valueAt(x);
}

float FilterController::Curve::channelOffset(int channel) const {
    float offset = float(w_) * frequency.getValue();
    const float p = pan.getValue();
    // The processor runs the first channel at frequency + pan, the second
    // at frequency - pan.
    if (std::fabs(p) > kTolerance && channel != 0)
        offset += (channel == 1 ? 1.0f : -1.0f) * p * pixelsPerOctave_;
    return offset;
}

gui::Point FilterController::Curve::handleCentre() const {
    const float L = owner_.leftMargin.getValue();
    return {L + float(w_) * frequency.getValue(), L + (1.0f - peak.getValue()) * float(h_)};
}

void FilterController::Curve::updateHandleRect() {
    if (!laidOut_) {
        handleRect_ = {};
        return;
    }
    const gui::DeviceBacking& backing = owner_.userInterface().deviceBacking();
    const gui::Point c = handleCentre();
    const float x = backing.snap(c.x), y = backing.snap(c.y);
    const gui::Rect size = owner_.handleBitmap(0).getRect();
    handleRect_ =
        gui::Rect::fromXYWH(x - size.width() / 2.0f, y - size.height() / 2.0f, size.width(), size.height());
}

// ---- FilterController --------------------------------------------------------------------------

FilterController::FilterController(GenericPluginInterfaceBase& interface)
    : FrequencyDisplay(interface.userInterface()), highlightedFillColor(this, gui::Color(128, 128, 128, 196)),
      normalFillColor(this, gui::Color(128, 128, 128, 128)), curveOpacity(this, 255),
      grabbedFillColor(this, gui::Color(128, 128, 128, 196)), horizontalLine(this, false),
      curveColor(this, gui::Color(255, 255, 255, 255)),
      firstChannelColor(this, gui::Color(255, 255, 255, 65)),
      secondChannelColor(this, gui::Color(255, 0, 0, 65)), curveCount(this, 1), levelFactor(this, 0.5f),
      interface_(interface), linkRollover_(*this, 255) {
    for (auto& handle : handles_)
        handle = std::make_unique<gui::Bitmap>(userInterface().deviceBacking());
    setSize(300.0f, 200.0f);
}

FilterController::~FilterController() {
    // A close mid-drag: every begun gesture ends once.
    endInteraction();
    curves_.clear();
}

FilterController::Curve& FilterController::addCurve(std::int32_t frequencyIndex, std::int32_t peakIndex,
                                                    std::int32_t responseIndex, std::int32_t slopeIndex,
                                                    std::int32_t enabledIndex, std::int32_t,
                                                    std::int32_t panIndex) {
    auto curve = std::make_unique<Curve>(*this, curves());
    Curve::Indices indices;
    indices.frequency = frequencyIndex;
    indices.peak = peakIndex;
    indices.response = responseIndex;
    indices.slope = slopeIndex;
    indices.enabled = enabledIndex;
    indices.pan = panIndex;
    curve->setIndices(indices);
    Curve& added = *curve;
    curves_.push_back(std::move(curve));
    added.refresh();
    added.layout();
    updateLink();
    invalidateRect(localRect());
    return added;
}

void FilterController::refresh() {
    for (auto& curve : curves_)
        curve->refresh();
}

void FilterController::setHandleBitmaps(const std::array<std::string, kHandleBitmaps>& names) {
    for (int i = 0; i < kHandleBitmaps; ++i)
        handles_[std::size_t(i)]->load(names[std::size_t(i)]);
    layoutCurves();
}

void FilterController::setTextSize(float size) {
    textSize_ = size;
    for (auto& curve : curves_)
        if (curve->label_) curve->label_->fontSize.setValue(size);
    invalidateRect(localRect());
}

int FilterController::drawnCurves() const {
    return std::clamp(curveCount.getValue(), 0, std::min(curves(), kMaxCurves));
}

const gui::Bitmap& FilterController::normalHandle(const Curve& curve) const {
    return *handles_[curve.number() == 0 ? 0 : 4];
}

const gui::Bitmap& FilterController::activeHandle(const Curve& curve) const {
    return *handles_[curve.number() == 0 ? 1 : 5];
}

bool FilterController::hitsHandle(const Curve& curve, const gui::Point& point) {
    if (!curve.laidOut() || !curve.handleRect().contains(point)) return false;
    const gui::Rect& r = curve.handleRect();
    return alphaAt(normalHandle(curve), {point.x - r.left, point.y - r.top}) >= kHandleHitAlpha;
}

void FilterController::updateLink() {
    std::uint32_t bits = 0;
    int count = 0;
    gui::Point sum;
    for (int i = 0; i < drawnCurves(); ++i) {
        const Curve& c = curve(i);
        if (!c.linked.getValue()) continue;
        bits |= bit(i);
        ++count;
        const gui::Point centre = c.handleCentre();
        sum.x += centre.x;
        sum.y += centre.y;
    }
    linkedBits_ = bits;
    linkedCount_ = count;
    if (count < 2) return;
    linkPoint_ = {sum.x / float(count), sum.y / float(count)};
    const gui::DeviceBacking& backing = userInterface().deviceBacking();
    const gui::Rect size = handles_[2]->getRect();
    linkRect_ =
        gui::Rect::fromXYWH(backing.snap(linkPoint_.x - size.width() / 2.0f),
                            backing.snap(linkPoint_.y - size.height() / 2.0f), size.width(), size.height());
}

void FilterController::updateHighlights() {
    for (int i = 0; i < curves(); ++i)
        curve(i).rollover().setRollover(i < kMaxCurves && (selection_ & bit(i)) != 0);
    linkRollover_.setRollover(linkedCount_ >= 2 && selection_ != 0 && selection_ == linkedBits_);
}

void FilterController::layoutCurves() {
    if (inLayout_) return;
    inLayout_ = true;
    for (auto& curve : curves_)
        curve->layout();
    updateLink();
    inLayout_ = false;
    invalidateRect(localRect());
}

void FilterController::propertyChanged(AbstractProperty& property) {
    FrequencyDisplay::propertyChanged(property);
    if (&property == &leftMargin || &property == &levelFactor) {
        layoutCurves();
    } else if (&property == &curveCount) {
        updateLink();
        invalidateRect(localRect());
    } else if (&property == &highlightedFillColor || &property == &normalFillColor ||
               &property == &curveOpacity || &property == &grabbedFillColor || &property == &horizontalLine ||
               &property == &curveColor || &property == &firstChannelColor ||
               &property == &secondChannelColor) {
        invalidateRect(localRect());
    }
}

int FilterController::hitAlpha(const gui::Point& point) {
    // Without handles (a filter button's display) the presses belong to
    // the control beneath.
    if (!hasPixels(*handles_[0])) return 0;
    return FrequencyDisplay::hitAlpha(point);
}

void FilterController::boundsChanged() {
    FrequencyDisplay::boundsChanged();
    layoutCurves();
}

void FilterController::scaleChanged() {
    FrequencyDisplay::scaleChanged();
    layoutCurves();
}

// ---- input ------------------------------------------------------------------------------------

void FilterController::updateHover(const gui::Point& point, int modifiers) {
    const std::uint32_t before = selection_;
    selection_ = 0;
    hovered_ = -1;
    linkBoth_ = false;
    if (linkedCount_ >= 2 && linkRect_.contains(point) &&
        alphaAt(*handles_[2], {point.x - linkRect_.left, point.y - linkRect_.top}) > 64) {
        selection_ = linkedBits_;
    } else {
        const int n = drawnCurves();
        if (grabbed_ >= 0 && grabbed_ < n && hitsHandle(curve(grabbed_), point)) hovered_ = grabbed_;
        for (int i = 0; i < n && hovered_ < 0; ++i)
            if (hitsHandle(curve(i), point)) hovered_ = i;
        if (hovered_ >= 0) {
            const bool isLinked = (linkedBits_ & bit(hovered_)) != 0;
            if (isLinked && (modifiers & gui::kAlt)) {
                selection_ = linkedBits_;
                linkBoth_ = (modifiers & gui::kCtrl) != 0;
            } else {
                selection_ = bit(hovered_);
            }
        }
    }
    if (selection_ != before) {
        updateHighlights();
        invalidateRect(localRect());
    }
}

void FilterController::send(int phase, std::int32_t index, float value) {
    if (index == kNone) return;
    interface_.sendParameterChange(phase, index, value);
}

void FilterController::beginDrag(Curve& c) {
    c.locked_ = true;
    c.gestureState_ = GestureState::kDrag;
    send(0, c.indices().frequency, 0.0f);
    send(0, c.indices().peak, 0.0f);
}

void FilterController::endGestures(Curve& c) {
    switch (c.gestureState_) {
    case GestureState::kDrag:
        send(2, c.indices().frequency, 0.0f);
        send(2, c.indices().peak, 0.0f);
        break;
    case GestureState::kSlopeStep:
        send(2, c.indices().slope, 0.0f);
        break;
    case GestureState::kResponseStep:
        send(2, c.indices().response, 0.0f);
        break;
    case GestureState::kNone:
        break;
    }
    c.gestureState_ = GestureState::kNone;
    c.locked_ = false;
}

bool FilterController::endInteraction() {
    bool any = false;
    for (auto& curve : curves_) {
        if (curve->gestureState_ != GestureState::kNone) any = true;
        endGestures(*curve);
    }
    pressActive_ = false;
    stepped_ = false;
    grabbed_ = -1;
    return any;
}

void FilterController::stepResponse(Curve& c) {
    AbstractPluginParameter* p = c.parameter(c.indices().response);
    c.locked_ = true;
    c.gestureState_ = GestureState::kResponseStep;
    send(0, c.indices().response, 0.0f);
    const int count = static_cast<int>(std::lround(p->getMax())) + 1;
    const int next = (static_cast<int>(c.response.getValue()) + 1) % std::max(count, 1);
    c.response.setValue(static_cast<GenericFilter::Response>(next));
    send(1, c.indices().response, static_cast<float>(next));
}

void FilterController::stepSlope(Curve& c) {
    c.locked_ = true;
    c.gestureState_ = GestureState::kSlopeStep;
    send(0, c.indices().slope, 0.0f);
    // 12 -> 24 -> 48 -> 12 dB; the parameter holds the slope less 1.
    const int now = static_cast<int>(c.slope.getValue());
    const int next = now >= 3 ? 1 : now + 1;
    if (next == now) return;
    c.slope.setValue(static_cast<GenericFilter::Slope>(next));
    send(1, c.indices().slope, static_cast<float>(next - 1));
}

void FilterController::takePressOffsets(const gui::Point& point) {
    pressPoint_ = point;
    pressLinkPoint_ = linkPoint_;
    for (int i = 0; i < drawnCurves(); ++i) {
        if (!(selection_ & bit(i))) continue;
        Curve& c = curve(i);
        c.pressCentre_ = c.handleCentre();
        const gui::Point v{c.pressCentre_.x - pressLinkPoint_.x, c.pressCentre_.y - pressLinkPoint_.y};
        c.pressRadius_ = length(v);
        c.pressDirection_ = direction(v);
    }
}

void FilterController::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    FrequencyDisplay::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft) return;
    if (pressActive_ && endInteraction()) interface_.storeUndoStepIfChanged(pressValues_);
    updateHover(point, modifiers);
    touchFlags.setValue(selection_ == 0 ? kHandTouchToAncestor : 0);
    if (selection_ == 0) return;
    pressValues_ = interface_.undoValues();
    pressPoint_ = point;
    pressActive_ = true;
    stepped_ = false;
    if (hovered_ >= 0 && !(modifiers & gui::kAlt)) {
        Curve& c = curve(hovered_);
        const bool responseStep = (modifiers & gui::kCtrl) && c.parameter(c.indices().response) != nullptr;
        const bool slopeStep = !responseStep && (modifiers & gui::kShift) && c.indices().slope != kNone;
        if (responseStep || slopeStep) {
            if (responseStep)
                stepResponse(c);
            else
                stepSlope(c);
            selection_ = bit(hovered_);
            stepped_ = true;
            updateHighlights();
            invalidateRect(localRect());
            return;
        }
    }
    grabbed_ = hovered_;
    for (int i = 0; i < drawnCurves(); ++i)
        if (selection_ & bit(i)) beginDrag(curve(i));
    takePressOffsets(point);
    invalidateRect(localRect());
}

void FilterController::moveHandleTo(Curve& c, const gui::Point& point) {
    if (!c.laidOut()) return;
    const float Li = std::trunc(leftMargin.getValue());
    const float w = float(c.curveWidth()), h = float(c.curveHeight());
    const float F = std::clamp(point.x - Li, 0.0f, w) * c.inverseWidth_;
    const float P = std::clamp((h + Li) - point.y, 0.0f, h) * c.inverseHeight_;
    auto write = [this, &c](Property<float>& property, std::int32_t index, float value) {
        const float before = property.getValue();
        if (value == before) return;
        property.setValue(value);
        if (std::fabs(value - before) <= kTolerance) return;
        if (AbstractPluginParameter* p = c.parameter(index)) send(1, index, p->fromLinearNormalized(value));
    };
    write(c.frequency, c.indices().frequency, F);
    write(c.peak, c.indices().peak, P);
}

void FilterController::applyModifiers(const gui::Point& point, int modifiers) {
    if (hovered_ < 0 || hovered_ >= drawnCurves()) return;
    std::uint32_t next = selection_;
    bool both = false;
    if (linkedBits_ & bit(hovered_)) {
        next = (modifiers & gui::kAlt) ? linkedBits_ : bit(hovered_);
        both = (modifiers & gui::kAlt) && (modifiers & gui::kCtrl);
    }
    const std::uint32_t joined = next & ~selection_, left = selection_ & ~next;
    selection_ = next;
    const gui::Point moved{point.x - pressPoint_.x, point.y - pressPoint_.y};
    for (int i = 0; i < drawnCurves(); ++i) {
        Curve& c = curve(i);
        if (left & bit(i)) endGestures(c);
        if (joined & bit(i)) {
            beginDrag(c);
            const gui::Point centre = c.handleCentre();
            c.pressCentre_ = {centre.x - moved.x, centre.y - moved.y};
        }
    }
    const bool bothChanged = both != linkBoth_;
    linkBoth_ = both;
    if (bothChanged) takePressOffsets(point);
    if (joined != 0 || left != 0) {
        updateHighlights();
        invalidateRect(localRect());
    }
}

void FilterController::mouseMove(const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    FrequencyDisplay::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    if (!pressActive_) {
        updateHover(point, modifiers);
        return;
    }
    if (stepped_) return;
    const gui::Point d{point.x - pressPoint_.x, point.y - pressPoint_.y};
    const int n = drawnCurves();
    if (!linkBoth_ || hovered_ < 0) {
        for (int i = 0; i < n; ++i) {
            if (!(selection_ & bit(i))) continue;
            Curve& c = curve(i);
            moveHandleTo(c, {c.pressCentre_.x + d.x, c.pressCentre_.y + d.y});
        }
    } else {
        // The others turn with the hovered handle around the link point as
        // it was when the drag began, their distances scaled alike.
        Curve& held = curve(hovered_);
        const gui::Point target{held.pressCentre_.x + d.x, held.pressCentre_.y + d.y};
        moveHandleTo(held, target);
        const gui::Point v{target.x - pressLinkPoint_.x, target.y - pressLinkPoint_.y};
        const float ratio = held.pressRadius_ > kTolerance ? length(v) / held.pressRadius_ : 0.0f;
        const float turn = direction(v) - held.pressDirection_;
        for (int i = 0; i < n; ++i) {
            if (i == hovered_ || !(selection_ & bit(i))) continue;
            Curve& c = curve(i);
            float a = c.pressDirection_ + turn - 0.25f;
            a -= std::floor(a);
            const double t = 2.0 * std::numbers::pi * double(a);
            const float r = c.pressRadius_ * ratio;
            moveHandleTo(c, {pressLinkPoint_.x + r * static_cast<float>(std::cos(t)),
                             pressLinkPoint_.y + r * static_cast<float>(std::sin(t))});
        }
    }
    applyModifiers(point, modifiers);
}

void FilterController::mouseUp(int button, const gui::Point& point, int modifiers) {
    if (pressActive_) {
        endInteraction();
        interface_.storeUndoStepIfChanged(pressValues_);
        invalidateRect(localRect());
    }
    FrequencyDisplay::mouseUp(button, point, modifiers);
}

void FilterController::captureLost() {
    // The release never comes: what was begun ends here, once.
    if (pressActive_) {
        if (endInteraction() && !interface_.isClosed()) interface_.storeUndoStepIfChanged(pressValues_);
        invalidateRect(localRect());
    }
    FrequencyDisplay::captureLost();
}

void FilterController::mouseLeave() {
    if (!pressActive_) {
        const bool had = selection_ != 0;
        selection_ = 0;
        hovered_ = -1;
        linkBoth_ = false;
        if (had) {
            updateHighlights();
            invalidateRect(localRect());
        }
    }
    FrequencyDisplay::mouseLeave();
}

// ---- drawing ----------------------------------------------------------------------------------

void FilterController::drawGrid(gui::Canvas& canvas) {
    FrequencyDisplay::drawGrid(canvas);
    if (!horizontalLine.getValue()) return;
    const float y = height.getValue() * levelFactor.getValue();
    const float pixel = 1.0f / userInterface().deviceBacking().getScale();
    canvas.fillRect(gui::Rect(0.0f, y, width.getValue() + 1.0f, y + pixel), lineColor());
}

void FilterController::drawCurve(gui::Canvas& canvas, Curve& c, int channel, gui::Color line,
                                 gui::Color below, gui::Color above) {
    if (!c.laidOut()) return;
    if (c.shapeLevel() != 0) c.buildSegments();
    const float offset = c.channelOffset(channel);
    const float snapped = userInterface().deviceBacking().snap(offset);
    c.horizontalOffset_ = c.pixelAligned() ? snapped : offset;
    c.evaluationOffset_ = snapped;
    if (!c.enabled.getValue()) {
        line.a = halved(line.a);
        below.a = halved(below.a);
        above.a = halved(above.a);
    }
    gui::CurveStyle style;
    style.layerCount = 1;
    gui::CurveStyle::Layer& layer = style.layers[0];
    layer.curve = &c.filterCurve();
    layer.lineColor = line;
    layer.lineWidth = 2.0f;
    layer.softWidth = 0.0f;
    layer.colorJustAbove = above;
    layer.colorJustBelow = below;
    style.colorAbove = above.withAlpha(multiplied(above.a, curveOpacity.getValue()));
    style.colorBelow = below.withAlpha(multiplied(below.a, curveOpacity.getValue()));
    const float L = leftMargin.getValue();
    const gui::Point& first = c.point(0);
    const gui::Point& last = c.point(c.segmentCount());
    const gui::Rect rect(L + snapped + first.x, L, L + snapped + last.x, float(c.displayHeight()));
    canvas.drawCurve(style, rect, gui::Point(snapped + first.x, 0.0f));
}

void FilterController::drawHandle(gui::Canvas& canvas, Curve& c) {
    if (!c.laidOut()) return;
    const gui::Bitmap& normal = normalHandle(c);
    if (!hasPixels(normal)) return;
    int opacity = 255;
    const gui::Bitmap* bitmap = c.rollover().blend(normal, activeHandle(c), opacity, nullptr);
    const gui::Rect& r = c.handleRect();
    canvas.drawBitmap(*bitmap, gui::Point(r.left, r.top), opacity);
    if (c.label_) {
        gui::Text& text = *c.label_;
        const float x = (r.left + r.right) / 2.0f - text.width() / 2.0f;
        const float y = (r.top + r.bottom) / 2.0f - text.height() / 2.0f;
        canvas.drawText(text, gui::Point(std::round(x), std::round(y)), 255);
    }
}

void FilterController::draw(gui::Canvas& canvas) {
    FrequencyDisplay::draw(canvas);
    const int n = drawnCurves();
    for (int i = n - 1; i >= 0; --i) {
        Curve& c = curve(i);
        if (std::fabs(c.pan.getValue()) > kTolerance) {
            drawCurve(canvas, c, 1, firstChannelColor.getValue(), kTransparent, kTransparent);
            drawCurve(canvas, c, 2, secondChannelColor.getValue(), kTransparent, kTransparent);
        }
        gui::Color below = grabbedFillColor.getValue();
        if (grabbed_ != i) {
            const gui::Color a = normalFillColor.getValue(), b = highlightedFillColor.getValue();
            const int level = c.rollover().level();
            auto mix = [level](std::uint8_t from, std::uint8_t to) {
                return static_cast<std::uint8_t>(int(from) + (int(to) - int(from)) * level / 255);
            };
            below = gui::Color(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a));
        }
        drawCurve(canvas, c, 0, curveColor.getValue(), below, kTransparent);
    }
    if (linkedCount_ >= 2) {
        const gui::Point from(std::trunc(linkPoint_.x), std::trunc(linkPoint_.y));
        for (int i = 0; i < n; ++i) {
            if (!(linkedBits_ & bit(i)) || !curve(i).laidOut()) continue;
            const gui::Rect& r = curve(i).handleRect();
            canvas.drawLine(from, gui::Point((r.left + r.right) / 2.0f, (r.top + r.bottom) / 2.0f),
                            localRect(), curveColor.getValue(), 1.0f);
        }
    }
    for (int i = n - 1; i >= 0; --i)
        if (i != grabbed_) drawHandle(canvas, curve(i));
    if (grabbed_ >= 0 && grabbed_ < n) drawHandle(canvas, curve(grabbed_));
    if (linkedCount_ >= 2 && hasPixels(*handles_[2])) {
        int opacity = 255;
        const gui::Bitmap* bitmap = linkRollover_.blend(*handles_[2], *handles_[3], opacity, nullptr);
        canvas.drawBitmap(*bitmap, gui::Point(linkRect_.left, linkRect_.top), opacity);
    }
}
