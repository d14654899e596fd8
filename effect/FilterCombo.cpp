#include "effect/FilterCombo.h"

#include <algorithm>

namespace {
// Filter responses by the "Response" index ("LP,HP,BP").
constexpr GenericFilter::Response kResponses[] = {GenericFilter::kLowPass, GenericFilter::kHighPass,
                                                  GenericFilter::kBandPass};
} // namespace

FilterCombo::Output::Output(FilterCombo& owner)
    : wave::Producer(owner.parallelSum_->getEnvironment(), kNoOwnBlock), owner_(owner) {}

void FilterCombo::Output::produce(wave::BasicBlock<float>*, int count, wave::ProduceMode) noexcept {
    if (owner_.filtersOff(count)) {
        setCurrentBlock(wave::Producer::pull(owner_.input_, getEnvironment(), count));
        if (owner_.input_ != nullptr && owner_.mixesHeld()) setForward(owner_.input_);
        return;
    }
    // Serial and parallel routings pull both filters: their positions can
    // run in one pass.
    if (owner_.routing.getValue() != FilterRouting::kPerChannel)
        owner_.filters_[0]->computeTogether(*owner_.filters_[1], count);
    setCurrentBlock(owner_.getRoutedOutput()->pull(count));
}

FilterCombo::FilterCombo(const Controls& controls, int channel)
    : channel_(channel), parallelSum_(std::make_unique<StaticMixer>(controls.units[0]->getEnvironment())),
      output_(*this) {
    for (int k = 0; k < kFilters; ++k) {
        MultiDesignFilter::ParallelUnit& unit = *controls.units[static_cast<std::size_t>(k)];
        auto filter = std::make_unique<MultiDesignFilter>(unit);
        // The last slot, after the characteristics: "Clean", the position's
        // shared biquad.
        filter->appendSlot(nullptr, &unit.biquadUnit(), -1);
        filter->setPeakMultiplier(controls.analyzer);
        filter->frequency.setSource(controls.frequency[static_cast<std::size_t>(k)]);
        if (wave::Producer* peak = controls.peak[static_cast<std::size_t>(k)]) filter->peak.setSource(peak);
        // Disabled until the parameters say otherwise: the input passes.
        filter->mix.getParameter().setValue(0.0f, 0.0f);
        filter->chooseDesign();
        parallelSum_->addPair(0.5f, filter.get());
        filters_[static_cast<std::size_t>(k)] = std::move(filter);
    }
    routingChanged();
}

FilterCombo::~FilterCombo() = default;

void FilterCombo::setInput(wave::Producer* input) {
    input_ = input;
    stopForwarding();
    routingChanged();
}

bool FilterCombo::filtersOff(int count) noexcept {
    for (auto& filter : filters_) {
        // The mix is rendered here too, so a filter switched on glides in.
        const wave::BasicBlock<float>& mix = filter->mix.pull(count);
        if (!mix.isConstant() || mix.data()[0] != 0.0f || filter->mix.getParameter().getTarget() != 0.0f)
            return false;
    }
    return true;
}

bool FilterCombo::mixesHeld() const {
    for (const auto& filter : filters_)
        if (filter->mix.getSource() != &filter->mix.getOwnSource() || !filter->mix.getOwnSource().isHeld())
            return false;
    return true;
}

void FilterCombo::stopForwarding() noexcept {
    if (output_.getForward() == nullptr) return;
    // A forwarded pull renders no mix; the block that just ended counts as
    // rendered for them when the output was pulled in it, so that a filter
    // switched on now glides in as it does after a computed block.
    if (output_.isComputedThisBlock())
        for (auto& filter : filters_)
            filter->mix.getParameter().noteRenderedUntilNow();
    output_.setForward(nullptr);
}

wave::Producer* FilterCombo::getRoutedOutput() {
    switch (routing.getValue()) {
    case FilterRouting::kParallel:
        return parallelSum_.get();
    case FilterRouting::kPerChannel:
        return filters_[channel_ == 0 ? 0 : 1].get();
    default:
        return filters_[1].get();
    }
}

void FilterCombo::setEnabled(int k, bool enabled) {
    stopForwarding();
    getFilter(k).mix.setValue(enabled ? 1.0f : 0.0f);
}

void FilterCombo::setCharacteristic(int k, int index) {
    getFilter(k).characteristicIndex.setValue(index);
}

void FilterCombo::setResponse(int k, int index) {
    getFilter(k).response.setValue(kResponses[std::clamp(index, 0, 2)]);
}

void FilterCombo::setSlope(int k, int index) {
    getFilter(k).slope.setValue(static_cast<GenericFilter::Slope>(std::clamp(index, 0, 2) + 1));
}

void FilterCombo::setAutoMute(bool on) {
    for (auto& filter : filters_)
        filter->peakMultiplierEnabled.setValue(on);
}

void FilterCombo::propertyChanged(AbstractProperty&) {
    routingChanged();
}

void FilterCombo::routingChanged() {
    switch (routing.getValue()) {
    case FilterRouting::kParallel:
        filters_[0]->setInput(input_);
        filters_[1]->setInput(input_);
        break;
    case FilterRouting::kPerChannel:
        // Only this channel's filter reads the input; the other is left as it was.
        filters_[channel_ == 0 ? 0 : 1]->setInput(input_);
        break;
    default:
        filters_[0]->setInput(input_);
        filters_[1]->setInput(filters_[0].get());
        break;
    }
}
