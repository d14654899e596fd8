#pragma once
// The library's module and what it carries: the module the plug-in was loaded
// from, its resources and the strings of its version resource. Every
// function is re-entrant; failures give "", false or none, except
// loadResource, which throws EResource.

#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

class EResource : public std::runtime_error {
public:
    explicit EResource(const std::string& message = "Resource not found") : std::runtime_error(message) {}
};

// --- The library's module. The plug-in entry records the module it was
// loaded from (path as the host gives it); resources, version strings and the
// event-queue window class then use that module. Without a record they use
// the process's main module. False when no such module is loaded.
bool recordLibraryModule(const std::string& path);
// The file of the module those services use (internal '\' form).
std::string getLibraryModulePath();

// --- Module resources. A name is looked up without its extension and in any
// case ("gentle.FIL" finds the resource made from Gentle.fil).
bool resourceExists(std::string_view name);
// The resource's bytes, valid while the module is loaded; none when missing.
std::optional<std::string_view> findResource(std::string_view name);
// A new stream holding a copy of the resource's bytes; throws EResource
// "Resource not found" when there is none.
std::unique_ptr<std::istringstream> loadResource(std::string_view name);
// Tells the observer every name a lookup above is asked for, found or not,
// on the thread that asks (a test's view of what the code needs). Null
// removes it. The observer must not look resources up itself.
using ResourceLookupObserver = void (*)(std::string_view name);
void setResourceLookupObserver(ResourceLookupObserver observer);

// --- Version strings of a module's version resource.
enum class VersionField : int {
    kCompanyName = 0,
    kFileDescription = 1,
    kFileVersion = 2,
    kLegalCopyright = 3,
    kProductName = 4,
    kProductVersion = 5,
    kComments = 6,
    // "YYYY-MM-DD" (UTC) of the built source.
    kBuildDate = 7,
};
const char* versionFieldName(VersionField field);
// The field from the first translation of the module's string table; an empty
// path means the library's own module. "" when there is none.
std::string getVersionInfoString(VersionField field, const std::string& modulePath = {});
