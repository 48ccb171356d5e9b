/*
 * The provider DLLs this process has loaded, one CProviderLibrary per DLL
 * path, shared by every session that uses it.
 */
#ifndef ZT_XFS_MANAGER_PROVIDERCACHE_H
#define ZT_XFS_MANAGER_PROVIDERCACHE_H

#include <xfsapi.h>

#include <string>
#include <vector>

class CProviderLibrary;

class CProviderCache {
public:
    CProviderCache() { InitializeCriticalSection(&m_cs); }

    // The loaded provider of this path, loading it the first time.
    HRESULT Get(const std::string &strDllPath, CProviderLibrary **ppProvider);
    // Takes every provider out of the cache (at clean-up, with the sessions).
    std::vector<CProviderLibrary *> TakeAll();
    // Asks the providers taken out to unload; those that ask to stay return
    // to the cache and are reused at the next open.
    void Unload(const std::vector<CProviderLibrary *> &providers);

private:
    CProviderLibrary *Find(const std::string &strDllPath) const;

    CRITICAL_SECTION m_cs;
    std::vector<CProviderLibrary *> m_providers;
};

#endif
