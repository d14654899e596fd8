#pragma once

// The audio side of a plug-in with a modulation matrix: a processor that is
// also the matrix owner (it builds and keeps the slot controller over its
// slot parameters), and feeds the editor the current value of every source
// and the current modulation depth of every target.
//
// Depths are sampled on the audio thread (collectChannelOutputs) at most 60
// times a second while the environment is display-active. The display
// snapshot (writeProcessorState, under the adapter lock that processing
// also takes) appends the depths and the source values as raw floats; once
// 250 ms pass without a new sampling both arrays are zeroed.

#include "foundation/IntervalTimer.h"
#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationMatrixOwner.h"
#include "plugin/GenericPluginProcessor.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <vector>

class ModMatrixParamController;

class ModulationMatrixProcessor : public GenericPluginProcessor, public ModulationMatrixOwner {
public:
    // Sampling stops counting as alive after this long without a new one.
    static constexpr std::uint32_t kDisplayTimeoutMs = 250;

    ModulationMatrixProcessor();
    ~ModulationMatrixProcessor() override;

    // Main thread, once the product built its matrix: attaches it (the slot
    // parameters write through it from now on) and sizes the display arrays.
    void installModulationMatrix(ModulationMatrix* matrix);

    // A source's display value (base: its producer's current value).
    virtual float getSourceValue(std::int32_t source);
    // out[i] = getSourceValue(i) for every source.
    virtual void collectSourceValues(float* out);

    bool writeProcessorState(std::ostream& stream) override;
    void collectChannelOutputs(const float** pointers, std::int32_t channels, std::int32_t count) override;

    const std::vector<float>& getTargetDepths() const { return targetDepths_; }
    const std::vector<float>& getSourceValues() const { return sourceValues_; }
    // Tests drive time by hand.
    void setDisplayTimer(std::unique_ptr<IntervalTimer> timer) { timer_ = std::move(timer); }

protected:
    // Builds the slot controller over the slot parameters: the product's
    // constructor calls it once it declared and set them up (main thread).
    void buildSlotController();

private:
    std::vector<float> targetDepths_;
    std::vector<float> sourceValues_;
    // Sample position (+1, so 0 means none) of the last depth sampling, and
    // the one the last snapshot saw.
    std::atomic<std::uint64_t> lastSampling_{0};
    std::uint64_t seenSampling_ = 0;
    std::unique_ptr<IntervalTimer> timer_;
    std::unique_ptr<ModMatrixParamController> slotController_;
};

// Reads the display values a snapshot appended: the targets' depths followed
// by the sources' values, numTargets + numSources raw floats; values a short
// stream lacks stay 0. Returns whether all were there.
bool readModulationDisplayValues(std::istream& stream, std::int32_t numTargets, std::int32_t numSources,
                                 std::vector<float>& out);
