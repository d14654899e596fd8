#pragma once

// Mixer: any number of inputs, each with a smoothed gain, combined block by
// block by a selectable operation. With operation 0 and every input
// connected (at most 16), a summing kernel skips silent inputs and passes a
// single unity-gain input on without copying.
//
// Threading: the input count and the gain range change on the main thread
// (inputs are created and deleted there); the operation may change on the
// audio thread; produce runs there and allocates nothing.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <cstdint>
#include <memory>
#include <vector>

class Mixer : public wave::Source, public PropertyOwner, private FloatParameterBus::SourceListener {
public:
    // How input k >= 2 combines into the running output y (x = signal x gain).
    enum class Operation : std::int32_t {
        kAdd = 0,          // y + x
        kSubtract = 1,     // y - x
        kMaxAbs = 2,       // max(y, |s| g)
        kMultiply = 3,     // y x
        kRatioLimited = 4, // y / |x| in [0, 1]
        kRatio = 5,        // max(y, 1e-9) / max(|x|, 1e-9)
        kRatioKept = 6,    // y / |x|, the previous ratio where x vanishes
        kMax = 7,
        kMin = 8,
    };

    class Input {
    public:
        Input(Mixer& mixer);
        FloatParameterBus gain;
        wave::Producer* signal = nullptr;
        Mixer* mixer;
    };

    Mixer(wave::Environment& environment, std::int32_t inputCount);
    ~Mixer() override;

    Property<std::int32_t> inputCount{this, 0};
    Property<Operation> operation{this, Operation::kAdd};

    std::int32_t getNumInputs() const { return static_cast<std::int32_t>(inputs_.size()); }
    Input& getInput(std::int32_t i) { return *inputs_[static_cast<std::size_t>(i)]; }
    // Connects a signal (null disconnects); an index outside the inputs is ignored.
    void setInputSignal(std::int32_t i, wave::Producer* signal);
    // The range of every input's gain (existing gains are clamped into it).
    void setGainRange(float minimum, float maximum);
    float getKeptRatio() const { return keptRatio_; }
    bool isFastSum() const { return fastSum_; }

    void propertyChanged(AbstractProperty& property) override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    // Each input's gain source and signal, side by side for the summing
    // kernel (kept in step with the inputs by updateFastSum()).
    struct Link {
        wave::Producer* gain;
        wave::Producer* signal;
    };

    void produceGeneral(wave::BasicBlock<float>* block, int count) noexcept;
    void produceFastSum(wave::BasicBlock<float>* block, int count) noexcept;
    void updateFastSum();
    void sourceChanged(FloatParameterBus& bus) override;

    std::vector<std::unique_ptr<Input>> inputs_;
    std::vector<Link> links_;
    float gainMinimum_ = 0.0f;
    float gainMaximum_ = 1.0f;
    float keptRatio_ = 1.0f;
    bool fastSum_ = true;
};
