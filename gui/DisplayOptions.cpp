#include "gui/DisplayOptions.h"

namespace gui {

DisplayOptions& displayOptions() {
    static DisplayOptions options;
    return options;
}

} // namespace gui
