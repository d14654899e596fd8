#include "gui/headless/PosixClipboard.h"

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

std::string PosixClipboard::text() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.text;
}

void PosixClipboard::setText(const std::string& text) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.text = text;
    ++s.changes;
}

std::uint64_t PosixClipboard::changeCount() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.changes;
}

} // namespace gui::headless
