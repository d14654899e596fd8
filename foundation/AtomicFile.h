#pragma once

// Replacing a file's content as a whole: the bytes go to a temporary file in
// the same folder (unique to the call, so that threads and processes writing
// the same file at once never share one), which is renamed over the target
// only when it was written completely. Readers see either the old or the new
// content, and a failed write leaves the old file (or no file) behind.

#include <string>
#include <string_view>

enum class ExistingFile {
    kReplace, // the new content replaces a file already there
    kKeep,    // a file already there (or made meanwhile by someone else) stays
};

// path in the internal '\' form. False when nothing was written; the
// temporary file is removed then. With kKeep, a file found at the path at the
// moment of the rename counts as success and keeps its content.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         ExistingFile existing = ExistingFile::kReplace);
