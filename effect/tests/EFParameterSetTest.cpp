#include "effect/EFParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

TEST(EFParameterSet, InputHasNoBlankInItsName) {
    VarnelTestOwner owner;
    EFParameterSet& ef = owner.p().efs[0];
    ASSERT_EQ(ef.getNumParameters(), 3);
    EXPECT_EQ(ef.input.getName(), "EF 1Input");
    EXPECT_EQ(ef.attack.getName(), "EF 1 Attack");
    EXPECT_EQ(ef.release.getName(), "EF 1 Release");
    EXPECT_EQ(owner.p().efs[3].input.getName(), "EF 4Input");
    EXPECT_EQ(ef.input.getValueNames(), (std::vector<std::string>{"Normal Input", "Side Chain"}));
    EXPECT_EQ(ef.attack.getTargetIndex(), 70);
    EXPECT_EQ(owner.p().efs[3].release.getTargetIndex(), 77);
}

TEST(EFParameterSet, TimesThroughTheFourteenPointTable) {
    VarnelTestOwner owner;
    EFParameterSet& ef = owner.p().efs[0];
    struct Case {
        const FloatPluginParameter* p;
        float minimum, maximum, defaultSeconds;
    };
    const Case cases[] = {{&ef.attack, 0.001f, 1.0f, 0.01f}, {&ef.release, 0.05f, 5.0f, 0.25f}};
    for (const Case& c : cases) {
        EXPECT_NEAR(c.p->normalizedToInternal(0.0f), c.minimum, 1e-7f);
        EXPECT_NEAR(c.p->normalizedToInternal(1.0f), c.maximum, 1e-6f);
        EXPECT_NEAR(c.p->normalizedToInternal(0.5f), c.minimum + 0.1f * (c.maximum - c.minimum), 1e-6f);
        EXPECT_NEAR(c.p->normalizedToInternal(c.p->getDefault()), c.defaultSeconds, 1e-6f);
        EXPECT_EQ(c.p->getValue(), c.p->getDefault());
        EXPECT_FALSE(c.p->getHelpText().empty());
    }
    EXPECT_EQ(ef.attack.formatValue(ef.attack.getDefault()).find("ms") != std::string::npos, true);
}

} // namespace
