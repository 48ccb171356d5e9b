// CVariant: a VARIANT that clears itself. Copies are deep (VariantCopy), so
// an array handed out to the host or kept by another instance never shares
// its SAFEARRAY with the one held here.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

class CVariant {
public:
    CVariant() { VariantInit(&m_var); }
    CVariant(const CVariant &other) : CVariant()
    {
        VariantCopy(&m_var, const_cast<VARIANT *>(&other.m_var));
    }
    CVariant &operator=(const CVariant &other)
    {
        if (this != &other)
            VariantCopy(&m_var, const_cast<VARIANT *>(&other.m_var)); // clears m_var first
        return *this;
    }
    ~CVariant() { VariantClear(&m_var); }

    void Clear() { VariantClear(&m_var); }
    // Takes ownership of psa as VT_ARRAY | VT_VARIANT.
    void AttachArray(SAFEARRAY *psa)
    {
        VariantClear(&m_var);
        m_var.vt = VT_ARRAY | VT_VARIANT;
        m_var.parray = psa;
    }
    // A copy into a VARIANT the caller owns; its earlier content is cleared.
    HRESULT CopyTo(VARIANT *pvarDest) const
    {
        return VariantCopy(pvarDest, const_cast<VARIANT *>(&m_var));
    }

    const VARIANT &Get() const { return m_var; }
    VARTYPE Type() const { return m_var.vt; }

private:
    VARIANT m_var;
};

// A one-dimensional SAFEARRAY of VT_VARIANT, lower bound 0, of cElements
// elements (each VT_EMPTY); null when it cannot be created.
SAFEARRAY *CreateVariantArray(ULONG cElements);
// Puts a VT_BSTR copy of the text (or a VT_I2) at the index; the element's
// earlier content is released.
HRESULT PutArrayString(SAFEARRAY *psa, LONG lIndex, LPCWSTR lpszText);
HRESULT PutArrayShort(SAFEARRAY *psa, LONG lIndex, SHORT sValue);
// A one-dimensional VT_BSTR array of these strings; null when it cannot be
// created.
SAFEARRAY *CreateStringArray(const std::vector<std::wstring> &strings);
