// The script event helper driven from C++ as a script engine would: created
// by ProgID through COM, called late-bound, the registered control as the
// event source (its events raised in process through its event sink), with
// handler objects that answer names like JScript's global object
// (IDispatch::GetIDsOfNames) or like a VBScript class instance (only
// IDispatchEx::GetDispID, any case).
#include <gtest/gtest.h>

#include <dispex.h>

#include "ComObject.h"
#include "ControlHost.h"
#include "ZTEventSinkAccess.h"
#include "trcutil30.h"

namespace {

enum class NameLookup { DispatchOnly, DispatchExOnly };

// A handler with fixed member names that records every call as
// "Name(arg:vt,...)"; DISPID_VALUE answers *pbCondition, as a script
// function passed as a condition. A handler told to raise fails its call
// the way a script error does.
class RecordingHandler : public IDispatchEx {
public:
    RecordingHandler(NameLookup lookup, std::vector<std::wstring> names, const bool *pbCondition = nullptr)
        : m_lookup(lookup), m_names(std::move(names)), m_pbCondition(pbCondition)
    {
    }
    std::vector<std::wstring> calls;
    std::function<void()> onCall; // runs inside the event
    int nAsked = 0;
    bool bRaise = false;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        const bool bEx = riid == __uuidof(IDispatchEx) && m_lookup == NameLookup::DispatchExOnly;
        *ppv = riid == IID_IUnknown || riid == IID_IDispatch || bEx ? this : nullptr;
        return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; } // lives on the test's stack
    LONG References() const { return m_cRef; }
    STDMETHODIMP GetTypeInfoCount(UINT *pc) override { return *pc = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *ppszNames, UINT, LCID, DISPID *pDispId) override
    {
        return m_lookup == NameLookup::DispatchExOnly ? E_NOTIMPL : GetDispID(ppszNames[0], 0, pDispId);
    }
    STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *pResult,
                        EXCEPINFO *pExcepInfo, UINT *) override
    {
        if (dispId != DISPID_VALUE || !m_pbCondition)
            return Record(dispId, wFlags, pParams, pExcepInfo);
        ++nAsked;
        V_VT(pResult) = VT_BOOL;
        V_BOOL(pResult) = *m_pbCondition ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP GetDispID(BSTR bstrName, DWORD grfdex, DISPID *pDispId) override
    {
        for (size_t i = 0; i < m_names.size(); ++i) {
            if ((grfdex & fdexNameCaseInsensitive) ? lstrcmpiW(m_names[i].c_str(), bstrName) == 0
                                                   : m_names[i] == bstrName)
                return *pDispId = static_cast<DISPID>(i + 1), S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP InvokeEx(DISPID dispId, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *, EXCEPINFO *pExcepInfo,
                          IServiceProvider *) override
    {
        return Record(dispId, wFlags, pParams, pExcepInfo);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown **) override { return E_NOTIMPL; }

private:
    HRESULT Record(DISPID dispId, WORD wFlags, DISPPARAMS *pParams, EXCEPINFO *pExcepInfo)
    {
        if (dispId < 1 || static_cast<size_t>(dispId) > m_names.size() || !(wFlags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        std::wstring call = m_names[dispId - 1] + L"(";
        for (UINT i = pParams->cArgs; i > 0; --i) {
            VARIANT text;
            VariantInit(&text);
            VariantChangeType(&text, &pParams->rgvarg[i - 1], 0, VT_BSTR);
            call += std::wstring(i < pParams->cArgs ? L"," : L"") + (V_VT(&text) == VT_BSTR ? V_BSTR(&text) : L"?") +
                    L":" + std::to_wstring(V_VT(&pParams->rgvarg[i - 1]));
            VariantClear(&text);
        }
        calls.push_back(call + L")");
        if (onCall)
            onCall();
        if (!bRaise || !pExcepInfo)
            return S_OK;
        pExcepInfo->scode = 0x800A1389;
        pExcepInfo->bstrSource = SysAllocString(L"PanelEvents");
        pExcepInfo->bstrDescription = SysAllocString(L"handler failed on purpose");
        return DISP_E_EXCEPTION;
    }

    const NameLookup m_lookup;
    const std::vector<std::wstring> m_names;
    const bool *m_pbCondition;
    LONG m_cRef = 1;
};

// The control seen through IDispatch and its connection points only: no
// class information, so the helper has to find its events through the type
// library its IDispatch describes.
class PlainSource : public IDispatch, public IConnectionPointContainer {
public:
    explicit PlainSource(IDispatch *pControl) : m_pControl(pControl) {}
    static const zt_com::InterfaceEntry *Interfaces()
    {
        static const zt_com::InterfaceEntry s_table[] = {
            zt_com::Entry<PlainSource, IDispatch>(IID_IDispatch),
            zt_com::Entry<PlainSource, IConnectionPointContainer>(IID_IConnectionPointContainer),
            zt_com::EndOfTable()};
        return s_table;
    }
    STDMETHODIMP GetTypeInfoCount(UINT *pc) override { return m_pControl->GetTypeInfoCount(pc); }
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo **pp) override { return m_pControl->GetTypeInfo(i, lcid, pp); }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppPoint) override
    {
        IConnectionPointContainer *pContainer = nullptr;
        m_pControl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer));
        const HRESULT hr = pContainer->FindConnectionPoint(riid, ppPoint);
        pContainer->Release();
        return hr;
    }

private:
    IDispatch *m_pControl; // held by the test
};

// Events raised later, from a thread timer: only a wait that dispatches this
// thread's messages lets them happen.
CTTUEventSink *g_pLater = nullptr;

void CALLBACK RaiseLater(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(nullptr, idTimer);
    g_pLater->FireReadComplete(L"12");
    g_pLater->FireBeepComplete();
}

class ScriptEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
        CLSID clsid;
        IDispatch *pHelper = nullptr;
        ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"ZTOperatorPanelX.ScriptEvents", &clsid));
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&pHelper)));
        m_pHelper = new CControlHost(pHelper);
        m_pSource = CreateControl();
        ASSERT_NE(nullptr, m_pSource);
        IZTEventSinkAccess *pAccess = nullptr;
        ASSERT_HRESULT_SUCCEEDED(m_pSource->QueryInterface(IID_IZTEventSinkAccess, reinterpret_cast<void **>(&pAccess)));
        g_pLater = m_pEvents = pAccess->GetEventSink();
        pAccess->Release();
    }
    void TearDown() override
    {
        delete m_pHelper;
        if (m_pSource) {
            EXPECT_EQ(0u, m_pSource->Release()) << "every connection let go of the control";
        }
        OleUninitialize();
    }

    HRESULT Call(LPCWSTR lpszName, const std::vector<CArg> &args, VARIANT *pResult = nullptr,
                 std::wstring *pstrError = nullptr)
    {
        VARIANT ignored;
        VariantInit(&ignored);
        const HRESULT hr = m_pHelper->Invoke(lpszName, DISPATCH_METHOD, args, pResult ? pResult : &ignored, pstrError);
        VariantClear(&ignored);
        return hr;
    }

    LONG Connect(IDispatch *pSource, IDispatch *pHandler, LPCWSTR lpszPrefix)
    {
        VARIANT result;
        VariantInit(&result);
        EXPECT_HRESULT_SUCCEEDED(Call(L"Connect", {pSource, pHandler, lpszPrefix}, &result));
        EXPECT_EQ(V_VT(&result), VT_I4);
        return V_I4(&result);
    }

    // A test that leaves connections open lets the helper go before its
    // handlers (on its stack) go.
    void ReleaseHelper() { m_pHelper->Release(); }

    CControlHost *m_pHelper = nullptr;
    IDispatch *m_pSource = nullptr;
    CTTUEventSink *m_pEvents = nullptr;
};

TEST_F(ScriptEventsTest, EventsReachPrefixedHandlersWithTheirArgumentsUntilDisconnected)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"On_FatalError", L"On_BeepComplete", L"on_ResetComplete"});
    const LONG lCookie = Connect(m_pSource, &handler, L"On_");
    EXPECT_NE(lCookie, 0);
    m_pEvents->FireFatalError(L"seven", 7);
    // GetIDsOfNames is exact: "on_ResetComplete" is not "On_ResetComplete".
    m_pEvents->FireResetComplete();
    m_pEvents->FireBeepComplete();
    EXPECT_EQ(handler.calls, (std::vector<std::wstring>{L"On_FatalError(seven:8,7:3)", L"On_BeepComplete()"}));

    EXPECT_HRESULT_SUCCEEDED(Call(L"Disconnect", {static_cast<int>(lCookie)}));
    EXPECT_EQ(handler.References(), 1) << "the connection let go of the handler";
    m_pEvents->FireBeepComplete();
    EXPECT_EQ(handler.calls.size(), 2u);
    std::wstring strError;
    EXPECT_EQ(Call(L"Disconnect", {static_cast<int>(lCookie)}, nullptr, &strError), DISP_E_EXCEPTION);
    EXPECT_NE(strError.find(L"cookie"), std::wstring::npos);
}

// A source without class information is found through its type library;
// what tells nothing about events, or is no object, is refused.
TEST_F(ScriptEventsTest, ConnectFindsTheEventsOfTheSourceOrRefuses)
{
    IDispatch *pPlain = nullptr;
    ASSERT_HRESULT_SUCCEEDED(zt_com::CreateInstance<PlainSource>(IID_IDispatch, reinterpret_cast<void **>(&pPlain),
                                                                 m_pSource));
    RecordingHandler handler(NameLookup::DispatchOnly, {L"LEDStatusChanged"}), refused(NameLookup::DispatchOnly, {});
    Connect(pPlain, &handler, L"");
    m_pEvents->FireLEDStatusChanged(3, L"SLOW");
    EXPECT_EQ(handler.calls, std::vector<std::wstring>{L"LEDStatusChanged(3:2,SLOW:8)"});
    // An object that tells nothing about events: a handler.
    std::wstring strError;
    EXPECT_EQ(Call(L"Connect", {&refused, &refused, L"x"}, nullptr, &strError), DISP_E_EXCEPTION);
    EXPECT_NE(strError.find(L"default source interface"), std::wstring::npos);
    // Nothing (a null object), a number for the handler, too few arguments.
    EXPECT_EQ(Call(L"Connect", {static_cast<IDispatch *>(nullptr), &refused}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(L"Connect", {m_pSource, 5}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(L"Connect", {m_pSource}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(L"NoSuchMethod", {}), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Call(L"Pump", {-1}), DISP_E_EXCEPTION);
    EXPECT_EQ(refused.References(), 1);
    // The helper still holds the connection; it lets go when released.
    ReleaseHelper();
    EXPECT_EQ(handler.References(), 1);
    EXPECT_EQ(0u, pPlain->Release());
}

TEST_F(ScriptEventsTest, ClassInstanceHandlersHearEventsWhilePumpUntilWaitsForTheCondition)
{
    bool bFinished = false, bNever = false;
    RecordingHandler handler(NameLookup::DispatchExOnly, {L"src_readcomplete", L"SRC_BEEPCOMPLETE"});
    handler.onCall = [&] { bFinished = handler.calls.size() == 2; };
    Connect(m_pSource, &handler, L"Src_");

    // A condition object answers through DISPID_VALUE, as a script function.
    RecordingHandler condition(NameLookup::DispatchOnly, {}, &bFinished);
    SetTimer(nullptr, 0, 10, RaiseLater);
    VARIANT result;
    VariantInit(&result);
    EXPECT_HRESULT_SUCCEEDED(Call(L"PumpUntil", {10000, &condition}, &result));
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    EXPECT_EQ(handler.calls, (std::vector<std::wstring>{L"src_readcomplete(12:8)", L"SRC_BEEPCOMPLETE()"}));
    EXPECT_GE(condition.nAsked, 2); // asked before waiting, and again after the events

    // Time running out answers false; a condition that fails is an error.
    RecordingHandler stillFalse(NameLookup::DispatchOnly, {}, &bNever), noValue(NameLookup::DispatchOnly, {});
    EXPECT_HRESULT_SUCCEEDED(Call(L"PumpUntil", {50, &stillFalse}, &result));
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_EQ(Call(L"PumpUntil", {50, &noValue}), DISP_E_EXCEPTION);

    // A WM_QUIT met while pumping is still there for the caller's loop.
    PostQuitMessage(3);
    EXPECT_HRESULT_SUCCEEDED(Call(L"Pump", {30}));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    ReleaseHelper();
}

TEST_F(ScriptEventsTest, HandlerMayDisconnectInsideItsEventAndReleasingTheHelperLetsGo)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"LEDStatusChanged"});
    const LONG lCookie = Connect(m_pSource, &handler, L"");
    handler.onCall = [this, lCookie] { EXPECT_HRESULT_SUCCEEDED(Call(L"Disconnect", {static_cast<int>(lCookie)})); };
    for (SHORT nLed = 0; nLed < 3; ++nLed)
        m_pEvents->FireLEDStatusChanged(nLed, L"ON");
    EXPECT_EQ(handler.calls.size(), 1u) << "the events after the disconnect must not arrive";
    EXPECT_EQ(handler.References(), 1);

    // A handler's script error is traced with what the script said, and the
    // handlers connected after it still hear the event.
    handler.onCall = nullptr;
    handler.bRaise = true;
    RecordingHandler after(NameLookup::DispatchExOnly, {L"ledstatuschanged"});
    Connect(m_pSource, &handler, L"");
    Connect(m_pSource, &after, L"");
    TrcCaptureStart();
    TrcCaptureClear();
    m_pEvents->FireLEDStatusChanged(1, L"OFF");
    const std::vector<std::string> lines = CapturedTraceLinesWith("Exception raised in EventID");
    TrcCaptureStop();
    EXPECT_EQ(after.calls, std::vector<std::wstring>{L"ledstatuschanged(1:2,OFF:8)"});
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("ERROR Ctrl::FireEvent Exception raised in EventID = [14] , Exception "
                                               "Code = [0x800A1389] , Source = [PanelEvents] , Description = "
                                               "[handler failed on purpose]"))
        << lines[0];
    // Connections left open are closed when the script lets go of the helper.
    ReleaseHelper();
    EXPECT_EQ(handler.References(), 1);
    EXPECT_EQ(after.References(), 1);
}

} // namespace
