#include "foundation/FilePaths.h"

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
