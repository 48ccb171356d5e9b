#include "ScriptEventsObject.h"

#include "DispArguments.h"
#include "HandlerSink.h"
#include "MessagePump.h"
#include "ScriptEvents.h"
#include "SourceInterface.h"

#include <olectl.h>

#include <new>
#include <string>

namespace zt_scriptevents {
namespace {

const wchar_t kErrorSource[] = ZT_SCRIPTEVENTS_PROGID;

const struct {
    const wchar_t *pszName;
    DISPID dispId;
} kMethods[] = {
    {L"Connect", DISPID_SCRIPTEVENTS_CONNECT},
    {L"Disconnect", DISPID_SCRIPTEVENTS_DISCONNECT},
    {L"Pump", DISPID_SCRIPTEVENTS_PUMP},
    {L"Sleep", DISPID_SCRIPTEVENTS_PUMP}, // the name scripts know from WScript
    {L"PumpUntil", DISPID_SCRIPTEVENTS_PUMPUNTIL},
};

// Fills pExcepInfo (when given) so that a script's catch sees the text, and
// returns what IDispatch::Invoke must return for it.
HRESULT Raise(EXCEPINFO *pExcepInfo, HRESULT scode, const std::wstring &strDescription)
{
    if (pExcepInfo == nullptr)
        return scode;
    ZeroMemory(pExcepInfo, sizeof(*pExcepInfo));
    pExcepInfo->bstrSource = SysAllocString(kErrorSource);
    pExcepInfo->bstrDescription = SysAllocString(strDescription.c_str());
    pExcepInfo->scode = scode;
    return DISP_E_EXCEPTION;
}

// The script's condition, called with no arguments; its value converted to
// a boolean ("" and 0 are false, as in the script).
class ScriptCondition : public PumpCondition {
public:
    explicit ScriptCondition(IDispatch *pCondition) : m_pCondition(pCondition) {}

    HRESULT IsMet(bool *pbMet) override
    {
        DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = m_pCondition->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &noArguments, &result, nullptr, nullptr);
        if (SUCCEEDED(hr))
            hr = VariantChangeType(&result, &result, 0, VT_BOOL);
        if (SUCCEEDED(hr))
            *pbMet = V_BOOL(&result) != VARIANT_FALSE;
        VariantClear(&result);
        return hr;
    }

private:
    IDispatch *m_pCondition;
};

HRESULT ReadMilliseconds(DispArguments &args, DWORD *pdwMilliseconds, EXCEPINFO *pExcepInfo)
{
    LONG lMilliseconds = 0;
    HRESULT hr = args.GetLong(0, &lMilliseconds);
    if (FAILED(hr))
        return hr;
    if (lMilliseconds < 0)
        return Raise(pExcepInfo, E_INVALIDARG, L"the time to pump must not be negative");
    *pdwMilliseconds = static_cast<DWORD>(lMilliseconds);
    return S_OK;
}

} // namespace

const zt_com::InterfaceEntry *CScriptEvents::Interfaces()
{
    static const zt_com::InterfaceEntry s_table[] = {
        zt_com::Entry<CScriptEvents, IDispatch>(IID_IDispatch),
        zt_com::EndOfTable(),
    };
    return s_table;
}

CScriptEvents::~CScriptEvents()
{
    for (auto &entry : m_connections) {
        entry.second.pPoint->Unadvise(entry.second.dwPointCookie);
        entry.second.pPoint->Release();
    }
}

STDMETHODIMP CScriptEvents::GetIDsOfNames(REFIID, LPOLESTR *ppszNames, UINT cNames, LCID, DISPID *pDispIds)
{
    if (ppszNames == nullptr || pDispIds == nullptr || cNames == 0)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < cNames; ++i)
        pDispIds[i] = DISPID_UNKNOWN;
    for (const auto &method : kMethods) {
        if (ppszNames[0] && lstrcmpiW(ppszNames[0], method.pszName) == 0)
            pDispIds[0] = method.dispId;
    }
    if (pDispIds[0] == DISPID_UNKNOWN || cNames > 1) // the methods have no named parameters
        hr = DISP_E_UNKNOWNNAME;
    return hr;
}

STDMETHODIMP CScriptEvents::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS *pDispParams,
                                   VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr)
{
    if (!(wFlags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (pVarResult)
        VariantInit(pVarResult);
    DispArguments args(pDispParams, puArgErr);
    switch (dispIdMember) {
    case DISPID_SCRIPTEVENTS_CONNECT:
        return Connect(args, pVarResult, pExcepInfo);
    case DISPID_SCRIPTEVENTS_DISCONNECT:
        return Disconnect(args, pExcepInfo);
    case DISPID_SCRIPTEVENTS_PUMP:
        return Pump(args, pExcepInfo);
    case DISPID_SCRIPTEVENTS_PUMPUNTIL:
        return PumpUntil(args, pVarResult, pExcepInfo);
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// Connect(source, handler[, prefix]) -> cookie
HRESULT CScriptEvents::Connect(DispArguments &args, VARIANT *pVarResult, EXCEPINFO *pExcepInfo)
{
    HRESULT hr = args.CheckCount(2, 3);
    if (FAILED(hr))
        return hr;
    IDispatch *pSource = nullptr;
    IDispatch *pHandler = nullptr;
    std::wstring strPrefix;
    hr = args.GetDispatch(0, &pSource);
    if (SUCCEEDED(hr))
        hr = args.GetDispatch(1, &pHandler);
    if (SUCCEEDED(hr) && !args.IsOmitted(2))
        hr = args.GetString(2, &strPrefix);

    IID iidEvents = IID_NULL;
    ITypeInfo *pEventInfo = nullptr;
    IConnectionPointContainer *pContainer = nullptr;
    IConnectionPoint *pPoint = nullptr;
    CHandlerSink *pSink = nullptr;
    DWORD dwPointCookie = 0;
    if (SUCCEEDED(hr) && FAILED(FindDefaultSourceInterface(pSource, &iidEvents, &pEventInfo)))
        hr = Raise(pExcepInfo, E_NOINTERFACE,
                   L"Connect: the source does not tell which events it fires (no class information "
                   L"naming a default source interface)");
    if (SUCCEEDED(hr) &&
        (FAILED(pSource->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer))) ||
         FAILED(pContainer->FindConnectionPoint(iidEvents, &pPoint))))
        hr = Raise(pExcepInfo, CONNECT_E_NOCONNECTION,
                   L"Connect: the source has no connection point for its default source interface");
    if (SUCCEEDED(hr)) {
        pSink = new (std::nothrow) zt_com::Object<CHandlerSink>(iidEvents, pEventInfo, pHandler, strPrefix);
        hr = pSink ? pPoint->Advise(pSink, &dwPointCookie) : E_OUTOFMEMORY;
        if (FAILED(hr))
            hr = Raise(pExcepInfo, hr, L"Connect: the source refused the event sink");
    }
    if (SUCCEEDED(hr)) {
        const LONG lCookie = m_lNextCookie++;
        m_connections[lCookie] = Connection{pPoint, dwPointCookie};
        pPoint = nullptr; // kept by the connection
        if (pVarResult) {
            V_VT(pVarResult) = VT_I4;
            V_I4(pVarResult) = lCookie;
        }
    }
    for (IUnknown *pUnknown : {static_cast<IUnknown *>(pSink), static_cast<IUnknown *>(pPoint),
                               static_cast<IUnknown *>(pContainer), static_cast<IUnknown *>(pEventInfo),
                               static_cast<IUnknown *>(pHandler), static_cast<IUnknown *>(pSource)}) {
        if (pUnknown)
            pUnknown->Release();
    }
    return hr;
}

// Disconnect(cookie)
HRESULT CScriptEvents::Disconnect(DispArguments &args, EXCEPINFO *pExcepInfo)
{
    HRESULT hr = args.CheckCount(1, 1);
    LONG lCookie = 0;
    if (SUCCEEDED(hr))
        hr = args.GetLong(0, &lCookie);
    if (FAILED(hr))
        return hr;
    const auto found = m_connections.find(lCookie);
    if (found == m_connections.end())
        return Raise(pExcepInfo, E_INVALIDARG,
                     L"Disconnect: no open connection has the cookie " + std::to_wstring(lCookie));
    // Forgotten before the source is told: its Unadvise may call back into
    // a script that disconnects again.
    const Connection connection = found->second;
    m_connections.erase(found);
    hr = connection.pPoint->Unadvise(connection.dwPointCookie);
    connection.pPoint->Release();
    return FAILED(hr) ? Raise(pExcepInfo, hr, L"Disconnect: the source refused to let the sink go") : S_OK;
}

// Pump(milliseconds) and Sleep(milliseconds)
HRESULT CScriptEvents::Pump(DispArguments &args, EXCEPINFO *pExcepInfo)
{
    DWORD dwMilliseconds = 0;
    HRESULT hr = args.CheckCount(1, 1);
    if (SUCCEEDED(hr))
        hr = ReadMilliseconds(args, &dwMilliseconds, pExcepInfo);
    bool bMet = false;
    return SUCCEEDED(hr) ? PumpMessages(dwMilliseconds, nullptr, &bMet) : hr;
}

// PumpUntil(milliseconds, condition) -> met
HRESULT CScriptEvents::PumpUntil(DispArguments &args, VARIANT *pVarResult, EXCEPINFO *pExcepInfo)
{
    DWORD dwMilliseconds = 0;
    IDispatch *pCondition = nullptr;
    HRESULT hr = args.CheckCount(2, 2);
    if (SUCCEEDED(hr))
        hr = ReadMilliseconds(args, &dwMilliseconds, pExcepInfo);
    if (SUCCEEDED(hr))
        hr = args.GetDispatch(1, &pCondition);
    if (FAILED(hr))
        return hr;
    ScriptCondition condition(pCondition);
    bool bMet = false;
    hr = PumpMessages(dwMilliseconds, &condition, &bMet);
    pCondition->Release();
    if (FAILED(hr))
        return Raise(pExcepInfo, hr, L"PumpUntil: calling the condition failed");
    if (pVarResult) {
        V_VT(pVarResult) = VT_BOOL;
        V_BOOL(pVarResult) = bMet ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

} // namespace zt_scriptevents
