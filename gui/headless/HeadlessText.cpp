#include "gui/headless/HeadlessText.h"

#include <algorithm>
#include <cmath>

namespace gui::headless {

namespace {

// Code points of a UTF-8 text, each as its bytes.
std::vector<std::string> codePoints(const std::string& text) {
    std::vector<std::string> points;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0)
            n = 4;
        else if (lead >= 0xE0)
            n = 3;
        else if (lead >= 0xC0)
            n = 2;
        n = std::min(n, text.size() - i);
        points.push_back(text.substr(i, n));
        i += n;
    }
    return points;
}

std::size_t length(const std::string& text) {
    return codePoints(text).size();
}

} // namespace

HeadlessText::HeadlessText(DeviceBacking& backing) : coverage_(backing) {}

HeadlessText::~HeadlessText() = default;

void HeadlessText::propertyChanged(AbstractProperty& property) {
    laidOut_ = false;
    rendered_ = false;
    Text::propertyChanged(property);
}

const std::vector<std::string>& HeadlessText::lines() {
    layout();
    return lines_;
}

void HeadlessText::layout() {
    if (laidOut_) return;
    laidOut_ = true;
    rendered_ = false;
    lines_.clear();
    const float advance = kAdvance * fontSize.getValue();
    const float limit = wrapWidth.getValue();
    const std::string& all = text.getValue();
    if (all.empty()) {
        width_ = height_ = 0.0f;
        return;
    }
    const auto fits = [&](const std::string& line) {
        return static_cast<float>(length(line)) * advance <= limit;
    };
    if (limit > 0.0f && lineStyle.getValue() == LineStyle::kWordWrap) {
        std::string line;
        std::size_t start = 0;
        while (start <= all.size()) {
            std::size_t end = all.find(' ', start);
            if (end == std::string::npos) end = all.size();
            const std::string word = all.substr(start, end - start);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && !fits(candidate)) {
                lines_.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            start = end + 1;
        }
        lines_.push_back(line);
    } else if (limit > 0.0f && lineStyle.getValue() == LineStyle::kEndEllipsis && !fits(all)) {
        std::vector<std::string> points = codePoints(all);
        std::string line;
        for (const std::string& p : points) {
            if (!fits(line + p + "...")) break;
            line += p;
        }
        lines_.push_back(fits(line + "...") ? line + "..." : std::string());
    } else {
        lines_.push_back(all);
    }
    std::size_t widest = 0;
    for (const std::string& line : lines_)
        widest = std::max(widest, length(line));
    width_ = static_cast<float>(widest) * advance;
    height_ = static_cast<float>(lines_.size()) * kLineHeight * fontSize.getValue();
}

float HeadlessText::width() {
    layout();
    return width_;
}

float HeadlessText::height() {
    layout();
    return height_;
}

const IBitmap* HeadlessText::render() {
    layout();
    if (width_ <= 0.0f || height_ <= 0.0f) return nullptr;
    if (rendered_) return &coverage_;
    rendered_ = true;
    coverage_.setSize(width_, height_);
    coverage_.fillRect(coverage_.getRect(), Color(255, 255, 255, 255));
    const float advance = kAdvance * fontSize.getValue();
    const float lineHeight = kLineHeight * fontSize.getValue();
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        const std::vector<std::string> points = codePoints(lines_[l]);
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i] == " ") continue;
            const float left = static_cast<float>(i) * advance;
            const float top = static_cast<float>(l) * lineHeight;
            coverage_.fillRect(Rect(left + advance * 0.1f, top + lineHeight * 0.2f, left + advance * 0.9f,
                                    top + lineHeight * 0.9f),
                               Color(0, 0, 0, 255));
        }
    }
    coverage_.colorizeGlyphCoverage(color.getValue());
    return &coverage_;
}

} // namespace gui::headless
