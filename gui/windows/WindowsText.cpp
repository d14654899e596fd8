#include "gui/windows/WindowsText.h"

#include "foundation/windows/Win32Support.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

// Above this scale the display counts as high resolution: ClearType and the newer face.
constexpr float kHighResolutionScale = 1.2f;

int limitPixels(float logical, float scale) {
    if (!(logical > 0.0f)) return 0;
    return int(std::floor(std::min(logical * scale, 1.0e6f) + 0.7f));
}

// A memory device context with the text's font selected; restores and frees both.
class FontDC {
public:
    explicit FontDC(const LOGFONTW& description)
        : dc_(CreateCompatibleDC(nullptr)), font_(CreateFontIndirectW(&description)) {
        if (dc_ != nullptr && font_ != nullptr) oldFont_ = SelectObject(dc_, font_);
    }
    ~FontDC() {
        if (dc_ != nullptr) {
            if (oldFont_ != nullptr) SelectObject(dc_, oldFont_);
            DeleteDC(dc_);
        }
        if (font_ != nullptr) DeleteObject(font_);
    }
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;
    HDC dc() const { return font_ != nullptr ? dc_ : nullptr; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ oldFont_ = nullptr;
};

} // namespace

WindowsText::WindowsText(DeviceBacking& backing) : backing_(backing), coverage_(backing) {
    backing_.addBackingScaleListener(this);
}

WindowsText::~WindowsText() {
    backing_.removeBackingScaleListener(this);
}

LOGFONTW WindowsText::fontDescription(const Text& text, float scale) {
    LOGFONTW font{};
    const double dpi = std::floor(double(scale) * 96.0 + 0.7);
    font.lfHeight = -LONG(std::lround(double(text.fontSize.getValue()) * dpi / 72.0));
    font.lfWeight = text.bold.getValue() ? FW_BOLD : FW_NORMAL;
    font.lfItalic = text.italic.getValue() ? TRUE : FALSE;
    font.lfUnderline = text.underline.getValue() ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    const bool high = scale > kHighResolutionScale;
    font.lfQuality = high ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;
    std::wstring face = win32::wide(text.fontName.getValue());
    if (face.empty()) face = high ? L"Segoe UI" : L"Tahoma";
    face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), font.lfFaceName);
    return font;
}

UINT WindowsText::formatFlags(const Text& text) {
    UINT flags = DT_NOPREFIX;
    if (text.wrapWidth.getValue() > 0.0f) {
        if (text.lineStyle.getValue() == LineStyle::kEndEllipsis) flags |= DT_END_ELLIPSIS;
        if (text.lineStyle.getValue() == LineStyle::kWordWrap) flags |= DT_WORDBREAK;
    }
    return flags;
}

void WindowsText::measure() {
    if (state_ != State::kMustMeasure) return;
    state_ = State::kMeasured;
    pixelWidth_ = 0;
    pixelHeight_ = 0;
    const std::wstring string = win32::wide(text.getValue());
    if (string.empty()) return;
    const float scale = backing_.getScale();
    FontDC font(fontDescription(*this, scale));
    if (font.dc() == nullptr) return;
    const int limit = limitPixels(wrapWidth.getValue(), scale);
    RECT rect{0, 0, limit, 0};
    DrawTextW(font.dc(), string.c_str(), int(string.size()), &rect, formatFlags(*this) | DT_CALCRECT);
    pixelWidth_ = std::max(0, int(rect.right - rect.left));
    if (limit > 0) pixelWidth_ = std::min(pixelWidth_, limit);
    pixelHeight_ = std::max(0, int(rect.bottom - rect.top));
}

const IBitmap* WindowsText::render() {
    if (state_ != State::kUpToDate) {
        measure();
        state_ = State::kUpToDate;
        coverage_.resize(pixelWidth_, pixelHeight_);
        HBITMAP dib = coverage_.dib();
        if (dib == nullptr) {
            coverage_.resize(0, 0);
            return nullptr;
        }
        const std::wstring string = win32::wide(text.getValue());
        FontDC font(fontDescription(*this, backing_.getScale()));
        if (font.dc() == nullptr) {
            coverage_.resize(0, 0);
            return nullptr;
        }
        HGDIOBJ oldBitmap = SelectObject(font.dc(), dib);
        RECT rect{0, 0, pixelWidth_, pixelHeight_};
        SetBkColor(font.dc(), RGB(255, 255, 255));
        SetBkMode(font.dc(), OPAQUE);
        SetTextColor(font.dc(), RGB(0, 0, 0));
        FillRect(font.dc(), &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawTextW(font.dc(), string.c_str(), int(string.size()), &rect, formatFlags(*this));
        GdiFlush();
        SelectObject(font.dc(), oldBitmap);
        // Coverage is read from blue: the mean of the three channels, so
        // sub-pixel fringes do not tint the text.
        std::uint32_t* pixels = coverage_.getPixels();
        const std::size_t count = std::size_t(pixelWidth_) * std::size_t(pixelHeight_);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t p = pixels[i];
            const std::uint32_t mean = ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
            pixels[i] = (p & 0xFFFFFF00u) | mean;
        }
        coverage_.colorizeGlyphCoverage(color.getValue());
    }
    return coverage_.getPixels() != nullptr ? &coverage_ : nullptr;
}

float WindowsText::width() {
    measure();
    return float(pixelWidth_) / backing_.getScale();
}

float WindowsText::height() {
    measure();
    return float(pixelHeight_) / backing_.getScale();
}

float WindowsText::verticalOffset() {
    const float scale = backing_.getScale();
    if (scale > kHighResolutionScale) return -2.0f / scale;
    if (fontSize.getValue() < 8.0f) return 0.0f;
    return -1.0f / scale;
}

void WindowsText::propertyChanged(AbstractProperty& property) {
    state_ = State::kMustMeasure;
    Text::propertyChanged(property);
}

void WindowsText::backingScaleChanged() {
    coverage_.resize(0, 0);
    state_ = State::kMustMeasure;
}

} // namespace gui
