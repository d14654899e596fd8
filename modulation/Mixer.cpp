#include "modulation/Mixer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kTiny = 1e-9f;
// The summing kernel serves at most this many inputs.
constexpr std::int32_t kFastSumInputs = 16;

int roundUp4(int count) {
    return (count + 3) & ~3;
}
} // namespace

Mixer::Input::Input(Mixer& mixer) : gain(mixer.getEnvironment(), 1.0f), mixer(&mixer) {}

Mixer::Mixer(wave::Environment& environment, std::int32_t count) : wave::Source(environment) {
    inputCount.setValue(std::max(count, 0));
    updateFastSum();
}

Mixer::~Mixer() = default;

void Mixer::setInputSignal(std::int32_t i, wave::Producer* signal) {
    if (i < 0 || i >= getNumInputs()) return;
    inputs_[static_cast<std::size_t>(i)]->signal = signal;
    updateFastSum();
}

void Mixer::setGainRange(float minimum, float maximum) {
    gainMinimum_ = minimum;
    gainMaximum_ = maximum;
    for (auto& input : inputs_)
        input->gain.getParameter().setLimits(minimum, maximum);
}

void Mixer::propertyChanged(AbstractProperty& property) {
    if (&property == &inputCount) {
        auto count = static_cast<std::size_t>(std::max(inputCount.getValue(), 0));
        if (inputs_.size() > count) inputs_.resize(count);
        while (inputs_.size() < count) {
            inputs_.push_back(std::make_unique<Input>(*this));
            inputs_.back()->gain.getParameter().setLimits(gainMinimum_, gainMaximum_);
        }
        signals_.assign(count, nullptr);
        signalBlocks_.assign(count, nullptr);
        gains_.assign(count, nullptr);
        constantGains_.assign(count, 0.0f);
        gainConstant_.assign(count, 0);
        signalConstant_.assign(count, 0);
    }
    updateFastSum();
}

void Mixer::updateFastSum() {
    std::int32_t count = getNumInputs();
    bool connected = std::all_of(inputs_.begin(), inputs_.end(), [](const auto& in) { return in->signal; });
    fastSum_ =
        count == 0 || (operation.getValue() == Operation::kAdd && count <= kFastSumInputs && connected);
}

void Mixer::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    if (fastSum_)
        produceFastSum(block, count);
    else
        produceGeneral(block, count);
}

void Mixer::produceGeneral(wave::BasicBlock<float>* block, int count) noexcept {
    const int n = roundUp4(count);
    float* y = block->data();
    bool first = true;
    const auto op = operation.getValue();
    for (auto& input : inputs_) {
        if (input->signal == nullptr) continue;
        const float* s = input->signal->pull(count).data();
        const float* g = input->gain.pull(count).data();
        if (first) {
            bool absolute = op == Operation::kMaxAbs || op == Operation::kRatioLimited ||
                            op == Operation::kRatio || op == Operation::kRatioKept;
            for (int i = 0; i < n; ++i)
                y[i] = absolute ? std::fabs(s[i]) * g[i] : s[i] * g[i];
            first = false;
            continue;
        }
        switch (op) {
        case Operation::kAdd:
            for (int i = 0; i < n; ++i)
                y[i] = y[i] + s[i] * g[i];
            break;
        case Operation::kSubtract:
            for (int i = 0; i < n; ++i)
                y[i] = y[i] - s[i] * g[i];
            break;
        case Operation::kMaxAbs:
            for (int i = 0; i < n; ++i)
                y[i] = std::max(y[i], std::fabs(s[i]) * g[i]);
            break;
        case Operation::kMultiply:
            for (int i = 0; i < n; ++i)
                y[i] = y[i] * (s[i] * g[i]);
            break;
        case Operation::kRatioLimited:
            for (int i = 0; i < n; ++i) {
                float x = std::fabs(s[i] * g[i]);
                float q = x != 0.0f ? y[i] / x : 0.0f;
                y[i] = (x == 0.0f || !(q >= 0.0f)) ? 0.0f : std::min(q, 1.0f);
            }
            break;
        case Operation::kRatio:
            for (int i = 0; i < n; ++i)
                y[i] = std::max(y[i], kTiny) / std::max(std::fabs(s[i] * g[i]), kTiny);
            break;
        case Operation::kRatioKept:
            // Where the divisor vanishes the ratio of the same lane of the
            // previous group of four stands (the kept ratio for the first).
            for (int i = 0; i < n; ++i) {
                float x = std::fabs(s[i] * g[i]);
                float kept = i >= 4 ? y[i - 4] : keptRatio_;
                y[i] = x > kTiny ? y[i] / std::max(x, kTiny) : kept;
            }
            break;
        case Operation::kMax:
            for (int i = 0; i < n; ++i)
                y[i] = std::max(y[i], s[i] * g[i]);
            break;
        case Operation::kMin:
            for (int i = 0; i < n; ++i)
                y[i] = std::min(y[i], s[i] * g[i]);
            break;
        default:
            break; // the first input's result stands
        }
    }
    if (first) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    if (op == Operation::kRatioKept && n > 0) keptRatio_ = y[n - 4];
    block->setConstant(false);
}

void Mixer::produceFastSum(wave::BasicBlock<float>* block, int count) noexcept {
    const int n = roundUp4(count);
    used_ = 0;
    bool constant = true;
    for (auto& input : inputs_) {
        const wave::BasicBlock<float>& g = input->gain.pull(count);
        if (g.isConstant() && std::fabs(g.data()[0]) <= kEpsilon) continue;
        const wave::BasicBlock<float>& s = input->signal->pull(count);
        auto k = static_cast<std::size_t>(used_++);
        signals_[k] = s.data();
        signalBlocks_[k] = &s;
        gains_[k] = g.data();
        gainConstant_[k] = g.isConstant() ? 1 : 0;
        signalConstant_[k] = s.isConstant() ? 1 : 0;
        constantGains_[k] = g.data()[0];
        constant = constant && s.isConstant() && g.isConstant();
    }
    if (used_ == 0) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    float* y = block->data();
    auto term = [&](std::size_t k, int i) {
        return gainConstant_[k] ? signals_[k][i] * constantGains_[k] : signals_[k][i] * gains_[k][i];
    };
    if (used_ == 1) {
        if (gainConstant_[0] && std::fabs(constantGains_[0] - 1.0f) <= kEpsilon) {
            setCurrentBlock(*signalBlocks_[0]);
            return;
        }
        for (int i = 0; i < n; ++i)
            y[i] = term(0, i);
    } else if (used_ == 2) {
        if (gainConstant_[0] && gainConstant_[1] && constantGains_[0] == 1.0f && constantGains_[1] == 1.0f)
            for (int i = 0; i < n; ++i)
                y[i] = signals_[0][i] + signals_[1][i];
        else
            for (int i = 0; i < n; ++i)
                y[i] = term(0, i) + term(1, i);
    } else {
        for (int i = 0; i < n; ++i)
            y[i] = term(0, i) + term(1, i) + term(2, i);
        std::size_t k = 3;
        auto used = static_cast<std::size_t>(used_);
        for (; k + 3 <= used; k += 3)
            for (int i = 0; i < n; ++i)
                y[i] = y[i] + term(k, i) + term(k + 1, i) + term(k + 2, i);
        for (; k < used; ++k)
            for (int i = 0; i < n; ++i)
                y[i] = y[i] + term(k, i);
    }
    block->setConstant(constant);
}
