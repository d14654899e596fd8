#pragma once

// The factory preset files built from their sources (PresetSource.h). A
// source folder holds one source per preset, laid out as the presets are:
// "_1 Basics/Quarter Echo.ztp.txt" becomes the binary preset
// "_1 Basics/Quarter Echo.ztp". The extension before ".txt" names the kind of
// preset, and the caller gives the parameter collection that kind writes (the
// whole effect, or one section). Each source starts from the declared
// defaults, so files never depend on the order they are built in.
//
// Every file of the source folder must be a source: anything else is an
// error rather than a file silently left out of the product.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

class PresetParameterCollection;

class FactoryPresetTree {
public:
    // The collection for an extension (".ztp", ".delays", ...), or null for
    // an extension that names no kind of preset.
    using CollectionFor = std::function<PresetParameterCollection*(const std::string& extension)>;

    // Builds every file. False with the source's path and the reason.
    bool build(const std::filesystem::path& sourceFolder, const CollectionFor& collectionFor, int32_t version,
               std::string& error);

    // Relative path ('/' separated) to the file's bytes, in path order.
    const std::map<std::string, std::string>& getFiles() const { return files_; }

    // Replaces the folder with the built files.
    bool write(const std::filesystem::path& folder, std::string& error) const;
    // What differs between the built files and the folder's: one line per
    // file that is missing, unexpected or has other bytes. Empty when equal.
    std::vector<std::string> differences(const std::filesystem::path& folder) const;

    // The suffix that marks a source.
    static constexpr const char* kSourceSuffix = ".txt";

private:
    std::map<std::string, std::string> files_;
};
