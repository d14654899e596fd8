#pragma once

// A fixed number of text lines over an optional background and frame. The
// text fades to full opacity while the pointer is over the label, and a line
// can be edited in place through the platform's text editor, laid exactly
// over the line (in the root's coordinates): Tab moves it to the next
// editable line, and the label reports the start, changes and end of
// editing through its events.
//
// The control's backgroundColor (default (255, 255, 255, 0)) is filled behind
// the text when its alpha is not 0.
//
// Lines start at (leftMargin, 0), moved in by backgroundInset on each side
// when a background or frame is drawn; the preferred size includes these.
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Color.h"
#include "gui/Enumerations.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

class Bitmap;
class Text;
class TextEditor;

class MultiLabel : public AnimatedControl {
public:
    MultiLabel(UserInterface& userInterface, int lines);
    ~MultiLabel() override;

    Property<Alignment> alignment;
    Property<bool> autoSize;
    Property<bool> editResize;
    Property<Color> frameColor;
    Property<float> frameWidth;
    Property<float> bottomPadding;
    Property<bool> editable;
    Property<Layout> layout;
    Property<float> leftMargin;
    Property<float> lineSpacing;
    Property<float> backgroundInset;
    Property<float> minimumHeight;
    Property<float> minimumWidth;
    Property<float> maximumHeight;
    Property<float> maximumWidth;
    LimitedProperty<int> lineCount;
    LimitedProperty<int> overrideOpacity;
    Property<float> rightMargin;
    Property<float> paintInset;
    Property<float> restOpacity;
    Property<float> extraHeight;

    NotifyEvent editBeganEvent;
    NotifyEvent textChangedEvent;
    NotifyEvent sizeChangedEvent;
    NotifyEvent editEndedEvent;

    // Null when the user interface has no platform delegate.
    Text* text(int line) const;
    void setOverrideText(int line, const std::string& text, bool use);
    void setBackgroundBitmap(Bitmap* bitmap); // not owned
    int editLine() const { return editLine_; }
    TextEditor* editor() const { return editor_.get(); }
    int hoverLevel() const { return level_; }
    // A background or frame is drawn.
    bool isDecorated() const;

    void beginTextEdit(int line);
    // The edited line's rect widened by 2 on each side, in the label's coordinates.
    Rect textEditRect();
    int lineAtPoint(const Point& point);

    void propertyChanged(AbstractProperty& property) override;
    void getPaintBounds(Rect& rect) override;
    void fireEvent12() override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void scaleChanged() override;
    void childChanged(Control* child, ChildChange code) override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;

    virtual Rect lineRect(int index);
    virtual void editBegan();
    virtual float preferredHeight();
    virtual float preferredWidth();
    virtual void textChanged();
    virtual void editEnded();
    virtual bool beginEditOnPress(const Point& point);
    virtual bool isLineEditable(int index);
    virtual void drawBackground(Canvas& canvas);

private:
    struct Line {
        std::unique_ptr<Text> text;
        std::unique_ptr<Text> overrideText;
        bool useOverride = false;
    };

    void relayout();
    void updateWrapWidths();
    void placeEditor();
    void copyLineIntoEditor();
    void textObjectChanged();
    void editorClosed();
    void editorTextChanged();
    void editorTab();
    void editorSizeRequest();

    std::vector<Line> lines_;
    Bitmap* background_ = nullptr;
    int editLine_ = -1;
    int level_ = 255;
    bool hovered_ = false;
    bool layoutGuard_ = false;
    std::unique_ptr<TextEditor> editor_;
};

using Label = MultiLabel;

} // namespace gui
