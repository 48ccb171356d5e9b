#include "TypeInfoDispatch.h"

#include "ComModule.h"

namespace zt_com {

HRESULT LoadTypeLibrary(const GUID &libid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib **ppTypeLib)
{
    HRESULT hr = LoadRegTypeLib(libid, wVerMajor, wVerMinor, lcid, ppTypeLib);
    if (FAILED(hr))
        hr = LoadTypeLibEx(ModulePath(ThisModule()).c_str(), REGKIND_NONE, ppTypeLib);
    return hr;
}

TypeInfoDispatch::TypeInfoDispatch()
    : m_bHasLibrary(false), m_libid(GUID_NULL), m_wVerMajor(0), m_wVerMinor(0), m_iid(IID_NULL),
      m_pTypeLib(nullptr), m_pTypeInfo(nullptr)
{
}

TypeInfoDispatch::TypeInfoDispatch(const GUID &libid, WORD wVerMajor, WORD wVerMinor, const IID &iid)
    : m_bHasLibrary(true), m_libid(libid), m_wVerMajor(wVerMajor), m_wVerMinor(wVerMinor), m_iid(iid),
      m_pTypeLib(nullptr), m_pTypeInfo(nullptr)
{
}

TypeInfoDispatch::~TypeInfoDispatch()
{
    if (m_pTypeInfo)
        m_pTypeInfo->Release();
    if (m_pTypeLib)
        m_pTypeLib->Release();
}

HRESULT TypeInfoDispatch::Load(LCID lcid)
{
    if (m_pTypeInfo)
        return S_OK;
    if (!m_bHasLibrary)
        return E_NOTIMPL;
    ITypeLib *pTypeLib = nullptr;
    HRESULT hr = LoadTypeLibrary(m_libid, m_wVerMajor, m_wVerMinor, lcid, &pTypeLib);
    if (FAILED(hr))
        return hr;
    hr = pTypeLib->GetTypeInfoOfGuid(m_iid, &m_pTypeInfo);
    if (FAILED(hr)) {
        m_pTypeInfo = nullptr;
        pTypeLib->Release();
        return hr;
    }
    m_pTypeLib = pTypeLib;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfoCount(UINT *pctinfo) const
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = m_bHasLibrary ? 1 : 0;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0 || !m_bHasLibrary)
        return DISP_E_BADINDEX;
    const HRESULT hr = Load(lcid);
    if (FAILED(hr))
        return hr;
    m_pTypeInfo->AddRef();
    *ppTInfo = m_pTypeInfo;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                        DISPID *rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = Load(lcid);
    if (FAILED(hr))
        return hr;
    return m_pTypeInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

HRESULT TypeInfoDispatch::Invoke(void *pInterface, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                 DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                 UINT *puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = Load(lcid);
    if (FAILED(hr))
        return hr;
    return DispInvoke(pInterface, m_pTypeInfo, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                      puArgErr);
}

ProvideClassInfo::ProvideClassInfo(const CLSID &clsid, const GUID &libid, WORD wVerMajor, WORD wVerMinor,
                                   const IID &eventIid)
    : m_clsid(clsid), m_libid(libid), m_wVerMajor(wVerMajor), m_wVerMinor(wVerMinor), m_eventIid(eventIid)
{
}

STDMETHODIMP ProvideClassInfo::GetClassInfo(ITypeInfo **ppTI)
{
    if (!ppTI)
        return E_POINTER;
    *ppTI = nullptr;
    ITypeLib *pTypeLib = nullptr;
    HRESULT hr = LoadTypeLibrary(m_libid, m_wVerMajor, m_wVerMinor, LOCALE_USER_DEFAULT, &pTypeLib);
    if (FAILED(hr))
        return hr;
    hr = pTypeLib->GetTypeInfoOfGuid(m_clsid, ppTI);
    pTypeLib->Release();
    return hr;
}

STDMETHODIMP ProvideClassInfo::GetGUID(DWORD dwGuidKind, GUID *pGUID)
{
    if (!pGUID)
        return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *pGUID = GUID_NULL;
        return E_INVALIDARG;
    }
    *pGUID = m_eventIid;
    return S_OK;
}

} // namespace zt_com
