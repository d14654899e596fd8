#include "gui/Bitmap.h"

#include "foundation/SystemUtils.h"
#include "gui/BitmapResampler.h"
#include "gui/EBitmap.h"
#include "gui/Gradient.h"
#include "gui/PNGFiler.h"
#include "gui/PixelArithmetic.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace gui {
namespace {

// Bitmaps here are made without a user interface, which would register the format.
[[maybe_unused]] const bool pngRegistered = (registerPngFilerFactory(), true);

constexpr std::uint32_t kTransparent = 0xFF000000u;

std::vector<std::uint32_t> pixelsOf(const Bitmap& bitmap) {
    const std::uint32_t* p = bitmap.getPixels();
    if (p == nullptr) return {};
    return std::vector<std::uint32_t>(p, p + std::size_t(bitmap.pixelWidth()) *
                                                 std::size_t(bitmap.pixelHeight()));
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
        {3.0f, "ModelBoth", 30, 18, 2.0f, green, false},  // 2 to 3
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
    bitmap.fillRect({60, 0, 62, 2}, Color(1, 2, 3));      // a fourth merges into the smallest union
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
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) +
           chunk("IEND", "");
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
    EXPECT_EQ(pixelsOf(bitmap), (std::vector<std::uint32_t>{0x00FFFFFFu, 0x00FFFFFFu, kTransparent,
                                                            kTransparent, kTransparent, kTransparent}));
    EXPECT_TRUE(bitmap.transparent.getValue());
    std::istringstream whole(png);
    bitmap.read(whole);
    EXPECT_FALSE(bitmap.transparent.getValue());
}

} // namespace
} // namespace gui

namespace gui {
namespace {

// A bitmap of the given pixel size at scale 1, filled with a pattern.
struct Painted {
    explicit Painted(int w, int h, std::uint32_t seed = 1) : bitmap(backing) {
        bitmap.resize(w, h);
        std::uint32_t state = seed;
        for (int i = 0; i < w * h; ++i) {
            state = state * 1664525u + 1013904223u;
            // Valid premultiplied pixels: colours at most alpha.
            std::uint32_t a = state >> 24;
            bitmap.getPixels()[i] = pixel::premultiply(Color(std::uint8_t(state), std::uint8_t(state >> 8),
                                                             std::uint8_t(state >> 16), std::uint8_t(a | 1)));
        }
    }
    DeviceBacking backing;
    Bitmap bitmap;
};

class ConstantCurve : public ICurve {
public:
    explicit ConstantCurve(float value) : value_(value) {}
    float valueAt(float) const override { return value_; }

private:
    float value_;
};

// Hostile coordinates: NaN draws nothing and reports nothing; huge and
// infinite values saturate and stay inside the bitmap; sources, masks and
// second bitmaps of other sizes are never read past (ASan proves it).
TEST(BitmapDrawing, HostileCoordinatesStayInsideTheBitmap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Painted source(5, 3, 2), mask(2, 2, 3), wide(11, 9, 4);
    Gradient gradient(Color(255, 0, 0), Color(0, 0, 255, 128));
    ConstantCurve half(0.5f), nanCurve(nan);
    using Draw = std::function<void(Bitmap&)>;
    const struct {
        const char* name;
        Draw draw;
        bool drawsSomething;
    } cases[] = {
        {"fillRect NaN",
         [&](Bitmap& b) {
             b.fillRect({nan, 0, 4, 4}, Color(1, 2, 3));
         },
         false},
        {"fillRect huge",
         [&](Bitmap& b) {
             b.fillRect({-1e30f, -inf, 1e30f, inf}, Color(1, 2, 3));
         },
         true},
        {"fillRect far outside",
         [&](Bitmap& b) {
             b.fillRect({1e30f, 1e30f, inf, inf}, Color(1, 2, 3));
         },
         false},
        {"fillRect half outside",
         [&](Bitmap& b) {
             b.fillRect({-4, -4, 2, 2}, Color(1, 2, 3));
         },
         true},
        {"drawBitmap NaN point",
         [&](Bitmap& b) {
             b.drawBitmap(source.bitmap, {0, 0, 8, 8}, {nan, 0}, 255);
         },
         false},
        {"drawBitmap huge point",
         [&](Bitmap& b) {
             b.drawBitmap(source.bitmap, {0, 0, 8, 8}, {-1e30f, 1e30f}, 255);
         },
         false},
        {"drawBitmap larger than its source",
         [&](Bitmap& b) {
             b.drawBitmap(source.bitmap, {-2, -1, 1e30f, inf}, {0, 0}, 128);
         },
         true},
        {"drawBitmap negative source point",
         [&](Bitmap& b) {
             b.drawBitmap(source.bitmap, {0, 0, 8, 8}, {-3, -2}, 255);
         },
         true},
        {"drawBitmapMasked small mask",
         [&](Bitmap& b) {
             b.drawBitmapMasked(wide.bitmap, {0, 0, 8, 8}, {0, 0}, mask.bitmap, {0, 0}, 200);
         },
         true},
        {"drawBitmapMasked mask far away",
         [&](Bitmap& b) {
             b.drawBitmapMasked(wide.bitmap, {0, 0, 8, 8}, {0, 0}, mask.bitmap, {1e30f, 0}, 200);
         },
         false},
        {"drawBitmapMasked NaN mask point",
         [&](Bitmap& b) {
             b.drawBitmapMasked(wide.bitmap, {0, 0, 8, 8}, {0, 0}, mask.bitmap, {0, nan}, 200);
         },
         false},
        {"drawLine NaN",
         [&](Bitmap& b) {
             b.drawLine({0, 0, 8, 8}, {nan, 0}, {4, 4}, Color(0, 0, 0), 1.0f);
         },
         false},
        {"drawLine NaN width",
         [&](Bitmap& b) {
             b.drawLine({0, 0, 8, 8}, {0, 0}, {4, 4}, Color(0, 0, 0), nan);
         },
         false},
        {"drawLine huge",
         [&](Bitmap& b) {
             b.drawLine({-inf, -inf, inf, inf}, {-1e30f, 2}, {1e30f, 5}, Color(0, 0, 0), 3.0f);
         },
         true},
        {"drawLine steep huge",
         [&](Bitmap& b) {
             b.drawLine({0, 0, 8, 8}, {3, -1e30f}, {4, 1e30f}, Color(0, 0, 0), 1e30f);
         },
         true},
        {"fillGradient NaN start",
         [&](Bitmap& b) {
             b.fillGradient(gradient, {0, 0, 8, 8}, Direction::kDown, nan, 1.0f, 255);
         },
         false},
        {"fillGradient huge rect",
         [&](Bitmap& b) {
             b.fillGradient(gradient, {-1e30f, -1e30f, 1e30f, 1e30f}, Direction::kLeft, -1e30f, 1e30f, 255);
         },
         true},
        {"drawColorized NaN parameter",
         [&](Bitmap& b) {
             b.drawColorized(1, half, {0, 0, 8, 8}, {0, 0, 8, 8}, {0, 0}, Color(0, 0, 0), Color(255, 0, 0),
                             nan);
         },
         false},
        {"drawColorized NaN curve",
         [&](Bitmap& b) {
             b.drawColorized(0, nanCurve, {0, 0, 8, 8}, {0, 0, 8, 8}, {0, 0}, Color(0, 0, 0),
                             Color(255, 0, 0), 0.5f);
         },
         false},
        {"drawColorized huge parameter",
         [&](Bitmap& b) {
             b.drawColorized(1, half, {0, 0, 8, 8}, {-1e30f, -1e30f, 1e30f, 1e30f}, {1e30f, 0},
                             Color(0, 0, 0), Color(255, 0, 0), 1e30f);
         },
         true},
        {"setPixel NaN",
         [&](Bitmap& b) {
             b.setPixel({nan, 1}, Color(1, 2, 3));
         },
         false},
        {"setPixel huge",
         [&](Bitmap& b) {
             b.setPixel({1e30f, -1e30f}, Color(1, 2, 3));
         },
         false},
        {"modifyPixelRect NaN",
         [&](Bitmap& b) {
             b.modifyPixelRect({0, nan, 8, 8}, 1);
         },
         false},
        {"modifyPixelRect huge",
         [&](Bitmap& b) {
             b.modifyPixelRect({-1e30f, -1e30f, 1e30f, 1e30f}, 3);
         },
         true},
        {"drawRotated NaN angle", [&](Bitmap& b) { b.drawRotated(source.bitmap, nan); }, false},
        {"drawRotated infinite angle", [&](Bitmap& b) { b.drawRotated(source.bitmap, inf); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Painted target(8, 8);
        std::vector<std::uint32_t> before = pixelsOf(target.bitmap);
        target.bitmap.clearChangedRects();
        c.draw(target.bitmap);
        std::vector<PixelRect> rects = changedRects(target.bitmap);
        if (!c.drawsSomething) {
            EXPECT_EQ(pixelsOf(target.bitmap), before);
            EXPECT_TRUE(rects.empty());
            continue;
        }
        ASSERT_FALSE(rects.empty());
        for (const PixelRect& r : rects) {
            EXPECT_TRUE(PixelRect(0, 0, 8, 8).containsRect(r));
            EXPECT_FALSE(r.isEmpty());
        }
    }
}

TEST(BitmapDrawing, CopiesBetweenBitmapsOfOtherSizesReadTransparentOutsideTheirSource) {
    Painted a(6, 4, 5), b(3, 2, 6), target(1, 1);
    // Weight 0 is exactly a; 255 is exactly b where b has pixels, transparent elsewhere.
    target.bitmap.composite(a.bitmap, b.bitmap, 0);
    EXPECT_EQ(pixelsOf(target.bitmap), pixelsOf(a.bitmap));
    target.bitmap.composite(a.bitmap, b.bitmap, 255);
    ASSERT_EQ(target.bitmap.pixelWidth(), 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(target.bitmap.getPixels()[y * 6 + x],
                      x < 3 && y < 2 ? b.bitmap.getPixels()[y * 3 + x] : kTransparent);

    // The rect's size; the part outside the source is transparent.
    target.bitmap.copyRectWithOpacity(b.bitmap, {1, -1, 5, 2}, 255);
    ASSERT_EQ(target.bitmap.pixelWidth(), 4);
    ASSERT_EQ(target.bitmap.pixelHeight(), 3);
    EXPECT_EQ(target.bitmap.getPixels()[0], kTransparent);
    EXPECT_EQ(target.bitmap.getPixels()[4], b.bitmap.getPixels()[1]);
    EXPECT_EQ(target.bitmap.getPixels()[5], b.bitmap.getPixels()[2]);
    EXPECT_EQ(target.bitmap.getPixels()[6], kTransparent);
    target.bitmap.copyRectWithOpacity(b.bitmap, {0, 0, 1e30f, 1e30f}, 255);
    EXPECT_EQ(target.bitmap.getPixels(), nullptr);

    // Exact halves average; other sizes take the nearest pixel.
    target.bitmap.copyScaled(a.bitmap, {0, 0, 6, 4}, {0, 0, 3, 2});
    ASSERT_EQ(target.bitmap.pixelWidth(), 3);
    target.bitmap.copyScaled(a.bitmap, {-2, 0, 4, 4}, {0, 0, 6, 4});
    EXPECT_EQ(target.bitmap.getPixels()[0], kTransparent);
    EXPECT_EQ(target.bitmap.getPixels()[2], a.bitmap.getPixels()[0]);

    target.bitmap.copyMirrored(a.bitmap, 3);
    EXPECT_EQ(target.bitmap.getPixels()[0], a.bitmap.getPixels()[23]);
    EXPECT_EQ(target.bitmap.getPixels()[7], a.bitmap.getPixels()[16]);
}

TEST(BitmapDrawing, ALineHasItsExactCoverage) {
    Painted target(8, 8);
    target.bitmap.fillRect({0, 0, 8, 8}, Color(255, 255, 255));
    // Horizontal, width 1, centred on the boundary of rows 2 and 3: half of
    // each row, columns 1 to 6 (the last column's weight is 0).
    target.bitmap.drawLine({0, 0, 8, 8}, {1.0f, 2.5f}, {7.0f, 2.5f}, Color(0, 0, 0), 1.0f);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool covered = (y == 2 || y == 3) && x >= 1 && x <= 6;
            ASSERT_EQ(target.bitmap.getPixels()[y * 8 + x], covered ? 0x00808080u : 0x00FFFFFFu)
                << x << ", " << y;
        }

    // Given bottom to top, a line lies one pixel lower than given top to bottom.
    Painted down(8, 8), up(8, 8);
    for (Painted* p : {&down, &up})
        p->bitmap.fillRect({0, 0, 8, 8}, Color(255, 255, 255));
    down.bitmap.drawLine({0, 0, 8, 8}, {3.0f, 1.0f}, {3.0f, 6.0f}, Color(0, 0, 0), 1.5f);
    up.bitmap.drawLine({0, 0, 8, 8}, {3.0f, 6.0f}, {3.0f, 1.0f}, Color(0, 0, 0), 1.5f);
    EXPECT_NE(pixelsOf(up.bitmap), pixelsOf(down.bitmap));
    for (int y = 0; y + 1 < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(up.bitmap.getPixels()[(y + 1) * 8 + x], down.bitmap.getPixels()[y * 8 + x])
                << x << ", " << y;
}

TEST(BitmapDrawing, AClippedGradientKeepsItsPixels) {
    Painted whole(16, 4), clipped(16, 4);
    Gradient gradient(Color(255, 0, 0), Color(0, 40, 255, 128));
    for (Direction direction : {Direction::kRight, Direction::kLeft}) {
        whole.bitmap.getCanvas().fillGradient(gradient, {0, 0, 16, 4}, direction, 0.0f, 1.0f, 255);
        Canvas& canvas = clipped.bitmap.getCanvas();
        canvas.clip.setValue({8, 0, 16, 4});
        canvas.fillGradient(gradient, {0, 0, 16, 4}, direction, 0.0f, 1.0f, 255);
        for (int y = 0; y < 4; ++y)
            for (int x = 8; x < 16; ++x)
                ASSERT_EQ(clipped.bitmap.getPixels()[y * 16 + x], whole.bitmap.getPixels()[y * 16 + x]) << x;
    }
    // Pixels sample their centres: pixel p covers [p - 0.7, p + 0.3) at scale 1,
    // so pixel 0 (centre -0.2) takes the first colour and pixel 5 position 0.48.
    Painted plain(10, 1);
    plain.bitmap.fillRect({0, 0, 10, 1}, Color(0, 0, 0));
    plain.bitmap.fillGradient(gradient, {0, 0, 10, 1}, Direction::kRight, 0.0f, 1.0f, 255);
    EXPECT_EQ(plain.bitmap.getPixels()[0], 0x00FF0000u);
    const std::uint32_t a = 194, r = 133, g = 19,
                        b = 122; // 255 - 127 x 0.48, 255 x 0.52, 40 x 0.48, 255 x 0.48
    const std::uint32_t over =
        pixel::make(pixel::multiply255(b, a), pixel::multiply255(g, a), pixel::multiply255(r, a), 0);
    EXPECT_EQ(plain.bitmap.getPixels()[5], over);
}

TEST(BitmapDrawing, FadeMaskLevelFillAndBlends) {
    // Mode 0 leaves the left column and clears the right one.
    Painted faded(5, 3);
    faded.bitmap.fillRect({0, 0, 5, 3}, Color(10, 20, 30));
    faded.bitmap.modifyPixelRect({0, 0, 5, 3}, 0);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(faded.bitmap.getPixels()[y * 5], pixel::make(30, 20, 10, 0));
        EXPECT_EQ(faded.bitmap.getPixels()[y * 5 + 4], kTransparent);
    }
    EXPECT_TRUE(faded.bitmap.transparent.getValue());

    // A level fill whose curve is 0 everywhere changes nothing.
    Painted level(6, 6);
    std::vector<std::uint32_t> before = pixelsOf(level.bitmap);
    ConstantCurve zero(0.0f), one(1.0f);
    level.bitmap.drawColorized(1, zero, {0, 0, 6, 6}, {0, 0, 6, 6}, {0, 0}, Color(255, 0, 0),
                               Color(0, 0, 255), 0.5f);
    EXPECT_EQ(pixelsOf(level.bitmap), before);
    // At 1 in mode 0: a run from colour A at the top to colour B at the bottom.
    level.bitmap.drawColorized(0, one, {0, 0, 6, 6}, {0, 0, 6, 6}, {0, 0}, Color(255, 0, 0), Color(0, 0, 255),
                               0.5f);
    EXPECT_EQ(level.bitmap.getPixels()[0], 0x00FF0000u);

    // A transparent source leaves the destination under every opacity.
    Painted destination(4, 4), transparentSource(4, 4);
    transparentSource.bitmap.clear();
    before = pixelsOf(destination.bitmap);
    for (int alpha : {1, 128, 255})
        destination.bitmap.drawBitmap(transparentSource.bitmap, {0, 0, 4, 4}, {0, 0}, alpha);
    EXPECT_EQ(pixelsOf(destination.bitmap), before);
}

TEST(BitmapDrawing, RecolouringAndGlyphCoverage) {
    Painted source(3, 1);
    std::uint32_t* p = source.bitmap.getPixels();
    p[0] = pixel::premultiply(Color(200, 100, 50, 255));
    p[1] = pixel::premultiply(Color(128, 128, 128, 255));
    p[2] = pixel::premultiply(Color(90, 90, 90, 128));
    Painted target(1, 1);
    // Mode 2: a multiplicative tint.
    target.bitmap.copyRecolored(source.bitmap, Color(255, 128, 0, 255), 2, Color());
    EXPECT_EQ(target.bitmap.pixelAt(0, 0), Color(200, 50, 0, 255));
    // Grey has no saturation: it stays grey under any hue.
    for (Color hue : {Color(255, 0, 0), Color(0, 200, 100), Color(10, 20, 250)}) {
        target.bitmap.copyRecolored(source.bitmap, hue, 0, Color());
        Color grey = target.bitmap.pixelAt(1, 0);
        EXPECT_EQ(grey.r, grey.g);
        EXPECT_EQ(grey.g, grey.b);
        Color translucent = target.bitmap.pixelAt(2, 0);
        EXPECT_EQ(translucent.a, 128);
        EXPECT_NEAR(translucent.r, translucent.b, 1);
    }

    // Coverage is 255 - blue: white is no text, black is full text.
    Painted glyphs(2, 1);
    glyphs.bitmap.getPixels()[0] = 0x00FFFFFFu;
    glyphs.bitmap.getPixels()[1] = 0x00000000u;
    glyphs.bitmap.colorizeGlyphCoverage(Color(255, 0, 0, 200));
    EXPECT_EQ(glyphs.bitmap.getPixels()[0], kTransparent);
    EXPECT_EQ(glyphs.bitmap.getPixels()[1], pixel::premultiply(Color(255, 0, 0, 200)));
    EXPECT_TRUE(glyphs.bitmap.transparent.getValue());
}

TEST(BitmapDrawing, RotationByNothingOrAHalfTurnMovesWholePixels) {
    Painted source(6, 4, 9), target(6, 4);
    target.bitmap.drawRotated(source.bitmap, 0.0f);
    EXPECT_EQ(pixelsOf(target.bitmap), pixelsOf(source.bitmap));
    EXPECT_TRUE(target.bitmap.transparent.getValue());
    target.bitmap.drawRotated(source.bitmap, 3.14159265f);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(target.bitmap.getPixels()[y * 6 + x], source.bitmap.getPixels()[(3 - y) * 6 + 5 - x]);
}

} // namespace
} // namespace gui

#include "gui/CurveStyle.h"
#include "gui/tests/GoldenImage.h"

namespace gui {
namespace {

class WaveCurve : public ICurve {
public:
    WaveCurve(float base, float amplitude, float period)
        : base_(base), amplitude_(amplitude), period_(period) {}
    float valueAt(float x) const override { return base_ + amplitude_ * std::sin(x / period_); }

private:
    float base_, amplitude_, period_;
};

TEST(BitmapDrawing, GoldenCurveTwoLayers) {
    DeviceBacking backing;
    Bitmap bitmap(backing);
    bitmap.setSize(64.0f, 40.0f);
    bitmap.fillRect({0, 0, 64, 40}, Color(20, 20, 30));
    WaveCurve upper(12.0f, 6.0f, 5.0f), lower(27.0f, 9.0f, 3.0f);
    Gradient lineGradient(Color(255, 255, 255), Color(255, 200, 0));
    CurveStyle style;
    style.colorAbove = Color(10, 30, 90);
    style.layerCount = 2;
    style.layers[0] = {&upper, Color(60, 110, 200), Color(255, 255, 255), nullptr, Color(0, 120, 120), 2.0f,
                       1.0f};
    style.layers[1] = {&lower, Color(0, 90, 90), Color(0, 0, 0), &lineGradient, Color(120, 40, 40), 1.0f,
                       3.0f};
    style.colorBelow = Color(60, 10, 10);
    bitmap.drawCurve(style, {2, 0, 62, 40}, {0, 0, 64, 40}, {0, 0}, Orientation::kHorizontal, 255);
    test::expectGolden(bitmap, "CurveTwoLayers");
}

TEST(BitmapDrawing, GoldenRotatedAtThreeAngles) {
    DeviceBacking backing;
    Bitmap indicator(backing), rotated(backing), picture(backing);
    indicator.setSize(17.0f, 17.0f);
    indicator.fillRect({7, 1, 10, 9}, Color(255, 255, 255));
    indicator.fillRect({6, 1, 11, 3}, Color(250, 80, 30));
    indicator.fillRect({8, 9, 9, 16}, Color(80, 160, 255, 160));
    picture.setSize(51.0f, 17.0f);
    picture.fillRect({0, 0, 51, 17}, Color(30, 30, 40));
    float angles[] = {0.5f, 2.0f, -2.6f};
    for (int i = 0; i < 3; ++i) {
        rotated.setSize(17.0f, 17.0f);
        rotated.drawRotated(indicator, angles[i]);
        picture.drawBitmap(rotated, {17.0f * i, 0, 17.0f * (i + 1), 17}, {0, 0}, 255);
    }
    test::expectGolden(picture, "RotatedThreeAngles");
}

} // namespace
} // namespace gui
