#pragma once

// The toolkit's software image: 32-bit pixels (bytes blue, green, red,
// 255 - alpha; colours premultiplied; 0xFF000000 is fully transparent) sized
// to the device pixels of a logical size on a device backing. Both renderers
// draw it (the accelerated one uploads it as a texture and keeps it current
// through the changed rects), and controls draw into it through its canvas.
//
// Loading: load(name) reads a module resource, preferring the "_2x" variant
// unless the backing's scale is 1.0; the image keeps its own pixels (the
// loaded source) and is refitted to the backing whenever its scale changes.
// Formats are read by the registered filer factories (gui/BitmapFiler.h);
// every user interface registers the PNG one (registerPngFilerFactory) as
// it is made.
//
// Change tracking: every change that is not a drawing operation (load,
// resize, clear, copy) ends in update(), which marks everything changed
// (state kEverything) and fires the change event once per coalesced update.
// Drawing operations report the pixel rect they touched through
// pixelsChanged, which keeps at most three rects for the renderer.
//
// Drawing never touches memory outside the pixel block: logical coordinates
// become pixels through one conversion (NaN draws nothing, anything else
// saturates at +-2^22), every rect is clipped to both bitmaps, and samples
// outside a source read as transparent.
//
// Pixel buffers are 16-byte aligned, start out transparent and go through
// allocatePixels and freePixels. A subclass that allocates its own buffers
// frees them in its own destructor (releaseBuffers).
//
// Threading: GUI thread. The render thread reads pixels, changed rects and
// the texture slot under the root control's lock.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "foundation/UpdatedObject.h"
#include "gui/BasicRect.h"
#include "gui/Canvas.h"
#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"
#include "gui/ICanvas.h"
#include "gui/ITexture.h"

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>
#include <vector>

namespace gui {

class Bitmap : public UpdatedObject,
               public IBitmap,
               public ICanvas,
               public PropertyOwner,
               public DeviceBacking::BackingScaleListener {
public:
    // The largest side and the largest bitmap, in pixels.
    static constexpr int kMaxSide = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
    static constexpr std::uint32_t kTransparentPixel = 0xFF000000u;

    explicit Bitmap(DeviceBacking& backing);
    ~Bitmap() override;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    DelegatingProperty<float> height; // logical; setting it keeps the width
    DelegatingProperty<Point> size;   // logical
    Property<bool> transparent;       // some pixel is not opaque
    DelegatingProperty<float> width;  // logical; setting it keeps the height
    NotifyEvent changeEvent;          // fired by every coalesced update

    // Reads a resource image (Algorithms of the class comment); throws
    // EResource for a missing resource and EBitmap for one it cannot read.
    void load(std::string_view name);
    // Reads an image through the filer factories; EBitmap "Unknown file
    // format" when none recognises it.
    void read(std::istream& stream);

    // Logical size: pixels = floor(v x scale + 0.7).
    void setSize(float w, float h);
    // Pixel size. A side below 1 or past the limits gives an empty bitmap.
    void resize(int pixelWidth, int pixelHeight);
    void setSizeLike(const Bitmap& other);
    void copyFrom(const Bitmap& other);
    // Every pixel transparent.
    void clear();
    // The canvas with its clip reset to the whole logical rect and its origin to (0, 0).
    Canvas& getCanvas();
    // The colour at a pixel, un-premultiplied; (0, 0, 0, 0) outside.
    Color pixelAt(int x, int y) const;

    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }
    float getScale() const;
    DeviceBacking& getBacking() const { return *backing_; }
    bool hasLoadedSource() const { return source_ != nullptr; }
    float getSourceScale() const { return sourceScale_; }

    // UpdatedObject: everything changed, pending records, change event.
    void update() override;

    // IBitmap.
    PixelRect getPixelRect() const override { return {0, 0, pixelWidth_, pixelHeight_}; }
    Rect getRect() const override { return {0.0f, 0.0f, logicalWidth_, logicalHeight_}; }
    const std::uint32_t* getPixels() const override { return pixels_; }
    std::uint32_t* getPixels() override { return pixels_; }
    bool hasTransparency() const override { return transparent.getValue(); }
    ITexture* getTexture() const override { return texture_.get(); }
    void getChangedRects(const PixelRect*& rects, int& count) const override;
    BitmapChangeState getChangeState() const override { return changeState_; }
    void clearChangedRects() const override;
    void setTexture(ITexture* texture) const override;

    // ICanvas: coordinates are logical units of this bitmap.
    void drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                    int alpha) override;
    void drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                          const IBitmap& mask, const Point& maskPoint, int alpha) override;
    void drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect, const Point& offset,
                   Orientation orientation, int alpha) override;
    void drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Color colorA, Color colorB, float parameter) override;
    void fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                      float end, int alpha) override;
    void drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) override;
    void fillRect(const Rect& rect, Color color) override;
    DeviceBacking* getDeviceBacking() override { return backing_; }
    Color getPixel(const Point& point) override;
    void setPixel(const Point& point, Color color) override;
    void prepare(const Rect& viewport) override;

    // Bitmap-to-bitmap operations: this bitmap is the destination.
    // this := cross-fade of a and b (weight 0 gives a, 255 gives b) over a's
    // rect, limited to clipRect when it is not empty.
    void composite(const Bitmap& a, const Bitmap& b, int weight, const Rect& clipRect = {});
    // Glyph coverage (255 - blue; text drawn black on white) into coloured text.
    void colorizeGlyphCoverage(Color color);
    // The modes of copyRecolored: colorA's hue with the saturation at most
    // colorA's (any other mode does the same), a product with colorA, or
    // saturation and lightness remapped so that colorB's land on colorA's.
    enum RecolorMode : int { kRecolorHue = 0, kRecolorMultiply = 2, kRecolorRemap = 3 };
    void copyRecolored(const Bitmap& source, Color colorA, int mode, Color colorB);
    // Flag 1 mirrors left-right, flag 2 flips top-bottom.
    void copyMirrored(const Bitmap& source, int flags);
    // The source's pixels under the logical rect, faded by opacity (a copy).
    void copyRectWithOpacity(const Bitmap& source, const Rect& rect, int opacity);
    // Resized to destRect's pixel size; exact halves average 2 x 2, else nearest.
    void copyScaled(const Bitmap& source, const Rect& sourceRect, const Rect& destRect);
    // The source rotated by angle (radians) about both centres; keeps this size.
    void drawRotated(const Bitmap& source, float angle);
    // The ramps of modifyPixelRect.
    enum RampMode : int { kRampOutRight = 0, kRampInFromLeft = 1, kRampOutDown = 2, kRampInFromTop = 3 };
    // Multiplies the rect by a linear ramp, a RampMode.
    void modifyPixelRect(const Rect& rect, int mode);

    void backingScaleChanged() override;
    void propertyChanged(AbstractProperty& property) override;

protected:
    // A buffer of width x height pixels, 16-byte aligned, every pixel transparent.
    virtual std::uint32_t* allocatePixels(int pixelWidth, int pixelHeight);
    virtual void freePixels(std::uint32_t* buffer);
    // Records a changed pixel rect for the renderer.
    virtual void pixelsChanged(const PixelRect& rect);

    // Frees the pixels and the loaded source through freePixels; a subclass
    // with its own buffers calls it from its destructor.
    void releaseBuffers();

private:
    void setLogicalSize(float w, float h);
    void fitToBacking();
    // this := size of (pw, ph) with the given logical size; false when empty.
    bool prepareCopy(int pw, int ph);
    std::uint32_t* row(int y) { return pixels_ + std::size_t(y) * std::size_t(pixelWidth_); }
    void fillRun(std::uint32_t* pixel, int step, int count, std::uint32_t c0, std::uint32_t c1, int p0,
                 int p1, int first);

    DeviceBacking* backing_;
    float logicalWidth_ = 0.0f;
    float logicalHeight_ = 0.0f;
    int pixelWidth_ = 0;
    int pixelHeight_ = 0;
    std::unique_ptr<Canvas> canvas_;
    std::uint32_t* pixels_ = nullptr;
    std::uint32_t* source_ = nullptr; // the loaded image; may be pixels_
    float sourceScale_ = 1.0f;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    mutable std::unique_ptr<ITexture> texture_;
    mutable std::array<PixelRect, 3> changedRects_{};
    mutable int changedCount_ = 0;
    mutable BitmapChangeState changeState_ = BitmapChangeState::kEverything;
    std::vector<std::uint32_t> curveColumn_; // one column of a curve, reused
};

} // namespace gui
