#include "machine/file_io.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "machine/hgi1init_calls.h"
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

// Another user may plant a link under the name of the file written beside
// the target: it is never followed, and the victim's file stays as it was.
// A replaced file keeps its mode.
TEST(WriteFileAtomically, NeverFollowsAPlantedLinkAndKeepsTheMode) {
    TempMachine machine;
    const auto target = machine.scratch() / "out.reg";
    const auto victim = machine.scratch() / "victim.txt";
    brontar::testing::WriteFileText(victim, "precious");
    brontar::testing::WriteFileText(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(victim, target.string() + ".new-" + std::to_string(::getpid()));
    WriteFileAtomically(target, "new");
    EXPECT_EQ(ReadFileText(target), "new");
    EXPECT_EQ(ReadFileText(victim), "precious");
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// Whole-file reads take regular files only, up to the limit, and never wait
// on a FIFO; each refusal names the file and the reason.
TEST(ReadInputFile, RefusesFoldersFifosDevicesAndHugeFiles) {
    TempMachine machine;
    const auto fifo = machine.scratch() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto huge = machine.scratch() / "huge";
    { std::ofstream create(huge); }
    std::filesystem::resize_file(huge, brontar::machine::kLargestInputFile + 1);  // sparse
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {machine.scratch(), "is a folder"},
        {fifo, "is not a regular file"},
        {"/dev/null", "is not a regular file"},
        {huge, "is larger than 256 MiB"},
        {machine.scratch() / "missing", "No such file"},
    };
    for (const auto& [path, reason] : cases) {
        try {
            brontar::machine::ReadInputFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const brontar::machine::MachineError& error) {
            EXPECT_NE(std::string(error.what()).find(path.string() + ": " + reason), std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(ReadWholeFile(path).has_value());
    }
}

// The call-count file is its owner's alone, and a lock another program holds
// past the wait limit costs one count, never a hang.
TEST(LockFiles, CallCountsArePrivateAndAHeldLockIsWaitedOnAtMostTheLimit) {
    TempMachine machine;
    std::filesystem::create_directories(machine.folder());
    brontar::machine::CountHgi1InitCall(machine.folder(), "HGI1_INIT");
    const auto file = brontar::machine::Hgi1InitCallsPath(machine.folder());
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const int held = ::open(file.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    brontar::machine::CountHgi1InitCall(machine.folder(), "HGI1_INIT");
    EXPECT_LT(std::chrono::steady_clock::now() - start, brontar::machine::kLockWaitLimit + std::chrono::seconds(5));
    ::close(held);
    brontar::machine::CountHgi1InitCall(machine.folder(), "HGI1_INIT");
    EXPECT_EQ(brontar::machine::ReadHgi1InitCalls(machine.folder()).at("HGI1_INIT"), 2);
}
