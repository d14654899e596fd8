// Registry values on the Win32 registry. Every call opens the key, does its
// one value and closes the key again.

#include "foundation/Registry.h"

#include "foundation/TextConversion.h"
#include "foundation/windows/Win32Support.h"

namespace {

using win32::wide;

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class OpenKey {
public:
    OpenKey(RegistryRoot root, const std::string& keyPath, bool create) {
        std::wstring path = wide(keyPath);
        LONG result = create ? RegCreateKeyExW(rootKey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &key_, nullptr)
                             : RegOpenKeyExW(rootKey(root), path.c_str(), 0, KEY_READ, &key_);
        if (result != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The value's type and bytes; false when it does not exist. The buffer holds
// the stored size plus two zero bytes, so a string stored without its
// terminator still ends inside the buffer.
bool queryValue(RegistryRoot root, const std::string& keyPath, const std::string& name, DWORD& type,
                std::vector<uint8_t>& bytes) {
    OpenKey key(root, keyPath, false);
    if (!key) return false;
    std::wstring valueName = wide(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        bytes.assign(size + 2u, 0);
        DWORD got = size;
        LONG result = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, bytes.data(), &got);
        if (result == ERROR_MORE_DATA) continue; // the value grew in between
        if (result != ERROR_SUCCESS) return false;
        bytes.resize(got);
        return true;
    }
    return false;
}

bool setValue(RegistryRoot root, const std::string& keyPath, const std::string& name, DWORD type,
              const void* data, size_t size) {
    if (size > 0xFFFFFFFFu) return false;
    OpenKey key(root, keyPath, true);
    if (!key) return false;
    return RegSetValueExW(key.get(), wide(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

} // namespace

bool readRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       uint32_t& value) {
    OpenKey key(root, keyPath, false);
    if (!key) return false;
    DWORD type = 0;
    DWORD stored = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExW(key.get(), wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof stored)
        return false;
    value = stored;
    return true;
}

bool readRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::string& value) {
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!queryValue(root, keyPath, name, type, bytes) || type != REG_SZ) return false;
    // Whole UTF-16 units only (an odd last byte is ignored), up to the first
    // NUL or the end of the stored bytes.
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    value = toUtf8String(text);
    return true;
}

bool readRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::vector<uint8_t>& bytes) {
    DWORD type = 0;
    std::vector<uint8_t> stored;
    if (!queryValue(root, keyPath, name, type, stored) || type != REG_BINARY) return false;
    bytes = std::move(stored);
    return true;
}

bool writeRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        uint32_t value) {
    DWORD stored = value;
    return setValue(root, keyPath, name, REG_DWORD, &stored, sizeof stored);
}

bool writeRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::string& value) {
    std::wstring text = wide(value);
    return setValue(root, keyPath, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool writeRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::vector<uint8_t>& bytes) {
    return setValue(root, keyPath, name, REG_BINARY, bytes.data(), bytes.size());
}

bool deleteRegistryKey(RegistryRoot root, const std::string& keyPath) {
    return RegDeleteTreeW(rootKey(root), wide(keyPath).c_str()) == ERROR_SUCCESS;
}
