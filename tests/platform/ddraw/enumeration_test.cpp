// Drivers as programs find them, and DirectDraw objects on their identities.
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class DriverEnumeration : public DirectDrawTest {};

BOOL WINAPI StopAtFirst(GUID*, LPSTR, LPSTR, LPVOID context) {
    ++*static_cast<int*>(context);
    return DDENUMRET_CANCEL;
}

}  // namespace

TEST_F(DriverEnumeration, ListsThePrimaryDisplayWithoutIdentityThenTheBoard) {
    const std::vector<EnumeratedDriver> drivers = EnumerateDrivers();
    ASSERT_EQ(drivers.size(), 2u);
    EXPECT_FALSE(drivers[0].hasIdentity);
    EXPECT_EQ(drivers[0].description, "Primary Display Driver");
    EXPECT_EQ(drivers[0].name, "display");
    EXPECT_TRUE(drivers[1].hasIdentity);
    EXPECT_NE(drivers[1].identity, GUID_NULL);
    EXPECT_EQ(drivers[1].description, "Brontar 3D");
    EXPECT_EQ(drivers[1].name, "ddcorv");
}

TEST_F(DriverEnumeration, CancelStopsTheWalkAndANullCallbackIsRefused) {
    int calls = 0;
    EXPECT_EQ(DirectDrawEnumerateA(StopAtFirst, &calls), DD_OK);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(DirectDrawEnumerateA(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DriverEnumeration, IdentitiesOfNoInstalledDriverAreRefused) {
    IDirectDraw* directDraw = reinterpret_cast<IDirectDraw*>(1);
    GUID zero = GUID_NULL;
    EXPECT_EQ(DirectDrawCreate(&zero, &directDraw, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(directDraw, nullptr);
    GUID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(DirectDrawCreate(&other, &directDraw, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
}

TEST_F(DriverEnumeration, WithoutTheBoardItsIdentityNoLongerCreates) {
    const GUID board = EnumerateDrivers()[1].identity;
    WriteFileText(machine_.folder() / "machine.ini", "[directdraw]\ndrivers=display\n");
    ASSERT_EQ(EnumerateDrivers().size(), 1u);
    GUID identity = board;
    IDirectDraw* directDraw = nullptr;
    EXPECT_EQ(DirectDrawCreate(&identity, &directDraw, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
}

TEST_F(DriverEnumeration, NoIdentityReachesThePrimaryDisplay) {
    IDirectDraw* directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    DDSURFACEDESC mode = SurfaceDescription();
    ASSERT_EQ(directDraw->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 1024u);
    EXPECT_EQ(mode.dwHeight, 768u);
    DDCAPS caps;
    std::memset(&caps, 0, sizeof(caps));
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(directDraw->GetCaps(&caps, nullptr), DD_OK);
    EXPECT_EQ(caps.dwCaps, DWORD(DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_CANBLTSYSMEM));
    EXPECT_EQ(caps.ddsCaps.dwCaps & (DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE), 0u);
    EXPECT_EQ(caps.dwVidMemTotal, 2u * 1024 * 1024);
    EXPECT_EQ(directDraw->Release(), 0u);
}

TEST_F(DriverEnumeration, RefusedByFaults) {
    UseFaults("DirectDrawEnumerate;DirectDrawCreate@2");
    int calls = 0;
    EXPECT_EQ(DirectDrawEnumerateA(StopAtFirst, &calls), DDERR_GENERIC);
    EXPECT_EQ(calls, 0);
    IDirectDraw* first = nullptr;
    IDirectDraw* second = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    EXPECT_EQ(DirectDrawCreate(nullptr, &second, nullptr), DDERR_GENERIC);
    EXPECT_EQ(second, nullptr);
    first->Release();
}
