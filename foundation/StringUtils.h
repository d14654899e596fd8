#pragma once

// Text and number helpers shared by the parameter model, presets, settings
// and the editor. Text is UTF-8 held in std::string; every function treats
// bytes as characters. Classification and case folding are ASCII only and
// work on unsigned bytes, so bytes of multi-byte characters are never
// changed and results never depend on the process locale (a host may set
// one). Numbers are printed and parsed without the C locale as well.

#include <cstdint>
#include <ios>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// ASCII classification on bytes; bytes >= 0x80 are never letters, digits or
// white space.
constexpr bool isAsciiDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}
constexpr bool isAsciiUpper(char c) noexcept {
    return c >= 'A' && c <= 'Z';
}
constexpr bool isAsciiLower(char c) noexcept {
    return c >= 'a' && c <= 'z';
}
constexpr bool isAsciiAlpha(char c) noexcept {
    return isAsciiUpper(c) || isAsciiLower(c);
}
// The white space of the C locale: blank, \t, \n, \v, \f, \r.
constexpr bool isAsciiSpace(char c) noexcept {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr char asciiToLower(char c) noexcept {
    return isAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char asciiToUpper(char c) noexcept {
    return isAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);
// The text as a segment of a URL path: every byte that a path may not hold
// as it is (anything but letters, digits, "-._~!$&'()*+,;=:@" and '/') as
// %XX in upper-case hex, e.g. "varnel 2" as "varnel%202".
std::string percentEncodeUrlPath(std::string_view text);

// Formats one double. "INF" for +infinity, "-INF" for -infinity and NaN. A
// format starting with '*' ("*" ["+"] N rest, e.g. "*3f") prints N decimals
// below 10 and one fewer per further decade; any other format is a printf
// format for the value. A result without a non-zero digit loses a leading
// sign ("-0.00" becomes "0.00").
std::string formatNumber(double value, std::string_view format);

// printf-style formatting of one double, independent of the locale and the
// same on every platform. Literal text and "%%" are copied; each conversion
// (flags "-+ #0", width, precision or ".*", conversions f F e E g G a A, and
// d i u printed as the value rounded to an integer) prints the value; a '*'
// precision takes starPrecision. Any other conversion is copied as text.
std::string formatDouble(std::string_view printfFormat, double value, int starPrecision = 6);

// "250.0 ms" below 1000 ms, "1.500 sec" from 1000 ms up. The unit follows the
// value as printed to four digits: 999.97 ms reads "1.000 sec", never
// "1000 ms", so the text typed back gives the same text.
std::string formatSeconds(double milliseconds);
// Whether formatSeconds shows `milliseconds` in seconds.
bool formatsAsSeconds(double milliseconds);

// Locale-independent parsing of a whole text: an optional sign and a
// decimal number (for doubles also an exponent, "inf" or "nan"). False, with
// the result untouched, when the text is empty, holds anything else
// (including blanks) or is out of range.
bool parseDouble(std::string_view text, double& result);
bool parseInt(std::string_view text, int32_t& result);
// The leading number of a text as "%d" reads it: blanks, an optional sign and
// digits, the rest ignored. fallback when there are no digits or the number
// does not fit.
int32_t parseLeadingInt(std::string_view text, int32_t fallback);

// Case-insensitive byte comparison: -1, 0 or 1; a prefix sorts first.
int compareNoCase(std::string_view a, std::string_view b);
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}
// Case-insensitive comparison with digit runs compared by value (Preset 2 <
// Preset 10, a01 == a1); white space facing a digit is skipped.
int compareNatural(std::string_view a, std::string_view b);

// Abbreviates a parameter name to at most maxLength bytes for narrow
// displays (maxLength 0: unchanged). "Filter 1 Frequency", 8 -> "F1 Freq".
std::string shortenParameterName(const std::string& name, size_t maxLength);

// The leading blank-terminated words of first that second holds at the same
// places, each with its blank; the character at the blank's place in second
// is not compared.
std::string commonWordPrefix(std::string_view first, std::string_view second);

// "_12 Bright Echo" becomes "Bright Echo" and gives 12; "_ Echo" gives 0 and
// becomes "Echo"; a name without a leading '_' is kept and gives 10000.
int takeSortPrefix(std::string& name);

// Clears list and appends the pieces of text cut at every ','; empty pieces
// stay; an empty text gives an empty list.
void splitAtCommas(std::string_view text, std::vector<std::string>& list);

// Every occurrence of from replaced by to, searching on after each
// replacement. An empty from returns text unchanged.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

// Without leading and trailing ASCII white space.
std::string trimString(std::string_view text);

// The characters up to "\n", "\r", "\r\n" or the end of the stream (the
// terminator is consumed, not returned). Sets eofbit, never failbit, when
// the end is reached.
std::string readLine(std::istream& stream);

// Every "\r\n", lone "\r" and lone "\n" becomes "\r\n".
std::string toCrLfLineEndings(std::string_view text);
