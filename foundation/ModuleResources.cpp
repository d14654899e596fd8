#include "foundation/ModuleResources.h"

#include "foundation/EmbeddedResources.h"
#include "foundation/FilePaths.h"
#include "foundation/StringUtils.h"
#include "foundation/SystemPlatform.h"

#include <atomic>
#include <iterator>

namespace {

constinit EmbeddedResourceTable* resourceTables = nullptr;
constinit const CompiledVersionStrings* versionStrings = nullptr;
constinit std::atomic<ResourceLookupObserver> lookupObserver{nullptr};

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

void setResourceLookupObserver(ResourceLookupObserver observer) {
    lookupObserver.store(observer);
}

std::optional<std::string_view> findResource(std::string_view name) {
    if (ResourceLookupObserver observer = lookupObserver.load()) observer(name);
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

// --- Version strings

const char* versionFieldName(VersionField field) {
    static constexpr const char* names[] = {
        "CompanyName", "FileDescription", "FileVersion", "LegalCopyright",
        "ProductName", "ProductVersion",  "Comments",    "BuildDate",
    };
    auto index = static_cast<unsigned>(field);
    return index < std::size(names) ? names[index] : "";
}
