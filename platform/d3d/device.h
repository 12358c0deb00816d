// IDirect3DDevice: draws execute buffers into the surface it was made from.
#pragma once

#include <d3d.h>

#include <vector>

#include "machine/board/driver.h"
#include "platform/d3d/com_object.h"
#include "platform/d3d/device_list.h"
#include "platform/d3d/render_states.h"
#include "platform/ddraw/direct3d_bridge.h"

namespace brontar::platform {

class Viewport;

class Direct3DDevice final : public ComObject<IDirect3DDevice> {
public:
    // Holds a reference on the render target.
    Direct3DDevice(IDirectDrawSurface* renderTarget, const Direct3DDeviceInfo& info);

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD(Initialize)(LPDIRECT3D lpd3d, LPGUID lpGUID, LPD3DDEVICEDESC lpd3ddvdesc) override;
    STDMETHOD(GetCaps)(LPD3DDEVICEDESC lpD3DHWDevDesc, LPD3DDEVICEDESC lpD3DHELDevDesc) override;
    STDMETHOD(SwapTextureHandles)(LPDIRECT3DTEXTURE lpD3DTex1, LPDIRECT3DTEXTURE lpD3DTex2) override;
    STDMETHOD(CreateExecuteBuffer)(LPD3DEXECUTEBUFFERDESC lpDesc, LPDIRECT3DEXECUTEBUFFER* lplpDirect3DExecuteBuffer,
                                   IUnknown* pUnkOuter) override;
    STDMETHOD(GetStats)(LPD3DSTATS lpD3DStats) override;
    STDMETHOD(Execute)(LPDIRECT3DEXECUTEBUFFER lpDirect3DExecuteBuffer, LPDIRECT3DVIEWPORT lpDirect3DViewport,
                       DWORD dwFlags) override;
    STDMETHOD(AddViewport)(LPDIRECT3DVIEWPORT lpDirect3DViewport) override;
    STDMETHOD(DeleteViewport)(LPDIRECT3DVIEWPORT lpDirect3DViewport) override;
    STDMETHOD(NextViewport)(LPDIRECT3DVIEWPORT lpDirect3DViewport, LPDIRECT3DVIEWPORT* lplpDirect3DViewport,
                            DWORD dwFlags) override;
    STDMETHOD(Pick)(LPDIRECT3DEXECUTEBUFFER lpDirect3DExecuteBuffer, LPDIRECT3DVIEWPORT lpDirect3DViewport,
                    DWORD dwFlags, LPD3DRECT lpRect) override;
    STDMETHOD(GetPickRecords)(LPDWORD lpCount, LPD3DPICKRECORD lpD3DPickRec) override;
    STDMETHOD(EnumTextureFormats)(LPD3DENUMTEXTUREFORMATSCALLBACK lpd3dEnumTextureProc, LPVOID lpArg) override;
    STDMETHOD(CreateMatrix)(LPD3DMATRIXHANDLE lpD3DMatHandle) override;
    STDMETHOD(SetMatrix)(D3DMATRIXHANDLE d3dMatHandle, const LPD3DMATRIX lpD3DMatrix) override;
    STDMETHOD(GetMatrix)(D3DMATRIXHANDLE D3DMatHandle, LPD3DMATRIX lpD3DMatrix) override;
    STDMETHOD(DeleteMatrix)(D3DMATRIXHANDLE d3dMatHandle) override;
    STDMETHOD(BeginScene)() override;
    STDMETHOD(EndScene)() override;
    STDMETHOD(GetDirect3D)(LPDIRECT3D* lpD3D) override;

    // The render target's memory and driver; false when the surface is lost.
    bool RenderTargetMemory(SurfaceMemory* out) const;

private:
    ~Direct3DDevice() override;

    IDirectDrawSurface* renderTarget_;
    Direct3DDeviceInfo info_;
    RenderStates states_;
    std::vector<Viewport*> viewports_;  // added viewports, each holding a reference
    bool inScene_ = false;
    D3DSTATS stats_{};
};

}  // namespace brontar::platform
