#include "editor/tests/walk/ControlPicture.h"

#include "gui/Bitmap.h"
#include "gui/Control.h"
#include "gui/PixelArithmetic.h"
#include "gui/UserInterface.h"
#include "gui/tests/GoldenImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace walk {

namespace {

int channel(std::uint32_t pixel, int shift) {
    return int((pixel >> shift) & 0xFF);
}

} // namespace

ControlPicture ControlPicture::of(gui::Control& control) {
    gui::Bitmap bitmap(control.userInterface().deviceBacking());
    bitmap.setSize(control.width.getValue(), control.height.getValue());
    bitmap.clear();
    ControlPicture picture;
    picture.scale = bitmap.getScale();
    picture.width = bitmap.pixelWidth();
    picture.height = bitmap.pixelHeight();
    if (picture.width == 0 || picture.height == 0) return picture;
    gui::Canvas& canvas = bitmap.getCanvas();
    canvas.opacity.setValue(255);
    control.render(canvas);
    const std::uint32_t* pixels = bitmap.getPixels();
    picture.pixels.assign(pixels, pixels + std::size_t(picture.width) * std::size_t(picture.height));
    return picture;
}

gui::Color ControlPicture::colorAt(int x, int y) const {
    return gui::pixel::unpremultiply(at(x, y));
}

gui::PixelRect ControlPicture::opaqueBox(int threshold) const {
    gui::PixelRect box{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (alphaAt(x, y) > threshold) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.isEmpty() ? gui::PixelRect{} : box;
}

int ControlPicture::differingPixels(const ControlPicture& other, int tolerance) const {
    if (other.width != width || other.height != height) return width * height;
    int count = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        for (int shift : {0, 8, 16, 24})
            if (std::abs(channel(pixels[i], shift) - channel(other.pixels[i], shift)) > tolerance) {
                ++count;
                break;
            }
    return count;
}

std::string ControlPicture::png() const {
    gui::DeviceBacking backing;
    gui::Bitmap bitmap(backing);
    bitmap.resize(width, height);
    if (bitmap.pixelWidth() == 0) return {};
    std::copy(pixels.begin(), pixels.end(), bitmap.getPixels());
    return test::encodeOpaquePng(bitmap);
}

gui::Color ControlPicture::medianAround(const gui::Rect& area, int band, const gui::Rect& limit) const {
    auto pixels = [this](float v, int size) {
        return std::clamp(int(std::floor(v * scale + 0.5f)), 0, size);
    };
    const int left = pixels(area.left, width), top = pixels(area.top, height);
    const int right = pixels(area.right, width), bottom = pixels(area.bottom, height);
    const int limitLeft = pixels(limit.left, width), limitTop = pixels(limit.top, height);
    const int limitRight = pixels(limit.right, width), limitBottom = pixels(limit.bottom, height);
    std::vector<int> channels[3];
    for (int y = std::max(top - band, limitTop); y < std::min(bottom + band, limitBottom); ++y)
        for (int x = std::max(left - band, limitLeft); x < std::min(right + band, limitRight); ++x) {
            if (x >= left && x < right && y >= top && y < bottom) continue;
            const gui::Color c = colorAt(x, y);
            channels[0].push_back(c.r);
            channels[1].push_back(c.g);
            channels[2].push_back(c.b);
        }
    if (channels[0].empty()) return gui::Color(0, 0, 0, 0);
    int median[3];
    for (int i = 0; i < 3; ++i) {
        auto middle = channels[i].begin() + std::ptrdiff_t(channels[i].size() / 2);
        std::nth_element(channels[i].begin(), middle, channels[i].end());
        median[i] = *middle;
    }
    return gui::Color(std::uint8_t(median[0]), std::uint8_t(median[1]), std::uint8_t(median[2]), 255);
}

} // namespace walk
