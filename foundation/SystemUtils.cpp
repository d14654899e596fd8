#include "foundation/SystemUtils.h"

#include "foundation/EmbeddedResources.h"
#include "foundation/SetupBundle.h"
#include "foundation/StringUtils.h"
#include "foundation/SystemPlatform.h"

#include <iterator>

// --- Path pieces

namespace {

std::string_view fileNamePart(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void appendFolderSeparator(std::string& path) {
    if (path.empty() || path.back() != '\\') path += '\\';
}

} // namespace

std::string getDirectoryPath(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string getFileExtension(std::string_view path) {
    std::string_view name = fileNamePart(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string getFileTitle(std::string_view path) {
    std::string_view name = fileNamePart(path);
    return std::string(name.substr(0, name.rfind('.')));
}

std::string removeFileExtension(std::string_view name) {
    return std::string(name.substr(0, name.rfind('.')));
}

std::string appendRelativePath(std::string_view relativePath, std::string_view baseFolder) {
    std::string result(baseFolder);
    appendFolderSeparator(result);
    for (char c : relativePath)
        result += c == '/' ? '\\' : c;
    return result;
}

std::string addDoubleScaleSuffix(std::string_view fileName) {
    std::string result(fileName);
    std::size_t dot = result.rfind('.');
    result.insert(dot == std::string::npos ? result.size() : dot, "_2x");
    return result;
}

// --- Folders

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

bool createDirectories(const std::string& path) {
    if (folderExists(path)) return true;
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    std::size_t slash = folder.rfind('\\');
    if (slash == std::string::npos) return false;
    // A parent that cannot be made shows in the result of making the folder.
    createDirectories(folder.substr(0, slash));
    // Another thread or process may make the same folder at the same moment:
    // the make then fails, yet the folder asked for is there.
    return platform::makeFolder(folder) || folderExists(folder);
}

// --- Resources

namespace {

constinit EmbeddedResourceTable* resourceTables = nullptr;
constinit const CompiledVersionStrings* versionStrings = nullptr;

} // namespace

bool registerResourceTable(EmbeddedResourceTable& table) {
    table.next = nullptr;
    EmbeddedResourceTable** link = &resourceTables;
    while (*link) {
        if (*link == &table) return true;
        link = &(*link)->next;
    }
    *link = &table;
    return true;
}

const EmbeddedResourceTable* firstResourceTable() {
    return resourceTables;
}

bool registerCompiledVersionStrings(const CompiledVersionStrings& strings) {
    versionStrings = &strings;
    return true;
}

const CompiledVersionStrings* compiledVersionStrings() {
    return versionStrings;
}

std::optional<std::string_view> findResource(std::string_view name) {
    std::string key = toUpperAscii(removeFileExtension(name));
    for (const EmbeddedResourceTable* table = resourceTables; table; table = table->next) {
        for (std::size_t i = 0; i < table->count; ++i) {
            const EmbeddedResource& entry = table->entries[i];
            if (key == entry.name)
                return std::string_view(reinterpret_cast<const char*>(entry.data), entry.size);
        }
    }
    return platform::findModuleResource(key);
}

bool resourceExists(std::string_view name) {
    return findResource(name).has_value();
}

std::unique_ptr<std::istringstream> loadResource(std::string_view name) {
    std::optional<std::string_view> bytes = findResource(name);
    if (!bytes) throw EResource("Resource not found");
    return std::make_unique<std::istringstream>(std::string(*bytes), std::ios::in | std::ios::binary);
}

// --- Factory files

bool installSetupDocs(const std::string& targetFolder, const std::string& bundleFolder, bool overwrite) {
    std::optional<std::string_view> bytes = findResource("WindowsSetupDocs");
    if (!bytes) return false;
    std::istringstream stream(std::string(*bytes), std::ios::in | std::ios::binary);
    SetupBundleReader reader(stream, overwrite);
    return reader.readSetupBundleMember(bundleFolder, targetFolder);
}

// --- Version strings

const char* versionFieldName(VersionField field) {
    static constexpr const char* names[] = {
        "CompanyName", "FileDescription", "FileVersion", "LegalCopyright",
        "ProductName", "ProductVersion",  "Comments",
    };
    auto index = static_cast<unsigned>(field);
    return index < std::size(names) ? names[index] : "";
}
