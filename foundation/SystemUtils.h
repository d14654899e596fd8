#pragma once
// Operating-system services for the rest of the system: text conversion for
// OS calls, path pieces, well-known folders, files, module resources, named
// shared memory, version strings of a module and the module hook.
//
// Paths inside the system are UTF-8 with '\' separators on every platform;
// the POSIX build turns '\' into '/' only at the OS call and also accepts '/'.
// Every function is re-entrant. Failures give "", false or null, except
// loadResource, which throws EResource.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <ios>
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

// --- Text: UTF-8 inside, UTF-16 at OS calls. Invalid input becomes U+FFFD.
std::u16string toWideString(std::string_view utf8);
std::string toUtf8String(std::u16string_view utf16);

// --- Path pieces ('\' separated).
// Up to and including the last '\'; "" when there is none.
std::string getDirectoryPath(std::string_view path);
// From the last '.' of the file name on, dot included; "" when there is none.
std::string getFileExtension(std::string_view path);
// The file name without folder and extension.
std::string getFileTitle(std::string_view path);
// Without the last '.' and what follows (unchanged without a '.').
std::string removeFileExtension(std::string_view name);
// base + '\' (when missing) + relative with every '/' turned into '\'.
std::string appendRelativePath(std::string_view relativePath, std::string_view baseFolder);
// "_2x" before the last '.', or appended without one: Knob.png -> Knob_2x.png.
std::string addDoubleScaleSuffix(std::string_view fileName);

// --- Folders (no trailing '\').
std::string getApplicationDataFolder();
std::string getDocumentsFolder();
// <application data>\Zentor\<name>\ .
std::string getMakerFolderPath(std::string_view name);
// <documents>\Zentor\Presets\<productFolder>\ .
std::string getPresetsFolderPath(std::string_view productFolder);
// Software\Zentor\<product>\<major>.0 (below the current user's root).
std::string getRegistryKeyPath(std::string_view productName, std::int32_t majorVersion);

// --- Files.
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);
// True when the folder exists or could be made, parents first. A path
// without any '\' that does not exist gives false.
bool createDirectories(const std::string& path);
// A new file stream on the path (shared for reading and writing on Windows);
// never null: the caller checks its state.
std::unique_ptr<std::fstream> openFileStream(const std::string& path, std::ios::openmode mode);

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

// --- Named shared memory: base + "." + process id, size bytes, zeroed when
// new; shared by every module of the process that opens the same name. The
// mapping stays for the life of the process. Null on failure.
void* openSharedInstanceMemory(std::string_view baseName, std::size_t size);

// --- Version strings of a module's version resource.
enum class VersionField : int {
    kCompanyName = 0,
    kFileDescription = 1,
    kFileVersion = 2,
    kLegalCopyright = 3,
    kProductName = 4,
    kProductVersion = 5,
    kComments = 6,
};
const char* versionFieldName(VersionField field);
// The field from the first translation of the module's string table; an empty
// path means the library's own module. "" when there is none.
std::string getVersionInfoString(VersionField field, const std::string& modulePath = {});

// --- Windows of the calling thread: true when it owns a visible window (the
// thread runs a user interface whose message loop will serve an event queue).
bool isThreadWindowVisible();

// --- Factory files: extracts the entries under bundleFolder of the module's
// "WindowsSetupDocs" bundle below targetFolder. False when the module has no
// bundle or the extraction failed.
bool installSetupDocs(const std::string& targetFolder, const std::string& bundleFolder, bool overwrite);
