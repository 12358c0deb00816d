// IDirect3DViewport: the rectangle of the render target a device draws in.
#pragma once

#include <d3d.h>

#include "machine/board/driver.h"
#include "platform/d3d/com_object.h"

namespace brontar::platform {

class Direct3DDevice;

class Viewport final : public ComObject<IDirect3DViewport> {
public:
    Viewport() = default;

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD(Initialize)(LPDIRECT3D lpDirect3D) override;
    STDMETHOD(GetViewport)(LPD3DVIEWPORT lpData) override;
    STDMETHOD(SetViewport)(LPD3DVIEWPORT lpData) override;
    STDMETHOD(TransformVertices)(DWORD dwVertexCount, LPD3DTRANSFORMDATA lpData, DWORD dwFlags,
                                 LPDWORD lpOffscreen) override;
    STDMETHOD(LightElements)(DWORD dwElementCount, LPD3DLIGHTDATA lpData) override;
    STDMETHOD(SetBackground)(D3DMATERIALHANDLE hMat) override;
    STDMETHOD(GetBackground)(LPD3DMATERIALHANDLE lphMat, LPBOOL lpValid) override;
    STDMETHOD(SetBackgroundDepth)(LPDIRECTDRAWSURFACE lpDDSurface) override;
    STDMETHOD(GetBackgroundDepth)(LPDIRECTDRAWSURFACE* lplpDDSurface, LPBOOL lpValid) override;
    STDMETHOD(Clear)(DWORD dwCount, LPD3DRECT lpRects, DWORD dwFlags) override;
    STDMETHOD(AddLight)(LPDIRECT3DLIGHT lpDirect3DLight) override;
    STDMETHOD(DeleteLight)(LPDIRECT3DLIGHT lpDirect3DLight) override;
    STDMETHOD(NextLight)(LPDIRECT3DLIGHT lpDirect3DLight, LPDIRECT3DLIGHT* lplpDirect3DLight, DWORD dwFlags) override;

    // The device it was added to (null when none); set by the device.
    Direct3DDevice* Device() const { return device_; }
    void SetDevice(Direct3DDevice* device) { device_ = device; }

    // The pixels it covers; the whole target until SetViewport.
    machine::RasterClip ClipRect() const;

private:
    ~Viewport() override = default;

    D3DVIEWPORT data_{};
    bool hasData_ = false;
    Direct3DDevice* device_ = nullptr;  // not owned: the device holds this viewport
};

}  // namespace brontar::platform
