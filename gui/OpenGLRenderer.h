#pragma once

// The accelerated canvas on OpenGL: the fixed-function pipeline of OpenGL
// 1.3 with client-side arrays, in a compatibility context. It issues the
// back-end calls of gui::AcceleratedRenderer (which builds the arrays) as GL
// commands, keeps bitmaps' textures up to date (made on first use, then
// only their changed rects uploaded) and caches the constant colour and the
// texturing state.
//
// Lifetime: made and initialised right after its context is made, with the
// context current; it lives as long as its context. A renderer for a new
// context that shares objects with the previous one takes the previous
// renderer's texture list; one that does not share takes it too but
// forgets every texture (forgetAllTextures), so bitmaps upload again.
// Destroying the renderer issues no GL call.
//
// Pixels: bitmaps hold premultiplied colour with the alpha byte inverted
// (0 opaque). The texture combiners undo the inversion: unit 0 gives colour
// = vertex alpha x texture colour and alpha = vertex alpha x (1 - texture
// alpha); unit 1 (a mask) multiplies both by (1 - mask alpha). Blending is
// one, one minus source alpha.
//
// Threading: every call on the thread where the context is current, under
// the root control's lock; bitmaps may die on any thread (their textures
// only queue their names, gui/OpenGLTexture.h).

#include "gui/AcceleratedRenderer.h"
#include "gui/GLContext.h"
#include "gui/OpenGLTexture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gui {

class OpenGLRenderer : public AcceleratedRenderer {
public:
    // The bit of the global option word (DisplayOptions::globalOptions) that
    // lets the renderer run on a driver vendor it refuses otherwise.
    static constexpr std::uint32_t kAllowRefusedVendorOption = 16;

    // textures: the list of the previous renderer whose context the new
    // context shares (or not: then call forgetAllTextures); null for a new one.
    OpenGLRenderer(DeviceBacking& backing, GLContext& context,
                   std::shared_ptr<OpenGLTextureList> textures = nullptr);
    ~OpenGLRenderer() override;

    // Checks the driver and sets the fixed GL state (the context is
    // current). False when the driver cannot serve: a version below 1.3 or
    // unreadable, no "GL_ARB_texture_non_power_of_two", a refused vendor,
    // a missing entry point or a missing driver string. The caller then
    // draws in software.
    bool initialize();

    // Start of every frame: the viewport (device pixels of the window,
    // x, y, right, bottom), the queued texture names deleted, the colour
    // cleared to transparent.
    void setViewport(const PixelRect& rect);
    // The viewport in device pixels, rounded.
    void prepare(const Rect& viewport) override;

    const std::shared_ptr<OpenGLTextureList>& textureList() const { return textures_; }
    // Deletes every texture name (the context is current) and raises the
    // generation: bitmaps upload again when next drawn.
    void deleteAllTextures();
    // Raises the generation without deleting any name (they belong to a
    // context that this one does not share).
    void forgetAllTextures();

    // Texture binds since the counter was last reset (for measurements).
    int textureBinds() const { return textureBinds_; }
    void resetTextureBinds() { textureBinds_ = 0; }

    // AcceleratedRenderer back end.
    DeviceBacking& deviceBacking() override { return *backing_; }
    void buffers(float*& vertices, float*& colours) override;
    void drawElements(int first, int count, const float* color) override;
    void texturedQuads(const IBitmap& bitmap, int alpha, const IBitmap* mask) override;
    void drawArrays(int count, const float* color) override;
    void setScissor(const PixelRect& rect) override;
    void beginFrame() override;

protected:
    // The driver as initialize sees it: a glGetString answer (null when the
    // driver gives none) and an entry point by name. Tests replace them.
    virtual const char* driverString(unsigned name);
    virtual GLContext::Proc entryPoint(const char* name);

private:
    void setColour(const float* color);
    void texturingOff();
    // Binds the bitmap's texture on the active unit, making or updating it first.
    void bindTexture(const IBitmap& bitmap);

    DeviceBacking* backing_;
    GLContext* context_;
    std::shared_ptr<OpenGLTextureList> textures_;
    std::vector<float> vertices_;
    std::vector<float> colours_;
    std::vector<std::uint32_t> indices_;
    std::vector<unsigned> doomed_;
    GLContext::Proc activeTexture_ = nullptr;
    GLContext::Proc clientActiveTexture_ = nullptr;
    GLContext::Proc multiTexCoord2f_ = nullptr;
    bool constantColour_ = false; // the colour array is off and lastColour_ is current
    std::array<float, 4> lastColour_{};
    bool colourArray_ = true;
    bool texturing_ = false;
    bool scissor_ = false;
    bool framed_ = false;
    int textureBinds_ = 0;
};

} // namespace gui
