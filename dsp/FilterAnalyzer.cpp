#include "dsp/FilterAnalyzer.h"

FilterAnalyzer::FilterAnalyzer(wave::Environment& environment)
    : wave::Filter(environment), time(this, 20.0f), threshold(this, 0.005f) {
    propertyChanged(threshold);
    registerComponent();
}

void FilterAnalyzer::propertyChanged(AbstractProperty&) {
    const float t = threshold.getValue();
    reciprocal_ = t > 0.0f ? 1.0f / t : 0.0f;
}

void FilterAnalyzer::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                             wave::ProduceMode) noexcept {
    float k = 1.0f;
    const float denominator = getEnvironment().getSampleRate() * time.getValue();
    if (denominator > 1000.0f) k = 1000.0f / denominator;
    const float t = threshold.getValue();
    const bool alwaysOn = !(t > 0.0f);
    const float* x = in.data();
    float* o = out->data();
    float level = level_;
    const bool constantInput = in.isConstant();
    bool open = true;
    for (int i = 0; i < count; ++i) {
        level = level + ((constantInput ? x[0] : x[i]) - level) * k;
        const bool above = alwaysOn || level >= t;
        open = open && above;
        o[i] = above ? 1.0f : level * reciprocal_;
    }
    level_ = level;
    // Fully open (all 1) is the usual case: a constant block lets the
    // filters keep one coefficient set for the block.
    out->setConstant(open);
}
