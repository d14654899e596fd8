#include "gui/headless/HeadlessClipboard.h"

#include <mutex>

namespace gui::headless {

namespace {

struct State {
    std::mutex mutex;
    std::string text;
    std::uint64_t changes = 0;
};

State& state() {
    static State s;
    return s;
}

} // namespace

std::string HeadlessClipboard::text() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.text;
}

void HeadlessClipboard::setText(const std::string& text) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.text = text;
    ++s.changes;
}

std::uint64_t HeadlessClipboard::changeCount() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.changes;
}

} // namespace gui::headless
