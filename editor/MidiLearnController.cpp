#include "editor/MidiLearnController.h"

#include "editor/GenericPluginInterface.h"
#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Canvas.h"
#include "gui/ImageLabel.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "gui/ValueControl.h"
#include "plugin/ControllerMapping.h"

#include <algorithm>
#include <cmath>

namespace {

void loadIfPresent(gui::Bitmap& bitmap, const std::string& name) {
    if (!name.empty() && (resourceExists(name) || resourceExists(addDoubleScaleSuffix(name))))
        bitmap.load(name);
}

gui::Button* textButton(gui::UserInterface& ui, gui::Control& parent, const char* text) {
    auto* button = new gui::Button(ui, nullptr);
    button->lineCount.setValue(1);
    if (gui::Text* line = button->textLine(0)) line->text.setValue(text);
    button->setSize(MidiLearnController::kButtonWidth, 20.0f);
    button->parent.setValue(&parent);
    return button;
}

// The armed ghost's frame.
const gui::Color kArmedColor(255, 255, 255, 200);
const gui::Color kGhostColor(255, 255, 255, 64);

} // namespace

// --- Ghosts

void MidiLearnController::LearnGhost::draw(gui::Canvas& canvas) {
    canvas.frameRect(getRect(), armed ? kArmedColor : kGhostColor, armed ? 2.0f : 1.0f);
}

MidiLearnController::ParameterGhost::ParameterGhost(MidiLearnController& owner, gui::Control* control,
                                                    uint32_t index)
    : owner_(owner), control_(control), index_(index) {
    storedIndex = index;
    if (control_ != nullptr) owner_.link(control_);
}

gui::Rect MidiLearnController::ParameterGhost::getRect() {
    if (control_ == nullptr) return {};
    const gui::Point at = owner_.fromRoot(control_->toRoot(gui::Point(0.0f, 0.0f)));
    const gui::Rect local = control_->localRect();
    return gui::Rect(at.x, at.y, at.x + local.width(), at.y + local.height());
}

bool MidiLearnController::ParameterGhost::isShown() {
    return control_ != nullptr && control_->isVisibleInTree();
}

void MidiLearnController::ParameterGhost::forget(gui::Component* component) {
    if (control_ != nullptr && static_cast<gui::Component*>(control_) == component) control_ = nullptr;
}

// --- Overlay

MidiLearnController::MidiLearnController(gui::UserInterface& userInterface, GenericPluginInterface& interface,
                                         const std::string& labelBackground,
                                         const std::string& controllerLabel)
    : gui::Overlay(userInterface), idleText(this, kIdleText), armedTextPrefix(this, kArmedPrefix),
      interface_(interface), labelBitmap_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {
    // Hit wherever the pointer is, even while fading in.
    hitThreshold.setValue(0);
    label_ = new gui::ImageLabel(userInterface);
    loadIfPresent(label_->background(), labelBackground);
    label_->margins.setValue(gui::BasicRect<float>(8.0f, 8.0f, 35.0f, 10.0f));
    label_->alignment.setValue(gui::Alignment::kCentre);
    label_->parent.setValue(this);
    link(label_);
    clearButton_ = textButton(userInterface, *this, "Clear");
    clearButton_->clickEvent.setHandler(NotifyEvent::bind(this, &MidiLearnController::clearArmedMapping));
    link(clearButton_);
    closeButton_ = textButton(userInterface, *this, "Close");
    closeButton_->clickEvent.setHandler(NotifyEvent::bind(this, &MidiLearnController::close));
    link(closeButton_);
    loadIfPresent(*labelBitmap_, controllerLabel);
    if (userInterface.hasPlatformDelegate()) labelText_.reset(userInterface.platformDelegate().createText());
    buildParameterGhosts();
    setLearnTexts(0);
    showInstruction(idleText.getValue());
}

MidiLearnController::~MidiLearnController() {
    // A control only detaches its children: the label and buttons are ours.
    deleteChildren();
}

void MidiLearnController::setLearnTexts(int variant) {
    idleText.setValue(kIdleText);
    armedTextPrefix.setValue(variant == 1 ? kArmedPrefixShort : kArmedPrefix);
}

void MidiLearnController::buildParameterGhosts() {
    std::vector<std::unique_ptr<LearnGhost>> others;
    for (size_t i = static_cast<size_t>(parameterGhostCount_); i < ghosts_.size(); ++i)
        others.push_back(std::move(ghosts_[i]));
    ghosts_.clear();
    parameterGhostCount_ = 0;
    for (int32_t index = interface_.linkCount() - 1; index >= 0; --index) {
        gui::ValueControl* control = interface_.link(index).control;
        if (control == nullptr) continue;
        ghosts_.push_back(std::make_unique<ParameterGhost>(*this, control, static_cast<uint32_t>(index)));
        ++parameterGhostCount_;
    }
    for (auto& ghost : others)
        ghosts_.push_back(std::move(ghost));
}

void MidiLearnController::disarm() {
    if (LearnGhost* old = learnGhost(armedGhost_)) old->armed = false;
    armedGhost_ = -1;
    armedController_ = -1;
    interface_.armLearnIdentifier(kNone);
    showInstruction(idleText.getValue());
    invalidateRect(localRect());
}

void MidiLearnController::refreshGhosts() {
    if (isHiding()) return;
    const uint32_t armed = armedGhost_ >= 0 ? interface_.armedLearnIdentifier() : kNone;
    for (auto& ghost : ghosts_)
        ghost->armed = false;
    buildParameterGhosts();
    armedGhost_ = -1;
    // The arming follows its identifier into the new ghosts; a vanished
    // one is dropped.
    if (armed != kNone) {
        for (int i = 0; i < learnGhostCount(); ++i)
            if (identifierOf(i) == armed) {
                armedGhost_ = i;
                ghosts_[static_cast<size_t>(i)]->armed = true;
                break;
            }
        if (armedGhost_ < 0) disarm();
    }
    refreshLabels();
}

void MidiLearnController::dropGhosts() {
    ghosts_.clear();
    parameterGhostCount_ = 0;
    armedGhost_ = -1;
    armedController_ = -1;
    invalidateRect(localRect());
}

void MidiLearnController::addLearnGhost(LearnGhost* ghost) {
    if (ghost == nullptr) return;
    ghosts_.emplace_back(ghost);
    invalidateRect(localRect());
}

MidiLearnController::LearnGhost* MidiLearnController::learnGhost(int index) const {
    return index >= 0 && index < learnGhostCount() ? ghosts_[static_cast<size_t>(index)].get() : nullptr;
}

uint32_t MidiLearnController::identifierOf(int ghost) {
    LearnGhost* g = learnGhost(ghost);
    if (g == nullptr || !g->isShown()) return kNone;
    const uint32_t id = g->learnIdentifier();
    return interface_.isLearnIdentifierMappable(id) ? id : kNone;
}

void MidiLearnController::armGhost(int index) {
    if (isHiding()) return;
    if (learnGhost(index) == nullptr) index = -1;
    if (index == armedGhost_) return;
    if (LearnGhost* old = learnGhost(armedGhost_)) old->armed = false;
    armedGhost_ = index;
    const uint32_t id = index >= 0 ? identifierOf(index) : kNone;
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    if (id != kNone) {
        ghosts_[static_cast<size_t>(index)]->armed = true;
        armedController_ = mapping != nullptr ? mapping->findController(id) : -1;
        interface_.armLearnIdentifier(id);
        showInstruction(armedTextPrefix.getValue() + interface_.learnIdentifierName(id));
    } else {
        armedController_ = -1;
        interface_.armLearnIdentifier(kNone);
        showInstruction(idleText.getValue());
    }
    invalidateRect(localRect());
}

void MidiLearnController::clearArmedMapping() {
    const uint32_t id = armedGhost_ >= 0 ? identifierOf(armedGhost_) : kNone;
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    if (id != kNone && mapping != nullptr) {
        // One change for the table's listeners.
        UpdatedObject::Hold hold(*mapping);
        for (int32_t c = 0; c < ControllerMapping::numControllers; ++c)
            if (mapping->getParameter(c) == id) mapping->assign(c, ControllerMapping::none);
    }
    armedController_ = -1;
    invalidateRect(localRect());
}

void MidiLearnController::refreshLabels() {
    const uint32_t id = armedGhost_ >= 0 ? identifierOf(armedGhost_) : kNone;
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    armedController_ = id != kNone && mapping != nullptr ? mapping->findController(id) : -1;
    invalidateRect(localRect());
}

void MidiLearnController::close() {
    interface_.setMidiLearnActive(false);
}

void MidiLearnController::showInstruction(const std::string& text) {
    instruction_ = text;
    if (label_ != nullptr && label_->text() != nullptr) label_->text()->text.setValue(text);
    layoutInstruction();
}

void MidiLearnController::layoutInstruction() {
    if (label_ == nullptr) return;
    const float rootWidth = width.getValue();
    // Centred at the top, at most the root's width less the margins.
    float w = label_->background().getRect().width();
    if (gui::Text* text = label_->text()) w = std::max(w, text->width() + 8.0f + 35.0f);
    w = std::min(w, std::max(0.0f, rootWidth - 2.0f * kLabelMargin));
    const float h = std::max(label_->height.getValue(), 24.0f);
    const float left = std::max(kLabelMargin, (rootWidth - w) * 0.5f);
    label_->setBoundsXYWH(left, kLabelMargin, w, h);
    // The text is centred in the note's height, as the buttons' captions
    // are in theirs, so that the three stand on one line.
    if (gui::Text* text = label_->text()) {
        const gui::Rect m = label_->margins.getValue();
        const float top = std::max(0.0f, std::round((h - text->height()) * 0.5f));
        const float bottom = std::max(0.0f, h - text->height() - top);
        if (m.top != top || m.bottom != bottom)
            label_->margins.setValue(gui::Rect(m.left, top, m.right, bottom));
    }
    const float buttonY = kLabelMargin + (h - 20.0f) * 0.5f;
    if (closeButton_ != nullptr)
        closeButton_->setBoundsXYWH(left + w - kButtonWidth, buttonY, kButtonWidth, 20.0f);
    if (clearButton_ != nullptr)
        clearButton_->setBoundsXYWH(left + w - 2.0f * kButtonWidth - kButtonGap, buttonY, kButtonWidth,
                                    20.0f);
}

void MidiLearnController::propertyChanged(AbstractProperty& property) {
    gui::Overlay::propertyChanged(property);
    if (&property == &idleText || &property == &armedTextPrefix) {
        if (armedGhost_ < 0)
            showInstruction(idleText.getValue());
        else
            layoutInstruction();
    }
}

void MidiLearnController::boundsChanged() {
    gui::Overlay::boundsChanged();
    layoutInstruction();
}

void MidiLearnController::componentDeleted(gui::Component* component) {
    gui::Overlay::componentDeleted(component);
    if (component == label_) label_ = nullptr;
    if (component == closeButton_) closeButton_ = nullptr;
    if (component == clearButton_) clearButton_ = nullptr;
    bool armedDied = false;
    for (size_t i = 0; i < static_cast<size_t>(parameterGhostCount_) && i < ghosts_.size(); ++i) {
        auto& ghost = static_cast<ParameterGhost&>(*ghosts_[i]);
        const bool had = ghost.control() != nullptr;
        ghost.forget(component);
        if (had && ghost.control() == nullptr && static_cast<int>(i) == armedGhost_) armedDied = true;
    }
    // The armed control died: nothing stays armed for it.
    if (armedDied && !userInterface().isBeingDestroyed()) disarm();
}

gui::Rect MidiLearnController::controllerLabelRect(LearnGhost& ghost, const std::string& text) {
    const gui::Rect at = ghost.getRect();
    float w = labelBitmap_->getRect().width();
    float h = labelBitmap_->getRect().height();
    if (labelText_) {
        labelText_->text.setValue(text);
        w = std::max(w, labelText_->width() + 6.0f);
        h = std::max(h, labelText_->height() + 2.0f);
    }
    const float left = at.right + kControllerLabelGap;
    return gui::Rect(left, at.top, left + w, at.top + h);
}

std::string MidiLearnController::labelText(int ghost) {
    const uint32_t id = identifierOf(ghost);
    if (id == kNone) return {};
    if (ghost == armedGhost_)
        return armedController_ >= 0 ? std::to_string(armedController_) : std::string(kNoController);
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    const int32_t controller = mapping != nullptr ? mapping->findController(id) : -1;
    return controller >= 0 ? std::to_string(controller) : std::string();
}

std::vector<MidiLearnController::ControllerLabel> MidiLearnController::controllerLabels() {
    std::vector<ControllerLabel> labels;
    for (int i = 0; i < learnGhostCount(); ++i) {
        std::string text = labelText(i);
        if (text.empty()) continue;
        const gui::Rect rect = controllerLabelRect(*ghosts_[static_cast<size_t>(i)], text);
        labels.push_back({i, std::move(text), rect});
    }
    return labels;
}

int MidiLearnController::ghostAt(const gui::Point& point) {
    const std::vector<ControllerLabel> labels = controllerLabels();
    // A label counts over its whole rect.
    auto onLabel = [&](const ControllerLabel& label) { return label.rect.contains(point); };
    for (const ControllerLabel& label : labels)
        if (label.ghost == armedGhost_ && onLabel(label)) return label.ghost;
    for (const ControllerLabel& label : labels)
        if (onLabel(label)) return label.ghost;
    for (int i = learnGhostCount() - 1; i >= 0; --i) {
        LearnGhost& ghost = *ghosts_[static_cast<size_t>(i)];
        if (ghost.isShown() && ghost.hitTest(point)) return i;
    }
    return -1;
}

int MidiLearnController::hitAlpha(const gui::Point& point) {
    // A live registered target (the learn and MIDI buttons) takes the
    // pointer itself.
    const int target = findTargetAt(point);
    if (target >= 0 && target < controlCount() && targetControl(target) != nullptr) return 0;
    return 255;
}

void MidiLearnController::mouseDown(int button, const gui::Point& point, int modifiers) {
    (void)button, (void)modifiers;
    if (isHiding()) return;
    AliveGuard alive(this);
    armGhost(ghostAt(point));
    if (alive.alive()) clickedEvent.notify(this);
}

void MidiLearnController::draw(gui::Canvas& canvas) {
    gui::Overlay::draw(canvas);
    for (auto& ghost : ghosts_)
        if (ghost->isShown()) ghost->draw(canvas);
    for (const ControllerLabel& label : controllerLabels()) {
        if (!labelBitmap_->getRect().isEmpty())
            canvas.drawBitmapInRect(*labelBitmap_, labelBitmap_->getRect(), label.rect, 255);
        if (labelText_) {
            labelText_->text.setValue(label.text);
            const float x = label.rect.left + (label.rect.width() - labelText_->width()) * 0.5f;
            const float y = label.rect.top + (label.rect.height() - labelText_->height()) * 0.5f;
            canvas.drawText(*labelText_, gui::Point(x, y), 255);
        }
    }
}
