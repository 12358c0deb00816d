// The settings key: encodings, defaults, the byte rule of readers, and the
// gamma slider scale.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings_key.h"
#include "tests/support/temp_machine.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    // The raw type and bytes of a settings value; false when missing.
    bool RawValue(const char* name, DWORD& type, std::vector<BYTE>& data) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, &key) != ERROR_SUCCESS) return false;
        BYTE buffer[64];
        DWORD size = sizeof buffer;
        const LONG result = RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
        RegCloseKey(key);
        data.assign(buffer, buffer + (result == ERROR_SUCCESS ? size : 0));
        return result == ERROR_SUCCESS;
    }
    void Store(const char* name, DWORD type, std::vector<BYTE> data) {
        WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, name, type, data.data(),
                           static_cast<DWORD>(data.size()));
    }
    static uint32_t Bits(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return bits;
    }

    brontar::testing::TempMachine machine_;
};

TEST_F(SettingsStoreTest, WithoutTheKeyEverythingReadsAsItsDefault) {
    EXPECT_EQ(CountSubkeys(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH), -1);
    for (int width : {512, 640, 800}) EXPECT_EQ(GetRefreshRate(width, width * 3 / 4), 0u);
    for (int channel = 0; channel < GAMMA_CHANNEL_COUNT; ++channel) EXPECT_EQ(Bits(GetGamma(channel)), 0x3FD9999Au);
    EXPECT_EQ(GetLockState(), 0u);
    int width = -1, height = -1;
    GetLastResolution(&width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST_F(SettingsStoreTest, FirstWriteCreatesTheKeyAndRefreshIsAFourByteDword) {
    SetRefreshRate(75, 800, 600);
    EXPECT_EQ(CountSubkeys(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive"), 1);
    EXPECT_EQ(CountSubkeys(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH), 0);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(RawValue("REFRESH_800x600", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0x4B, 0x00, 0x00, 0x00}));
    EXPECT_EQ(GetRefreshRate(800, 600), 75u);
    // Zero is stored as given; only the restore deletes.
    SetRefreshRate(0, 640, 400);
    ASSERT_TRUE(RawValue("REFRESH_640x400", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(SettingsStoreTest, SnapshotReadsAbsentValuesAsZeroRatesAndDefaultGammas) {
    SetRefreshRate(72, 512, 384);
    SetRefreshRate(85, 800, 600);
    SetGamma(1.2f, GAMMA_CHANNEL_GREEN);
    SettingsSnapshot snapshot;
    std::memset(&snapshot, 0xFF, sizeof snapshot);
    TakeSettingsSnapshot(&snapshot);
    EXPECT_EQ(snapshot.rates[0], 72u);
    EXPECT_EQ(snapshot.rates[1], 0u);
    EXPECT_EQ(snapshot.rates[2], 0u);
    EXPECT_EQ(snapshot.rates[3], 85u);
    EXPECT_EQ(snapshot.gammas[GAMMA_CHANNEL_OVERALL], 1.7f);
    EXPECT_EQ(snapshot.gammas[GAMMA_CHANNEL_RED], 1.7f);
    EXPECT_EQ(snapshot.gammas[GAMMA_CHANNEL_GREEN], 1.2f);
    EXPECT_EQ(snapshot.gammas[GAMMA_CHANNEL_BLUE], 1.7f);
}

TEST_F(SettingsStoreTest, RestoreDeletesZerosWritesTheRestAndResetTouchesOnlyTheFourRates) {
    SetRefreshRate(70, 640, 400);
    SetRefreshRate(72, 512, 384);
    SetGamma(1.2f, GAMMA_CHANNEL_GREEN);
    SetGamma(0.5f, GAMMA_CHANNEL_BLUE);
    SetLockState(1);
    DWORD type = 0;
    std::vector<BYTE> data;
    // 512x384 and 640x400 were absent at the snapshot, 640x480 held 85; the
    // green gamma was stored as 0.0, the overall one absent (read as 1.7).
    const SettingsSnapshot snapshot = {{0, 0, 85, 60}, {1.7f, 1.0f, 0.0f, 2.0f}};
    RestoreSettingsSnapshot(&snapshot);
    EXPECT_FALSE(RawValue("REFRESH_512x384", type, data));
    EXPECT_FALSE(RawValue("REFRESH_640x400", type, data));
    EXPECT_EQ(GetRefreshRate(640, 480), 85u);
    EXPECT_EQ(GetRefreshRate(800, 600), 60u);
    EXPECT_FALSE(RawValue("HGI_GAMMAG", type, data));
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.0f);
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 2.0f);
    ASSERT_TRUE(RawValue("HGI_GAMMA", type, data));  // an absent gamma read as 1.7 is written back as 1.7
    EXPECT_EQ(data, (std::vector<BYTE>{0x9A, 0x99, 0xD9, 0x3F}));
    EXPECT_EQ(GetLockState(), 1u);  // not part of the snapshot
    SetRefreshRate(60, 1024, 768);
    ResetRefreshRates();
    for (const char* name : {"REFRESH_512x384", "REFRESH_640x400", "REFRESH_640x480", "REFRESH_800x600"})
        EXPECT_FALSE(RawValue(name, type, data)) << name;
    EXPECT_EQ(GetRefreshRate(1024, 768), 60u);
    EXPECT_EQ(GetLockState(), 1u);
    EXPECT_TRUE(RawValue("HGI_GAMMA", type, data));
}

TEST_F(SettingsStoreTest, RefreshNamesTakeEachDimensionAsSixteenBits) {
    SetRefreshRate(85, 65536 + 640, 480);
    EXPECT_EQ(GetRefreshRate(640, 480), 85u);
    SetRefreshRate(60, -1, 2);
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_TRUE(RawValue("REFRESH_65535x2", type, data));
}

TEST_F(SettingsStoreTest, GammaIsStoredAsFloatBitsUnderTheDwordType) {
    SetGamma(1.7f, GAMMA_CHANNEL_RED);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(RawValue("HGI_GAMMAR", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0x9A, 0x99, 0xD9, 0x3F}));
    EXPECT_EQ(Bits(GetGamma(GAMMA_CHANNEL_RED)), 0x3FD9999Au);
    EXPECT_EQ(GammaToPosition(GetGamma(GAMMA_CHANNEL_RED)), 29);
    // Each channel has its own name.
    SetGamma(0.5f, GAMMA_CHANNEL_OVERALL);
    SetGamma(1.0f, GAMMA_CHANNEL_GREEN);
    SetGamma(2.0f, GAMMA_CHANNEL_BLUE);
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_OVERALL), 0.5f);
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.7f);
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_GREEN), 1.0f);
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 2.0f);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "HGI_GAMMAB");
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 1.7f);
    // Channels out of range read the default and write nothing.
    SetGamma(0.3f, 4);
    EXPECT_EQ(GetGamma(4), 1.7f);
    EXPECT_EQ(GetGamma(-1), 1.7f);
}

TEST_F(SettingsStoreTest, ReadersTakeShortDataByteForByteAndRefuseLongData) {
    // "1.5" with its terminator is four bytes: read as the float 0x00352E31.
    Store("HGI_GAMMAB", REG_SZ, {'1', '.', '5', 0});
    EXPECT_EQ(Bits(GetGamma(GAMMA_CHANNEL_BLUE)), 0x00352E31u);
    Store("HGI_GAMMAB", REG_SZ, {'1', '.', '5', '0', 0});
    EXPECT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 1.7f);
    // Two bytes replace the low two bytes of the default 9A 99 D9 3F.
    Store("HGI_GAMMAG", REG_BINARY, {0xAA, 0xBB});
    EXPECT_EQ(Bits(GetGamma(GAMMA_CHANNEL_GREEN)), 0x3FD9BBAAu);
    Store("REFRESH_512x384", REG_BINARY, {0x4B});
    EXPECT_EQ(GetRefreshRate(512, 384), 75u);
    Store("REFRESH_512x384", REG_DWORD, {1, 0, 0, 0, 0});
    EXPECT_EQ(GetRefreshRate(512, 384), 0u);
}

TEST_F(SettingsStoreTest, LastResolutionPacksHeightHighAndWidthLow) {
    Store("KSX_LASTREZ", REG_DWORD, {0x20, 0x03, 0x58, 0x02});
    int width = 0, height = 0;
    GetLastResolution(&width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    SetLastResolution(640, 480);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(RawValue("KSX_LASTREZ", type, data));
    EXPECT_EQ(data, (std::vector<BYTE>{0x80, 0x02, 0xE0, 0x01}));
    SetLockState(2);
    EXPECT_EQ(GetLockState(), 2u);
}

TEST_F(SettingsStoreTest, GenericRoutinesDoNothingWhenAnArgumentIsMissing) {
    const BYTE data[4] = {1, 0, 0, 0};
    WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "x", REG_DWORD, nullptr, 4);
    WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, nullptr, REG_DWORD, data, 4);
    WriteRegistryValue(HKEY_LOCAL_MACHINE, nullptr, "x", REG_DWORD, data, 4);
    WriteRegistryValue(nullptr, SETTINGS_KEY_PATH, "x", REG_DWORD, data, 4);
    EXPECT_EQ(CountSubkeys(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive"), -1);
    EXPECT_EQ(CountSubkeys(HKEY_LOCAL_MACHINE, nullptr), -1);
    BYTE buffer[4] = {7, 7, 7, 7};
    DWORD size = 4;
    EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "x", buffer, nullptr), 0);
    EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "x", buffer, &size), 0);
    EXPECT_EQ(buffer[0], 7);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "x");  // missing key: silent
    WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "x", REG_DWORD, data, 4);
    EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, "X", buffer, &size), 1);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer[0], 1);
}

TEST(GammaScale, EveryPositionSurvivesASinglePrecisionStore) {
    brontar::testing::TempMachine machine;
    for (int position = 0; position <= 35; ++position) {
        SetGamma(PositionToGamma(position), GAMMA_CHANNEL_GREEN);
        EXPECT_EQ(GammaToPosition(GetGamma(GAMMA_CHANNEL_GREEN)), position);
    }
}

TEST(GammaScale, PositionsAndValuesMapBothWays) {
    uint32_t bits;
    const float seventeen = PositionToGamma(29);
    std::memcpy(&bits, &seventeen, 4);
    EXPECT_EQ(bits, 0x3FD9999Au);  // exactly the stored default 1.7
    EXPECT_EQ(PositionToGamma(0), 0.25f);
    EXPECT_EQ(PositionToGamma(35), 2.0f);
    EXPECT_EQ(GammaToPosition(0.5f), 5);
    EXPECT_EQ(GammaToPosition(1.0f), 15);
    EXPECT_EQ(GammaToPosition(1.7f), 29);
    EXPECT_EQ(GammaToPosition(2.0f), 35);
    EXPECT_EQ(GammaToPosition(0.27f), 0);   // 0.4 of a step
    EXPECT_EQ(GammaToPosition(0.28f), 1);   // 0.6 of a step
    EXPECT_EQ(GammaToPosition(0.2f), -1);   // below the scale
    EXPECT_EQ(GammaToPosition(0.0f), -5);
    EXPECT_EQ(GammaToPosition(1e30f), INT_MAX);
    EXPECT_EQ(GammaToPosition(-1e30f), INT_MIN);
}

// FormatFixed's text and result for a value, decimals and buffer size.
std::pair<std::string, int> Fixed(double value, int decimals, int size) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '#');
    const int result = FormatFixed(value, decimals, buffer.data(), size);
    EXPECT_EQ(buffer[static_cast<size_t>(size)], '#') << "wrote past the buffer";
    return {std::string(buffer.data()), result};
}

TEST(FormatFixed, TwoDecimalsInTheBuffersTheSystemUses) {
    using Result = std::pair<std::string, int>;
    EXPECT_EQ(Fixed(1.7f, 2, 10), Result("1.70", 1));
    EXPECT_EQ(Fixed(0.05f, 2, 10), Result("0.05", 1));
    EXPECT_EQ(Fixed(0.5, 2, 20), Result("0.50", 1));
    EXPECT_EQ(Fixed(2, 2, 30), Result("2.00", 1));
    EXPECT_EQ(Fixed(-0.3, 2, 10), Result("-0.30", 1));
    EXPECT_EQ(Fixed(1234.5, 2, 10), Result("1234.50", 1));
    EXPECT_EQ(Fixed(0.0, 2, 10), Result("0.00", 1));
}

TEST(FormatFixed, LastDigitRoundsUpFromFive) {
    using Result = std::pair<std::string, int>;
    EXPECT_EQ(Fixed(0.125, 2, 10), Result("0.13", 1));  // exactly ...5
    EXPECT_EQ(Fixed(0.995, 2, 10), Result("0.99", 1));   // stored just below 0.995
    EXPECT_EQ(Fixed(9.999, 2, 10), Result("10.00", 1));  // carry into a new digit
    EXPECT_EQ(Fixed(0.004, 2, 10), Result("0.00", 1));
    EXPECT_EQ(Fixed(0.006, 2, 10), Result("0.01", 1));
}

TEST(FormatFixed, SmallBuffersCutTheTextAndSaySo) {
    using Result = std::pair<std::string, int>;
    EXPECT_EQ(Fixed(1.7f, 2, 4), Result("1.7", 1));
    EXPECT_EQ(Fixed(1.7f, 2, 3), Result("1.", 0));
    EXPECT_EQ(Fixed(0.5, 2, 3), Result("0.", 1));  // no room for a digit after "0."
    // "0." does not fit: what fits of it is written, never stray bytes.
    EXPECT_EQ(Fixed(0.5, 2, 2), Result("0", 0));
    EXPECT_EQ(Fixed(-0.3, 2, 3), Result("-0", 0));
    EXPECT_EQ(Fixed(-0.3, 2, 2), Result("-", 0));
    EXPECT_EQ(Fixed(1.7f, 2, 1), Result("", 1));
    char untouched[2] = {'x', 'y'};
    EXPECT_EQ(FormatFixed(1.7, 2, untouched, 0), 0);
    EXPECT_EQ(untouched[0], 'x');
    EXPECT_EQ(FormatFixed(1.7, 2, nullptr, 10), 0);
}

TEST(FormatFixed, EverySliderValueFitsTheTenByteBufferWhole) {
    for (int position = 0; position <= 35; ++position) {
        const int hundredths = 25 + 5 * position;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%d.%02d", hundredths / 100, hundredths % 100);
        EXPECT_EQ(Fixed(PositionToGamma(position), 2, 10), std::make_pair(std::string(expected), 1)) << position;
    }
}

}  // namespace
