#include "foundation/SharedMemory.h"
#include "foundation/SystemPlatform.h"
#include "foundation/windows/Win32Support.h"

// A page-file-backed mapping named base + "." + process id. CreateFileMappingW
// makes the object or opens the one another module of the process made, in
// one step; an object opened keeps its size, so the view asks for the size
// wanted and fails rather than giving a shorter block. The handle is never
// closed: the mapping lives as long as the process.
void* openSharedInstanceMemory(std::string_view baseName, std::size_t size) {
    if (size == 0) return nullptr;
    std::string name(baseName);
    name += '.';
    name += std::to_string(platform::currentProcessId());
    auto size64 = static_cast<unsigned long long>(size);
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size64 >> 32),
                           static_cast<DWORD>(size64 & 0xFFFFFFFFu), win32::wide(name).c_str());
    if (!mapping) return nullptr;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!view) CloseHandle(mapping);
    return view;
}
