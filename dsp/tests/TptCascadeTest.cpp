#include "dsp/BlockKernels.h"

#include "dsp/tests/KernelFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

using test::Lcg;

// Segment layouts for a block of count samples (zero-length segments included,
// which take a coefficient record of their own but no sample).
std::vector<std::vector<int>> layouts(int count) {
    std::vector<std::vector<int>> all;
    all.push_back({count});
    all.push_back(std::vector<int>(std::size_t(count), 1));
    if (count > 1) {
        all.push_back({1, count - 1});
        all.push_back({count - 1, 0, 1});
        all.push_back({0, count / 2, 0, 0, count - count / 2});
    }
    if (count > 7) all.push_back({3, 2, 1, count - 6});
    return all;
}

template <class K>
void expectSameAsSectionsInSequence(const std::vector<float>& input, const std::vector<int>& segments,
                                    int sections, bool inPlace, const std::string& what) {
    const int count = int(input.size());
    const int records = int(segments.size());
    Lcg rng(std::uint32_t(count * 131 + sections * 17 + records));
    // Two blocks in a row with the same layout, so that the state carried
    // between blocks is checked as well as the state carried out.
    std::vector<std::vector<TptSection>> coefficients(static_cast<std::size_t>(sections));
    std::vector<const TptSection*> c(static_cast<std::size_t>(sections));
    for (int j = 0; j < sections; ++j) {
        for (int s = 0; s < records; ++s) {
            float g = rng.uniform(0.01f, 3.0f);
            float r = rng.uniform(0.05f, 2.0f);
            coefficients[j].push_back(TptSection{g, 2.0f * r + g, rng.uniform(-1.0f, 1.0f),
                                                 rng.uniform(-1.0f, 1.0f), rng.uniform(-1.0f, 1.0f)});
        }
        c[j] = coefficients[j].data();
    }
    std::vector<float> s1(static_cast<std::size_t>(sections)), s2(static_cast<std::size_t>(sections));
    for (int j = 0; j < sections; ++j) {
        s1[j] = rng.uniform(-0.5f, 0.5f);
        s2[j] = rng.uniform(-0.5f, 0.5f);
    }
    std::vector<float> r1 = s1, r2 = s2;

    for (int block = 0; block < 2; ++block) {
        std::vector<float> expected = input;
        for (int j = 0; j < sections; ++j)
            K::tptSvf(expected.data(), expected.data(), count, segments.data(), c[j], r1[j], r2[j]);

        std::vector<float> in = input;
        std::vector<float> separate(std::size_t(count) + 1, 12345.0f);
        float* out = inPlace ? in.data() : separate.data();
        K::tptSvfCascade(in.data(), out, count, segments.data(), c.data(), sections, s1.data(), s2.data());

        ASSERT_EQ(0, std::memcmp(expected.data(), out, std::size_t(count) * sizeof(float)))
            << what << " block " << block;
        if (!inPlace) {
            EXPECT_EQ(12345.0f, separate[std::size_t(count)]) << what;
            EXPECT_EQ(0, std::memcmp(input.data(), in.data(), std::size_t(count) * sizeof(float))) << what;
        }
        ASSERT_EQ(0, std::memcmp(r1.data(), s1.data(), s1.size() * sizeof(float))) << what;
        ASSERT_EQ(0, std::memcmp(r2.data(), s2.data(), s2.size() * sizeof(float))) << what;
    }
}

// Four lanes: the one-pass cascade against tptSvf4 run once per section.
template <class K>
void expectFourLanesSameAsSectionsInSequence(const std::vector<float>& input,
                                             const std::vector<int>& segments, int sections,
                                             const std::string& what) {
    const int count = int(input.size());
    const int records = int(segments.size());
    Lcg rng(std::uint32_t(count * 77 + sections * 5 + records));
    std::vector<std::vector<TptSection4>> coefficients(static_cast<std::size_t>(sections));
    std::vector<const TptSection4*> c(static_cast<std::size_t>(sections));
    for (int j = 0; j < sections; ++j) {
        for (int s = 0; s < records; ++s) {
            TptSection4 r{};
            for (int lane = 0; lane < 4; ++lane) {
                r.g[lane] = rng.uniform(0.01f, 3.0f);
                r.k[lane] = 2.0f * rng.uniform(0.05f, 2.0f) + r.g[lane];
                r.low[lane] = rng.uniform(-1.0f, 1.0f);
                r.band[lane] = rng.uniform(-1.0f, 1.0f);
                r.high[lane] = rng.uniform(-1.0f, 1.0f);
            }
            coefficients[std::size_t(j)].push_back(r);
        }
        c[std::size_t(j)] = coefficients[std::size_t(j)].data();
    }
    std::vector<float> s1(std::size_t(4 * sections)), s2(std::size_t(4 * sections));
    for (std::size_t i = 0; i < s1.size(); ++i) {
        s1[i] = rng.uniform(-0.5f, 0.5f);
        s2[i] = rng.uniform(-0.5f, 0.5f);
    }
    std::vector<float> r1 = s1, r2 = s2;
    // Lane l plays the input scaled by l + 1.
    std::vector<float> lanes[4], expected[4], actual[4];
    for (int lane = 0; lane < 4; ++lane) {
        for (float x : input)
            lanes[lane].push_back(x * float(lane + 1));
    }
    for (int block = 0; block < 2; ++block) {
        const float* in[4];
        float* e[4];
        float* a[4];
        for (int lane = 0; lane < 4; ++lane) {
            expected[lane] = lanes[lane];
            actual[lane].assign(input.size(), 12345.0f);
            in[lane] = lanes[lane].data();
            e[lane] = expected[lane].data();
            a[lane] = actual[lane].data();
        }
        for (int j = 0; j < sections; ++j)
            K::tptSvf4(e, e, count, segments.data(), c[std::size_t(j)], &r1[std::size_t(4 * j)],
                       &r2[std::size_t(4 * j)]);
        K::tptSvfCascade4(TptCascadeLanes{in, a, segments.data(), c.data(), sections, s1.data(), s2.data()},
                          count);
        for (int lane = 0; lane < 4; ++lane)
            ASSERT_EQ(0, std::memcmp(e[lane], a[lane], std::size_t(count) * sizeof(float)))
                << what << " lane " << lane << " block " << block;
        ASSERT_EQ(0, std::memcmp(r1.data(), s1.data(), s1.size() * sizeof(float))) << what;
        ASSERT_EQ(0, std::memcmp(r2.data(), s2.data(), s2.size() * sizeof(float))) << what;
    }
}

// The cascade must give the bits of the sections run one after another, for
// every section count, block length (shorter than the pipeline included),
// segment layout, in place or not, and carry the same states out; and so
// must the four-lane cascade.
TEST(TptCascade, BitIdenticalToSectionsInSequence) {
    simd::ScopedControlWord csr;
    for (int count : {1, 2, 3, 7, 8, 9, 31, 128, 257}) {
        Lcg rng(static_cast<std::uint32_t>(count));
        std::vector<float> input(static_cast<std::size_t>(count));
        for (float& x : input)
            x = rng.uniform(-1.0f, 1.0f);
        if (count > 4) {
            input[1] = 1e-39f; // subnormal
            input[3] = -0.0f;
        }
        for (const auto& segments : layouts(count)) {
            ASSERT_EQ(count, std::accumulate(segments.begin(), segments.end(), 0));
            for (int sections = 1; sections <= Kernels::kMaxCascade; ++sections) {
                for (bool inPlace : {false, true}) {
                    std::string what = "count " + std::to_string(count) + " segments " +
                                       std::to_string(segments.size()) + " sections " +
                                       std::to_string(sections) + (inPlace ? " in place" : "");
                    expectSameAsSectionsInSequence<Kernels>(input, segments, sections, inPlace, what);
                    expectSameAsSectionsInSequence<ScalarKernels>(input, segments, sections, inPlace,
                                                                  "scalar " + what);
                }
            }
            for (int sections = 1; sections <= 4; ++sections) {
                std::string what = "four lanes, count " + std::to_string(count) + " segments " +
                                   std::to_string(segments.size()) + " sections " + std::to_string(sections);
                expectFourLanesSameAsSectionsInSequence<Kernels>(input, segments, sections, what);
                expectFourLanesSameAsSectionsInSequence<ScalarKernels>(input, segments, sections,
                                                                       "scalar " + what);
            }
        }
    }
}

} // namespace
