// IDirect3DTexture: a DirectDraw surface used as a texture, and the
// process-wide table of texture handles.
#pragma once

#include <d3d.h>

#include "machine/board/driver.h"
#include "platform/d3d/com_object.h"

namespace brontar::platform {

class Texture final : public ComObject<IDirect3DTexture> {
public:
    // Holds a reference on the surface.
    explicit Texture(IDirectDrawSurface* surface);

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD(Initialize)(LPDIRECT3DDEVICE lpD3DDevice, LPDIRECTDRAWSURFACE lpDDSurface) override;
    STDMETHOD(GetHandle)(LPDIRECT3DDEVICE lpDirect3DDevice, LPD3DTEXTUREHANDLE lpHandle) override;
    STDMETHOD(PaletteChanged)(DWORD dwStart, DWORD dwCount) override;
    STDMETHOD(Load)(LPDIRECT3DTEXTURE lpD3DTexture) override;
    STDMETHOD(Unload)() override;

    // The texels behind a handle, for the rasteriser; false when the handle
    // names no living texture or its surface is lost.
    static bool FindTexels(D3DTEXTUREHANDLE handle, machine::RasterTexture* out);

private:
    ~Texture() override;

    IDirectDrawSurface* surface_;
    D3DTEXTUREHANDLE handle_ = 0;  // 0 until GetHandle
};

}  // namespace brontar::platform
