#pragma once
// Files and folders on disk, addressed by paths in the internal '\' form
// (see FilePaths.h). Failures give false, "" or a stream in a failed state.

#include <fstream>
#include <ios>
#include <memory>
#include <string>

bool folderExists(const std::string& path);
bool fileExists(const std::string& path);
// True when the folder exists or could be made, parents first. A path
// without any '\' that does not exist gives false.
bool createDirectories(const std::string& path);
// A new file stream on the path (shared for reading and writing on Windows);
// never null: the caller checks its state.
std::unique_ptr<std::fstream> openFileStream(const std::string& path, std::ios::openmode mode);
// The whole file (path in the internal '\' form), "" when it cannot be
// opened.
std::string readFileToString(const std::string& path,
                             std::ios::openmode mode = std::ios::in | std::ios::binary);
