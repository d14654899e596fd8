#include "gui/Bitmap.h"

#include "foundation/SystemUtils.h"
#include "gui/BitmapFiler.h"
#include "gui/BitmapResampler.h"
#include "gui/EBitmap.h"
#include "gui/PixelArithmetic.h"
#include "gui/PixelCoordinates.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace gui {

namespace {

constexpr float kScaleTolerance = 1.1920929e-7f;
constexpr std::size_t kPixelAlignment = 16;

bool sameScale(float a, float b) {
    return std::fabs(a - b) <= kScaleTolerance;
}

std::int64_t area(const PixelRect& r) {
    return std::int64_t(r.right - r.left) * std::int64_t(r.bottom - r.top);
}

PixelRect united(PixelRect a, const PixelRect& b) {
    unite(a, b);
    return a;
}

int pixelsFor(float logical, float scale) {
    int out = 0;
    if (!toPixel(logical, scale, out)) return 0;
    return out;
}

} // namespace

Bitmap::Bitmap(DeviceBacking& backing)
    : height([this] { return logicalHeight_; }, [this](float h) { setSize(logicalWidth_, h); }),
      size([this] { return Point(logicalWidth_, logicalHeight_); }, [this](Point p) { setSize(p.x, p.y); }),
      transparent(this, false),
      width([this] { return logicalWidth_; }, [this](float w) { setSize(w, logicalHeight_); }),
      backing_(&backing), canvas_(std::make_unique<Canvas>(this)) {
    backing_->addBackingScaleListener(this);
}

Bitmap::~Bitmap() {
    backing_->removeBackingScaleListener(this);
    texture_.reset();
    releaseBuffers();
}

void Bitmap::releaseBuffers() {
    if (source_ != nullptr && source_ != pixels_) freePixels(source_);
    source_ = nullptr;
    if (pixels_ != nullptr) freePixels(pixels_);
    pixels_ = nullptr;
}

std::uint32_t* Bitmap::allocatePixels(int pw, int ph) {
    std::size_t count = std::size_t(pw) * std::size_t(ph);
    auto* buffer = static_cast<std::uint32_t*>(
        ::operator new (std::max<std::size_t>(count, 1) * 4, std::align_val_t{kPixelAlignment}));
    std::fill(buffer, buffer + count, kTransparentPixel);
    return buffer;
}

void Bitmap::freePixels(std::uint32_t* buffer) {
    ::operator delete (buffer, std::align_val_t{kPixelAlignment});
}

float Bitmap::getScale() const {
    return backing_->getScale();
}

void Bitmap::update() {
    changeState_ = BitmapChangeState::kEverything;
    changedCount_ = 0;
    firePendingNotifications();
    changeEvent.notify(this);
}

void Bitmap::propertyChanged(AbstractProperty&) {}

void Bitmap::getChangedRects(const PixelRect*& rects, int& count) const {
    rects = changedRects_.data();
    count = changedCount_;
}

void Bitmap::clearChangedRects() const {
    changedCount_ = 0;
    changeState_ = BitmapChangeState::kUnchanged;
}

void Bitmap::setTexture(ITexture* texture) const {
    if (texture_.get() != texture) texture_.reset(texture);
}

void Bitmap::pixelsChanged(const PixelRect& rect) {
    if (changeState_ == BitmapChangeState::kEverything || rect.isEmpty()) return;
    int best = -1;
    std::int64_t bestArea = 0;
    for (int i = 0; i < changedCount_; ++i) {
        std::int64_t a = area(united(changedRects_[std::size_t(i)], rect));
        if (best < 0 || a < bestArea) {
            best = i;
            bestArea = a;
        }
    }
    if (best >= 0 && (changedCount_ == int(changedRects_.size()) ||
                      bestArea <= area(changedRects_[std::size_t(best)]) + area(rect)))
        unite(changedRects_[std::size_t(best)], rect);
    else
        changedRects_[std::size_t(changedCount_++)] = rect;
    changeState_ = BitmapChangeState::kRects;
}

void Bitmap::setLogicalSize(float w, float h) {
    logicalWidth_ = w;
    logicalHeight_ = h;
}

void Bitmap::setSize(float w, float h) {
    float scale = getScale();
    resize(pixelsFor(w, scale), pixelsFor(h, scale));
}

void Bitmap::resize(int pw, int ph) {
    if (pw < 1 || ph < 1 || pw > kMaxSide || ph > kMaxSide || std::int64_t(pw) * ph > kMaxPixels) pw = ph = 0;
    if (pw == pixelWidth_ && ph == pixelHeight_) return;
    if (pixels_ != nullptr) {
        if (source_ == pixels_) source_ = nullptr;
        freePixels(pixels_);
        pixels_ = nullptr;
    }
    float scale = getScale();
    if (pixelsFor(logicalWidth_, scale) != pw || pw == 0) logicalWidth_ = float(pw) / scale;
    if (pixelsFor(logicalHeight_, scale) != ph || ph == 0) logicalHeight_ = float(ph) / scale;
    pixelWidth_ = pw;
    pixelHeight_ = ph;
    if (pw > 0 && ph > 0) pixels_ = allocatePixels(pw, ph);
    if (source_ != nullptr) {
        freePixels(source_);
        source_ = nullptr;
    }
    requestUpdate();
}

void Bitmap::setSizeLike(const Bitmap& other) {
    Hold hold(*this);
    resize(other.pixelWidth_, other.pixelHeight_);
    setLogicalSize(other.logicalWidth_, other.logicalHeight_);
    requestUpdate();
}

void Bitmap::copyFrom(const Bitmap& other) {
    if (&other == this) return;
    Hold hold(*this);
    setSizeLike(other);
    if (pixels_ != nullptr && other.pixels_ != nullptr)
        std::copy(other.pixels_, other.pixels_ + std::size_t(pixelWidth_) * std::size_t(pixelHeight_),
                  pixels_);
    transparent.setValue(other.transparent.getValue());
    requestUpdate();
}

void Bitmap::clear() {
    if (pixels_ != nullptr)
        std::fill(pixels_, pixels_ + std::size_t(pixelWidth_) * std::size_t(pixelHeight_), kTransparentPixel);
    transparent.setValue(true);
    pixelsChanged(getPixelRect());
}

Canvas& Bitmap::getCanvas() {
    canvas_->clip.setValue(getRect());
    canvas_->origin.setValue(Point(0.0f, 0.0f));
    return *canvas_;
}

Color Bitmap::pixelAt(int x, int y) const {
    if (pixels_ == nullptr || x < 0 || y < 0 || x >= pixelWidth_ || y >= pixelHeight_)
        return Color(0, 0, 0, 0);
    return pixel::unpremultiply(pixels_[std::size_t(y) * std::size_t(pixelWidth_) + std::size_t(x)]);
}

void Bitmap::load(std::string_view name) {
    Hold hold(*this);
    sourceScale_ = 1.0f;
    std::string doubleName = addDoubleScaleSuffix(name);
    std::string chosen(name);
    if (sameScale(getScale(), 1.0f) && resourceExists(name)) {
        chosen = std::string(name);
    } else if (resourceExists(doubleName)) {
        chosen = doubleName;
        sourceScale_ = 2.0f;
    }
    std::unique_ptr<std::istringstream> stream = loadResource(chosen);
    read(*stream);
    if (source_ != nullptr && source_ != pixels_) freePixels(source_);
    source_ = pixels_;
    sourceWidth_ = pixelWidth_;
    sourceHeight_ = pixelHeight_;
    fitToBacking();
}

void Bitmap::read(std::istream& stream) {
    for (BitmapFilerFactory* factory : bitmapFilerFactories()) {
        stream.clear();
        std::streampos position = stream.tellg();
        std::unique_ptr<BitmapFiler> filer(factory->createFiler(*this, stream));
        stream.clear();
        stream.seekg(position);
        if (filer) {
            Hold hold(*this);
            filer->read(stream);
            requestUpdate();
            return;
        }
    }
    throw EBitmap("Unknown file format");
}

void Bitmap::fitToBacking() {
    if (source_ == nullptr) return;
    Hold hold(*this);
    const float r = getScale() / sourceScale_;
    if (sameScale(r, 1.0f)) {
        if (pixels_ != source_) {
            if (pixels_ != nullptr) freePixels(pixels_);
            pixels_ = source_;
        }
        pixelWidth_ = sourceWidth_;
        pixelHeight_ = sourceHeight_;
        setLogicalSize(float(sourceWidth_) / sourceScale_, float(sourceHeight_) / sourceScale_);
        requestUpdate();
        return;
    }
    int pw = 0, ph = 0;
    if (!saturatedInt(std::floor(double(sourceWidth_) * r + 0.7), pw) ||
        !saturatedInt(std::floor(double(sourceHeight_) * r + 0.7), ph))
        pw = ph = 0;
    if (pw < 1 || ph < 1 || pw > kMaxSide || ph > kMaxSide || std::int64_t(pw) * ph > kMaxPixels) pw = ph = 0;

    // The new pixels are made beside the source, which stays for later refits.
    std::uint32_t* fitted = pw > 0 ? allocatePixels(pw, ph) : nullptr;
    if (fitted != nullptr) {
        resample::Block from{source_, sourceWidth_, sourceHeight_};
        resample::Target to{fitted, pw, ph};
        resample::Ratio ratio;
        bool filtered = false;
        for (float candidate : {0.625f, 0.75f, 0.875f, 1.125f, 1.25f})
            filtered = filtered || sameScale(r, candidate);
        if (filtered && resample::chooseRatio(sourceWidth_, sourceHeight_, pw, ph, ratio))
            resample::edgeAware(from, to, ratio);
        else if (sourceWidth_ == 2 * pw && sourceHeight_ == 2 * ph)
            resample::halve(from, to);
        else if (sameScale(r, 1.5f))
            resample::threeHalves(from, to);
        else
            resample::nearest(from, to);
    }
    if (pixels_ != nullptr && pixels_ != source_) freePixels(pixels_);
    pixels_ = fitted;
    pixelWidth_ = pw;
    pixelHeight_ = ph;
    setLogicalSize(float(sourceWidth_) / sourceScale_, float(sourceHeight_) / sourceScale_);
    requestUpdate();
}

void Bitmap::backingScaleChanged() {
    if (source_ != nullptr) {
        fitToBacking();
        return;
    }
    float scale = getScale();
    resize(pixelsFor(logicalWidth_, scale), pixelsFor(logicalHeight_, scale));
}

void Bitmap::prepare(const Rect&) {}

} // namespace gui
