#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "machine/installer.h"
#include "tests/support/temp_machine.h"

using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

namespace fs = std::filesystem;

namespace {

uint32_t U32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

uint32_t U16(const std::string& bytes, size_t offset) {
    return static_cast<unsigned char>(bytes[offset]) | (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::string Install(const TempMachine& machine, const fs::path& binDir = BRONTAR_BIN_DIR) {
    std::ostringstream progress;
    brontar::machine::InstallMachine(machine.folder(), binDir, progress);
    return progress.str();
}

// The colour of an 8-bit file's pixel, counted from the picture's top left.
uint32_t PaletteColourAt(const std::string& bmp, int x, int y) {
    const uint32_t width = U32(bmp, 18);
    const uint32_t height = U32(bmp, 22);
    const uint32_t stride = (width + 3) & ~3u;
    const unsigned index = static_cast<unsigned char>(bmp[U32(bmp, 10) + (height - 1 - y) * stride + x]);
    return U32(bmp, 54 + 4 * index) & 0xFFFFFF;  // 0xRRGGBB
}

}  // namespace

TEST(InstallTestScreen, WritesSixBitmapsInDepthsTheReaderTakes) {
    TempMachine machine;
    Install(machine);
    const struct {
        const char* name;
        uint32_t bits;
    } expected[] = {{"CASTLE.BMP", 24}, {"BRNLOGO.BMP", 8}, {"ROBOT2.BMP", 8},
                    {"VAULT1.BMP", 4},  {"DESERT.BMP", 24}, {"RACER.BMP", 8}};
    for (const auto& file : expected) {
        const std::string bmp = ReadFileText(machine.driveC() / "WINDOWS" / file.name);
        ASSERT_GT(bmp.size(), 54u) << file.name;
        EXPECT_EQ(bmp.substr(0, 2), "BM") << file.name;
        EXPECT_EQ(U32(bmp, 2), bmp.size()) << file.name;
        EXPECT_EQ(U16(bmp, 28), file.bits) << file.name;
        EXPECT_EQ(U32(bmp, 30), 0u) << file.name;  // uncompressed
        const int32_t width = static_cast<int32_t>(U32(bmp, 18));
        const int32_t height = static_cast<int32_t>(U32(bmp, 22));
        EXPECT_GE(width, 64) << file.name;
        EXPECT_LE(width, 256) << file.name;
        EXPECT_GE(height, 64) << file.name;  // positive: bottom-up
        EXPECT_LE(height, 256) << file.name;
        const uint32_t stride = ((width * file.bits + 31) & ~31u) / 8;
        EXPECT_EQ(U32(bmp, 10) + stride * height, bmp.size()) << file.name;
    }
}

TEST(InstallTestScreen, LogoStandsOnPureBlack) {
    TempMachine machine;
    Install(machine);
    const std::string logo = ReadFileText(machine.driveC() / "WINDOWS" / "BRNLOGO.BMP");
    ASSERT_EQ(U16(logo, 28), 8u);
    ASSERT_EQ(U32(logo, 18), 128u);
    for (auto [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}, {64, 30}, {64, 100}})
        EXPECT_EQ(PaletteColourAt(logo, x, y), 0x000000u) << x << ',' << y;
    // The ring: 44 to 60 texels from the centre; orange.
    for (auto [x, y] : {std::pair{116, 64}, {12, 64}, {64, 12}, {64, 116}})
        EXPECT_EQ(PaletteColourAt(logo, x, y), 0xFF8000u) << x << ',' << y;
}

TEST(InstallTestScreen, NeverReplacesABitmapThatIsThere) {
    TempMachine machine;
    WriteFileText(machine.driveC() / "WINDOWS" / "castle.bmp", "the user's own castle");
    WriteFileText(machine.driveC() / "WINDOWS" / "RACER.BMP", "the user's own car");
    const std::string progress = Install(machine);
    EXPECT_EQ(ReadFileText(machine.driveC() / "WINDOWS" / "castle.bmp"), "the user's own castle");
    EXPECT_EQ(ReadFileText(machine.driveC() / "WINDOWS" / "RACER.BMP"), "the user's own car");
    int castles = 0;
    for (const auto& entry : fs::directory_iterator(machine.driveC() / "WINDOWS"))
        castles += entry.path().filename() == "castle.bmp" || entry.path().filename() == "CASTLE.BMP";
    EXPECT_EQ(castles, 1);
    EXPECT_EQ(progress.find("castle"), std::string::npos) << progress;
    EXPECT_NE(progress.find("ROBOT2.BMP"), std::string::npos) << progress;
}

TEST(InstallTestScreen, InstallsTheProgramAndReplacesAnOlderCopy) {
    TempMachine machine;
    Install(machine);
    const fs::path installed = machine.driveC() / "WINDOWS" / "BRNTRTST.EXE";
    const std::string built = ReadFileText(fs::path(BRONTAR_BIN_DIR) / "brntrtst");
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(ReadFileText(installed), built);
    struct stat info {};
    ASSERT_EQ(::stat(installed.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);

    WriteFileText(installed, "an older test screen");
    EXPECT_NE(Install(machine).find("BRNTRTST.EXE"), std::string::npos);
    EXPECT_EQ(ReadFileText(installed), built);
    EXPECT_EQ(Install(machine).find("BRNTRTST.EXE"), std::string::npos);  // already current
}

TEST(InstallTestScreen, GoesIntoTheWindowsDirectoryOfMachineIni) {
    TempMachine machine;
    WriteFileText(machine.folder() / "machine.ini", "[windows]\ndirectory=C:\\WIN95\n");
    Install(machine);
    EXPECT_TRUE(fs::exists(machine.driveC() / "WIN95" / "BRNTRTST.EXE"));
    EXPECT_TRUE(fs::exists(machine.driveC() / "WIN95" / "DESERT.BMP"));
}

TEST(InstallTestScreen, WithoutABuiltProgramTheBitmapsStillArrive) {
    TempMachine machine;
    const fs::path bin = machine.scratch() / "bin-without-programs";
    WriteFileText(bin / "BRNTRSET.INF", ReadFileText(fs::path(BRONTAR_BIN_DIR) / "BRNTRSET.INF"));
    const std::string progress = Install(machine, bin);
    EXPECT_NE(progress.find("not found"), std::string::npos) << progress;
    EXPECT_FALSE(fs::exists(machine.driveC() / "WINDOWS" / "BRNTRTST.EXE"));
    EXPECT_TRUE(fs::exists(machine.driveC() / "WINDOWS" / "VAULT1.BMP"));
}
