#include "foundation/Registry.h"

#include <mutex>
#include <utility>

// --- Registry reader and writer over the platform's value functions.

void RegistryReader::serializeBinary(const std::string& name, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::vector<uint8_t> stored;
    if (readRegistryBinary(root_, keyPath_, name, stored)) bytes = std::move(stored);
}

int32_t RegistryReader::serializeInt(const std::string& name, int32_t, int32_t defaultValue) {
    uint32_t stored = 0;
    if (readRegistryDword(root_, keyPath_, name, stored)) return static_cast<int32_t>(stored);
    return defaultValue;
}

std::string RegistryReader::serializeString(const std::string& name, const std::string&,
                                            const std::string& defaultValue) {
    std::string stored;
    if (readRegistryString(root_, keyPath_, name, stored)) return stored;
    return defaultValue;
}

void RegistryWriter::serializeBinary(const std::string& name, std::vector<uint8_t>& bytes) {
    writeRegistryBinary(root_, keyPath_, name, bytes);
}

int32_t RegistryWriter::serializeInt(const std::string& name, int32_t value, int32_t) {
    writeRegistryDword(root_, keyPath_, name, static_cast<uint32_t>(value));
    return value;
}

std::string RegistryWriter::serializeString(const std::string& name, const std::string& value,
                                            const std::string&) {
    writeRegistryString(root_, keyPath_, name, value);
    return value;
}

namespace {

std::mutex helpFileMutex;
std::string helpFileName;

} // namespace

void readStartupRegistrySettings(const std::string& productKeyPath) {
    std::string name =
        RegistryReader(RegistryRoot::kLocalMachine, productKeyPath).serializeString("HelpFileName", "", "");
    std::lock_guard<std::mutex> lock(helpFileMutex);
    helpFileName = std::move(name);
}

std::string getHelpFileName() {
    std::lock_guard<std::mutex> lock(helpFileMutex);
    return helpFileName;
}
