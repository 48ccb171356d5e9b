// Late-bound calls into an automation object: what a script engine does for
// `panel.Write(0, 0, "", "HELLO")`, written out in C++.
#ifndef ZT_EXAMPLES_AUTOMATION_H
#define ZT_EXAMPLES_AUTOMATION_H

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>

namespace terminal {

// A VARIANT that clears itself; built from the argument types the control
// takes (numbers and strings).
class Variant {
public:
    Variant() { VariantInit(&m_v); }
    Variant(long lValue) : Variant() { V_VT(&m_v) = VT_I4; V_I4(&m_v) = lValue; }
    Variant(int nValue) : Variant(static_cast<long>(nValue)) {}
    Variant(const wchar_t *pszValue) : Variant()
    {
        V_VT(&m_v) = VT_BSTR;
        V_BSTR(&m_v) = SysAllocString(pszValue);
    }
    Variant(const std::wstring &strValue) : Variant(strValue.c_str()) {}
    Variant(const Variant &other) : Variant() { VariantCopy(&m_v, const_cast<VARIANT *>(&other.m_v)); }
    Variant &operator=(const Variant &) = delete;
    ~Variant() { VariantClear(&m_v); }

    VARIANT *get() { return &m_v; }
    const VARIANT *get() const { return &m_v; }
    long AsLong() const;
    std::wstring AsText() const;

private:
    VARIANT m_v;
};

// A reference to an object's IDispatch, with calls by member name.
class DispatchObject {
public:
    explicit DispatchObject(IDispatch *pDispatch = nullptr);
    DispatchObject(const DispatchObject &) = delete;
    DispatchObject &operator=(const DispatchObject &) = delete;
    ~DispatchObject();

    // Creates the object registered under a ProgID (CLSIDFromProgID, then
    // CoCreateInstance for IDispatch). Throws std::runtime_error on failure.
    static IDispatch *Create(const wchar_t *pszProgID);

    // Calls a method; a failed call (HRESULT) throws std::runtime_error.
    Variant Call(const wchar_t *pszName, std::initializer_list<Variant> args = {});
    long CallLong(const wchar_t *pszName, std::initializer_list<Variant> args = {})
    {
        return Call(pszName, args).AsLong();
    }
    Variant Get(const wchar_t *pszName);

    IDispatch *get() const { return m_pDispatch; }

private:
    Variant Invoke(const wchar_t *pszName, WORD wFlags, std::initializer_list<Variant> args);

    IDispatch *m_pDispatch;
};

// "what failed: 0x80004001" style text for an HRESULT.
std::string DescribeFailure(const std::wstring &strWhat, HRESULT hr);
std::string Utf8(const std::wstring &strText);

} // namespace terminal

#endif
