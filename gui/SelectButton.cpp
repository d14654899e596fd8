#include "gui/SelectButton.h"

#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>

namespace gui {

namespace {

bool hasPixels(Bitmap& bitmap) {
    return bitmap.pixelWidth() >= 1 && bitmap.pixelHeight() >= 1;
}

} // namespace

SelectButton::SelectMenuItem::SelectMenuItem(SelectButton& button, int index, const std::string& text)
    : MenuItem(text), button_(&button), index_(index) {}

void SelectButton::SelectMenuItem::fireSelected() {
    button_->selectChoice(index_);
}

SelectButton::SelectButton(UserInterface& userInterface, Button::Style* style)
    : SelectButtonBase(userInterface, style), tracker_(userInterface.clock()) {
    PopupMenu* popup =
        userInterface.hasPlatformDelegate() ? userInterface.platformDelegate().createPopupMenu() : nullptr;
    if (popup != nullptr) {
        menu_.reset(popup);
        setPopupMenu(popup);
    } else {
        menu_ = std::make_unique<Menu>();
    }
    menu_->changeEvent.addHandler(NotifyEvent::bind(this, &SelectButton::menuChanged));
    tracker_.resolution.setValue(maximum.getValue() - minimum.getValue());
}

SelectButton::~SelectButton() {
    setPopupMenu(nullptr);
    if (labelTarget_ != nullptr) Component::unlink(labelTarget_);
    labelTarget_ = nullptr;
}

void SelectButton::selectChoice(int index) {
    AliveGuard alive(this);
    // A native menu takes the capture, which ends the press's gesture: the
    // choice is then a whole gesture of its own, so that an end follows it.
    const bool own = !inGesture();
    if (own) performGesture(kGestureBegin, 0);
    if (!alive.alive()) return;
    resetStep_ = true;
    performGesture(kGestureChange, minimum.getValue() + index - gesturePosition());
    if (!alive.alive()) return;
    resetStep_ = false;
    if (own) performGesture(kGestureEnd, 0);
    if (!alive.alive()) return;
    fireEvent5();
}

void SelectButton::propertyChanged(AbstractProperty& property) {
    SelectButtonBase::propertyChanged(property);
    if (&property == &multipleText || &property == &prefix) updateShownText();
}

void SelectButton::valueControlPropertyChanged(AbstractProperty& property) {
    SelectButtonBase::valueControlPropertyChanged(property);
    if (&property == &value || &property == &minimum || &property == &maximum || &property == &defaultValue ||
        &property == &indeterminate) {
        tracker_.resolution.setValue(maximum.getValue() - minimum.getValue());
        updateShownText();
    }
}

void SelectButton::menuChanged() {
    // The refresh's own tick marks change the menu too.
    if (refreshing_ || refreshPending_) return;
    refreshPending_ = true;
    userInterface().postMessage(this, kRefreshMessage, kGuiList);
}

void SelectButton::handleMessage(int code) {
    if (code != kRefreshMessage) {
        SelectButtonBase::handleMessage(code);
        return;
    }
    refreshPending_ = false;
    updateShownText();
}

void SelectButton::componentDeleted(Component* component) {
    if (component == labelTarget_) labelTarget_ = nullptr;
    SelectButtonBase::componentDeleted(component);
}

void SelectButton::setLabelTarget(Button* target) {
    if (target == labelTarget_ || target == this) return;
    if (labelTarget_ != nullptr) Component::unlink(labelTarget_);
    labelTarget_ = target;
    if (target != nullptr) {
        link(target);
        if (!target->textLines().empty()) target->textLine(0)->text.setValue(std::string());
    }
    updateShownText();
}

Text* SelectButton::shownLine() {
    Button& shown = labelTarget_ != nullptr ? *labelTarget_ : *this;
    return shown.textLines().empty() ? nullptr : shown.textLine(0);
}

void SelectButton::updateShownText() {
    const int count = static_cast<int>(items_.size());
    const int i = value.getValue() - minimum.getValue();
    const bool multiple = indeterminate.getValue();
    std::string text = prefix.getValue();
    if (multiple) {
        text += multipleText.getValue();
    } else if (i >= 0 && i < count) {
        // A disabled choice shows as the next enabled one, or else the
        // nearest enabled one before it.
        int shown = -1;
        for (int k = i; k < count && shown < 0; ++k)
            if (items_[static_cast<std::size_t>(k)]->enabled.getValue()) shown = k;
        for (int k = i - 1; k >= 0 && shown < 0; --k)
            if (items_[static_cast<std::size_t>(k)]->enabled.getValue()) shown = k;
        if (shown < 0) shown = i;
        const int choice = items_[static_cast<std::size_t>(shown)]->index();
        if (choice >= 0 && choice < static_cast<int>(choices_.size()))
            text += choices_[static_cast<std::size_t>(choice)];
    }
    AliveGuard alive(this);
    if (Text* line = shownLine()) line->text.setValue(text);
    if (!alive.alive()) return;

    refreshing_ = true;
    {
        UpdatedObject::Hold hold(*menu_);
        const SelectMenuItem* ticked = nullptr;
        for (SelectMenuItem* item : items_) {
            const bool tick = item->index() == i && !multiple;
            item->isChecked.setValue(tick);
            if (tick) ticked = item;
        }
        for (int k = 0; k < menu_->itemCount(); ++k) {
            MenuItem* item = menu_->itemAt(k);
            if (item->itemCount() == 0) continue;
            item->isChecked.setValue(ticked != nullptr && ticked->parentMenu() == item);
        }
    }
    refreshing_ = false;
}

void SelectButton::addChoice(const std::string& name) {
    addChoice(name, std::string(), std::string());
}

void SelectButton::addChoice(const std::string& name, const std::string& menuText, const std::string& group) {
    SelectButtonBase::addChoice(name);
    Menu* target = menu_.get();
    if (!group.empty()) {
        MenuItem* submenu = nullptr;
        for (int k = 0; k < menu_->itemCount() && submenu == nullptr; ++k) {
            MenuItem* item = menu_->itemAt(k);
            if (item->itemCount() > 0 && item->text.getValue() == group) submenu = item;
        }
        if (submenu == nullptr) {
            submenu = new MenuItem(group);
            menu_->addItem(submenu);
        }
        target = submenu;
    }
    auto* item =
        new SelectMenuItem(*this, static_cast<int>(items_.size()), menuText.empty() ? name : menuText);
    items_.push_back(item);
    target->addItem(item);
}

void SelectButton::clearChoices() {
    SelectButtonBase::clearChoices();
    items_.clear();
    menu_->clear();
}

void SelectButton::mouseUp(int button, const Point& point, int modifiers) {
    clearPendingClick();
    SelectButtonBase::mouseUp(button, point, modifiers);
}

void SelectButton::moveTo(int target) {
    performGesture(kGestureChange, target - gesturePosition());
}

bool SelectButton::mouseWheel(int phase, const Point&, int modifiers, const Point& firstDelta, const Point&) {
    // Only a text label steps through the choices.
    Text* line = shownLine();
    if (line == nullptr || line->text.getValue().empty() || hasPixels(labelImage())) return false;
    // The speed, both as the amount and as the magnitude: a stepped
    // control moves one choice per turn of the wheel.
    const float speed = -std::clamp(firstDelta.y, -1.0f, 1.0f);
    AliveGuard alive(this);
    if (phase == kGestureBegin) {
        tracker_.reset();
        performGesture(kGestureBegin, 0);
        return true;
    }
    if (phase == kGestureEnd) {
        if (inGesture()) performGesture(kGestureEnd, 0);
        return true;
    }
    if (phase != kGestureChange) return true;
    if (!inGesture()) performGesture(kGestureBegin, 0);
    if (!alive.alive()) return true;
    const int steps = tracker_.wheelStep(speed, speed, modifiers);
    if (steps == 0) return true;
    const int low = minimum.getValue();
    const int high = maximum.getValue();
    const int count = static_cast<int>(items_.size());
    const int direction = steps > 0 ? 1 : -1;
    for (long long t = static_cast<long long>(value.getValue()) + steps; t >= low; t += direction) {
        // Past the last choice the value may still go up to the maximum.
        if (t > low + count - 1 || items_[static_cast<std::size_t>(t - low)]->enabled.getValue()) {
            if (t <= high) moveTo(static_cast<int>(t));
            break;
        }
    }
    return true;
}

} // namespace gui
