#include "editor/ZentorPluginInterface.h"

#include "editor/AboutDialog.h"
#include "editor/HelpHint.h"
#include "editor/MidiLearnController.h"
#include "editor/ParameterValueDisplay.h"
#include "editor/StandardButtons.h"
#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/BitmapResourceList.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace {

// The resource in its plain or its double-resolution form.
bool imageExists(const std::string& name) {
    return !name.empty() && (resourceExists(name) || resourceExists(addDoubleScaleSuffix(name)));
}

template <class T> void setIfDifferent(Property<T>& property, const T& value) {
    if (!(property.getValue() == value)) property.setValue(value);
}

// Holders 0 to 2 (and 4 when asked) from prefix + "Normal.png", "Active.png",
// "Down.png" ("On.png"); nothing when none of the three exists.
void loadStateBitmaps(gui::Button::Style& style, const std::string& prefix, bool withOn) {
    if (!imageExists(prefix + "Normal.png") && !imageExists(prefix + "Active.png") &&
        !imageExists(prefix + "Down.png"))
        return;
    style.loadBitmaps(prefix);
    if (!withOn) style.stateBitmap(4).resize(0, 0);
    style.updateSizeFromBitmaps();
}

} // namespace

ZentorPluginInterface::ZentorPluginInterface(gui::UserInterface& userInterface, GenericPlugin& plugin,
                                             uint32_t featureFlags)
    : GenericPluginInterface(userInterface, plugin, featureFlags),
      backgroundName_(imageExists(kBackgroundName) ? kBackgroundName : "") {
    buildSkin();
    // The value display, in the skin's look.
    if (ControlChangeManager::ValueDisplay* display = valueDisplay())
        if (auto* label = dynamic_cast<gui::MultiLabel*>(&display->displayControl()))
            applyValueDisplayLook(*label);
}

ZentorPluginInterface::~ZentorPluginInterface() {
    prepareForClosing();
}

void ZentorPluginInterface::buildSkin() {
    gui::UserInterface& ui = userInterface();
    auto animator = std::make_unique<gui::Animator>(ui, ui.clock());
    animator->tickEvent.addHandler(NotifyEvent::bind(this, &ZentorPluginInterface::animationHook));
    animator->rate.setValue(kAnimatorRate);
    animator->running.setValue(true);
    adoptAnimator(std::move(animator));

    dialogStyle_ = std::make_unique<gui::Button::Style>(ui);
    loadStateBitmaps(*dialogStyle_, "ButtonDialog", false);
    setIfDifferent(dialogStyle_->textColor, gui::Color(0, 0, 0, 255));

    removeStyle_ = std::make_unique<gui::Button::Style>(ui);
    if (imageExists("IconRemove.png")) removeStyle_->stateBitmap(3).load("IconRemove.png");
    setIfDifferent(removeStyle_->width, 12.0f);
    setIfDifferent(removeStyle_->height, 12.0f);
    setIfDifferent(removeStyle_->iconOpacity, 128);

    barStyle_ = std::make_unique<gui::Button::Style>(ui);
    if (imageExists("ButtonBarNormal.png")) {
        loadStateBitmaps(*barStyle_, "ButtonBar", true);
        setIfDifferent(barStyle_->textColor, gui::Color(200, 200, 200, 255));
    }

    genericDialogStyle_ = std::make_unique<GenericDialog::Style>(ui, dialogStyle_.get());

    lightOn_ = ui.bitmapResources().create();
    lightOff_ = ui.bitmapResources().create();
    if (imageExists("LightOn.png")) lightOn_->load("LightOn.png");
    if (imageExists("LightOff.png")) lightOff_->load("LightOff.png");
}

gui::Button::Style* ZentorPluginInterface::buttonStyle(const std::string& name) const {
    if (name == "Dialog") return dialogStyle_.get();
    if (name == "Remove") return removeStyle_.get();
    if (name == "Bar") return barStyle_.get();
    return nullptr;
}

MidiLearnController* ZentorPluginInterface::createMidiLearnOverlay() {
    return new MidiLearnController(userInterface(), *this, kLearnLabelBackground, kLearnControllerLabel);
}

void ZentorPluginInterface::showAboutDialog() {
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr || !genericDialogStyle_) return;
    // The tree owns it; it deletes itself once dismissed.
    auto* dialog = new AboutDialog(*this, *genericDialogStyle_);
    dialog->parent.setValue(root);
}

void ZentorPluginInterface::layoutHelpHint() {
    positionHelpHint();
    layoutHook();
}

gui::ImageLabel* ZentorPluginInterface::createHelpHint() {
    gui::RootControl* root = userInterface().rootControl();
    if (root == nullptr) return nullptr;
    auto* label = new gui::ImageLabel(userInterface());
    if (imageExists(kHelpHintBackground)) label->background().load(kHelpHintBackground);
    label->margins.setValue(gui::Rect(15.0f, 10.0f, 35.0f, 15.0f));
    label->visible.setValue(false);
    label->parent.setValue(root);
    hint().setLabel(label);
    attachHelpHintArrow(*label);
    return label;
}

void ZentorPluginInterface::attachHelpHintArrow(gui::ImageLabel& label) {
    if (!imageExists(kHelpHintArrow)) return;
    auto* arrow = new gui::Image(userInterface());
    arrow->bitmap().load(kHelpHintArrow);
    const gui::Rect r = arrow->bitmap().getRect();
    arrow->setBoundsXYWH(0.0f, 0.0f, r.width(), r.height());
    arrow->visible.setValue(false);
    arrow->parent.setValue(&label);
    hint().setArrow(arrow);
}

void ZentorPluginInterface::positionHelpHint() {
    gui::ImageLabel* label = hint().label();
    if (label == nullptr) return;
    const gui::Rect& b = label->bounds.getValue();
    gui::Control* parent = label->getParent();
    const gui::Point origin = parent != nullptr ? parent->toRoot(gui::Point()) : gui::Point();
    // In root coordinates.
    float left = 0.0f;
    float top = b.top + origin.y;
    float anchor = -1.0f;
    if (gui::Button* help = standardButtons().button(StandardButtonKind::kHelp)) {
        const gui::Rect r = unionBounds(help, nullptr);
        anchor = (r.left + r.right) * 0.5f;
        left = anchor - kHelpHintOffset;
        // Off the button it points at.
        top = r.bottom + kHelpHintGap;
    } else {
        left = std::round(getReferenceRectangle().left);
    }
    // Inside the root (a Help button at the right edge would push the
    // hint past it); the arrow still points at the button.
    if (gui::RootControl* root = userInterface().rootControl()) {
        left = std::clamp(left, 0.0f, std::max(0.0f, root->width.getValue() - b.width()));
        top = std::clamp(top, 0.0f, std::max(0.0f, root->height.getValue() - b.height()));
    }
    label->setBoundsXYWH(left - origin.x, top - origin.y, b.width(), b.height());
    hint().pointAt(anchor < 0.0f ? -1.0f : anchor - left);
}

void ZentorPluginInterface::paintBackground() {
    if (backgroundName_.empty() || backgroundName_ == drawnBackground_) return;
    drawnBackground_ = backgroundName_;
    userInterface().loadBackgroundBitmap(backgroundName_);
}

void ZentorPluginInterface::applyValueDisplayLook(gui::MultiLabel& display) {
    setIfDifferent(display.backgroundInset, 10.0f);
    setIfDifferent(display.paintInset, 7.0f);
    setIfDifferent(display.leftMargin, 3.0f);
    setIfDifferent(display.rightMargin, 3.0f);
    if (valueDisplayBackground_ == nullptr) {
        valueDisplayBackground_ = userInterface().bitmapResources().create();
        if (imageExists(kValueDisplayBackground)) valueDisplayBackground_->load(kValueDisplayBackground);
    }
    display.setBackgroundBitmap(valueDisplayBackground_);
    for (int line = 0; line < display.lineCount.getValue(); ++line)
        if (gui::Text* text = display.text(line)) setIfDifferent(text->color, gui::Color(0, 0, 0, 210));
    setIfDifferent(display.frameColor, gui::Color(0, 0, 0, 116));
    setIfDifferent(display.alignment, gui::Alignment::kCentre);
    setIfDifferent(display.minimumWidth, 48.0f);
    setIfDifferent(display.hitThreshold, 255);
    setIfDifferent(display.visible, false);
}

void ZentorPluginInterface::removeHandlers() {
    GenericPluginInterface::removeHandlers();
    if (gui::Animator* a = animator())
        a->tickEvent.removeHandler(this, &ZentorPluginInterface::animationHook);
    genericDialogStyle_.reset();
    dialogStyle_.reset();
    removeStyle_.reset();
    barStyle_.reset();
    gui::UserInterface& ui = userInterface();
    if (!ui.isBeingDestroyed()) {
        if (lightOn_ != nullptr) ui.bitmapResources().remove(lightOn_);
        if (lightOff_ != nullptr) ui.bitmapResources().remove(lightOff_);
        if (valueDisplayBackground_ != nullptr) ui.bitmapResources().remove(valueDisplayBackground_);
    }
    lightOn_ = lightOff_ = valueDisplayBackground_ = nullptr;
}
