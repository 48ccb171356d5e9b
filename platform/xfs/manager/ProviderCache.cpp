#include "ProviderCache.h"

#include "CriticalSectionLock.h"
#include "ProviderLibrary.h"

#include <new>

CProviderLibrary *CProviderCache::Find(const std::string &strDllPath) const
{
    for (CProviderLibrary *pProvider : m_providers)
        if (lstrcmpiA(pProvider->DllPath().c_str(), strDllPath.c_str()) == 0)
            return pProvider;
    return nullptr;
}

HRESULT CProviderCache::Get(const std::string &strDllPath, CProviderLibrary **ppProvider)
{
    {
        CCriticalSectionLock lock(m_cs);
        if ((*ppProvider = Find(strDllPath)) != nullptr)
            return WFS_SUCCESS;
    }
    // Loaded outside the lock: the provider's DllMain must not wait for it.
    CProviderLibrary *pLoaded = nullptr;
    HRESULT hr = CProviderLibrary::Load(strDllPath, &pLoaded);
    if (hr != WFS_SUCCESS)
        return hr;
    CCriticalSectionLock lock(m_cs);
    if ((*ppProvider = Find(strDllPath)) != nullptr) {
        delete pLoaded; // another thread was quicker; drop our reference
        return WFS_SUCCESS;
    }
    try {
        m_providers.push_back(pLoaded);
    } catch (const std::bad_alloc &) {
        delete pLoaded;
        return WFS_ERR_OUT_OF_MEMORY;
    }
    *ppProvider = pLoaded;
    return WFS_SUCCESS;
}

std::vector<CProviderLibrary *> CProviderCache::TakeAll()
{
    std::vector<CProviderLibrary *> providers;
    CCriticalSectionLock lock(m_cs);
    providers.swap(m_providers);
    return providers;
}

void CProviderCache::Unload(const std::vector<CProviderLibrary *> &providers)
{
    std::vector<CProviderLibrary *> kept;
    for (CProviderLibrary *pProvider : providers) {
        if (pProvider->Unload())
            delete pProvider;
        else
            kept.push_back(pProvider);
    }
    CCriticalSectionLock lock(m_cs);
    m_providers.insert(m_providers.end(), kept.begin(), kept.end());
}
