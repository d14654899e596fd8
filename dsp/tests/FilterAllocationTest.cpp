#include "dsp/BiQuadFilter.h"
#include "dsp/FilterAnalyzer.h"
#include "dsp/MultiDesignFilter.h"
#include "dsp/SimdPath.h"
#include "dsp/tests/FilterFixtures.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <memory>

using namespace test;

// Processing and switching characteristic, response and slope (to and from
// the biquad) allocate nothing once the graph is built: one position alone,
// and a second position paired with it and reading its filters (both run in
// one pass), on each kernel path.
TEST(FilterAllocation, ProcessingAndSwitchingAllocateNothing) {
    wave::Environment env;
    env.setSampleRate(48000.0f);
    MultiDesignFilter::Style list;
    for (const char* file : {"Prime.fil", "Gentle.fil", "Metal.fil"})
        list.add(std::make_unique<DesignFilter::Style>(file, 1.0f));
    MultiDesignFilter::ParallelUnit position(env, list), next(env, list);
    position.pairWith(next);

    FunctionSource level(env, [](long n) { return n % 3000 < 1500 ? 0.01f : 0.0f; });
    FilterAnalyzer analyzer(env);
    analyzer.setInput(&level);
    FunctionSource frequency(env, [](long n) { return 9.0f + float(n % 500) * 0.01f; });

    std::vector<std::unique_ptr<FunctionSource>> inputs;
    std::vector<std::unique_ptr<MultiDesignFilter>> filters;
    for (int i = 0; i < 4; ++i) {
        inputs.push_back(std::make_unique<FunctionSource>(env, sine(200.0 + 100.0 * i, 48000.0, 0.3)));
        auto f = std::make_unique<MultiDesignFilter>(position);
        f->appendSlot(std::make_unique<BiQuadFilter>(env), nullptr, -1);
        f->setInput(inputs.back().get());
        f->setPeakMultiplier(&analyzer);
        f->peakMultiplierEnabled.setValue(true);
        f->frequency.setSource(&frequency);
        f->chooseDesign();
        filters.push_back(std::move(f));
    }
    // The paired position's filters, each reading one of the first's.
    std::vector<std::unique_ptr<MultiDesignFilter>> readers;
    for (int i = 0; i < 4; ++i) {
        auto f = std::make_unique<MultiDesignFilter>(next);
        f->appendSlot(nullptr, &next.biquadUnit(), -1);
        f->setInput(filters[std::size_t(i)].get());
        f->chooseDesign();
        readers.push_back(std::move(f));
    }
    auto run = [&](int blocks) {
        for (int b = 0; b < blocks; ++b) {
            env.nextBlock();
            filters[0]->computeTogether(*readers[0], 128);
            for (auto& f : readers)
                f->pull(128);
            for (auto& f : filters)
                f->pull(128);
            env.process(128, 0);
        }
    };
    run(4);

    const simd::Path chosen = simd::activePath();
    AllocationCounter counter;
    for (simd::Path path : {simd::Path::kSse2, simd::Path::kAvx2}) {
        simd::forcePath(path);
        run(10);
        for (int index : {1, 3, 2, 0, 3, 1})
            for (auto* list : {&filters, &readers})
                for (auto& f : *list) {
                    f->characteristicIndex.setValue(index);
                    run(1);
                }
        for (int response : {1, 2, 9, 4, 0}) {
            for (int slope : {0, 1, 2, 3}) {
                for (auto* list : {&filters, &readers})
                    for (auto& f : *list) {
                        f->response.setValue(GenericFilter::Response(response));
                        f->slope.setValue(GenericFilter::Slope(slope));
                    }
                run(2);
            }
        }
        filters[2]->characteristicIndex.setValue(3); // the biquad slot
        filters[2]->peak.setValue(0.9f);
        run(20);
        env.reset(wave::Environment::kResetLight);
        run(2);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    simd::forcePath(chosen);
}
