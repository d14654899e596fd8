#include "gui/MultiLabel.h"

#include "gui/Animation.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/TextEditor.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr float kEditWidening = 2.0f;

} // namespace

MultiLabel::MultiLabel(UserInterface& userInterface, int lines)
    : AnimatedControl(userInterface), alignment(this, Alignment::kLeft), autoSize(this, true),
      editResize(this, false), frameColor(this, Color(0, 0, 0, 0)), frameWidth(this, 1.0f),
      bottomPadding(this, 0.0f), editable(this, false), layout(this, Layout::kTop), leftMargin(this, 0.0f),
      lineSpacing(this, 0.0f), backgroundInset(this, 3.0f), minimumHeight(this, 0.0f),
      minimumWidth(this, 0.0f), maximumHeight(this, 0.0f), maximumWidth(this, 0.0f),
      lineCount(this, 1, std::max(lines, 1), std::max(lines, 1)), overrideOpacity(this, 0, 255, 128),
      rightMargin(this, 0.0f), paintInset(this, 0.0f), restOpacity(this, 255.0f), extraHeight(this, 0.0f) {
    backgroundColor.setValue(Color(255, 255, 255, 0));
    lines_.resize(std::size_t(std::max(lines, 1)));
    if (userInterface.hasPlatformDelegate()) {
        for (Line& line : lines_) {
            line.text.reset(userInterface.platformDelegate().createText());
            line.text->changeEvent.addHandler(NotifyEvent::bind(this, &MultiLabel::textObjectChanged));
        }
    }
    level_ = int(restOpacity.getValue());
    relayout();
}

MultiLabel::~MultiLabel() {
    // The editor's own events must not reach this half-destroyed label when
    // deleting an open editor closes it.
    if (editor_) {
        editor_->closedEvent.clear();
        editor_->textChangedEvent.clear();
        editor_->tabEvent.clear();
        editor_->editedEvent.clear();
        editor_.reset();
    }
    for (Line& line : lines_)
        if (line.text) line.text->changeEvent.removeHandler(this, &MultiLabel::textObjectChanged);
    if (Animator* a = animator()) a->stopAnimations(&level_);
}

Text* MultiLabel::text(int line) const {
    return line >= 0 && line < int(lines_.size()) ? lines_[std::size_t(line)].text.get() : nullptr;
}

void MultiLabel::setOverrideText(int line, const std::string& value, bool use) {
    if (line < 0 || line >= int(lines_.size()) || !userInterface().hasPlatformDelegate()) return;
    Line& l = lines_[std::size_t(line)];
    if (!l.overrideText) l.overrideText.reset(userInterface().platformDelegate().createText());
    l.overrideText->text.setValue(value);
    l.useOverride = use;
    invalidateRect(localRect());
}

void MultiLabel::setBackgroundBitmap(Bitmap* bitmap) {
    background_ = bitmap;
    invalidateRect(localRect());
}

bool MultiLabel::isDecorated() const {
    const bool frame = frameColor.getValue().a != 0 && frameWidth.getValue() > 0.0f;
    return backgroundColor.getValue().a != 0 || background_ != nullptr || frame;
}

// ---- layout -------------------------------------------------------------------------

Rect MultiLabel::lineRect(int index) {
    const float inset = isDecorated() ? backgroundInset.getValue() : 0.0f;
    float top = inset;
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    for (int i = 0; i < count && i <= index; ++i) {
        Text* t = lines_[std::size_t(i)].text.get();
        const float h = t != nullptr ? t->height() : 0.0f;
        if (i == index) {
            const float left = leftMargin.getValue() + inset;
            const float right = width.getValue() - rightMargin.getValue() - inset;
            return Rect(left, top, std::max(right, left), top + h);
        }
        top += h + lineSpacing.getValue();
    }
    return Rect();
}

float MultiLabel::preferredWidth() {
    const float inset = isDecorated() ? 2.0f * backgroundInset.getValue() : 0.0f;
    float widest = 0.0f;
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    for (int i = 0; i < count; ++i)
        if (Text* t = lines_[std::size_t(i)].text.get()) widest = std::max(widest, t->width());
    float w =
        std::max(minimumWidth.getValue(), widest + leftMargin.getValue() + rightMargin.getValue() + inset);
    if (maximumWidth.getValue() > 0.0f) w = std::min(w, maximumWidth.getValue());
    return w;
}

float MultiLabel::preferredHeight() {
    const bool decorated = isDecorated();
    float total = 0.0f;
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    for (int i = 0; i < count; ++i) {
        if (Text* t = lines_[std::size_t(i)].text.get()) total += t->height();
        if (i > 0) total += lineSpacing.getValue();
    }
    if (decorated) total += 2.0f * backgroundInset.getValue();
    float h = std::max(minimumHeight.getValue(), total);
    if (maximumHeight.getValue() > 0.0f) h = std::min(h, maximumHeight.getValue());
    if (!decorated) h += extraHeight.getValue() + bottomPadding.getValue();
    return h;
}

void MultiLabel::updateWrapWidths() {
    float wrap = maximumWidth.getValue();
    if (!autoSize.getValue()) {
        wrap = width.getValue() - leftMargin.getValue() - rightMargin.getValue();
        if (isDecorated()) wrap -= 2.0f * backgroundInset.getValue();
    }
    for (Line& line : lines_)
        if (line.text && line.text->lineStyle.getValue() == Text::LineStyle::kWordWrap)
            line.text->wrapWidth.setValue(std::max(wrap, 0.0f));
}

void MultiLabel::relayout() {
    if (layoutGuard_) return;
    layoutGuard_ = true;
    updateWrapWidths();
    if (autoSize.getValue()) {
        float h = preferredHeight();
        if (layout.getValue() != Layout::kTop) h = std::max(h, height.getValue());
        setSize(preferredWidth(), h);
    }
    layoutGuard_ = false;
    invalidateRect(localRect());
}

void MultiLabel::textObjectChanged() {
    relayout();
}

void MultiLabel::propertyChanged(AbstractProperty& property) {
    AnimatedControl::propertyChanged(property);
    if (&property == &restOpacity) {
        if (Animator* a = animator()) a->stopAnimations(&level_);
        level_ = hovered_ ? 255 : int(restOpacity.getValue());
        invalidateRect(localRect());
        return;
    }
    if (&property == &overrideOpacity || &property == &editable || &property == &paintInset) {
        invalidateRect(localRect());
        return;
    }
    const bool ownLayout =
        &property == &alignment || &property == &autoSize || &property == &editResize ||
        &property == &backgroundColor || &property == &frameColor || &property == &frameWidth ||
        &property == &bottomPadding || &property == &layout || &property == &leftMargin ||
        &property == &lineSpacing || &property == &backgroundInset || &property == &minimumHeight ||
        &property == &minimumWidth || &property == &maximumHeight || &property == &maximumWidth ||
        &property == &lineCount || &property == &rightMargin || &property == &extraHeight;
    if (ownLayout) relayout();
}

void MultiLabel::getPaintBounds(Rect& rect) {
    const float inset = paintInset.getValue();
    const Rect local = localRect();
    rect = Rect(local.left + inset, local.top + inset, local.right - inset, local.bottom - inset);
}

void MultiLabel::scaleChanged() {
    AnimatedControl::scaleChanged();
    relayout();
}

void MultiLabel::boundsChanged() {
    AnimatedControl::boundsChanged();
    relayout();
    placeEditor();
}

void MultiLabel::childChanged(Control* child, ChildChange code) {
    AnimatedControl::childChanged(child, code);
    if (code == ChildChange::kBounds || code == ChildChange::kParent) placeEditor();
}

// ---- drawing -----------------------------------------------------------------------------

void MultiLabel::drawBackground(Canvas& canvas) {
    const Rect local = localRect();
    if (backgroundColor.getValue().a != 0) canvas.fillRect(local, backgroundColor.getValue());
    if (background_ != nullptr) canvas.drawBitmapInRect(*background_, background_->getRect(), local, 255);
    const float w = frameWidth.getValue();
    if (frameColor.getValue().a != 0 && w > 0.0f)
        canvas.frameRect(Rect(local.left + w, local.top + w, local.right - w, local.bottom - w),
                         frameColor.getValue(), w);
}

void MultiLabel::draw(Canvas& canvas) {
    drawBackground(canvas);
    if (editLine_ >= 0 && isDecorated()) canvas.frameRect(textEditRect(), frameColor.getValue(), 1.0f);
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    for (int i = 0; i < count; ++i) {
        if (i == editLine_) continue;
        Line& line = lines_[std::size_t(i)];
        const Rect r = lineRect(i);
        Text* shown = line.useOverride && line.overrideText ? line.overrideText.get() : line.text.get();
        if (shown == nullptr) continue;
        // Aligned in the line's rect (a label wider than its text).
        Point at = r.topLeft();
        if (alignment.getValue() == Alignment::kCentre)
            at.x += (r.width() - shown->width()) * 0.5f;
        else if (alignment.getValue() == Alignment::kRight)
            at.x = r.right - shown->width();
        canvas.drawText(*shown, at,
                        shown == line.text.get() ? std::clamp(level_, 0, 255) : overrideOpacity.getValue());
    }
}

// ---- pointer -----------------------------------------------------------------------------

void MultiLabel::mouseEnter() {
    AliveGuard alive(this);
    AnimatedControl::mouseEnter(); // the enter event
    if (!alive.alive() || hovered_) return;
    hovered_ = true;
    animateIntProperty(animator(), &level_, 255, this, 0, true);
    if (animator() == nullptr) invalidateRect(localRect());
}

void MultiLabel::mouseLeave() {
    AliveGuard alive(this);
    AnimatedControl::mouseLeave(); // the leave event
    if (!alive.alive()) return;
    hovered_ = false;
    animateIntProperty(animator(), &level_, int(restOpacity.getValue()), this, 0, true);
    if (animator() == nullptr) invalidateRect(localRect());
}

void MultiLabel::fireEvent12() {
    AliveGuard alive(this);
    AnimatedControl::fireEvent12();
    if (!alive.alive() || !editable.getValue()) return;
    const int line = lineAtPoint(lastPoint());
    if (line >= 0) beginTextEdit(line);
}

void MultiLabel::mouseDown(int button, const Point& point, int modifiers) {
    const int editBefore = editLine_;
    const TextEditor* editorBefore = editor_.get();
    AliveGuard alive(this);
    AnimatedControl::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft) return;
    // A press that began an edit stays with the label.
    const bool beganEdit = editLine_ >= 0 && (editLine_ != editBefore || editor_.get() != editorBefore);
    if (beganEdit || beginEditOnPress(point) || movable.getValue()) return;
    for (Control* c = getParent(); c != nullptr; c = c->getParent()) {
        if (c->movable.getValue()) {
            transferMouseCapture(c, point, modifiers);
            return;
        }
    }
}

bool MultiLabel::beginEditOnPress(const Point&) {
    return false;
}

bool MultiLabel::isLineEditable(int) {
    return true;
}

int MultiLabel::lineAtPoint(const Point& point) {
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    for (int i = 0; i < count; ++i)
        if (lineRect(i).contains(point)) return i;
    return -1;
}

// ---- editing -------------------------------------------------------------------------------

Rect MultiLabel::textEditRect() {
    Rect r = lineRect(editLine_);
    if (isDecorated()) {
        r.left += backgroundInset.getValue();
        r.right -= backgroundInset.getValue();
    }
    r = Rect(r.left - kEditWidening, r.top - kEditWidening, r.right + kEditWidening,
             r.bottom + kEditWidening);
    r.left = std::max(r.left, 0.0f);
    r.right = std::min(r.right, width.getValue());
    return r;
}

void MultiLabel::placeEditor() {
    if (editLine_ < 0 || !editor_) return;
    // The editor's rect is in the root's coordinates.
    const Rect r = textEditRect();
    const Point at = toRoot(r.topLeft());
    editor_->rectangle.setValue(Rect::fromXYWH(at.x, at.y, r.width(), r.height()));
}

void MultiLabel::copyLineIntoEditor() {
    Text* source = text(editLine_);
    if (source != nullptr) editor_->text().assignStyleAndText(*source, source->text.getValue());
    placeEditor();
    editor_->alignment.setValue(alignment.getValue());
    editor_->opaqueBackground.setValue(isDecorated());
}

void MultiLabel::beginTextEdit(int line) {
    if (line < 0 || line >= std::min(lineCount.getValue(), int(lines_.size()))) return;
    UserInterface& ui = userInterface();
    if (!editor_) {
        if (!ui.hasPlatformDelegate()) return;
        editor_.reset(ui.platformDelegate().createTextEditor());
        if (!editor_) return;
        editor_->closedEvent.setHandler(NotifyEvent::bind(this, &MultiLabel::editorClosed));
        editor_->textChangedEvent.setHandler(NotifyEvent::bind(this, &MultiLabel::editorTextChanged));
        editor_->tabEvent.setHandler(NotifyEvent::bind(this, &MultiLabel::editorTab));
        editor_->editedEvent.setHandler(NotifyEvent::bind(this, &MultiLabel::editorSizeRequest));
    }
    editLine_ = line;
    // Moves of the label and its ancestors move the editor with it.
    for (Control* c = this; c != nullptr; c = c->getParent())
        c->addWatcher(this);
    AliveGuard alive(this);
    editBegan();
    if (!alive.alive() || editLine_ != line) return;
    // Everything is copied in before the editor opens, so that its start text
    // is this line's.
    copyLineIntoEditor();
    editor_->open();
    invalidateRect(localRect());
}

void MultiLabel::editorClosed() {
    editLine_ = -1;
    AliveGuard alive(this);
    editEnded();
    if (alive.alive()) invalidateRect(localRect());
}

void MultiLabel::editorTextChanged() {
    AliveGuard alive(this);
    textChanged();
    if (!alive.alive() || !editable.getValue() || editLine_ < 0 || !editor_) return;
    if (Text* t = text(editLine_); t != nullptr && t->text.getValue() != editor_->text().text.getValue())
        t->text.setValue(editor_->text().text.getValue());
}

void MultiLabel::editorTab() {
    if (!editor_ || editLine_ < 0) return;
    const int count = std::min(lineCount.getValue(), int(lines_.size()));
    const int step = editor_->tabAction.getValue() == TextEditor::TabAction::kBackward ? -1 : 1;
    for (int n = 1; n < count; ++n) {
        const int candidate = ((editLine_ + step * n) % count + count) % count;
        if (!isLineEditable(candidate)) continue;
        editLine_ = candidate;
        copyLineIntoEditor();
        editor_->tabAction.setValue(TextEditor::TabAction::kMoved);
        invalidateRect(localRect());
        return;
    }
}

void MultiLabel::editorSizeRequest() {
    if (editResize.getValue() && autoSize.getValue()) relayout();
    sizeChangedEvent.notify(this);
}

void MultiLabel::editBegan() {
    editBeganEvent.notify(this);
}

void MultiLabel::textChanged() {
    textChangedEvent.notify(this);
}

void MultiLabel::editEnded() {
    editEndedEvent.notify(this);
}

} // namespace gui
