#include "tools/demo/EchoReport.h"
#include "tools/demo/DemoSignal.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kStart = 4800;

std::vector<float> withEchoes(const std::vector<float>& click,
                              const std::vector<std::pair<uint32_t, float>>& echoes) {
    std::vector<float> output(kStart + 96000, 0.0f);
    for (size_t n = 0; n < click.size(); ++n)
        output[kStart + n] = click[n];
    for (const auto& [delay, gain] : echoes)
        for (size_t n = 0; n < click.size(); ++n)
            output[kStart + delay + n] += gain * click[n];
    return output;
}

EchoSearch search() {
    EchoSearch s;
    s.clickStart = kStart;
    s.searchFrames = 96000;
    return s;
}

TEST(EchoReport, FindsEachEchoAtItsDelayAndLevel) {
    const std::vector<float> click = makeClick(DemoSignal::kSeed, 0.8f);
    // 375 ms at half the amplitude (-6.02 dB), 750 ms at a quarter, and one
    // below the -60 dB floor.
    const auto output = withEchoes(click, {{18000, 0.5f}, {36000, 0.25f}, {54000, 0.0005f}});
    const std::vector<Echo> echoes = findEchoes(output, click, search());
    ASSERT_EQ(echoes.size(), 2u);
    EXPECT_NEAR(echoes[0].milliseconds, 375.0, 1e-9);
    EXPECT_NEAR(echoes[0].decibels, -6.0206, 1e-3);
    EXPECT_NEAR(echoes[1].milliseconds, 750.0, 1e-9);
    EXPECT_NEAR(echoes[1].decibels, -12.0412, 1e-3);
    EXPECT_EQ(formatEchoes(echoes), "375.0 ms -6.0 dB, 750.0 ms -12.0 dB");
    EXPECT_EQ(formatEchoes({}), "none");
    EXPECT_TRUE(findEchoes(withEchoes(click, {}), click, search()).empty());
}

TEST(EchoReport, TablesRoundTripAndCompareWithinTolerances) {
    const std::vector<std::vector<Echo>> a{{{375.0, -9.1}, {750.0, -18.2}, {1125.0, -58.0}}, {{500.0, -9.1}}};
    std::vector<std::vector<Echo>> read;
    ASSERT_TRUE(readEchoTable(writeEchoTable(a), read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_DOUBLE_EQ(read[0][1].decibels, -18.2);

    std::string why;
    EXPECT_TRUE(echoesAgree(a, read, EchoTolerance{}, why)) << why;
    struct Case {
        std::vector<std::vector<Echo>> b;
        bool agree;
    } cases[] = {
        {{{{375.05, -9.15}, {750.0, -18.2}}, {{500.0, -9.1}}}, true}, // the quiet echo needs no partner
        {{{{375.2, -9.1}, {750.0, -18.2}}, {{500.0, -9.1}}}, false},
        {{{{375.0, -9.3}, {750.0, -18.2}}, {{500.0, -9.1}}}, false},
        {{{{375.0, -9.1}, {750.0, -18.2}}, {}}, false},
        {{{{375.0, -9.1}, {750.0, -18.2}}, {{500.0, -9.1}, {1000.0, -18.2}}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(echoesAgree(a, c.b, EchoTolerance{}, why), c.agree) << why;
        EXPECT_EQ(echoesAgree(c.b, a, EchoTolerance{}, why), c.agree) << why;
    }
    // Any number survives the round trip, however long its text.
    ASSERT_TRUE(readEchoTable(writeEchoTable({{{1e200, -1e200}}}), read));
    EXPECT_DOUBLE_EQ(read[0][0].milliseconds, 1e200);
    for (const char* bad : {"0 375.0\n", "x 1 2\n", "0 1 2 3\n", "99 1 2\n"})
        EXPECT_FALSE(readEchoTable(bad, read)) << bad;
}

} // namespace
