#include "AxControlPages.h"

STDMETHODIMP CAxControlPages::GetPages(CAUUID *pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    if (m_classInfo.cPropPages == 0)
        return S_OK;
    GUID *pElems = static_cast<GUID *>(CoTaskMemAlloc(m_classInfo.cPropPages * sizeof(GUID)));
    if (!pElems)
        return E_OUTOFMEMORY;
    for (ULONG i = 0; i < m_classInfo.cPropPages; ++i)
        pElems[i] = m_classInfo.pPropPageClsids[i];
    pPages->cElems = m_classInfo.cPropPages;
    pPages->pElems = pElems;
    return S_OK;
}
