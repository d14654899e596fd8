// The Windows registry holds string values exactly as written, also without
// a terminator or with an odd byte count; the reader must stay inside them.

#include "foundation/Registry.h"
#include "foundation/tests/RegistryFixture.h"
#include "foundation/windows/Win32Support.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using test::RegistryTest;

bool setRawString(const std::string& keyPath, const std::string& name, const std::vector<uint8_t>& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, win32::wide(keyPath).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(key, win32::wide(name).c_str(), 0, REG_SZ, bytes.data(),
                                 static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// A string value stored without its terminator, or with an odd byte count,
// is read up to its end and no further.
TEST_F(RegistryTest, UnterminatedStringValue) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* expected;
    };
    const Case cases[] = {
        {{'A', 0, 'B', 0, 'C', 0}, "ABC"},
        {{'A', 0, 'B', 0, 'C'}, "AB"},
        {{'A', 0, 0, 0, 'B', 0}, "A"},
        {{0xAC, 0x20}, "\xE2\x82\xAC"},
        {{'Z'}, ""},
        {{}, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string name = "Raw" + std::to_string(i);
        ASSERT_TRUE(setRawString(key_, name, cases[i].bytes));
        EXPECT_EQ(RegistryReader(RegistryRoot::kCurrentUser, key_).serializeString(name, "", "def"),
                  cases[i].expected)
            << name;
    }
}

} // namespace
