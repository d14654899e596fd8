#include "modulation/Mixer.h"

#include "dsp/Simd.h"

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

Mixer::Input::Input(Mixer& mixer) : gain(mixer.getEnvironment(), 1.0f), mixer(&mixer) {
    gain.setSourceListener(&mixer);
}

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
    }
    updateFastSum();
}

void Mixer::sourceChanged(FloatParameterBus&) {
    updateFastSum();
}

void Mixer::updateFastSum() {
    // Sized with the inputs (on the main thread); an update on the audio
    // thread only rewrites the entries.
    links_.resize(inputs_.size());
    for (std::size_t i = 0; i < inputs_.size(); ++i)
        links_[i] = {inputs_[i]->gain.getSource(), inputs_[i]->signal};
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
    // Every block is pulled first (in input order), then the sum is taken
    // term by term: y = t0, then y = y + tk, which is the order of the
    // written-out sum t0 + t1 + t2 + ...
    struct Term {
        const float* signal;
        const float* gain;
        bool gainConstant;
    };
    Term terms[kFastSumInputs];
    const wave::BasicBlock<float>* firstSignal = nullptr;
    int used = 0;
    bool constant = true;
    for (const Link& link : links_) {
        const wave::BasicBlock<float>& g = link.gain->pull(count);
        if (g.isConstant() && std::fabs(g.data()[0]) <= kEpsilon) continue;
        const wave::BasicBlock<float>& s = link.signal->pull(count);
        if (used == 0) firstSignal = &s;
        terms[used++] = {s.data(), g.data(), g.isConstant()};
        constant = constant && s.isConstant() && g.isConstant();
    }
    if (used == 0) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    if (used == 1 && terms[0].gainConstant && std::fabs(terms[0].gain[0] - 1.0f) <= kEpsilon) {
        setCurrentBlock(*firstSignal);
        return;
    }
    using V = simd::Native;
    const int n = roundUp4(count);
    float* y = block->data();
    for (int k = 0; k < used; ++k) {
        const Term& t = terms[k];
        const float* x = t.signal;
        if (t.gainConstant) {
            // A constant block holds its value in every sample.
            const V::F g = V::splat(t.gain[0]);
            if (k == 0)
                for (int i = 0; i < n; i += 4)
                    V::store(y + i, V::load(x + i) * g);
            else
                for (int i = 0; i < n; i += 4)
                    V::store(y + i, V::load(y + i) + V::load(x + i) * g);
        } else {
            const float* g = t.gain;
            if (k == 0)
                for (int i = 0; i < n; i += 4)
                    V::store(y + i, V::load(x + i) * V::load(g + i));
            else
                for (int i = 0; i < n; i += 4)
                    V::store(y + i, V::load(y + i) + V::load(x + i) * V::load(g + i));
        }
    }
    block->setConstant(constant);
}
