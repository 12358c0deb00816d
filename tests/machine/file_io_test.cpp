#include "machine/file_io.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "machine/machine_folder.h"
#include "tests/support/temp_machine.h"

using brontar::machine::CreateFileIfMissing;
using brontar::machine::ReadWholeFile;
using brontar::machine::WriteFileAtomically;
using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;

TEST(CreateFileIfMissing, NeverReplacesAFileThatIsThere) {
    TempMachine machine;
    const auto path = machine.scratch() / "registry.reg";
    EXPECT_TRUE(CreateFileIfMissing(path, "first"));
    EXPECT_FALSE(CreateFileIfMissing(path, "second"));
    EXPECT_EQ(ReadFileText(path), "first");
    // Nothing is left beside it.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(machine.scratch())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(CreateFileIfMissing, RacingProcessesCreateItExactlyOnce) {
    TempMachine machine;
    const auto path = machine.scratch() / "shared.txt";
    constexpr int kProcesses = 6;
    pid_t children[kProcesses];
    for (int i = 0; i < kProcesses; ++i) {
        children[i] = fork();
        if (children[i] == 0) _exit(CreateFileIfMissing(path, "from " + std::to_string(i)) ? 0 : 1);
    }
    int created = 0;
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 0) ++created;
    }
    EXPECT_EQ(created, 1);
    EXPECT_EQ(ReadFileText(path).rfind("from ", 0), 0u);
}

TEST(WriteFileAtomically, ReplacesWholeAndFailsCleanlyWhereItCannotWrite) {
    TempMachine machine;
    const auto path = machine.scratch() / "a.txt";
    WriteFileAtomically(path, "old");
    WriteFileAtomically(path, "new content");
    EXPECT_EQ(ReadWholeFile(path), "new content");
    EXPECT_THROW(WriteFileAtomically(machine.scratch() / "missing-folder" / "b.txt", "x"),
                 brontar::machine::MachineError);
    EXPECT_FALSE(ReadWholeFile(machine.scratch() / "missing-folder" / "b.txt").has_value());
}
