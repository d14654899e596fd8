// The library's module on Windows: its handle (recorded by the plug-in entry,
// else the main module) locates RCDATA resources, the version resource and
// the event-queue window class.
#include "foundation/ModuleResources.h"
#include "foundation/SystemPlatform.h"
#include "foundation/ThreadWindows.h"
#include "foundation/windows/Win32Support.h"

#include <atomic>
#include <cstdio>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
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

namespace {

std::wstring upperCase(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

// The named RCDATA entries of a module by their upper-case names, read once
// from the image's resource directory. FindResourceW searches that directory
// by halving, and resource compilers and loaders disagree on where a name
// with "_" sorts beside letters ("XLFOLABELS_2X" and "XLFOLABELSSYNC"), so
// a search can miss an entry that is there; the walk finds every one.
using ResourceNames = std::unordered_map<std::wstring, std::string_view>;

ResourceNames readResourceNames(HMODULE module) {
    ResourceNames names;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (base == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
        return names;
    const IMAGE_DATA_DIRECTORY& where = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    if (where.VirtualAddress == 0) return names;
    const unsigned char* root = base + where.VirtualAddress;
    auto entries = [](const unsigned char* directory) {
        const auto* header = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(directory);
        const auto* first = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(header + 1);
        return std::pair(first, first + header->NumberOfNamedEntries + header->NumberOfIdEntries);
    };
    auto [type, typeEnd] = entries(root);
    for (; type != typeEnd; ++type) {
        if (type->NameIsString || type->Id != 10 || !type->DataIsDirectory) continue; // RT_RCDATA
        auto [named, namedEnd] = entries(root + type->OffsetToDirectory);
        for (; named != namedEnd; ++named) {
            if (!named->NameIsString || !named->DataIsDirectory) continue;
            const auto* label =
                reinterpret_cast<const IMAGE_RESOURCE_DIR_STRING_U*>(root + named->NameOffset);
            auto [language, languageEnd] = entries(root + named->OffsetToDirectory);
            if (language == languageEnd || language->DataIsDirectory) continue;
            const auto* data =
                reinterpret_cast<const IMAGE_RESOURCE_DATA_ENTRY*>(root + language->OffsetToData);
            names.emplace(
                upperCase(std::wstring(label->NameString, label->Length)),
                std::string_view(reinterpret_cast<const char*>(base + data->OffsetToData), data->Size));
        }
    }
    return names;
}

const ResourceNames& resourceNames(HMODULE module) {
    static std::mutex mutex;
    static std::map<HMODULE, ResourceNames> modules;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = modules.find(module);
    if (found == modules.end()) found = modules.emplace(module, readResourceNames(module)).first;
    return found->second;
}

} // namespace

namespace platform {

std::optional<std::string_view> findModuleResource(const std::string& name) {
    const ResourceNames& names = resourceNames(win32::libraryModule());
    auto entry = names.find(upperCase(win32::wide(name)));
    if (entry == names.end()) return std::nullopt;
    return entry->second;
}

} // namespace platform
