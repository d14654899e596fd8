#pragma once

// A loaded module (shared object or DLL) of the test host, looked up by symbol
// name. Opening loads the file as a plug-in host does: natively with dlopen
// and RTLD_NOW | RTLD_LOCAL, on Windows with LoadLibraryW on the UTF-16 path.
// Destroying the object unloads the module.

#include <memory>
#include <string>

class SharedLibrary {
public:
    virtual ~SharedLibrary() = default;

    // The module at `path` (UTF-8), or null with a reason in `error`.
    static std::unique_ptr<SharedLibrary> open(const std::string& path, std::string& error);

    // The address of an exported symbol, or null.
    virtual void* symbol(const char* name) const = 0;
};
