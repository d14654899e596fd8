// The library's module on Windows: its handle (recorded by the plug-in entry,
// else the main module) locates RCDATA resources, the version resource and
// the event-queue window class.
#include "foundation/ModuleResources.h"
#include "foundation/SystemPlatform.h"
#include "foundation/ThreadWindows.h"
#include "foundation/windows/Win32Support.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

std::atomic<HMODULE> recordedModule{nullptr};

std::string modulePath(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return win32::utf8(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM flag) {
    if (IsWindowVisible(window)) {
        *reinterpret_cast<bool*>(flag) = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

namespace win32 {

HMODULE libraryModule() {
    HMODULE module = recordedModule.load(std::memory_order_acquire);
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace win32

bool recordLibraryModule(const std::string& path) {
    HMODULE module = GetModuleHandleW(win32::wide(path).c_str());
    if (!module) return false;
    recordedModule.store(module, std::memory_order_release);
    return true;
}

std::string getLibraryModulePath() {
    return modulePath(win32::libraryModule());
}

std::string getVersionInfoString(VersionField field, const std::string& path) {
    std::string file = path.empty() ? getLibraryModulePath() : path;
    std::wstring widePath = win32::wide(file);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(widePath.c_str(), 0, size, block.data())) return {};

    void* translation = nullptr;
    UINT translationSize = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &translationSize) ||
        translationSize < 2 * sizeof(WORD))
        return {};
    auto words = static_cast<const WORD*>(translation);
    char query[96];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%.4hx%.4hx\\%s", words[0], words[1],
                  versionFieldName(field));

    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), win32::wide(query).c_str(), &value, &length) || !value) return {};
    auto text = static_cast<const wchar_t*>(value);
    return win32::utf8(text, wcsnlen(text, length));
}

bool isThreadWindowVisible() {
    bool visible = false;
    EnumThreadWindows(GetCurrentThreadId(), findVisibleWindow, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

namespace platform {

std::optional<std::string_view> findModuleResource(const std::string& name) {
    HMODULE module = win32::libraryModule();
    HRSRC resource = FindResourceW(module, win32::wide(name).c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!resource) return std::nullopt;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL handle = LoadResource(module, resource);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data && size > 0) return std::nullopt;
    return std::string_view(static_cast<const char*>(data), size);
}

} // namespace platform
