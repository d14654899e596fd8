#pragma once
// Named per-process shared memory.

#include <cstddef>
#include <string_view>

// base + "." + process id, size bytes, zeroed when new; shared by every
// module of the process that opens the same name. The mapping stays for the
// life of the process. Null on failure.
void* openSharedInstanceMemory(std::string_view baseName, std::size_t size);
