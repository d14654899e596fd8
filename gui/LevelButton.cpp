#include "gui/LevelButton.h"

#include "gui/Canvas.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {
namespace {

bool hasPixels(const Bitmap& bitmap) {
    return bitmap.pixelWidth() >= 1 && bitmap.pixelHeight() >= 1;
}

} // namespace

LevelButton::LevelButton(UserInterface& userInterface, Style* style)
    : FloatValueButton(userInterface, style), plainLevel(this, false), levelMargin(this, 0.0f),
      levelOffset(this, 0), showLevel(this, true),
      normalImage_(std::make_unique<Bitmap>(userInterface.deviceBacking())),
      highlightedImage_(std::make_unique<Bitmap>(userInterface.deviceBacking())) {}

LevelButton::~LevelButton() = default;

void LevelButton::invalidateImages() {
    stale_ = true;
    refresh();
}

void LevelButton::componentDeleted(Component* component) {
    const bool styleGone = component == style();
    FloatValueButton::componentDeleted(component);
    if (styleGone) invalidateImages();
}

void LevelButton::setStyle(Style* style) {
    const bool changed = style != this->style();
    FloatValueButton::setStyle(style);
    if (changed) invalidateImages();
}

void LevelButton::boundsChanged() {
    stale_ = true;
    FloatValueButton::boundsChanged();
}

void LevelButton::scaleChanged() {
    stale_ = true;
    FloatValueButton::scaleChanged();
}

void LevelButton::valueControlPropertyChanged(AbstractProperty& property) {
    FloatValueButton::valueControlPropertyChanged(property);
    if (&property == &value || &property == &minimum || &property == &maximum || &property == &plainLevel ||
        &property == &levelMargin || &property == &levelOffset || &property == &showLevel ||
        &property == &iconOpacity)
        invalidateImages();
}

float LevelButton::levelEnd() const {
    const double range = double(maximum.getValue()) - double(minimum.getValue());
    const double f = (double(value.getValue()) - minimum.getValue()) / range;
    const float length = localRect().width();
    const float start = float(levelOffset.getValue()) + 2.0f * levelMargin.getValue();
    return start + (length - start) * float(f);
}

void LevelButton::drawLevel(Canvas& canvas, const Bitmap& level, int alpha) {
    if (!showLevel.getValue() || !hasPixels(level)) return;
    const Rect source = level.getRect();
    const float top = (localRect().height() - source.height()) * 0.5f;
    const float end = levelEnd();
    if (plainLevel.getValue()) {
        const float right = std::min(end, source.width());
        if (right > 0.0f)
            canvas.drawBitmap(level, Rect(0.0f, top, right, top + source.height()), Point(), alpha);
        return;
    }
    if (!(end > 0.0f)) return;
    // Caps longer than a short bar would reach past its end.
    const Rect bar(0.0f, top, end, top + source.height());
    const Canvas::State saved = canvas.saveState();
    canvas.clip.setValue(intersection(saved.clip, bar));
    if (!canvas.clip.getValue().isEmpty())
        canvas.drawBitmapInRect(level, source, bar, alpha, levelMargin.getValue());
    canvas.restoreState(saved);
}

void LevelButton::renderImages() {
    stale_ = false;
    Style& s = activeStyle();
    const Rect local = localRect();
    const Bitmap& lit = hasPixels(s.stateBitmap(4)) ? s.stateBitmap(4) : s.stateBitmap(3);
    struct {
        Bitmap* image;
        int holder;
        const Bitmap* level;
        int alpha;
    } const looks[] = {{normalImage_.get(), 0, &s.stateBitmap(3), iconOpacity.getValue()},
                       {highlightedImage_.get(), 1, &lit, 255}};
    for (const auto& look : looks) {
        look.image->setSize(local.width(), local.height());
        look.image->clear();
        Canvas& canvas = look.image->getCanvas();
        const Bitmap& background = s.stateBitmap(look.holder);
        if (hasPixels(background))
            canvas.drawBitmapInRect(background, background.getRect(), local, 255, capSize.getValue());
        drawLevel(canvas, *look.level, look.alpha);
    }
    ++renderCount_;
}

void LevelButton::paintLevel(Canvas& canvas) {
    Style& s = activeStyle();
    if (drawingState() == DrawingState::kPressed) {
        drawStateBitmap(canvas, s.stateBitmap(2), 255);
        drawLevel(canvas, hasPixels(s.stateBitmap(4)) ? s.stateBitmap(4) : s.stateBitmap(3), 255);
    } else {
        const Rect local = localRect();
        if (stale_ || std::fabs(normalImage_->getRect().width() - local.width()) > 0.001f ||
            std::fabs(normalImage_->getRect().height() - local.height()) > 0.001f)
            renderImages();
        int opacity = 255;
        const Bitmap* shown = rolloverManager().blend(*normalImage_, *highlightedImage_, opacity, nullptr);
        if (shown != nullptr) drawStateBitmap(canvas, *shown, opacity);
    }
    // The label as a button without an icon lays it out.
    paintLabel(canvas, 0.0f);
}

void LevelButton::paintContents(Canvas& canvas) {
    paintLevel(canvas);
}

void LevelButton::draw(Canvas& canvas) {
    paintLevel(canvas);
}

} // namespace gui
