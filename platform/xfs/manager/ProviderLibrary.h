/*
 * A loaded service provider DLL, reached only through its SPI exports, so a
 * maker's provider can be configured in place of ours. One instance per DLL
 * path, shared by every session that uses it; it stays loaded until
 * WFSCleanUp: a provider's worker may still be posting the last close
 * completion when its last session ends, and unloading under it would crash
 * the process.
 */
#ifndef ZT_XFS_MANAGER_PROVIDERLIBRARY_H
#define ZT_XFS_MANAGER_PROVIDERLIBRARY_H

#include <xfsspi.h>

#include <string>

class CProviderLibrary {
public:
    // WFS_ERR_INVALID_SERVPROV when the DLL cannot be loaded or lacks an SPI
    // function.
    static HRESULT Load(const std::string &strDllPath, CProviderLibrary **ppLibrary);
    ~CProviderLibrary();
    CProviderLibrary(const CProviderLibrary &) = delete;
    CProviderLibrary &operator=(const CProviderLibrary &) = delete;

    const std::string &DllPath() const { return m_strDllPath; }
    HPROVIDER Handle() { return reinterpret_cast<HPROVIDER>(this); }

    // Asks the provider whether it may go; true when it was unloaded (the
    // object must then be deleted).
    bool Unload();

    PFNWFPOPEN Open = nullptr;
    PFNWFPCLOSE Close = nullptr;
    PFNWFPLOCK Lock = nullptr;
    PFNWFPUNLOCK Unlock = nullptr;
    PFNWFPREGISTER Register = nullptr;
    PFNWFPDEREGISTER Deregister = nullptr;
    PFNWFPEXECUTE Execute = nullptr;
    PFNWFPGETINFO GetInfo = nullptr;
    PFNWFPCANCELASYNCREQUEST CancelAsyncRequest = nullptr;
    PFNWFPSETTRACELEVEL SetTraceLevel = nullptr;
    PFNWFPUNLOADSERVICE UnloadService = nullptr;

private:
    CProviderLibrary(HMODULE hModule, const std::string &strDllPath);
    bool BindAll();

    HMODULE m_hModule;
    std::string m_strDllPath;
};

#endif
