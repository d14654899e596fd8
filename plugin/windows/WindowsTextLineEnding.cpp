#include "plugin/TextLineEnding.h"

std::string_view textFileLineEnding() {
    return "\r\n";
}
