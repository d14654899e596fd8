#include "dsp/VolumeFilter.h"

#include "dsp/BlockKernels.h"

#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
} // namespace

VolumeFilter::VolumeFilter(wave::Environment& environment, float initialGain)
    : wave::Filter(environment), ownGain_(environment, initialGain), gain_(&ownGain_) {}

void VolumeFilter::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept {
    if (mute_ != nullptr && mute_->isMuted()) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    wave::Filter::produce(block, count, mode);
}

void VolumeFilter::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                           wave::ProduceMode) noexcept {
    wave::Environment& e = getEnvironment();
    const wave::BasicBlock<float>& gain = gain_->pull(count);
    bool gainConstant = gain.isConstant();
    float g = gain.data()[0];
    if (gainConstant && std::fabs(g) <= kEpsilon) {
        setCurrentBlock(e.getZeroBlock());
        return;
    }
    const wave::BasicBlock<float>* gain2 = secondGain_ != nullptr ? &secondGain_->pull(count) : nullptr;
    if (gainConstant && std::fabs(g - 1.0f) <= kEpsilon) {
        if (gain2 == nullptr) {
            setCurrentBlock(in);
            return;
        }
        Kernels::multiply(in.data(), gain2->data(), out->data(), count);
        out->setConstant(in.isConstant() && gain2->isConstant());
        return;
    }
    if (gain2 != nullptr)
        Kernels::multiply(in.data(), gain.data(), gain2->data(), out->data(), count);
    else if (gainConstant)
        Kernels::scale(in.data(), g, out->data(), count);
    else
        Kernels::multiply(in.data(), gain.data(), out->data(), count);
    out->setConstant(in.isConstant() && gainConstant && (gain2 == nullptr || gain2->isConstant()));
}
