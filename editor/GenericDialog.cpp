#include "editor/GenericDialog.h"

#include "editor/GenericPluginInterface.h"
#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Animator.h"
#include "gui/Image.h"
#include "gui/MultiLabel.h"
#include "gui/RootControl.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <cmath>

GenericDialog::Style::Style(gui::UserInterface& userInterface, gui::Button::Style* buttonStyle)
    : gui::Component(userInterface), buttonStyle(buttonStyle) {}

GenericDialog::GenericDialog(GenericPluginInterface& interface, Style& style)
    : gui::Dialog(interface.userInterface()), interface_(interface), style_(style) {
    gui::UserInterface& ui = interface.userInterface();
    if (gui::RootControl* root = ui.rootControl()) {
        const gui::Rect wanted = root->localRect();
        const gui::Rect now = bounds.getValue();
        constexpr float kTolerance = 0.001f;
        if (std::fabs(now.left - wanted.left) > kTolerance || std::fabs(now.top - wanted.top) > kTolerance ||
            std::fabs(now.right - wanted.right) > kTolerance ||
            std::fabs(now.bottom - wanted.bottom) > kTolerance)
            setBounds(wanted);
    }
    anchors.setValue(kLeftFixed | kTopFixed | kRightFollows | kBottomFollows);
    background_ = new gui::Image(ui);
    const std::string& name = style.bitmapName;
    if (!name.empty() && (resourceExists(name) || resourceExists(addDoubleScaleSuffix(name))))
        background_->bitmap().load(name);
    background_->setBounds(localRect());
    background_->parent.setValue(this);
}

GenericDialog::~GenericDialog() {
    // A control only detaches its children: the labels and buttons are ours.
    deleteChildren();
}

gui::Button* GenericDialog::addButton(float x, float y, const std::string& text) {
    auto* button = new gui::Button(userInterface(), style_.buttonStyle);
    button->lineCount.setValue(1);
    if (gui::Text* line = button->textLine(0)) line->text.setValue(text);
    const float height = style_.buttonStyle != nullptr ? style_.buttonStyle->height.getValue() : 20.0f;
    button->setBoundsXYWH(x + style_.textOffset.x, y + style_.textOffset.y, kButtonWidth, height);
    button->parent.setValue(this);
    return button;
}

gui::MultiLabel* GenericDialog::addLabel(float x, float y, const std::string& text) {
    auto* label = new gui::MultiLabel(userInterface(), 1);
    label->autoSize.setValue(true);
    label->hitThreshold.setValue(255);
    label->setX(x + style_.textOffset.x);
    label->setY(y + style_.textOffset.y);
    if (gui::Text* line = label->text(0)) line->text.setValue(text);
    label->parent.setValue(this);
    return label;
}

void GenericDialog::mouseDown(int button, const gui::Point& point, int modifiers) {
    (void)button, (void)point, (void)modifiers;
    dismissEvent.notify(this);
}

bool GenericDialog::keyPressed(int key, int character, int flags) {
    (void)character, (void)flags;
    if (key != gui::kKeyEscape) return false;
    dismissEvent.notify(this);
    return true;
}
