#pragma once

// FilterCombo: the effect's two filters ("Filter 1" and "Filter 2") as one
// unit of a channel, in series, in parallel (0.5 each) or one per channel.
// Each channel has two: one filters the delay line's output before it is
// fed back, the other the panned delay signal on its way to the output.
//
// Filter k runs on the processor's filter-position unit k, so the four
// filters of a position (two channels, two combinations) are computed
// together: on the position's design unit for a characteristic, on its
// biquad for "Clean". In serial and parallel routing, where the output pulls
// both filters, both positions run in one pass
// (GenericFilter::computeTogether). The filters' controls come from the modulation matrix (the
// frequency as this channel's output of the frequency/pan pair); the
// switches (enabled, characteristic, response, slope, self-oscillation
// muting, routing) are set by the processor's parameter bindings.
//
// Its output (getOutput) is one producer whatever the routing: filter 2
// (Serial), the 0.5 + 0.5 sum (Parallel) or this channel's filter (Per
// Channel). While both filters are off (their mix settled at 0) it hands on
// the input block itself and the filters are not run at all; a filter that
// comes back starts from a cleared state, as after any gap. Once the mixes
// hold at 0 the output forwards its pulls to the input (the mixes change
// only through setEnabled, which ends that, as a new input does).
//
// Threading: construction on the main thread; the setters run on the audio
// thread (a parameter change) and never allocate: routing only rewires,
// the filters keep their state.

#include "dsp/MultiDesignFilter.h"
#include "dsp/wave/Producer.h"
#include "effect/VarnelParameterTypes.h"
#include "foundation/Property.h"
#include "modulation/StaticMixer.h"

#include <array>
#include <cstdint>
#include <memory>

class FilterCombo : public PropertyOwner {
public:
    static constexpr int kFilters = 2;

    // What a combination is built on: per filter position, the shared unit,
    // the frequency producer (log2 Hz) and the peak producer (null keeps the
    // filter's own constant); the self-oscillation analyser for all.
    struct Controls {
        std::array<MultiDesignFilter::ParallelUnit*, kFilters> units{};
        std::array<wave::Producer*, kFilters> frequency{};
        std::array<wave::Producer*, kFilters> peak{};
        wave::Producer* analyzer = nullptr;
    };

    FilterCombo(const Controls& controls, int channel);
    ~FilterCombo() override;

    Property<FilterRouting> routing{this, FilterRouting::kSerial};

    // The producer feeding both filters (per routing); rewires at once.
    void setInput(wave::Producer* input);
    wave::Producer* getInput() const { return input_; }
    // The combination's output producer (the same one for every routing).
    wave::Producer* getOutput() { return &output_; }
    // Filter 2 (Serial), the 0.5 + 0.5 sum (Parallel) or the filter of
    // this channel's number (Per Channel).
    wave::Producer* getRoutedOutput();

    MultiDesignFilter& getFilter(int k) { return *filters_[static_cast<std::size_t>(k)]; }
    int getChannel() const { return channel_; }

    // Parameter bindings, per filter position k.
    void setEnabled(int k, bool enabled);
    void setCharacteristic(int k, int index);
    void setResponse(int k, int index);
    // Slope index i ("12", "24", "48") drives GenericFilter::Slope i + 1.
    void setSlope(int k, int index);
    void setAutoMute(bool on);

    void propertyChanged(AbstractProperty& property) override;

private:
    // Hands on the routed output, or the input while both filters are off.
    class Output : public wave::Producer {
    public:
        explicit Output(FilterCombo& owner);
        void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

    private:
        FilterCombo& owner_;
    };

    void routingChanged();
    bool filtersOff(int count) noexcept;
    bool mixesHeld() const;
    void stopForwarding() noexcept;

    int channel_;
    std::array<std::unique_ptr<MultiDesignFilter>, kFilters> filters_;
    wave::Producer* input_ = nullptr;
    std::unique_ptr<StaticMixer> parallelSum_;
    Output output_;
};
