// The stand-in keeps the registry as key=value text, one file per root in the
// application-data folder. A damaged file is read up to its first bad line
// and set aside unchanged before the next write.

#include "foundation/Files.h"
#include "foundation/Registry.h"
#include "foundation/StringUtils.h"
#include "foundation/tests/RegistryFixture.h"
#include "foundation/tests/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class PosixRegistryTest : public test::RegistryTest {
protected:
    std::string storeFile() const { return folder_.path() + "\\Zentor\\Registry\\HKEY_CURRENT_USER.txt"; }
};

// call(i) for i in [0, count), each in a forked process; the processes are
// released together once all are running. True for each call that returned
// true in its process.
std::vector<bool> runInProcessesAtOnce(int count, const std::function<bool(int)>& call) {
    int gate[2];
    if (pipe(gate) != 0) return std::vector<bool>(static_cast<size_t>(count), false);
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        pid_t child = fork();
        if (child == 0) {
            close(gate[1]);
            char byte;
            while (read(gate[0], &byte, 1) > 0) {
            } // the end of the pipe is the start signal
            _exit(call(i) ? 0 : 1);
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);
    std::vector<bool> results;
    for (pid_t child : children) {
        int status = 0;
        bool waited = child > 0 && waitpid(child, &status, 0) == child;
        results.push_back(waited && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return results;
}

// Processes on a first start at once (a host scanning the plug-in in several
// processes): each makes one new folder tree and writes one value into a
// settings store that does not exist yet. Every call succeeds and every value
// is there afterwards.
TEST_F(PosixRegistryTest, ProcessesWritingAFreshStoreAtOnce) {
    constexpr int kProcesses = 8;
    for (int round = 0; round < 5; ++round) {
        std::string appData = folder_ / ("Round" + std::to_string(round) + "\\Fresh\\Config");
        setAppData(appData);
        std::string tree = appData + "\\Zentor\\Varnel\\Presets";
        std::vector<bool> succeeded = runInProcessesAtOnce(kProcesses, [&](int i) {
            return createDirectories(tree) &&
                   writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Value" + std::to_string(i),
                                      static_cast<uint32_t>(100 + i));
        });
        RegistryReader reader(RegistryRoot::kCurrentUser, key_);
        for (int i = 0; i < kProcesses; ++i) {
            EXPECT_TRUE(succeeded[static_cast<size_t>(i)]) << "round " << round << ", process " << i;
            EXPECT_EQ(reader.serializeInt("Value" + std::to_string(i), 0, -1), 100 + i) << "round " << round;
        }
        EXPECT_TRUE(folderExists(tree));
    }
}

TEST_F(PosixRegistryTest, StoreIsTextInTheApplicationDataFolder) {
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Number", 7));
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, key_, "Text", "a \"b\""));
    ASSERT_TRUE(writeRegistryBinary(RegistryRoot::kCurrentUser, key_, "Bytes", {0, 0xAB}));
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kLocalMachine, key_, "=[odd]", "x"));
    std::string text = readFileToString(storeFile());
    EXPECT_NE(text.find("[" + key_ + "]\nNumber=dword:7\nText=\"sz:a \\\"b\\\"\"\nBytes=hex:00ab\n"),
              std::string::npos)
        << text;
    std::string machine = readFileToString(folder_.path() + "\\Zentor\\Registry\\HKEY_LOCAL_MACHINE.txt");
    EXPECT_NE(machine.find("%3d%5bodd%5d=sz:x"), std::string::npos) << machine;
}

// The stand-in's store file: read up to its first bad line, set aside
// unchanged before the next write, which keeps every value read.
TEST_F(PosixRegistryTest, DamagedStoreFileIsReadAsFarAsValidAndKept) {
    std::string file = storeFile();
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Before", 1));
    std::string damaged =
        readFileToString(file) + "this line has no equals sign\n[" + key_ + "]\nAfter=dword:2\n";
    ASSERT_TRUE(test::writeWholeFile(file, damaged));

    RegistryReader reader(RegistryRoot::kCurrentUser, key_);
    EXPECT_EQ(reader.serializeInt("Before", 0, -1), 1);
    EXPECT_EQ(reader.serializeInt("After", 0, -1), -1);

    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, key_, "New", "value"));
    EXPECT_EQ(readFileToString(file + ".damaged"), damaged);
    EXPECT_EQ(reader.serializeInt("Before", 0, -1), 1);
    EXPECT_EQ(reader.readString("New"), "value");

    // Damaged again: the earlier copy stays, the new one goes beside it.
    std::string second = readFileToString(file) + "=\n";
    ASSERT_TRUE(test::writeWholeFile(file, second));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Third", 3));
    EXPECT_EQ(readFileToString(file + ".damaged"), damaged);
    EXPECT_EQ(readFileToString(file + ".damaged.1"), second);
    EXPECT_EQ(reader.readString("New"), "value");
    EXPECT_EQ(reader.serializeInt("Third", 0, -1), 3);
}

TEST_F(PosixRegistryTest, HostileStoreFilesReadAsDefaults) {
    std::string file = storeFile();
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Seed", 1));
    const std::string hostile[] = {
        std::string("\0\0\xff\xfe[", 5),
        "[" + key_ + "]\nSeed=dword:99999999999\n",
        "[" + key_ + "]\nSeed=hex:0\n",
        "[" + key_ + "]\nSeed=hex:zz\n",
        "[" + key_ + "]\nSeed=float:1\n",
        "[" + key_ + "]\n%zz=dword:1\n",
        "Seed=dword:1\n",
        "[" + key_ + "]\nSeed=\"sz:unclosed\n",
    };
    for (const std::string& text : hostile) {
        ASSERT_TRUE(test::writeWholeFile(file, text));
        RegistryReader reader(RegistryRoot::kCurrentUser, key_);
        EXPECT_EQ(reader.serializeInt("Seed", 0, -1), -1) << text;
        EXPECT_EQ(reader.readString("Seed"), "") << text;
    }
}

} // namespace
