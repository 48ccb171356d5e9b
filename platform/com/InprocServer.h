// A plain in-process server of one automation class (no control, no type
// library registered): its class object and its registry entries with the
// ProgIDs. The module's four exports forward here.
#pragma once

#include "ClassFactory.h"
#include "ComModule.h"

#include <string>

namespace zt_com {

struct InprocServerClass {
    const CLSID *pClsid;
    CreateFunction pfnCreateInstance;
    LPCWSTR pszDescription;
    LPCWSTR pszProgID;                   // versioned, "Vendor.Name.1"
    LPCWSTR pszVersionIndependentProgID; // "Vendor.Name"
};

// The four exports of a module that serves one class.
#define ZT_COM_INPROC_SERVER_EXPORTS(serverClass)                                                             \
    STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)                                        \
    {                                                                                                         \
        return zt_com::GetClassObject(&(serverClass), 1, rclsid, riid, ppv);                                  \
    }                                                                                                         \
    STDAPI DllCanUnloadNow()                                                                                  \
    {                                                                                                         \
        return zt_com::CanUnloadModule();                                                                     \
    }                                                                                                         \
    STDAPI DllRegisterServer()                                                                                \
    {                                                                                                         \
        return zt_com::RegisterInprocServer(serverClass);                                                     \
    }                                                                                                         \
    STDAPI DllUnregisterServer()                                                                              \
    {                                                                                                         \
        return zt_com::UnregisterInprocServer(serverClass);                                                   \
    }

// Apartment-threaded, at the path of the module this code is linked into.
// A failed registration leaves nothing behind.
HRESULT RegisterInprocServer(const InprocServerClass &serverClass);
HRESULT UnregisterInprocServer(const InprocServerClass &serverClass);

// "{xxxxxxxx-...}"
std::wstring GuidString(REFGUID guid);
// A string value (pszName null: the default value) under HKEY_CLASSES_ROOT,
// the key created as needed.
HRESULT SetClassesRootString(const std::wstring &strKey, LPCWSTR pszName, const std::wstring &strValue);
// A key of HKEY_CLASSES_ROOT and all below it; one already absent is no error.
HRESULT DeleteClassesRootTree(const std::wstring &strKey);

} // namespace zt_com
