#include "tools/testhost/ImportedModules.h"

#include "tools/testhost/PeImage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace {

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One import directory: descriptors of `descriptorSize` bytes, the name's address at `nameField`, ended by a
// descriptor of zeros (or by the directory's end).
bool readDirectory(const ImageBytes& bytes, const PeImage& image, PeImage::Directory which,
                   uint64_t descriptorSize, uint64_t nameField, NameBudget& budget,
                   std::vector<std::string>& modules, std::string& error) {
    uint32_t rva = 0, size = 0;
    if (!image.directory(which, rva, size, error)) return false;
    if (rva == 0) return true; // imports nothing this way
    for (uint64_t index = 0;; ++index) {
        uint64_t descriptor = 0, address = rva + index * descriptorSize;
        if (address > UINT32_MAX ||
            !image.offsetOf(static_cast<uint32_t>(address), descriptorSize, descriptor))
            return fail(error, "PE import descriptor outside the file");
        bool empty = true;
        for (uint64_t byte = 0; byte < descriptorSize && empty; byte += 4) {
            uint32_t word = 0;
            bytes.read(descriptor + byte, word);
            empty = word == 0;
        }
        if (empty) return true;
        uint32_t nameRva = 0;
        bytes.read(descriptor + nameField, nameRva);
        uint64_t nameOffset = 0;
        std::string name;
        if (!image.offsetOf(nameRva, 1, nameOffset) || !bytes.name(nameOffset, UINT64_MAX, name))
            return fail(error, "PE import name outside the file");
        if (!budget.take(name.size() + 1)) return fail(error, "too many imported modules");
        modules.push_back(lowerCase(name));
    }
}

} // namespace

bool readImportedModules(const std::vector<uint8_t>& file, std::vector<std::string>& modules,
                         std::string& error) {
    modules.clear();
    if (!isPeFile(file)) return fail(error, "not a PE file");
    ImageBytes bytes(file);
    NameBudget budget(file.size());
    PeImage image;
    constexpr uint64_t kImportDescriptor = 20, kImportName = 12; // IMAGE_IMPORT_DESCRIPTOR
    constexpr uint64_t kDelayDescriptor = 32, kDelayName = 4;    // IMAGE_DELAYLOAD_DESCRIPTOR
    if (!image.open(bytes, error) ||
        !readDirectory(bytes, image, PeImage::kImports, kImportDescriptor, kImportName, budget, modules,
                       error) ||
        !readDirectory(bytes, image, PeImage::kDelayImports, kDelayDescriptor, kDelayName, budget, modules,
                       error)) {
        modules.clear();
        return false;
    }
    std::sort(modules.begin(), modules.end());
    modules.erase(std::unique(modules.begin(), modules.end()), modules.end());
    return true;
}

bool readImportedModulesOfFile(const std::string& path, std::vector<std::string>& modules,
                               std::string& error) {
    std::vector<uint8_t> file;
    if (!readModuleFile(path, file)) return fail(error, "cannot open the file");
    return readImportedModules(file, modules, error);
}

bool isWindowsSystemModule(const std::string& module) {
    static constexpr std::array<std::string_view, 35> kSystem = {
        "advapi32.dll", "bcrypt.dll",  "comctl32.dll", "comdlg32.dll", "crypt32.dll",  "d3d11.dll",
        "dbghelp.dll",  "dwmapi.dll",  "dxgi.dll",     "gdi32.dll",    "gdiplus.dll",  "imm32.dll",
        "kernel32.dll", "msimg32.dll", "msvcrt.dll",   "ntdll.dll",    "ole32.dll",    "oleaut32.dll",
        "opengl32.dll", "psapi.dll",   "rpcrt4.dll",   "secur32.dll",  "setupapi.dll", "shcore.dll",
        "shell32.dll",  "shlwapi.dll", "ucrtbase.dll", "user32.dll",   "userenv.dll",  "uxtheme.dll",
        "version.dll",  "winmm.dll",   "winspool.drv", "ws2_32.dll",   "wtsapi32.dll"};
    const std::string name = lowerCase(module);
    if (name.rfind("api-ms-win-", 0) == 0 && name.size() > 15 && name.substr(name.size() - 4) == ".dll")
        return true;
    return std::find(kSystem.begin(), kSystem.end(), name) != kSystem.end();
}
