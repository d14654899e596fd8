#include "tools/testhost/SharedLibrary.h"

#include <dlfcn.h>

namespace {

class PosixSharedLibrary final : public SharedLibrary {
public:
    explicit PosixSharedLibrary(void* handle) : handle_(handle) {}
    ~PosixSharedLibrary() override { dlclose(handle_); }
    PosixSharedLibrary(const PosixSharedLibrary&) = delete;
    PosixSharedLibrary& operator=(const PosixSharedLibrary&) = delete;

    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

} // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = reason ? reason : "dlopen failed";
        return nullptr;
    }
    return std::make_unique<PosixSharedLibrary>(handle);
}
