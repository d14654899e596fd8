#include "tools/factorypresets/FactoryPresetTree.h"

#include "plugin/PresetParameterCollection.h"
#include "tools/factorypresets/PresetSource.h"

#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

// Source files are small; anything larger is not a preset source.
constexpr std::uintmax_t kMaxSourceSize = 1024 * 1024;

bool readFile(const fs::path& path, std::string& bytes) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return false;
    bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return !stream.bad();
}

std::string relativeName(const fs::path& path, const fs::path& root) {
    return path.lexically_relative(root).generic_string();
}

// Every regular file below the folder, by relative path.
std::set<std::string> filesBelow(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code code;
    if (!fs::is_directory(folder, code)) return names;
    for (auto it = fs::recursive_directory_iterator(folder, code);
         !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
        if (it->is_regular_file(code)) names.insert(relativeName(it->path(), folder));
    }
    return names;
}

} // namespace

bool FactoryPresetTree::build(const fs::path& sourceFolder, const CollectionFor& collectionFor,
                              int32_t version, std::string& error) {
    files_.clear();
    std::error_code code;
    if (!fs::is_directory(sourceFolder, code)) {
        error = sourceFolder.string() + ": not a folder";
        return false;
    }
    const std::string suffix = kSourceSuffix;
    for (const std::string& name : filesBelow(sourceFolder)) {
        const fs::path source = sourceFolder / fs::path(name);
        if (name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            error = source.string() + ": not a preset source (its name must end in " + suffix + ")";
            return false;
        }
        const std::string target = name.substr(0, name.size() - suffix.size());
        const std::string extension = fs::path(target).extension().string();
        PresetParameterCollection* collection = extension.empty() ? nullptr : collectionFor(extension);
        if (collection == nullptr) {
            error = source.string() + ": \"" + extension + "\" names no kind of preset";
            return false;
        }
        std::string text;
        if (fs::file_size(source, code) > kMaxSourceSize || code || !readFile(source, text)) {
            error = source.string() + ": cannot read the file";
            return false;
        }
        std::string why;
        if (!applyPresetSource(*collection, text, why)) {
            error = source.string() + ": " + why;
            return false;
        }
        files_[target] = collection->binaryBytes(version);
    }
    if (files_.empty()) {
        error = sourceFolder.string() + ": no preset sources";
        return false;
    }
    return true;
}

bool FactoryPresetTree::write(const fs::path& folder, std::string& error) const {
    std::error_code code;
    fs::remove_all(folder, code);
    for (const auto& [name, bytes] : files_) {
        const fs::path path = folder / fs::path(name);
        fs::create_directories(path.parent_path(), code);
        std::ofstream stream(path, std::ios::binary | std::ios::trunc);
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        stream.close();
        if (!stream) {
            error = path.string() + ": cannot write the file";
            return false;
        }
    }
    return true;
}

std::vector<std::string> FactoryPresetTree::differences(const fs::path& folder) const {
    std::vector<std::string> lines;
    const std::set<std::string> present = filesBelow(folder);
    for (const auto& [name, bytes] : files_) {
        std::string existing;
        if (present.count(name) == 0)
            lines.push_back(name + ": missing");
        else if (!readFile(folder / fs::path(name), existing) || existing != bytes)
            lines.push_back(name + ": other bytes than its source gives");
    }
    for (const std::string& name : present)
        if (files_.count(name) == 0) lines.push_back(name + ": has no source");
    return lines;
}
