#include "ControlTestSupport.h"

#include <stdexcept>

#include "trcutil30.h"
#include "ZTOperatorPanelX_h.h"

const WCHAR kControlProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";

IDispatch *CreateControl()
{
    CLSID clsid = {};
    if (FAILED(CLSIDFromProgID(kControlProgID, &clsid)))
        return nullptr;
    IDispatch *pDisp = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&pDisp));
    return pDisp;
}

RecordingSink::RecordingSink(std::vector<std::pair<char, ReceivedEvent>> *pLog, char cName)
    : m_pLog(pLog), m_cName(cName)
{
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID riid, void **ppv)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID__DZTOperatorPanelXEvents)) {
        *ppv = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *pParams, VARIANT *,
                                   EXCEPINFO *, UINT *)
{
    if (dispid == m_faultDispid && m_fault == ThrowCpp)
        throw std::runtime_error("host event code failed");
    if (dispid == m_faultDispid && m_fault == AccessViolation) {
        int *volatile pNull = nullptr;
        *pNull = 21;
    }
    ReceivedEvent event{dispid, {}, {}};
    for (UINT i = pParams->cArgs; i-- > 0;) {
        const VARIANT &arg = pParams->rgvarg[i];
        event.types.push_back(V_VT(&arg));
        if (!event.text.empty() || i + 1 != pParams->cArgs)
            event.text += L"|";
        if (V_VT(&arg) == VT_BSTR)
            event.text += std::wstring(V_BSTR(&arg), SysStringLen(V_BSTR(&arg)));
        else if (V_VT(&arg) == VT_I2)
            event.text += std::to_wstring(V_I2(&arg));
        else if (V_VT(&arg) == VT_I4)
            event.text += std::to_wstring(V_I4(&arg));
    }
    m_pLog->push_back({m_cName, event});
    return S_OK;
}

DWORD ConnectSink(IDispatch *pControl, IUnknown *pSink)
{
    IConnectionPointContainer *pContainer = nullptr;
    if (FAILED(pControl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer))))
        return 0;
    IConnectionPoint *pPoint = nullptr;
    DWORD dwCookie = 0;
    if (SUCCEEDED(pContainer->FindConnectionPoint(DIID__DZTOperatorPanelXEvents, &pPoint))) {
        pPoint->Advise(pSink, &dwCookie);
        pPoint->Release();
    }
    pContainer->Release();
    return dwCookie;
}

void DisconnectSink(IDispatch *pControl, DWORD dwCookie)
{
    IConnectionPointContainer *pContainer = nullptr;
    if (FAILED(pControl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer))))
        return;
    IConnectionPoint *pPoint = nullptr;
    if (SUCCEEDED(pContainer->FindConnectionPoint(DIID__DZTOperatorPanelXEvents, &pPoint))) {
        pPoint->Unadvise(dwCookie);
        pPoint->Release();
    }
    pContainer->Release();
}

HRESULT CallByDispid(IDispatch *pDisp, DISPID dispid, WORD wFlags, std::vector<VARIANT> args, VARIANT *pResult,
                     EXCEPINFO *pExcepInfo)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID dispidPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (wFlags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &dispidPut;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excepInfo = {};
    const HRESULT hr = pDisp->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, pResult,
                                     pExcepInfo ? pExcepInfo : &excepInfo, nullptr);
    if (!pExcepInfo) {
        SysFreeString(excepInfo.bstrSource);
        SysFreeString(excepInfo.bstrDescription);
        SysFreeString(excepInfo.bstrHelpFile);
    }
    return hr;
}

std::string CapturedTrace()
{
    const DWORD cb = TrcCaptureGet(nullptr, 0);
    std::string text(cb, '\0');
    TrcCaptureGet(&text[0], cb);
    text.resize(cb ? cb - 1 : 0);
    return text;
}
