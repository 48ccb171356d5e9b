// The class objects DllGetClassObject hands out. A factory counts as a
// module lock for as long as it lives: a host that still holds one would
// otherwise have the code unloaded under its next call on it.
#pragma once

#include <ole2.h>

#include <cstddef>

namespace zt_com {

// Creates a new object and queries it for riid (CreateInstance<T> is one).
typedef HRESULT (*CreateFunction)(REFIID riid, void **ppv);

struct ClassEntry {
    const CLSID *pClsid;
    CreateFunction pfnCreateInstance;
};

// A new factory over pfnCreate, queried for riid. Its CreateInstance refuses
// aggregation (CLASS_E_NOAGGREGATION): no object here has a controlling
// unknown.
HRESULT CreateClassFactory(CreateFunction pfnCreate, REFIID riid, void **ppv);

// DllGetClassObject over a table of classes (entries with pClsid and
// pfnCreateInstance); CLASS_E_CLASSNOTAVAILABLE for a class not in it.
template <class Entry>
HRESULT GetClassObject(const Entry *pEntries, std::size_t nEntries, REFCLSID rclsid, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < nEntries; ++i) {
        if (IsEqualCLSID(rclsid, *pEntries[i].pClsid))
            return CreateClassFactory(pEntries[i].pfnCreateInstance, riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace zt_com
