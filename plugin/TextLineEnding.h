#pragma once

// The line end of the platform's text files ("\r\n" on Windows, "\n"
// elsewhere), for files the user may edit by hand.

#include <string_view>

std::string_view textFileLineEnding();
