#include "ProviderLibrary.h"

#include <new>

namespace {

template <typename Fn> bool Bind(HMODULE hModule, LPCSTR lpszName, Fn &pfn)
{
    pfn = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(hModule, lpszName)));
    return pfn != nullptr;
}

} // namespace

CProviderLibrary::CProviderLibrary(HMODULE hModule, const std::string &strDllPath)
    : m_hModule(hModule), m_strDllPath(strDllPath)
{
}

CProviderLibrary::~CProviderLibrary()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

bool CProviderLibrary::BindAll()
{
    return Bind(m_hModule, "WFPOpen", Open) && Bind(m_hModule, "WFPClose", Close) &&
           Bind(m_hModule, "WFPLock", Lock) && Bind(m_hModule, "WFPUnlock", Unlock) &&
           Bind(m_hModule, "WFPRegister", Register) &&
           Bind(m_hModule, "WFPDeregister", Deregister) &&
           Bind(m_hModule, "WFPExecute", Execute) && Bind(m_hModule, "WFPGetInfo", GetInfo) &&
           Bind(m_hModule, "WFPCancelAsyncRequest", CancelAsyncRequest) &&
           Bind(m_hModule, "WFPSetTraceLevel", SetTraceLevel) &&
           Bind(m_hModule, "WFPUnloadService", UnloadService);
}

HRESULT CProviderLibrary::Load(const std::string &strDllPath, CProviderLibrary **ppLibrary)
{
    *ppLibrary = nullptr;
    // No error box for a missing DLL: a terminal has nobody to click it away.
    UINT uOldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // A provider given by its path finds its own dependencies beside it.
    DWORD dwFlags = strDllPath.find_first_of("\\/:") != std::string::npos
                        ? LOAD_WITH_ALTERED_SEARCH_PATH
                        : 0;
    HMODULE hModule = LoadLibraryExA(strDllPath.c_str(), nullptr, dwFlags);
    SetErrorMode(uOldMode);
    if (!hModule)
        return WFS_ERR_INVALID_SERVPROV;
    CProviderLibrary *pLibrary = new (std::nothrow) CProviderLibrary(hModule, strDllPath);
    if (!pLibrary) {
        FreeLibrary(hModule);
        return WFS_ERR_OUT_OF_MEMORY;
    }
    if (!pLibrary->BindAll()) {
        delete pLibrary;
        return WFS_ERR_INVALID_SERVPROV;
    }
    *ppLibrary = pLibrary;
    return WFS_SUCCESS;
}

bool CProviderLibrary::Unload()
{
    if (UnloadService() != WFS_SUCCESS)
        return false;
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
    return true;
}
