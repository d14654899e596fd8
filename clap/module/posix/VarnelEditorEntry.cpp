#include "clap/module/VarnelEditorEntry.h"

const ClapEditorEntry* varnelEditorEntry() {
    return nullptr;
}
