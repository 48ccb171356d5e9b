#include "ProviderRegistry.h"

#include <map>
#include <mutex>
#include <vector>

#include "RegistryWatch.h"

#include "PanelConfig.h"

namespace {

const wchar_t kLogicalServices[] = L"SOFTWARE\\XFS\\LOGICAL_SERVICES\\";
const wchar_t kServiceProviders[] = L"SOFTWARE\\XFS\\SERVICE_PROVIDERS";

// Each open looks the same values up, and every look-up is a round trip to
// the registry: what was read is kept until anything below SOFTWARE\XFS
// changes, which the watch tells at the price of one look at an event per
// look-up of a configuration (RefreshValues).
struct CCachedValue {
    bool bFound;
    std::wstring strValue;
};
std::mutex g_valuesMutex;
std::map<std::wstring, CCachedValue> g_values;

void RefreshValues()
{
    static CRegistryWatch s_watch(HKEY_LOCAL_MACHINE, L"SOFTWARE\\XFS");
    std::lock_guard<std::mutex> guard(g_valuesMutex);
    if (s_watch.Changed())
        g_values.clear();
}

bool ReadString(const std::wstring &strKey, const wchar_t *pszValue, std::wstring &strOut)
{
    const std::wstring strName = strKey + L'\n' + pszValue;
    std::lock_guard<std::mutex> guard(g_valuesMutex);
    auto it = g_values.find(strName);
    if (it == g_values.end()) {
        wchar_t sz[MAX_PATH * 2];
        DWORD cb = sizeof sz - sizeof(wchar_t);
        const bool bFound = RegGetValueW(HKEY_LOCAL_MACHINE, strKey.c_str(), pszValue,
                                         RRF_RT_REG_SZ, nullptr, sz, &cb) == ERROR_SUCCESS;
        it = g_values.emplace(strName, CCachedValue{bFound, bFound ? sz : L""}).first;
    }
    if (it->second.bFound)
        strOut = it->second.strValue;
    return it->second.bFound;
}

std::wstring ModuleFolder()
{
    wchar_t sz[MAX_PATH];
    DWORD n = GetModuleFileNameW(ThisModule(), sz, MAX_PATH);
    std::wstring str(sz, n);
    size_t slash = str.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : str.substr(0, slash + 1);
}

std::wstring FullPath(const std::wstring &strPath)
{
    std::wstring str = strPath;
    bool bRelative = str.size() < 2 || (str[1] != L':' && str[0] != L'\\' && str[0] != L'/');
    if (bRelative)
        str = ModuleFolder() + str;
    wchar_t sz[MAX_PATH];
    DWORD n = GetFullPathNameW(str.c_str(), MAX_PATH, sz, nullptr);
    return n && n < MAX_PATH ? std::wstring(sz, n) : str;
}

bool ProviderConfigPath(const std::wstring &strProvider, std::wstring &strPath,
                        std::string &strError)
{
    std::wstring strKey = std::wstring(kServiceProviders) + L"\\" + strProvider;
    if (!ReadString(strKey, L"config", strPath)) {
        strError =
            "HKLM\\" + Narrow(strKey) + " has no value \"config\" naming the panel's INI file";
        return false;
    }
    strPath = FullPath(strPath);
    return true;
}

} // namespace

// The linker's symbol for the start of this DLL's image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HMODULE ThisModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

bool ConfigPathForLogicalService(const std::string &strLogicalName, std::wstring &strPath,
                                 std::string &strError)
{
    std::wstring strProvider;
    RefreshValues();
    std::wstring strKey = kLogicalServices + Widen(strLogicalName);
    if (!ReadString(strKey, L"provider", strProvider)) {
        strError = "HKLM\\" + Narrow(strKey) + " has no value \"provider\"";
        return false;
    }
    return ProviderConfigPath(strProvider, strPath, strError);
}

bool FindOwnConfigPath(std::wstring &strPath, std::string &strError)
{
    wchar_t szSelf[MAX_PATH];
    DWORD n = GetModuleFileNameW(ThisModule(), szSelf, MAX_PATH);
    std::wstring strSelf = FullPath(std::wstring(szSelf, n));
    RefreshValues();

    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceProviders, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        wchar_t szName[256];
        for (DWORD i = 0;; ++i) {
            DWORD cch = 256;
            if (RegEnumKeyExW(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            std::wstring strDll;
            std::wstring strProviderKey = std::wstring(kServiceProviders) + L"\\" + szName;
            if (ReadString(strProviderKey, L"dllname", strDll) &&
                _wcsicmp(FullPath(strDll).c_str(), strSelf.c_str()) == 0 &&
                ProviderConfigPath(szName, strPath, strError)) {
                RegCloseKey(hKey);
                return true;
            }
        }
        RegCloseKey(hKey);
    }
    strError = "no service provider under HKLM\\SOFTWARE\\XFS\\SERVICE_PROVIDERS names " +
               Narrow(strSelf) + " with a panel configuration";
    return false;
}
