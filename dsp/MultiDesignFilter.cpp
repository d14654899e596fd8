#include "dsp/MultiDesignFilter.h"

#include <algorithm>

MultiDesignFilter::ParallelUnit::ParallelUnit(wave::Environment& environment, const Style& styles,
                                              StateVariableFilter* partner)
    : wave::Component(environment), unit_(std::make_unique<DesignFilter>(environment, styles.at(0), partner)),
      biquad_(std::make_unique<BiQuadFilter>(environment)), styles_(&styles) {}

MultiDesignFilter::ParallelUnit::~ParallelUnit() = default;

void MultiDesignFilter::ParallelUnit::pairWith(ParallelUnit& next) noexcept {
    unit_->pairWith(next.unit_.get());
    biquad_->pairWith(next.biquad_.get());
}

MultiDesignFilter::MultiDesignFilter(wave::Environment& environment)
    : GenericFilter(environment), characteristicIndex(this, 0) {}

MultiDesignFilter::MultiDesignFilter(ParallelUnit& unit) : MultiDesignFilter(unit.getEnvironment()) {
    setStyles(&unit.styles());
    setDesignUnit(&unit.unit(), false);
    initStyleSlots();
}

MultiDesignFilter::~MultiDesignFilter() {
    setUnit(nullptr);
    slots_.clear();
    if (ownsDesignUnit_) delete designUnit_;
}

void MultiDesignFilter::setDesignUnit(DesignFilter* unit, bool owned) {
    if (ownsDesignUnit_ && designUnit_ != unit) {
        if (getParallelUnit() == designUnit_) setUnit(nullptr);
        delete designUnit_;
    }
    designUnit_ = unit;
    ownsDesignUnit_ = owned;
}

void MultiDesignFilter::initStyleSlots() {
    const int count = styles_ != nullptr ? styles_->size() : 0;
    for (int i = 0; i < count; ++i)
        slots_.push_back(Slot{nullptr, designUnit_, i});
}

void MultiDesignFilter::appendSlot(std::unique_ptr<FilterUnit> ownUnit, ParallelFilterUnit* sharedUnit,
                                   int styleIndex) {
    slots_.push_back(Slot{std::move(ownUnit), sharedUnit, styleIndex});
}

void MultiDesignFilter::propertyChanged(AbstractProperty& property) {
    if (&property == &characteristicIndex || &property == &response || &property == &slope) chooseDesign();
}

void MultiDesignFilter::chooseDesign() noexcept {
    const int count = slotCount();
    if (count == 0) return;
    const Response r = response.getValue();
    const int s = slope.getValue();
    int chosen = std::clamp(characteristicIndex.getValue(), 0, count - 1);
    FilterUnit* unit = unitOf(slots_[std::size_t(chosen)]);
    if (unit != nullptr) {
        unit->response.setValue(r);
        if (!unit->supportsSlope(s)) {
            for (int i = count - 1; i >= 0; --i) {
                FilterUnit* other = unitOf(slots_[std::size_t(i)]);
                if (other == nullptr) continue;
                other->response.setValue(r);
                if (other->supportsSlope(s)) {
                    chosen = i;
                    break;
                }
            }
        }
    }
    const Slot& slot = slots_[std::size_t(chosen)];
    if (slot.sharedUnit == nullptr)
        setUnit(slot.ownUnit.get());
    else
        setParallelUnit(slot.sharedUnit);
    if (slot.sharedUnit != nullptr && slot.sharedUnit == designUnit_ && styles_ != nullptr) {
        if (const DesignFilter::Style* style = styles_->at(slot.styleIndex)) designUnit_->setStyle(style);
    }
    chosen_ = chosen;
}
