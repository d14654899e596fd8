#include "foundation/KeyValue.h"

#include "foundation/StringUtils.h"

#include <ostream>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t skipBlanks(const std::string& text, size_t pos) {
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

} // namespace

KeyValueReader::KeyValueReader(std::istream& stream) : stream_(stream) {
    value_.reserve(80);
}

KeyValueReader::~KeyValueReader() {
    if (status_ != kGood || sectionName_.empty() || lineStart_ == std::istream::pos_type(-1)) return;
    if (stream_.fail()) return;
    stream_.clear();
    stream_.seekg(lineStart_);
}

std::string KeyValueReader::fail(int32_t status) {
    status_ = status;
    sectionName_.clear();
    value_.clear();
    return {};
}

std::string KeyValueReader::readLine() {
    if (status_ != kGood) return {};
    sectionName_.clear();
    value_.clear();

    std::string line;
    size_t first = 0;
    for (;;) {
        if (!stream_.good() || !stream_.rdbuf() ||
            std::istream::traits_type::eq_int_type(stream_.rdbuf()->sgetc(),
                                                   std::istream::traits_type::eof())) {
            stream_.setstate(std::ios::eofbit);
            return {};
        }
        lineStart_ = stream_.tellg();
        line = ::readLine(stream_);
        first = skipBlanks(line, 0);
        if (first < line.size() && line[first] != ';') break;
    }

    if (line[first] == '[') {
        size_t close = line.find(']', first + 1);
        if (close == std::string::npos) return fail(kMissingBracket);
        size_t nameStart = skipBlanks(line, first + 1);
        size_t nameEnd = close;
        while (nameEnd > nameStart && isBlank(line[nameEnd - 1]))
            --nameEnd;
        if (nameEnd == nameStart) return fail(kEmptySectionName);
        if (skipBlanks(line, close + 1) != line.size()) return fail(kTextAfterValue);
        sectionName_ = line.substr(nameStart, nameEnd - nameStart);
        return {};
    }

    size_t equals = line.find('=', first);
    if (equals == std::string::npos) return fail(kMissingEquals);
    size_t keyEnd = equals;
    while (keyEnd > first && isBlank(line[keyEnd - 1]))
        --keyEnd;
    if (keyEnd == first) return fail(kMissingKey);
    std::string key = line.substr(first, keyEnd - first);

    size_t pos = skipBlanks(line, equals + 1);
    size_t end = line.size();
    bool quoted = pos < end && line[pos] == '"';
    if (quoted) {
        ++pos;
    } else {
        while (end > pos && isBlank(line[end - 1]))
            --end;
    }
    bool closed = false;
    while (pos < end) {
        char c = line[pos++];
        if (quoted && c == '"') {
            closed = true;
            break;
        }
        if (c == '\\' && pos < end) {
            char next = line[pos];
            if (next == 'n' || next == 'r' || next == '"' || next == '\\') {
                value_ += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
                ++pos;
                continue;
            }
        }
        value_ += c;
    }
    if (quoted && (!closed || skipBlanks(line, pos) != line.size())) return fail(kTextAfterValue);
    return key;
}

std::string quoteValue(std::string_view value) {
    std::string result;
    result.reserve(value.size() + 2);
    bool quote = false;
    for (char c : value) {
        switch (c) {
        case '\n':
            result += "\\n";
            quote = true;
            break;
        case '\r':
            result += "\\r";
            quote = true;
            break;
        case '"':
        case '\\':
            result += '\\';
            result += c;
            quote = true;
            break;
        case ' ':
        case '\t':
            result += c;
            quote = true;
            break;
        default:
            result += c;
        }
    }
    if (quote) return '"' + result + '"';
    return result;
}

KeyValueWriter::KeyValueWriter(std::ostream& stream, std::string lineEnding)
    : stream_(stream), lineEnding_(std::move(lineEnding)) {}

void KeyValueWriter::writeSection(std::string_view name) {
    if (written_) stream_ << lineEnding_;
    stream_ << '[' << name << ']' << lineEnding_;
    written_ = true;
}

void KeyValueWriter::writeLine(std::string_view key, std::string_view storedValue) {
    stream_ << key << '=' << storedValue << lineEnding_;
    written_ = true;
}

void KeyValueWriter::writeString(std::string_view key, std::string_view value) {
    writeLine(key, quoteValue(value));
}

void KeyValueWriter::writeDouble(std::string_view key, double value) {
    writeLine(key, formatDouble("%.15g", value));
}

void KeyValueWriter::writeInt(std::string_view key, int32_t value) {
    writeLine(key, std::to_string(value));
}
