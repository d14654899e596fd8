#pragma once

// Replacing a file's content as a whole: the bytes go to a temporary file in
// the same folder (unique to the process), which is renamed over the target
// only when it was written completely. Readers see either the old or the new
// content, and a failed write leaves the old file (or no file) behind.

#include <string>
#include <string_view>

// path in the internal '\' form. False when nothing was replaced; the
// temporary file is removed then.
bool writeFileAtomically(const std::string& path, std::string_view bytes);
