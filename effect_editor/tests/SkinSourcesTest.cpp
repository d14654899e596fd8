// The authoring rules of resources/skin/. Each rule stops a fault that the
// renderer would not report: a wrong size, a missing style sheet or paint
// reference (drawn black or not at all), a font the build does not pin, or a
// raster image that no longer scales.

#include "effect_editor/tests/SkinFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <stdexcept>

namespace {

using test::ManifestRow;

// The bitmaps that carry lettering (captions, channel marks, stage letters,
// axis letters, the wordmark). All other text is drawn by the platform.
const std::set<std::string> kLettered = {"DisplayBackground",
                                         "DisplayBackgroundMS",
                                         "InputBackground",
                                         "SectionFilter1Interface",
                                         "SectionFilter2Interface",
                                         "IconSourceX",
                                         "IconSourceY",
                                         "EGDotNormal",
                                         "EGDotActive",
                                         "LogoBottom",
                                         "XLFOLabels",
                                         "XLFOLabelsSync",
                                         "EGLabels",
                                         "EFLabels"};

// Every href and url() target in a text.
std::vector<std::string> references(const std::string& text) {
    std::vector<std::string> found;
    static const std::regex pattern(
        R"((?:href\s*=\s*["']([^"']*)["'])|(?:url\(\s*["']?([^"')]*)["']?\s*\)))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator();
         ++it)
        found.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    return found;
}

bool isPartReference(const std::string& target) {
    return target.rfind("parts/", 0) == 0 && target.find("..") == std::string::npos &&
           target.find(':') == std::string::npos && target.find('\\') == std::string::npos;
}

// A rule returns an empty string when the source keeps it, else what is wrong.
struct Rule {
    const char* name;
    std::function<std::string(const ManifestRow&, const std::string&)> check;
};

const std::vector<Rule>& rules() {
    static const std::vector<Rule> list = {
        {"size",
         [](const ManifestRow& row, const std::string& text) -> std::string {
             std::smatch tag;
             if (!std::regex_search(text, tag, std::regex(R"(<svg\b[^>]*>)"))) return "no <svg> element";
             std::string attributes = tag.str();
             std::string w = std::to_string(row.width), h = std::to_string(row.height);
             if (attributes.find(" width=\"" + w + "\"") == std::string::npos ||
                 attributes.find(" height=\"" + h + "\"") == std::string::npos)
                 return "width and height must be the manifest's " + w + " and " + h;
             if (attributes.find(" viewBox=\"0 0 " + w + " " + h + "\"") == std::string::npos)
                 return "viewBox must be \"0 0 " + w + " " + h + "\"";
             return {};
         }},
        {"style sheet",
         [](const ManifestRow&, const std::string& text) -> std::string {
             std::size_t sheet = text.find("<?xml-stylesheet type=\"text/css\" href=\"skin.css\"?>");
             if (sheet == std::string::npos || sheet > text.find("<svg"))
                 return "the skin.css style sheet line must come before <svg>";
             return {};
         }},
        {"no var()",
         [](const ManifestRow&, const std::string& text) -> std::string {
             return text.find("var(") == std::string::npos ? "" : "var() is painted black by the renderer";
         }},
        {"lettering",
         [](const ManifestRow& row, const std::string& text) -> std::string {
             if (text.find("<text") != std::string::npos && !kLettered.count(row.name))
                 return "lettering in a bitmap that has none (its text is drawn by the platform)";
             for (const char* property : {"font-family", "font-weight", "font:", "font="})
                 if (text.find(property) != std::string::npos)
                     return std::string(property) + " set in a source: the caption font comes from skin.css";
             return {};
         }},
        {"references",
         [](const ManifestRow&, const std::string& text) -> std::string {
             for (const std::string& target : references(text))
                 if (target != "skin.css" && !isPartReference(target))
                     return "reference to \"" + target + "\": only skin.css and parts/ may be used";
             return {};
         }},
        {"no raster",
         [](const ManifestRow&, const std::string& text) -> std::string {
             return text.find("<image") == std::string::npos ? "" : "raster <image> in a vector source";
         }},
    };
    return list;
}

const Rule& rule(const std::string& name) {
    for (const Rule& r : rules())
        if (name == r.name) return r;
    throw std::invalid_argument("no rule " + name);
}

TEST(SkinSources, EverySourceKeepsEveryRule) {
    std::vector<ManifestRow> rows = test::manifest();
    ASSERT_FALSE(rows.empty());
    for (const ManifestRow& row : rows) {
        std::optional<std::string> text = test::readSkinFile(row.name + ".svg");
        ASSERT_TRUE(text) << "cannot read " << test::skinSourceFolder() << row.name << ".svg";
        for (const Rule& rule : rules()) {
            std::string problem = rule.check(row, *text);
            EXPECT_TRUE(problem.empty()) << row.name << ".svg, " << rule.name << ": " << problem;
        }
    }
}

TEST(SkinSources, StyleSheetAndDefsPinTheFontAndReferenceOnlyParts) {
    std::optional<std::string> css = test::readSkinFile("skin.css");
    std::optional<std::string> defs = test::readSkinFile("parts/defs.svg");
    ASSERT_TRUE(css && defs);
    EXPECT_EQ(css->find("var("), std::string::npos);
    EXPECT_EQ(defs->find("var("), std::string::npos);
    std::smatch textRule;
    ASSERT_TRUE(std::regex_search(*css, textRule, std::regex(R"((^|\n)text \{[^}]*\})")));
    EXPECT_NE(textRule.str().find("font-family: \"DejaVu Sans\";"), std::string::npos) << textRule.str();
    EXPECT_NE(textRule.str().find("font-weight: bold;"), std::string::npos) << textRule.str();
    EXPECT_EQ(std::regex_search(*css, std::regex(R"(font-family:(?!\s*"DejaVu Sans"))")), false)
        << "a second font family";
    for (const std::string& target : references(*css))
        EXPECT_TRUE(isPartReference(target)) << "skin.css references " << target;
    for (const std::string& target : references(*defs))
        EXPECT_EQ(target.rfind('#', 0), 0u) << "parts/defs.svg references " << target;
    EXPECT_EQ(defs->find("<image"), std::string::npos);
    EXPECT_EQ(defs->find("<text"), std::string::npos);
}

// Each rule rejects the fault it exists for and accepts a good source.
TEST(SkinSources, RulesRejectTheirFault) {
    const ManifestRow plain{"Plain", 12, 10, "image", 1, "test"};
    const ManifestRow lettered{"EGLabels", 12, 10, "image", 1, "test"};
    const std::string sheet =
        "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/css\" href=\"skin.css\"?>\n";
    const std::string root =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"12\" height=\"10\" viewBox=\"0 0 12 10\">";
    const std::string good = sheet + root + "<rect class=\"plate\" width=\"12\" height=\"10\"/>" +
                             "<use href=\"parts/defs.svg#close\"/></svg>";
    for (const Rule& rule : rules())
        EXPECT_EQ(rule.check(plain, good), "") << rule.name;
    EXPECT_EQ(rule("lettering").check(lettered, sheet + root + "<text class=\"cap\">A</text></svg>"), "");

    struct Case {
        const char* rule;
        const ManifestRow& row;
        std::string source;
    };
    const Case cases[] = {
        {"size", plain, sheet + "<svg width=\"12\" height=\"11\" viewBox=\"0 0 12 11\"></svg>"},
        {"size", plain, sheet + "<svg width=\"12.5\" height=\"10\" viewBox=\"0 0 12 10\"></svg>"},
        {"size", plain, sheet + "<svg width=\"12\" height=\"10\" viewBox=\"0 0 24 20\"></svg>"},
        {"size", plain, sheet + "<svg width=\"12\" height=\"10\"></svg>"},
        {"style sheet", plain, "<?xml version=\"1.0\"?>\n" + root + "</svg>"},
        {"style sheet", plain, root + "<?xml-stylesheet type=\"text/css\" href=\"skin.css\"?></svg>"},
        {"no var()", plain, sheet + root + "<rect style=\"fill: var(--amber)\"/></svg>"},
        {"lettering", plain, sheet + root + "<text class=\"cap\">A</text></svg>"},
        {"lettering", lettered, sheet + root + "<text font-family=\"Serif\">A</text></svg>"},
        {"references", plain, sheet + root + "<use href=\"../other/defs.svg#x\"/></svg>"},
        {"references", plain, sheet + root + "<rect fill=\"url(/usr/share/x.svg#g)\"/></svg>"},
        {"references", plain, sheet + root + "<use href=\"#local\"/></svg>"},
        {"references", plain, sheet + root + "<use href=\"http://example.org/x.svg#a\"/></svg>"},
        {"no raster", plain, sheet + root + "<image href=\"parts/photo.png\"/></svg>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_NE(rule(c.rule).check(c.row, c.source), "") << "rule " << c.rule << " let the fault through";
    }
}

} // namespace
