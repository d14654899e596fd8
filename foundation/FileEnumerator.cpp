#include "foundation/FileEnumerator.h"

#include "foundation/StringUtils.h"

bool matchesFilePattern(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") return true;
    // Iterative glob with one backtrack point for the last '*'.
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || asciiToLower(pattern[p]) == asciiToLower(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
