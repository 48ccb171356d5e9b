#include "AxModule.h"

#include <olectl.h>

#include "AxRegistry.h"
#include "ClassFactory.h"
#include "ComModule.h"

namespace {

// The type library first, then every class in order; stops at the first
// failing step.
HRESULT UpdateServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries, BOOL bRegister)
{
    if (FAILED(AxUpdateTypeLib(hInstance, bRegister)))
        return SELFREG_E_TYPELIB;
    for (size_t i = 0; i < nEntries; ++i) {
        if (FAILED(pEntries[i].pfnUpdateRegistry(hInstance, bRegister)))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

} // namespace

HRESULT AxRegisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries)
{
    return UpdateServer(hInstance, pEntries, nEntries, TRUE);
}

HRESULT AxUnregisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries)
{
    return UpdateServer(hInstance, pEntries, nEntries, FALSE);
}

CAxModule::CAxModule(const AxClassEntry *pEntries, size_t nEntries)
    : m_pEntries(pEntries), m_nEntries(nEntries)
{
}

CAxModule::~CAxModule() = default;

BOOL CAxModule::InitInstance()
{
    return TRUE;
}

int CAxModule::ExitInstance()
{
    return 0;
}

BOOL CAxModule::DllMain(HINSTANCE hInstance, DWORD dwReason)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(hInstance);
        return InitInstance();
    case DLL_PROCESS_DETACH:
        ExitInstance();
        return TRUE;
    default:
        return TRUE;
    }
}

HRESULT CAxModule::DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    return zt_com::GetClassObject(m_pEntries, m_nEntries, rclsid, riid, ppv);
}

HRESULT CAxModule::DllCanUnloadNow()
{
    return zt_com::CanUnloadModule();
}

HRESULT CAxModule::DllRegisterServer()
{
    return AxRegisterServer(zt_com::ThisModule(), m_pEntries, m_nEntries);
}

HRESULT CAxModule::DllUnregisterServer()
{
    return AxUnregisterServer(zt_com::ThisModule(), m_pEntries, m_nEntries);
}
