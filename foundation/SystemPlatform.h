#pragma once
// Internal: the per-platform primitives behind Files.h, ModuleResources.h and
// AtomicFile.h, implemented in windows/ and posix/. Not for use outside the
// foundation.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Makes one folder (its parent must exist).
bool makeFolder(const std::string& path);
// The bytes of the module's RCDATA resource of that name (extension already
// removed), valid while the module is loaded.
std::optional<std::string_view> findModuleResource(const std::string& name);
// The current process's id.
unsigned long currentProcessId();
// Renames a file over another, replacing it; false when that failed.
bool replaceFile(const std::string& from, const std::string& to);
// Renames a file to a name that must be free, in one step: a file or folder
// already there is never replaced.
enum class MoveToFreeName { kMoved, kNameTaken, kFailed };
MoveToFreeName moveFileToFreeName(const std::string& from, const std::string& to);
// Deletes a file; nothing happens when it is not there.
void removeFile(const std::string& path);

} // namespace platform
