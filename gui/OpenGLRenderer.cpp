#include "gui/OpenGLRenderer.h"

#include "gui/DisplayOptions.h"
#include "gui/IBitmap.h"
#include "gui/PixelCoordinates.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace gui {

namespace {

// Tokens of OpenGL 1.2 and 1.3 (not in every platform's gl.h).
constexpr GLenum kBgra = 0x80E1;
constexpr GLenum kClampToEdge = 0x812F;
constexpr GLenum kTexture0 = 0x84C0;
constexpr GLenum kTexture1 = 0x84C1;
constexpr GLenum kCombine = 0x8570;
constexpr GLenum kCombineRgb = 0x8571;
constexpr GLenum kCombineAlpha = 0x8572;
constexpr GLenum kSource0Rgb = 0x8580;
constexpr GLenum kSource1Rgb = 0x8581;
constexpr GLenum kSource0Alpha = 0x8588;
constexpr GLenum kSource1Alpha = 0x8589;
constexpr GLenum kOperand0Rgb = 0x8590;
constexpr GLenum kOperand1Rgb = 0x8591;
constexpr GLenum kOperand0Alpha = 0x8598;
constexpr GLenum kOperand1Alpha = 0x8599;
constexpr GLenum kPrevious = 0x8578;

using ActiveTextureProc = void(APIENTRY*)(GLenum);

constexpr float kColourTolerance = 1.1920929e-7f;

// The lowest version with the combiners and multitexturing.
constexpr int kMinimumMajor = 1;
constexpr int kMinimumMinor = 3;
constexpr const char* kNonPowerOfTwo = "GL_ARB_texture_non_power_of_two";
constexpr const char* kRefusedVendor = "MATROX";

bool hasExtension(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        const bool startsWord = p == list || p[-1] == ' ';
        const bool endsWord = p[length] == '\0' || p[length] == ' ';
        if (startsWord && endsWord) return true;
    }
    return false;
}

// Unit 0 turns the bitmap's premultiplied colour with inverted alpha into
// (vertex alpha x colour, vertex alpha x (1 - texture alpha)); unit 1
// multiplies the result by the mask's (1 - texture alpha).
void setCombiner(bool mask) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(kCombine));
    glTexEnvi(GL_TEXTURE_ENV, kCombineRgb, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, kSource0Rgb, GLint(kPrevious));
    glTexEnvi(GL_TEXTURE_ENV, kOperand0Rgb, mask ? GL_SRC_COLOR : GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, kSource1Rgb, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, kOperand1Rgb, mask ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, kCombineAlpha, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, kSource0Alpha, GLint(kPrevious));
    glTexEnvi(GL_TEXTURE_ENV, kOperand0Alpha, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, kSource1Alpha, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, kOperand1Alpha, GL_ONE_MINUS_SRC_ALPHA);
}

} // namespace

OpenGLRenderer::OpenGLRenderer(DeviceBacking& backing, GLContext& context,
                               std::shared_ptr<OpenGLTextureList> textures)
    : backing_(&backing), context_(&context), textures_(std::move(textures)) {
    if (textures_ == nullptr) textures_ = std::make_shared<OpenGLTextureList>();
}

OpenGLRenderer::~OpenGLRenderer() = default;

const char* OpenGLRenderer::driverString(unsigned name) {
    return reinterpret_cast<const char*>(glGetString(GLenum(name)));
}

GLContext::Proc OpenGLRenderer::entryPoint(const char* name) {
    return context_->getProcAddress(name);
}

bool OpenGLRenderer::initialize() {
    const char* version = driverString(GL_VERSION);
    const char* extensions = driverString(GL_EXTENSIONS);
    const char* vendor = driverString(GL_VENDOR);
    if (version == nullptr || extensions == nullptr || vendor == nullptr) return false;
    int major = 0, minor = 0;
    if (std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    if (major < kMinimumMajor || (major == kMinimumMajor && minor < kMinimumMinor)) return false;
    if (!hasExtension(extensions, kNonPowerOfTwo)) return false;
    std::string upper(vendor);
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper.find(kRefusedVendor) != std::string::npos &&
        (displayOptions().globalOptions & kAllowRefusedVendorOption) == 0)
        return false;
    activeTexture_ = entryPoint("glActiveTexture");
    clientActiveTexture_ = entryPoint("glClientActiveTexture");
    multiTexCoord2f_ = entryPoint("glMultiTexCoord2f");
    if (activeTexture_ == nullptr || clientActiveTexture_ == nullptr || multiTexCoord2f_ == nullptr)
        return false;

    auto active = reinterpret_cast<ActiveTextureProc>(activeTexture_);
    auto clientActive = reinterpret_cast<ActiveTextureProc>(clientActiveTexture_);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    active(kTexture1);
    setCombiner(true);
    active(kTexture0);
    setCombiner(false);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    clientActive(kTexture1);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords(1).data());
    clientActive(kTexture0);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords(0).data());
    glEnableClientState(GL_COLOR_ARRAY);
    colourArray_ = true;
    constantColour_ = false;
    texturing_ = false;
    return true;
}

void OpenGLRenderer::prepare(const Rect& viewport) {
    setViewport({int(std::lround(viewport.left)), int(std::lround(viewport.top)),
                 int(std::lround(viewport.right)), int(std::lround(viewport.bottom))});
}

void OpenGLRenderer::setViewport(const PixelRect& rect) {
    if (!framed_ || !(rect.left == viewport().left && rect.top == viewport().top &&
                      rect.right == viewport().right && rect.bottom == viewport().bottom)) {
        framed_ = true;
        if (storeViewport(rect) || indices_.empty()) {
            buildIndices(layoutLength(), indices_);
            vertices_.assign(std::size_t(maxVertices()) * 2, 0.0f);
            colours_.assign(std::size_t(maxVertices()) * 4, 0.0f);
            indicesRebuilt();
        }
        beginFrame();
    }
    doomed_.clear();
    textures_->takeQueued(doomed_);
    if (!doomed_.empty()) glDeleteTextures(GLsizei(doomed_.size()), doomed_.data());
    if (scissor_) {
        glDisable(GL_SCISSOR_TEST);
        scissor_ = false;
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void OpenGLRenderer::beginFrame() {
    const PixelRect& v = viewport();
    glViewport(v.left, v.top, v.width(), v.height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, double(v.width()), double(v.height()), 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glVertexPointer(2, GL_FLOAT, 0, vertices_.data());
    glColorPointer(4, GL_FLOAT, 0, colours_.data());
}

void OpenGLRenderer::buffers(float*& vertices, float*& colours) {
    vertices = vertices_.data();
    colours = colours_.data();
}

void OpenGLRenderer::deleteAllTextures() {
    doomed_.clear();
    textures_->dropAll(&doomed_);
    if (!doomed_.empty()) glDeleteTextures(GLsizei(doomed_.size()), doomed_.data());
    doomed_.clear();
}

void OpenGLRenderer::forgetAllTextures() {
    textures_->dropAll(nullptr);
}

void OpenGLRenderer::setScissor(const PixelRect& rect) {
    const PixelRect& full = fullRect();
    if (rect.left == full.left && rect.top == full.top && rect.right == full.right &&
        rect.bottom == full.bottom) {
        if (scissor_) glDisable(GL_SCISSOR_TEST);
        scissor_ = false;
        return;
    }
    if (!scissor_) glEnable(GL_SCISSOR_TEST);
    scissor_ = true;
    glScissor(viewport().left + rect.left, viewport().bottom - rect.bottom, rect.width(), rect.height());
}

void OpenGLRenderer::setColour(const float* color) {
    if (color == nullptr) {
        if (!colourArray_) glEnableClientState(GL_COLOR_ARRAY);
        colourArray_ = true;
        // A draw from the colour array leaves the current colour undefined:
        // the next constant colour is set again even when it is the same.
        constantColour_ = false;
        return;
    }
    if (colourArray_) glDisableClientState(GL_COLOR_ARRAY);
    colourArray_ = false;
    bool same = constantColour_;
    for (int i = 0; i < 4 && same; ++i)
        same = std::fabs(color[i] - lastColour_[std::size_t(i)]) <= kColourTolerance;
    if (same) return;
    glColor4f(color[0], color[1], color[2], color[3]);
    std::copy(color, color + 4, lastColour_.begin());
    constantColour_ = true;
}

void OpenGLRenderer::texturingOff() {
    if (!texturing_) return;
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    texturing_ = false;
}

void OpenGLRenderer::drawElements(int first, int count, const float* color) {
    if (count <= 0) return;
    texturingOff();
    setColour(color);
    glDrawElements(GL_TRIANGLE_STRIP, count, GL_UNSIGNED_INT, indices_.data() + first);
}

void OpenGLRenderer::drawArrays(int count, const float* color) {
    if (count <= 0) return;
    texturingOff();
    setColour(color);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
}

void OpenGLRenderer::bindTexture(const IBitmap& bitmap) {
    const PixelRect size = bitmap.getPixelRect();
    const auto* texture = dynamic_cast<const OpenGLTexture*>(bitmap.getTexture());
    const std::uint32_t generation = textures_->generation();
    bool whole = bitmap.getChangeState() == BitmapChangeState::kEverything;
    if (texture == nullptr || texture->list() != textures_.get() || texture->generation() != generation) {
        GLuint name = 0;
        glGenTextures(1, &name);
        textures_->add(name);
        bitmap.setTexture(new OpenGLTexture(textures_, name, generation));
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(kClampToEdge));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(kClampToEdge));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        whole = true;
    } else {
        glBindTexture(GL_TEXTURE_2D, texture->name());
    }
    ++textureBinds_;
    const std::uint32_t* pixels = bitmap.getPixels();
    if (whole) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width(), size.height(), 0, kBgra, GL_UNSIGNED_BYTE,
                     pixels);
    } else if (bitmap.getChangeState() == BitmapChangeState::kRects) {
        const PixelRect* rects = nullptr;
        int count = 0;
        bitmap.getChangedRects(rects, count);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, size.width());
        for (int i = 0; i < count; ++i) {
            const PixelRect r = clipTo(rects[i], size);
            if (r.isEmpty()) continue;
            glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, r.width(), r.height(), kBgra, GL_UNSIGNED_BYTE,
                            pixels + std::size_t(r.top) * std::size_t(size.width()) + std::size_t(r.left));
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    bitmap.clearChangedRects();
}

void OpenGLRenderer::texturedQuads(const IBitmap& bitmap, int alpha, const IBitmap* mask) {
    auto active = reinterpret_cast<ActiveTextureProc>(activeTexture_);
    auto clientActive = reinterpret_cast<ActiveTextureProc>(clientActiveTexture_);
    bindTexture(bitmap);
    if (!texturing_) {
        glEnable(GL_TEXTURE_2D);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        texturing_ = true;
    }
    if (mask != nullptr) {
        active(kTexture1);
        bindTexture(*mask);
        glEnable(GL_TEXTURE_2D);
        clientActive(kTexture1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    const float colour[4] = {0.0f, 0.0f, 0.0f, float(std::clamp(alpha, 0, 255)) / 255.0f};
    setColour(colour);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    if (mask != nullptr) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        clientActive(kTexture0);
        glDisable(GL_TEXTURE_2D);
        active(kTexture0);
    }
}

} // namespace gui
