#include "AxControlDispatch.h"

CAxControlDispatch::CAxControlDispatch(const AxControlClassInfo &classInfo)
    : zt_com::Dispatch<IDispatch>(*classInfo.pLibID, classInfo.wVerMajor, classInfo.wVerMinor,
                                  *classInfo.pDispIID),
      m_vtable(*classInfo.pVtblIID)
{
}

STDMETHODIMP CAxControlDispatch::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                        DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                        UINT *puArgErr)
{
    // A host may release its last reference from inside the call (an event
    // handler); the object stays alive until the call is over.
    AddRef();
    const HRESULT hr = m_vtable.Invoke(m_typeInfo, GetDispatchTarget(), dispIdMember, riid, lcid, wFlags,
                                       pDispParams, pVarResult, pExcepInfo, puArgErr);
    Release();
    return hr;
}
