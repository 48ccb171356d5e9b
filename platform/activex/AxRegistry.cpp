#include "AxRegistry.h"

#include "ComModule.h"
#include "InprocServer.h"

#include <oleauto.h>

#include <vector>

namespace {

struct RegValue {
    std::wstring strKey;
    LPCWSTR pszName;  // null: the key's default value
    std::wstring strValue;
};

HRESULT WriteValues(const std::vector<RegValue> &values)
{
    for (const RegValue &value : values) {
        const HRESULT hr = zt_com::SetClassesRootString(value.strKey, value.pszName, value.strValue);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CreateEmptyKey(const std::wstring &strKey)
{
    HKEY hKey = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, strKey.c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &hKey, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    RegCloseKey(hKey);
    return S_OK;
}

std::wstring VersionIndependent(const std::wstring &strProgID)
{
    const size_t nDot = strProgID.rfind(L'.');
    if (nDot == std::wstring::npos || nDot + 1 == strProgID.size() ||
        strProgID.find_first_not_of(L"0123456789", nDot + 1) != std::wstring::npos)
        return strProgID;
    return strProgID.substr(0, nDot);
}

// The class key, its server and the ProgID keys common to every class.
std::vector<RegValue> ServerValues(HINSTANCE hInstance, REFCLSID clsid, LPCWSTR pszProgID,
                                   const std::wstring &strTypeName, LPCWSTR pszThreading)
{
    const std::wstring strClsid = zt_com::GuidString(clsid);
    const std::wstring strClassKey = L"CLSID\\" + strClsid;
    std::vector<RegValue> values = {
        {strClassKey, nullptr, strTypeName},
        {strClassKey + L"\\InprocServer32", nullptr, zt_com::ModulePath(hInstance)},
        {strClassKey + L"\\InprocServer32", L"ThreadingModel", pszThreading},
    };
    if (pszProgID && *pszProgID) {
        const std::wstring strProgID = pszProgID;
        const std::wstring strIndependent = VersionIndependent(strProgID);
        values.push_back({strClassKey + L"\\ProgID", nullptr, strProgID});
        values.push_back({strProgID, nullptr, strTypeName});
        values.push_back({strProgID + L"\\CLSID", nullptr, strClsid});
        if (strIndependent != strProgID) {
            values.push_back({strClassKey + L"\\VersionIndependentProgID", nullptr, strIndependent});
            values.push_back({strIndependent, nullptr, strTypeName});
            values.push_back({strIndependent + L"\\CLSID", nullptr, strClsid});
            values.push_back({strIndependent + L"\\CurVer", nullptr, strProgID});
        }
    }
    return values;
}

// LoadTypeLibEx on a module path reads its TYPELIB resource 1.
HRESULT LoadModuleTypeLib(HINSTANCE hInstance, ITypeLib **ppTypeLib)
{
    return LoadTypeLibEx(zt_com::ModulePath(hInstance).c_str(), REGKIND_NONE, ppTypeLib);
}

} // namespace

std::wstring AxLoadString(HINSTANCE hInstance, UINT nID)
{
    LPCWSTR pszResource = nullptr;
    const int cch = LoadStringW(hInstance, nID, reinterpret_cast<LPWSTR>(&pszResource), 0);
    return cch > 0 ? std::wstring(pszResource, cch) : std::wstring();
}

HRESULT AxRegisterControlClass(HINSTANCE hInstance, const AxControlRegistration &reg)
{
    const std::wstring strClassKey = L"CLSID\\" + zt_com::GuidString(*reg.pClsid);
    const std::wstring strModule = zt_com::ModulePath(hInstance);
    LPCWSTR pszThreading = (reg.dwFlags & AX_REG_FREE_THREADING) ? L"Free"
                           : (reg.dwFlags & AX_REG_APARTMENT_THREADING) ? L"Apartment"
                                                                        : L"Single";
    std::vector<RegValue> values = ServerValues(hInstance, *reg.pClsid, reg.pszProgID,
                                                AxLoadString(hInstance, reg.nTypeNameID), pszThreading);
    values.push_back({strClassKey + L"\\MiscStatus", nullptr, L"0"});
    values.push_back({strClassKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(reg.dwMiscStatus)});
    values.push_back({strClassKey + L"\\ToolboxBitmap32", nullptr,
                      strModule + L", " + std::to_wstring(reg.nToolboxBitmapID)});
    values.push_back({strClassKey + L"\\TypeLib", nullptr, zt_com::GuidString(*reg.pLibID)});
    values.push_back({strClassKey + L"\\Version", nullptr,
                      std::to_wstring(reg.wVerMajor) + L"." + std::to_wstring(reg.wVerMinor)});
    HRESULT hr = WriteValues(values);
    if (SUCCEEDED(hr))
        hr = CreateEmptyKey(strClassKey + L"\\Control");
    if (SUCCEEDED(hr) && (reg.dwFlags & AX_REG_INSERTABLE))
        hr = CreateEmptyKey(strClassKey + L"\\Insertable");
    return hr;
}

HRESULT AxRegisterPropPageClass(HINSTANCE hInstance, REFCLSID clsid, LPCWSTR pszProgID,
                                UINT nTypeNameID)
{
    return WriteValues(ServerValues(hInstance, clsid, pszProgID, AxLoadString(hInstance, nTypeNameID),
                                    L"Apartment"));
}

HRESULT AxUnregisterClass(REFCLSID clsid, LPCWSTR pszProgID)
{
    HRESULT hr = zt_com::DeleteClassesRootTree(L"CLSID\\" + zt_com::GuidString(clsid));
    if (SUCCEEDED(hr) && pszProgID && *pszProgID) {
        const std::wstring strIndependent = VersionIndependent(pszProgID);
        hr = zt_com::DeleteClassesRootTree(pszProgID);
        if (SUCCEEDED(hr) && strIndependent != pszProgID)
            hr = zt_com::DeleteClassesRootTree(strIndependent);
    }
    return hr;
}

HRESULT AxUpdateTypeLib(HINSTANCE hInstance, BOOL bRegister)
{
    ITypeLib *pTypeLib = nullptr;
    HRESULT hr = LoadModuleTypeLib(hInstance, &pTypeLib);
    if (FAILED(hr))
        return hr;
    TLIBATTR *pAttr = nullptr;
    if (bRegister) {
        std::wstring strPath = zt_com::ModulePath(hInstance);
        hr = RegisterTypeLib(pTypeLib, &strPath[0], nullptr);
    } else if (SUCCEEDED(hr = pTypeLib->GetLibAttr(&pAttr))) {
        hr = UnRegisterTypeLib(pAttr->guid, pAttr->wMajorVerNum, pAttr->wMinorVerNum, pAttr->lcid,
                               pAttr->syskind);
        pTypeLib->ReleaseTLibAttr(pAttr);
    }
    pTypeLib->Release();
    return hr;
}
