#pragma once

// A small product-sized matrix for the tests: 24 slots whose levels are
// targets 83..106 (range -1..1), four sources with constant producers, and
// a few targets with groups:
//   source 0: type 0, its parameter is target 0
//   source 1: type 1, its parameter is target 1
//   source 2: type 1, unregistered (sums per target)
//   source 3: type 2
//   target 5: no group, range 0..1
//   target 6: group 1, range -1..1 x scale, defaultScale 2, type 1 scales 0.5
//   target 7: group 3, an audio target

#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/tests/ModulationFixtures.h"

#include <memory>

namespace test {

inline void fillTestLayout(ModulationMatrixLayout& layout) {
    initModulationMatrixLayout(layout);
    layout.firstSlotTarget = 83;
    layout.sources[0].type = 0;
    layout.sources[0].targets = {0};
    layout.sources[1].type = 1;
    layout.sources[1].targets = {1};
    layout.sources[2].type = 1;
    layout.sources[3].type = 2;
    auto& g1 = layout.targetGroups[1];
    g1.minFactor = -1.0f;
    g1.defaultScale = 2.0f;
    g1.sourceScales = {{1, 0.5f}};
    auto& levels = layout.targetGroups[2];
    levels.minFactor = -1.0f;
    layout.targetGroups[3].kind = ModulationMatrixLayout::kAudioTarget;
    layout.targetGroupOf[6] = &layout.targetGroups[1];
    layout.targetGroupOf[7] = &layout.targetGroups[3];
    for (int t = 83; t < 107; ++t)
        layout.targetGroupOf[static_cast<size_t>(t)] = &levels;
}

struct MatrixFixture {
    // adjust may change the layout before the matrix reads it.
    explicit MatrixFixture(void (*adjust)(ModulationMatrixLayout&) = nullptr) {
        fillTestLayout(layout);
        if (adjust != nullptr) adjust(layout);
        matrix = std::make_unique<ModulationMatrix>(e, layout);
        matrix->setSourceProducer(0, &source0, 0);
        matrix->setSourceProducer(1, &source1, 0);
        matrix->setSourceProducer(3, &source3, 0);
    }

    // slot: source -> target at level.
    void connect(int slot, int source, int target, float level) {
        auto& c = matrix->getController();
        c.setSource(slot, source);
        c.setTarget(slot, target);
        c.setLevel(slot, level);
    }
    std::vector<float> block(int target, int count = 8) {
        return runBlock(e, *matrix->targetProducer(target), count);
    }

    wave::Environment e;
    ModulationMatrixLayout layout;
    ConstantSource source0{e, 0.5f};
    ConstantSource source1{e, 0.25f};
    ConstantSource source3{e, -1.0f};
    std::unique_ptr<ModulationMatrix> matrix;
};

} // namespace test
