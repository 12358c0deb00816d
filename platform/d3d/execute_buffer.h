// IDirect3DExecuteBuffer: memory a program fills with vertices and
// instructions between Lock and Unlock, and the execute data saying where
// they lie.
#pragma once

#include <d3d.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3d/com_object.h"

namespace brontar::platform {

class ExecuteBuffer final : public ComObject<IDirect3DExecuteBuffer> {
public:
    ExecuteBuffer(DWORD size, DWORD caps);

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD(Initialize)(LPDIRECT3DDEVICE lpDirect3DDevice, LPD3DEXECUTEBUFFERDESC lpDesc) override;
    STDMETHOD(Lock)(LPD3DEXECUTEBUFFERDESC lpDesc) override;
    STDMETHOD(Unlock)() override;
    STDMETHOD(SetExecuteData)(LPD3DEXECUTEDATA lpData) override;
    STDMETHOD(GetExecuteData)(LPD3DEXECUTEDATA lpData) override;
    STDMETHOD(Validate)(LPDWORD lpdwOffset, LPD3DVALIDATECALLBACK lpFunc, LPVOID lpUserArg,
                        DWORD dwReserved) override;
    STDMETHOD(Optimize)(DWORD dwFlags) override;

    bool IsLocked() const { return locked_; }
    std::span<const uint8_t> Bytes() const { return memory_; }
    const D3DEXECUTEDATA& ExecuteData() const { return data_; }

private:
    ~ExecuteBuffer() override = default;

    std::vector<uint8_t> memory_;
    DWORD caps_;
    bool locked_ = false;
    D3DEXECUTEDATA data_{};
};

}  // namespace brontar::platform
