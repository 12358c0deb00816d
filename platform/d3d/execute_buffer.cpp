#include "platform/d3d/execute_buffer.h"

#include <string>

#include "machine/faults.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

ExecuteBuffer::ExecuteBuffer(DWORD size, DWORD caps) : memory_(size), caps_(caps) {
    data_.dwSize = sizeof(D3DEXECUTEDATA);
}

HRESULT ExecuteBuffer::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    return QueryOwnInterface(riid, IID_IDirect3DExecuteBuffer, ppvObj);
}

HRESULT ExecuteBuffer::Initialize(LPDIRECT3DDEVICE, LPD3DEXECUTEBUFFERDESC) { return DDERR_ALREADYINITIALIZED; }

// Hands out the buffer's memory. Fault name: ExecuteBufferLock.
HRESULT ExecuteBuffer::Lock(LPD3DEXECUTEBUFFERDESC lpDesc) {
    if (!lpDesc || lpDesc->dwSize < sizeof(D3DEXECUTEBUFFERDESC)) return DDERR_INVALIDPARAMS;
    if (locked_) return D3DERR_EXECUTE_LOCKED;
    if (machine::FaultRequested("ExecuteBufferLock")) return D3DERR_EXECUTE_LOCK_FAILED;
    locked_ = true;
    lpDesc->dwFlags = D3DDEB_BUFSIZE | D3DDEB_CAPS | D3DDEB_LPDATA;
    lpDesc->dwCaps = caps_;
    lpDesc->dwBufferSize = DWORD(memory_.size());
    lpDesc->lpData = memory_.data();
    return D3D_OK;
}

// Fault name: ExecuteBufferUnlock.
HRESULT ExecuteBuffer::Unlock() {
    if (!locked_) return D3DERR_EXECUTE_NOT_LOCKED;
    if (machine::FaultRequested("ExecuteBufferUnlock")) return D3DERR_EXECUTE_UNLOCK_FAILED;
    locked_ = false;
    return D3D_OK;
}

// Keeps the execute data; its ranges are checked against the buffer when it
// runs. Fault name: SetExecuteData.
HRESULT ExecuteBuffer::SetExecuteData(LPD3DEXECUTEDATA lpData) {
    if (!lpData || lpData->dwSize != sizeof(D3DEXECUTEDATA)) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("SetExecuteData")) return DDERR_GENERIC;
    data_ = *lpData;
    return D3D_OK;
}

HRESULT ExecuteBuffer::GetExecuteData(LPD3DEXECUTEDATA lpData) {
    if (!lpData || lpData->dwSize != sizeof(D3DEXECUTEDATA)) return DDERR_INVALIDPARAMS;
    *lpData = data_;
    return D3D_OK;
}

HRESULT ExecuteBuffer::Validate(LPDWORD, LPD3DVALIDATECALLBACK, LPVOID, DWORD) {
    WriteDiagnostic("IDirect3DExecuteBuffer::Validate is not implemented; Execute checks every stream");
    return DDERR_UNSUPPORTED;
}

HRESULT ExecuteBuffer::Optimize(DWORD) {
    WriteDiagnostic("IDirect3DExecuteBuffer::Optimize is not implemented");
    return DDERR_UNSUPPORTED;
}

}  // namespace brontar::platform
