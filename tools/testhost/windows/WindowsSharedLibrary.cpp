#include "tools/testhost/SharedLibrary.h"

#include <windows.h>

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

class WindowsSharedLibrary final : public SharedLibrary {
public:
    explicit WindowsSharedLibrary(HMODULE module) : module_(module) {}
    ~WindowsSharedLibrary() override { FreeLibrary(module_); }
    WindowsSharedLibrary(const WindowsSharedLibrary&) = delete;
    WindowsSharedLibrary& operator=(const WindowsSharedLibrary&) = delete;

    void* symbol(const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

} // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryW(wide(path).c_str());
    if (!module) {
        error = "LoadLibraryW failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    return std::make_unique<WindowsSharedLibrary>(module);
}
