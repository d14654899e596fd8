#include "dsp/MidSideConverter.h"

#include "dsp/BlockKernels.h"

MidSideConverter::MidSideConverter(wave::Environment& environment, Conversion initial)
    : wave::MultiFilter(environment, 2), conversion(nullptr, initial) {}

void MidSideConverter::process(const wave::BasicBlock<float>** inputs,
                               const wave::BasicBlock<float>** outputs, int count,
                               wave::ProduceMode) noexcept {
    Conversion c = conversion.getValue();
    if (c != kToMidSide && c != kToLeftRight) {
        outputs[0] = inputs[0];
        outputs[1] = inputs[1];
        return;
    }
    wave::BasicBlock<float>& out0 = getOutputBlock(0);
    wave::BasicBlock<float>& out1 = getOutputBlock(1);
    if (c == kToMidSide)
        Kernels::midSideEncode(inputs[0]->data(), inputs[1]->data(), out0.data(), out1.data(), count);
    else
        Kernels::midSideDecode(inputs[0]->data(), inputs[1]->data(), out0.data(), out1.data(), count);
    bool constant = inputs[0]->isConstant() && inputs[1]->isConstant();
    out0.setConstant(constant);
    out1.setConstant(constant);
}
