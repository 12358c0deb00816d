// The Direct3D device on a board surface: creation, scenes, executes,
// viewports, texture handles and faults, checked by the pixels drawn.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "machine/faults.h"
#include "tests/platform/d3d/board_fixture.h"

namespace brontar::testing {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;

// A quad from (x0, y0) to (x1, y1), drawn as two triangles, with texture
// coordinates 0 to 1 across it.
ExecuteStream Quad(float x0, float y0, float x1, float y1, D3DCOLOR color = kRed) {
    ExecuteStream stream({TLVertex(x0, y0, color, 0, 0), TLVertex(x1, y0, color, 1, 0), TLVertex(x1, y1, color, 1, 1),
                          TLVertex(x0, y1, color, 0, 1)});
    stream.CopyAllVertices().Triangles({{0, 1, 2}, {0, 2, 3}}).Exit();
    return stream;
}

ExecuteStream States(std::initializer_list<std::pair<DWORD, DWORD>> states) {
    ExecuteStream stream;
    stream.States(states).Exit();
    return stream;
}

using Direct3DDeviceTest = BoardFixture;

TEST_F(Direct3DDeviceTest, OnlyListedDeviceGuidsGiveADevice) {
    void* other = nullptr;
    EXPECT_EQ(target->QueryInterface(GUID_NULL, &other), E_NOINTERFACE);
    EXPECT_EQ(target->QueryInterface(IID_IDirect3DRGBDevice, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    void* same = nullptr;
    EXPECT_EQ(device->QueryInterface(IID_IDirect3DDevice, &same), D3D_OK);
    static_cast<IUnknown*>(same)->Release();
}

TEST_F(Direct3DDeviceTest, DrawsAQuadInsideItsEdges) {
    EXPECT_EQ(Run(States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}})), D3D_OK);
    EXPECT_EQ(Run(Quad(4, 4, 12, 10)), D3D_OK);
    EXPECT_EQ(PixelAt(4, 4), 0xF800);
    EXPECT_EQ(PixelAt(11, 9), 0xF800);
    EXPECT_EQ(PixelAt(12, 9), kBackground) << "right edge";
    EXPECT_EQ(PixelAt(11, 10), kBackground) << "bottom edge";
    EXPECT_EQ(PixelAt(3, 4), kBackground);
    D3DSTATS stats{};
    stats.dwSize = sizeof(stats);
    EXPECT_EQ(device->GetStats(&stats), D3D_OK);
    EXPECT_EQ(stats.dwTrianglesDrawn, 2u);
}

TEST_F(Direct3DDeviceTest, CullingFollowsTheRenderState) {
    // 0, 1, 2 of the quad turn clockwise on the screen; the default culls
    // the other way, so both triangles are drawn.
    EXPECT_EQ(Run(Quad(4, 4, 12, 10)), D3D_OK);
    EXPECT_EQ(PixelAt(6, 6), 0xF800);
    EXPECT_EQ(Run(States({{D3DRENDERSTATE_CULLMODE, D3DCULL_CW}})), D3D_OK);
    EXPECT_EQ(Run(Quad(14, 4, 20, 10)), D3D_OK);
    EXPECT_EQ(PixelAt(16, 6), kBackground);
}

TEST_F(Direct3DDeviceTest, ScenesDoNotNest) {
    LPDIRECT3DEXECUTEBUFFER buffer = MakeBuffer(Quad(0, 0, 4, 4));
    EXPECT_EQ(device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    buffer->Release();
}

TEST_F(Direct3DDeviceTest, RefusesLockedBuffersAndForeignViewports) {
    LPDIRECT3DEXECUTEBUFFER buffer = MakeBuffer(Quad(0, 0, 4, 4));
    LPDIRECT3DVIEWPORT loose = nullptr;
    ASSERT_EQ(direct3D->CreateViewport(&loose, nullptr), D3D_OK);
    D3DEXECUTEBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(buffer->Lock(&desc), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED), D3DERR_EXECUTE_LOCKED);
    buffer->Unlock();
    EXPECT_EQ(device->Execute(buffer, loose, D3DEXECUTE_UNCLIPPED), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->Execute(nullptr, viewport, D3DEXECUTE_UNCLIPPED), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(PixelAt(1, 1), kBackground);
    EXPECT_EQ(device->AddViewport(viewport), DDERR_INVALIDPARAMS) << "added twice";
    loose->Release();
    buffer->Release();
}

TEST_F(Direct3DDeviceTest, MalformedStreamFailsAndDrawsNothing) {
    ExecuteStream stream({TLVertex(4, 4, kRed), TLVertex(12, 4, kRed), TLVertex(12, 10, kRed)});
    stream.CopyAllVertices().Triangles({{0, 1, 2}}).Triangles({{0, 1, 9}}).Exit();  // index 9 of 3
    EXPECT_EQ(Run(stream), D3DERR_EXECUTE_FAILED);
    EXPECT_EQ(PixelAt(6, 6), kBackground);
}

TEST_F(Direct3DDeviceTest, ViewportLimitsDrawing) {
    SetViewport(8, 6, 4, 3);
    EXPECT_EQ(Run(States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}})), D3D_OK);
    EXPECT_EQ(Run(Quad(0, 0, 32, 24)), D3D_OK);
    EXPECT_EQ(PixelAt(8, 6), 0xF800);
    EXPECT_EQ(PixelAt(11, 8), 0xF800);
    EXPECT_EQ(PixelAt(12, 8), kBackground);
    EXPECT_EQ(PixelAt(7, 6), kBackground);
    EXPECT_EQ(PixelAt(8, 9), kBackground);
}

TEST_F(Direct3DDeviceTest, ViewportClearBlackensItsRectangles) {
    D3DRECT rect{};
    rect.x1 = 2;
    rect.y1 = 3;
    rect.x2 = 100;  // clipped to the target
    rect.y2 = 5;
    EXPECT_EQ(viewport->Clear(1, &rect, D3DCLEAR_TARGET), D3D_OK);
    EXPECT_EQ(PixelAt(2, 3), 0x0000);
    EXPECT_EQ(PixelAt(31, 4), 0x0000);
    EXPECT_EQ(PixelAt(1, 3), kBackground);
    EXPECT_EQ(PixelAt(2, 5), kBackground);
}

TEST_F(Direct3DDeviceTest, CreateExecuteBufferChecksItsDescription) {
    D3DEXECUTEBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwBufferSize = 248;
    LPDIRECT3DEXECUTEBUFFER buffer = nullptr;
    EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), DDERR_INVALIDPARAMS) << "no size flag";
    desc.dwFlags = D3DDEB_BUFSIZE;
    desc.dwBufferSize = 0;
    EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), D3DERR_EXECUTE_CREATE_FAILED);
    desc.dwBufferSize = (1u << 20) + 1;
    EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), D3DERR_EXECUTE_CREATE_FAILED);
    desc.dwBufferSize = 10824;
    EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, directDraw), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(buffer, nullptr);
    ASSERT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), D3D_OK);
    ASSERT_EQ(buffer->Lock(&desc), D3D_OK);
    EXPECT_EQ(desc.dwBufferSize, 10824u);
    buffer->Unlock();
    buffer->Release();
}

TEST_F(Direct3DDeviceTest, TextureHandlesDrawTheirTexels) {
    LPDIRECTDRAWSURFACE blueSurface = CreateTextureSurface(2, 2, {0x001F, 0x001F, 0x001F, 0x001F});
    LPDIRECTDRAWSURFACE greenSurface = CreateTextureSurface(2, 2, {0x07E0, 0x07E0, 0x07E0, 0x07E0});
    LPDIRECT3DTEXTURE blue = nullptr, green = nullptr;
    ASSERT_EQ(blueSurface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&blue)), D3D_OK);
    ASSERT_EQ(greenSurface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&green)), D3D_OK);
    D3DTEXTUREHANDLE blueHandle = 0, greenHandle = 0, again = 0;
    EXPECT_EQ(blue->GetHandle(device, &blueHandle), D3D_OK);
    EXPECT_EQ(green->GetHandle(device, &greenHandle), D3D_OK);
    EXPECT_EQ(blue->GetHandle(device, &again), D3D_OK);
    EXPECT_NE(blueHandle, 0u);
    EXPECT_NE(blueHandle, greenHandle);
    EXPECT_EQ(again, blueHandle);

    EXPECT_EQ(Run(States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}, {D3DRENDERSTATE_TEXTUREHANDLE, greenHandle}})),
              D3D_OK);
    EXPECT_EQ(Run(Quad(2, 2, 10, 10)), D3D_OK);
    EXPECT_EQ(PixelAt(5, 5), 0x07E0);

    // A released texture's handle names nothing: the vertex colour shows.
    green->Release();
    greenSurface->Release();
    EXPECT_EQ(Run(Quad(12, 2, 20, 10)), D3D_OK);
    EXPECT_EQ(PixelAt(15, 5), 0xF800);
    blue->Release();
    blueSurface->Release();
}

TEST_F(Direct3DDeviceTest, ColourKeyedTextureLeavesKeyedTexelsUndrawn) {
    LPDIRECTDRAWSURFACE surface = CreateTextureSurface(2, 1, {0x0000, 0xF81F});
    DDCOLORKEY black{0, 0};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
    LPDIRECT3DTEXTURE texture = nullptr;
    ASSERT_EQ(surface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&texture)), D3D_OK);
    D3DTEXTUREHANDLE handle = 0;
    ASSERT_EQ(texture->GetHandle(device, &handle), D3D_OK);
    EXPECT_EQ(Run(States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}, {D3DRENDERSTATE_TEXTUREHANDLE, handle}})),
              D3D_OK);
    EXPECT_EQ(Run(Quad(0, 0, 16, 4)), D3D_OK);
    EXPECT_EQ(PixelAt(3, 1), kBackground) << "left half: the black texel";
    EXPECT_EQ(PixelAt(12, 1), 0xF81F);
    texture->Release();
    surface->Release();
}

TEST_F(Direct3DDeviceTest, TextureLoadCopiesTexelsOfTheSameSize) {
    LPDIRECTDRAWSURFACE sourceSurface = CreateTextureSurface(3, 2, {1, 2, 3, 4, 5, 6});
    LPDIRECTDRAWSURFACE destinationSurface = CreateTextureSurface(3, 2, {0, 0, 0, 0, 0, 0}, 0);
    LPDIRECTDRAWSURFACE otherSurface = CreateTextureSurface(2, 2, {0, 0, 0, 0});
    LPDIRECT3DTEXTURE source = nullptr, destination = nullptr, other = nullptr;
    sourceSurface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&source));
    destinationSurface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&destination));
    otherSurface->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&other));
    EXPECT_EQ(destination->Load(source), D3D_OK);
    EXPECT_EQ(other->Load(source), D3DERR_TEXTURE_LOAD_FAILED);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(destinationSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* row1 = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(desc.lpSurface) + desc.lPitch);
    EXPECT_EQ(row1[0], 4);
    EXPECT_EQ(row1[2], 6);
    destinationSurface->Unlock(nullptr);
    for (IUnknown* object : std::initializer_list<IUnknown*>{source, destination, other, sourceSurface,
                                                             destinationSurface, otherSurface}) {
        object->Release();
    }
}

// Each fault name fails its call once, with the call's own failure code,
// and the next call works.
TEST_F(Direct3DDeviceTest, FaultsFailTheNamedCalls) {
    ::setenv("BRONTAR_FAULTS", "BeginScene@1;Execute@1;EndScene@1;CreateExecuteBuffer@1;SetViewport@1", 1);
    machine::ResetFaults();
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_BEGIN_FAILED);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE) << "a failed BeginScene opens no scene";
    D3DEXECUTEBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = D3DDEB_BUFSIZE;
    desc.dwBufferSize = 64;
    LPDIRECT3DEXECUTEBUFFER buffer = nullptr;
    EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), D3DERR_EXECUTE_CREATE_FAILED);
    buffer = MakeBuffer(Quad(0, 0, 4, 4));
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED), D3DERR_EXECUTE_FAILED);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_END_FAILED);
    EXPECT_EQ(device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED), D3D_OK) << "the scene stayed open";
    EXPECT_EQ(device->EndScene(), D3D_OK);
    D3DVIEWPORT data{};
    data.dwSize = sizeof(data);
    data.dwWidth = 4;
    data.dwHeight = 4;
    EXPECT_EQ(viewport->SetViewport(&data), D3DERR_SETVIEWPORTDATA_FAILED);
    buffer->Release();
    ::unsetenv("BRONTAR_FAULTS");
    machine::ResetFaults();
}

TEST_F(Direct3DDeviceTest, DeviceFaultRefusesTheDevice) {
    ::setenv("BRONTAR_FAULTS", "CreateDevice;CreateTexture;CreateViewport", 1);
    machine::ResetFaults();
    void* out = nullptr;
    EXPECT_EQ(target->QueryInterface(IID_IDirect3DHALDevice, &out), E_NOINTERFACE);
    EXPECT_EQ(target->QueryInterface(IID_IDirect3DTexture, &out), E_NOINTERFACE);
    LPDIRECT3DVIEWPORT second = nullptr;
    EXPECT_TRUE(FAILED(direct3D->CreateViewport(&second, nullptr)));
    EXPECT_EQ(second, nullptr);
    ::unsetenv("BRONTAR_FAULTS");
    machine::ResetFaults();
}

}  // namespace
}  // namespace brontar::testing
