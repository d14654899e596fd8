#pragma once

// A preset's author, description and tags, read from and written into the
// preset file without loading it: in a binary preset as the keys "AUTHOR",
// "DESCRIPTION" and "TAGS" of the "CuSV" block behind the values, in a text
// preset as the header keys "Author", "Description" and "Tags". Tags are one
// text joined with ',' in the files and a list in the entry (split at every
// comma, empty pieces kept).
//
// Readers take the file into memory (at most 16 MiB) and stop at the first
// read that fails. Writers build the new file in memory and replace the old
// one atomically; a file they cannot read completely is left alone.

#include "plugin/PresetCacheEntry.h"

#include <iosfwd>
#include <string>
#include <vector>

class KeyValueWriter;

// True when the metadata could be read (a binary file without a block has
// none); the entry's metadata changes only then.
bool readPresetMetadata(const std::string& path, PresetCacheEntry& entry);
// Rewrites the file at the entry's path with its metadata; then the entry
// takes the file's new modification time. False when the file was left alone.
bool writePresetMetadata(PresetCacheEntry& entry);
// The text halves: the "Preset" header's metadata, and a copy of a text
// preset with the entry's metadata in its header (false: leave the file).
bool readTextMetadata(std::istream& stream, PresetCacheEntry& entry);
bool rewriteTextMetadata(const PresetCacheEntry& entry, std::istream& stream, std::string& output);
// key 0 "Author", 1 "Description", 2 "Tags"; nothing for an empty value.
void writeTextMetadataLine(KeyValueWriter& writer, int key, const std::string& value);
std::string joinTags(const std::vector<std::string>& tags);
