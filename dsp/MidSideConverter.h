#pragma once

// Left/right to mid/side and back, two inputs and two outputs computed
// together. Conversion 1: mid = (l + r) / 2 (computed as (r - l) * 0.5 + l),
// side = (r - l) / 2. Conversion 2: l = mid - side, r = mid + side.
// Conversion 0 hands the input blocks on unchanged.

#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

class MidSideConverter : public wave::MultiFilter {
public:
    enum Conversion { kNone = 0, kToMidSide = 1, kToLeftRight = 2 };

    explicit MidSideConverter(wave::Environment& environment, Conversion initial = kNone);

    Property<Conversion> conversion;

    void process(const wave::BasicBlock<float>** inputs, const wave::BasicBlock<float>** outputs, int count,
                 wave::ProduceMode mode) noexcept override;
};
