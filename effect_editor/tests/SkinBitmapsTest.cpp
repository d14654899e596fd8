// The rendered skin as the binary carries it: every manifest row at 1x and 2x,
// in the one PNG form the editor's reader takes, with the geometry its kind
// promises to the controls that draw it.

#include "effect_editor/tests/SkinFixture.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <set>

namespace {

using test::Image;
using test::ManifestRow;

constexpr int kScales[] = {1, 2};

std::string resourceName(const ManifestRow& row, int scale) {
    return row.name + (scale == 2 ? "_2x" : "");
}

TEST(SkinBitmaps, ManifestNamesAreUniqueAndCarryTheirNote) {
    std::vector<ManifestRow> rows = test::manifest();
    ASSERT_FALSE(rows.empty()) << "the manifest is not embedded";
    std::set<std::string> names;
    for (const ManifestRow& row : rows) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name << " is listed twice";
        EXPECT_GT(row.width, 0) << row.name;
        EXPECT_GT(row.height, 0) << row.name;
        EXPECT_FALSE(row.note.empty()) << row.name << " has no note naming what draws it";
    }
}

// One PNG form: 8-bit RGB or RGBA, not interlaced, IHDR first, one run of IDAT,
// IEND last, and no gAMA (the editor's tone curve assumes none).
TEST(SkinBitmaps, EveryRowExistsAtBothScalesInTheReadersFormAndSize) {
    for (const ManifestRow& row : test::manifest()) {
        for (int scale : kScales) {
            std::string name = resourceName(row, scale);
            SCOPED_TRACE(name);
            std::optional<std::string_view> bytes = findResource(name);
            ASSERT_TRUE(bytes) << "not embedded";
            std::optional<std::vector<test::PngChunk>> chunks = test::pngChunks(*bytes);
            ASSERT_TRUE(chunks && chunks->size() >= 3) << "not a PNG";
            ASSERT_EQ(chunks->front().type, "IHDR");
            ASSERT_EQ(chunks->front().data.size(), 13u);
            EXPECT_EQ(chunks->back().type, "IEND");
            std::size_t firstData = chunks->size(), lastData = 0;
            for (std::size_t i = 0; i < chunks->size(); ++i) {
                const std::string& type = (*chunks)[i].type;
                EXPECT_NE(type, "gAMA");
                if (type == "IDAT") {
                    firstData = std::min(firstData, i);
                    lastData = i;
                }
            }
            ASSERT_LT(firstData, chunks->size()) << "no image data";
            for (std::size_t i = firstData; i <= lastData; ++i)
                EXPECT_EQ((*chunks)[i].type, "IDAT") << "image data is not one run";

            test::PngHeader header = test::pngHeader(chunks->front());
            EXPECT_EQ(header.width, row.width * scale);
            EXPECT_EQ(header.height, row.height * scale);
            EXPECT_EQ(header.bitDepth, 8);
            EXPECT_TRUE(header.colourType == 2 || header.colourType == 6)
                << "colour type " << header.colourType;
            EXPECT_EQ(header.interlace, 0);
            EXPECT_EQ(header.width % row.cells, 0) << "cells of unequal width";
        }
    }
}

// --- Geometry by kind -------------------------------------------------------

using Check = std::function<void(const ManifestRow&, const Image&, int scale)>;

double distanceFromCentre(const Image& image, int x, int y) {
    return std::hypot(x + 0.5 - image.width / 2.0, y + 0.5 - image.height / 2.0);
}

// Stretching repeats the centre column (or row) between the two halves, so the
// columns on both sides of the seam must be alike at every device pixel.
void expectUniformCentreColumns(const Image& image, int scale) {
    int centre = image.width / 2;
    for (int x = centre - 1; x <= centre + scale; ++x)
        for (int y = 0; y < image.height; ++y)
            if (image.pixel(x, y) != image.pixel(centre, y)) {
                ADD_FAILURE() << "column " << x << " differs from the centre column " << centre << " at row "
                              << y;
                return;
            }
}

void expectUniformCentreRows(const Image& image, int scale) {
    int centre = image.height / 2;
    for (int y = centre - 1; y <= centre + scale; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.pixel(x, y) != image.pixel(x, centre)) {
                ADD_FAILURE() << "row " << y << " differs from the centre row " << centre << " at column "
                              << x;
                return;
            }
}

void expectAlpha(const Image& image, const std::function<bool(int x, int y)>& where,
                 const std::function<bool(int alpha)>& ok, const char* what) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (where(x, y) && !ok(image.alpha(x, y))) {
                ADD_FAILURE() << what << ": alpha " << image.alpha(x, y) << " at (" << x << ", " << y << ")";
                return;
            }
}

// Angle of a pixel centre in degrees from 3 o'clock, 0 to 180.
double angleFromRight(const Image& image, int x, int y) {
    double dx = x + 0.5 - image.width / 2.0, dy = y + 0.5 - image.height / 2.0;
    return std::abs(std::atan2(dy, dx)) * 180.0 / std::numbers::pi;
}

const std::map<std::string, Check>& checksByKind() {
    static const std::map<std::string, Check> checks = {
        {"image", [](const ManifestRow&, const Image&, int) {}},
        {"icon", [](const ManifestRow&, const Image&, int) {}},
        {"strip", [](const ManifestRow&, const Image&, int) {}},
        {"opaque",
         [](const ManifestRow&, const Image& image, int) {
             expectAlpha(
                 image, [](int, int) { return true; }, [](int a) { return a == 255; }, "transparent pixel");
         }},
        {"x3",
         [](const ManifestRow&, const Image& image, int scale) { expectUniformCentreColumns(image, scale); }},
        {"y3",
         [](const ManifestRow&, const Image& image, int scale) { expectUniformCentreRows(image, scale); }},
        {"xy3",
         [](const ManifestRow&, const Image& image, int scale) {
             expectUniformCentreColumns(image, scale);
             expectUniformCentreRows(image, scale);
         }},
        {"handle",
         [](const ManifestRow&, const Image& image, int) {
             EXPECT_GE(image.alpha(image.width / 2, image.height / 2), 65)
                 << "the centre does not take the click";
         }},
        // The indicator turns about the centre: nothing may lie outside the
        // inscribed circle (pixels wholly outside it are transparent).
        {"knob-indicator",
         [](const ManifestRow&, const Image& image, int) {
             double outside = image.width / 2.0 + std::sqrt(0.5);
             expectAlpha(
                 image, [&](int x, int y) { return distanceFromCentre(image, x, y) > outside; },
                 [](int a) { return a == 0; }, "indicator outside its circle");
         }},
        // The knob takes clicks where its body is opaque: the disc of radius W/2 - 2.
        {"knob-back",
         [](const ManifestRow& row, const Image& image, int scale) {
             double radius = (row.width / 2.0 - 2.0) * scale;
             expectAlpha(
                 image, [&](int x, int y) { return distanceFromCentre(image, x, y) <= radius; },
                 [](int a) { return a > 240; }, "knob body not opaque");
         }},
        // The sync ring is opaque on its 70 degree arc at 3 o'clock and nowhere else.
        {"sync-back",
         [](const ManifestRow&, const Image& image, int scale) {
             expectAlpha(
                 image,
                 [&](int x, int y) {
                     double r = distanceFromCentre(image, x, y);
                     return r >= 42.0 * scale && r <= 58.0 * scale && angleFromRight(image, x, y) <= 33.0;
                 },
                 [](int a) { return a > 240; }, "sync arc not opaque");
             expectAlpha(
                 image, [&](int x, int y) { return angleFromRight(image, x, y) >= 38.0; },
                 [](int a) { return a == 0; }, "sync ring drawn beyond its arc");
         }},
    };
    return checks;
}

TEST(SkinBitmaps, GeometryFollowsTheKind) {
    for (const ManifestRow& row : test::manifest()) {
        auto check = checksByKind().find(row.kind);
        ASSERT_NE(check, checksByKind().end()) << row.name << ": unknown kind " << row.kind;
        for (int scale : kScales) {
            std::string name = resourceName(row, scale);
            SCOPED_TRACE(name + " (" + row.kind + ")");
            std::optional<std::string_view> bytes = findResource(name);
            ASSERT_TRUE(bytes);
            std::optional<Image> image = test::decodePng(*bytes);
            ASSERT_TRUE(image) << "does not decode";
            check->second(row, *image, scale);
        }
    }
}

std::optional<Image> loadRendered(const std::string& name) {
    std::optional<std::string_view> bytes = findResource(name);
    if (!bytes) return std::nullopt;
    return test::decodePng(*bytes);
}

// The background is shown at any layout width and cut for the scroll buttons,
// so every column must show the same pixels.
TEST(SkinBitmaps, BackgroundHasEveryColumnAlike) {
    for (const char* name : {"Background", "Background_2x"}) {
        SCOPED_TRACE(name);
        std::optional<Image> image = loadRendered(name);
        ASSERT_TRUE(image);
        for (int y = 0; y < image->height; ++y)
            for (int x = 1; x < image->width; ++x)
                if (image->pixel(x, y) != image->pixel(0, y)) {
                    ADD_FAILURE() << "column " << x << " differs at row " << y;
                    return;
                }
    }
}

// The dialog bakes its veil at alpha 192 around an opaque plate from (16,16) to (624,305).
TEST(SkinBitmaps, DialogVeilAndPlate) {
    struct Probe {
        int x, y, alpha;
    };
    const Probe probes[] = {{2, 2, 192}, {900, 500, 192}, {700, 100, 192}, {300, 150, 255}, {20, 300, 255}};
    for (int scale : kScales) {
        std::optional<Image> image = loadRendered(scale == 1 ? "DialogGeneric" : "DialogGeneric_2x");
        ASSERT_TRUE(image);
        for (const Probe& p : probes)
            EXPECT_EQ(image->alpha(p.x * scale, p.y * scale), p.alpha)
                << "at (" << p.x << ", " << p.y << ") scale " << scale;
    }
}

// The checks above must be able to fail: each kind's check rejects a picture
// that breaks its promise.
TEST(SkinBitmaps, KindChecksRejectBrokenPictures) {
    auto blank = [](int w, int h, std::uint8_t alpha) {
        Image image{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 4, 0)};
        for (std::size_t i = 3; i < image.rgba.size(); i += 4)
            image.rgba[i] = alpha;
        return image;
    };
    auto setAlpha = [](Image& image, int x, int y, std::uint8_t a) {
        image.rgba[(std::size_t(y) * image.width + x) * 4 + 3] = a;
    };
    struct Case {
        const char* kind;
        int width, height;
        std::function<Image()> picture;
    };
    const Case cases[] = {
        {"opaque", 8, 8,
         [&] {
             Image i = blank(8, 8, 255);
             setAlpha(i, 7, 7, 254);
             return i;
         }},
        {"x3", 8, 4,
         [&] {
             Image i = blank(8, 4, 255);
             setAlpha(i, 4, 2, 10); // a mark on the centre column
             return i;
         }},
        {"y3", 4, 8,
         [&] {
             Image i = blank(4, 8, 255);
             setAlpha(i, 1, 3, 10);
             return i;
         }},
        {"handle", 16, 16, [&] { return blank(16, 16, 64); }},
        {"knob-indicator", 48, 48,
         [&] {
             Image i = blank(48, 48, 0);
             setAlpha(i, 0, 0, 1); // a corner, outside the circle
             return i;
         }},
        {"knob-back", 48, 48,
         [&] {
             Image i = blank(48, 48, 255);
             setAlpha(i, 24, 3, 200); // inside radius 22
             return i;
         }},
        {"sync-back", 124, 124, [&] { return blank(124, 124, 255); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ManifestRow row{"Broken", c.width, c.height, c.kind, 1, "test"};
        Image picture = c.picture();
        EXPECT_NONFATAL_FAILURE(checksByKind().at(c.kind)(row, picture, 1), "");
    }
}

} // namespace
