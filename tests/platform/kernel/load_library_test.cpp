// LoadLibraryA: the search order inside the machine, the entry on attach and
// detach, reference counts and exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/temp_machine.h"

namespace {

namespace fs = std::filesystem;
const fs::path kFixture = fs::path(FIXTURE_DIR) / "entryfix.dll";

class LoadLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("ENTRY_FIXTURE_EVENTS");
        ::unsetenv("ENTRY_FIXTURE_REFUSE");
    }
    void Install(const std::string& relative) {
        fs::path target = machine_.driveC() / relative;
        fs::create_directories(target.parent_path());
        fs::copy_file(kFixture, target, fs::copy_options::overwrite_existing);
    }
    std::string Events() const { return ::getenv("ENTRY_FIXTURE_EVENTS") ? ::getenv("ENTRY_FIXTURE_EVENTS") : ""; }
    brontar::testing::TempMachine machine_;
};

TEST_F(LoadLibraryTest, FindsTheSystemDirectoryAndAddsTheExtension) {
    Install("WINDOWS/SYSTEM/ENTRYFIX.DLL");
    HMODULE module = LoadLibraryA("entryfix");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Events(), "attach;");
    auto answer = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "FixtureAnswer")));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleA("ENTRYFIX.DLL"), module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(Events(), "attach;detach;");
}

TEST_F(LoadLibraryTest, ReferenceCountDelaysTheDetach) {
    Install("WINDOWS/entryfix.dll");
    HMODULE first = LoadLibraryA("ENTRYFIX.DLL");
    HMODULE second = LoadLibraryA("C:\\Windows\\EntryFix.dll");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(Events(), "attach;");
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(Events(), "attach;detach;");
    EXPECT_FALSE(FreeLibrary(second));
}

TEST_F(LoadLibraryTest, EarlierDirectoriesWin) {
    // The Windows directory is the program's directory too: it is searched
    // before the system directory, whose copy here is not a library at all.
    brontar::testing::WriteFileText(machine_.driveC() / "WINDOWS/SYSTEM/ENTRYFIX.DLL", "not a library");
    Install("WINDOWS/ENTRYFIX.DLL");
    HMODULE module = LoadLibraryA("entryfix.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Events(), "attach;");
    FreeLibrary(module);
}

TEST_F(LoadLibraryTest, RefusedAttachFailsTheLoadAfterADetach) {
    Install("WINDOWS/SYSTEM/ENTRYFIX.DLL");
    ::setenv("ENTRY_FIXTURE_REFUSE", "1", 1);
    EXPECT_EQ(LoadLibraryA("entryfix.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(Events(), "attach;detach;");
    EXPECT_EQ(GetModuleHandleA("entryfix.dll"), nullptr);
}

TEST_F(LoadLibraryTest, MissingLibrariesAndBadArgumentsFail) {
    EXPECT_EQ(LoadLibraryA("nowhere.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA("D:\\NOWHERE\\X.DLL"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&machine_)));
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
    EXPECT_EQ(Events(), "");
}

}  // namespace
