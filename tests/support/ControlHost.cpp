#include "ControlHost.h"

#include <climits>
#include <stdexcept>

#include "ComObject.h"
#include "trcutil30.h"

const WCHAR CControlHost::PROGID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";

namespace {

VARIANT Typed(VARTYPE vt)
{
    VARIANT var;
    VariantInit(&var);
    V_VT(&var) = vt;
    return var;
}

} // namespace

CArg::CArg(LPCWSTR lpszText) : m_var(Typed(VT_BSTR)) { V_BSTR(&m_var) = SysAllocString(lpszText); }
CArg::CArg(short sValue) : m_var(Typed(VT_I2)) { V_I2(&m_var) = sValue; }
CArg::CArg(int nValue) : m_var(Typed(VT_I4)) { V_I4(&m_var) = nValue; }
CArg::CArg(double dValue) : m_var(Typed(VT_R8)) { V_R8(&m_var) = dValue; }
CArg::CArg(const VARIANT &raw) : m_var(raw) {}

CArg::CArg(IDispatch *pObject) : m_var(Typed(VT_DISPATCH))
{
    V_DISPATCH(&m_var) = pObject;
    if (pObject)
        pObject->AddRef();
}

CArg::CArg(VARIANT *pvarRef) : m_var(Typed(VT_BYREF | VT_VARIANT)) { V_VARIANTREF(&m_var) = pvarRef; }

CArg::CArg(const CArg &other)
{
    VariantInit(&m_var);
    // Wine's VariantCopy makes a null BSTR an empty one: a host's null
    // string must reach the control as it is.
    if ((V_VT(&other.m_var) == VT_BSTR && !V_BSTR(&other.m_var)) ||
        FAILED(VariantCopy(&m_var, const_cast<VARIANT *>(&other.m_var))))
        m_var = other.m_var;  // null or malformed: nothing in it is owned
}

CArg::~CArg()
{
    VariantClear(&m_var);
}

// The connection-point sink: records each event with its arguments as text.
class CEventRecorder : public IDispatch {
public:
    CEventRecorder(const IID &iidEvents, ITypeInfo *pEventInfo)
        : m_iidEvents(iidEvents), m_pEventInfo(pEventInfo),
          m_table{zt_com::Entry<CEventRecorder, IDispatch>(IID_IDispatch),
                  zt_com::Entry<CEventRecorder, IDispatch>(m_iidEvents), zt_com::EndOfTable()}
    {
    }
    const zt_com::InterfaceEntry *Interfaces() const { return m_table; }

    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *pParams, VARIANT *, EXCEPINFO *,
                        UINT *) override
    {
        if (dispid == m_faultDispid && m_fault == CControlHost::ThrowCpp)
            throw std::runtime_error("host event code failed");
        if (dispid == m_faultDispid && m_fault == CControlHost::AccessViolation) {
            int *volatile pNull = nullptr;
            *pNull = 21;
        }
        static unsigned s_nSeq = 0;
        ControlEvent event{dispid, L"#" + std::to_wstring(dispid), {}, {}, ++s_nSeq};
        BSTR bstrName = nullptr;
        UINT cNames = 0;
        if (m_pEventInfo && SUCCEEDED(m_pEventInfo->GetNames(dispid, &bstrName, 1, &cNames)) && cNames == 1)
            event.strName = bstrName;
        SysFreeString(bstrName);
        for (UINT i = pParams ? pParams->cArgs : 0; i-- > 0;) {
            VARIANT text;
            VariantInit(&text);
            event.types.push_back(V_VT(&pParams->rgvarg[i]));
            const bool bText = SUCCEEDED(VariantChangeType(&text, &pParams->rgvarg[i], 0, VT_BSTR));
            event.args.push_back(bText && text.bstrVal ? text.bstrVal : (bText ? L"" : L"?"));
            VariantClear(&text);
        }
        m_events.push_back(event);
        if (m_onEvent)
            m_onEvent(event);
        return S_OK;
    }

    std::vector<ControlEvent> m_events;
    std::function<void(const ControlEvent &)> m_onEvent;
    DISPID m_faultDispid = 0;
    CControlHost::Fault m_fault = CControlHost::NoFault;

protected:
    ~CEventRecorder()
    {
        if (m_pEventInfo)
            m_pEventInfo->Release();
    }

private:
    IID m_iidEvents;
    ITypeInfo *m_pEventInfo;
    zt_com::InterfaceEntry m_table[3];
};

namespace {

// The type information of the control's events, from its own type library.
ITypeInfo *EventTypeInfo(IProvideClassInfo2 *pInfo, REFIID iidEvents)
{
    ITypeInfo *pClass = nullptr, *pEvents = nullptr;
    ITypeLib *pLib = nullptr;
    UINT uIndex = 0;
    if (SUCCEEDED(pInfo->GetClassInfo(&pClass)) && SUCCEEDED(pClass->GetContainingTypeLib(&pLib, &uIndex)))
        pLib->GetTypeInfoOfGuid(iidEvents, &pEvents);
    if (pLib)
        pLib->Release();
    if (pClass)
        pClass->Release();
    return pEvents;
}

} // namespace

IDispatch *CreateControl()
{
    CLSID clsid;
    IDispatch *pDisp = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(CControlHost::PROGID, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&pDisp));
    return pDisp;
}

CControlHost::CControlHost() : CControlHost(CreateControl()) {}

CControlHost::CControlHost(IDispatch *pCreated) : m_pDisp(pCreated)
{
    if (m_pDisp)
        Connect();
}

void CControlHost::Connect()
{
    IProvideClassInfo2 *pInfo = nullptr;
    IConnectionPointContainer *pContainer = nullptr;
    IID iidEvents;
    if (SUCCEEDED(m_pDisp->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&pInfo))) &&
        SUCCEEDED(pInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iidEvents)) &&
        SUCCEEDED(m_pDisp->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer))) &&
        SUCCEEDED(pContainer->FindConnectionPoint(iidEvents, &m_pPoint))) {
        m_pSink = new zt_com::Object<CEventRecorder>(iidEvents, EventTypeInfo(pInfo, iidEvents));
        m_pPoint->Advise(m_pSink, &m_dwCookie);
    }
    if (pContainer)
        pContainer->Release();
    if (pInfo)
        pInfo->Release();
}

CControlHost::~CControlHost()
{
    Release();
    if (m_pSink)
        m_pSink->Release();
}

void CControlHost::Release()
{
    if (m_pPoint) {
        if (m_dwCookie)
            m_pPoint->Unadvise(m_dwCookie);
        m_pPoint->Release();
        m_pPoint = nullptr;
    }
    if (m_pDisp)
        m_pDisp->Release();
    m_pDisp = nullptr;
}

void CControlHost::OnEvent(std::function<void(const ControlEvent &)> handler)
{
    if (m_pSink)
        m_pSink->m_onEvent = std::move(handler);
}

void CControlHost::FaultOn(DISPID dispid, Fault fault)
{
    if (m_pSink)
        m_pSink->m_faultDispid = dispid, m_pSink->m_fault = fault;
}

ULONG CControlHost::SinkReferences() const
{
    if (!m_pSink)
        return 0;
    m_pSink->AddRef();
    return m_pSink->Release() - 1;
}

HRESULT CControlHost::InvokeId(DISPID dispid, WORD wFlags, const std::vector<CArg> &args, VARIANT *pResult,
                               std::wstring *pstrError)
{
    if (!m_pDisp)
        return E_POINTER;
    // Automation wants the arguments last to first.
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(it->m_var);
    DISPID dispidPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()),
                         0};
    if (wFlags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &dispidPut;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep = {};
    UINT uArgErr = 0;
    const HRESULT hr = m_pDisp->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, pResult, &excep,
                                       &uArgErr);
    if (pstrError)
        *pstrError = excep.bstrDescription ? excep.bstrDescription : L"";
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT CControlHost::Invoke(LPCWSTR lpszName, WORD wFlags, const std::vector<CArg> &args, VARIANT *pResult,
                             std::wstring *pstrError)
{
    if (!m_pDisp)
        return E_POINTER;
    DISPID dispid = 0;
    LPOLESTR lpszNames[] = {const_cast<LPOLESTR>(lpszName)};
    const HRESULT hr = m_pDisp->GetIDsOfNames(IID_NULL, lpszNames, 1, LOCALE_USER_DEFAULT, &dispid);
    return FAILED(hr) ? hr : InvokeId(dispid, wFlags, args, pResult, pstrError);
}

VARIANT CControlHost::CallVariant(LPCWSTR lpszName, const std::vector<CArg> &args)
{
    VARIANT result;
    VariantInit(&result);
    if (FAILED(Invoke(lpszName, DISPATCH_METHOD, args, &result)))
        VariantClear(&result);
    return result;
}

LONG CControlHost::Call(LPCWSTR lpszName, const std::vector<CArg> &args)
{
    VARIANT value = CallVariant(lpszName, args);
    const LONG lValue = SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)) ? value.lVal : LONG_MIN;
    VariantClear(&value);
    return lValue;
}

VARIANT CControlHost::Get(LPCWSTR lpszName)
{
    VARIANT result;
    VariantInit(&result);
    if (FAILED(Invoke(lpszName, DISPATCH_PROPERTYGET, {}, &result))) {
        VariantClear(&result);
        result.vt = VT_ERROR;
        result.scode = E_FAIL;
    }
    return result;
}

std::wstring CControlHost::GetString(LPCWSTR lpszName)
{
    VARIANT value = Get(lpszName);
    std::wstring strValue = value.vt == VT_BSTR ? std::wstring(value.bstrVal ? value.bstrVal : L"")
                                                : L"<not a string>";
    VariantClear(&value);
    return strValue;
}

HRESULT CControlHost::Put(LPCWSTR lpszName, const CArg &value)
{
    return Invoke(lpszName, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

const std::vector<ControlEvent> &CControlHost::Events() const
{
    static const std::vector<ControlEvent> kNone;
    return m_pSink ? m_pSink->m_events : kNone;
}

std::vector<std::wstring> CControlHost::EventNames() const
{
    std::vector<std::wstring> names;
    for (const ControlEvent &event : Events())
        names.push_back(event.strName);
    return names;
}

void CControlHost::ClearEvents()
{
    if (m_pSink)
        m_pSink->m_events.clear();
}

const ControlEvent *CControlHost::FindEvent(LPCWSTR lpszName) const
{
    for (const ControlEvent &event : Events())
        if (event.strName == lpszName)
            return &event;
    return nullptr;
}

bool CControlHost::WaitForEvent(LPCWSTR lpszName, DWORD dwTimeoutMs)
{
    return PumpUntil([&] { return FindEvent(lpszName) != nullptr; }, dwTimeoutMs);
}

std::vector<std::wstring> StringsOf(const VARIANT &var)
{
    std::vector<std::wstring> strings;
    if (var.vt != (VT_ARRAY | VT_VARIANT) || !var.parray)
        return strings;
    LONG lLower = 0, lUpper = -1;
    SafeArrayGetLBound(var.parray, 1, &lLower);
    SafeArrayGetUBound(var.parray, 1, &lUpper);
    for (LONG i = lLower; i <= lUpper; ++i) {
        VARIANT element;
        VariantInit(&element);
        SafeArrayGetElement(var.parray, &i, &element);
        VariantChangeType(&element, &element, 0, VT_BSTR);
        strings.push_back(element.vt == VT_BSTR && element.bstrVal ? element.bstrVal : L"?");
        VariantClear(&element);
    }
    return strings;
}

LONG LowerBound(const VARIANT &var)
{
    LONG lLower = -1;
    if ((var.vt & VT_ARRAY) && var.parray)
        SafeArrayGetLBound(var.parray, 1, &lLower);
    return lLower;
}

std::wstring WindowTitle(HWND hWnd)
{
    WCHAR szTitle[64] = {};
    GetWindowTextW(hWnd, szTitle, ARRAYSIZE(szTitle));
    return szTitle;
}

std::vector<HWND> InstanceWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) CALLBACK -> BOOL {
            if (WindowTitle(hWnd).compare(0, 9, L"TTUMsgWnd") == 0)
                reinterpret_cast<std::vector<HWND> *>(lParam)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring PropertyText(CControlHost &control, LPCWSTR lpszName)
{
    VARIANT var = control.Get(lpszName);
    std::wstring strText;
    if (var.vt & VT_ARRAY) {
        for (const std::wstring &element : StringsOf(var))
            strText += element + L",";
        strText = L"[" + strText + L"]@" + std::to_wstring(LowerBound(var));
    } else if (var.vt == VT_BOOL) {
        strText = var.boolVal == VARIANT_TRUE ? L"TRUE" : var.boolVal ? L"?" : L"FALSE";
    } else if (var.vt == VT_EMPTY) {
        strText = L"<empty>";
    } else if (var.vt != VT_BSTR && SUCCEEDED(VariantChangeType(&var, &var, 0, VT_I4))) {
        strText = std::to_wstring(var.lVal);
    } else {
        strText = var.vt == VT_BSTR && var.bstrVal ? var.bstrVal : (var.vt == VT_BSTR ? L"" : L"<not a value>");
    }
    VariantClear(&var);
    return strText;
}
