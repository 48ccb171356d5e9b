// The class object DllGetClassObject hands out for one class of the module.
// Each one counts as a module lock for as long as it lives.
#pragma once

#include <ole2.h>

class CAxClassFactory : public IClassFactory {
public:
    explicit CAxClassFactory(HRESULT (*pfnCreateInstance)(REFIID, void **));

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Aggregation is refused (CLASS_E_NOAGGREGATION): the framework's
    // objects have no controlling-unknown support.
    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    virtual ~CAxClassFactory();

    LONG m_cRef;
    HRESULT (*m_pfnCreateInstance)(REFIID, void **);
};
