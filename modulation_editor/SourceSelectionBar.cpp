#include "modulation_editor/SourceSelectionBar.h"

#include "gui/Animator.h"
#include "gui/BitmapResourceList.h"
#include "gui/Canvas.h"
#include "gui/Image.h"
#include "gui/MultiLabel.h"
#include "gui/ScrollArea.h"
#include "gui/Shape.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "modulation/ModulationMatrixPlugin.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/SourceInterface.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

namespace {

constexpr float kMapInset = 4.0f;
constexpr float kTextButtonWidth = 24.0f;

} // namespace

// ---- source button ------------------------------------------------------------------------

SourceSelectionBar::SourceButton::SourceButton(SourceSelectionBar& bar, gui::Button::Style* style)
    : gui::Button(bar.userInterface(), style), bar_(bar) {
    if (gui::Animator* a = bar.controller().interface().animator())
        a->tickEvent.addHandler(NotifyEvent::bind(this, &SourceButton::updateLevel));
    clickEvent.setHandler(NotifyEvent::bind([this] { bar_.sourceButtonClicked(*this); }));
    // Resting on it while a source is dragged shows its source.
    if (bar.controller().interface().hasDragManager())
        bar.controller().interface().dragManager().add(this, 1, 0);
}

SourceSelectionBar::SourceButton::~SourceButton() {
    if (gui::Animator* a = bar_.controller().interface().animator())
        a->tickEvent.removeHandler(this, &SourceButton::updateLevel);
    if (bar_.controller().interface().hasDragManager())
        bar_.controller().interface().dragManager().remove(this);
}

void SourceSelectionBar::SourceButton::updateLevel() {
    SourceInterface* panel = container != nullptr ? container->panel() : nullptr;
    if (panel == nullptr) return;
    const ModulationMatrixPlugin& plugin = bar_.controller().interface().modulationPlugin();
    float value = 0.0f;
    for (int32_t o = 0; o < panel->outputCount(); ++o)
        value = std::max(value, plugin.getSourceValue(static_cast<int32_t>(panel->firstSourceIndex()) + o));
    const int level = std::isfinite(value) ? static_cast<int>(std::clamp(value * 255.0f, 0.0f, 255.0f)) : 0;
    if (level == level_) return;
    level_ = level;
    invalidateRect(localRect());
}

void SourceSelectionBar::SourceButton::fireEvent6(int phase) {
    gui::Button::fireEvent6(phase);
    // Rested on during a drag: the strip shows the source.
    if (phase == gui::kTargetRested && container != nullptr)
        bar_.controller().strip().scrollArea()->scrollToShow(container, nullptr, true);
}

void SourceSelectionBar::SourceButton::draw(gui::Canvas& canvas) {
    gui::Button::draw(canvas);
    const gui::Bitmap& levelBitmap = activeStyle().stateBitmap(4);
    if (level_ > 0 && levelBitmap.getRect().width() > 0.0f)
        canvas.drawBitmapInRect(levelBitmap, levelBitmap.getRect(), localRect(), level_);
}

// ---- selector -----------------------------------------------------------------------------

SourceSelectionBar::SourceSelector::SourceSelector(SourceSelectionBar& bar, gui::Button::Style* style)
    : gui::Button(bar.userInterface(), style), bar_(bar) {}

void SourceSelectionBar::SourceSelector::mouseDown(int button, const gui::Point& point, int modifiers) {
    gui::Button::mouseDown(button, point, modifiers);
    pressed_ = true;
    dragging_ = false;
    pressPoint_ = toRoot(point);
    startScroll_ = bar_.controller().strip().scrollArea()->scrollX.getValue();
}

void SourceSelectionBar::SourceSelector::mouseMove(const gui::Point& point, int modifiers) {
    gui::Button::mouseMove(point, modifiers);
    if (!pressed_) return;
    const gui::Point at = toRoot(point);
    if (!dragging_ &&
        (std::fabs(at.x - pressPoint_.x) > kDragDistance || std::fabs(at.y - pressPoint_.y) > kDragDistance))
        dragging_ = true;
    if (dragging_) bar_.dragSelector(startScroll_, at.x - pressPoint_.x);
}

void SourceSelectionBar::SourceSelector::mouseUp(int button, const gui::Point& point, int modifiers) {
    const bool click = pressed_ && !dragging_;
    pressed_ = false;
    dragging_ = false;
    AliveGuard alive(this);
    gui::Button::mouseUp(button, point, modifiers);
    if (!alive.alive() || !click) return;
    // A release without a drag clicks the source button beneath.
    if (SourceButton* beneath = sourceButtonAt(point)) bar_.sourceButtonClicked(*beneath);
}

gui::Control* SourceSelectionBar::SourceSelector::pressTarget(const gui::Point& point) {
    SourceButton* beneath = sourceButtonAt(point);
    if (beneath != nullptr) return beneath;
    return this;
}

SourceSelectionBar::SourceButton*
SourceSelectionBar::SourceSelector::sourceButtonAt(const gui::Point& point) const {
    const gui::Point at = toRoot(point);
    for (SourceButton* b : bar_.sourceButtons())
        if (b->visible.getValue() && b->localRect().contains(b->fromRoot(at))) return b;
    return nullptr;
}

// ---- bar ----------------------------------------------------------------------------------

SourceSelectionBar::SourceSelectionBar(SourceHost& controller, gui::Button::Style* selectorStyle,
                                       gui::Button::Style* sourceButtonStyle)
    : gui::Control(controller.interface().userInterface()), spacing(this, 0), overhang(this, 0),
      alignment(this, gui::Alignment::kCentre), color(this, gui::Color(0, 0, 0, 0)), controller_(controller),
      selectorStyle_(selectorStyle), buttonStyle_(sourceButtonStyle) {
    // Without a style the bar keeps its own, which the product fills.
    if (selectorStyle_ == nullptr) {
        ownedSelectorStyle_ = std::make_unique<gui::Button::Style>(userInterface());
        selectorStyle_ = ownedSelectorStyle_.get();
    }
    if (buttonStyle_ == nullptr) {
        ownedButtonStyle_ = std::make_unique<gui::Button::Style>(userInterface());
        buttonStyle_ = ownedButtonStyle_.get();
    }
    for (gui::Shape*& edge : edges_) {
        edge = new gui::Shape(userInterface(), color.getValue());
        edge->visible.setValue(false);
        edge->parent.setValue(this);
        link(edge);
    }
    label_ = new gui::Label(userInterface(), 1);
    label_->parent.setValue(this);
    label_->helpText.setValue(kLabelHelp);
    if (gui::Text* text = label_->text(0)) text->text.setValue("Add Source");
    link(label_);
}

// The buttons, the selector and the label go with the bar.
SourceSelectionBar::~SourceSelectionBar() {
    deleteChildren();
}

void SourceSelectionBar::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == addButton_) addButton_ = nullptr;
    if (component == label_) label_ = nullptr;
    if (component == selector_) selector_ = nullptr;
    if (component == icon_) icon_ = nullptr;
    for (gui::Shape*& edge : edges_)
        if (static_cast<gui::Component*>(edge) == component) edge = nullptr;
    buttons_.erase(
        std::remove_if(buttons_.begin(), buttons_.end(),
                       [component](SourceButton* b) { return static_cast<gui::Component*>(b) == component; }),
        buttons_.end());
}

void SourceSelectionBar::setAddSourceButton(gui::Control* button) {
    if (addButton_ != nullptr) unlink(addButton_);
    addButton_ = button;
    if (addButton_ == nullptr) return;
    addButton_->parent.setValue(this);
    link(addButton_);
    updateMap();
}

void SourceSelectionBar::setIcon(const std::string& name) {
    gui::Bitmap* bitmap = nullptr;
    if (!name.empty()) {
        try {
            bitmap = userInterface().bitmapResources().load(name);
        } catch (const std::exception&) {
            // A missing icon leaves the bar without one.
        }
    }
    delete icon_;
    if (bitmap == nullptr) return;
    icon_ = new gui::Image(userInterface(), bitmap);
    icon_->parent.setValue(this);
    // Beneath the map.
    setChildIndex(icon_, 0);
    link(icon_);
    updateMap();
}

float SourceSelectionBar::barWidth() const {
    return std::max(controller_.sourceBarWidth(), 1.0f);
}

void SourceSelectionBar::propertyChanged(AbstractProperty& property) {
    gui::Control::propertyChanged(property);
    if (&property == &spacing || &property == &overhang || &property == &alignment) updateMap();
    if (&property == &color)
        for (gui::Shape* edge : edges_)
            if (edge != nullptr) edge->fillColor.setValue(color.getValue());
}

void SourceSelectionBar::boundsChanged() {
    gui::Control::boundsChanged();
    updateMap();
}

void SourceSelectionBar::updateMap() {
    if (layingOut_) return;
    layingOut_ = true;
    layOut();
    layingOut_ = false;
}

void SourceSelectionBar::layOut() {
    if (selector_ == nullptr) {
        selector_ = new SourceSelector(*this, selectorStyle_);
        selector_->parent.setValue(this);
        link(selector_);
    }
    const float w = width.getValue();
    const float h = height.getValue();
    const int32_t containers = controller_.containerCount();
    const float buttonWidth = addButton_ != nullptr ? addButton_->width.getValue() : 0.0f;
    available_ = w - (static_cast<float>(spacing.getValue()) + buttonWidth);
    const bool showLabel = containers <= controller_.addLabelLimit.getValue();
    float labelWidth = 0.0f;
    if (label_ != nullptr) {
        label_->visible.setValue(showLabel);
        if (showLabel) {
            labelWidth = label_->text(0) != nullptr ? label_->text(0)->width() : 0.0f;
            available_ -= labelWidth;
        }
    }
    if (addButton_ != nullptr) addButton_->setX(w - buttonWidth);
    if (label_ != nullptr && showLabel)
        label_->setBoundsXYWH(w - buttonWidth - labelWidth, 0.0f, labelWidth, h);

    gui::ScrollArea* area = controller_.strip().scrollArea();
    const float W = barWidth();
    map_ = std::min(available_ - kMapInset, W * 0.5f);
    const float stripMargin = area->marginX.getValue();
    const float visible = area->width.getValue();
    const bool mapped = map_ > 0.0f;
    const bool fits = containers == 0 || controller_.sourceBarWidth() <= visible;
    const gui::Alignment align = alignment.getValue();
    if (fits || align == gui::Alignment::kCentre)
        origin_ = (available_ - map_) * 0.5f;
    else if (align == gui::Alignment::kRight)
        origin_ = available_ - (stripMargin + map_);
    else
        origin_ = stripMargin;

    // One source button per container.
    while (static_cast<int32_t>(buttons_.size()) > containers) {
        SourceButton* b = buttons_.back();
        buttons_.pop_back();
        delete b;
    }
    while (static_cast<int32_t>(buttons_.size()) < containers) {
        auto* b = new SourceButton(*this, buttonStyle_);
        b->parent.setValue(this);
        buttons_.push_back(b);
        // The selector stays above the buttons: it takes the presses (and
        // hands a click to the button beneath).
        setChildIndex(selector_, static_cast<int>(children().size()));
    }
    const float scale = mapped ? map_ / W : 0.0f;
    // As high as the buttons' face (centred in the bar), so that the face
    // stretches along the button's width.
    const float faceHeight = buttonStyle_->height.getValue();
    const float bh = faceHeight > 0.0f ? std::min(faceHeight, h) : h;
    for (int32_t k = 0; k < containers; ++k) {
        SourceButton* b = buttons_[static_cast<size_t>(k)];
        SourceContainer* container = controller_.containerAt(k);
        b->container = container;
        b->visible.setValue(mapped && container != nullptr);
        if (!mapped || container == nullptr) continue;
        const float bw = container->width.getValue() * scale;
        b->setBoundsXYWH(origin_ + std::round(container->x.getValue() * scale), std::round((h - bh) * 0.5f),
                         bw, bh);
        const bool wide = bw > kTextButtonWidth;
        b->textPadding.setValue(wide ? 4.0f : 2.0f);
        if (gui::Text* text = b->textLine(0))
            text->text.setValue(wide ? fittingName(*text, container->panel()) : "");
        b->opacity.setValue(container->state() == SourceContainer::kDimmed ? 128 : 255);
    }
    const float over = static_cast<float>(overhang.getValue());
    for (int side = 0; side < 2; ++side) {
        gui::Shape* edge = edges_[side];
        if (edge == nullptr) continue;
        edge->visible.setValue(mapped && over > 0.0f);
        if (mapped && over > 0.0f)
            edge->setBoundsXYWH(side == 0 ? origin_ - over : origin_ + map_, 0.0f, over, h);
    }
    if (icon_ != nullptr) {
        const gui::Rect r = icon_->bitmap().getRect();
        icon_->setBoundsXYWH(0.0f, std::round((h - r.height()) * 0.5f), r.width(), r.height());
    }
    selector_->visible.setValue(mapped);
    if (mapped) {
        const float selectorWidth = std::min((visible - 2.0f * stripMargin) * scale, map_);
        selector_->setBoundsXYWH(origin_ + area->scrollX.getValue() * scale - over, 0.0f,
                                 std::max(0.0f, selectorWidth) + 2.0f * over, h);
    }
}

std::string SourceSelectionBar::fittingName(const gui::Text& line, const SourceInterface* panel) {
    // The button gives its line the room it has for text.
    const float room = line.wrapWidth.getValue();
    if (panel == nullptr || room <= 0.0f || !userInterface().hasPlatformDelegate()) return {};
    std::unique_ptr<gui::Text> probe(userInterface().platformDelegate().createText());
    if (!probe) return {};
    for (const std::string* name : {&panel->sourceName(), &panel->shortSourceName()}) {
        probe->assignStyleAndText(line, *name);
        probe->wrapWidth.setValue(0.0f);
        if (probe->width() <= room) return *name;
    }
    return {};
}

void SourceSelectionBar::dragSelector(float startScroll, float dx) {
    if (!(map_ > 0.0f)) return;
    controller_.strip().scrollArea()->scrollTo(gui::Orientation::kHorizontal,
                                               startScroll + dx * barWidth() / map_, false);
}

void SourceSelectionBar::sourceButtonClicked(SourceButton& button) {
    SourceContainer* container = button.container;
    if (container == nullptr) return;
    controller_.strip().scrollArea()->scrollToShow(container, nullptr, true);
    if (SourceInterface* panel = container->panel())
        controller_.slotController().setSourceFilter(static_cast<int32_t>(panel->firstSourceIndex()),
                                                     panel->outputCount());
}
