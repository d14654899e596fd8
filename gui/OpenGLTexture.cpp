#include "gui/OpenGLTexture.h"

#include <algorithm>

namespace gui {

std::uint32_t OpenGLTextureList::generation() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return generation_;
}

void OpenGLTextureList::add(unsigned name) {
    std::lock_guard<std::mutex> hold(mutex_);
    live_.push_back(name);
}

void OpenGLTextureList::release(unsigned name, std::uint32_t generation) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (generation != generation_) return;
    auto found = std::find(live_.begin(), live_.end(), name);
    if (found == live_.end()) return;
    *found = live_.back();
    live_.pop_back();
    queued_.push_back(name);
}

void OpenGLTextureList::takeQueued(std::vector<unsigned>& names) {
    std::lock_guard<std::mutex> hold(mutex_);
    names.insert(names.end(), queued_.begin(), queued_.end());
    queued_.clear();
}

void OpenGLTextureList::dropAll(std::vector<unsigned>* names) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (names != nullptr) {
        names->insert(names->end(), live_.begin(), live_.end());
        names->insert(names->end(), queued_.begin(), queued_.end());
    }
    live_.clear();
    queued_.clear();
    ++generation_;
}

int OpenGLTextureList::liveCount() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return int(live_.size());
}

int OpenGLTextureList::queuedCount() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return int(queued_.size());
}

OpenGLTexture::OpenGLTexture(std::shared_ptr<OpenGLTextureList> list, unsigned name, std::uint32_t generation)
    : list_(std::move(list)), name_(name), generation_(generation) {}

OpenGLTexture::~OpenGLTexture() {
    list_->release(name_, generation_);
}

} // namespace gui
