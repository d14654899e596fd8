// Setup bundles: any input gives true or false without a crash, an unbounded
// allocation or a file outside the target folder. Each input is extracted
// into a fresh folder below this process's scratch folder, which afterwards
// must hold nothing but that target.

#include "foundation/SetupBundle.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Made once per process (never destroyed, so the exit handler can use it)
// and removed at exit.
const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path* folder = [] {
        auto* path = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                               ("varnel-fuzz-bundle-" + std::to_string(::getpid())));
        std::filesystem::remove_all(*path);
        std::filesystem::create_directories(*path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder(), ignored);
        });
        return path;
    }();
    return *folder;
}

std::string internalForm(const std::filesystem::path& path) {
    std::string text = path.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path scratch = scratchFolder();
    const std::filesystem::path target = scratch / "target";
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    bool overwrite = size > 0 && (data[size - 1] & 1);
    ::SetupBundleReader reader(in, overwrite);
    reader.readSetupBundleMember("Docs", internalForm(target));

    for (const auto& entry : std::filesystem::directory_iterator(scratch))
        if (entry.path().filename() != "target") __builtin_trap(); // written outside the target
    std::filesystem::remove_all(target);
    return 0;
}
