#include "modulation_editor/XLFOController.h"

#include "editor/ControlChangeManager.h"
#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/UserInterface.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <cmath>

XLFOController::XLFOController(ModulationMatrixPluginInterface& interface, gui::Switch::Style* sliderStyle,
                               StepInterface* stepPanel, const std::string& backgroundName)
    : gui::Control(interface.userInterface()), curveColor(this, gui::Color(255, 255, 255, 255)),
      curveFillColor(this, gui::Color(0, 0, 0, 15)), wideStepWidth(this, 50), narrowStepWidth(this, 16),
      panelGap(this, 0.0f), phaseOffsetHeight(this, kPhaseOffsetHeight), interface_(interface) {
    gui::UserInterface& ui = interface.userInterface();
    background_ = std::make_unique<gui::Bitmap>(ui.deviceBacking());
    if (!backgroundName.empty()) background_->load(backgroundName);
    phaseSlider_ = new PhaseOffsetSlider(ui);
    phaseSlider_->helpText.setValue(kPhaseOffsetHelp);
    phaseSlider_->parent.setValue(this);
    link(phaseSlider_);
    interface.listenToControl(phaseSlider_);
    sliders_.reserve(kMaxSteps);
    for (int32_t k = 0; k < kMaxSteps; ++k) {
        auto* slider = new StepSlider(*this, k, sliderStyle);
        slider->helpText.setValue(kStepHelp);
        slider->parent.setValue(this);
        link(slider);
        sliders_.push_back(slider);
    }
    // Drawn over the tops of the step columns it spans.
    setChildIndex(phaseSlider_, static_cast<int>(children().size()) - 1);
    if (stepPanel != nullptr) {
        stepPanel_ = stepPanel;
        stepPanel->setController(this);
        stepPanel->parent.setValue(this);
        stepPanel->setX(0.0f);
        link(stepPanel);
    }
    applyGeometry(targetGeometry());
}

XLFOController::~XLFOController() {
    if (resizeAnimation_ != nullptr) {
        if (gui::Animator* animator = gui::Animator::of(userInterface())) animator->stopAnimations(this);
        resizeAnimation_ = nullptr;
    }
    if (stepPanel_ != nullptr) stepPanel_->setController(nullptr);
    // The children go first; each death clears its pointer here.
    selectionHold_ = 1;
    deleteChildren();
}

void XLFOController::componentDeleted(gui::Component* component) {
    if (component == phaseSlider_) phaseSlider_ = nullptr;
    if (component == stepPanel_) stepPanel_ = nullptr;
    for (StepSlider*& slider : sliders_)
        if (component == slider) slider = nullptr;
    gui::Control::componentDeleted(component);
}

void XLFOController::propertyChanged(AbstractProperty& property) {
    gui::Control::propertyChanged(property);
    if (&property == &wideStepWidth || &property == &narrowStepWidth || &property == &panelGap) relayout();
    if (&property == &phaseOffsetHeight) {
        placeSlidersBelowStrip();
        applyGeometry(targetGeometry());
    }
}

float XLFOController::stripHeight() const {
    return std::clamp(phaseOffsetHeight.getValue(), 0.0f, height.getValue());
}

void XLFOController::placeSlidersBelowStrip() {
    const float top = stripHeight();
    const float h = height.getValue() - top;
    for (StepSlider* slider : sliders_) {
        if (slider == nullptr) continue;
        gui::Switch::Style* style = slider->style();
        const bool ownSize = style != nullptr && style->track().pixelHeight() > 0;
        slider->setY(top);
        if (!ownSize) slider->setSize(slider->width.getValue(), h);
    }
    if (phaseSlider_ != nullptr) phaseSlider_->setSize(phaseSlider_->width.getValue(), top);
}

void XLFOController::boundsChanged() {
    placeSlidersBelowStrip();
    gui::Control::boundsChanged();
}

void XLFOController::setStepBackground(gui::Bitmap* bitmap) {
    stepBackground_ = bitmap;
    invalidateRect(localRect());
}

// --- Layout

int32_t XLFOController::stepWidth(int32_t n) const {
    const float k = static_cast<float>(n - 1) / static_cast<float>(kMaxSteps - 1);
    const float wide = static_cast<float>(wideStepWidth.getValue());
    const float narrow = static_cast<float>(narrowStepWidth.getValue());
    return static_cast<int32_t>((wide - narrow) * (1.0f - k) * (1.0f - k) + narrow);
}

gui::Rect XLFOController::curveArea() const {
    const float top = stripHeight();
    return gui::Rect::fromXYWH(0.0f, top, static_cast<float>(stepWidth(shownSteps_) * shownSteps_),
                               height.getValue() - top);
}

XLFOController::Geometry XLFOController::targetGeometry() const {
    Geometry g;
    const int32_t n = shownSteps_;
    const int32_t w = stepWidth(n);
    g.sliderWidths.assign(kMaxSteps, 0);
    for (int32_t k = 0; k < n; ++k)
        g.sliderWidths[static_cast<size_t>(k)] = w;
    const int32_t steps = n * w;
    if (anySelected() && stepPanel_ != nullptr) {
        const int32_t gap = static_cast<int32_t>(panelGap.getValue());
        g.panelX = steps + gap;
        g.panelWidth = static_cast<int32_t>(stepPanel_->expandedWidth.getValue());
        g.width = steps + gap + g.panelWidth;
    } else {
        g.panelX = steps;
        g.panelWidth = 0;
        g.width = steps;
    }
    return g;
}

void XLFOController::applyGeometry(const Geometry& g) {
    float x = 0.0f;
    for (size_t k = 0; k < sliders_.size(); ++k) {
        const float w = static_cast<float>(g.sliderWidths[k]);
        if (StepSlider* slider = sliders_[k]) {
            slider->setX(x);
            slider->setSize(w, slider->height.getValue());
        }
        x += w;
    }
    // The strip spans the steps as they stand, also while they ease.
    if (phaseSlider_ != nullptr) phaseSlider_->setBoundsXYWH(0.0f, 0.0f, x, stripHeight());
    if (stepPanel_ != nullptr) {
        stepPanel_->setX(static_cast<float>(g.panelX));
        stepPanel_->setSize(static_cast<float>(g.panelWidth), stepPanel_->height.getValue());
    }
    setSize(static_cast<float>(g.width), height.getValue());
}

void XLFOController::relayout() {
    gui::Animator* animator = interface_.animator();
    if (animator == nullptr) {
        applyGeometry(targetGeometry());
        return;
    }
    // Registered under this controller: it replaces a running one.
    auto* animation = new ResizeAnimation(*animator, *this);
    resizeAnimation_ = animation;
}

void XLFOController::animationGone(ResizeAnimation* animation) {
    if (resizeAnimation_ == animation) resizeAnimation_ = nullptr;
}

void XLFOController::storeNumSteps(int32_t n) {
    n = std::clamp<int32_t>(n, 0, kMaxSteps);
    shownSteps_ = n;
    ++selectionHold_;
    for (int32_t k = n; k < kMaxSteps; ++k)
        setStepSelected(k, false);
    --selectionHold_;
    for (StepSlider* slider : sliders_)
        if (slider != nullptr) slider->invalidateRect(slider->localRect());
}

void XLFOController::setNumSteps(int32_t n) {
    readSnap();
    if (std::clamp<int32_t>(n, 0, kMaxSteps) == shownSteps_) return;
    storeNumSteps(n);
    if (selectionDirty_) selectionChanged();
    relayout();
}

void XLFOController::layoutForNumSteps(int32_t n) {
    readSnap();
    storeNumSteps(n);
    if (selectionDirty_) selectionChanged();
    if (resizeAnimation_ != nullptr) {
        if (gui::Animator* animator = interface_.animator()) animator->stopAnimations(this);
        resizeAnimation_ = nullptr;
    }
    applyGeometry(targetGeometry());
}

// --- Parameters

void XLFOController::linkParameters(const StepLayout& layout, uint32_t phaseOffsetTarget) {
    deselectAll();
    layout_ = layout;
    if (phaseSlider_ != nullptr) {
        AbstractPluginParameter* phase = nullptr;
        GenericPlugin& plugin = interface_.plugin();
        if (layout.phaseOffsetIndex >= 0 && layout.phaseOffsetIndex < plugin.getNumParameters())
            phase = plugin.getParameter(layout.phaseOffsetIndex);
        if (phase != nullptr) interface_.linkControl(phase, phaseSlider_, phaseOffsetTarget);
    }
    for (int32_t k = 0; k < kMaxSteps; ++k) {
        StepSlider* slider = sliders_[static_cast<size_t>(k)];
        AbstractPluginParameter* value = stepParameter(k, kValue);
        if (slider != nullptr && value != nullptr)
            interface_.linkControl(value, slider, ModulationMatrixPluginInterface::kNoTarget);
    }
    readSnap();
    // The panel showed a step of the previous instance.
    if (stepPanel_ != nullptr) stepPanel_->update(lastSelected_);
}

AbstractPluginParameter* XLFOController::stepParameter(int32_t step, int32_t role) const {
    if (layout_.steps == nullptr || role < 0 || role >= kNumRoles) return nullptr;
    const int32_t offset = layout_.offsets[role];
    PluginParameterSet* set = layout_.steps->getSet(step);
    if (set == nullptr || offset < 0 || offset >= set->getNumParameters()) return nullptr;
    return set->getParameter(offset);
}

float XLFOController::stepDisplayValue(int32_t step) const {
    const StepSlider* slider = this->slider(step);
    if (slider == nullptr) return 0.0f;
    return slider->normalized(slider->value.getValue()) * 2.0f - 1.0f;
}

bool XLFOController::isRandomStep(int32_t step) const {
    const AbstractPluginParameter* random = stepParameter(step, kRandom);
    return random != nullptr && std::fabs(random->getValue() - 1.0f) <= ControlChangeManager::kValueTolerance;
}

void XLFOController::readSnap() {
    GenericPlugin& plugin = interface_.plugin();
    bool on = false;
    if (layout_.snapIndex >= 0 && layout_.snapIndex < plugin.getNumParameters())
        if (AbstractPluginParameter* snap = plugin.getParameter(layout_.snapIndex))
            on = std::fabs(snap->getValue()) > ControlChangeManager::kValueTolerance;
    snapped_ = on;
    for (StepSlider* slider : sliders_)
        if (slider != nullptr) slider->setSnapped(on);
    if (stepPanel_ != nullptr) stepPanel_->setSnapped(on);
}

// --- Selection

XLFOController::StepSlider* XLFOController::slider(int32_t step) const {
    return step >= 0 && step < static_cast<int32_t>(sliders_.size()) ? sliders_[static_cast<size_t>(step)]
                                                                     : nullptr;
}

bool XLFOController::isStepSelected(int32_t step) const {
    const StepSlider* s = slider(step);
    return s != nullptr && s->selected.getValue();
}

bool XLFOController::anySelected() const {
    return std::any_of(sliders_.begin(), sliders_.end(),
                       [](const StepSlider* s) { return s != nullptr && s->selected.getValue(); });
}

std::vector<int32_t> XLFOController::selectedSteps() const {
    std::vector<int32_t> steps;
    for (int32_t k = 0; k < static_cast<int32_t>(sliders_.size()); ++k)
        if (isStepSelected(k)) steps.push_back(k);
    return steps;
}

void XLFOController::setStepSelected(int32_t step, bool on) {
    StepSlider* s = slider(step);
    if (s == nullptr || (on && step >= shownSteps_)) return;
    s->selected.setValue(on);
}

void XLFOController::deselectAll() {
    ++selectionHold_;
    for (int32_t k = 0; k < kMaxSteps; ++k)
        setStepSelected(k, false);
    --selectionHold_;
    if (selectionDirty_ && selectionHold_ == 0) {
        selectionChanged();
        relayout();
    }
}

void XLFOController::selectOnly(int32_t step) {
    ++selectionHold_;
    for (int32_t k = 0; k < kMaxSteps; ++k)
        if (k != step) setStepSelected(k, false);
    setStepSelected(step, true);
    --selectionHold_;
    if (selectionDirty_ && selectionHold_ == 0) {
        selectionChanged();
        relayout();
    }
}

void XLFOController::selectRange(int32_t from, int32_t to) {
    const int32_t low = std::min(from, to);
    const int32_t high = std::max(from, to);
    ++selectionHold_;
    for (int32_t k = 0; k < kMaxSteps; ++k)
        setStepSelected(k, k >= low && k <= high);
    --selectionHold_;
    if (selectionDirty_ && selectionHold_ == 0) {
        selectionChanged();
        relayout();
    }
}

void XLFOController::sliderSelectionChanged(int32_t) {
    if (selectionHold_ > 0) {
        selectionDirty_ = true;
        return;
    }
    selectionChanged();
    relayout();
}

void XLFOController::selectionChanged() {
    selectionDirty_ = false;
    int32_t last = -1;
    for (int32_t k = 0; k < static_cast<int32_t>(sliders_.size()); ++k)
        if (isStepSelected(k)) last = k;
    lastSelected_ = last;
    readSnap();
    if (stepPanel_ != nullptr) stepPanel_->update(lastSelected_);
    for (StepSlider* slider : sliders_)
        if (slider != nullptr) slider->invalidateRect(slider->localRect());
}

void XLFOController::stepValueShown(int32_t step) {
    if (shownSteps_ <= 0) return;
    // The previous step's curve glides into this one (step 0 follows the last).
    const int32_t previous = (step + shownSteps_ - 1) % shownSteps_;
    if (StepSlider* s = slider(previous)) s->invalidateRect(s->localRect());
}

void XLFOController::showLastSelectedValue() {
    if (stepPanel_ == nullptr) return;
    gui::ValueControl* control = stepPanel_->stepControl(kValue);
    const StepSlider* last = slider(lastSelected_);
    if (control == nullptr || last == nullptr || control->inGesture()) return;
    control->setNormalizedValue(last->normalized(last->value.getValue()));
}

// --- Adding and removing steps

std::vector<float> XLFOController::stepSnapshot() const {
    std::vector<float> values;
    const AbstractParameterSetList* list = layout_.steps;
    if (list == nullptr) return values;
    values.push_back(static_cast<float>(list->getNumActive()));
    for (int32_t i = 0; i < list->getNumSets(); ++i)
        if (const PluginParameterSet* set = list->getSet(i))
            for (const AbstractPluginParameter* p : set->getParameters())
                values.push_back(p->getValue());
    return values;
}

void XLFOController::finishStepChange(const std::vector<float>& before) {
    interface_.refreshControls(-1);
    const std::vector<float> after = stepSnapshot();
    bool changed = after.size() != before.size();
    for (size_t i = 0; !changed && i < after.size(); ++i)
        changed = std::fabs(after[i] - before[i]) > ControlChangeManager::kValueTolerance;
    if (changed) interface_.storeUndoStep(-1);
}

void XLFOController::addStep() {
    AbstractParameterSetList* list = layout_.steps;
    if (list == nullptr) return;
    const int32_t count = list->getNumActive();
    AbstractParameterSetList::NumActiveParameter& countParameter = list->getNumActiveParameter();
    const int32_t most =
        std::min({kMaxSteps, list->getNumSets(), static_cast<int32_t>(countParameter.getMax())});
    if (count >= most) {
        interface_.refreshControls(-1);
        return;
    }
    const std::vector<float> before = stepSnapshot();
    const int32_t insertion = lastSelected_ >= 0 ? lastSelected_ + 1 : count;
    GenericParameterOwner* owner = list->getOwner();
    if (owner != nullptr) owner->beginUpdate();
    setNumSteps(count + 1);
    countParameter.setValue(static_cast<float>(count + 1), 0);
    // The new step copies the selected (or the last) step; the later steps
    // move up by one.
    for (int32_t j = count; j >= std::max(insertion, 1); --j) {
        PluginParameterSet* to = list->getSet(j);
        const PluginParameterSet* from = list->getSet(j - 1);
        if (to != nullptr && from != nullptr) to->copyValuesFrom(*from);
    }
    if (owner != nullptr) owner->endUpdate();
    selectOnly(std::min(insertion, count));
    finishStepChange(before);
    selectionChanged();
}

void XLFOController::removeSteps() {
    AbstractParameterSetList* list = layout_.steps;
    if (list == nullptr) return;
    const std::vector<float> before = stepSnapshot();
    // Never below one step, nor below the list's own minimum.
    const int32_t fewest =
        std::max<int32_t>(1, static_cast<int32_t>(std::ceil(list->getNumActiveParameter().getMin())));
    GenericParameterOwner* owner = list->getOwner();
    if (owner != nullptr) owner->beginUpdate();
    if (anySelected()) {
        ++selectionHold_;
        // The highest selected step first, so the others keep their indices.
        while (lastSelected_ >= 0 && list->getNumActive() > fewest) {
            const int32_t step = lastSelected_;
            setStepSelected(step, false);
            const int32_t countBefore = list->getNumActive();
            list->removeSet(step);
            int32_t last = -1;
            for (int32_t k = 0; k < kMaxSteps; ++k)
                if (isStepSelected(k)) last = k;
            lastSelected_ = last;
            if (list->getNumActive() == countBefore) break;
        }
        --selectionHold_;
    } else if (list->getNumActive() > fewest) {
        list->removeSet(list->getNumActive() - 1);
    }
    if (owner != nullptr) owner->endUpdate();
    setNumSteps(list->getNumActive());
    if (selectionDirty_) {
        selectionChanged();
        relayout();
    }
    finishStepChange(before);
}

void XLFOController::hideStepPanel() {
    deselectAll();
}

// --- Drawing

void XLFOController::draw(gui::Canvas& canvas) {
    const int32_t w = stepWidth(shownSteps_);
    const float h = height.getValue();
    if (stepBackground_ != nullptr && stepBackground_->pixelWidth() > 0 &&
        stepBackground_->pixelHeight() > 0) {
        for (int32_t i = 0; i < shownSteps_; ++i) {
            const gui::Rect column(static_cast<float>(i * w), 0.0f, static_cast<float>((i + 1) * w), h);
            canvas.drawBitmapInRect(*stepBackground_, stepBackground_->getRect(), column, 255);
        }
    }
    const gui::Color back = backgroundColor.getValue();
    if (back.a != 0) canvas.fillRect(localRect(), back);
}
