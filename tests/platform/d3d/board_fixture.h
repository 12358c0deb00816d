// A DirectDraw object on the board of a throwaway machine, with helpers to
// make render targets and textures and read their pixels.
#pragma once

#include <d3d.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/d3d/execute_stream.h"
#include "tests/support/board_surfaces.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {

class BoardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        directDraw = CreateBoardDirectDraw();
        ASSERT_NE(directDraw, nullptr);
        ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&direct3D)), DD_OK);
        target = CreateSurface(kWidth, kHeight, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        WritePixels(target, kWidth, std::vector<uint16_t>(kWidth * kHeight, kBackground));
        ASSERT_EQ(target->QueryInterface(IID_IDirect3DHALDevice, reinterpret_cast<void**>(&device)), D3D_OK);
        ASSERT_EQ(direct3D->CreateViewport(&viewport, nullptr), D3D_OK);
        ASSERT_EQ(device->AddViewport(viewport), D3D_OK);
        SetViewport(0, 0, kWidth, kHeight);
    }
    void TearDown() override {
        for (IUnknown* object : std::vector<IUnknown*>{viewport, device, target, direct3D, directDraw}) {
            if (object) object->Release();
        }
    }

    LPDIRECTDRAWSURFACE CreateSurface(DWORD width, DWORD height, DWORD caps) {
        LPDIRECTDRAWSURFACE surface = nullptr;
        EXPECT_EQ(CreatePlainSurface(directDraw, width, height, caps, &surface), DD_OK);
        return surface;
    }

    // A texture surface holding texels (width x height, row by row).
    LPDIRECTDRAWSURFACE CreateTextureSurface(DWORD width, DWORD height, const std::vector<uint16_t>& texels,
                                             DWORD memory = DDSCAPS_SYSTEMMEMORY) {
        LPDIRECTDRAWSURFACE surface = CreateSurface(width, height, DDSCAPS_TEXTURE | memory);
        WritePixels(surface, width, texels);
        return surface;
    }

    // A pixel of the render target.
    uint16_t PixelAt(int x, int y) { return ReadPixel(target, x, y); }

    void SetViewport(DWORD x, DWORD y, DWORD width, DWORD height) {
        D3DVIEWPORT data{};
        data.dwSize = sizeof(data);
        data.dwX = x;
        data.dwY = y;
        data.dwWidth = width;
        data.dwHeight = height;
        data.dvScaleX = width * 0.5f;
        data.dvScaleY = height * 0.5f;
        data.dvMaxX = 1.0f;
        data.dvMaxY = 1.0f;
        ASSERT_EQ(viewport->SetViewport(&data), D3D_OK);
    }

    // An execute buffer holding stream, with its execute data set.
    LPDIRECT3DEXECUTEBUFFER MakeBuffer(const ExecuteStream& stream) {
        const std::vector<uint8_t> bytes = stream.Buffer();
        D3DEXECUTEBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = D3DDEB_BUFSIZE;
        desc.dwBufferSize = DWORD(bytes.size());
        LPDIRECT3DEXECUTEBUFFER buffer = nullptr;
        EXPECT_EQ(device->CreateExecuteBuffer(&desc, &buffer, nullptr), D3D_OK);
        EXPECT_EQ(buffer->Lock(&desc), D3D_OK);
        std::memcpy(desc.lpData, bytes.data(), bytes.size());
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        D3DEXECUTEDATA data = stream.Data();
        EXPECT_EQ(buffer->SetExecuteData(&data), D3D_OK);
        return buffer;
    }

    // Runs a stream in a scene of its own; the result of Execute.
    HRESULT Run(const ExecuteStream& stream) {
        LPDIRECT3DEXECUTEBUFFER buffer = MakeBuffer(stream);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        const HRESULT result = device->Execute(buffer, viewport, D3DEXECUTE_UNCLIPPED);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        buffer->Release();
        return result;
    }

    static constexpr DWORD kWidth = 32, kHeight = 24;
    static constexpr uint16_t kBackground = 0x1234;

    TempMachine machine;
    LPDIRECTDRAW directDraw = nullptr;
    LPDIRECT3D direct3D = nullptr;
    LPDIRECTDRAWSURFACE target = nullptr;
    LPDIRECT3DDEVICE device = nullptr;
    LPDIRECT3DVIEWPORT viewport = nullptr;
};

}  // namespace brontar::testing
