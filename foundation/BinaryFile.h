#pragma once

// Binary readers and writers that own their stream: a file opened on a path
// (openFileStream, binary mode) or the in-memory copy of a module resource
// (loadResource). They read and write exactly as their bases do; a file that
// could not be opened behaves as a stream that has failed (isGood false).

#include "foundation/BinaryData.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

class BinaryFileReader : public BinaryDataReader {
public:
    explicit BinaryFileReader(const std::string& path);
    ~BinaryFileReader() override;

private:
    std::unique_ptr<std::fstream> file_;
};

class BinaryFileWriter : public BinaryDataWriter {
public:
    // Creates or truncates the file.
    explicit BinaryFileWriter(const std::string& path);
    ~BinaryFileWriter() override;

    // Flushes and closes the file; true when everything was written.
    bool close();

private:
    std::unique_ptr<std::fstream> file_;
};

class BinaryResourceReader : public BinaryDataReader {
public:
    // Throws EResource ("Resource not found") when the module has no such
    // resource; check resourceExists first.
    explicit BinaryResourceReader(std::string_view name);
    ~BinaryResourceReader() override;

private:
    std::unique_ptr<std::istringstream> resource_;
};
