#include "DispArguments.h"

namespace zt_scriptevents {

DispArguments::DispArguments(DISPPARAMS *pDispParams, UINT *puArgErr)
    : m_pDispParams(pDispParams), m_puArgErr(puArgErr)
{
}

HRESULT DispArguments::CheckCount(UINT cMin, UINT cMax) const
{
    if (m_pDispParams == nullptr)
        return cMin == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
    if (m_pDispParams->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const UINT cArgs = m_pDispParams->cArgs;
    return cArgs >= cMin && cArgs <= cMax ? S_OK : DISP_E_BADPARAMCOUNT;
}

bool DispArguments::IsOmitted(UINT uPosition) const
{
    if (m_pDispParams == nullptr || uPosition >= m_pDispParams->cArgs)
        return true;
    const VARIANT &arg = m_pDispParams->rgvarg[m_pDispParams->cArgs - 1 - uPosition];
    return V_VT(&arg) == VT_EMPTY || (V_VT(&arg) == VT_ERROR && V_ERROR(&arg) == DISP_E_PARAMNOTFOUND);
}

HRESULT DispArguments::Convert(UINT uPosition, VARTYPE vt, VARIANT *pResult) const
{
    VariantInit(pResult);
    if (m_pDispParams == nullptr || uPosition >= m_pDispParams->cArgs)
        return DISP_E_PARAMNOTFOUND;
    // rgvarg holds the arguments last to first.
    const UINT uIndex = m_pDispParams->cArgs - 1 - uPosition;
    VARIANT direct;
    VariantInit(&direct);
    HRESULT hr = VariantCopyInd(&direct, &m_pDispParams->rgvarg[uIndex]);
    if (SUCCEEDED(hr))
        hr = VariantChangeType(pResult, &direct, 0, vt);
    VariantClear(&direct);
    if (SUCCEEDED(hr) && vt == VT_DISPATCH && V_DISPATCH(pResult) == nullptr)
        hr = DISP_E_TYPEMISMATCH;
    if (FAILED(hr)) {
        VariantClear(pResult);
        if (m_puArgErr)
            *m_puArgErr = uIndex;
        return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT DispArguments::GetLong(UINT uPosition, LONG *plValue) const
{
    VARIANT value;
    const HRESULT hr = Convert(uPosition, VT_I4, &value);
    if (SUCCEEDED(hr))
        *plValue = V_I4(&value);
    return hr;
}

HRESULT DispArguments::GetString(UINT uPosition, std::wstring *pstrValue) const
{
    VARIANT value;
    const HRESULT hr = Convert(uPosition, VT_BSTR, &value);
    if (SUCCEEDED(hr)) {
        pstrValue->assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        VariantClear(&value);
    }
    return hr;
}

HRESULT DispArguments::GetDispatch(UINT uPosition, IDispatch **ppDispatch) const
{
    VARIANT value;
    const HRESULT hr = Convert(uPosition, VT_DISPATCH, &value);
    // The reference moves from the VARIANT to the caller.
    *ppDispatch = SUCCEEDED(hr) ? V_DISPATCH(&value) : nullptr;
    return hr;
}

} // namespace zt_scriptevents
