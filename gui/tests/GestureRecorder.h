#pragma once

// A value-control listener for tests: records every call a control makes to
// its listener, in order, one word a call, for the tests to compare as text
// (joined) or as phases alone (phases).
//
// The words, by what the recorder is made to show:
//   kSteps     "b" begin, "c<delta>" change, "e" end; a begin or end that
//              carries a delta other than 0 shows it too ("b3")
//   kValues    "b", "v<the control's value after the change>", "e"
//   kControls  "b<id>", "c<id>:<delta>", "e<id>" with the control's id, and
//              "{" and "}" around a linked change step that moves a group
// The query answers `query` (0 unless a test sets it).
//
// Lifetime: a control that dies inside a gesture still tells its listener
// that the gesture ended, so a rig declares the recorder before the user
// interface that owns the controls. Threading: GUI thread only.

#include "gui/ValueControl.h"

#include <string>
#include <vector>

namespace test {

class GestureRecorder : public gui::ValueControlListener {
public:
    enum class Words { kSteps, kValues, kControls };

    explicit GestureRecorder(Words words = Words::kSteps) : words_(words) {}

    int valueControlQuery(gui::ValueControl*, int) override { return query; }
    void beginValueControlGroup() override {
        if (words_ == Words::kControls) log.push_back("{");
    }
    void valueControlChanged(gui::ValueControl* control, int phase, int delta) override {
        const char* word = phase == gui::kGestureBegin ? "b" : (phase == gui::kGestureChange ? "c" : "e");
        switch (words_) {
        case Words::kSteps:
            log.push_back(
                word + (phase == gui::kGestureChange || delta != 0 ? std::to_string(delta) : std::string()));
            break;
        case Words::kValues:
            log.push_back(phase == gui::kGestureChange ? "v" + std::to_string(control->value.getValue())
                                                       : std::string(word));
            break;
        case Words::kControls: {
            const std::string id = std::to_string(control->controlId.getValue());
            log.push_back(word + id +
                          (phase == gui::kGestureChange ? ":" + std::to_string(delta) : std::string()));
            break;
        }
        }
    }
    void endValueControlGroup() override {
        if (words_ == Words::kControls) log.push_back("}");
    }

    // The phase of each begin, change and end word as a digit ("0212").
    std::string phases() const {
        std::string out;
        for (const std::string& word : log) {
            if (word.empty()) continue;
            if (word[0] == 'b') out += '0';
            if (word[0] == 'c' || word[0] == 'v') out += '1';
            if (word[0] == 'e') out += '2';
        }
        return out;
    }

    std::vector<std::string> log;
    int query = 0;

private:
    Words words_;
};

// The words of a log, separated by single spaces.
inline std::string joined(const std::vector<std::string>& log) {
    std::string out;
    for (const std::string& word : log)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

} // namespace test
