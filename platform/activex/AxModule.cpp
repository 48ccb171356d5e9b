#include "AxModule.h"

#include <olectl.h>

#include <new>

#include "AxClassFactory.h"
#include "AxRegistry.h"

namespace {
LONG g_cModuleLocks = 0;
}

void AxLockModule()
{
    InterlockedIncrement(&g_cModuleLocks);
}

void AxUnlockModule()
{
    InterlockedDecrement(&g_cModuleLocks);
}

LONG AxGetModuleLockCount()
{
    return InterlockedCompareExchange(&g_cModuleLocks, 0, 0);
}

HINSTANCE AxGetModuleInstance()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&AxGetModuleInstance), &hModule);
    return hModule;
}

HRESULT AxRegisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries)
{
    if (FAILED(AxRegisterTypeLib(hInstance)))
        return SELFREG_E_TYPELIB;
    for (size_t i = 0; i < nEntries; ++i) {
        if (FAILED(pEntries[i].pfnUpdateRegistry(hInstance, TRUE)))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT AxUnregisterServer(HINSTANCE hInstance, const AxClassEntry *pEntries, size_t nEntries)
{
    if (FAILED(AxUnregisterTypeLib(hInstance)))
        return SELFREG_E_TYPELIB;
    for (size_t i = 0; i < nEntries; ++i) {
        if (FAILED(pEntries[i].pfnUpdateRegistry(hInstance, FALSE)))
            return SELFREG_E_CLASS;
    }
    return S_OK;
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
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < m_nEntries; ++i) {
        if (IsEqualCLSID(rclsid, *m_pEntries[i].pClsid)) {
            CAxClassFactory *pFactory = new (std::nothrow) CAxClassFactory(m_pEntries[i].pfnCreateInstance);
            if (!pFactory)
                return E_OUTOFMEMORY;
            const HRESULT hr = pFactory->QueryInterface(riid, ppv);
            pFactory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CAxModule::DllCanUnloadNow()
{
    return AxGetModuleLockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT CAxModule::DllRegisterServer()
{
    return AxRegisterServer(AxGetModuleInstance(), m_pEntries, m_nEntries);
}

HRESULT CAxModule::DllUnregisterServer()
{
    return AxUnregisterServer(AxGetModuleInstance(), m_pEntries, m_nEntries);
}
