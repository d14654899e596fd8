// The effect's filter characteristics are module resources of the binaries
// that carry the effect: a characteristic whose resource were missing would
// quietly fall back to the default tables.

#include "dsp/FilterCharacteristics.h"
#include "foundation/ModuleResources.h"

#include <gtest/gtest.h>

TEST(FilterCharacteristicResources, EveryCharacteristicTheEffectLoadsIsAResource) {
    for (const FilterCharacteristicFile& characteristic : kFilterCharacteristics) {
        EXPECT_TRUE(resourceExists(characteristic.file)) << characteristic.file;
        EXPECT_NO_THROW(loadResource(characteristic.file)) << characteristic.file;
    }
}
