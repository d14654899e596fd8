#pragma once

// The symbols a built module exports, read from its bytes: the named (and
// ordinal-only) entries of a PE file's export directory (32- or 64-bit), or
// the defined, global or weak, visible symbols of a 64-bit little-endian ELF
// file's dynamic symbol table. Used to check that a plug-in exports exactly
// clap_entry. The input is outside bytes: every offset and count is checked
// against the file, so hostile input ends with an error, never a crash or an
// allocation beyond the file's own size.

#include <cstdint>
#include <string>
#include <vector>

// Fills `symbols` (sorted) and returns true, or returns false with a reason in `error`.
bool readExportedSymbols(const std::vector<uint8_t>& file, std::vector<std::string>& symbols,
                         std::string& error);

// The same for the file at `path` (UTF-8).
bool readExportedSymbolsOfFile(const std::string& path, std::vector<std::string>& symbols,
                               std::string& error);
