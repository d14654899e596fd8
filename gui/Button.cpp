#include "gui/Button.h"

#include "foundation/ModuleResources.h"
#include "gui/Animator.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {
namespace {

constexpr float kTolerance = 0.001f;
constexpr std::uint32_t kMomentaryMs = 500;

bool hasPixels(const Bitmap& bitmap) {
    return bitmap.pixelWidth() >= 1 && bitmap.pixelHeight() >= 1;
}

// A load prefers the "_2x" image at any backing scale but 1.0.
bool wantsDoubleImages(const Bitmap& bitmap) {
    return std::fabs(bitmap.getBacking().getScale() - 1.0f) > 1.1920929e-7f;
}

// The resource in its plain or its "_2x" form ("_2x" goes before the last dot).
bool imageExists(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::string doubled =
        dot == std::string::npos ? name + "_2x" : name.substr(0, dot) + "_2x" + name.substr(dot);
    return resourceExists(name) || resourceExists(doubled);
}

// The source coordinate of a destination coordinate under the three-part
// stretch: caps at both ends, the middle tiled.
float unstretch(float p, float source, float dest, float capSize) {
    if (std::fabs(source - dest) <= kTolerance) return p;
    float cap = source * 0.5f;
    if (capSize > 0.0f) cap = std::min(cap, capSize);
    if (p < cap) return p;
    if (p >= dest - cap) return source - (dest - p);
    const float middle = source - 2.0f * cap;
    if (middle <= 0.0f) return cap;
    return cap + std::fmod(p - cap, middle);
}

} // namespace

// ---- style -----------------------------------------------------------------------

Button::Style::Style(UserInterface& userInterface)
    : Component(userInterface), backgroundStyle(this, BackgroundStyle::kStretch), capSize(this, 0.0f),
      height(this, 0.0f), width(this, 0.0f), backgroundOpacity(this, 255),
      iconAlignment(this, Alignment::kLeft), iconMargin(this, 0.0f), iconOpacity(this, 255),
      iconOnOpacity(this, -1), overlayStyle(this, OverlayStyle::kPlaced),
      textAlignment(this, Alignment::kCentre), textColor(this, Color(0, 0, 0, 255)), textOpacity(this, 255),
      textOffsetX(this, 0.0f), textOnOpacity(this, -1), textOffsetY(this, 0.0f), margin(this, 0.0f),
      insets(this, Rect()) {
    for (auto& bitmap : stateBitmaps_)
        bitmap = std::make_unique<Bitmap>(userInterface.deviceBacking());
}

Button::Style::~Style() = default;

void Button::Style::updateSizeFromBitmaps() {
    const Bitmap* source = &stateBitmap(0);
    if (!hasPixels(*source)) source = &stateBitmap(1);
    const Rect r = source->getRect();
    width.setValue(r.width());
    height.setValue(r.height());
}

void Button::Style::loadBitmaps(const std::string& prefix) {
    static constexpr const char* kSuffixes[kStateBitmapCount] = {"Normal.png", "Active.png", "Down.png",
                                                                 nullptr, "On.png"};
    std::array<std::string, kStateBitmapCount> names;
    bool anyState = false;
    for (int i = 0; i < kStateBitmapCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (kSuffixes[i] == nullptr || !imageExists(prefix + kSuffixes[i])) continue;
        names[at] = prefix + kSuffixes[i];
        anyState = anyState || i < 3;
    }
    if (!anyState) throw EResource("Resource not found");
    loadedDouble_ = wantsDoubleImages(stateBitmap(0));
    for (int i = 0; i < kStateBitmapCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (kSuffixes[i] == nullptr) continue;
        names_[at] = names[at];
        if (names_[at].empty())
            stateBitmap(i).resize(0, 0);
        else
            stateBitmap(i).load(names_[at]);
    }
}

void Button::Style::reloadForScale() {
    const bool wantDouble = wantsDoubleImages(stateBitmap(0));
    if (wantDouble == loadedDouble_) return;
    loadedDouble_ = wantDouble;
    for (int i = 0; i < kStateBitmapCount; ++i)
        if (!names_[static_cast<std::size_t>(i)].empty())
            stateBitmap(i).load(names_[static_cast<std::size_t>(i)]);
}

// ---- button ----------------------------------------------------------------------

Button::Button(UserInterface& userInterface, Style* style)
    : RolloverValueControl(userInterface), backgroundStyle(this, BackgroundStyle::kStretch),
      capSize(this, 0.0f), buttonStyle(this, ButtonStyle::kOrdinary), on(this, false), hitByRect(this, true),
      toggles(this, false), lineCount(this, 1, 16, 1), iconAlignment(this, Alignment::kLeft),
      iconMargin(this, 0.0f), iconOpacity(this, 255), iconOnOpacity(this, -1),
      overlayStyle(this, OverlayStyle::kPlaced), textAlignment(this, Alignment::kCentre),
      textPadding(this, 6.0f), textOpacity(this, 255), textOffsetX(this, 0.0f), textOnOpacity(this, -1),
      spacing(this, 0.0f), textOffsetY(this, 0.0f), turnOnAtPress(this, false), margin(this, 0.0f),
      insets(this, Rect()) {
    DeviceBacking& backing = userInterface.deviceBacking();
    for (auto& bitmap : icons_) {
        bitmap = std::make_unique<Bitmap>(backing);
        bitmap->changeEvent.addHandler(NotifyEvent::bind([this] { updateLineWidths(); }));
    }
    labelImage_ = std::make_unique<Bitmap>(backing);
    onLabelImage_ = std::make_unique<Bitmap>(backing);
    rebuildTextLines();

    if (style == nullptr) {
        ownedStyle_ = std::make_unique<Style>(userInterface);
        style_ = ownedStyle_.get();
    } else {
        style_ = style;
        link(style);
        backgroundStyle.setValue(style->backgroundStyle.getValue());
        capSize.setValue(style->capSize.getValue());
        normalOpacity.setValue(style->backgroundOpacity.getValue());
        iconAlignment.setValue(style->iconAlignment.getValue());
        iconMargin.setValue(style->iconMargin.getValue());
        iconOpacity.setValue(style->iconOpacity.getValue());
        iconOnOpacity.setValue(style->iconOnOpacity.getValue());
        overlayStyle.setValue(style->overlayStyle.getValue());
        textAlignment.setValue(style->textAlignment.getValue());
        textOpacity.setValue(style->textOpacity.getValue());
        textOffsetX.setValue(style->textOffsetX.getValue());
        textOnOpacity.setValue(style->textOnOpacity.getValue());
        textOffsetY.setValue(style->textOffsetY.getValue());
        margin.setValue(style->margin.getValue());
        insets.setValue(style->insets.getValue());
        if (!textLines_.empty()) textLines_.front()->color.setValue(style->textColor.getValue());
        setBoundsXYWH(0.0f, 0.0f, style->width.getValue(), style->height.getValue());
    }
    intervalTimer_ = IntervalTimer::create(userInterface.clock());
    touchFlags.setValue(1);
    doubleClickEnabled.setValue(false);
    updateLineWidths();
}

Button::~Button() {
    if (style_ != nullptr && style_ != ownedStyle_.get()) Component::unlink(style_);
    style_ = nullptr;
}

// The empty style is made on the GUI thread (never inside draw): when the
// style goes or none is given.
Button::Style& Button::activeStyle() {
    return style_ != nullptr ? *style_ : *emptyStyle_;
}

void Button::componentDeleted(Component* component) {
    if (component == style_) {
        style_ = nullptr;
        if (emptyStyle_ == nullptr) emptyStyle_ = std::make_unique<Style>(userInterface());
        updateLineWidths();
    }
    RolloverValueControl::componentDeleted(component);
}

void Button::setStyle(Style* style) {
    if (style == style_) return;
    if (style_ != nullptr && style_ != ownedStyle_.get()) Component::unlink(style_);
    style_ = style;
    if (style_ != nullptr && style_ != ownedStyle_.get())
        link(style_);
    else if (style_ == nullptr && emptyStyle_ == nullptr)
        emptyStyle_ = std::make_unique<Style>(userInterface());
    updateLineWidths();
    refresh();
}

void Button::scaleChanged() {
    if (style_ != nullptr) style_->reloadForScale();
    RolloverValueControl::scaleChanged();
}

void Button::boundsChanged() {
    updateLineWidths();
    RolloverValueControl::boundsChanged();
}

void Button::updateLineWidths() {
    const Bitmap* iconBitmap = overlayStyle.getValue() == OverlayStyle::kPlaced ? shownIcon() : nullptr;
    const float iconWidth = iconBitmap != nullptr ? iconBitmap->getRect().width() : 0.0f;
    // Nothing left for the text: one unbounded line rather than a negative width.
    const float width = std::max(0.0f, localRect().width() - 2.0f * textPadding.getValue() - iconWidth);
    for (const std::unique_ptr<Text>& line : textLines_)
        line->wrapWidth.setValue(width);
}

void Button::refresh() {
    invalidateRect(localRect());
}

void Button::rebuildTextLines() {
    if (!userInterface().hasPlatformDelegate()) return;
    const auto wanted = static_cast<std::size_t>(lineCount.getValue());
    while (textLines_.size() < wanted) {
        std::unique_ptr<Text> line(userInterface().platformDelegate().createText());
        if (line == nullptr) return;
        if (!textLines_.empty()) line->color.setValue(textLines_.back()->color.getValue());
        line->changeEvent.setHandler(NotifyEvent::bind([this] { refresh(); }));
        textLines_.push_back(std::move(line));
    }
}

void Button::propertyChanged(AbstractProperty& property) {
    RolloverValueControl::propertyChanged(property);
    if (&property == &lineCount) {
        rebuildTextLines();
        updateLineWidths();
        refresh();
    } else if (&property == &on || &property == &overlayStyle || &property == &textPadding) {
        updateLineWidths();
        refresh();
    } else if (&property == &backgroundStyle || &property == &capSize || &property == &iconAlignment ||
               &property == &iconMargin || &property == &iconOpacity || &property == &iconOnOpacity ||
               &property == &textAlignment || &property == &textOpacity || &property == &textOffsetX ||
               &property == &textOnOpacity || &property == &spacing || &property == &textOffsetY) {
        refresh();
    }
}

void Button::fireEvent6(int phase) {
    if (phase == kTargetRested) fireEvent5();
}

void Button::getPaintBounds(Rect& rect) {
    const float m = margin.getValue();
    const Rect in = insets.getValue();
    const Rect local = localRect();
    rect = Rect(local.left + m + in.left, local.top + m + in.top, local.right - m - in.right,
                local.bottom - m - in.bottom);
}

void Button::placeOnBackground(const Rect& rect) {
    const Rect b = bounds.getValue();
    if (std::fabs(b.width() - rect.width()) > kTolerance ||
        std::fabs(b.height() - rect.height()) > kTolerance)
        setSize(rect.width(), rect.height());
    placedOnBackground_ = true;
    backgroundOrigin_ = rect.topLeft();
    refresh();
}

// ---- drawing ---------------------------------------------------------------------

int Button::blendOpacity(int opacity) const {
    const int level = const_cast<Button*>(this)->rolloverManager().level();
    return static_cast<int>(static_cast<float>(opacity) + static_cast<float>(255 - opacity) * level / 255.0f);
}

float Button::pressedShift() const {
    return drawingState_ == DrawingState::kPressed && buttonStyle.getValue() == ButtonStyle::kOrdinary ? 1.0f
                                                                                                       : 0.0f;
}

void Button::drawStateBitmap(Canvas& canvas, const Bitmap& bitmap, int opacity) {
    if (!hasPixels(bitmap)) return;
    const Rect local = localRect();
    switch (backgroundStyle.getValue()) {
    case BackgroundStyle::kStretch:
        canvas.drawBitmapInRect(bitmap, bitmap.getRect(), local, opacity, capSize.getValue());
        break;
    case BackgroundStyle::kCell:
        canvas.drawBitmapCell(bitmap, local, opacity,
                              capSize.getValue() != 0.0f ? Orientation::kVertical : Orientation::kHorizontal);
        break;
    default: {
        const Rect r = bitmap.getRect();
        const Point at((local.width() - r.width()) * 0.5f, (local.height() - r.height()) * 0.5f);
        canvas.drawBitmap(bitmap, at, opacity);
        break;
    }
    }
}

void Button::drawStateBackground(Canvas& canvas, int mode) {
    Style& style = activeStyle();
    if (mode == kPaintNormal) {
        drawStateBitmap(canvas, style.stateBitmap(0), normalOpacity.getValue());
        return;
    }
    if (mode == kPaintHighlighted) {
        drawStateBitmap(canvas, style.stateBitmap(1), 255);
        return;
    }
    if (drawingState_ == DrawingState::kPressed) {
        drawStateBitmap(canvas, style.stateBitmap(2), 255);
        return;
    }
    int opacity = 255;
    const Bitmap* shown =
        rolloverManager().blend(style.stateBitmap(0), style.stateBitmap(1), opacity, nullptr);
    if (shown == nullptr || !hasPixels(*shown)) return;
    if (placedOnBackground_) {
        const Rect local = localRect();
        canvas.drawBitmap(*shown, local, backgroundOrigin_, opacity);
        return;
    }
    drawStateBitmap(canvas, *shown, opacity);
}

const Bitmap* Button::shownIcon() {
    const int index = on.getValue() ? 1 : 0;
    const Bitmap* own = &icon(index);
    if (hasPixels(*own)) return own;
    const Bitmap* fallback = &activeStyle().stateBitmap(3 + index);
    return hasPixels(*fallback) ? fallback : nullptr;
}

void Button::paintContents(Canvas& canvas) {
    paintContents(canvas, kPaintByState);
}

void Button::paintContents(Canvas& canvas, int mode) {
    drawStateBackground(canvas, mode);
    const Rect local = localRect();
    const float w = local.width();
    const float h = local.height();
    const float shift = pressedShift();

    // Icon.
    const Bitmap* iconBitmap = shownIcon();
    float iconWidth = 0.0f;
    if (iconBitmap != nullptr) {
        const int iconAlpha = on.getValue() && iconOnOpacity.getValue() != -1
                                  ? iconOnOpacity.getValue()
                                  : blendOpacity(iconOpacity.getValue());
        const Rect ir = iconBitmap->getRect();
        if (overlayStyle.getValue() != OverlayStyle::kPlaced) {
            drawStateBitmap(canvas, *iconBitmap, iconAlpha);
        } else {
            iconWidth = ir.width();
            if (placedOnBackground_ && std::fabs(ir.width() - w) <= kTolerance &&
                std::fabs(ir.height() - h) <= kTolerance) {
                canvas.drawBitmap(*iconBitmap, local.offset(shift, shift), backgroundOrigin_, iconAlpha);
            } else {
                float x = (w - ir.width()) * 0.5f;
                if (iconAlignment.getValue() == Alignment::kLeft)
                    x = iconMargin.getValue();
                else if (iconAlignment.getValue() == Alignment::kRight)
                    x = w - iconMargin.getValue() - ir.width();
                canvas.drawBitmap(*iconBitmap, Point(x + shift, (h - ir.height()) * 0.5f + shift), iconAlpha);
            }
        }
    }

    // The label beside a placed icon.
    paintLabel(canvas, iconWidth > 0.0f ? iconWidth + spacing.getValue() : 0.0f);
}

void Button::paintLabel(Canvas& canvas, float lead) {
    const Rect local = localRect();
    // Label: an image, or else the text lines.
    const bool onImage = on.getValue() && hasPixels(*onLabelImage_);
    const Bitmap* image =
        onImage ? onLabelImage_.get() : (hasPixels(*labelImage_) ? labelImage_.get() : nullptr);
    const auto lines = std::min(textLines_.size(), static_cast<std::size_t>(lineCount.getValue()));
    bool anyText = false;
    for (std::size_t i = 0; i < lines; ++i)
        anyText = anyText || !textLines_[i]->text.getValue().empty();
    if (image == nullptr && !anyText) return;

    float labelWidth = 0.0f;
    float labelHeight = 0.0f;
    if (image != nullptr) {
        labelWidth = image->getRect().width();
        labelHeight = image->getRect().height();
    } else {
        for (std::size_t i = 0; i < lines; ++i) {
            labelWidth = std::max(labelWidth, textLines_[i]->width());
            labelHeight += textLines_[i]->height() + (i > 0 ? spacing.getValue() : 0.0f);
        }
    }
    // The label is aligned in the width the placed icon leaves beside it,
    // then moved past the icon: right-aligned text ends at the padding
    // whether or not there is an icon.
    const float padding = textPadding.getValue();
    const float area = local.width() - lead;
    float x = padding + textOffsetX.getValue();
    if (textAlignment.getValue() == Alignment::kCentre)
        x = area * 0.5f + textOffsetX.getValue() - labelWidth * 0.5f;
    else if (textAlignment.getValue() == Alignment::kRight)
        x = area - (padding + labelWidth) + textOffsetX.getValue();
    x = std::max(x, textLines_.empty() ? 0.0f : padding) + lead;
    const float y = local.height() * 0.5f + textOffsetY.getValue() - labelHeight * 0.5f + pressedShift();

    if (image != nullptr) {
        int alpha = 0;
        if (onImage)
            alpha = textOnOpacity.getValue() == -1 ? 255 : blendOpacity(textOnOpacity.getValue());
        else
            alpha = blendOpacity(on.getValue() && textOnOpacity.getValue() != -1 ? textOnOpacity.getValue()
                                                                                 : textOpacity.getValue());
        canvas.drawBitmap(*image, Point(x, y), alpha);
        return;
    }
    drawLabel(canvas, Point(x, y));
}

void Button::drawLabel(Canvas& canvas, const Point& position) {
    const int alpha = blendOpacity(textOpacity.getValue());
    const auto lines = std::min(textLines_.size(), static_cast<std::size_t>(lineCount.getValue()));
    Point at = position;
    for (std::size_t i = 0; i < lines; ++i) {
        Text& line = *textLines_[i];
        canvas.drawText(line, at, alpha);
        at.y += line.height() + spacing.getValue();
    }
}

void Button::draw(Canvas& canvas) {
    paintContents(canvas, kPaintByState);
}

// ---- hit test --------------------------------------------------------------------

int Button::hitAlpha(const Point& point) {
    Rect paint;
    getPaintBounds(paint);
    if (hitByRect.getValue()) return paint.contains(point) ? 255 : 0;
    const Bitmap& bitmap = activeStyle().stateBitmap(0);
    if (!hasPixels(bitmap)) return 0;
    const Rect source = bitmap.getRect();
    const Rect local = localRect();
    Point p = point;
    if (placedOnBackground_) {
        p = p + backgroundOrigin_;
    } else if (backgroundStyle.getValue() == BackgroundStyle::kStretch) {
        p.x = unstretch(p.x, source.width(), local.width(), capSize.getValue());
        p.y = unstretch(p.y, source.height(), local.height(), capSize.getValue());
    } else {
        p.x -= (local.width() - source.width()) * 0.5f;
        p.y -= (local.height() - source.height()) * 0.5f;
    }
    if (!source.contains(p)) return 0;
    const float scale = bitmap.getScale();
    return bitmap
        .pixelAt(static_cast<int>(std::floor(p.x * scale)), static_cast<int>(std::floor(p.y * scale)))
        .a;
}

bool Button::pointerOnButton(const Point& point) {
    if (!visible.getValue() || !enabled.getValue() || !localRect().contains(point)) return false;
    return static_cast<long>(hitAlpha(point)) * opacity.getValue() >
           static_cast<long>(hitThreshold.getValue()) * 255;
}

// ---- mouse -----------------------------------------------------------------------

void Button::setDrawingState(DrawingState state) {
    if (state == drawingState_) return;
    drawingState_ = state;
    refresh();
}

void Button::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    RolloverValueControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    if ((modifiers & kDoubleClick) && doubleClickEnabled.getValue()) return;
    if (!pointerOnButton(point)) return;
    pressed_ = true;
    turnedOnAtPress_ = false;
    rolloverManager().finish();
    setDrawingState(DrawingState::kPressed);
    if (toggles.getValue() && turnOnAtPress.getValue() && !on.getValue()) {
        turnedOnAtPress_ = true;
        intervalTimer_->restart();
        on.setValue(true);
        return;
    }
    if (popupMenu_ == nullptr || !alive.alive()) return;
    // The menu opens under the paint rect (in root coordinates); the menu's
    // own loop took the release, so the button releases itself.
    Rect paint;
    getPaintBounds(paint);
    popupMenu_->show(toRoot(Point(paint.left, paint.bottom)));
    if (!alive.alive()) return;
    mouseUp(kMouseLeft, point, 0);
    if (alive.alive() && !pressed_) setDrawingState(DrawingState::kNormal);
}

void Button::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    RolloverValueControl::mouseMove(point, modifiers);
    if (!alive.alive() || !pressed_) return;
    if (pointerOnButton(point)) {
        setDrawingState(DrawingState::kPressed);
    } else if (buttonStyle.getValue() != ButtonStyle::kHoldPressedLook) {
        setDrawingState(DrawingState::kNormal);
        setPointerInside(false);
    }
}

void Button::mouseUp(int button, const Point& point, int modifiers) {
    if (!pressed_ || button != kMouseLeft) {
        RolloverValueControl::mouseUp(button, point, modifiers);
        return;
    }
    pressed_ = false;
    AliveGuard alive(this);
    const bool turnedOn = turnedOnAtPress_;
    turnedOnAtPress_ = false;
    if (turnedOn && intervalTimer_->elapsed() > kMomentaryMs) on.setValue(false);
    if (!alive.alive()) return;
    if (pointerOnButton(point)) {
        if (toggles.getValue() && !turnedOn) on.setValue(!on.getValue());
        if (!alive.alive()) return;
        setDrawingState(DrawingState::kHighlighted);
        setPointerInside(true);
    } else {
        setDrawingState(DrawingState::kNormal);
        setPointerInside(false);
    }
    RolloverValueControl::mouseUp(button, point, modifiers);
}

void Button::mouseEnter() {
    AliveGuard alive(this);
    RolloverValueControl::mouseEnter();
    if (!alive.alive() || pressed_) return;
    setPointerInside(true);
    setDrawingState(DrawingState::kHighlighted);
}

void Button::mouseLeave() {
    AliveGuard alive(this);
    RolloverValueControl::mouseLeave();
    if (!alive.alive() || pressed_) return;
    setDrawingState(DrawingState::kNormal);
    setPointerInside(false);
}

} // namespace gui
