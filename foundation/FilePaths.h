#pragma once
// Path pieces. Paths inside the system are UTF-8 with '\' separators on every
// platform; the POSIX build turns '\' into '/' only at the OS call. Pure text
// operations: nothing here touches the file system.

#include <string>
#include <string_view>

// Up to and including the last '\'; "" when there is none.
std::string getDirectoryPath(std::string_view path);
// From the last '.' of the file name on, dot included; "" when there is none.
std::string getFileExtension(std::string_view path);
// The file name without folder and extension.
std::string getFileTitle(std::string_view path);
// Without the last '.' and what follows (unchanged without a '.').
std::string removeFileExtension(std::string_view name);
// base + '\' (when missing) + relative with every '/' turned into '\'.
std::string appendRelativePath(std::string_view relativePath, std::string_view baseFolder);
// "_2x" before the last '.', or appended without one: Knob.png -> Knob_2x.png.
std::string addDoubleScaleSuffix(std::string_view fileName);
