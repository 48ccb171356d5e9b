// How the control's dispatch members hand values back: results, strings and
// Booleans stored through the caller's out-pointer. Direct vtable callers may
// pass a null pointer; they get E_POINTER, never a crash. Automation callers
// (DispInvoke) always pass one.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// A BSTR as the wide text it stands for: null is the empty string.
inline LPCWSTR Wide(BSTR bstr)
{
    return bstr ? bstr : L"";
}

// An automation Boolean as the 0 or 1 the service and the trace take.
inline BOOL IsTrue(VARIANT_BOOL bValue)
{
    return bValue != VARIANT_FALSE ? TRUE : FALSE;
}

template <typename T> HRESULT StoreValue(T *pValue, T value)
{
    if (!pValue)
        return E_POINTER;
    *pValue = value;
    return S_OK;
}

inline HRESULT StoreResult(LONG *pResult, HRESULT hResult)
{
    return StoreValue<LONG>(pResult, hResult);
}

inline HRESULT StoreBool(VARIANT_BOOL *pValue, BOOL bValue)
{
    return StoreValue<VARIANT_BOOL>(pValue, bValue ? VARIANT_TRUE : VARIANT_FALSE);
}

// A new BSTR the caller owns.
inline HRESULT StoreString(BSTR *pValue, const std::wstring &strValue)
{
    if (!pValue)
        return E_POINTER;
    *pValue = SysAllocStringLen(strValue.data(), static_cast<UINT>(strValue.size()));
    return *pValue ? S_OK : E_OUTOFMEMORY;
}
