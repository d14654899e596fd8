#include "modulation/ModulationMatrixProcessor.h"

#include "foundation/BinaryData.h"
#include "modulation/ModMatrixParamController.h"

#include <algorithm>
#include <istream>

namespace {
// Depths are sampled at most 60 times a second.
constexpr float kSamplingsPerSecond = 60.0f;
// Display values are limited to a sane count (a layout never comes close).
constexpr std::int32_t kMaxDisplayValues = 1 << 16;
} // namespace

ModulationMatrixProcessor::ModulationMatrixProcessor() : timer_(IntervalTimer::create()) {}

ModulationMatrixProcessor::~ModulationMatrixProcessor() = default;

void ModulationMatrixProcessor::installModulationMatrix(ModulationMatrix* matrix) {
    setModulationMatrix(matrix);
    const ModulationMatrixLayout& layout = getLayout();
    targetDepths_.assign(static_cast<std::size_t>(std::max(layout.numTargets, 0)), 0.0f);
    sourceValues_.assign(static_cast<std::size_t>(std::max(layout.numSources(), 0)), 0.0f);
}

void ModulationMatrixProcessor::buildSlotController() {
    slotController_ = ModMatrixParamController::createFor(*this);
}

float ModulationMatrixProcessor::getSourceValue(std::int32_t source) {
    ModulationMatrix* matrix = getModulationMatrix();
    wave::Producer* producer = matrix != nullptr ? matrix->sourceProducer(source, 0) : nullptr;
    return producer != nullptr ? producer->currentValue() : 0.0f;
}

void ModulationMatrixProcessor::collectSourceValues(float* out) {
    for (std::size_t i = 0; i < sourceValues_.size(); ++i)
        out[i] = getSourceValue(static_cast<std::int32_t>(i));
}

bool ModulationMatrixProcessor::writeProcessorState(std::ostream& stream) {
    bool ok = GenericPluginProcessor::writeProcessorState(stream);
    std::uint64_t sampling = lastSampling_.load();
    if (sampling != seenSampling_) {
        seenSampling_ = sampling;
        timer_->restart();
    } else if (seenSampling_ != 0 && timer_->elapsed() > kDisplayTimeoutMs) {
        // The audio thread stopped sampling: nothing is shown any more.
        seenSampling_ = 0;
        lastSampling_.store(0);
        std::fill(targetDepths_.begin(), targetDepths_.end(), 0.0f);
        std::fill(sourceValues_.begin(), sourceValues_.end(), 0.0f);
    }
    if (seenSampling_ != 0) collectSourceValues(sourceValues_.data());
    BinaryDataWriter writer(stream);
    for (float depth : targetDepths_)
        writer.writeFloat(depth);
    for (float value : sourceValues_)
        writer.writeFloat(value);
    return ok && stream.good();
}

void ModulationMatrixProcessor::collectChannelOutputs(const float** pointers, std::int32_t channels,
                                                      std::int32_t count) {
    GenericPluginProcessor::collectChannelOutputs(pointers, channels, count);
    ModulationMatrix* matrix = getModulationMatrix();
    wave::Environment& e = getEnvironment();
    if (matrix == nullptr || !e.isDisplayActive()) return;
    std::uint64_t position = e.getSamplePosition() + 1;
    std::uint64_t last = lastSampling_.load(std::memory_order_relaxed);
    auto interval = static_cast<std::uint64_t>(e.getSampleRate() / kSamplingsPerSecond);
    if (last != 0 && position - last < interval) return;
    std::int32_t targets = std::min(matrix->numTargets(), static_cast<std::int32_t>(targetDepths_.size()));
    for (std::int32_t t = 0; t < targets; ++t) {
        const ModulationMatrix::Target& target = matrix->getTarget(t);
        float base = target.mappedBaseValue();
        float modulated = base;
        if (wave::Producer* controller = matrix->existingTargetController(t)) {
            modulated = controller->currentValue();
        } else {
            wave::Producer& global = matrix->getGlobalProducer(t);
            if (global.isComputedThisBlock()) modulated = global.getCurrentBlock().data()[0];
        }
        targetDepths_[static_cast<std::size_t>(t)] =
            target.scale != 0.0f ? (modulated - base) / target.scale : 0.0f;
    }
    lastSampling_.store(position);
}

bool readModulationDisplayValues(std::istream& stream, std::int32_t numTargets, std::int32_t numSources,
                                 std::vector<float>& out) {
    std::int64_t total = std::int64_t(std::max(numTargets, 0)) + std::int64_t(std::max(numSources, 0));
    total = std::min<std::int64_t>(total, kMaxDisplayValues);
    out.assign(static_cast<std::size_t>(total), 0.0f);
    BinaryDataReader reader(stream);
    for (float& value : out) {
        float v = reader.readFloat();
        if (!reader.isGood()) return false;
        value = v;
    }
    return true;
}
