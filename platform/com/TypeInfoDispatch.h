// IDispatch over a type library: the type information an object describes
// itself with (the library registered for the locale, else the one embedded
// in this module as TYPELIB 1), names looked up in it and calls made
// through it. Every object answers alike: one type information (or none,
// for an object without a library), DISP_E_BADINDEX for any other index,
// DISP_E_UNKNOWNINTERFACE for a riid other than IID_NULL.
#pragma once

#include <ocidl.h>
#include <oleauto.h>

namespace zt_com {

class TypeInfoDispatch {
public:
    // An object without a type library: no type information, no names.
    TypeInfoDispatch();
    // iid: the interface, in libid's library, that describes the object.
    TypeInfoDispatch(const GUID &libid, WORD wVerMajor, WORD wVerMinor, const IID &iid);
    ~TypeInfoDispatch();

    TypeInfoDispatch(const TypeInfoDispatch &) = delete;
    TypeInfoDispatch &operator=(const TypeInfoDispatch &) = delete;

    // S_OK once the library and the interface's type information are
    // loaded; E_NOTIMPL for an object without a library.
    HRESULT Load(LCID lcid);
    ITypeLib *GetTypeLib() const { return m_pTypeLib; }

    HRESULT GetTypeInfoCount(UINT *pctinfo) const;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId);
    // DispInvoke on pInterface, the vtable interface the type information describes.
    HRESULT Invoke(void *pInterface, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr);

private:
    // Load, for a call that names riid (only IID_NULL is valid).
    HRESULT LoadFor(REFIID riid, LCID lcid);

    bool m_bHasLibrary;
    GUID m_libid;
    WORD m_wVerMajor;
    WORD m_wVerMinor;
    IID m_iid;
    ITypeLib *m_pTypeLib;
    ITypeInfo *m_pTypeInfo;
};

// IDispatch of Itf (IDispatch itself or a dual interface) over a
// TypeInfoDispatch; an object with a dispatch of its own overrides what differs.
template <class Itf>
class Dispatch : public Itf {
public:
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override { return m_typeInfo.GetTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override
    {
        return m_typeInfo.GetTypeInfo(iTInfo, lcid, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                               DISPID *rgDispId) override
    {
        return m_typeInfo.GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override
    {
        return m_typeInfo.Invoke(static_cast<Itf *>(this), dispIdMember, riid, lcid, wFlags, pDispParams,
                                 pVarResult, pExcepInfo, puArgErr);
    }

protected:
    Dispatch() = default;
    Dispatch(const GUID &libid, WORD wVerMajor, WORD wVerMinor, const IID &iid)
        : m_typeInfo(libid, wVerMajor, wVerMinor, iid)
    {
    }

    TypeInfoDispatch m_typeInfo;
};

// IProvideClassInfo2 of a coclass in a type library: its type information
// and the IID of its default source interface.
class ProvideClassInfo : public IProvideClassInfo2 {
public:
    STDMETHODIMP GetClassInfo(ITypeInfo **ppTI) override;
    STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID *pGUID) override;

protected:
    ProvideClassInfo(const CLSID &clsid, const GUID &libid, WORD wVerMajor, WORD wVerMinor, const IID &eventIid);

private:
    CLSID m_clsid;
    GUID m_libid;
    WORD m_wVerMajor;
    WORD m_wVerMinor;
    IID m_eventIid;
};

} // namespace zt_com
