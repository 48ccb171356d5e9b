/*
 * The arguments of an IDispatch::Invoke read in the order the caller wrote
 * them, converted to what a method takes, with the failing position reported
 * through puArgErr as automation expects. Arguments passed by reference (a
 * VBScript variable) are read through.
 */
#ifndef ZT_SCRIPTEVENTS_DISPARGUMENTS_H
#define ZT_SCRIPTEVENTS_DISPARGUMENTS_H

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace zt_scriptevents {

class DispArguments {
public:
    DispArguments(DISPPARAMS *pDispParams, UINT *puArgErr);

    // DISP_E_BADPARAMCOUNT unless cMin <= count <= cMax; named arguments
    // are refused (DISP_E_NONAMEDARGS).
    HRESULT CheckCount(UINT cMin, UINT cMax) const;
    // Missing or left out (VT_ERROR DISP_E_PARAMNOTFOUND, VT_EMPTY).
    bool IsOmitted(UINT uPosition) const;

    HRESULT GetLong(UINT uPosition, LONG *plValue) const;
    HRESULT GetString(UINT uPosition, std::wstring *pstrValue) const;
    // An object; null (Nothing, null) is a type mismatch. The caller
    // releases *ppDispatch.
    HRESULT GetDispatch(UINT uPosition, IDispatch **ppDispatch) const;

private:
    HRESULT Convert(UINT uPosition, VARTYPE vt, VARIANT *pResult) const;

    DISPPARAMS *m_pDispParams;
    UINT *m_puArgErr;
};

} // namespace zt_scriptevents

#endif
