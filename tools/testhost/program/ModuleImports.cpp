// module-imports PATH...
//
// Checks that Windows programs and modules load on a plain 64-bit Windows:
// every .exe, .dll and .clap file named, or found below a named folder, may
// import only DLLs that every Windows 10 and 11 has in its system folder.
// Folders named wineprefix* (Wine's own DLLs) are not searched. Prints each
// file's foreign imports and exits with 1 when there is any, or when a file
// cannot be read; exits with 2 when no file was found.

#include "tools/testhost/ImportedModules.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool isModule(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".exe" || extension == ".dll" || extension == ".clap";
}

void collect(const fs::path& root, std::vector<fs::path>& files) {
    if (!fs::is_directory(root)) {
        files.push_back(root);
        return;
    }
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory() && it->path().filename().string().rfind("wineprefix", 0) == 0)
            it.disable_recursion_pending();
        else if (it->is_regular_file() && isModule(it->path()))
            files.push_back(it->path());
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
        collect(argv[i], files);
    if (files.empty()) {
        std::printf("module-imports: no .exe, .dll or .clap file found\n");
        return 2;
    }
    int failures = 0;
    for (const fs::path& file : files) {
        const std::u8string name = file.u8string();
        const std::string path(name.begin(), name.end());
        std::vector<std::string> modules;
        std::string error;
        if (!readImportedModulesOfFile(path, modules, error)) {
            std::printf("FAIL: %s: %s\n", path.c_str(), error.c_str());
            ++failures;
            continue;
        }
        for (const std::string& module : modules)
            if (!isWindowsSystemModule(module)) {
                std::printf("FAIL: %s imports %s, which Windows does not have\n", path.c_str(),
                            module.c_str());
                ++failures;
            }
    }
    std::printf("module-imports: %zu files, %d failures\n", files.size(), failures);
    return failures ? 1 : 0;
}
