#include "modulation/EnvelopeFollower.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
// ln(10): a one-pole smoother covers 90 % of a step in `length` samples with
// the coefficient 1 - exp(-ln(10) / length).
constexpr double kLn10 = 2.302585092994046;
constexpr float kInvSixty = 0.016666668f;

float coefficientFor(float length) {
    return static_cast<float>(1.0 - std::exp(-kLn10 / double(length)));
}
} // namespace

EnvelopeFollower::EnvelopeFollower(wave::Environment& environment)
    : wave::Filter(environment), attackTime(environment, 0.0005f), outputGain(environment, 1.0f),
      releaseTime(environment, 0.1f) {
    attackTime.getParameter().setLimits(0.0005f, 10.0f);
    outputGain.getParameter().setLimits(-2.0f, 2.0f);
    releaseTime.getParameter().setLimits(0.0005f, 10.0f);
    registerComponent();
}

void EnvelopeFollower::reset() {
    attackCoefficient_ = 0.0f;
    attackLength_ = -1.0f;
    releaseCoefficient_ = 0.0f;
    releaseLength_ = -1.0f;
    level_ = -180.0f;
}

void EnvelopeFollower::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                               wave::ProduceMode) noexcept {
    float* y = out->data();
    out->setConstant(false);
    if (count >= 1) {
        const float* x = in.data();
        const float* attack = attackTime.pull(count).data();
        const float* release = releaseTime.pull(count).data();
        const float rate = getEnvironment().getSampleRate();
        for (int i = 0; i < count; ++i) {
            float magnitude = std::fabs(x[i]);
            float l = magnitude <= 1e-10f ? -180.0f : std::max(20.0f * std::log10(magnitude), -180.0f);
            float d = std::max(l + 60.0f, 0.0f) - level_;
            float coefficient;
            if (d > 0.0f) {
                float length = attack[i] * rate;
                if (std::fabs(length - attackLength_) > kEpsilon) {
                    attackLength_ = length;
                    attackCoefficient_ = coefficientFor(length);
                }
                coefficient = attackCoefficient_;
            } else {
                float length = release[i] * rate;
                if (std::fabs(length - releaseLength_) > kEpsilon) {
                    releaseLength_ = length;
                    releaseCoefficient_ = coefficientFor(length);
                }
                coefficient = releaseCoefficient_;
            }
            level_ = level_ + coefficient * d;
            y[i] = level_ * kInvSixty;
        }
    }
    outputGain.applyGain(y, y, std::max(count, 0));
}
