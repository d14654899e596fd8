#pragma once

// GenericFilter: the graph element through which every filter is used. It
// has four smoothed control inputs (frequency as log2 Hz, input gain, dry/wet
// mix, peak), an optional producer that multiplies the peak sample by sample,
// a response and a slope. The filtering itself is done by a unit: either one
// the filter uses alone (setUnit) or a ParallelFilterUnit shared by up to four
// filters that are then computed together, one SIMD lane each
// (setParallelUnit). Units are owned by whoever created them.
//
// Two shared units may be paired (the effect's filter positions): when the
// caller is about to pull a filter of each (computeTogether), both run in
// one pass of the eight-lane kernels (dsp/PairKernels.h), the second
// trailing the first by a few samples where its filters read the first's.
// Every filter's output is bit for bit what the units give run one after
// the other.
//
// Per block the controls are cut into segments over which they count as
// constant (at most 32 samples; a new segment when the frequency moves by
// more than 0.1 or the peak by more than 0.0002 from the segment's first
// sample) and the unit computes one coefficient set per segment. The unit's
// state is cleared when the environment was reset since its last block, or
// when a block does not continue where the last one ended.
//
// Threading: construction, setUnit and setParallelUnit on the main thread or
// between blocks on the audio thread (no allocation: a unit reserves room for
// four filters); process on the audio thread, no allocation, no locks.

#include "dsp/FloatParameter.h"
#include "dsp/KernelArguments.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class GenericFilter : public wave::Filter, public PropertyOwner {
public:
    enum Response : std::int32_t {
        kLowPass = 0,
        kHighPass = 1,
        kBandPass = 2,
        kNotch = 3,
        kBell = 4,
        kLowShelf = 5,
        kLowShelfMoved = 6, // frequency moved by the gain
        kHighShelf = 7,
        kHighShelfMoved = 8,
        kAllPass = 9,
    };
    // 0: 6 dB/oct (biquad only; others treat it as 1); 1, 2, 3: 12, 24, 48 dB/oct.
    enum Slope : std::int32_t { kSlope6 = 0, kSlope12 = 1, kSlope24 = 2, kSlope48 = 3 };

    static constexpr int kMaxSegmentLength = 32;
    static constexpr float kFrequencyTolerance = 0.1f;
    static constexpr float kPeakTolerance = 0.0002f;
    static constexpr float kEpsilon = 1.1920929e-7f;

    class FilterUnit : public wave::Component, public PropertyOwner {
    public:
        explicit FilterUnit(wave::Environment& environment);
        ~FilterUnit() override;

        Property<Response> response;
        Property<Slope> slope;

        // True for every unit of this library.
        virtual bool isFilterUnit() const { return true; }
        // Whether the unit offers the slope for its current response.
        virtual bool supportsSlope(int slope) const = 0;
        virtual void clearState() noexcept = 0;
        // One coefficient set for a segment, for a single filter.
        virtual void setCoefficients(int segment, float frequency, float peak, float gain) noexcept = 0;
        // Runs the unit over one block using the segment list.
        virtual void process(const float* in, float* out, int count) noexcept = 0;
        // Per-block set-up before any coefficient is computed.
        virtual void prepareBlock() noexcept = 0;

        void propertyChanged(AbstractProperty&) override {}

        // Segment lengths of the current block (summing to its count).
        int* segments() noexcept { return segments_.data(); }
        const int* segments() const noexcept { return segments_.data(); }
        int segmentCount() const noexcept { return segmentCount_; }
        void setSegmentCount(int count) noexcept { segmentCount_ = count; }

        // Clears the state when the stream did not continue (a reset since
        // the last block, or another position), then records the new end.
        void checkContinuity(int count) noexcept;

    private:
        std::vector<int> segments_;
        int segmentCount_ = 0;
        std::uint64_t endPosition_ = 0;
    };

    class ParallelFilterUnit : public FilterUnit {
    public:
        static constexpr int kLanes = 4;

        // How the lanes' coefficients follow the block's segments.
        enum class LaneSegments {
            // One cut list for all lanes (a cut wherever any active lane
            // cuts, measured from the common segment's start); each lane's
            // coefficients from every segment's first sample.
            kCommon,
            // Each lane keeps the cuts it has alone (the unit's list is the
            // union of them) and its coefficients from the first sample of
            // its own segment, and a lane whose filter nobody pulled in the
            // previous block starts clean (its own unit would not have run):
            // a lane gives bit for bit what its filter gives on a unit of its
            // own. The other filters are not marked computed by the first
            // one's run; each takes its block when it is pulled.
            kOwn,
        };

        explicit ParallelFilterUnit(wave::Environment& environment);
        ~ParallelFilterUnit() override;

        // Sets the lane count to 1 and computes lane 0.
        void setCoefficients(int segment, float frequency, float peak, float gain) noexcept override;

        // Two units that may be computed in one pass (the effect's two
        // filter positions; see GenericFilter::computeTogether): second
        // comes after this unit, and its lanes may read this unit's filters.
        void pairWith(ParallelFilterUnit* second) noexcept;
        // Whether this unit and other can run in one pass now (neither is
        // asked when the answer is false). None can, unless a unit says so.
        virtual bool canRunWith(const ParallelFilterUnit& other) const noexcept;
        // For a block whose segments and coefficients are computed: runs
        // this unit's lanes and other's in one pass. other's lanes trail by
        // trail samples (0, or PairKernels::kTrail when one of them reads this
        // unit: its lane outputs, or the mixes that mixes[lane] describes,
        // written as the pass goes).
        virtual void processTogether(ParallelFilterUnit& other, int count, int trail,
                                     const ChainMix mixes[kLanes]) noexcept;
        virtual void computeCoefficients(int lane, int segment, float frequency, float peak,
                                         float gain) noexcept = 0;
        // Runs all four lanes from laneInput(i) into laneOutput(i).
        virtual void processParallel(int count) noexcept = 0;
        virtual void resetLane(int lane) noexcept = 0;

        int laneCount() const noexcept { return laneCount_; }
        void setLaneCount(int lanes) noexcept { laneCount_ = lanes; }
        LaneSegments laneSegments() const noexcept { return laneSegments_; }
        void setLaneSegments(LaneSegments rule) noexcept { laneSegments_ = rule; }
        bool isLaneActive(int lane) const noexcept { return laneActive_[std::size_t(lane)]; }
        const float* laneInput(int lane) const noexcept { return laneInput_[std::size_t(lane)]; }
        wave::BasicBlock<float>& laneOutput(int lane) noexcept { return *laneOutput_[std::size_t(lane)]; }
        const std::vector<GenericFilter*>& filters() const noexcept { return filters_; }

    private:
        friend class GenericFilter;

        std::vector<GenericFilter*> filters_;
        int laneCount_ = 1;
        LaneSegments laneSegments_ = LaneSegments::kCommon;
        bool ran_ = false;           // ranBlock_ is valid
        std::uint32_t ranBlock_ = 0; // the environment block the lanes were last computed for
        ParallelFilterUnit* second_ = nullptr;
        ParallelFilterUnit* first_ = nullptr;

        bool ranIn(std::uint32_t block) const noexcept { return ran_ && ranBlock_ == block; }
        std::array<bool, kLanes> laneActive_{};
        std::array<bool, kLanes> laneWasActive_{};
        std::array<const float*, kLanes> laneInput_{};
        std::array<std::unique_ptr<wave::BasicBlock<float>>, kLanes> laneOutput_;
    };

    explicit GenericFilter(wave::Environment& environment);
    ~GenericFilter() override;

    // Control inputs (each replaceable by any producer through its bus).
    FloatParameterBus frequency; // log2 Hz, initial 20
    FloatParameterBus gain;      // [0, 63.095734], initial 1
    FloatParameterBus mix;       // [0, 1], initial 1
    FloatParameterBus peak;      // resonance, or signed gain of bell/shelves; initial 0

    Property<bool> peakMultiplierEnabled;
    Property<Response> response;
    Property<Slope> slope;

    void setPeakMultiplier(wave::Producer* producer) { peakMultiplier_ = producer; }
    wave::Producer* getPeakMultiplier() const { return peakMultiplier_; }
    void setMuteController(wave::MuteController* controller) { muteController_ = controller; }
    wave::MuteController* getMuteController() const { return muteController_; }

    // Leaves the shared unit (the other filters keep their order) and makes
    // unit the own unit.
    void setUnit(FilterUnit* unit);
    // Leaves the previous shared unit and joins shared (appended) when not
    // null. Nothing happens when shared is the unit the filter already has.
    // A lane that gets another filter (joining, or moving down because an
    // earlier filter left) starts from a cleared state.
    void setParallelUnit(ParallelFilterUnit* shared);
    FilterUnit* getUnit() const { return unit_; }
    ParallelFilterUnit* getParallelUnit() const { return shared_; }

    // Whether a unit ran for the current block.
    bool isActiveThisBlock() const { return active_; }

    // The caller will pull this filter and next in this block: when their
    // shared units are a pair (this one's unit first) and neither has run
    // yet, both are computed now in one pass. A lane of the second unit
    // whose filter reads a filter of the first takes that filter's output
    // from the pass, a few samples behind it. Otherwise nothing happens
    // (each unit runs when its filter is pulled). The filters' controls must
    // not read either unit's filters.
    void computeTogether(GenericFilter& next, int count) noexcept;

    void reset() override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

    void propertyChanged(AbstractProperty&) override {}

private:
    struct Controls {
        const float* frequency;
        const float* peak;
        const float* gain;
        const float* multiplier; // null: none
        const float* mix;
        bool frequencyConstant, peakConstant, gainConstant, mixConstant;
        bool allConstant; // frequency, peak, gain and the multiplier (if any) constant
        bool active;

        float frequencyAt(int i) const { return frequencyConstant ? frequency[0] : frequency[i]; }
        float peakAt(int i) const { return peakConstant ? peak[0] : peak[i]; }
        float gainAt(int i) const { return gainConstant ? gain[0] : gain[i]; }
        float shapedPeakAt(int i) const { return multiplier ? peakAt(i) * multiplier[i] : peakAt(i); }
        // Where the segment starting at start ends (exclusive), at most limit.
        int segmentEnd(int start, int limit) const;
    };

    // The inputs of a shared unit's lanes for one block.
    using LaneInputs = std::array<const wave::BasicBlock<float>*, ParallelFilterUnit::kLanes>;

    void gatherControls(int count);
    void leaveSharedUnit();
    void processOwn(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count);
    void processShared(int count);
    // The steps of a shared unit's block: pull the attached filters' inputs
    // and controls and set the lanes' activity (true when any lane runs);
    // cut the segments, check continuity, prepare and compute every active
    // lane's coefficients; after the unit ran, mix each filter and mark it
    // computed.
    // feeders[i] >= 0: lane i's filter reads lane feeders[i] of the unit
    // that runs before (its input is set by the caller, not pulled).
    static bool gatherLanes(ParallelFilterUnit& u, int count, LaneInputs& inputs,
                            const int* feeders = nullptr);
    static void prepareLanes(ParallelFilterUnit& u, int count);
    static void finishLanes(ParallelFilterUnit& u, const LaneInputs& inputs, int count);
    // Both units of a pair for one block; feeders as for gatherLanes.
    static void processPair(ParallelFilterUnit& a, ParallelFilterUnit& b, const int* feeders, int count);
    // The mix step: sets the current block from in and the unit's output.
    void applyMix(const wave::BasicBlock<float>& in, const wave::BasicBlock<float>& filtered,
                  wave::BasicBlock<float>* out, int count);

    Controls controls_{};
    bool active_ = false;
    // On a shared unit: the block the last run gave this filter (for
    // environment block mixedBlock_), and the environment block in which it
    // was last pulled (pulled_: ever).
    const wave::BasicBlock<float>* mixed_ = nullptr;
    std::uint32_t mixedBlock_ = 0;
    bool pulled_ = false;
    std::uint32_t pulledBlock_ = 0;
    wave::Producer* peakMultiplier_ = nullptr;
    wave::MuteController* muteController_ = nullptr;
    FilterUnit* unit_ = nullptr;
    ParallelFilterUnit* shared_ = nullptr;
};
