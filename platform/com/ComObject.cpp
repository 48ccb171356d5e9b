#include "ComObject.h"

namespace zt_com {
namespace {

IUnknown *InterfaceAt(void *pObject, std::ptrdiff_t offset)
{
    return reinterpret_cast<IUnknown *>(static_cast<char *>(pObject) + offset);
}

IUnknown *Find(void *pObject, const InterfaceEntry *pTable, REFIID riid)
{
    for (const InterfaceEntry *pEntry = pTable;; ++pEntry) {
        if (!pEntry->piid)
            return pEntry->pNext ? Find(static_cast<char *>(pObject) + pEntry->offset, pEntry->pNext, riid)
                                 : nullptr;
        if (IsEqualIID(riid, *pEntry->piid))
            return InterfaceAt(pObject, pEntry->offset);
    }
}

} // namespace

HRESULT QueryTable(void *pObject, const InterfaceEntry *pTable, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    IUnknown *pFound = IsEqualIID(riid, IID_IUnknown) ? InterfaceAt(pObject, pTable[0].offset)
                                                      : Find(pObject, pTable, riid);
    *ppv = pFound;
    if (!pFound)
        return E_NOINTERFACE;
    pFound->AddRef();
    return S_OK;
}

} // namespace zt_com
