#include "TypeInfoDispatch.h"

#include "ComModule.h"

namespace zt_com {
namespace {

// The library registered for the locale, else the one embedded in this module.
HRESULT LoadTypeLibrary(const GUID &libid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib **ppTypeLib)
{
    HRESULT hr = LoadRegTypeLib(libid, wVerMajor, wVerMinor, lcid, ppTypeLib);
    if (FAILED(hr))
        hr = LoadTypeLibEx(ModulePath(ThisModule()).c_str(), REGKIND_NONE, ppTypeLib);
    return hr;
}

// The type information of guid in the library; *ppTypeLib, when asked for,
// keeps the library.
HRESULT LoadTypeInfo(const GUID &libid, WORD wVerMajor, WORD wVerMinor, LCID lcid, REFGUID guid,
                     ITypeInfo **ppTypeInfo, ITypeLib **ppTypeLib)
{
    ITypeLib *pTypeLib = nullptr;
    HRESULT hr = LoadTypeLibrary(libid, wVerMajor, wVerMinor, lcid, &pTypeLib);
    if (FAILED(hr))
        return hr;
    hr = pTypeLib->GetTypeInfoOfGuid(guid, ppTypeInfo);
    if (FAILED(hr))
        *ppTypeInfo = nullptr;
    if (SUCCEEDED(hr) && ppTypeLib)
        *ppTypeLib = pTypeLib;
    else
        pTypeLib->Release();
    return hr;
}

} // namespace

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
    return LoadTypeInfo(m_libid, m_wVerMajor, m_wVerMinor, lcid, m_iid, &m_pTypeInfo, &m_pTypeLib);
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

HRESULT TypeInfoDispatch::LoadFor(REFIID riid, LCID lcid)
{
    return IsEqualIID(riid, IID_NULL) ? Load(lcid) : DISP_E_UNKNOWNINTERFACE;
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                        DISPID *rgDispId)
{
    const HRESULT hr = LoadFor(riid, lcid);
    return SUCCEEDED(hr) ? m_pTypeInfo->GetIDsOfNames(rgszNames, cNames, rgDispId) : hr;
}

HRESULT TypeInfoDispatch::Invoke(void *pInterface, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                 DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                 UINT *puArgErr)
{
    const HRESULT hr = LoadFor(riid, lcid);
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
    return LoadTypeInfo(m_libid, m_wVerMajor, m_wVerMinor, LOCALE_USER_DEFAULT, m_clsid, ppTI, nullptr);
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
