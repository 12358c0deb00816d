// The flat thunk into the machine's 16-bit support library.
#include <gtest/gtest.h>
#include <thunk16.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "machine/qorhlp16.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::WriteFileText;

class Thunk16 : public ::testing::Test {
protected:
    Thunk16() { WriteFileText(machine.system() / "QORHLP16.DLL", "x"); }
    // GETMONITORPATH16 called the way the page calls it.
    DWORD MonitorPath(char* buffer, WORD size) {
        const HINSTANCE16 library = LoadLibrary16("qorhlp16.dll");
        EXPECT_GE(library, 32);
        const FARPROC16 procedure = GetProcAddress16(library, "GETMONITORPATH16");
        EXPECT_NE(procedure, 0u);
        const SEGPTR segment = SMapLS_IP_EBP_8(buffer);
        const WORD arguments[3] = {HIWORD(segment), LOWORD(segment), size};
        const DWORD answer = QT_Thunk(procedure, arguments, sizeof arguments);
        SUnMapLS_IP_EBP_8(segment);
        FreeLibrary16(library);
        return answer;
    }

    LoggedMachine machine;
};

TEST_F(Thunk16, LibraryIsThereOnlyWithItsFile) {
    EXPECT_GE(LoadLibrary16("qorhlp16.dll"), 32);
    EXPECT_GE(LoadLibrary16("C:\\WINDOWS\\SYSTEM\\QORHLP16.DLL"), 32);
    std::filesystem::remove(machine.system() / "QORHLP16.DLL");
    EXPECT_EQ(LoadLibrary16("qorhlp16.dll"), 2);
    // Found in the Windows directory as well.
    WriteFileText(machine.windows() / "qorhlp16.dll", "x");
    EXPECT_GE(LoadLibrary16("qorhlp16.dll"), 32);
    // A file the machine has no library for is not a 16-bit module it can run.
    WriteFileText(machine.system() / "OTHER16.DLL", "x");
    EXPECT_LT(LoadLibrary16("other16.dll"), 32);
}

TEST_F(Thunk16, ExportsAreFoundByNameOnly) {
    const HINSTANCE16 library = LoadLibrary16("qorhlp16.dll");
    EXPECT_NE(GetProcAddress16(library, "IsBrontrInstalled16"), 0u);
    EXPECT_NE(GetProcAddress16(library, "getmonitorpath16"), 0u);
    EXPECT_EQ(GetProcAddress16(library, "NoSuchExport"), 0u);
    EXPECT_EQ(GetProcAddress16(0x1234, "GETMONITORPATH16"), 0u);
    FreeLibrary16(library);
}

TEST_F(Thunk16, MonitorPathIsBoundedByTheSizeGiven) {
    const std::string path = "Enum\\MONITOR\\DEFAULT_MONITOR\\0001";  // 33 characters
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(MonitorPath(buffer, 34), 1u);
    EXPECT_EQ(buffer, path);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(MonitorPath(buffer, 33), 0u);  // no room for the terminator: nothing written
    EXPECT_EQ(buffer[0], '#');
    machine.AppendMachineIni("[monitor]\ndevicekey=\n");
    EXPECT_EQ(MonitorPath(buffer, sizeof buffer), 0u);
}

TEST_F(Thunk16, PointersAreMappedPerBufferAndReleased) {
    char a[8], b[8];
    const SEGPTR first = SMapLS_IP_EBP_8(a);
    const SEGPTR second = SMapLS_IP_EBP_8(b);
    EXPECT_NE(first, 0u);
    EXPECT_NE(HIWORD(first), HIWORD(second));
    EXPECT_EQ(LOWORD(first), 0);
    EXPECT_EQ(SMapLS_IP_EBP_8(nullptr), 0u);
    SUnMapLS_IP_EBP_8(first);
    SUnMapLS_IP_EBP_8(second);
    // A released pointer reaches nothing: the call writes nothing.
    const HINSTANCE16 library = LoadLibrary16("qorhlp16.dll");
    const WORD arguments[3] = {HIWORD(first), LOWORD(first), 64};
    std::memset(a, '#', sizeof a);
    EXPECT_EQ(QT_Thunk(GetProcAddress16(library, "GETMONITORPATH16"), arguments, sizeof arguments), 0u);
    EXPECT_EQ(a[0], '#');
    FreeLibrary16(library);
}

TEST_F(Thunk16, InstalledRecordRoundTripsThroughTheMachineFolder) {
    const HINSTANCE16 library = LoadLibrary16("qorhlp16.dll");
    const FARPROC16 query = GetProcAddress16(library, "IsBrontrInstalled16");
    const FARPROC16 store = GetProcAddress16(library, "SetBrontarInstalled16");
    EXPECT_EQ(QT_Thunk(query, nullptr, 0), 0u);
    const WORD absent[1] = {0};
    QT_Thunk(store, absent, sizeof absent);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(QT_Thunk(query, nullptr, 0))), -1);
    EXPECT_EQ(brontar::machine::ReadBoardRecord(machine.folder()), -1);
    const WORD present[1] = {1};
    QT_Thunk(store, present, sizeof present);
    EXPECT_EQ(QT_Thunk(query, nullptr, 0), 1u);
    // Wrong argument size: refused, with a diagnostic.
    EXPECT_EQ(QT_Thunk(store, present, 4), 0u);
    EXPECT_NE(machine.log().find("QT_Thunk: SetBrontarInstalled16 takes 2 bytes of arguments, given 4"),
              std::string::npos);
    FreeLibrary16(library);
}

}  // namespace
