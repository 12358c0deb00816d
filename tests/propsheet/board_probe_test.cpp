// The board probe and its record: when the board is probed, what is
// recorded, and what the answer is without the support library.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "machine/hgi1init_calls.h"
#include "machine/qorhlp16.h"
#include "propsheet/board_probe.h"
#include "propsheet/thunk/qorhlp16_calls.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::WriteFileText;
using Calls = std::map<std::string, long long>;

const std::string kLoadError = "MessageBox [ERROR] Error Loading qorhlp16.dll\n";

class BoardProbe : public ::testing::Test {
protected:
    BoardProbe() { WriteFileText(machine.system() / "qorhlp16.dll", "16-bit support library"); }
    Calls calls() const { return brontar::machine::ReadHgi1InitCalls(machine.folder()); }
    int record() const { return brontar::machine::ReadBoardRecord(machine.folder()); }
    void Record(const std::string& text) const { WriteFileText(brontar::machine::BoardRecordPath(machine.folder()), text); }

    LoggedMachine machine;
};

TEST_F(BoardProbe, NothingRecordedAndBoardPresentProbesOnceAndRecordsPresent) {
    EXPECT_EQ(IsBoardInstalled(NULL), 1);
    EXPECT_EQ(calls(), (Calls{{"hgi1InitGetDeviceInfo", 1}, {"hgi1InitMapBoard", 1}, {"hgi1InitRegisters", 1},
                              {"hgi1InitShutdown", 1}}));
    EXPECT_EQ(record(), 1);
    // The next check takes the record and leaves the board alone.
    EXPECT_EQ(IsBoardInstalled(NULL), 1);
    EXPECT_EQ(calls()["hgi1InitMapBoard"], 1);
    EXPECT_EQ(machine.log(), "");
}

TEST_F(BoardProbe, NothingRecordedAndNoBoardRecordsAbsent) {
    machine.AppendMachineIni("[hgi1init]\nboardpresent=no\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 0);
    EXPECT_EQ(calls(), (Calls{{"hgi1InitMapBoard", 1}}));
    EXPECT_EQ(record(), -1);
}

TEST_F(BoardProbe, DeviceInfoFailingMeansAbsentAndNoShutdown) {
    machine.AppendMachineIni("[hgi1init]\ndeviceinfo=no\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 0);
    EXPECT_EQ(calls(), (Calls{{"hgi1InitGetDeviceInfo", 1}, {"hgi1InitMapBoard", 1}, {"hgi1InitRegisters", 1}}));
    EXPECT_EQ(record(), -1);
}

TEST_F(BoardProbe, RecordedAbsentWinsOverAFittedBoard) {
    Record("-1\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 0);
    EXPECT_EQ(calls(), Calls{});
}

TEST_F(BoardProbe, UnknownRecordedAnswerLeavesTheFlagAsItWas) {
    Record("1\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 1);
    Record("2\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 1);
    Record("-1\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 0);
    Record("2\n");
    EXPECT_EQ(IsBoardInstalled(NULL), 0);
    EXPECT_EQ(calls(), Calls{});
}

TEST_F(BoardProbe, WithoutTheSupportLibraryTheBoardIsProbedAndBothCallsComplain) {
    // The kept answer is 0: the library answered "nothing recorded" before it went missing.
    EXPECT_EQ(QueryInstalledFlag(), 0);
    std::filesystem::remove(machine.system() / "qorhlp16.dll");
    EXPECT_EQ(IsBoardInstalled(NULL), 1);
    EXPECT_EQ(calls()["hgi1InitMapBoard"], 1);
    EXPECT_EQ(machine.log(), kLoadError + kLoadError);
    EXPECT_EQ(record(), 0);  // nothing could be recorded
}

TEST_F(BoardProbe, MissingLibraryAnswersTheLastKeptAnswer) {
    Record("1\n");
    EXPECT_EQ(QueryInstalledFlag(), 1);
    std::filesystem::remove(machine.system() / "qorhlp16.dll");
    EXPECT_EQ(QueryInstalledFlag(), 1);
    EXPECT_EQ(machine.log(), kLoadError);
}

TEST_F(BoardProbe, RecordOutlivesTheProcessInTheMachineFolder) {
    StoreInstalledFlag(1);
    EXPECT_EQ(brontar::testing::ReadFileText(brontar::machine::BoardRecordPath(machine.folder())), "1\n");
    StoreInstalledFlag(0);
    EXPECT_EQ(record(), -1);
    EXPECT_EQ(QueryInstalledFlag(), -1);
}

}  // namespace
