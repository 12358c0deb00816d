// The registry file store: locked read-modify-write by several processes,
// writers stopped part way, damaged files, reloading after another writer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "machine/faults.h"
#include "machine/registry/registry_store.h"
#include "tests/platform/registry/child_process.h"
#include "tests/support/temp_machine.h"

namespace mr = brontar::machine::registry;
using brontar::testing::ReadFileText;
using brontar::testing::RunInChild;
using brontar::testing::StartChild;
using brontar::testing::TempMachine;
using brontar::testing::WaitForChild;
using brontar::testing::WriteFileText;

namespace {

constexpr std::string_view kKey = "HKEY_LOCAL_MACHINE\\Software\\Test";

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder()); }
    std::filesystem::path folder() const { return machine_.folder(); }
    std::filesystem::path file() const { return folder() / "registry.reg"; }

    void SetDword(std::string_view name, uint32_t value) {
        mr::EditRegistry(folder(), [&](mr::RegistryTree& tree) {
            tree.CreateKey(kKey).SetValue(name, mr::kTypeDword, mr::DwordBytes(value));
        });
    }
    // The stored dword, or -1 when missing.
    int64_t GetDword(std::string_view name) {
        const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder());
        const mr::RegistryKey* key = snapshot.content->tree.FindKey(kKey);
        const mr::RegistryValue* value = key ? key->FindValue(name) : nullptr;
        if (value == nullptr || value->data.size() != 4) return -1;
        return value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) | (int64_t{value->data[3]} << 24);
    }
    bool HasLeftovers() const {
        for (const auto& entry : std::filesystem::directory_iterator(folder()))
            if (entry.path().filename().string().find(".writing-") != std::string::npos) return true;
        return false;
    }

    TempMachine machine_;
};

TEST_F(RegistryStoreTest, MissingFileReadsEmptyAndTheFirstEditCreatesIt) {
    EXPECT_TRUE(mr::ReadRegistry(folder()).content->problems.empty());
    EXPECT_EQ(GetDword("v"), -1);
    SetDword("v", 75);
    EXPECT_EQ(ReadFileText(file()),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
              "\"v\"=dword:0000004b\r\n\r\n");
    EXPECT_EQ(GetDword("V"), 75);
}

TEST_F(RegistryStoreTest, DamagedFileIsReadAsFarAsPossibleAndNeverWritten) {
    const std::string damaged =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"x\"=dword:zz\r\n\"y\"=dword:00000002\r\n";
    WriteFileText(file(), damaged);
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder());
    ASSERT_EQ(snapshot.content->problems.size(), 1u);
    EXPECT_EQ(snapshot.content->problems[0].line, 4u);
    EXPECT_EQ(GetDword("y"), 2);
    try {
        SetDword("z", 3);
        FAIL() << "a damaged file was written";
    } catch (const brontar::machine::MachineError& error) {
        EXPECT_NE(std::string(error.what()).find("line 4"), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFileText(file()), damaged);
    EXPECT_FALSE(HasLeftovers());
}

TEST_F(RegistryStoreTest, EditThatThrowsWritesNothingAndLeavesTheCacheTrue) {
    SetDword("v", 1);
    const std::string before = ReadFileText(file());
    EXPECT_THROW(mr::EditRegistry(folder(),
                                  [](mr::RegistryTree& tree) {
                                      tree.CreateKey(kKey).SetValue("v", mr::kTypeDword, mr::DwordBytes(2));
                                      throw std::runtime_error("changed my mind");
                                  }),
                 std::runtime_error);
    EXPECT_EQ(ReadFileText(file()), before);
    EXPECT_EQ(GetDword("v"), 1);  // the half-done edit is not seen in memory either
}

TEST_F(RegistryStoreTest, UnchangedTreeIsNotWrittenAgain) {
    SetDword("v", 1);
    struct stat before{}, after{};
    ASSERT_EQ(::stat(file().c_str(), &before), 0);
    SetDword("v", 1);
    ASSERT_EQ(::stat(file().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(RegistryStoreTest, FailedWriteStepsLeaveTheOldFileAndNoLeftovers) {
    SetDword("v", 1);
    const std::string before = ReadFileText(file());
    for (const char* fault : {"RegistryWrite", "RegistryFlush", "RegistryRename"}) {
        ::setenv("BRONTAR_FAULTS", fault, 1);
        brontar::machine::ResetFaults();
        EXPECT_THROW(SetDword("v", 2), brontar::machine::MachineError) << fault;
        ::unsetenv("BRONTAR_FAULTS");
        brontar::machine::ResetFaults();
        EXPECT_EQ(ReadFileText(file()), before) << fault;
        EXPECT_FALSE(HasLeftovers()) << fault;
        EXPECT_EQ(GetDword("v"), 1) << fault;
    }
}

// A writer killed before each write call, before the flush and before the
// rename leaves the old file, whole; the next writer clears what it left.
TEST_F(RegistryStoreTest, WriterKilledAtEachStepLeavesTheOldContent) {
    mr::EditRegistry(folder(), [](mr::RegistryTree& tree) {
        mr::RegistryKey& key = tree.CreateKey(kKey);
        for (int i = 0; i < 20; ++i) key.SetValue("filler" + std::to_string(i), mr::kTypeDword, mr::DwordBytes(i));
        key.SetValue("v", mr::kTypeDword, mr::DwordBytes(1));
    });
    const std::string before = ReadFileText(file());
    ASSERT_GT(before.size(), 3 * 128u);  // so the 128-byte chunks make several write calls
    const std::vector<std::pair<mr::WriteStep, size_t>> steps = {
        {mr::WriteStep::Write, 0}, {mr::WriteStep::Write, 1}, {mr::WriteStep::Write, 3},
        {mr::WriteStep::Flush, 0}, {mr::WriteStep::Rename, 0}};
    for (const auto& [step, index] : steps) {
        const pid_t child = StartChild([&, step = step, index = index] {
            mr::SetWriteTestHooks({128, [&](mr::WriteStep at, size_t n) {
                                       if (at == step && n == index) ::raise(SIGKILL);
                                   }});
            SetDword("v", 2);
            return true;
        });
        const int status = WaitForChild(child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << static_cast<int>(step) << "/" << index;
        EXPECT_EQ(ReadFileText(file()), before);
        EXPECT_TRUE(mr::ReadRegistry(folder()).content->problems.empty());
        EXPECT_EQ(GetDword("v"), 1);
    }
    EXPECT_TRUE(HasLeftovers());
    SetDword("w", 3);
    EXPECT_FALSE(HasLeftovers());
    EXPECT_EQ(GetDword("v"), 1);
    EXPECT_EQ(GetDword("w"), 3);
}

TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 150;
    SetDword("start", 0);
    const auto writer = [&](const std::string& prefix) {
        return StartChild([&, prefix] {
            for (int i = 0; i < kWrites; ++i) SetDword(prefix + std::to_string(i), static_cast<uint32_t>(i));
            return true;
        });
    };
    const pid_t first = writer("a");
    const pid_t second = writer("b");
    const int firstStatus = WaitForChild(first);
    const int secondStatus = WaitForChild(second);
    ASSERT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0);
    ASSERT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0);
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(GetDword("a" + std::to_string(i)), i);
        EXPECT_EQ(GetDword("b" + std::to_string(i)), i);
    }
}

// Each write by another process is seen at the next read, even when the new
// file has the same size as the one this process has cached.
TEST_F(RegistryStoreTest, ReaderSeesEveryWriteOfAnotherProcess) {
    SetDword("v", 0);
    for (uint32_t i = 1; i <= 30; ++i) {
        ASSERT_TRUE(RunInChild([&] {
            SetDword("v", i);
            return true;
        }));
        ASSERT_EQ(GetDword("v"), i);
    }
}

}  // namespace
