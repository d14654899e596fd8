#include "foundation/BinaryFile.h"
#include "foundation/ModuleResources.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(BinaryFile, WriterAndReaderRoundTripThroughAFile) {
    test::TemporaryFolder folder("binary-file");
    const std::string path = folder / "Stream.bin";
    {
        BinaryFileWriter writer(path);
        writer.writeHeader("ZTBS", 3);
        writer.writeInt32(-7);
        writer.writeFloat(0.5f);
        writer.writeString("a\xc3\xa9");
        EXPECT_TRUE(writer.close());
    }
    BinaryFileReader reader(path);
    EXPECT_TRUE(reader.checkSignature("ZTBS"));
    EXPECT_EQ(reader.getVersion(), 3);
    EXPECT_EQ(reader.readInt32(), -7);
    EXPECT_EQ(reader.readFloat(), 0.5f);
    EXPECT_EQ(reader.readString(), "a\xc3\xa9");
    EXPECT_TRUE(reader.isGood());
    EXPECT_EQ(reader.readInt32(), 0) << "past the end";
    EXPECT_FALSE(reader.isGood());
}

TEST(BinaryFile, MissingFileOrFolderFailsCleanly) {
    test::TemporaryFolder folder("binary-file-missing");
    BinaryFileReader reader(folder / "Nothing.bin");
    EXPECT_FALSE(reader.isGood());
    EXPECT_FALSE(reader.checkSignature("ZTBS"));
    EXPECT_EQ(reader.readString(), "");

    BinaryFileWriter writer(folder / "No Folder\\File.bin");
    writer.writeInt32(1);
    EXPECT_FALSE(writer.isGood());
    EXPECT_FALSE(writer.close());
}

TEST(BinaryFile, ResourceReaderReadsTheModuleResource) {
    // foundation/tests/resources/Gentle.fil starts with the bytes 0, 1, 2, ...
    BinaryResourceReader reader("gentle.fil");
    EXPECT_EQ(reader.readUInt32(), 0x03020100u);
    EXPECT_TRUE(reader.isGood());
    EXPECT_THROW(BinaryResourceReader("NoSuchResource"), EResource);
}

} // namespace
