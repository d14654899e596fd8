#include "gui/OpenGLRenderer.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Curve.h"
#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/Gradient.h"
#include "gui/tests/opengl/GLTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace gui {
namespace {

using test::FrameRgb;
using test::makeCurrentContext;
using test::readFrame;

// The driver as initialize sees it, replaced by a table entry.
class ScriptedDriverRenderer : public OpenGLRenderer {
public:
    struct Driver {
        const char* version;
        const char* extensions;
        const char* vendor;
        bool entryPoints;
    };

    ScriptedDriverRenderer(DeviceBacking& backing, GLContext& context, const Driver& driver)
        : OpenGLRenderer(backing, context), driver_(driver) {}

protected:
    const char* driverString(unsigned name) override {
        switch (name) {
        case GL_VERSION:
            return driver_.version;
        case GL_EXTENSIONS:
            return driver_.extensions;
        case GL_VENDOR:
            return driver_.vendor;
        default:
            return OpenGLRenderer::driverString(name);
        }
    }
    GLContext::Proc entryPoint(const char* name) override {
        if (!driver_.entryPoints && std::string(name) == "glMultiTexCoord2f") return nullptr;
        return OpenGLRenderer::entryPoint(name);
    }

private:
    Driver driver_;
};

TEST(OpenGLRendererTest, InitializeRefusesDriversItCannotServe) {
    auto context = makeCurrentContext(16, 16);
    ASSERT_NE(context, nullptr);
    DeviceBacking backing;
    const char* npot = "GL_ARB_multitexture GL_ARB_texture_non_power_of_two GL_EXT_bgra";
    struct Case {
        const char* name;
        ScriptedDriverRenderer::Driver driver;
        std::uint32_t options;
        bool initialises;
    };
    const Case cases[] = {
        {"1.3", {"1.3 Test", npot, "Test Vendor", true}, 0, true},
        {"1.2", {"1.2 Test", npot, "Test Vendor", true}, 0, false},
        {"0.9", {"0.9", npot, "Test Vendor", true}, 0, false},
        {"not a version", {"x.y", npot, "Test Vendor", true}, 0, false},
        {"no extension", {"2.1", "GL_ARB_multitexture GL_EXT_bgra", "Test Vendor", true}, 0, false},
        {"a longer extension name only",
         {"2.1", "GL_ARB_texture_non_power_of_two_x", "Test Vendor", true},
         0,
         false},
        {"refused vendor", {"2.1", npot, "Matrox Graphics Inc.", true}, 0, false},
        {"refused vendor allowed", {"2.1", npot, "Matrox Graphics Inc.", true}, 16, true},
        {"other option bits", {"2.1", npot, "Matrox Graphics Inc.", true}, 3, false},
        {"missing entry point", {"2.1", npot, "Test Vendor", false}, 0, false},
        {"no version string", {nullptr, npot, "Test Vendor", true}, 0, false},
        {"no extension string", {"2.1", nullptr, "Test Vendor", true}, 0, false},
        {"no vendor string", {"2.1", npot, nullptr, true}, 0, false},
    };
    for (const Case& c : cases) {
        displayOptions().globalOptions = c.options;
        ScriptedDriverRenderer renderer(backing, *context, c.driver);
        EXPECT_EQ(renderer.initialize(), c.initialises) << c.name;
    }
    displayOptions().globalOptions = 0;
    OpenGLRenderer real(backing, *context);
    EXPECT_TRUE(real.initialize()) << "the driver: " << glGetString(GL_VERSION) << ", "
                                   << glGetString(GL_VENDOR);
    context->release();
}

TEST(OpenGLRendererTest, AScissorEqualToTheViewportTurnsScissoringOff) {
    auto context = makeCurrentContext(40, 30);
    ASSERT_NE(context, nullptr);
    DeviceBacking backing;
    OpenGLRenderer renderer(backing, *context);
    ASSERT_TRUE(renderer.initialize());
    renderer.setViewport({0, 0, 40, 30});
    renderer.setScissor({5, 5, 20, 20});
    EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), GL_TRUE);
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 5);
    EXPECT_EQ(box[1], 30 - 20); // GL counts rows from the bottom
    EXPECT_EQ(box[2], 15);
    EXPECT_EQ(box[3], 15);
    renderer.setScissor(renderer.fullRect());
    EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), GL_FALSE);
    context->release();
}

TEST(OpenGLRendererTest, TheConstantColourIsSetAgainAfterADrawFromTheColourArray) {
    auto context = makeCurrentContext(16, 8);
    ASSERT_NE(context, nullptr);
    DeviceBacking backing;
    OpenGLRenderer renderer(backing, *context);
    ASSERT_TRUE(renderer.initialize());
    renderer.setViewport({0, 0, 16, 8});
    Canvas canvas(&renderer);
    canvas.clip.setValue(Rect(0, 0, 16, 8));
    canvas.fillRect({0, 0, 4, 8}, Color(255, 0, 0));
    Gradient gradient(Color(0, 255, 0), Color(0, 128, 0));
    canvas.fillGradient(gradient, {4, 0, 8, 8}, Direction::kRight, 0.0f, 1.0f, 255);
    // The current colour is undefined after a draw from the colour array: a
    // driver may leave any colour there.
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    canvas.fillRect({8, 0, 16, 8}, Color(255, 0, 0));
    const auto frame = readFrame(16, 8);
    EXPECT_EQ(frame.at(12, 4)[0], 255);
    EXPECT_EQ(frame.at(12, 4)[2], 0);
    context->release();
}

TEST(OpenGLRendererTest, ATwoLayerCurveReachesTheRightEdgeOfAVeryWideViewport) {
    // 7000 device pixels: ten vertices per column take indices past 65535.
    constexpr int kWidth = 7000, kHeight = 24;
    auto context = makeCurrentContext(kWidth, kHeight);
    ASSERT_NE(context, nullptr);
    DeviceBacking backing;
    OpenGLRenderer renderer(backing, *context);
    ASSERT_TRUE(renderer.initialize());
    renderer.setViewport({0, 0, kWidth, kHeight});
    Canvas canvas(&renderer);
    canvas.clip.setValue(Rect(0, 0, float(kWidth), float(kHeight)));
    // Wiggles in every column, so that every column is emitted.
    class Wiggle : public ICurve {
    public:
        explicit Wiggle(float centre) : centre_(centre) {}
        float valueAt(float x) const override { return centre_ + 2.0f * std::sin(x * 0.9f); }

    private:
        float centre_;
    };
    const Wiggle upper(6.0f), lower(17.0f);
    CurveStyle style;
    style.layerCount = 2;
    style.layers[0] = {&upper, Color(0, 0, 0, 0), Color(255, 0, 0), nullptr, Color(0, 0, 0, 0), 2.0f, 0.0f};
    style.layers[1] = {&lower, Color(0, 0, 0, 0), Color(0, 255, 0), nullptr, Color(0, 0, 0, 0), 2.0f, 0.0f};
    canvas.drawCurve(style, Rect(0, 0, float(kWidth), float(kHeight)), {0, 0});
    const auto frame = readFrame(kWidth, kHeight);
    for (int x : {10, 3500, 6990}) {
        int red = 0, green = 0;
        for (int y = 0; y < kHeight; ++y) {
            red = std::max(red, int(frame.at(x, y)[0]));
            green = std::max(green, int(frame.at(x, y)[1]));
        }
        EXPECT_GT(red, 200) << "column " << x;
        EXPECT_GT(green, 200) << "column " << x;
    }
    context->release();
}

// ---------------------------------------------------------------------------
// Cross-check: the same canvas calls into a software bitmap and through the
// renderer, over an opaque background, compared pixel by pixel.

constexpr Color kBackground(40, 60, 80);

class CrossCheck {
public:
    CrossCheck(float scale, float width, float height) : software_(backing_) {
        backing_.setSystemScale(scale);
        software_.setSize(width, height);
        pw_ = software_.pixelWidth();
        ph_ = software_.pixelHeight();
        context_ = makeCurrentContext(pw_, ph_);
        if (context_ == nullptr) return;
        renderer_ = std::make_unique<OpenGLRenderer>(backing_, *context_);
        ready_ = renderer_->initialize();
        EXPECT_TRUE(ready_) << "the renderer refuses the driver";
        if (!ready_) return;
        renderer_->setViewport({0, 0, pw_, ph_});
        canvas_.setTarget(renderer_.get());
        canvas_.clip.setValue(software_.getRect());
        draw([](Canvas& c) { c.fillRect({0, 0, 10000, 10000}, kBackground); });
    }
    ~CrossCheck() {
        renderer_.reset();
        if (context_ != nullptr) context_->release();
    }

    bool ready() const { return ready_; }
    DeviceBacking& backing() { return backing_; }
    float scale() const { return backing_.getScale(); }
    int width() const { return pw_; }
    int height() const { return ph_; }

    void draw(const std::function<void(Canvas&)>& paint) {
        paint(software_.getCanvas());
        paint(canvas_);
    }

    // The renderer's frame and the software pixels, as r, g, b.
    void capture() {
        gl_ = readFrame(pw_, ph_);
        sw_ = FrameRgb{pw_, ph_, std::vector<std::uint8_t>(std::size_t(pw_) * std::size_t(ph_) * 3)};
        const std::uint32_t* pixels = software_.getPixels();
        for (int y = 0; y < ph_; ++y)
            for (int x = 0; x < pw_; ++x) {
                const std::uint32_t p = pixels[std::size_t(y) * std::size_t(pw_) + std::size_t(x)];
                std::uint8_t* out = &sw_.bytes[(std::size_t(y) * std::size_t(pw_) + std::size_t(x)) * 3];
                out[0] = std::uint8_t(p >> 16);
                out[1] = std::uint8_t(p >> 8);
                out[2] = std::uint8_t(p);
            }
    }
    const FrameRgb& gl() const { return gl_; }
    const FrameRgb& sw() const { return sw_; }

    // Largest channel difference where the mask allows, with where it is.
    std::string worst(const std::function<bool(int, int)>& inside,
                      const std::function<int(int, int)>& tolerance, int& failures) const {
        failures = 0;
        std::ostringstream first;
        for (int y = 0; y < ph_; ++y)
            for (int x = 0; x < pw_; ++x) {
                if (!inside(x, y)) continue;
                for (int c = 0; c < 3; ++c) {
                    const int d = std::abs(int(gl_.at(x, y)[c]) - int(sw_.at(x, y)[c]));
                    if (d > tolerance(x, y)) {
                        if (failures++ == 0)
                            first << "at (" << x << ", " << y << ") channel " << c << ": renderer "
                                  << int(gl_.at(x, y)[c]) << ", software " << int(sw_.at(x, y)[c]);
                    }
                }
            }
        return first.str();
    }

    void expectWithin(int tolerance, const char* what) {
        capture();
        int failures = 0;
        std::string where =
            worst([](int, int) { return true; }, [&](int, int) { return tolerance; }, failures);
        EXPECT_EQ(failures, 0) << what << " (scale " << scale() << "): " << where;
    }

private:
    DeviceBacking backing_;
    Bitmap software_;
    int pw_ = 0;
    int ph_ = 0;
    std::unique_ptr<GLContext> context_;
    std::unique_ptr<OpenGLRenderer> renderer_;
    Canvas canvas_;
    bool ready_ = false;
    FrameRgb gl_;
    FrameRgb sw_;
};

// A 20 x 12 bitmap in four quarters: opaque, half transparent, a gradient, transparent.
void paintSource(Bitmap& bitmap) {
    bitmap.setSize(20, 12);
    Canvas& c = bitmap.getCanvas();
    c.fillRect({0, 0, 10, 6}, Color(250, 30, 10));
    c.fillRect({10, 0, 20, 6}, Color(20, 200, 120, 128));
    Gradient gradient(Color(255, 255, 0, 255), Color(0, 0, 255, 40));
    c.fillGradient(gradient, {0, 6, 10, 12}, Direction::kRight, 0.0f, 1.0f, 255);
    c.fillRect({12, 8, 16, 10}, Color(255, 255, 255, 200));
}

const float kScales[] = {1.0f, 1.5f};

// base plus the given share of one device pixel's colour step of the
// software picture along the axis (its largest channel change to either
// neighbour): where the two back ends place a colour ramp up to that share
// of a pixel apart.
std::function<int(int, int)> stepTolerance(const CrossCheck& check, bool vertical, int base, double share) {
    return [&check, vertical, base, share](int x, int y) {
        int step = 0;
        for (int d : {-1, 1}) {
            const int nx = vertical ? x : std::clamp(x + d, 0, check.width() - 1);
            const int ny = vertical ? std::clamp(y + d, 0, check.height() - 1) : y;
            for (int c = 0; c < 3; ++c)
                step = std::max(step, std::abs(int(check.sw().at(nx, ny)[c]) - int(check.sw().at(x, y)[c])));
        }
        return base + int(std::ceil(step * share));
    };
}

TEST(OpenGLRendererTest, FillsAndPixelsMatchTheSoftwareBackEnd) {
    for (float scale : kScales) {
        CrossCheck check(scale, 60, 40);
        ASSERT_TRUE(check.ready());
        check.draw([](Canvas& c) {
            c.fillRect({2, 2, 30, 20}, Color(255, 0, 0));
            c.fillRect({10.3f, 5.6f, 50.2f, 33.3f}, Color(0, 255, 128, 200));
            c.fillRect({20, 15, 58, 38}, Color(30, 30, 250, 77));
            c.opacity.setValue(150);
            c.fillRect({0, 30, 60, 40}, Color(255, 255, 255));
            c.opacity.setValue(255);
            c.setPixel({3, 35}, Color(0, 0, 0));
            c.setPixel({40.6f, 2.2f}, Color(255, 255, 0, 128));
        });
        check.expectWithin(2, "fillRect and setPixel");
    }
}

TEST(OpenGLRendererTest, BitmapsMatchTheSoftwareBackEnd) {
    for (float scale : kScales) {
        CrossCheck check(scale, 80, 48);
        ASSERT_TRUE(check.ready());
        Bitmap source(check.backing()), mask(check.backing());
        paintSource(source);
        mask.setSize(20, 12);
        Gradient ramp(Color(255, 255, 255, 0), Color(255, 255, 255, 255));
        mask.getCanvas().fillGradient(ramp, {0, 0, 20, 12}, Direction::kDown, 0.0f, 1.0f, 255);
        check.draw([&](Canvas& c) {
            c.drawBitmap(source, {0, 0, 20, 12}, {0, 0}, 255);
            c.drawBitmap(source, {22, 0, 42, 12}, {0, 0}, 200);
            c.drawBitmap(source, {44, 0, 64, 12}, {0, 0}, 77);
            // Clipped sources: a source point inside, and a destination past the source.
            c.drawBitmap(source, {0, 14, 20, 26}, {6, 3}, 255);
            c.drawBitmap(source, {22, 14, 60, 40}, {0, 0}, 200);
            c.drawBitmapMasked(source, {60, 30, 80, 42}, {0, 0}, mask, {0, 0}, 255);
            c.drawBitmapMasked(source, {0, 30, 20, 42}, {2, 1}, mask, {0, 3}, 200);
        });
        check.expectWithin(2, "drawBitmap and drawBitmapMasked");
    }
}

TEST(OpenGLRendererTest, GradientsMatchTheSoftwareBackEnd) {
    for (float scale : kScales) {
        for (Direction direction : {Direction::kRight, Direction::kLeft, Direction::kDown, Direction::kUp}) {
            CrossCheck check(scale, 64, 40);
            ASSERT_TRUE(check.ready());
            Gradient gradient;
            gradient.addColorStop(Color(255, 0, 0), 0.0f);
            // Every stop opaque: the renderer interpolates premultiplied
            // colour between stops, the software fill the colour before it
            // is premultiplied; they agree while the alpha does not change
            // within a segment.
            gradient.addColorStop(Color(0, 255, 0), 0.3f);
            gradient.addColorStop(Color(255, 255, 255), 0.8f);
            gradient.addColorStop(Color(0, 0, 255), 1.0f);
            check.draw([&](Canvas& c) {
                c.fillGradient(gradient, {2, 2, 62, 18}, direction, 0.0f, 1.0f, 255);
                // Clipped to its right or lower part, at a lower alpha.
                c.clip.setValue(Rect(20, 22, 64, 40));
                c.fillGradient(gradient, {2, 20, 62, 38}, direction, 0.0f, 1.0f, 180);
                c.clip.setValue(Rect(0, 0, 64, 40));
            });
            check.capture();
            // Three, plus half of one device pixel's colour step along the axis.
            const auto tolerance = stepTolerance(check, isVertical(direction), 3, 0.5);
            int failures = 0;
            std::string where = check.worst([](int, int) { return true; }, tolerance, failures);
            EXPECT_EQ(failures, 0) << "direction " << int(direction) << ", scale " << scale << ": " << where;
        }
    }
}

class FunctionCurve : public ICurve {
public:
    explicit FunctionCurve(std::function<float(float)> f) : f_(std::move(f)) {}
    float valueAt(float x) const override { return f_(x); }

private:
    std::function<float(float)> f_;
};

TEST(OpenGLRendererTest, LevelFillsMatchTheSoftwareBackEnd) {
    // A level that moves smoothly, as meters do. The renderer joins the
    // columns it emits (up to five apart) by triangles: where the level
    // changes fast between them, the colour along the diagonal drifts by a
    // quarter of the difference of the two ends' changes.
    const FunctionCurve wave([](float x) { return 0.5f + 0.3f * std::sin(x * 0.03f); });
    for (float scale : kScales) {
        for (int mode : {0, 1}) {
            CrossCheck check(scale, 80, 60);
            ASSERT_TRUE(check.ready());
            // Mode 1's ends are transparent here and colorB in software: colorB transparent.
            const Color colorB = mode == 1 ? Color(0, 0, 0, 0) : Color(20, 40, 255, 200);
            check.draw([&](Canvas& c) {
                c.drawColorized(mode, wave, {4, 4, 76, 56}, {0, 0}, Color(255, 200, 0), colorB, 0.3f);
            });
            // Within 4, plus the colour step of the pixel by which the ramps
            // may lie apart: the software samples the vertical ramps at pixel
            // tops (here at their centres, half a pixel), and truncates the
            // bar's half height to whole pixels in mode 1 (here not, one pixel).
            check.capture();
            int failures = 0;
            const std::string where =
                check.worst([](int, int) { return true; },
                            stepTolerance(check, true, 4, mode == 1 ? 1.0 : 0.5), failures);
            EXPECT_EQ(failures, 0) << "drawColorized mode " << mode << ", scale " << scale << ": " << where;
        }
    }
}

// The curve and line comparison: away from the line (beyond half its line
// and soft widths plus two device pixels) every channel within 4; nearer,
// per column, the line colour's coverage (its red channel: nothing else
// drawn there has red) sums within 25 % and has its centroid within half a
// pixel.
struct NearLine {
    // Device distance of a pixel centre from the line, and the column and
    // row (along and across the line's columns) of the pixel.
    std::function<double(int, int)> distance;
    double reach;
    bool columnsAlongY = false;
};

void expectLineMatches(CrossCheck& check, const std::vector<NearLine>& lines, const char* what) {
    check.capture();
    auto nearAny = [&](int x, int y) {
        for (const NearLine& l : lines)
            if (l.distance(x, y) <= l.reach) return true;
        return false;
    };
    int failures = 0;
    std::string where =
        check.worst([&](int x, int y) { return !nearAny(x, y); }, [](int, int) { return 4; }, failures);
    EXPECT_EQ(failures, 0) << what << " away from the line (scale " << check.scale() << "): " << where;
    for (const NearLine& l : lines) {
        const int columns = l.columnsAlongY ? check.height() : check.width();
        const int rows = l.columnsAlongY ? check.width() : check.height();
        int bad = 0;
        std::ostringstream first;
        for (int col = 0; col < columns; ++col) {
            double sumGl = 0, sumSw = 0, momentGl = 0, momentSw = 0;
            for (int row = 0; row < rows; ++row) {
                const int x = l.columnsAlongY ? row : col, y = l.columnsAlongY ? col : row;
                if (l.distance(x, y) > l.reach) continue;
                const double g = check.gl().at(x, y)[0] / 255.0, s = check.sw().at(x, y)[0] / 255.0;
                sumGl += g;
                sumSw += s;
                momentGl += g * row;
                momentSw += s * row;
            }
            if (sumSw < 0.05 && sumGl < 0.05) continue;
            const bool sumOk = std::fabs(sumGl - sumSw) <= 0.25 * std::max(sumSw, sumGl);
            const bool centroidOk =
                sumGl > 0 && sumSw > 0 && std::fabs(momentGl / sumGl - momentSw / sumSw) <= 0.5;
            if (!sumOk || !centroidOk) {
                if (bad++ == 0)
                    first << "column " << col << ": coverage " << sumGl << " against " << sumSw
                          << ", centroid " << (sumGl > 0 ? momentGl / sumGl : -1) << " against "
                          << (sumSw > 0 ? momentSw / sumSw : -1);
            }
        }
        EXPECT_EQ(bad, 0) << what << " near the line (scale " << check.scale() << "): " << first.str();
    }
}

struct CurveCase {
    const char* name;
    int layers;
    bool lineGradient;
    bool fade;
    Orientation orientation;
};

TEST(OpenGLRendererTest, CurvesMatchTheSoftwareBackEnd) {
    const FunctionCurve upper([](float x) { return 14.0f + 6.0f * std::sin(x * 0.08f); });
    const FunctionCurve lower([](float x) { return 40.0f + 0.12f * x + 4.0f * std::cos(x * 0.11f); });
    Gradient lineGradient(Color(255, 0, 0), Color(140, 0, 0));
    Gradient fade(Color(0, 0, 0, 255), Color(0, 0, 0, 255), 0.5f, Color(0, 0, 0, 60));
    const CurveCase cases[] = {
        {"one layer", 1, false, false, Orientation::kHorizontal},
        {"two layers", 2, false, false, Orientation::kHorizontal},
        {"line gradient and fade", 2, true, true, Orientation::kHorizontal},
        {"vertical", 1, false, false, Orientation::kVertical},
        {"vertical with gradients", 2, true, true, Orientation::kVertical},
    };
    for (float scale : kScales) {
        for (const CurveCase& c : cases) {
            SCOPED_TRACE(c.name);
            const bool vertical = c.orientation == Orientation::kVertical;
            CrossCheck check(scale, vertical ? 64 : 96, vertical ? 96 : 64);
            ASSERT_TRUE(check.ready());
            CurveStyle style;
            style.colorAbove = Color(0, 0, 200);
            style.colorBelow = Color(0, 160, 0, 220);
            style.layerCount = c.layers;
            const float lineWidth = 1.5f, softWidth = 1.0f;
            style.layers[0] = {&upper,
                               Color(0, 60, 255),
                               Color(255, 0, 0),
                               c.lineGradient ? &lineGradient : nullptr,
                               Color(0, 120, 120),
                               lineWidth,
                               softWidth};
            style.layers[1] = {&lower,
                               Color(0, 90, 200),
                               Color(255, 0, 0),
                               c.lineGradient ? &lineGradient : nullptr,
                               Color(0, 200, 60),
                               lineWidth,
                               softWidth};
            if (c.layers == 1) style.layers[0].colorJustBelow = Color(0, 200, 60);
            style.fadeGradient = c.fade ? &fade : nullptr;
            const Rect dest = vertical ? Rect(2, 4, 62, 92) : Rect(4, 2, 92, 62);
            check.draw([&](Canvas& canvas) { canvas.drawCurve(style, dest, {0, 0}, c.orientation); });
            const double s = check.scale();
            std::vector<NearLine> lines;
            for (int i = 0; i < c.layers; ++i) {
                const ICurve* curve = style.layers[i].curve;
                // Columns at device pixel centres; the curve's device offset is
                // the dest's corner (device), as the canvas hands it on.
                const double originColumn = std::floor((vertical ? dest.top : dest.left) * s + 0.7);
                const double originRow = std::floor((vertical ? dest.left : dest.top) * s + 0.7);
                NearLine l;
                l.columnsAlongY = vertical;
                l.reach = (lineWidth + softWidth) * s / 2.0 + 2.0;
                l.distance = [=](int x, int y) {
                    const int column = vertical ? y : x, row = vertical ? x : y;
                    auto deviceY = [&](double col) {
                        return curve->valueAt(float((col - originColumn) / s)) * s + originRow;
                    };
                    const double centre = deviceY(column + 0.5);
                    const double slope = deviceY(column + 1.0) - deviceY(column);
                    return std::fabs(row + 0.5 - centre) / std::sqrt(1.0 + slope * slope);
                };
                lines.push_back(l);
            }
            expectLineMatches(check, lines, c.name);
        }
    }
}

TEST(OpenGLRendererTest, LinesMatchTheSoftwareBackEnd) {
    struct LineCase {
        Point from, to;
    };
    const LineCase cases[] = {
        {{6, 10}, {70, 34}}, // x major, left to right
        {{70, 34}, {6, 10}}, // x major, right to left
        {{10, 50}, {70, 8}}, // x major, rising
        {{20, 4}, {44, 52}}, // y major, downwards
        {{44, 52}, {20, 4}}, // y major, upwards
        {{60, 6}, {52, 54}}, // y major, leaning left
    };
    for (float scale : kScales) {
        for (float width : {1.0f, 3.0f}) {
            for (const LineCase& c : cases) {
                CrossCheck check(scale, 80, 60);
                ASSERT_TRUE(check.ready());
                check.draw([&](Canvas& canvas) {
                    canvas.drawLine(c.from, c.to, Rect(0, 0, 80, 60), Color(255, 0, 0), width);
                });
                const double s = check.scale();
                const double ax = c.from.x * s, ay = c.from.y * s, bx = c.to.x * s, by = c.to.y * s;
                const bool yMajor = std::fabs(by - ay) > std::fabs(bx - ax);
                NearLine l;
                l.columnsAlongY = yMajor;
                l.reach = width * s / 2.0 + 2.0;
                l.distance = [=](int x, int y) {
                    // Distance from the segment, measured at the pixel centre.
                    const double px = x + 0.5, py = y + 0.5, dx = bx - ax, dy = by - ay;
                    const double t =
                        std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
                    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
                };
                std::ostringstream what;
                what << "line (" << c.from.x << ", " << c.from.y << ") to (" << c.to.x << ", " << c.to.y
                     << "), width " << width;
                expectLineMatches(check, {l}, what.str().c_str());
            }
        }
    }
}

} // namespace
} // namespace gui
