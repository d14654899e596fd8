#include "plugin/TextLineEnding.h"

std::string_view textFileLineEnding() {
    return "\n";
}
