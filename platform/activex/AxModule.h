// The module side of a control server: the class table that
// DllGetClassObject serves, self-registration, and the module object whose
// InitInstance and ExitInstance run when the DLL is loaded and unloaded.
// DllCanUnloadNow answers from the module count of the COM foundation.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>

// One creatable class of the module.
struct AxClassEntry {
    const CLSID *pClsid;
    // Creates a new object and queries it for riid.
    HRESULT (*pfnCreateInstance)(REFIID riid, void **ppv);
    // Writes (bRegister) or removes the class's registry entries.
    HRESULT (*pfnUpdateRegistry)(HINSTANCE hInstance, BOOL bRegister);
};

// Self-registration: the type library of hInstance's TYPELIB resource 1
// first, then every class in order. Stops at the first failing step:
// SELFREG_E_TYPELIB when the type library cannot be (un)registered,
// SELFREG_E_CLASS when a class's registry step fails, else S_OK.
HRESULT AxRegisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries);
HRESULT AxUnregisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries);

// The module object of a control server. A server defines one instance of
// a class derived from it; the DLL's exports forward to it.
class CAxModule {
public:
    CAxModule(const AxClassEntry *pEntries, size_t nEntries);
    virtual ~CAxModule();

    CAxModule(const CAxModule &) = delete;
    CAxModule &operator=(const CAxModule &) = delete;

    // Module start-up and shut-down; the defaults succeed and do nothing.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The four exports and the DLL entry point.
    BOOL DllMain(HINSTANCE hInstance, DWORD dwReason);
    HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv);
    HRESULT DllCanUnloadNow();
    HRESULT DllRegisterServer();
    HRESULT DllUnregisterServer();

private:
    const AxClassEntry *m_pEntries;
    size_t m_nEntries;
};
