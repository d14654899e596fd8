// Registry stand-in: a typed store (DWORD, string, binary) keyed by root, key
// path and value name, kept as key=value text with one file per root:
//
//   <application data>\Zentor\Registry\HKEY_CURRENT_USER.txt
//   [Software\Zentor\Varnel 2\1.0]
//   GraphicsAcceleration=dword:1
//   HelpFileName="sz:C:\\Help Files\\Varnel.pdf"
//   Blob=hex:00ff10
//
// Key paths and value names match in any case (ASCII folding) and are written
// percent-encoded where the text format needs it ('%', '=', '[', ']', ';',
// '"', control characters, blanks at either end; "@" is the unnamed value).
//
// Every call takes a process-wide mutex; a write also takes an advisory lock
// on "<file>.lock" against other processes, re-reads the file, changes one
// value and replaces the file atomically (temporary file + rename). A damaged
// file is read up to its first bad line; before rewriting, it is renamed to
// "<file>.damaged" (".damaged.1", ... when taken) so that nothing is lost.

#include "foundation/AtomicFile.h"
#include "foundation/Files.h"
#include "foundation/KeyValue.h"
#include "foundation/KnownFolders.h"
#include "foundation/Registry.h"
#include "foundation/StringUtils.h"
#include "foundation/SystemPlatform.h"
#include "foundation/posix/PosixPath.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace {

enum class ValueType { kDword, kString, kBinary };

struct StoredValue {
    std::string name;
    ValueType type = ValueType::kString;
    uint32_t dword = 0;
    std::string text;
    std::vector<uint8_t> bytes;
};

struct StoredKey {
    std::string path;
    std::vector<StoredValue> values;
};

struct Store {
    std::vector<StoredKey> keys;
    bool damaged = false;
};

std::mutex& storeMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string storeFolder() {
    return getApplicationDataFolder() + "\\Zentor\\Registry";
}

std::string storeFile(RegistryRoot root) {
    return storeFolder() +
           (root == RegistryRoot::kLocalMachine ? "\\HKEY_LOCAL_MACHINE.txt" : "\\HKEY_CURRENT_USER.txt");
}

constexpr char hexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (isAsciiDigit(c)) return c - '0';
    char lower = asciiToLower(c);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

std::string encodeName(std::string_view name) {
    if (name.empty()) return "@";
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        bool atEdge = i == 0 || i + 1 == name.size();
        bool escape = c == '%' || c == '=' || c == '[' || c == ']' || c == ';' || c == '"' || c < 0x20 ||
                      c == 0x7F || (atEdge && (c == ' ' || c == '\t')) || (i == 0 && c == '@');
        if (escape) {
            out += '%';
            out += hexDigits[c >> 4];
            out += hexDigits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool decodeName(std::string_view text, std::string& name) {
    name.clear();
    if (text == "@") return true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int high = hexValue(text[i + 1]);
        int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string encodeValue(const StoredValue& value) {
    switch (value.type) {
    case ValueType::kDword:
        return "dword:" + std::to_string(value.dword);
    case ValueType::kString:
        return quoteValue("sz:" + value.text);
    case ValueType::kBinary: {
        std::string out = "hex:";
        for (uint8_t byte : value.bytes) {
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 15];
        }
        return out;
    }
    }
    return {};
}

bool decodeValue(std::string_view text, StoredValue& value) {
    if (text.substr(0, 6) == "dword:") {
        std::string_view digits = text.substr(6);
        auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), value.dword);
        value.type = ValueType::kDword;
        return !digits.empty() && parsed.ec == std::errc() && parsed.ptr == digits.data() + digits.size();
    }
    if (text.substr(0, 3) == "sz:") {
        value.type = ValueType::kString;
        value.text = std::string(text.substr(3));
        return true;
    }
    if (text.substr(0, 4) == "hex:") {
        std::string_view digits = text.substr(4);
        if (digits.size() % 2 != 0) return false;
        value.type = ValueType::kBinary;
        value.bytes.clear();
        for (size_t i = 0; i < digits.size(); i += 2) {
            int high = hexValue(digits[i]);
            int low = hexValue(digits[i + 1]);
            if (high < 0 || low < 0) return false;
            value.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        }
        return true;
    }
    return false;
}

StoredKey* findKey(Store& store, std::string_view path) {
    for (StoredKey& key : store.keys)
        if (equalsNoCase(key.path, path)) return &key;
    return nullptr;
}

StoredValue* findValue(StoredKey& key, std::string_view name) {
    for (StoredValue& value : key.values)
        if (equalsNoCase(value.name, name)) return &value;
    return nullptr;
}

// Reads the store up to its first bad line; a missing file is an empty store.
Store loadStore(const std::string& file) {
    Store store;
    std::istringstream in(readFileToString(file));
    KeyValueReader reader(in);
    StoredKey* current = nullptr;
    for (;;) {
        std::string name = reader.readLine();
        if (name.empty()) {
            if (reader.status() != KeyValueReader::kGood) {
                store.damaged = true;
                break;
            }
            if (reader.sectionName().empty()) break; // end of input
            std::string path;
            if (!decodeName(reader.sectionName(), path)) {
                store.damaged = true;
                break;
            }
            current = findKey(store, path);
            if (!current) current = &store.keys.emplace_back(StoredKey{path, {}});
            continue;
        }
        StoredValue value;
        if (!current || !decodeName(name, value.name) || !decodeValue(reader.value(), value)) {
            store.damaged = true;
            break;
        }
        if (StoredValue* existing = findValue(*current, value.name))
            *existing = std::move(value);
        else
            current->values.push_back(std::move(value));
    }
    return store;
}

std::string formatStore(const Store& store) {
    std::ostringstream out;
    out << "; Registry values (stand-in store): dword:N, \"sz:text\", hex:bytes\n";
    KeyValueWriter writer(out, "\n");
    for (const StoredKey& key : store.keys) {
        if (key.values.empty()) continue;
        writer.writeSection(encodeName(key.path));
        for (const StoredValue& value : key.values)
            writer.writeLine(encodeName(value.name), encodeValue(value));
    }
    return out.str();
}

// An advisory lock on "<file>.lock" against writers in other processes. The
// lock file is opened or made in one step and never deleted, so every writer
// locks the same file.
class FileLock {
public:
    explicit FileLock(const std::string& file) {
        descriptor_ = ::open(posix::toNativePath(file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor_ < 0) return;
        int result;
        do {
            result = ::flock(descriptor_, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        locked_ = result == 0;
    }
    ~FileLock() {
        if (descriptor_ >= 0) ::close(descriptor_); // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return locked_; }

private:
    int descriptor_ = -1;
    bool locked_ = false;
};

// Renames the damaged file to the first free ".damaged" name; a name taken
// meanwhile is never replaced.
bool setAside(const std::string& file) {
    for (int n = 0; n < 1000; ++n) {
        std::string target = file + ".damaged" + (n == 0 ? std::string() : "." + std::to_string(n));
        switch (platform::moveFileToFreeName(file, target)) {
        case platform::MoveToFreeName::kMoved:
            return true;
        case platform::MoveToFreeName::kNameTaken:
            continue;
        case platform::MoveToFreeName::kFailed:
            return false;
        }
    }
    return false;
}

template <typename Change> bool modifyStore(RegistryRoot root, Change&& change) {
    std::lock_guard<std::mutex> guard(storeMutex());
    if (!createDirectories(storeFolder())) return false;
    std::string file = storeFile(root);
    // Without the lock another process could write between reading and
    // replacing, and one of the two values would be lost.
    FileLock fileLock(file);
    if (!fileLock.locked()) return false;
    Store store = loadStore(file);
    if (!change(store)) return false;
    if (store.damaged && !setAside(file)) return false;
    return writeFileAtomically(file, formatStore(store));
}

bool writeValue(RegistryRoot root, const std::string& keyPath, StoredValue value) {
    return modifyStore(root, [&](Store& store) {
        StoredKey* key = findKey(store, keyPath);
        if (!key) key = &store.keys.emplace_back(StoredKey{keyPath, {}});
        if (StoredValue* existing = findValue(*key, value.name))
            *existing = std::move(value);
        else
            key->values.push_back(std::move(value));
        return true;
    });
}

template <typename Read>
bool readValue(RegistryRoot root, const std::string& keyPath, const std::string& name, ValueType type,
               Read&& read) {
    std::lock_guard<std::mutex> guard(storeMutex());
    Store store = loadStore(storeFile(root));
    StoredKey* key = findKey(store, keyPath);
    StoredValue* value = key ? findValue(*key, name) : nullptr;
    if (!value || value->type != type) return false;
    read(*value);
    return true;
}

} // namespace

bool readRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       uint32_t& value) {
    return readValue(root, keyPath, name, ValueType::kDword,
                     [&](StoredValue& stored) { value = stored.dword; });
}

bool readRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::string& value) {
    return readValue(root, keyPath, name, ValueType::kString, [&](StoredValue& stored) {
        // As on Windows, a string value ends at its first NUL.
        value = stored.text.substr(0, stored.text.find('\0'));
    });
}

bool readRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        std::vector<uint8_t>& bytes) {
    return readValue(root, keyPath, name, ValueType::kBinary,
                     [&](StoredValue& stored) { bytes = std::move(stored.bytes); });
}

bool writeRegistryDword(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        uint32_t value) {
    StoredValue stored;
    stored.name = name;
    stored.type = ValueType::kDword;
    stored.dword = value;
    return writeValue(root, keyPath, std::move(stored));
}

bool writeRegistryString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::string& value) {
    StoredValue stored;
    stored.name = name;
    stored.type = ValueType::kString;
    stored.text = value;
    return writeValue(root, keyPath, std::move(stored));
}

bool writeRegistryBinary(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const std::vector<uint8_t>& bytes) {
    StoredValue stored;
    stored.name = name;
    stored.type = ValueType::kBinary;
    stored.bytes = bytes;
    return writeValue(root, keyPath, std::move(stored));
}

bool deleteRegistryKey(RegistryRoot root, const std::string& keyPath) {
    return modifyStore(root, [&](Store& store) {
        size_t before = store.keys.size();
        std::erase_if(store.keys, [&](const StoredKey& key) {
            return equalsNoCase(key.path, keyPath) ||
                   (key.path.size() > keyPath.size() && key.path[keyPath.size()] == '\\' &&
                    equalsNoCase(std::string_view(key.path).substr(0, keyPath.size()), keyPath));
        });
        return store.keys.size() != before;
    });
}
