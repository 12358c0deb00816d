// IDirect3D: the Direct3D interface of a DirectDraw object.
#pragma once

#include <d3d.h>

#include "platform/d3d/com_object.h"

namespace brontar::platform {

class Direct3DObject final : public ComObject<IDirect3D> {
public:
    // Holds a reference on the DirectDraw object it belongs to.
    explicit Direct3DObject(IDirectDraw* directDraw);

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD(Initialize)(REFIID riid) override;
    STDMETHOD(EnumDevices)(LPD3DENUMDEVICESCALLBACK lpEnumDevicesCallback, LPVOID lpUserArg) override;
    STDMETHOD(CreateLight)(LPDIRECT3DLIGHT* lplpDirect3DLight, IUnknown* pUnkOuter) override;
    STDMETHOD(CreateMaterial)(LPDIRECT3DMATERIAL* lplpDirect3DMaterial, IUnknown* pUnkOuter) override;
    STDMETHOD(CreateViewport)(LPDIRECT3DVIEWPORT* lplpD3DViewport, IUnknown* pUnkOuter) override;
    STDMETHOD(FindDevice)(LPD3DFINDDEVICESEARCH lpD3DFDS, LPD3DFINDDEVICERESULT lplpD3DFDR) override;

private:
    ~Direct3DObject() override;

    IDirectDraw* directDraw_;
};

}  // namespace brontar::platform
