#include "modulation_editor/ModulationIndicatorManager.h"

#include "foundation/ModuleResources.h"
#include "gui/Bitmap.h"
#include "gui/Control.h"
#include "gui/UserInterface.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/ModulationMatrixPlugin.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr float kRectTolerance = 0.001f;

// Artwork that is missing leaves its bitmap empty.
void loadOptional(gui::Bitmap& bitmap, const std::string& name) {
    try {
        bitmap.load(name);
    } catch (const std::exception&) {
        bitmap.resize(0, 0);
    }
}

} // namespace

ModulationIndicatorManager::ModulationIndicatorManager(ModulationMatrixPluginInterface& interface,
                                                       AbstractSlotController& slots,
                                                       const std::string& stylePrefix)
    : gui::Component(interface.userInterface()), alignment(this, gui::Alignment::kRight),
      layout(this, gui::Layout::kTop), offset(this, gui::Point()), sectionShown(this, true),
      markColor(this, gui::Color(255, 255, 255, 96)), interface_(interface), slots_(slots),
      style_(std::make_unique<gui::Button::Style>(interface.userInterface())) {
    try {
        style_->loadBitmaps(stylePrefix);
    } catch (const EResource&) {
        // No state image: the style stays empty.
    }
    loadOptional(style_->stateBitmap(3), stylePrefix + "Overlay.png");
    style_->overlayStyle.setValue(gui::Button::OverlayStyle::kBackground);
    style_->updateSizeFromBitmaps();

    targetIndicators_.assign(static_cast<size_t>(std::max(0, interface.numTargets())), nullptr);
    targetKinds_.assign(static_cast<size_t>(std::max(0, interface.numTargets())), 0u);
    sourceCounts_.assign(static_cast<size_t>(std::max(0, interface.numSources())), 0);
    slots.addListener(this);
    interface.addTargetListener(this);
    interface.userInterface().deviceBacking().addBackingScaleListener(this);
}

ModulationIndicatorManager::~ModulationIndicatorManager() {
    destroying_ = true;
    userInterface().deviceBacking().removeBackingScaleListener(this);
    interface_.removeTargetListener(this);
    slots_.removeListener(this);
    // Each indicator leaves the list as it goes.
    while (!indicators_.empty())
        delete indicators_.back();
    tints_.clear();
    style_.reset();
}

// ---- indicators ------------------------------------------------------------------------

ModulationIndicator* ModulationIndicatorManager::createIndicator(gui::Control* control, uint32_t first,
                                                                 uint32_t count) {
    if (control == nullptr) return nullptr;
    ModulationIndicator* indicator = makeIndicator(first, count);
    indicator->addControl(control, ModulationIndicator::kNoTarget, false);
    return indicator;
}

ModulationIndicator* ModulationIndicatorManager::makeIndicator(uint32_t first, uint32_t count) {
    auto* indicator = new ModulationIndicator(userInterface(), *this, first, count, alignment.getValue(),
                                              layout.getValue(), offset.getValue());
    indicators_.push_back(indicator);
    mostRecent_ = indicator;
    return indicator;
}

bool ModulationIndicatorManager::extendIndicator(gui::Control* control, uint32_t target) {
    ModulationIndicator* recent = mostRecent_;
    if (recent == nullptr || control == nullptr || recent->watchedCount() == 0) return false;
    if (recent->watches(control)) return true;
    if (collecting_) {
        recent->addControl(control, target, false);
        return true;
    }
    // A control inside the most recent one's, on the target just before its range.
    if (target == ModulationIndicator::kNoTarget || recent->targetCount() == 0 || recent->targetCount() > 2 ||
        recent->firstTarget() != target + 1)
        return false;
    gui::Control* placing = recent->placingControl();
    if (placing == nullptr || placing->getParent() != control->getParent()) return false;
    const gui::Rect inner = control->bounds.getValue();
    const gui::Rect outer = placing->bounds.getValue();
    const bool inside = inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                        inner.bottom <= outer.bottom;
    const bool same = std::fabs(inner.left - outer.left) <= kRectTolerance &&
                      std::fabs(inner.top - outer.top) <= kRectTolerance &&
                      std::fabs(inner.right - outer.right) <= kRectTolerance &&
                      std::fabs(inner.bottom - outer.bottom) <= kRectTolerance;
    if (!inside || same) return false;
    recent->addControl(control, target, true);
    return true;
}

void ModulationIndicatorManager::indicatorDying(ModulationIndicator& indicator) {
    indicators_.erase(std::remove(indicators_.begin(), indicators_.end(), &indicator), indicators_.end());
    if (mostRecent_ == &indicator) mostRecent_ = nullptr;
    if (!destroying_) rebuildTargetTable();
}

void ModulationIndicatorManager::indicatorChanged(ModulationIndicator&) {
    rebuildTargetTable();
}

void ModulationIndicatorManager::indicatorEmptied(ModulationIndicator& indicator) {
    if (mostRecent_ == &indicator) mostRecent_ = nullptr;
}

bool ModulationIndicatorManager::askForHiddenSection() {
    if (sectionShown.getValue()) return false;
    showSectionEvent.notify(this);
    return true;
}

void ModulationIndicatorManager::rebuildTargetTable() {
    std::fill(targetIndicators_.begin(), targetIndicators_.end(), nullptr);
    for (ModulationIndicator* indicator : indicators_) {
        if (indicator->watchedCount() == 0) continue;
        const uint64_t first = indicator->firstTarget();
        const uint64_t end = std::min<uint64_t>(first + indicator->targetCount(), targetIndicators_.size());
        for (uint64_t t = first; t < end; ++t)
            targetIndicators_[static_cast<size_t>(t)] = indicator;
    }
}

ModulationIndicator* ModulationIndicatorManager::indicatorOf(uint32_t target) const {
    return target < targetIndicators_.size() ? targetIndicators_[target] : nullptr;
}

ModulationIndicator* ModulationIndicatorManager::indicatorWatching(const gui::Control* control) const {
    for (ModulationIndicator* indicator : indicators_)
        if (indicator->watches(control)) return indicator;
    return nullptr;
}

void ModulationIndicatorManager::targetChanged(AbstractPluginParameter*, gui::Control* control,
                                               uint32_t targetIndex, int32_t change) {
    if (control == nullptr) return;
    ModulationIndicator* watching = indicatorWatching(control);
    switch (change) {
    case kBound:
    case kMoved:
        if (watching != nullptr) {
            watching->moveControl(control, targetIndex);
        } else if (!extendIndicator(control, targetIndex)) {
            makeIndicator(0, 0)->addControl(control, targetIndex, false);
        }
        break;
    case kReplaced:
    case kUnbound:
        // A dying control is only compared, never touched.
        if (watching != nullptr) watching->dropControl(control);
        break;
    default:
        break;
    }
}

// ---- counts ----------------------------------------------------------------------------

int32_t ModulationIndicatorManager::kindOfSource(int32_t source) const {
    const ModulationMatrixLayout& layout = interface_.modulationPlugin().getLayout();
    if (source < 0 || source >= layout.numSources()) return -1;
    return layout.sources[static_cast<size_t>(source)].type;
}

void ModulationIndicatorManager::slotsRefreshed(int32_t count) {
    ModulationMatrixController& controller = interface_.matrixController();
    std::fill(sourceCounts_.begin(), sourceCounts_.end(), 0);
    std::fill(targetKinds_.begin(), targetKinds_.end(), 0u);
    const int32_t slots = std::clamp(count, 0, controller.numSlots());
    for (int32_t slot = 0; slot < slots; ++slot) {
        const int32_t source = controller.getSource(slot);
        // A slot without a source counts nowhere.
        if (source < 0 || static_cast<size_t>(source) >= sourceCounts_.size()) continue;
        ++sourceCounts_[static_cast<size_t>(source)];
        const int32_t target = controller.getTarget(slot);
        if (target < 0 || static_cast<size_t>(target) >= targetKinds_.size()) continue;
        const int32_t kind = kindOfSource(source);
        if (kind >= 0 && kind < kMaxKinds) targetKinds_[static_cast<size_t>(target)] |= 1u << kind;
    }
    for (size_t i = 0; i < indicators_.size(); ++i)
        indicators_[i]->updateState();
}

int32_t ModulationIndicatorManager::sourceSlotCount(int32_t source) const {
    return source >= 0 && static_cast<size_t>(source) < sourceCounts_.size()
               ? sourceCounts_[static_cast<size_t>(source)]
               : 0;
}

uint32_t ModulationIndicatorManager::targetKinds(int32_t target) const {
    return target >= 0 && static_cast<size_t>(target) < targetKinds_.size()
               ? targetKinds_[static_cast<size_t>(target)]
               : 0u;
}

uint32_t ModulationIndicatorManager::kindsOf(uint32_t first, uint32_t count) const {
    uint32_t kinds = 0;
    const uint64_t end = std::min<uint64_t>(uint64_t{first} + count, targetKinds_.size());
    for (uint64_t t = first; t < end; ++t)
        kinds |= targetKinds_[static_cast<size_t>(t)];
    return kinds;
}

// ---- bitmaps ---------------------------------------------------------------------------

gui::Bitmap& ModulationIndicatorManager::styleBitmap(Segment segment) {
    switch (segment) {
    case ModulationIndicator::kSegmentActive:
        return style_->stateBitmap(1);
    case ModulationIndicator::kSegmentOverlay:
        return style_->stateBitmap(3);
    default:
        return style_->stateBitmap(0);
    }
}

gui::Bitmap& ModulationIndicatorManager::segmentBitmap(int32_t kind, Segment segment) {
    if (kind >= 0 && static_cast<size_t>(kind) < tints_.size()) {
        if (gui::Bitmap* tinted = tints_[static_cast<size_t>(kind)][static_cast<size_t>(segment)].get())
            return *tinted;
    }
    return styleBitmap(segment);
}

void ModulationIndicatorManager::setColorTable(std::vector<gui::Color> colors) {
    if (colors.size() > static_cast<size_t>(kMaxKinds)) colors.resize(static_cast<size_t>(kMaxKinds));
    colors_ = std::move(colors);
    scaleChanged();
}

void ModulationIndicatorManager::scaleChanged() {
    tints_.resize(colors_.size());
    for (size_t kind = 0; kind < colors_.size(); ++kind) {
        for (int32_t segment = 0; segment < ModulationIndicator::kNumSegments; ++segment) {
            std::unique_ptr<gui::Bitmap>& tinted = tints_[kind][static_cast<size_t>(segment)];
            if (!tinted) tinted = std::make_unique<gui::Bitmap>(userInterface().deviceBacking());
            // Mode 2 multiplies every channel by the kind's colour.
            tinted->copyRecolored(styleBitmap(static_cast<Segment>(segment)), colors_[kind],
                                  gui::Bitmap::kRecolorMultiply, colors_[kind]);
        }
    }
    for (ModulationIndicator* indicator : indicators_)
        indicator->refresh();
}

void ModulationIndicatorManager::backingScaleChanged() {
    // The style's bitmaps refit after this listener: rebuild once they have.
    userInterface().postMessage(this, kRebuildTints, gui::kGuiList);
}

void ModulationIndicatorManager::handleMessage(int code) {
    if (code == kRebuildTints)
        scaleChanged();
    else
        gui::Component::handleMessage(code);
}
