#include "clap/ClapTextCopy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ClapTextCopy, CutsWithinTheArrayOnACharacterBoundary) {
    struct Case {
        std::string text;
        size_t capacity;
        std::string expected;
    };
    const Case cases[] = {
        {"Gain", 256, "Gain"},
        {"Gain", 5, "Gain"},
        {"Gain", 4, "Gai"},
        {"Gain", 1, ""},
        {"d\xC3\xA9j\xC3\xA0", 3, "d"},         // é would be cut in two
        {"d\xC3\xA9j\xC3\xA0", 4, "d\xC3\xA9"}, // é fits
        {"\xE2\x82\xAC"
         "5",
         3, ""}, // the euro sign needs three bytes
        {"\xF0\x9F\x8E\xB5!", 5, "\xF0\x9F\x8E\xB5"},
    };
    for (const Case& c : cases) {
        char array[300];
        std::memset(array, 'X', sizeof array);
        copyToHostText(array, c.capacity, c.text);
        EXPECT_EQ(std::string(array), c.expected) << c.capacity;
        EXPECT_EQ(array[c.capacity], 'X') << "wrote past the capacity";
    }
    copyToHostText(nullptr, 10, "x"); // nothing to write into
    char one = 'X';
    copyToHostText(&one, 0, "x");
    EXPECT_EQ(one, 'X');
}

} // namespace
