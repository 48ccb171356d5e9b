#include "ClassFactory.h"

#include "ComObject.h"

namespace zt_com {
namespace {

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(CreateFunction pfnCreate) : m_pfnCreate(pfnCreate) {}

    static const InterfaceEntry *Interfaces()
    {
        static const InterfaceEntry s_table[] = {
            Entry<ClassFactory, IClassFactory>(IID_IClassFactory),
            EndOfTable(),
        };
        return s_table;
    }

    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        return m_pfnCreate(riid, ppv);
    }

    STDMETHODIMP LockServer(BOOL fLock) override
    {
        if (fLock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    CreateFunction m_pfnCreate;
};

} // namespace

HRESULT CreateClassFactory(CreateFunction pfnCreate, REFIID riid, void **ppv)
{
    return CreateInstance<ClassFactory>(riid, ppv, pfnCreate);
}

} // namespace zt_com
