#include "AxClassFactory.h"

#include "AxModule.h"

// A factory a host still holds keeps the module loaded: CoFreeUnusedLibraries
// would otherwise unload the code under the host's next call on it.
CAxClassFactory::CAxClassFactory(HRESULT (*pfnCreateInstance)(REFIID, void **))
    : m_cRef(1), m_pfnCreateInstance(pfnCreateInstance)
{
    AxLockModule();
}

CAxClassFactory::~CAxClassFactory()
{
    AxUnlockModule();
}

STDMETHODIMP CAxClassFactory::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CAxClassFactory::AddRef()
{
    return InterlockedIncrement(&m_cRef);
}

STDMETHODIMP_(ULONG) CAxClassFactory::Release()
{
    const LONG cRef = InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    return cRef;
}

STDMETHODIMP CAxClassFactory::CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pOuter)
        return CLASS_E_NOAGGREGATION;
    return m_pfnCreateInstance(riid, ppv);
}

STDMETHODIMP CAxClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        AxLockModule();
    else
        AxUnlockModule();
    return S_OK;
}
