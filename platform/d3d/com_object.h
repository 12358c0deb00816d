// Reference counting shared by the Direct3D objects.
#pragma once

#include <unknwn.h>

#include <atomic>

namespace brontar::platform {

// Implements AddRef and Release for one interface; the object deletes
// itself when the last reference goes. Objects start with one reference.
template <typename Interface>
class ComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

    // QueryInterface for the interface itself and IUnknown.
    HRESULT QueryOwnInterface(REFIID riid, REFIID ownIid, LPVOID* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, ownIid)) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace brontar::platform
