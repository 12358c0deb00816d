// The Win32 registry functions as a Windows 95 program sees them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "machine/registry/registry_store.h"
#include "tests/platform/registry/child_process.h"
#include "tests/support/temp_machine.h"

namespace mr = brontar::machine::registry;
using brontar::testing::ReadFileText;
using brontar::testing::RunInChild;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

namespace {

constexpr const char* kPath = "Software\\Test";

class RegistryApiTest : public ::testing::Test {
protected:
    // Creates HKLM\Software\Test and returns an open handle to it.
    HKEY CreateTestKey() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kPath, &key), ERROR_SUCCESS);
        return key;
    }
    void SetBytes(HKEY key, const char* name, DWORD type, std::vector<BYTE> data) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    }
    std::filesystem::path File() const { return machine_.folder() / "registry.reg"; }

    TempMachine machine_;
};

TEST_F(RegistryApiTest, OpenFindsOnlyExistingKeysWhatEverTheCase) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, &key), ERROR_FILE_NOT_FOUND);
    HKEY created = CreateTestKey();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", &key), ERROR_SUCCESS);
    EXPECT_NE(key, nullptr);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(created), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(created), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(0x1234), kPath, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    ::setenv("BRONTAR_LOG", (machine_.scratch() / "log.txt").c_str(), 1);
    EXPECT_EQ(RegOpenKeyA(HKEY_USERS, ".DEFAULT", &key), ERROR_INVALID_HANDLE);
    ::unsetenv("BRONTAR_LOG");
    EXPECT_NE(ReadFileText(machine_.scratch() / "log.txt").find("not part of this machine"), std::string::npos);
}

TEST_F(RegistryApiTest, CreateMakesMissingParentsAndOpenOfNoSubkeyGivesTheSameHandle) {
    HKEY deep = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "A\\B\\C", &deep), ERROR_SUCCESS);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyA(deep, nullptr, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, deep);
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "a\\b", &parent), ERROR_SUCCESS);
    char name[8];
    EXPECT_EQ(RegEnumKeyA(parent, 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "C");
    RegCloseKey(parent);
    RegCloseKey(deep);
}

TEST_F(RegistryApiTest, ClassesRootIsLocalMachineSoftwareClasses) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "CLSID\\{X}", &key), ERROR_SUCCESS);
    SetBytes(key, nullptr, REG_SZ, {'s', 0});
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\clsid\\{x}", &key), ERROR_SUCCESS);
    BYTE data[4] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "s");
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, QueryGivesTypeAndExactBytes) {
    HKEY key = CreateTestKey();
    SetBytes(key, "Rate", REG_DWORD, {0x4B, 0, 0, 0});
    BYTE data[8];
    std::memset(data, 0xCC, sizeof data);
    DWORD size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "RATE", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    const BYTE expected[8] = {0x4B, 0, 0, 0, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_EQ(std::memcmp(data, expected, 8), 0);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, TooSmallBufferGivesMoreDataTheNeededSizeAndAnUntouchedBuffer) {
    HKEY key = CreateTestKey();
    SetBytes(key, "Text", REG_SZ, {'1', '.', '5', '0', 0});
    BYTE data[4];
    std::memset(data, 0xCC, sizeof data);
    DWORD size = sizeof data, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    for (BYTE byte : data) EXPECT_EQ(byte, 0xCC);
    // No buffer: the size alone.
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, MissingValueOrKeyIsFileNotFoundAndTouchesNothing) {
    HKEY key = CreateTestKey();
    BYTE data[4] = {1, 2, 3, 4};
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "nothing", nullptr, nullptr, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(key, "nothing"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, SetReplacesDeleteRemovesAndNamesKeepTheirFirstSpelling) {
    HKEY key = CreateTestKey();
    SetBytes(key, "Value", REG_DWORD, {1, 0, 0, 0});
    SetBytes(key, "VALUE", REG_BINARY, {7, 8});
    DWORD count = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 1u);
    char name[16];
    DWORD nameSize = sizeof name, type = 0, dataSize = 0;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Value");
    EXPECT_EQ(nameSize, 5u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(dataSize, 2u);
    EXPECT_EQ(RegDeleteValueA(key, "value"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &dataSize), ERROR_FILE_NOT_FOUND);
    // Value names may hold line breaks, as on Windows; the registry file escapes them.
    EXPECT_EQ(RegSetValueExA(key, "two\nlines", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "TWO\nlines", nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, nullptr, 4), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, EnumerationStopsWithNoMoreItemsAndReportsShortBuffers) {
    HKEY key = CreateTestKey();
    for (const char* name : {"Beta", "alpha", "Gamma"}) {
        HKEY child = nullptr;
        ASSERT_EQ(RegCreateKeyA(key, name, &child), ERROR_SUCCESS);
        RegCloseKey(child);
    }
    std::vector<std::string> names;
    char name[16];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    EXPECT_EQ(RegEnumKeyA(key, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_MORE_DATA);  // "alpha" needs 6
    DWORD subkeys = 0, longest = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 3u);
    EXPECT_EQ(longest, 5u);
    SetBytes(key, "v", REG_BINARY, {1, 2, 3});
    BYTE data[2] = {9, 9};
    DWORD nameSize = sizeof name, dataSize = sizeof data;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 3u);
    EXPECT_EQ(data[0], 9);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, DeleteKeyTakesItsSubkeysAlongAndLeavesOpenHandlesDeleted) {
    HKEY key = CreateTestKey();
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyA(key, "Child\\Grandchild", &child), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\TEST"), ERROR_SUCCESS);
    HKEY reopened = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, &reopened), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(child, "x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(child, "x", 0, REG_BINARY, nullptr, 0), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(child);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, DamagedFileIsReadButWritesAreRefusedAndItStaysAsItWas) {
    const std::string damaged =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"ok\"=dword:00000005\r\n\"bad\"=hex:zz\r\n";
    std::filesystem::create_directories(machine_.folder());
    WriteFileText(File(), damaged);
    ::setenv("BRONTAR_LOG", (machine_.scratch() / "log.txt").c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, &key), ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "ok", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 5u);
    const BYTE data[4] = {1, 0, 0, 0};
    EXPECT_EQ(RegSetValueExA(key, "new", 0, REG_DWORD, data, 4), ERROR_BADDB);
    EXPECT_EQ(RegDeleteValueA(key, "ok"), ERROR_BADDB);
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyA(key, "Sub", &created), ERROR_BADDB);
    RegCloseKey(key);
    ::unsetenv("BRONTAR_LOG");
    EXPECT_EQ(ReadFileText(File()), damaged);
    EXPECT_NE(ReadFileText(machine_.scratch() / "log.txt").find("line 5"), std::string::npos);
}

TEST_F(RegistryApiTest, OpenHandleSeesWhatAnotherProcessWrote) {
    HKEY key = CreateTestKey();
    SetBytes(key, "v", REG_DWORD, {1, 0, 0, 0});
    DWORD value = 0, size = 4;
    ASSERT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    const auto folder = machine_.folder();
    ASSERT_TRUE(RunInChild([&] {
        mr::EditRegistry(folder, [](mr::RegistryTree& tree) {
            tree.CreateKey("HKLM\\Software\\Test").SetValue("v", REG_DWORD, mr::DwordBytes(2));
        });
        return true;
    }));
    size = 4;
    ASSERT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, WritesLandInTheFileInRegedit4Form) {
    HKEY key = CreateTestKey();
    SetBytes(key, "REFRESH_800x600", REG_DWORD, {0x4B, 0, 0, 0});
    SetBytes(key, "HGI_GAMMAB", REG_SZ, {'1', '.', '5', 0});
    RegCloseKey(key);
    const std::string text = ReadFileText(File());
    EXPECT_NE(text.find("\"REFRESH_800x600\"=dword:0000004b\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"HGI_GAMMAB\"=\"1.5\"\r\n"), std::string::npos) << text;
}

}  // namespace
