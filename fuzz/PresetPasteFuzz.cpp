// Arbitrary bytes on the clipboard, pasted into an open editor the way the
// preset bar does it. The check that enables Paste changes nothing; when it
// refuses, Paste changes nothing either (the host-state chunk stays
// byte-identical); when it accepts, every value stays finite and within its
// range. The model is started once, in a temporary folder.

#include "editor/GenericPluginInterface.h"
#include "editor/PresetBar.h"
#include "fuzz/FuzzModel.h"
#include "gui/headless/HeadlessClipboard.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/ModalResponder.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

using fuzz::check;
using fuzz::checkWithinRange;

class FuzzPlugin : public fuzz::FuzzModel {
public:
    FuzzPlugin() : FuzzModel("TsPf", "PasteFuzz") {
        level.setRange(-60.0f, 12.0f);
        steps.setRange(2, 5);
        initHistoryAndSources();
    }
    ~FuzzPlugin() override { shutdown(); }
    FloatPluginParameter unit{this, "Unit"};
    FloatPluginParameter level{this, "Level"};
    IndexedPluginParameter<int32_t> steps{this, "Steps"};
};

struct Editor {
    gui::headless::HeadlessInterface ui;
    FuzzPlugin model;
    GenericPluginInterface editor{ui, model};
};

std::string hostState(GenericPlugin& model) {
    std::ostringstream stream(std::ios::out | std::ios::binary);
    model.writeHostState(stream);
    return stream.str();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/varnel-paste-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_DOCUMENTS_DIR", folder, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Editor* editor = new Editor;
    GenericPlugin& model = editor->model;
    PresetBar& bar = editor->editor.presetBar();
    gui::headless::ModalResponder::reset();
    gui::headless::HeadlessClipboard::setText(std::string(reinterpret_cast<const char*>(data), size));
    const std::string before = hostState(model);
    const bool holds = bar.clipboardHoldsPreset();
    check(hostState(model) == before);
    bar.paste();
    if (!holds) {
        check(hostState(model) == before);
        return 0;
    }
    for (int32_t i = 0; i < model.getNumParameters(); ++i) {
        const AbstractPluginParameter* parameter = model.getParameter(i);
        checkWithinRange(*parameter, parameter->getValue());
    }
    std::istringstream restore(before, std::ios::in | std::ios::binary);
    check(model.readHostState(restore));
    return 0;
}
