// pack-setup-bundle <folder> <bundle file>
//
// Packs every folder and file below <folder> as a setup bundle. The output is
// written under a temporary name and renamed when complete.

#include "tools/setupbundle/SetupBundleWriter.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack-setup-bundle <folder> <bundle file>\n");
        return 2;
    }
    namespace fs = std::filesystem;
    std::vector<setup_bundle::Member> members;
    std::string bundle;
    std::string error;
    if (!setup_bundle::readFolderTree(fs::path(argv[1]), members, error) ||
        !setup_bundle::writeSetupBundle(members, bundle, error)) {
        std::fprintf(stderr, "pack-setup-bundle: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    fs::path output(argv[2]);
    fs::path temporary = output;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bundle.data(), static_cast<std::streamsize>(bundle.size()));
        file.close();
        if (!file) {
            std::fprintf(stderr, "pack-setup-bundle: cannot write %s\n", temporary.string().c_str());
            return 1;
        }
    }
    std::error_code code;
    fs::rename(temporary, output, code);
    if (code) {
        std::fprintf(stderr, "pack-setup-bundle: cannot rename to %s: %s\n", argv[2], code.message().c_str());
        return 1;
    }
    return 0;
}
