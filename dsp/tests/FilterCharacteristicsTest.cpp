#include "dsp/DesignFilterStyle.h"

#include "foundation/BinaryData.h"
#include "foundation/ModuleResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Characteristic {
    const char* file;
    float a, fl, fh;
    float clipLo, clipHi, cubicHi, resonanceHi;
};

// The built-in characteristics: header values and each table's span.
const Characteristic builtIn[] = {
    {"Prime.fil", 0.3f, 2.2666f, 16.2064f, 1.5f, 8.0f, 0.1f, 3.5f},
    {"Gentle.fil", 0.3171f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.0847f, 0.999f},
    {"Raw.fil", 1.0f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.0943f, 1.5f},
    {"Tube.fil", 1.0f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.1f, 2.9553f},
    {"Metal.fil", 0.1f, 2.2666f, 16.2064f, 0.1f, 3.2445f, 0.0268f, 3.7683f},
    {"EasyGoing.fil", 0.5432f, 2.2666f, 16.2064f, 0.1f, 7.7546f, 0.0495f, 3.6885f},
    {"Smooth.fil", 0.182f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.1f, 1.3489f},
    {"Monopoly.fil", 0.6873f, 3.0615f, 15.6029f, 0.1f, 10.0f, 0.0783f, 4.3098f},
    {"Cheap.fil", 0.9134f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.0965f, 1.8879f},
    {"Extreme.fil", 0.1288f, 2.2666f, 16.2064f, 0.1f, 10.0f, 0.1f, 3.4382f},
};

std::uint32_t u32At(std::string_view bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + std::size_t(i)]);
    return v;
}

float floatAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t bits = u32At(bytes, offset);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// A "ZTil" file with the given header and three tables.
struct FileFields {
    const char* signature = "ZTil";
    float a = 0.5f, fl = 3.0f, fh = 15.0f;
    std::int32_t n[3] = {5, 5, 5};
    std::vector<float> tables[3];
};

std::string makeFile(const FileFields& fields) {
    std::ostringstream out;
    BinaryDataWriter writer(out);
    out.write(fields.signature, 4);
    writer.writeInt32(1);
    writer.writeFloat(fields.a);
    writer.writeFloat(fields.fl);
    writer.writeFloat(fields.fh);
    for (int t = 0; t < 3; ++t) {
        writer.writeInt32(fields.n[t]);
        for (float v : fields.tables[t])
            writer.writeFloat(v);
    }
    return out.str();
}

FileFields validFields() {
    FileFields fields;
    for (int t = 0; t < 3; ++t)
        for (int i = 0; i < 25; ++i)
            fields.tables[t].push_back(float(t + 1) * 0.01f * float(i));
    return fields;
}

bool readBytes(DesignFilterStyle& style, const std::string& bytes) {
    std::istringstream in(bytes);
    BinaryDataReader reader(in);
    return style.read(reader);
}

// The style holds exactly the defaults.
void expectDefaults(const DesignFilterStyle& style) {
    EXPECT_FLOAT_EQ(style.a.getValue(), 0.3f);
    EXPECT_FLOAT_EQ(style.clipTable().parameter(), 0.3f);
    EXPECT_FLOAT_EQ(style.low.getValue(), 2.2666f);
    EXPECT_FLOAT_EQ(style.high.getValue(), 16.2064f);
    ASSERT_EQ(style.size.getValue(), 11);
    EXPECT_FLOAT_EQ(style.indexScale(), 10.0f / (16.2064f - 2.2666f));
    for (int r = 0; r < 11; ++r) {
        for (int c = 0; c < 11; ++c) {
            ASSERT_EQ(style.clipLevelTable().at(r, c), 0.1f);
            ASSERT_EQ(style.cubicTable().at(r, c), 0.0f);
            ASSERT_EQ(style.resonanceTable().at(r, c), std::min(float(r) / 10.0f, 0.999f));
        }
    }
}

} // namespace

TEST(FilterCharacteristics, EmbeddedFilesHaveTheirLayoutAndSpans) {
    for (const Characteristic& ch : builtIn) {
        SCOPED_TRACE(ch.file);
        auto found = findResource(ch.file);
        ASSERT_TRUE(found.has_value());
        std::string_view bytes = *found;
        ASSERT_EQ(bytes.size(), 1484u);
        EXPECT_EQ(bytes.substr(0, 4), "ZTil");
        EXPECT_EQ(u32At(bytes, 4), 1u);
        EXPECT_EQ(floatAt(bytes, 8), ch.a);
        EXPECT_EQ(floatAt(bytes, 12), ch.fl);
        EXPECT_EQ(floatAt(bytes, 16), ch.fh);
        const float lows[3] = {ch.clipLo, 0.0f, 0.0f};
        const float highs[3] = {ch.clipHi, ch.cubicHi, ch.resonanceHi};
        std::vector<float> t[3];
        for (int i = 0; i < 3; ++i) {
            std::size_t at = 20 + std::size_t(i) * (4 + 4 * 121);
            ASSERT_EQ(u32At(bytes, at), 11u);
            for (std::size_t k = 0; k < 121; ++k)
                t[i].push_back(floatAt(bytes, at + 4 + 4 * k));
            EXPECT_EQ(*std::min_element(t[i].begin(), t[i].end()), lows[i]) << "table " << i;
            EXPECT_EQ(*std::max_element(t[i].begin(), t[i].end()), highs[i]) << "table " << i;
        }
        // The design rules: cubic and resonance 0 at peak 0 and rising with
        // the peak; the clip level falling with it; no self-oscillation below
        // peak 0.8, and at peak 1 exactly when the span passes 1.
        for (int c = 0; c < 11; ++c) {
            EXPECT_EQ(t[1][std::size_t(c)], 0.0f);
            EXPECT_EQ(t[2][std::size_t(c)], 0.0f);
            for (int r = 1; r < 11; ++r) {
                std::size_t k = std::size_t(r * 11 + c);
                EXPECT_LE(t[0][k], t[0][k - 11]);
                EXPECT_GE(t[1][k], t[1][k - 11]);
                EXPECT_GE(t[2][k], t[2][k - 11]);
                if (r <= 8) {
                    EXPECT_LT(t[2][k], 1.0f);
                }
            }
            EXPECT_EQ(t[2][std::size_t(110 + c)] > 1.0f, ch.resonanceHi > 1.0f);
        }
    }
}

TEST(FilterCharacteristics, ResourceNamesIgnoreCaseAndExtension) {
    auto a = findResource("Prime.fil");
    auto b = findResource("PRIME");
    auto c = findResource("prime");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->data(), b->data());
    EXPECT_EQ(a->data(), c->data());
    EXPECT_FALSE(resourceExists("Nothing.fil"));
}

TEST(FilterCharacteristics, StylesReadTheEmbeddedFiles) {
    for (const Characteristic& ch : builtIn) {
        SCOPED_TRACE(ch.file);
        DesignFilterStyle style(ch.file, 1.4f);
        EXPECT_EQ(style.driveFactor(), 1.4f);
        EXPECT_EQ(style.a.getValue(), ch.a);
        EXPECT_EQ(style.clipTable().parameter(), ch.a);
        EXPECT_EQ(style.low.getValue(), ch.fl);
        EXPECT_EQ(style.high.getValue(), ch.fh);
        EXPECT_EQ(style.size.getValue(), 11);
        std::string_view bytes = *findResource(ch.file);
        EXPECT_EQ(style.clipLevelTable().at(3, 7), floatAt(bytes, 24 + 4 * (3 * 11 + 7)));
        EXPECT_EQ(style.resonanceTable().at(10, 6), floatAt(bytes, 24 + 2 * 488 + 4 * (10 * 11 + 6)));
    }
    // The plain style and a missing resource both give the defaults.
    DesignFilterStyle plain;
    expectDefaults(plain);
    DesignFilterStyle missing("Missing.fil", 1.0f);
    expectDefaults(missing);
}

TEST(FilterCharacteristics, RoundTripOfAnyTableSize) {
    FileFields fields = validFields();
    DesignFilterStyle style;
    ASSERT_TRUE(readBytes(style, makeFile(fields)));
    EXPECT_EQ(style.a.getValue(), 0.5f);
    EXPECT_EQ(style.clipTable().parameter(), 0.5f);
    EXPECT_EQ(style.low.getValue(), 3.0f);
    EXPECT_EQ(style.high.getValue(), 15.0f);
    ASSERT_EQ(style.size.getValue(), 5);
    EXPECT_FLOAT_EQ(style.indexScale(), 4.0f / 12.0f);
    const FilterSettingTable* tables[3] = {&style.clipLevelTable(), &style.cubicTable(),
                                           &style.resonanceTable()};
    for (int t = 0; t < 3; ++t) {
        ASSERT_EQ(tables[t]->n(), 5);
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(tables[t]->at(i / 5, i % 5), fields.tables[t][std::size_t(i)]);
    }
}

TEST(FilterCharacteristics, BadFilesLeaveTheStyleAsItWas) {
    const std::string good = makeFile(validFields());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    std::vector<std::pair<std::string, std::string>> bad;
    for (std::size_t length = 0; length < good.size(); ++length)
        bad.emplace_back("truncated to " + std::to_string(length), good.substr(0, length));
    auto variant = [&](const char* what, auto change) {
        FileFields s = validFields();
        change(s);
        bad.emplace_back(what, makeFile(s));
    };
    variant("signature", [](FileFields& s) { s.signature = "ZTim"; });
    variant("signature case", [](FileFields& s) { s.signature = "ztil"; });
    variant("N 0", [](FileFields& s) { s.n[0] = s.n[1] = s.n[2] = 0; });
    variant("N 1", [](FileFields& s) {
        s.n[0] = s.n[1] = s.n[2] = 1;
        for (auto& t : s.tables)
            t.resize(1);
    });
    variant("N negative", [](FileFields& s) { s.n[0] = -5; });
    variant("N 65", [](FileFields& s) { s.n[0] = s.n[1] = s.n[2] = 65; });
    variant("N huge", [](FileFields& s) { s.n[0] = 0x40000000; });
    variant("N of the third table differs", [](FileFields& s) {
        s.n[2] = 4;
        s.tables[2].resize(16);
    });
    variant("a NaN", [&](FileFields& s) { s.a = nan; });
    variant("a 0", [](FileFields& s) { s.a = 0.0f; });
    variant("a negative", [](FileFields& s) { s.a = -1.0f; });
    variant("Fl NaN", [&](FileFields& s) { s.fl = nan; });
    variant("Fh infinite", [&](FileFields& s) { s.fh = inf; });
    variant("Fh equals Fl", [](FileFields& s) { s.fh = s.fl; });
    variant("Fh below Fl", [](FileFields& s) { s.fh = 1.0f; });
    variant("value NaN in the third table", [&](FileFields& s) { s.tables[2][24] = nan; });
    variant("value infinite in the first table", [&](FileFields& s) { s.tables[0][0] = -inf; });
    variant("value beyond 1e6 in the second table", [](FileFields& s) { s.tables[1][7] = 3e38f; });

    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        DesignFilterStyle fresh;
        EXPECT_FALSE(readBytes(fresh, bytes));
        expectDefaults(fresh);

        // A style that already holds a characteristic keeps all of it.
        DesignFilterStyle loaded("Tube.fil", 1.0f);
        EXPECT_FALSE(readBytes(loaded, bytes));
        EXPECT_EQ(loaded.a.getValue(), 1.0f);
        EXPECT_EQ(loaded.size.getValue(), 11);
        EXPECT_EQ(loaded.resonanceTable().at(10, 4), 2.9553f);
    }
}

TEST(FilterCharacteristics, SettingTableValueClampsToTheEdges) {
    DesignFilterStyle style("Metal.fil", 1.0f);
    const FilterSettingTable& t = style.resonanceTable();
    // Below Fl: column 0; above Fh: column N - 1 (flat, its difference is 0).
    EXPECT_EQ(t.value(-3.0f, 10.0f), t.at(10, 0));
    EXPECT_EQ(t.value(0.0f, 10.0f), t.at(10, 0));
    EXPECT_EQ(t.value(10.0f, 10.0f), t.at(10, 10));
    EXPECT_EQ(t.value(14.5f, 10.0f), t.at(10, 10));
    // Peak 1 reads row 10 exactly; above it the last row holds instead of
    // falling towards the zero row beyond it.
    EXPECT_EQ(t.value(8.0f, 10.0f), 3.7683f);
    EXPECT_EQ(t.value(8.0f, 10.7f), 3.7683f);
    EXPECT_EQ(t.value(8.0f, std::numeric_limits<float>::quiet_NaN()), 0.0f);
    // Inside: bilinear.
    float lo = t.at(6, 2) + 0.25f * (t.at(6, 3) - t.at(6, 2));
    float hi = t.at(7, 2) + 0.25f * (t.at(7, 3) - t.at(7, 2));
    EXPECT_FLOAT_EQ(t.value(2.25f, 6.5f), lo + (hi - lo) * 0.5f);
}
