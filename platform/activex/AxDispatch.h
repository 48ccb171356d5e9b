// IDispatch::Invoke of an object whose public interface is a pure dispinterface.
//
// ITypeInfo::Invoke can only call through a vtable, so the object also
// implements a hidden vtable interface with the same DISPIDs, and calls are
// handed to DispInvoke over that interface's type information. Names and
// the type information hosts see come from the dispinterface.
//
// Three things are done here rather than by DispInvoke:
// - An argument with an undefined type code, or a reference holding a null
//   pointer, is refused (DISP_E_BADVARTYPE, DISP_E_TYPEMISMATCH, with
//   puArgErr) before anything reads it.
// - A property put on a member that has no put function is refused with
//   DISP_E_MEMBERNOTFOUND: IDispatch::Invoke's documented answer for "tried
//   to set the value of a read-only property", which VBScript and JScript
//   report as the standard "object doesn't support this property" error.
// - A by-reference VARIANT parameter (VARIANT*) receives a temporary when
//   the caller passed a plain value or a reference of another type (JScript
//   always passes values; Wine's ITypeInfo::Invoke rejects them with
//   DISP_E_TYPEMISMATCH). A reference of another type gets the result back,
//   converted to its type.
#pragma once

#include <ole2.h>

#include <map>
#include <vector>

#include "TypeInfoDispatch.h"

class CAxDispatchTable {
public:
    // vtblIid: the hidden vtable interface, in the library of the object's
    // dispinterface.
    explicit CAxDispatchTable(const IID &vtblIid);
    ~CAxDispatchTable();

    CAxDispatchTable(const CAxDispatchTable &) = delete;
    CAxDispatchTable &operator=(const CAxDispatchTable &) = delete;

    // dispatch: the object's dispinterface, whose library holds the vtable
    // interface; pTarget: the object's hidden vtable interface.
    HRESULT Invoke(zt_com::TypeInfoDispatch &dispatch, IUnknown *pTarget, DISPID dispIdMember, REFIID riid,
                   LCID lcid, WORD wFlags, DISPPARAMS *pDispParams, VARIANT *pVarResult,
                   EXCEPINFO *pExcepInfo, UINT *puArgErr);

private:
    struct Member {
        INVOKEKIND invkinds = static_cast<INVOKEKIND>(0);  // or-ed over its functions
        std::vector<bool> byRefVariant;                     // per parameter: VARIANT*
    };

    HRESULT Load(zt_com::TypeInfoDispatch &dispatch, LCID lcid);
    const Member *FindMember(DISPID dispid) const;
    void IndexMembers();

    IID m_vtblIid;
    ITypeInfo *m_pVtblInfo;
    std::map<DISPID, Member> m_members;
};
