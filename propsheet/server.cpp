// The library entry and the two exports of the in-process server.
#include <windows.h>
#include <shlobj.h>
// The page's class identity is defined here; the system's come from its
// libraries.
#include <initguid.h>

#include "propsheet/server.h"

#include <stdio.h>

#include <new>

#include "propsheet/board_probe.h"

HINSTANCE moduleInstance = NULL;
HINSTANCE resourceModule = NULL;
LONG serverObjectCount = 0;

// At process attach: load the resource module, or tell the user it is
// missing and refuse to load.
static BOOL AttachProcess(HINSTANCE hinstDLL)
{
    char missingText[80];
    char caption[80];
    char message[sizeof(RESOURCE_MODULE_NAME) + sizeof(missingText)];

    moduleInstance = hinstDLL;
    resourceModule = LoadLibraryA(RESOURCE_MODULE_NAME);
    if (resourceModule != NULL)
        return TRUE;

    LoadStringA(moduleInstance, IDS_FILE_MISSING, missingText, sizeof(missingText));
    LoadStringA(moduleInstance, IDS_ERROR_CAPTION, caption, sizeof(caption));
    snprintf(message, sizeof(message), "%s%s", RESOURCE_MODULE_NAME, missingText);
    MessageBoxA(NULL, message, caption, MB_ICONERROR);
    return FALSE;
}

// Library entry: only process attach does anything.
extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID /*lpvReserved*/)
{
    if (fdwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    return AttachProcess(hinstDLL);
}

// Hands out a class object for the page's class, and only while the board
// is present.
extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    ClassFactory* factory;
    HRESULT result;

    if (ppv == NULL)
        return E_POINTER;
    *ppv = NULL;
    if (!IsEqualCLSID(rclsid, CLSID_BrontarSettingsPage))
        return CLASS_E_CLASSNOTAVAILABLE;
    if (IsBoardInstalled(NULL) == 0)
        return CLASS_E_CLASSNOTAVAILABLE;

    factory = new (std::nothrow) ClassFactory();
    if (factory == NULL)
        return E_OUTOFMEMORY;
    result = factory->QueryInterface(riid, ppv);
    factory->Release();
    return result;
}

// The library may go once no class object, extension object or page lives.
extern "C" HRESULT WINAPI DllCanUnloadNow(void)
{
    return serverObjectCount == 0 ? S_OK : S_FALSE;
}
