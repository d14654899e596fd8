#pragma once

// Settings in the registry. RegistryReader and RegistryWriter are the
// SettingSerializer pair over one key below a predefined root; each call
// opens the key, does its one value and closes it again (no handle is held).
// Ints and bools are DWORDs, strings are string values, doubles are strings
// ("%.15g"), byte blocks binary values. No error is reported: a missing key
// or value, or one of another type, reads as the default; a failed write is
// silent and still returns the value.
//
// The value functions below are the platform's: the Windows registry, or on
// other systems a typed store kept as key=value text, one file per root in
// the application-data folder, with the same observable behaviour (key paths
// and value names match in any case; a type mismatch reads as absent).

#include "foundation/SettingSerializer.h"

#include <cstdint>
#include <string>
#include <vector>

enum class RegistryRoot {
    kCurrentUser,  // HKEY_CURRENT_USER
    kLocalMachine, // HKEY_LOCAL_MACHINE
};

class RegistryReader : public SettingSerializer {
public:
    RegistryReader(RegistryRoot root, std::string keyPath) : root_(root), keyPath_(std::move(keyPath)) {}

    bool isWriting() const override { return false; }
    void serializeBinary(const std::string& name, std::vector<uint8_t>& bytes) override;
    int32_t serializeInt(const std::string& name, int32_t value, int32_t defaultValue) override;
    std::string serializeString(const std::string& name, const std::string& value,
                                const std::string& defaultValue) override;

    // The string value, "" when absent or not a string.
    std::string readString(const std::string& name) { return serializeString(name, {}, {}); }

    RegistryRoot root() const { return root_; }
    const std::string& keyPath() const { return keyPath_; }

private:
    RegistryRoot root_;
    std::string keyPath_;
};

class RegistryWriter : public SettingSerializer {
public:
    RegistryWriter(RegistryRoot root, std::string keyPath) : root_(root), keyPath_(std::move(keyPath)) {}

    bool isWriting() const override { return true; }
    void serializeBinary(const std::string& name, std::vector<uint8_t>& bytes) override;
    int32_t serializeInt(const std::string& name, int32_t value, int32_t defaultValue) override;
    std::string serializeString(const std::string& name, const std::string& value,
                                const std::string& defaultValue) override;

    RegistryRoot root() const { return root_; }
    const std::string& keyPath() const { return keyPath_; }

private:
    RegistryRoot root_;
    std::string keyPath_;
};

// Start-up reads, once per process by the first plug-in instance: the string
// "HelpFileName" (default empty) below the product's key under
// HKEY_LOCAL_MACHINE becomes the process-wide help file name that the
// editor's help command opens.
void readStartupRegistrySettings(const std::string& productKeyPath);
std::string getHelpFileName();

// --- Platform value access. Reads are true only when the value exists with
// that type. Strings are UTF-8 here; the string read stops at the first NUL
// and tolerates a stored text without terminator or with an odd byte count.
bool readRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       uint32_t& value);
bool readRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::string& value);
bool readRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::vector<uint8_t>& bytes);
// Writes create the key when needed; false when nothing was stored.
bool writeRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        uint32_t value);
bool writeRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::string& value);
bool writeRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::vector<uint8_t>& bytes);
// Removes the key with its values and every key below it.
bool deleteRegistryKey(RegistryRoot root, const std::string& keyPath);
