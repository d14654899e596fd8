#include "foundation/StringUtils.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <istream>
#include <sstream>

std::string toLowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = asciiToLower(c);
    return result;
}

std::string toUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = asciiToUpper(c);
    return result;
}

// ---------------------------------------------------------------------------
// Number formatting. std::to_chars prints exactly as printf does in the "C"
// locale (same rounding of the exact binary value), so the printf grammar is
// parsed here and the digits come from to_chars: no locale, no varargs, and
// the same text from both compilers' runtimes.

namespace {

struct Directive {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    int precision = -1; // -1: none given
    char conversion = 'f';
};

constexpr int maxPrecision = 1000;

std::string toChars(double magnitude, std::chars_format format, int precision) {
    std::string buffer(400 + static_cast<size_t>(precision), '\0');
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, format, precision);
    buffer.resize(static_cast<size_t>(result.ptr - buffer.data()));
    return buffer;
}

std::string toCharsShortest(double magnitude, std::chars_format format) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, format);
    return std::string(buffer, result.ptr);
}

void stripTrailingZeros(std::string& digits) {
    size_t exponent = digits.find_first_of("eE");
    std::string tail = exponent == std::string::npos ? std::string() : digits.substr(exponent);
    std::string mantissa = digits.substr(0, exponent);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    digits = mantissa + tail;
}

void ensureDecimalPoint(std::string& digits) {
    if (digits.find('.') != std::string::npos) return;
    size_t exponent = digits.find_first_of("eEpP");
    digits.insert(exponent == std::string::npos ? digits.size() : exponent, 1, '.');
}

std::string formatConversion(const Directive& directive, double value) {
    char conversion = asciiToLower(directive.conversion);
    int precision = std::min(directive.precision, maxPrecision);
    bool alternate = directive.alternate;
    if (conversion == 'd' || conversion == 'i' || conversion == 'u') {
        conversion = 'f';
        precision = 0;
        alternate = false;
    }
    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    bool finite = std::isfinite(value);
    std::string body;
    std::string radixPrefix;
    if (std::isnan(value)) {
        body = "nan";
    } else if (!finite) {
        body = "inf";
    } else if (conversion == 'f') {
        body = toChars(magnitude, std::chars_format::fixed, precision < 0 ? 6 : precision);
        if (alternate) ensureDecimalPoint(body);
    } else if (conversion == 'e') {
        body = toChars(magnitude, std::chars_format::scientific, precision < 0 ? 6 : precision);
        if (alternate) ensureDecimalPoint(body);
    } else if (conversion == 'g') {
        // C: with P significant digits and the exponent X of the %e form,
        // P > X >= -4 prints %f with P - 1 - X decimals, otherwise %e with
        // P - 1; trailing zeros go unless '#'.
        int significant = precision < 0 ? 6 : (precision == 0 ? 1 : precision);
        body = toChars(magnitude, std::chars_format::scientific, significant - 1);
        int exponent = std::atoi(body.c_str() + body.find('e') + 1);
        if (significant > exponent && exponent >= -4)
            body = toChars(magnitude, std::chars_format::fixed, significant - 1 - exponent);
        if (alternate)
            ensureDecimalPoint(body);
        else
            stripTrailingZeros(body);
    } else { // 'a'
        radixPrefix = "0x";
        body = precision < 0 ? toCharsShortest(magnitude, std::chars_format::hex)
                             : toChars(magnitude, std::chars_format::hex, precision);
        if (alternate) ensureDecimalPoint(body);
    }
    if (isAsciiUpper(directive.conversion)) {
        body = toUpperAscii(body);
        radixPrefix = toUpperAscii(radixPrefix);
    }
    std::string sign = negative ? "-" : directive.plusSign ? "+" : directive.spaceSign ? " " : "";
    std::string head = sign + radixPrefix;
    size_t length = head.size() + body.size();
    size_t width = static_cast<size_t>(directive.width);
    if (length >= width) return head + body;
    size_t padding = width - length;
    if (directive.leftAlign) return head + body + std::string(padding, ' ');
    if (directive.zeroPad && finite) return head + std::string(padding, '0') + body;
    return std::string(padding, ' ') + head + body;
}

int readDecimal(std::string_view text, size_t& pos) {
    int result = 0;
    while (pos < text.size() && isAsciiDigit(text[pos])) {
        if (result < 100000) result = result * 10 + (text[pos] - '0');
        ++pos;
    }
    return result;
}

} // namespace

std::string formatDouble(std::string_view format, double value, int starPrecision) {
    std::string out;
    size_t pos = 0;
    while (pos < format.size()) {
        char c = format[pos];
        if (c != '%') {
            out += c;
            ++pos;
            continue;
        }
        size_t start = pos++;
        if (pos < format.size() && format[pos] == '%') {
            out += '%';
            ++pos;
            continue;
        }
        Directive directive;
        for (; pos < format.size(); ++pos) {
            char flag = format[pos];
            if (flag == '-')
                directive.leftAlign = true;
            else if (flag == '+')
                directive.plusSign = true;
            else if (flag == ' ')
                directive.spaceSign = true;
            else if (flag == '#')
                directive.alternate = true;
            else if (flag == '0')
                directive.zeroPad = true;
            else
                break;
        }
        if (pos < format.size() && format[pos] == '*')
            ++pos; // a width argument is not supported: no width
        else
            directive.width = readDecimal(format, pos);
        if (pos < format.size() && format[pos] == '.') {
            ++pos;
            if (pos < format.size() && format[pos] == '*') {
                ++pos;
                directive.precision = starPrecision < 0 ? -1 : starPrecision;
            } else {
                directive.precision = readDecimal(format, pos);
            }
        }
        while (pos < format.size() && std::string_view("hlLqjzt").find(format[pos]) != std::string_view::npos)
            ++pos;
        if (pos < format.size() &&
            std::string_view("fFeEgGaAdiu").find(format[pos]) != std::string_view::npos) {
            directive.conversion = format[pos++];
            out += formatConversion(directive, value);
        } else {
            size_t end = std::min(pos + 1, format.size());
            out.append(format.substr(start, end - start));
            pos = end;
        }
    }
    return out;
}

std::string percentEncodeUrlPath(std::string_view text) {
    static constexpr std::string_view kAllowed = "-._~!$&'()*+,;=:@/";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool alphanumeric =
            (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
        if (alphanumeric || kAllowed.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string formatNumber(double value, std::string_view format) {
    if (std::isnan(value)) return "-INF";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    std::string text;
    if (!format.empty() && format[0] == '*') {
        size_t pos = 1;
        bool plus = pos < format.size() && format[pos] == '+';
        if (plus) ++pos;
        int digits = std::min(readDecimal(format, pos), 300);
        std::string printfFormat =
            std::string("%") + (plus ? "+" : "") + ".*" + std::string(format.substr(pos));
        const double threshold = 10.0 - 0.5 * std::pow(10.0, -digits);
        double magnitude = std::fabs(value);
        while (digits > 0 && magnitude >= threshold) {
            magnitude /= 10.0;
            --digits;
        }
        text = formatDouble(printfFormat, value, digits);
    } else {
        text = formatDouble(format, value);
    }
    if (!text.empty() && (text[0] == '+' || text[0] == '-') &&
        std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; }))
        text.erase(0, 1);
    return text;
}

bool formatsAsSeconds(double milliseconds) {
    if (milliseconds >= 1000.0) return true;
    // Just below, four digits may round up to "1000".
    double shown = 0;
    return milliseconds > 999.0 && parseDouble(formatNumber(milliseconds, "*3f"), shown) && shown >= 1000.0;
}

std::string formatSeconds(double milliseconds) {
    if (formatsAsSeconds(milliseconds)) return formatNumber(milliseconds * 0.001, "*3f") + " sec";
    return formatNumber(milliseconds, "*3f") + " ms";
}

namespace {
// The whole text as one number of type T: an optional '+' (not followed by a
// '-'), then what from_chars accepts, and nothing after it.
template <class T> bool parseWholeNumber(std::string_view text, T& result) {
    size_t pos = 0;
    if (!text.empty() && text[0] == '+') {
        pos = 1;
        if (text.size() > 1 && text[1] == '-') return false;
    }
    T value = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    if (first == last) return false;
    auto parsed = std::from_chars(first, last, value);
    if (parsed.ec != std::errc() || parsed.ptr != last) return false;
    result = value;
    return true;
}
} // namespace

bool parseDouble(std::string_view text, double& result) {
    return parseWholeNumber(text, result);
}

bool parseInt(std::string_view text, int32_t& result) {
    return parseWholeNumber(text, result);
}

int32_t parseLeadingInt(std::string_view text, int32_t fallback) {
    size_t pos = 0;
    while (pos < text.size() && isAsciiSpace(text[pos]))
        ++pos;
    size_t end = pos;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const size_t digits = end;
    while (end < text.size() && isAsciiDigit(text[end]))
        ++end;
    int32_t value = 0;
    if (end == digits || !parseInt(text.substr(pos, end - pos), value)) return fallback;
    return value;
}

// ---------------------------------------------------------------------------
// Comparisons

int compareNoCase(std::string_view a, std::string_view b) {
    size_t count = std::min(a.size(), b.size());
    for (size_t i = 0; i < count; ++i) {
        auto ca = static_cast<unsigned char>(asciiToLower(a[i]));
        auto cb = static_cast<unsigned char>(asciiToLower(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int compareNatural(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    for (;;) {
        bool aEnd = i >= a.size();
        bool bEnd = j >= b.size();
        bool aDigit = !aEnd && isAsciiDigit(a[i]);
        bool bDigit = !bEnd && isAsciiDigit(b[j]);
        if (aDigit && !bEnd && isAsciiSpace(b[j])) {
            while (j < b.size() && isAsciiSpace(b[j]))
                ++j;
            continue;
        }
        if (bDigit && !aEnd && isAsciiSpace(a[i])) {
            while (i < a.size() && isAsciiSpace(a[i]))
                ++i;
            continue;
        }
        if (aDigit && bDigit) {
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            size_t aRun = i;
            size_t bRun = j;
            while (aRun < a.size() && isAsciiDigit(a[aRun]))
                ++aRun;
            while (bRun < b.size() && isAsciiDigit(b[bRun]))
                ++bRun;
            if (aRun - i != bRun - j) return aRun - i < bRun - j ? -1 : 1;
            for (; i < aRun; ++i, ++j)
                if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            continue;
        }
        if (aEnd && bEnd) return 0;
        if (aEnd) return -1;
        if (bEnd) return 1;
        auto ca = static_cast<unsigned char>(asciiToLower(a[i]));
        auto cb = static_cast<unsigned char>(asciiToLower(b[j]));
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
}

// ---------------------------------------------------------------------------
// Parameter name abbreviation

namespace {

void replaceAllInPlace(std::string& text, std::string_view from, std::string_view to) {
    text = replaceAll(text, from, to);
}

// Stage 4: the word in front of a number shrinks to its capital, last
// number first. A run preceded directly by a capital, or with no capital
// before it, is passed over.
bool shrinkNumberedWords(std::string& name, size_t maxLength) {
    size_t end = name.size();
    while (end > 0) {
        size_t runEnd = end;
        while (runEnd > 0 && !isAsciiDigit(name[runEnd - 1]))
            --runEnd;
        if (runEnd == 0) return false;
        size_t runStart = runEnd;
        while (runStart > 0 && isAsciiDigit(name[runStart - 1]))
            --runStart;
        end = runStart;
        if (runStart == 0 || isAsciiUpper(name[runStart - 1])) continue;
        size_t capital = runStart - 1;
        while (capital > 0 && !isAsciiUpper(name[capital - 1]))
            --capital;
        if (capital == 0) continue;
        --capital;
        name.erase(capital + 1, runStart - capital - 1);
        end = capital + 1;
        if (name.size() <= maxLength) return true;
    }
    return false;
}

} // namespace

std::string shortenParameterName(const std::string& name, size_t maxLength) {
    if (maxLength == 0 || name.size() <= maxLength) return name;
    std::string work = name;
    auto fits = [&] { return work.size() <= maxLength; };

    // 1. High/Low and the filter type words.
    replaceAllInPlace(work, "High ", "Hi");
    replaceAllInPlace(work, "Low ", "Lo");
    if (fits()) return work;
    static const std::pair<const char*, const char*> filterWords[] = {
        {"HiPass", "HP"},  {"HiShelf", "HS"}, {"HiCut", "HC"},     {"LoPass", "LP"},
        {"LoShelf", "LS"}, {"LoCut", "LC"},   {"Band Pass", "BP"},
    };
    for (const auto& [from, to] : filterWords)
        replaceAllInPlace(work, from, to);
    if (fits()) return work;

    // 2. Word table, one pair at a time.
    static const std::pair<const char*, const char*> words[] = {
        {"Filter", "Fil"}, {"Frequency", "Freq"},   {"Delay", "Del"},     {"Reverb", "Rev"},
        {"Effect", "FX"},  {"Threshold", "Thresh"}, {"Attack", "Att"},    {"Release", "Rel"},
        {"Decay", "Dcy"},  {"Crossover", "Cross"},  {"Side Chain", "SC"},
    };
    for (const auto& [from, to] : words) {
        replaceAllInPlace(work, from, to);
        if (fits()) return work;
    }

    // 3. No blank in front of the digits 0 to 8.
    for (char digit = '0'; digit <= '8'; ++digit)
        replaceAllInPlace(work, std::string{' ', digit}, std::string{digit});
    if (fits()) return work;

    // 4. Numbered words.
    if (shrinkNumberedWords(work, maxLength)) return work;

    // 5. Blanks.
    std::string joined = replaceAll(work, " ", "");
    if (joined.size() <= maxLength) return joined;
    std::vector<std::string> wordList;
    for (size_t pos = 0; pos < work.size();) {
        size_t blank = work.find(' ', pos);
        if (blank == std::string::npos) blank = work.size();
        if (blank > pos) wordList.push_back(work.substr(pos, blank - pos));
        pos = blank + 1;
    }
    std::string initials;
    std::string lastWord = wordList.empty() ? std::string() : wordList.back();
    for (size_t w = 0; w + 1 < wordList.size(); ++w) {
        const std::string& word = wordList[w];
        size_t length = 1;
        while (length < word.size() && (isAsciiDigit(word[length]) || isAsciiUpper(word[length])))
            ++length;
        initials += word.substr(0, length);
    }
    work = initials + lastWord;
    if (work.size() > maxLength && work.size() >= 2 && !isAsciiDigit(work[0]) && isAsciiDigit(work[1])) {
        if (!initials.empty())
            initials.erase(0, 1);
        else
            lastWord.erase(0, 1);
        work = initials + lastWord;
    }
    if (fits()) return work;

    // 6. Vowels of the last word.
    work = initials;
    static constexpr std::string_view skipped = "eyuioa()-";
    for (char c : lastWord) {
        if (work.size() >= maxLength) break;
        if (skipped.find(c) == std::string_view::npos) work += c;
    }
    if (fits()) return work;

    // 7. Cut.
    work.resize(maxLength);
    return work;
}

std::string commonWordPrefix(std::string_view first, std::string_view second) {
    size_t start = 0;
    size_t counted = 0;
    for (;;) {
        size_t blank = first.find(' ', start);
        if (blank == std::string_view::npos) break;
        if (second.size() <= blank ||
            first.substr(start, blank - start) != second.substr(start, blank - start))
            break;
        counted = blank + 1;
        start = blank + 1;
    }
    return std::string(first.substr(0, counted));
}

int takeSortPrefix(std::string& name) {
    if (name.empty() || name[0] != '_') return 10000;
    size_t pos = 1;
    int number = 0;
    while (pos < name.size() && isAsciiDigit(name[pos])) {
        int digit = name[pos] - '0';
        number = number > (INT_MAX - digit) / 10 ? INT_MAX : number * 10 + digit;
        ++pos;
    }
    while (pos < name.size() && name[pos] == ' ')
        ++pos;
    name.erase(0, pos);
    return number;
}

// ---------------------------------------------------------------------------
// Splitting, replacing, trimming, lines

void splitAtCommas(std::string_view text, std::vector<std::string>& list) {
    list.clear();
    if (text.empty()) return;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            list.emplace_back(text.substr(start));
            return;
        }
        list.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (;;) {
        size_t found = text.find(from, start);
        if (found == std::string_view::npos) break;
        result.append(text.substr(start, found - start));
        result.append(to);
        start = found + from.size();
    }
    result.append(text.substr(start));
    return result;
}

std::string trimString(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isAsciiSpace(text[first]))
        ++first;
    while (last > first && isAsciiSpace(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::string readLine(std::istream& stream) {
    std::string line;
    std::streambuf* buffer = stream.rdbuf();
    if (!buffer || !stream.good()) {
        stream.setstate(std::ios::eofbit);
        return line;
    }
    using Traits = std::char_traits<char>;
    for (;;) {
        Traits::int_type c = buffer->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            stream.setstate(std::ios::eofbit);
            break;
        }
        if (c == '\n') break;
        if (c == '\r') {
            if (buffer->sgetc() == '\n') buffer->sbumpc();
            break;
        }
        line += Traits::to_char_type(c);
    }
    return line;
}

std::string toCrLfLineEndings(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            result += "\r\n";
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}
