#pragma once

// Where the skin's art carries lettering: the captions that the SVG sources
// (resources/skin/, read from VARNEL_SOURCE_DIR) set as <text>, as boxes in
// the bitmap's logical coordinates, sized from the caption font (bold,
// 0.72 em a capital, centred on x, capitals above the baseline y). An image
// of the editor is matched to its art by its pixels: each lettered bitmap is
// loaded on the user interface as the editor loads it.
//
// Threading: GUI thread only.

#include "gui/BasicRect.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {
class Bitmap;
class Image;
class UserInterface;
} // namespace gui

class SkinLettering {
public:
    explicit SkinLettering(gui::UserInterface& userInterface);
    ~SkinLettering();

    // The lettering of the image's art (empty for art without any).
    std::vector<gui::Rect> of(gui::Image& image) const;
    // How many lettered bitmaps were found.
    std::size_t artCount() const { return arts_.size(); }

    // The caption boxes of one SVG source.
    static std::vector<gui::Rect> parse(const std::string& svg);

private:
    struct Art {
        std::unique_ptr<gui::Bitmap> bitmap;
        std::vector<gui::Rect> letters;
    };
    std::vector<Art> arts_;
};
