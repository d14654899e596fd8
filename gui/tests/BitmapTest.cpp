#include "gui/Bitmap.h"

#include "foundation/SystemUtils.h"
#include "gui/BitmapResampler.h"
#include "gui/EBitmap.h"
#include "gui/PixelArithmetic.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace gui {
namespace {

constexpr std::uint32_t kTransparent = 0xFF000000u;

std::vector<std::uint32_t> pixelsOf(const Bitmap& bitmap) {
    const std::uint32_t* p = bitmap.getPixels();
    if (p == nullptr) return {};
    return std::vector<std::uint32_t>(p, p + std::size_t(bitmap.pixelWidth()) * std::size_t(bitmap.pixelHeight()));
}

struct Backing {
    explicit Backing(float scale) { backing.setSystemScale(scale); }
    DeviceBacking backing;
};

std::vector<PixelRect> changedRects(const Bitmap& bitmap) {
    const PixelRect* rects = nullptr;
    int count = 0;
    bitmap.getChangedRects(rects, count);
    return std::vector<PixelRect>(rects, rects + count);
}

TEST(Bitmap, LoadPicksTheVariantByScaleAndFitsIt) {
    const std::uint32_t red = 0x000000FFu << 16, green = 0x0000FF00u;
    const struct {
        float scale;
        const char* name;
        int width, height;
        float sourceScale;
        std::uint32_t colour;
        bool sourceIsPixels;
    } cases[] = {
        {1.0f, "ModelBoth.png", 10, 6, 1.0f, red, true},
        {1.0f, "modelboth", 10, 6, 1.0f, red, true},
        {1.25f, "MODELBOTH.BMP", 13, 8, 2.0f, green, false}, // r = 0.625, filtered
        {2.0f, "ModelBoth.png", 20, 12, 2.0f, green, true},
        {3.0f, "ModelBoth", 30, 18, 2.0f, green, false}, // 2 to 3
        {2.0f, "ModelPlain.png", 10, 10, 1.0f, 0, false}, // only plain: nearest
        {1.0f, "ModelOdd.png", 51, 26, 2.0f, 0, false},   // floor(50.5 + 0.7), floor(25.5 + 0.7)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " at " << c.scale);
        Backing backing(c.scale);
        ASSERT_FLOAT_EQ(backing.backing.getScale(), c.scale);
        Bitmap bitmap(backing.backing);
        bitmap.load(c.name);
        EXPECT_EQ(bitmap.pixelWidth(), c.width);
        EXPECT_EQ(bitmap.pixelHeight(), c.height);
        EXPECT_EQ(bitmap.getSourceScale(), c.sourceScale);
        EXPECT_FALSE(bitmap.transparent.getValue() && c.colour != 0);
        if (c.colour != 0) {
            for (std::uint32_t p : pixelsOf(bitmap))
                ASSERT_EQ(p, c.colour);
        }
        EXPECT_NEAR(bitmap.width.getValue() * c.scale, c.width, 0.7f);
    }
}

TEST(Bitmap, EnlargingAndShrinkingUseNearestNeighbourWhereNoFilterApplies) {
    Backing plain(1.0f), doubled(2.0f);
    Bitmap source(plain.backing), enlarged(doubled.backing);
    source.load("ModelPlain");
    enlarged.load("ModelPlain");
    ASSERT_EQ(enlarged.pixelWidth(), 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(enlarged.getPixels()[y * 10 + x], source.getPixels()[(y / 2) * 5 + x / 2]);

    Backing twice(2.0f);
    Bitmap full(twice.backing), odd(plain.backing);
    full.load("ModelOdd");
    odd.load("ModelOdd");
    ASSERT_EQ(full.pixelWidth(), 101);
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 51; ++x)
            ASSERT_EQ(odd.getPixels()[y * 51 + x], full.getPixels()[(y * 51 / 26) * 101 + x * 101 / 51]);
}

TEST(Bitmap, MissingAndUnreadableResourcesThrow) {
    Backing backing(1.0f);
    Bitmap bitmap(backing.backing);
    try {
        bitmap.load("NoSuchImage.png");
        FAIL() << "no exception";
    } catch (const EResource& error) {
        EXPECT_STREQ(error.what(), "Resource not found");
    }
    try {
        bitmap.load("ModelText.png");
        FAIL() << "no exception";
    } catch (const EBitmap& error) {
        EXPECT_STREQ(error.what(), "Unknown file format");
    }
    // A stream shorter than a signature is no format either.
    std::istringstream tiny("ab");
    EXPECT_THROW(bitmap.read(tiny), EBitmap);
}

// Each refit of the loaded image equals a fresh load at that scale, and the
// source survives every step (run under ASan). The image has only a "_2x"
// variant: a refit never switches variants.
TEST(Bitmap, RefittingAcrossScalesEqualsAFreshLoad) {
    Backing backing(1.0f);
    Bitmap bitmap(backing.backing);
    bitmap.load("ModelOdd");
    int events = 0;
    bitmap.changeEvent.addHandler(NotifyEvent::bind([&events] { ++events; }));
    for (float scale : {1.25f, 2.0f, 3.0f, 1.75f, 1.0f, 2.25f, 1.5f}) {
        SCOPED_TRACE(scale);
        int before = events;
        backing.backing.setSystemScale(scale);
        ASSERT_FLOAT_EQ(backing.backing.getScale(), scale);
        EXPECT_EQ(events, before + 1);
        Backing fresh(scale);
        Bitmap reference(fresh.backing);
        reference.load("ModelOdd");
        EXPECT_EQ(bitmap.pixelWidth(), reference.pixelWidth());
        EXPECT_EQ(bitmap.pixelHeight(), reference.pixelHeight());
        EXPECT_EQ(pixelsOf(bitmap), pixelsOf(reference));
        EXPECT_FLOAT_EQ(bitmap.width.getValue(), 50.5f);
        EXPECT_FLOAT_EQ(bitmap.height.getValue(), 25.5f);
    }
}

TEST(Bitmap, SizesSaturateToAnEmptyBitmapInsteadOfThrowing) {
    Backing backing(1.5f);
    Bitmap bitmap(backing.backing);
    bitmap.setSize(10.0f, 4.0f);
    EXPECT_EQ(bitmap.pixelWidth(), 15); // floor(15 + 0.7)
    EXPECT_EQ(bitmap.pixelHeight(), 6);
    for (std::uint32_t p : pixelsOf(bitmap))
        ASSERT_EQ(p, kTransparent);
    const struct {
        int w, h;
    } refused[] = {{0, 5}, {5, 0}, {-1, 5}, {16385, 1}, {16384, 4097}, {std::numeric_limits<int>::max(), 2}};
    for (const auto& r : refused) {
        bitmap.resize(4, 4);
        bitmap.resize(r.w, r.h);
        EXPECT_EQ(bitmap.pixelWidth(), 0);
        EXPECT_EQ(bitmap.getPixels(), nullptr);
    }
    bitmap.setSize(std::numeric_limits<float>::quiet_NaN(), 1e30f);
    EXPECT_EQ(bitmap.pixelWidth(), 0);
    bitmap.size.setValue(Point(3.0f, 2.0f));
    EXPECT_EQ(bitmap.pixelWidth(), 5);
    EXPECT_EQ(bitmap.pixelHeight(), 3);
    bitmap.width.setValue(4.0f);
    EXPECT_EQ(bitmap.pixelWidth(), 6);
    EXPECT_EQ(bitmap.pixelHeight(), 3);
}

TEST(Bitmap, ChangeTrackingKeepsAtMostThreeRectsAndOneEventPerUpdate) {
    Backing backing(1.0f);
    Bitmap bitmap(backing.backing);
    int events = 0;
    bitmap.changeEvent.addHandler(NotifyEvent::bind([&events] { ++events; }));
    {
        UpdatedObject::Hold hold(bitmap);
        bitmap.setSize(100.0f, 100.0f);
        bitmap.clear();
        bitmap.setSize(64.0f, 64.0f);
    }
    EXPECT_EQ(events, 1);
    EXPECT_EQ(bitmap.getChangeState(), BitmapChangeState::kEverything);
    // Drawing while everything changed records nothing.
    bitmap.fillRect({0, 0, 2, 2}, Color(1, 2, 3));
    EXPECT_TRUE(changedRects(bitmap).empty());

    bitmap.clearChangedRects();
    EXPECT_EQ(bitmap.getChangeState(), BitmapChangeState::kUnchanged);
    bitmap.fillRect({0, 0, 2, 2}, Color(1, 2, 3));
    EXPECT_EQ(bitmap.getChangeState(), BitmapChangeState::kRects);
    bitmap.fillRect({1, 1, 3, 3}, Color(1, 2, 3)); // union 9 <= 4 + 4? no: appended
    bitmap.fillRect({40, 40, 42, 42}, Color(1, 2, 3));
    bitmap.fillRect({60, 0, 62, 2}, Color(1, 2, 3)); // a fourth merges into the smallest union
    bitmap.fillRect({70, 70, 80, 80}, Color(0, 0, 0, 0)); // draws nothing
    std::vector<PixelRect> rects = changedRects(bitmap);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0], PixelRect(0, 0, 62, 2));
    EXPECT_EQ(rects[1], PixelRect(1, 1, 3, 3));
    EXPECT_EQ(rects[2], PixelRect(40, 40, 42, 42));
    EXPECT_EQ(events, 1);
}

TEST(Bitmap, PixelsReadBackUnpremultiplied) {
    Backing backing(1.0f);
    Bitmap bitmap(backing.backing);
    bitmap.setSize(4.0f, 4.0f);
    bitmap.fillRect({1, 1, 2, 2}, Color(200, 100, 50, 128));
    EXPECT_EQ(bitmap.getPixels()[5], pixel::premultiply(Color(200, 100, 50, 128)));
    EXPECT_EQ(bitmap.pixelAt(1, 1), Color(199, 99, 49, 128));
    EXPECT_EQ(bitmap.getPixel({1.2f, 1.2f}), Color(199, 99, 49, 128));
    EXPECT_EQ(bitmap.pixelAt(4, 0), Color(0, 0, 0, 0));
    EXPECT_EQ(bitmap.pixelAt(-1, 0), Color(0, 0, 0, 0));
    bitmap.setPixel({0.0f, 0.0f}, Color(10, 20, 30));
    EXPECT_EQ(bitmap.getPixels()[0], pixel::make(30, 20, 10, 0));
}

std::string pngBytes(std::uint32_t width, std::uint32_t height, const std::string& rows, int level) {
    auto be = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += char(std::uint8_t(v >> shift));
    };
    auto chunk = [&](const char* type, const std::string& data) {
        std::string out;
        be(out, std::uint32_t(data.size()));
        out += std::string(type, 4) + data;
        be(out, 0);
        return out;
    };
    std::string header;
    be(header, width);
    be(header, height);
    header += std::string("\x08\x06\0\0\0", 5);
    uLongf size = compressBound(uLong(rows.size()));
    std::string data(size, '\0');
    compress2(reinterpret_cast<Bytef*>(data.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
              uLong(rows.size()), level);
    data.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", "");
}

TEST(Bitmap, AReadCutAfterTheFirstRowLeavesTheRestTransparent) {
    std::string rows;
    for (int y = 0; y < 3; ++y)
        rows += std::string(1, '\0') + std::string(8, '\xFF');
    std::string png = pngBytes(2, 3, rows, 0);
    std::size_t dataStart = png.find("IDAT") + 4;
    Backing backing(1.0f);
    Bitmap bitmap(backing.backing);
    bitmap.setSize(2.0f, 3.0f);
    bitmap.fillRect({0, 0, 2, 3}, Color(9, 9, 9)); // the same size keeps the buffer
    std::istringstream cut(png.substr(0, dataStart + 2 + 5 + 9 + 3));
    EXPECT_THROW(bitmap.read(cut), EBitmap);
    ASSERT_EQ(bitmap.pixelWidth(), 2);
    EXPECT_EQ(pixelsOf(bitmap), (std::vector<std::uint32_t>{0x00FFFFFFu, 0x00FFFFFFu, kTransparent, kTransparent,
                                                             kTransparent, kTransparent}));
    EXPECT_TRUE(bitmap.transparent.getValue());
    std::istringstream whole(png);
    bitmap.read(whole);
    EXPECT_FALSE(bitmap.transparent.getValue());
}

} // namespace
} // namespace gui
