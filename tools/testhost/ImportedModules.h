#pragma once

// The modules (DLLs) a Windows module file imports, read from its bytes: the
// names in its PE import directory and its delay-load import directory. Used
// to check that the shipped plug-in needs only DLLs that every 64-bit Windows
// has. The input is outside bytes, read with the same checks as the export
// reader: hostile input ends with an error, never a crash or an allocation
// beyond the file's own size.

#include <cstdint>
#include <string>
#include <vector>

// Fills `modules` (lower case, sorted, each once) and returns true, or returns
// false with a reason in `error`. Only PE files are read.
bool readImportedModules(const std::vector<uint8_t>& file, std::vector<std::string>& modules,
                         std::string& error);

// The same for the file at `path` (UTF-8).
bool readImportedModulesOfFile(const std::string& path, std::vector<std::string>& modules,
                               std::string& error);

// Whether `module` (any case) is a DLL that every 64-bit Windows 10 and 11 installs in its system folder: the
// core system libraries, the C runtimes msvcrt and ucrtbase, and the api-ms-win-* API sets.
bool isWindowsSystemModule(const std::string& module);
