#include "foundation/KnownFolders.h"

#include <string>

namespace {

void appendFolderSeparator(std::string& path) {
    if (path.empty() || path.back() != '\\') path += '\\';
}

} // namespace

std::string getMakerFolderPath(std::string_view name) {
    std::string path = getApplicationDataFolder();
    appendFolderSeparator(path);
    path += "Zentor\\";
    path += name;
    path += '\\';
    return path;
}

std::string getPresetsFolderPath(std::string_view productFolder) {
    std::string path = getDocumentsFolder();
    appendFolderSeparator(path);
    path += "Zentor\\Presets\\";
    path += productFolder;
    path += '\\';
    return path;
}

std::string getRegistryKeyPath(std::string_view productName, std::int32_t majorVersion) {
    std::string path = "Software\\Zentor\\";
    path += productName;
    path += '\\';
    path += std::to_string(majorVersion);
    path += ".0";
    return path;
}
