#include "AxControlEvents.h"

#include <olectl.h>

CAxControlEvents::CAxControlEvents(const AxControlClassInfo &classInfo)
    : zt_com::ProvideClassInfo(*classInfo.pClsid, *classInfo.pLibID, classInfo.wVerMajor, classInfo.wVerMinor,
                               *classInfo.pEventIID),
      m_eventPoint(this, *classInfo.pEventIID)
{
}

CAxControlEvents::~CAxControlEvents()
{
    m_eventPoint.UnadviseAll();
}

STDMETHODIMP CAxControlEvents::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    IConnectionPoint *pPoint = &m_eventPoint;
    return AxCreateConnectionPointEnum(&pPoint, 1, ppEnum);
}

STDMETHODIMP CAxControlEvents::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    if (!IsEqualIID(riid, m_eventPoint.GetIID()))
        return CONNECT_E_NOCONNECTION;
    m_eventPoint.AddRef();
    *ppCP = &m_eventPoint;
    return S_OK;
}
