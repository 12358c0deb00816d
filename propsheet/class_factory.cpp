// The class object of the settings page's class.
#include <new>

#include "propsheet/server.h"

ClassFactory::ClassFactory() : refCount(1)
{
    serverObjectCount++;
}

ClassFactory::~ClassFactory()
{
    serverObjectCount--;
}

// IUnknown and IClassFactory are the same face.
STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, LPVOID* ppvObj)
{
    if (ppvObj == NULL)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppvObj = static_cast<IClassFactory*>(this);
        refCount++;
        return S_OK;
    }
    *ppvObj = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef()
{
    return ++refCount;
}

STDMETHODIMP_(ULONG) ClassFactory::Release()
{
    if (--refCount == 0) {
        delete this;
        return 0;
    }
    return refCount;
}

// Makes an extension object and hands out the asked-for face of it.
STDMETHODIMP ClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, LPVOID* ppvObject)
{
    PropSheetExtension* extension;
    HRESULT result;

    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (pUnkOuter != NULL)
        return CLASS_E_NOAGGREGATION;
    extension = new (std::nothrow) PropSheetExtension();
    if (extension == NULL)
        return E_OUTOFMEMORY;
    result = extension->QueryInterface(riid, ppvObject);
    extension->Release();
    return result;
}

STDMETHODIMP ClassFactory::LockServer(BOOL /*fLock*/)
{
    return E_NOTIMPL;
}
