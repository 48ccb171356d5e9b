#include "AxDispatch.h"

#include <oleauto.h>


namespace {

bool IsByRefVariant(const TYPEDESC &tdesc)
{
    return tdesc.vt == VT_PTR && tdesc.lptdesc && tdesc.lptdesc->vt == VT_VARIANT;
}

// Whether automation defines vt as a VARIANT's type (oleaut32's own rule):
// the scalar and string types, records, and references to or arrays of
// anything but EMPTY and NULL.
bool IsVariantType(VARTYPE vt)
{
    const VARTYPE vtBase = vt & VT_TYPEMASK;
    const VARTYPE vtFlags = vt & ~VT_TYPEMASK;
    if (vtFlags & ~(VT_BYREF | VT_ARRAY))
        return false;
    if (vtFlags && vtBase <= VT_NULL)
        return false;
    return (vtBase < VT_VOID && vtBase != 15) || vtBase == VT_RECORD;
}

// A caller's argument that no conversion may read: a type code automation
// does not define (DISP_E_BADVARTYPE) or a reference that holds no pointer
// (DISP_E_TYPEMISMATCH). oleaut32 follows such a reference without a
// check, so it is refused before any conversion sees it. A VARIANT behind
// a reference is looked at too (a script may pass a reference to one of its
// own references), up to a few levels.
HRESULT CheckArgument(const VARIANT &arg, int nDepth = 0)
{
    const VARTYPE vt = V_VT(&arg);
    if (!IsVariantType(vt))
        return DISP_E_BADVARTYPE;
    if (!(vt & VT_BYREF))
        return S_OK;
    if (!V_BYREF(&arg))
        return DISP_E_TYPEMISMATCH;
    if (vt == (VT_BYREF | VT_VARIANT))
        return nDepth < 4 ? CheckArgument(*V_VARIANTREF(&arg), nDepth + 1) : DISP_E_BADVARTYPE;
    return S_OK;
}

// Stores a converted value through a by-reference VARIANT of a scalar or
// string type; other reference types are left as they are.
void StoreThroughReference(VARIANT &reference, const VARIANT &value)
{
    const VARTYPE vtTarget = V_VT(&reference) & ~VT_BYREF;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&value), 0, vtTarget)))
        return;
    switch (vtTarget) {
    case VT_BSTR:
        SysFreeString(*V_BSTRREF(&reference));
        *V_BSTRREF(&reference) = V_BSTR(&converted);
        V_VT(&converted) = VT_EMPTY;  // ownership moved
        break;
    case VT_I2: *V_I2REF(&reference) = V_I2(&converted); break;
    case VT_I4: *V_I4REF(&reference) = V_I4(&converted); break;
    case VT_BOOL: *V_BOOLREF(&reference) = V_BOOL(&converted); break;
    case VT_R8: *V_R8REF(&reference) = V_R8(&converted); break;
    case VT_UI1: *V_UI1REF(&reference) = V_UI1(&converted); break;
    default: break;
    }
    VariantClear(&converted);
}

// The arguments as DispInvoke gets them: the caller's, with a temporary
// VARIANT behind every VARIANT* parameter the caller did not pass as one.
class CByRefVariantArguments {
public:
    CByRefVariantArguments(DISPPARAMS &callerParams, const std::vector<bool> &byRefVariant)
        : m_caller(callerParams), m_params(callerParams)
    {
        for (UINT i = 0; i < callerParams.cArgs; ++i) {
            const VARIANT &arg = callerParams.rgvarg[i];
            if (V_VT(&arg) == (VT_BYREF | VT_VARIANT) || !IsByRefVariantParameter(i, byRefVariant))
                continue;
            if (m_args.empty()) {
                m_args.assign(callerParams.rgvarg, callerParams.rgvarg + callerParams.cArgs);
                m_temps.resize(callerParams.cArgs);
                for (VARIANT &temp : m_temps)
                    VariantInit(&temp);
                m_params.rgvarg = m_args.data();
            }
            VariantCopyInd(&m_temps[i], const_cast<VARIANT *>(&arg));
            V_VT(&m_args[i]) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&m_args[i]) = &m_temps[i];
        }
    }

    ~CByRefVariantArguments()
    {
        for (UINT i = 0; i < m_temps.size(); ++i) {
            VARIANT &original = m_caller.rgvarg[i];
            if (V_VT(&m_args[i]) == (VT_BYREF | VT_VARIANT) && V_VT(&original) != V_VT(&m_args[i]) &&
                (V_VT(&original) & VT_BYREF))
                StoreThroughReference(original, m_temps[i]);
            VariantClear(&m_temps[i]);
        }
    }

    DISPPARAMS *Get() { return &m_params; }

private:
    bool IsByRefVariantParameter(UINT iArg, const std::vector<bool> &byRefVariant) const
    {
        // Named arguments come first and carry their parameter's position;
        // the positional ones follow in reverse order.
        LONG nParam = iArg < m_caller.cNamedArgs ? m_caller.rgdispidNamedArgs[iArg]
                                                 : static_cast<LONG>(m_caller.cArgs - 1 - iArg);
        return nParam >= 0 && static_cast<size_t>(nParam) < byRefVariant.size() && byRefVariant[nParam];
    }

    DISPPARAMS &m_caller;
    DISPPARAMS m_params;
    std::vector<VARIANT> m_args;
    std::vector<VARIANT> m_temps;
};

} // namespace

CAxDispatchTable::CAxDispatchTable(const IID &vtblIid) : m_vtblIid(vtblIid), m_pVtblInfo(nullptr)
{
}

CAxDispatchTable::~CAxDispatchTable()
{
    if (m_pVtblInfo)
        m_pVtblInfo->Release();
}

HRESULT CAxDispatchTable::Load(zt_com::TypeInfoDispatch &dispatch, LCID lcid)
{
    if (m_pVtblInfo)
        return S_OK;
    HRESULT hr = dispatch.Load(lcid);
    if (SUCCEEDED(hr))
        hr = dispatch.GetTypeLib()->GetTypeInfoOfGuid(m_vtblIid, &m_pVtblInfo);
    if (FAILED(hr)) {
        m_pVtblInfo = nullptr;
        return hr;
    }
    IndexMembers();
    return S_OK;
}

void CAxDispatchTable::IndexMembers()
{
    TYPEATTR *pAttr = nullptr;
    if (FAILED(m_pVtblInfo->GetTypeAttr(&pAttr)))
        return;
    for (UINT i = 0; i < pAttr->cFuncs; ++i) {
        FUNCDESC *pFunc = nullptr;
        if (FAILED(m_pVtblInfo->GetFuncDesc(i, &pFunc)))
            continue;
        Member &member = m_members[pFunc->memid];
        member.invkinds = static_cast<INVOKEKIND>(member.invkinds | pFunc->invkind);
        if (member.byRefVariant.size() < static_cast<size_t>(pFunc->cParams))
            member.byRefVariant.resize(pFunc->cParams, false);
        for (SHORT p = 0; p < pFunc->cParams; ++p) {
            if (IsByRefVariant(pFunc->lprgelemdescParam[p].tdesc))
                member.byRefVariant[p] = true;
        }
        m_pVtblInfo->ReleaseFuncDesc(pFunc);
    }
    m_pVtblInfo->ReleaseTypeAttr(pAttr);
}

const CAxDispatchTable::Member *CAxDispatchTable::FindMember(DISPID dispid) const
{
    const auto it = m_members.find(dispid);
    return it == m_members.end() ? nullptr : &it->second;
}

HRESULT CAxDispatchTable::Invoke(zt_com::TypeInfoDispatch &dispatch, IUnknown *pTarget, DISPID dispIdMember,
                                 REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                                 VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams)
        return E_INVALIDARG;
    const HRESULT hr = Load(dispatch, lcid);
    if (FAILED(hr))
        return hr;
    const Member *pMember = FindMember(dispIdMember);
    if (!pMember)
        return DISP_E_MEMBERNOTFOUND;
    if ((wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) &&
        !(pMember->invkinds & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)))
        return DISP_E_MEMBERNOTFOUND;
    if (pDispParams->cArgs && !pDispParams->rgvarg)
        return E_INVALIDARG;
    for (UINT i = 0; i < pDispParams->cArgs; ++i) {
        const HRESULT hrArg = CheckArgument(pDispParams->rgvarg[i]);
        if (FAILED(hrArg)) {
            if (puArgErr)
                *puArgErr = i;
            return hrArg;
        }
    }
    CByRefVariantArguments args(*pDispParams, pMember->byRefVariant);
    return DispInvoke(pTarget, m_pVtblInfo, dispIdMember, wFlags, args.Get(), pVarResult, pExcepInfo,
                      puArgErr);
}
