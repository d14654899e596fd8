#include "effect_editor/tests/integrity/SkinLettering.h"

#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

// The caption font of skin.css: 7 px, 9 px for the icon letters, 11 px for
// the wordmark; letters on the envelope dots belong to the dot itself.
constexpr float kCaptionSize = 7.0f;
constexpr float kIconSize = 9.0f;
constexpr float kLogoSize = 11.0f;
// Advances of the bold caption face in em: capitals and figures, the space.
constexpr float kLetterAdvance = 0.72f;
constexpr float kSpaceAdvance = 0.35f;
// Capital height above the baseline, and what reaches below it.
constexpr float kCapHeight = 0.75f;
constexpr float kDescent = 0.05f;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string sourceDir() {
    const char* dir = std::getenv("VARNEL_SOURCE_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/resources/skin/";
}

std::string attribute(const std::string& attributes, const char* name) {
    const std::regex pattern(std::string("\\b") + name + "=\"([^\"]*)\"");
    std::smatch match;
    return std::regex_search(attributes, match, pattern) ? match[1].str() : std::string();
}

} // namespace

SkinLettering::SkinLettering(gui::UserInterface& userInterface) {
    const std::string dir = sourceDir();
    std::istringstream manifest(readFile(dir + "skin.tsv"));
    std::string line;
    std::getline(manifest, line); // the header
    while (std::getline(manifest, line)) {
        const std::string name = line.substr(0, line.find('\t'));
        if (name.empty()) continue;
        std::vector<gui::Rect> letters = parse(readFile(dir + name + ".svg"));
        if (letters.empty()) continue;
        Art art;
        art.bitmap = std::make_unique<gui::Bitmap>(userInterface.deviceBacking());
        art.bitmap->load(name + ".png");
        art.letters = std::move(letters);
        arts_.push_back(std::move(art));
    }
}

SkinLettering::~SkinLettering() = default;

std::vector<gui::Rect> SkinLettering::parse(const std::string& svg) {
    std::vector<gui::Rect> boxes;
    const std::regex text("<text([^>]*)>([^<]*)</text>");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator(); ++it) {
        const std::string attributes = (*it)[1].str();
        const std::string letters = (*it)[2].str();
        const std::string kind = attribute(attributes, "class");
        if (kind == "cap-dot") continue;
        const float size = kind == "logo" ? kLogoSize : kind == "cap-icon" ? kIconSize : kCaptionSize;
        float advance = 0.0f;
        for (unsigned char c : letters) {
            if ((c & 0xC0) == 0x80) continue; // inside a character
            advance += (c == ' ' ? kSpaceAdvance : kLetterAdvance) * size;
        }
        const float x = std::strtof(attribute(attributes, "x").c_str(), nullptr);
        const float y = std::strtof(attribute(attributes, "y").c_str(), nullptr);
        boxes.emplace_back(x - advance * 0.5f, y - kCapHeight * size, x + advance * 0.5f,
                           y + kDescent * size);
    }
    return boxes;
}

std::vector<gui::Rect> SkinLettering::of(gui::Image& image) const {
    const gui::Bitmap& shown = image.bitmap();
    const std::size_t count = std::size_t(shown.pixelWidth()) * std::size_t(shown.pixelHeight());
    for (const Art& art : arts_) {
        const gui::Bitmap& b = *art.bitmap;
        if (count == 0 || b.pixelWidth() != shown.pixelWidth() || b.pixelHeight() != shown.pixelHeight())
            continue;
        if (std::memcmp(b.getPixels(), shown.getPixels(), count * sizeof(std::uint32_t)) == 0)
            return art.letters;
    }
    return {};
}
