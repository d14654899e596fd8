#include "dsp/BlockKernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    float uniform(float lo, float hi) {
        state_ = state_ * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(state_ >> 8) * (1.0f / 16777216.0f);
    }

private:
    std::uint32_t state_;
};

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

// The cascade must give the bits of the sections run one after another, for
// every section count, block length (shorter than the pipeline included),
// segment layout, in place or not, and carry the same states out.
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
        }
    }
}

} // namespace
