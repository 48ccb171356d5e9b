#include "HandlerSink.h"

namespace zt_scriptevents {

CHandlerSink::CHandlerSink(REFIID iidEvents, ITypeInfo *pEventInfo, IDispatch *pHandler,
                       const std::wstring &strPrefix)
    : m_iidEvents(iidEvents),
      m_interfaces{zt_com::Entry<CHandlerSink, IDispatch>(IID_IDispatch),
                   zt_com::Entry<CHandlerSink, IDispatch>(m_iidEvents), zt_com::EndOfTable()},
      m_pEventInfo(pEventInfo), m_pHandler(pHandler), m_pHandlerEx(nullptr), m_strPrefix(strPrefix)
{
    m_pEventInfo->AddRef();
    m_pHandler->AddRef();
    if (FAILED(m_pHandler->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void **>(&m_pHandlerEx))))
        m_pHandlerEx = nullptr;
}

CHandlerSink::~CHandlerSink()
{
    if (m_pHandlerEx)
        m_pHandlerEx->Release();
    m_pHandler->Release();
    m_pEventInfo->Release();
}

// JScript's global object answers GetIDsOfNames with its names as written;
// a VBScript class instance is found through IDispatchEx, where names are
// compared without regard to case as VBScript itself does.
bool CHandlerSink::FindHandlerMember(DISPID dispIdEvent, HandlerMember *pMember)
{
    const auto found = m_foundMembers.find(dispIdEvent);
    if (found != m_foundMembers.end()) {
        *pMember = found->second;
        return true;
    }
    BSTR bstrEvent = nullptr;
    UINT cNames = 0;
    if (FAILED(m_pEventInfo->GetNames(dispIdEvent, &bstrEvent, 1, &cNames)) || cNames == 0)
        return false;
    BSTR bstrMember = SysAllocString((m_strPrefix + bstrEvent).c_str());
    SysFreeString(bstrEvent);
    if (bstrMember == nullptr)
        return false;
    HandlerMember member{DISPID_UNKNOWN, false};
    LPOLESTR pszName = bstrMember;
    bool bFound = SUCCEEDED(m_pHandler->GetIDsOfNames(IID_NULL, &pszName, 1, LOCALE_USER_DEFAULT, &member.dispId));
    if (!bFound && m_pHandlerEx) {
        member.bThroughDispatchEx = true;
        bFound = SUCCEEDED(m_pHandlerEx->GetDispID(bstrMember, fdexNameCaseInsensitive, &member.dispId));
    }
    SysFreeString(bstrMember);
    if (!bFound)
        return false;
    m_foundMembers[dispIdEvent] = member;
    *pMember = member;
    return true;
}

STDMETHODIMP CHandlerSink::Invoke(DISPID dispIdMember, REFIID, LCID lcid, WORD, DISPPARAMS *pDispParams,
                                VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr)
{
    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    if (pDispParams == nullptr)
        pDispParams = &noArguments;
    HandlerMember member;
    if (!FindHandlerMember(dispIdMember, &member))
        return S_OK;
    // The handler may disconnect this very sink; keep it alive until the
    // call has come back.
    AddRef();
    const HRESULT hr =
        member.bThroughDispatchEx
            ? m_pHandlerEx->InvokeEx(member.dispId, lcid, DISPATCH_METHOD, pDispParams, pVarResult,
                                     pExcepInfo, nullptr)
            : m_pHandler->Invoke(member.dispId, IID_NULL, lcid, DISPATCH_METHOD, pDispParams, pVarResult,
                                 pExcepInfo, puArgErr);
    Release();
    return hr;
}

} // namespace zt_scriptevents
