#include "AxControlPersist.h"

STDMETHODIMP CAxControlPersist::GetClassID(CLSID *pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = *m_control.m_classInfo.pClsid;
    return S_OK;
}

STDMETHODIMP CAxControlPersist::IsDirty()
{
    return m_control.m_bDirty ? S_OK : S_FALSE;
}

STDMETHODIMP CAxControlPersist::Load(LPSTREAM pStm)
{
    if (!pStm)
        return E_POINTER;
    CAxPropExchange px(pStm, true);
    DoPropExchange(px);
    if (SUCCEEDED(px.GetResult()))
        m_control.m_bDirty = false;
    return px.GetResult();
}

STDMETHODIMP CAxControlPersist::Save(LPSTREAM pStm, BOOL fClearDirty)
{
    if (!pStm)
        return E_POINTER;
    CAxPropExchange px(pStm, false);
    DoPropExchange(px);
    if (SUCCEEDED(px.GetResult()) && fClearDirty)
        m_control.m_bDirty = false;
    return px.GetResult();
}

STDMETHODIMP CAxControlPersist::GetSizeMax(ULARGE_INTEGER *pCbSize)
{
    if (!pCbSize)
        return E_POINTER;
    CAxPropExchange px(nullptr, false);
    DoPropExchange(px);
    pCbSize->QuadPart = px.GetSize();
    return S_OK;
}

STDMETHODIMP CAxControlPersist::InitNew()
{
    OnResetState();
    return S_OK;
}

void CAxControlPersist::DoPropExchange(CAxPropExchange &px)
{
    px.ExchangeLong(&m_control.m_sizeExtent.cx);
    px.ExchangeLong(&m_control.m_sizeExtent.cy);
}

void CAxControlPersist::OnResetState()
{
    m_control.m_sizeExtent = m_control.s_defaultExtent;
    m_control.m_bDirty = false;
}
