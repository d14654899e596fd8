#include "gui/headless/ModalResponder.h"

#include <deque>

namespace gui::headless {

namespace {

struct State {
    std::deque<ModalResponder::Script> scripts;
    std::vector<ModalRequest> requests;
};

State& state() {
    static State s;
    return s;
}

} // namespace

void ModalResponder::push(Script script) {
    state().scripts.push_back(std::move(script));
}

void ModalResponder::push(ModalAnswer answer) {
    push(Script([answer](const ModalRequest&) { return answer; }));
}

void ModalResponder::reset() {
    state().scripts.clear();
    state().requests.clear();
}

const std::vector<ModalRequest>& ModalResponder::requests() {
    return state().requests;
}

ModalAnswer ModalResponder::dismissal(const ModalRequest& request) {
    ModalAnswer answer;
    if (request.kind == ModalRequest::Kind::kMessageBox && (request.buttons & ModalAnswer::kCancel) == 0)
        answer.button = ModalAnswer::kOk;
    return answer;
}

ModalAnswer ModalResponder::answer(const ModalRequest& request) {
    State& s = state();
    s.requests.push_back(request);
    if (s.scripts.empty()) return dismissal(request);
    Script script = std::move(s.scripts.front());
    s.scripts.pop_front();
    return script(request);
}

} // namespace gui::headless
