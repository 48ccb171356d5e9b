#include "ComServer.h"

#include <new>
#include <string>

namespace zt_com {
namespace {

LONG g_cModuleLocks = 0;

class ClassFactory : public IClassFactory, public RefCounted {
public:
    explicit ClassFactory(CreateInstanceFunction pfnCreate) : m_pfnCreate(pfnCreate) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        return m_pfnCreate(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL bLock) override
    {
        if (bLock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

private:
    CreateInstanceFunction m_pfnCreate;
};

std::wstring GuidText(REFGUID guid)
{
    wchar_t szGuid[40] = {};
    StringFromGUID2(guid, szGuid, ARRAYSIZE(szGuid));
    return szGuid;
}

HRESULT SetString(HKEY hRoot, const std::wstring &strKey, LPCWSTR pszName, const std::wstring &strValue)
{
    HKEY hKey = nullptr;
    LONG lError = RegCreateKeyExW(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                                  nullptr);
    if (lError == ERROR_SUCCESS) {
        lError = RegSetValueExW(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE *>(strValue.c_str()),
                                static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }
    return HRESULT_FROM_WIN32(lError);
}

HRESULT DeleteTree(const std::wstring &strKey)
{
    const LONG lError = RegDeleteTreeW(HKEY_CLASSES_ROOT, strKey.c_str());
    return lError == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(lError);
}

} // namespace

void ModuleAddRef()
{
    InterlockedIncrement(&g_cModuleLocks);
}

void ModuleRelease()
{
    InterlockedDecrement(&g_cModuleLocks);
}

LONG ModuleLockCount()
{
    return g_cModuleLocks;
}

HMODULE ModuleOfAddress(const void *pAddress)
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(pAddress), &hModule);
    return hModule;
}

HRESULT GetClassObject(REFCLSID rclsidAsked, REFIID riid, void **ppv, REFCLSID rclsidServed,
                       CreateInstanceFunction pfnCreate)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (rclsidAsked != rclsidServed)
        return CLASS_E_CLASSNOTAVAILABLE;
    ClassFactory *pFactory = new (std::nothrow) ClassFactory(pfnCreate);
    if (pFactory == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return hr;
}

HRESULT RegisterInprocServer(HMODULE hModule, const InprocServerClass &serverClass)
{
    wchar_t szPath[MAX_PATH];
    const DWORD cch = GetModuleFileNameW(hModule, szPath, ARRAYSIZE(szPath));
    if (cch == 0 || cch == ARRAYSIZE(szPath))
        return E_FAIL;
    const std::wstring strClsid = GuidText(serverClass.clsid);
    const std::wstring strClassKey = L"CLSID\\" + strClsid;
    const std::wstring strProgID = serverClass.pszProgID;
    const std::wstring strIndependent = serverClass.pszVersionIndependentProgID;
    const struct {
        std::wstring strKey;
        LPCWSTR pszName;
        std::wstring strValue;
    } values[] = {
        {strClassKey, nullptr, serverClass.pszDescription},
        {strClassKey + L"\\InprocServer32", nullptr, szPath},
        {strClassKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {strClassKey + L"\\ProgID", nullptr, strProgID},
        {strClassKey + L"\\VersionIndependentProgID", nullptr, strIndependent},
        {strProgID, nullptr, serverClass.pszDescription},
        {strProgID + L"\\CLSID", nullptr, strClsid},
        {strIndependent, nullptr, serverClass.pszDescription},
        {strIndependent + L"\\CLSID", nullptr, strClsid},
        {strIndependent + L"\\CurVer", nullptr, strProgID},
    };
    for (const auto &value : values) {
        const HRESULT hr = SetString(HKEY_CLASSES_ROOT, value.strKey, value.pszName, value.strValue);
        if (FAILED(hr)) {
            UnregisterInprocServer(serverClass);
            return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterInprocServer(const InprocServerClass &serverClass)
{
    HRESULT hrFirstFailure = S_OK;
    for (const std::wstring &strKey :
         {L"CLSID\\" + GuidText(serverClass.clsid), std::wstring(serverClass.pszProgID),
          std::wstring(serverClass.pszVersionIndependentProgID)}) {
        const HRESULT hr = DeleteTree(strKey);
        if (FAILED(hr) && SUCCEEDED(hrFirstFailure))
            hrFirstFailure = hr;
    }
    return hrFirstFailure;
}

HRESULT RaiseAutomationError(EXCEPINFO *pExcepInfo, HRESULT scode, LPCWSTR pszSource,
                             LPCWSTR pszDescription)
{
    if (pExcepInfo == nullptr)
        return scode;
    ZeroMemory(pExcepInfo, sizeof(*pExcepInfo));
    pExcepInfo->bstrSource = SysAllocString(pszSource);
    pExcepInfo->bstrDescription = SysAllocString(pszDescription);
    pExcepInfo->scode = scode;
    return DISP_E_EXCEPTION;
}

} // namespace zt_com
