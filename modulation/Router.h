#pragma once

// Router: several inputs, one selected. A new selection crossfades the
// inputs' amounts over the crossfade time; once only one input counts at
// unity, its block is passed on without copying (pass-through) until the
// next change.
//
// A new router starts on input 0 at once (gain 1 on input 0, 0 on the
// others). In pass-through a pull of the router is a pull of its input
// (wave::Producer::setForward): the settled amounts are not advanced, which
// changes nothing, as every selection glides over the crossfade time given,
// whenever the amounts were last rendered.
//
// Threading: the inputs are created with the router; the selection may
// change on the audio thread; produce allocates nothing.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <cstdint>
#include <memory>
#include <vector>

class Router : public wave::Source, public PropertyOwner {
public:
    class Input {
    public:
        explicit Input(wave::Environment& environment) : amount(environment, 1.0f) {}
        FloatParameter amount;
        wave::Producer* producer = nullptr;
    };

    Router(wave::Environment& environment, std::int32_t inputCount);
    ~Router() override;

    Property<std::int32_t> selectedInput{this, 0};
    // Milliseconds.
    Property<float> crossfadeTime{this, 20.0f};

    std::int32_t getNumInputs() const { return static_cast<std::int32_t>(inputs_.size()); }
    Input& getInput(std::int32_t i) { return *inputs_[static_cast<std::size_t>(i)]; }
    // Connects a producer (null disconnects); an index outside the inputs is ignored.
    void setInputProducer(std::int32_t i, wave::Producer* producer);
    wave::Producer* getPassThrough() const { return passThrough_; }

    void propertyChanged(AbstractProperty& property) override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    void applySelection(float timeMs);
    void setPassThrough(wave::Producer* producer);

    std::vector<std::unique_ptr<Input>> inputs_;
    wave::Producer* passThrough_ = nullptr;
};
