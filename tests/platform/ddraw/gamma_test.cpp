// The gamma the board applies to presented frames, from the settings key.
#include <cstring>

#include "machine/display/presentation.h"
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class BoardGamma : public DirectDrawTest {
protected:
    static void StoreFloat(HKEY key, const char* name, float value) {
        DWORD bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bits), sizeof(bits)),
                  ERROR_SUCCESS);
    }

    // Presents one frame whose top-left pixel is 0x8410 (red 16 of 31,
    // green 32 of 63, blue 16 of 31) and answers that pixel as shown.
    std::array<int, 3> PresentedGrey() {
        IDirectDraw* directDraw = CreateExclusiveBoard();
        IDirectDrawSurface* front = nullptr;
        EXPECT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
        if (front == nullptr) return {};
        WritePixel(BackBufferOf(front), 0, 0, 0x8410);
        EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        front->Release();
        directDraw->Release();
        const brontar::machine::RgbPicture picture = brontar::machine::LastPresentedPicture();
        return {picture.rgb[0], picture.rgb[1], picture.rgb[2]};
    }
};

}  // namespace

TEST_F(BoardGamma, WithoutStoredValuesEveryChannelTakes1Point7) {
    // 16 of 31 widens to 132 and green's 32 of 63 to 130;
    // 255 * (132/255)^(1/1.7) = 173.1 and 255 * (130/255)^(1/1.7) = 171.6.
    EXPECT_EQ(PresentedGrey(), (std::array<int, 3>{173, 172, 173}));
}

TEST_F(BoardGamma, StoredFloatsApplyPerChannelAndOtherTypesCountAs1Point7) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive\\Halcyon Graphics", &key),
              ERROR_SUCCESS);
    StoreFloat(key, "HGI_GAMMAR", 1.0f);
    StoreFloat(key, "HGI_GAMMAG", 2.0f);
    const char text[] = "1.0";
    ASSERT_EQ(RegSetValueExA(key, "HGI_GAMMAB", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    // 255 * (130/255)^(1/2) = 182.1.
    EXPECT_EQ(PresentedGrey(), (std::array<int, 3>{132, 182, 173}));
}

TEST_F(BoardGamma, ZeroAndNegativeGammasCountAs1Point7) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive\\Halcyon Graphics", &key),
              ERROR_SUCCESS);
    StoreFloat(key, "HGI_GAMMAR", 0.0f);
    StoreFloat(key, "HGI_GAMMAG", -1.0f);
    StoreFloat(key, "HGI_GAMMAB", 1.0f);
    RegCloseKey(key);
    EXPECT_EQ(PresentedGrey(), (std::array<int, 3>{173, 172, 132}));
}
