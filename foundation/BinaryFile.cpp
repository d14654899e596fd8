#include "foundation/BinaryFile.h"

#include "foundation/Files.h"
#include "foundation/ModuleResources.h"

BinaryFileReader::BinaryFileReader(const std::string& path)
    : BinaryDataReader(nullptr), file_(openFileStream(path, std::ios::in | std::ios::binary)) {
    setStream(file_.get());
}

BinaryFileReader::~BinaryFileReader() {
    setStream(nullptr);
}

BinaryFileWriter::BinaryFileWriter(const std::string& path)
    : BinaryDataWriter(nullptr),
      file_(openFileStream(path, std::ios::out | std::ios::trunc | std::ios::binary)) {
    setStream(file_.get());
}

BinaryFileWriter::~BinaryFileWriter() {
    setStream(nullptr);
}

bool BinaryFileWriter::close() {
    if (!file_ || !file_->is_open()) return false;
    file_->close();
    return !file_->fail();
}

BinaryResourceReader::BinaryResourceReader(std::string_view name)
    : BinaryDataReader(nullptr), resource_(loadResource(name)) {
    setStream(resource_.get());
}

BinaryResourceReader::~BinaryResourceReader() {
    setStream(nullptr);
}
