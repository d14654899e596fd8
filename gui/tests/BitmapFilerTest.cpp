#include "gui/BitmapFiler.h"

#include "gui/EBitmap.h"

#include <gtest/gtest.h>

#include <sstream>

namespace gui {
namespace {

class NoFactory : public BitmapFilerFactory {
public:
    BitmapFiler* createFiler(Bitmap&, std::istream&) override { return nullptr; }
};

TEST(BitmapFiler, FactoriesInRegistrationOrder) {
    NoFactory first, second;
    const std::size_t before = bitmapFilerFactories().size();
    registerBitmapFilerFactory(&first);
    registerBitmapFilerFactory(&second);
    registerBitmapFilerFactory(&first); // once only
    registerBitmapFilerFactory(nullptr);
    ASSERT_EQ(bitmapFilerFactories().size(), before + 2);
    EXPECT_EQ(bitmapFilerFactories()[before], &first);
    EXPECT_EQ(bitmapFilerFactories()[before + 1], &second);
    unregisterBitmapFilerFactory(&first);
    unregisterBitmapFilerFactory(&second);
    EXPECT_EQ(bitmapFilerFactories().size(), before);
}

TEST(BitmapFiler, ErrorsCarryTheirMessage) {
    try {
        throw EBitmap(std::string("Unknown file format"));
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unknown file format");
    }
    const EBitmap copy = EBitmap("Truncated");
    EXPECT_STREQ(EBitmap(copy).what(), "Truncated");
}

} // namespace
} // namespace gui
