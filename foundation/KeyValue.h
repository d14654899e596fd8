#pragma once

// Line-based key=value text with [section] headers and ';' comment lines.
//
// KeyValueReader borrows an 8-bit input stream. readLine returns the next
// key and leaves its value in the reader; an empty key means the end of the
// input, a section header (sectionName() then holds its name) or an error
// (status() non-zero, and every later call returns an empty key too). At a
// header the caller either reads on (the next call returns the section's
// first pair and drops the held name) or destroys the reader, which seeks
// the stream back to the start of the header line so that another reader
// sees it. That hand-over needs a seekable stream opened in binary mode.
//
// KeyValueWriter writes "key=value" lines with no blanks around '=', string
// values escaped and quoted by quoteValue so that the reader gives back the
// exact text written.

#include <cstdint>
#include <iosfwd>
#include <istream>
#include <string>
#include <string_view>

class KeyValueReader {
public:
    enum Status : int32_t {
        kGood = 0,
        kMissingKey = 1,       // nothing but blanks before '='
        kEmptySectionName = 2, // "[ ]"
        kMissingEquals = 3,    // a line without '='
        kMissingBracket = 4,   // a section header without ']'
        kTextAfterValue = 5,   // text after a closing quote or ']', or no closing quote
    };

    explicit KeyValueReader(std::istream& stream);
    ~KeyValueReader();
    KeyValueReader(const KeyValueReader&) = delete;
    KeyValueReader& operator=(const KeyValueReader&) = delete;

    std::string readLine();

    const std::string& value() const { return value_; }
    int32_t status() const { return status_; }
    const std::string& sectionName() const { return sectionName_; }

private:
    std::string fail(int32_t status);

    std::istream& stream_;
    int32_t status_ = kGood;
    std::istream::pos_type lineStart_ = -1;
    std::string sectionName_;
    std::string value_;
};

// The value as the writer stores it: newline as \n, carriage return as \r,
// '"' and '\' preceded by '\'; enclosed in double quotes when it holds a
// blank, a tab or anything escaped.
std::string quoteValue(std::string_view value);

class KeyValueWriter {
public:
    explicit KeyValueWriter(std::ostream& stream, std::string lineEnding = "\n");

    // "[name]" and the line ending, preceded by one line ending when
    // something was written before.
    void writeSection(std::string_view name);
    // key=quoteValue(value)
    void writeString(std::string_view key, std::string_view value);
    // key= the number as "%.15g"
    void writeDouble(std::string_view key, double value);
    // key= the number as "%d"
    void writeInt(std::string_view key, int32_t value);
    // key=value with the value written as given (already in stored form).
    void writeLine(std::string_view key, std::string_view storedValue);

    bool hasWritten() const { return written_; }
    const std::string& lineEnding() const { return lineEnding_; }

private:
    std::ostream& stream_;
    std::string lineEnding_;
    bool written_ = false;
};
