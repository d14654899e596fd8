#pragma once

// Paths crossing the CLAP boundary. Inside the system paths use '\' (see
// foundation/FilePaths.h); a host gets and gives paths in its operating
// system's form. Windows takes either separator, so its form is the internal
// one; the POSIX stand-in turns '\' into '/'.

#include <string>

// A path the host can open, from an internal path.
std::string toHostPath(std::string internalPath);
// The internal form of a path the host gave ('/' turned into '\').
std::string fromHostPath(std::string hostPath);
