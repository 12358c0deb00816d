// Colour fills, rectangle copies and colour-keyed copies.
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class Blits : public DirectDrawTest {
protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        directDraw_ = CreateExclusiveBoard();
        ASSERT_NE(directDraw_, nullptr);
    }
    void TearDown() override {
        directDraw_->Release();
        DirectDrawTest::TearDown();
    }

    IDirectDrawSurface* Plain(DWORD width, DWORD height, DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
        IDirectDrawSurface* surface = nullptr;
        EXPECT_EQ(CreatePlainSurface(directDraw_, width, height, caps, &surface), DD_OK);
        return surface;
    }

    static HRESULT Fill(IDirectDrawSurface* surface, RECT* rect, DWORD colour) {
        DDBLTFX effects;
        std::memset(&effects, 0, sizeof(effects));
        effects.dwSize = sizeof(effects);
        effects.dwFillColor = colour;
        return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    }

    IDirectDraw* directDraw_ = nullptr;
};

}  // namespace

TEST_F(Blits, ColourFillCoversExactlyTheRectangle) {
    IDirectDrawSurface* surface = Plain(8, 6);
    ASSERT_EQ(Fill(surface, nullptr, 0x001F), DD_OK);
    RECT rect{2, 1, 5, 4};
    ASSERT_EQ(Fill(surface, &rect, 0xFFE0), DD_OK);
    EXPECT_EQ(ReadPixel(surface, 2, 1), 0xFFE0);
    EXPECT_EQ(ReadPixel(surface, 4, 3), 0xFFE0);
    EXPECT_EQ(ReadPixel(surface, 5, 3), 0x001F);  // right edge is outside
    EXPECT_EQ(ReadPixel(surface, 4, 4), 0x001F);  // bottom edge is outside
    EXPECT_EQ(ReadPixel(surface, 1, 1), 0x001F);
    // Only the low 16 bits of the colour count.
    ASSERT_EQ(Fill(surface, nullptr, 0xABCD1234), DD_OK);
    EXPECT_EQ(ReadPixel(surface, 7, 5), 0x1234);
    surface->Release();
}

TEST_F(Blits, RefusesRectanglesOutsideAndMalformedEffects) {
    IDirectDrawSurface* surface = Plain(8, 6);
    RECT outside{4, 4, 9, 6};
    EXPECT_EQ(Fill(surface, &outside, 0), DDERR_INVALIDRECT);
    RECT empty{3, 3, 3, 5};
    EXPECT_EQ(Fill(surface, &empty, 0), DDERR_INVALIDRECT);
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof(effects));
    effects.dwSize = 100 - 1;
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);  // no source
    surface->Release();
}

TEST_F(Blits, PlainCopyBetweenVideoAndSystemMemory) {
    IDirectDrawSurface* source = Plain(4, 4, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    IDirectDrawSurface* target = Plain(8, 8);
    ASSERT_EQ(Fill(source, nullptr, 0x07E0), DD_OK);
    ASSERT_EQ(Fill(target, nullptr, 0), DD_OK);
    WritePixel(source, 3, 3, 0xF800);
    RECT from{2, 2, 4, 4};
    RECT to{5, 6, 7, 8};
    ASSERT_EQ(target->Blt(&to, source, &from, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(ReadPixel(target, 5, 6), 0x07E0);
    EXPECT_EQ(ReadPixel(target, 6, 7), 0xF800);
    EXPECT_EQ(ReadPixel(target, 4, 6), 0);
    // Stretching is not offered.
    RECT wide{0, 0, 4, 2};
    EXPECT_EQ(target->Blt(&wide, source, &from, DDBLT_WAIT, nullptr), DDERR_UNSUPPORTED);
    source->Release();
    target->Release();
}

TEST_F(Blits, BltFastWithSourceKeyLeavesKeyedPixelsUncopied) {
    // Yellow letters on black, as the overlay draws them.
    IDirectDrawSurface* text = Plain(4, 2);
    IDirectDrawSurface* scene = Plain(10, 10);
    ASSERT_EQ(Fill(text, nullptr, 0), DD_OK);
    WritePixel(text, 1, 0, 0xFFE0);
    WritePixel(text, 2, 1, 0xFFE0);
    ASSERT_EQ(Fill(scene, nullptr, 0x001F), DD_OK);

    EXPECT_EQ(scene->BltFast(3, 4, text, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DDERR_COLORKEYNOTSET);
    DDCOLORKEY black{0, 0};
    ASSERT_EQ(text->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
    ASSERT_EQ(scene->BltFast(3, 4, text, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(ReadPixel(scene, 4, 4), 0xFFE0);
    EXPECT_EQ(ReadPixel(scene, 5, 5), 0xFFE0);
    EXPECT_EQ(ReadPixel(scene, 3, 4), 0x001F);  // black was keyed out
    EXPECT_EQ(ReadPixel(scene, 6, 5), 0x001F);

    // Without the key the black box covers the scene.
    ASSERT_EQ(scene->BltFast(3, 4, text, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(ReadPixel(scene, 3, 4), 0);
    text->Release();
    scene->Release();
}

TEST_F(Blits, BltFastDoesNotClip) {
    IDirectDrawSurface* text = Plain(4, 2);
    IDirectDrawSurface* scene = Plain(10, 10);
    EXPECT_EQ(scene->BltFast(7, 0, text, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(scene->BltFast(0, 9, text, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(scene->BltFast(0xFFFFFFFF, 0, text, nullptr, 0), DDERR_INVALIDRECT);
    RECT part{0, 0, 2, 1};
    EXPECT_EQ(scene->BltFast(8, 9, text, &part, 0), DD_OK);
    RECT beyond{0, 0, 5, 1};
    EXPECT_EQ(scene->BltFast(0, 0, text, &beyond, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(scene->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(scene->BltFast(0, 0, text, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY),
              DDERR_INVALIDPARAMS);
    text->Release();
    scene->Release();
}

TEST_F(Blits, ColourKeysAreStoredAndReported) {
    IDirectDrawSurface* surface = Plain(4, 4);
    DDCOLORKEY key{};
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    DDCOLORKEY set{0x1234, 0x5678};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &set), DD_OK);
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x1234u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x1234u);  // a single colour without DDCKEY_COLORSPACE
    DDSURFACEDESC description = SurfaceDescription();
    ASSERT_EQ(surface->GetSurfaceDesc(&description), DD_OK);
    EXPECT_NE(description.dwFlags & DDSD_CKSRCBLT, 0u);
    EXPECT_EQ(description.ddckCKSrcBlt.dwColorSpaceLowValue, 0x1234u);

    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &set), DD_OK);
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x5678u);
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    EXPECT_EQ(surface->SetColorKey(DDCKEY_SRCBLT | DDCKEY_DESTBLT, &set), DDERR_INVALIDPARAMS);
    surface->Release();
}
