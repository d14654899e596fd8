#pragma once

// A bitmap's texture in the accelerated renderer, and the shared texture
// list that knows every live texture name.
//
// The list outlives a renderer: a renderer made for a new context that
// shares objects with the previous one takes over the previous renderer's
// list, so bitmaps keep their textures. The list carries a generation,
// raised whenever all textures are dropped (a new context that does not
// share, or the names deleted when drawing stops for good). A texture of an
// older generation counts as absent: its bitmap gets a new one, uploaded
// whole. Its name is forgotten, never deleted (it belongs to the old
// context or is gone already).
//
// Threading: a texture dies with its bitmap on any thread (the GUI thread,
// or a thread that frees a bitmap outside the root lock); it only queues its
// name for deletion. The renderer deletes queued names at the start of its
// next frame on the thread that draws. The list has its own mutex.

#include "gui/ITexture.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace gui {

class OpenGLTextureList {
public:
    // The current generation.
    std::uint32_t generation() const;
    // Records a new texture name of the current generation.
    void add(unsigned name);
    // A texture of that generation is gone: its name moves from the live
    // list to the deletion queue (only when the generation is current).
    void release(unsigned name, std::uint32_t generation);
    // Empties the deletion queue into names.
    void takeQueued(std::vector<unsigned>& names);
    // Raises the generation and empties both lists; the live and queued
    // names go into names (when given) for the caller to delete.
    void dropAll(std::vector<unsigned>* names);
    int liveCount() const;
    int queuedCount() const;

private:
    mutable std::mutex mutex_;
    std::uint32_t generation_ = 0;
    std::vector<unsigned> live_;
    std::vector<unsigned> queued_;
};

class OpenGLTexture : public ITexture {
public:
    OpenGLTexture(std::shared_ptr<OpenGLTextureList> list, unsigned name, std::uint32_t generation);
    ~OpenGLTexture() override;
    OpenGLTexture(const OpenGLTexture&) = delete;
    OpenGLTexture& operator=(const OpenGLTexture&) = delete;

    unsigned name() const { return name_; }
    std::uint32_t generation() const { return generation_; }
    const OpenGLTextureList* list() const { return list_.get(); }

private:
    std::shared_ptr<OpenGLTextureList> list_;
    unsigned name_;
    std::uint32_t generation_;
};

} // namespace gui
