#include "SourceInterface.h"

#include <ocidl.h>

namespace zt_scriptevents {
namespace {

// The [default, source] interface of a coclass, or nullptr.
HRESULT DefaultSourceOfClass(ITypeInfo *pClassInfo, ITypeInfo **ppEventInfo)
{
    TYPEATTR *pAttr = nullptr;
    HRESULT hr = pClassInfo->GetTypeAttr(&pAttr);
    if (FAILED(hr))
        return hr;
    const WORD cImplTypes = pAttr->typekind == TKIND_COCLASS ? pAttr->cImplTypes : 0;
    pClassInfo->ReleaseTypeAttr(pAttr);
    for (UINT i = 0; i < cImplTypes; ++i) {
        INT nFlags = 0;
        if (FAILED(pClassInfo->GetImplTypeFlags(i, &nFlags)) ||
            (nFlags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) !=
                (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE hRef = 0;
        hr = pClassInfo->GetRefTypeOfImplType(i, &hRef);
        if (SUCCEEDED(hr))
            hr = pClassInfo->GetRefTypeInfo(hRef, ppEventInfo);
        return hr;
    }
    return E_NOINTERFACE;
}

// True when the coclass lists the interface iid among what it implements
// (not among what it fires).
bool ClassImplements(ITypeInfo *pClassInfo, REFIID iid)
{
    TYPEATTR *pAttr = nullptr;
    if (FAILED(pClassInfo->GetTypeAttr(&pAttr)))
        return false;
    const WORD cImplTypes = pAttr->cImplTypes;
    pClassInfo->ReleaseTypeAttr(pAttr);
    for (UINT i = 0; i < cImplTypes; ++i) {
        INT nFlags = 0;
        HREFTYPE hRef = 0;
        ITypeInfo *pInterfaceInfo = nullptr;
        if (FAILED(pClassInfo->GetImplTypeFlags(i, &nFlags)) || (nFlags & IMPLTYPEFLAG_FSOURCE) ||
            FAILED(pClassInfo->GetRefTypeOfImplType(i, &hRef)) ||
            FAILED(pClassInfo->GetRefTypeInfo(hRef, &pInterfaceInfo)))
            continue;
        TYPEATTR *pInterfaceAttr = nullptr;
        bool bMatch = false;
        if (SUCCEEDED(pInterfaceInfo->GetTypeAttr(&pInterfaceAttr))) {
            bMatch = IsEqualIID(pInterfaceAttr->guid, iid) != FALSE;
            pInterfaceInfo->ReleaseTypeAttr(pInterfaceAttr);
        }
        pInterfaceInfo->Release();
        if (bMatch)
            return true;
    }
    return false;
}

HRESULT FromClassInfo(IDispatch *pSource, ITypeInfo **ppEventInfo)
{
    IProvideClassInfo *pProvide = nullptr;
    HRESULT hr = pSource->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void **>(&pProvide));
    if (FAILED(hr))
        hr = pSource->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&pProvide));
    if (FAILED(hr))
        return hr;
    ITypeInfo *pClassInfo = nullptr;
    hr = pProvide->GetClassInfo(&pClassInfo);
    pProvide->Release();
    if (FAILED(hr))
        return hr;
    hr = DefaultSourceOfClass(pClassInfo, ppEventInfo);
    pClassInfo->Release();
    return hr;
}

// The coclass of the source's type library that implements the interface
// the source's IDispatch describes, and that coclass's default source.
HRESULT FromDispatchTypeInfo(IDispatch *pSource, ITypeInfo **ppEventInfo)
{
    ITypeInfo *pDispatchInfo = nullptr;
    HRESULT hr = pSource->GetTypeInfo(0, LOCALE_USER_DEFAULT, &pDispatchInfo);
    if (FAILED(hr) || pDispatchInfo == nullptr)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    IID iidDispatch = IID_NULL;
    TYPEATTR *pAttr = nullptr;
    if (SUCCEEDED(pDispatchInfo->GetTypeAttr(&pAttr))) {
        iidDispatch = pAttr->guid;
        pDispatchInfo->ReleaseTypeAttr(pAttr);
    }
    ITypeLib *pLibrary = nullptr;
    UINT uIndex = 0;
    hr = pDispatchInfo->GetContainingTypeLib(&pLibrary, &uIndex);
    pDispatchInfo->Release();
    if (FAILED(hr))
        return hr;
    hr = E_NOINTERFACE;
    const UINT cInfos = pLibrary->GetTypeInfoCount();
    for (UINT i = 0; i < cInfos && hr == E_NOINTERFACE; ++i) {
        TYPEKIND kind = TKIND_MAX;
        ITypeInfo *pClassInfo = nullptr;
        if (FAILED(pLibrary->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS ||
            FAILED(pLibrary->GetTypeInfo(i, &pClassInfo)))
            continue;
        if (ClassImplements(pClassInfo, iidDispatch))
            hr = DefaultSourceOfClass(pClassInfo, ppEventInfo);
        pClassInfo->Release();
    }
    pLibrary->Release();
    return hr;
}

} // namespace

HRESULT FindDefaultSourceInterface(IDispatch *pSource, IID *piid, ITypeInfo **ppEventInfo)
{
    if (pSource == nullptr || piid == nullptr || ppEventInfo == nullptr)
        return E_POINTER;
    *ppEventInfo = nullptr;
    ITypeInfo *pEventInfo = nullptr;
    HRESULT hr = FromClassInfo(pSource, &pEventInfo);
    if (FAILED(hr))
        hr = FromDispatchTypeInfo(pSource, &pEventInfo);
    if (FAILED(hr))
        return E_NOINTERFACE;
    TYPEATTR *pAttr = nullptr;
    hr = pEventInfo->GetTypeAttr(&pAttr);
    if (FAILED(hr)) {
        pEventInfo->Release();
        return hr;
    }
    *piid = pAttr->guid;
    pEventInfo->ReleaseTypeAttr(pAttr);
    *ppEventInfo = pEventInfo;
    return S_OK;
}

} // namespace zt_scriptevents
