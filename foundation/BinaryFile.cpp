#include "foundation/BinaryFile.h"

#include "foundation/SystemUtils.h"

BinaryFileReader::BinaryFileReader(const std::string& path)
    : BinaryDataReader(nullptr), file(openFileStream(path, std::ios::in | std::ios::binary)) {
    setStream(file.get());
}

BinaryFileReader::~BinaryFileReader() {
    setStream(nullptr);
}

BinaryFileWriter::BinaryFileWriter(const std::string& path)
    : BinaryDataWriter(nullptr),
      file(openFileStream(path, std::ios::out | std::ios::trunc | std::ios::binary)) {
    setStream(file.get());
}

BinaryFileWriter::~BinaryFileWriter() {
    setStream(nullptr);
}

bool BinaryFileWriter::close() {
    if (!file || !file->is_open()) return false;
    file->close();
    return !file->fail();
}

BinaryResourceReader::BinaryResourceReader(std::string_view name)
    : BinaryDataReader(nullptr), resource(loadResource(name)) {
    setStream(resource.get());
}

BinaryResourceReader::~BinaryResourceReader() {
    setStream(nullptr);
}
