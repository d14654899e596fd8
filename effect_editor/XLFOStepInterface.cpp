#include "effect_editor/XLFOStepInterface.h"

#include "editor/ControlBuilder.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/MultiLabel.h"
#include "gui/SelectButton.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"

#include <cstdio>

namespace {

constexpr float kChoiceWidth = 58.0f;
constexpr float kGlideFunctionTextOffset = -6.0f;
// The title row: Hide at its left end, Remove Step and Add Step at its
// right end (faces 18 wide), the title in the room between.
constexpr float kRowInset = 3.0f;
constexpr float kButtonWidth = 18.0f;
constexpr float kButtonGap = 1.0f;
constexpr float kTitleHeight = 16.0f;

} // namespace

XLFOStepInterface::XLFOStepInterface(gui::UserInterface& userInterface, ControlBuilder& builder,
                                     const VarnelSourceSkin& skin,
                                     const AbstractPluginParameter* glideFunction)
    : XLFOController::StepInterface(userInterface) {
    background_ = new gui::Image(userInterface);
    background_->bitmap().load("StepInterfaceBackground.png");
    background_->parent.setValue(this);
    link(background_);
    const gui::Rect r = background_->bitmap().getRect();
    background_->setBoundsXYWH(0.0f, 0.0f, r.width(), r.height());
    setSize(r.width(), r.height());
    expandedWidth.setValue(r.width());

    const float addX = r.width() - kRowInset - kButtonWidth;
    const float removeX = addX - kButtonGap - kButtonWidth;
    const float titleX = kRowInset + kButtonWidth + kButtonGap;
    title_ = new gui::MultiLabel(userInterface, 1);
    title_->parent.setValue(this);
    link(title_);
    title_->setBoundsXYWH(titleX, 0.0f, removeX - kButtonGap - titleX, kTitleHeight);

    gui::Control* previous = builder.parent();
    builder.setParent(this);
    gui::Knob* value = builder.createKnob(9, 41, skin.smallKnob);
    value->helpText.setValue(kValueHelp);
    gui::Knob* glide = builder.createKnob(73, 41, skin.smallKnob);
    gui::ToggleButton* random = builder.createToggleButton(3, 19, skin.checkToggle);
    random->setSize(kChoiceWidth, random->height.getValue());
    random->icon(1).load("IconCheckDark.png");
    random->lineCount.setValue(1);
    if (!random->textLines().empty()) random->textLine(0)->text.setValue("Random");
    gui::SelectButton* function = builder.createSelectButton(68, 19, skin.selectButton);
    function->setSize(kChoiceWidth, function->height.getValue());
    function->textOffsetX.setValue(kGlideFunctionTextOffset);
    if (glideFunction != nullptr) addParameterValueItems(*function, *glideFunction);
    setStepControl(XLFOController::kValue, value);
    setStepControl(XLFOController::kGlide, glide);
    setStepControl(XLFOController::kGlideFunction, function);
    setStepControl(XLFOController::kRandom, random);
    setButton(kHide, builder.createButton(int(kRowInset), 0, skin.hideButton));
    setButton(kRemoveStep, builder.createButton(int(removeX), 0, skin.removeStepButton));
    setButton(kAddStep, builder.createButton(int(addX), 0, skin.addStepButton));
    builder.setParent(previous);
}

XLFOStepInterface::~XLFOStepInterface() = default;

void XLFOStepInterface::componentDeleted(gui::Component* component) {
    XLFOController::StepInterface::componentDeleted(component);
    if (component == background_) background_ = nullptr;
    if (component == title_) title_ = nullptr;
}

void XLFOStepInterface::update(std::int32_t step) {
    XLFOController::StepInterface::update(step);
    if (title_ == nullptr || title_->text(0) == nullptr) return;
    XLFOController* c = controller();
    int32_t selected = 0;
    if (c != nullptr)
        for (int32_t k = 0; k < c->numSteps(); ++k)
            if (c->isStepSelected(k)) ++selected;
    std::string text;
    if (selected > 1) {
        text = "(Multiple)";
    } else if (step >= 0) {
        char buffer[24];
        std::snprintf(buffer, sizeof(buffer), "Step %d", step + 1);
        text = buffer;
    }
    title_->text(0)->text.setValue(text);
}
