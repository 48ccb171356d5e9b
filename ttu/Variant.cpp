#include "Variant.h"

SAFEARRAY *CreateVariantArray(ULONG cElements)
{
    SAFEARRAYBOUND bound = {cElements, 0};
    return SafeArrayCreate(VT_VARIANT, 1, &bound);
}

namespace {
// SafeArrayPutElement copies the VARIANT, so the temporary is cleared here.
HRESULT PutArrayVariant(SAFEARRAY *psa, LONG lIndex, VARIANT &var)
{
    HRESULT hr = SafeArrayPutElement(psa, &lIndex, &var);
    VariantClear(&var);
    return hr;
}
} // namespace

HRESULT PutArrayString(SAFEARRAY *psa, LONG lIndex, LPCWSTR lpszText)
{
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_BSTR;
    var.bstrVal = SysAllocString(lpszText ? lpszText : L"");
    if (!var.bstrVal)
        return E_OUTOFMEMORY;
    return PutArrayVariant(psa, lIndex, var);
}

HRESULT PutArrayShort(SAFEARRAY *psa, LONG lIndex, SHORT sValue)
{
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_I2;
    var.iVal = sValue;
    return PutArrayVariant(psa, lIndex, var);
}

SAFEARRAY *CreateStringArray(const std::vector<std::wstring> &strings)
{
    SAFEARRAY *psa = CreateVariantArray(static_cast<ULONG>(strings.size()));
    if (!psa)
        return nullptr;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (FAILED(PutArrayString(psa, static_cast<LONG>(i), strings[i].c_str()))) {
            SafeArrayDestroy(psa);
            return nullptr;
        }
    }
    return psa;
}
