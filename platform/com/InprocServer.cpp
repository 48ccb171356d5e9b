#include "InprocServer.h"

#include <string>

#include "ComModule.h"

namespace zt_com {
std::wstring GuidString(REFGUID guid)
{
    wchar_t szGuid[40] = {};
    StringFromGUID2(guid, szGuid, ARRAYSIZE(szGuid));
    return szGuid;
}

HRESULT SetClassesRootString(const std::wstring &strKey, LPCWSTR pszName, const std::wstring &strValue)
{
    HKEY hKey = nullptr;
    LONG lError = RegCreateKeyExW(HKEY_CLASSES_ROOT, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &hKey, nullptr);
    if (lError == ERROR_SUCCESS) {
        lError = RegSetValueExW(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE *>(strValue.c_str()),
                                static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }
    return HRESULT_FROM_WIN32(lError);
}

HRESULT DeleteClassesRootTree(const std::wstring &strKey)
{
    const LONG lError = RegDeleteTreeW(HKEY_CLASSES_ROOT, strKey.c_str());
    return lError == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(lError);
}


HRESULT RegisterInprocServer(const InprocServerClass &serverClass)
{
    const std::wstring strPath = ModulePath(ThisModule());
    if (strPath.empty())
        return E_FAIL;
    const std::wstring strClsid = GuidString(*serverClass.pClsid);
    const std::wstring strClassKey = L"CLSID\\" + strClsid;
    const std::wstring strProgID = serverClass.pszProgID;
    const std::wstring strIndependent = serverClass.pszVersionIndependentProgID;
    const struct {
        std::wstring strKey;
        LPCWSTR pszName;
        std::wstring strValue;
    } values[] = {
        {strClassKey, nullptr, serverClass.pszDescription},
        {strClassKey + L"\\InprocServer32", nullptr, strPath},
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
        const HRESULT hr = SetClassesRootString(value.strKey, value.pszName, value.strValue);
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
         {L"CLSID\\" + GuidString(*serverClass.pClsid), std::wstring(serverClass.pszProgID),
          std::wstring(serverClass.pszVersionIndependentProgID)}) {
        const HRESULT hr = DeleteClassesRootTree(strKey);
        if (FAILED(hr) && SUCCEEDED(hrFirstFailure))
            hrFirstFailure = hr;
    }
    return hrFirstFailure;
}

} // namespace zt_com
