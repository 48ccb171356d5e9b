// The script event helper driven from C++ as a script engine would: created
// by ProgID through COM, called late-bound, with handler objects that answer
// names like JScript's global object (IDispatch::GetIDsOfNames) or like a
// VBScript class instance (only IDispatchEx::GetDispID, any case).
#include <gtest/gtest.h>

#include "ControlHost.h"
#include "TestSource.h"

#include <dispex.h>

namespace {

enum class NameLookup {
    DispatchOnly,   // like JScript's global object, names as written
    DispatchExOnly, // like a VBScript class: GetIDsOfNames fails, GetDispID ignores case
};

// A handler object with a fixed set of member names that records every call
// as "Name(arg,arg)"; DISPID_VALUE answers whether *pbCondition holds, as a
// script function passed as a condition.
class RecordingHandler : public IDispatchEx {
public:
    RecordingHandler(NameLookup lookup, std::vector<std::wstring> names, const bool *pbCondition = nullptr)
        : m_lookup(lookup), m_names(names), m_pbCondition(pbCondition)
    {
    }

    std::vector<std::wstring> calls;
    std::function<void()> onCall; // runs inside the event
    int nAsked = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch ||
            (riid == __uuidof(IDispatchEx) && m_lookup == NameLookup::DispatchExOnly))
            *ppv = static_cast<IDispatchEx *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; } // lives on the test's stack
    LONG References() const { return m_cRef; }

    STDMETHODIMP GetTypeInfoCount(UINT *pc) override
    {
        *pc = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *ppszNames, UINT, LCID, DISPID *pDispId) override
    {
        if (m_lookup == NameLookup::DispatchExOnly)
            return E_NOTIMPL;
        return GetDispID(ppszNames[0], 0, pDispId);
    }
    STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *pResult,
                        EXCEPINFO *, UINT *) override
    {
        if (dispId == DISPID_VALUE && m_pbCondition) {
            ++nAsked;
            V_VT(pResult) = VT_BOOL;
            V_BOOL(pResult) = *m_pbCondition ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        return Record(dispId, wFlags, pParams);
    }
    STDMETHODIMP GetDispID(BSTR bstrName, DWORD grfdex, DISPID *pDispId) override
    {
        for (size_t i = 0; i < m_names.size(); ++i) {
            if ((grfdex & fdexNameCaseInsensitive) ? lstrcmpiW(m_names[i].c_str(), bstrName) == 0
                                                   : m_names[i] == bstrName) {
                *pDispId = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP InvokeEx(DISPID dispId, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *, EXCEPINFO *,
                          IServiceProvider *) override
    {
        return Record(dispId, wFlags, pParams);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown **) override { return E_NOTIMPL; }

private:
    HRESULT Record(DISPID dispId, WORD wFlags, DISPPARAMS *pParams)
    {
        if (dispId < 1 || static_cast<size_t>(dispId) > m_names.size() || !(wFlags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        std::wstring call = m_names[dispId - 1] + L"(";
        for (UINT i = pParams->cArgs; i > 0; --i) {
            VARIANT text;
            VariantInit(&text);
            VariantChangeType(&text, &pParams->rgvarg[i - 1], 0, VT_BSTR);
            call += std::wstring(i < pParams->cArgs ? L"," : L"") + (V_VT(&text) != VT_BSTR ? L"?" : V_BSTR(&text) ? V_BSTR(&text) : L"") +
                    L":" + std::to_wstring(V_VT(&pParams->rgvarg[i - 1]));
            VariantClear(&text);
        }
        calls.push_back(call + L")");
        if (onCall)
            onCall();
        return S_OK;
    }

    const NameLookup m_lookup;
    const std::vector<std::wstring> m_names;
    const bool *m_pbCondition;
    LONG m_cRef = 1;
};

class ScriptEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CLSID clsid;
        IDispatch *pHelper = nullptr;
        ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"ZTOperatorPanelX.ScriptEvents", &clsid));
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&pHelper)));
        m_pHelper = new CControlHost(pHelper);
        ASSERT_HRESULT_SUCCEEDED(CreateTestSource(true, IID_ITestSource, reinterpret_cast<void **>(&m_pSource)));
    }
    void TearDown() override
    {
        if (m_pSource)
            m_pSource->Release();
        delete m_pHelper;
        CoUninitialize();
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

    // The handlers live on the test's stack: a test that leaves connections
    // open lets the helper go before they do.
    void ReleaseHelper() { m_pHelper->Release(); }

    LONG SinkCount()
    {
        LONG nCount = -1;
        m_pSource->get_SinkCount(&nCount);
        return nCount;
    }

    CControlHost *m_pHelper = nullptr;
    ITestSource *m_pSource = nullptr;
};

TEST_F(ScriptEventsTest, EventsReachPrefixedHandlersWithTheirArgumentsUntilDisconnected)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"On_Number", L"On_Finished", L"on_tick"});
    const int lCookie = Connect(m_pSource, &handler, L"On_");
    EXPECT_NE(lCookie, 0);
    EXPECT_EQ(SinkCount(), 1);
    BSTR bstrText = SysAllocString(L"seven");
    m_pSource->FireNumber(7, bstrText);
    SysFreeString(bstrText);
    // GetIDsOfNames is exact: "on_tick" is not "On_Tick", so ticks go unheard;
    // Finished, which comes after them, arrives.
    m_pSource->FireLater(2, 0);
    ASSERT_TRUE(PumpUntil([&] { return handler.calls.size() >= 2; }));
    EXPECT_EQ(handler.calls, (std::vector<std::wstring>{L"On_Number(7:3,seven:8)", L"On_Finished()"}));

    EXPECT_HRESULT_SUCCEEDED(Call(L"Disconnect", {lCookie}));
    EXPECT_EQ(SinkCount(), 0);
    m_pSource->FireNumber(8, nullptr);
    EXPECT_EQ(handler.calls.size(), 2u);
    EXPECT_EQ(handler.References(), 1) << "the handler is still held after Disconnect";
    std::wstring strError;
    EXPECT_EQ(Call(L"Disconnect", {lCookie}, nullptr, &strError), DISP_E_EXCEPTION);
    EXPECT_NE(strError.find(L"cookie"), std::wstring::npos);
}

TEST_F(ScriptEventsTest, ClassInstanceHandlersAreFoundThroughDispatchExWhateverTheCase)
{
    RecordingHandler handler(NameLookup::DispatchExOnly, {L"src_number", L"SRC_TICK", L"Src_Finished"});
    Connect(m_pSource, &handler, L"Src_");
    m_pSource->FireNumber(-3, nullptr);
    m_pSource->FireLater(3, 1);
    // The helper's own pump, in slices, until Finished.
    for (int i = 0; i < 500 && handler.calls.size() < 5; ++i)
        EXPECT_HRESULT_SUCCEEDED(Call(L"Pump", {20}));
    EXPECT_EQ(handler.calls, (std::vector<std::wstring>{L"src_number(-3:3,:8)", L"SRC_TICK(1:3)", L"SRC_TICK(2:3)",
                                                        L"SRC_TICK(3:3)", L"Src_Finished()"}));
    ReleaseHelper();
}

TEST_F(ScriptEventsTest, SourceWithoutClassInformationIsFoundThroughItsTypeLibrary)
{
    ITestSource *pPlainSource = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CreateTestSource(false, IID_ITestSource, reinterpret_cast<void **>(&pPlainSource)));
    IProvideClassInfo *pClassInfo = nullptr;
    EXPECT_EQ(pPlainSource->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void **>(&pClassInfo)),
              E_NOINTERFACE);
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Number"});
    Connect(pPlainSource, &handler, L"");
    pPlainSource->FireNumber(42, nullptr);
    EXPECT_EQ(handler.calls, std::vector<std::wstring>{L"Number(42:3,:8)"});
    // The helper still holds the connection; it lets go when released.
    ReleaseHelper();
    EXPECT_EQ(handler.References(), 1);
    pPlainSource->Release();
}

TEST_F(ScriptEventsTest, ConnectRefusesWhatCannotBeConnected)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {});
    // An object that tells nothing about events: the handler itself.
    std::wstring strError;
    EXPECT_EQ(Call(L"Connect", {&handler, &handler, L"x"}, nullptr, &strError), DISP_E_EXCEPTION);
    EXPECT_NE(strError.find(L"default source interface"), std::wstring::npos);
    // Nothing (a null object), a number for the handler, too few arguments.
    EXPECT_EQ(Call(L"Connect", {static_cast<IDispatch *>(nullptr), &handler}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(L"Connect", {m_pSource, 5}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(L"Connect", {m_pSource}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(L"NoSuchMethod", {}), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Call(L"Pump", {-1}), DISP_E_EXCEPTION);
    EXPECT_EQ(SinkCount(), 0);
    EXPECT_EQ(handler.References(), 1);
}

TEST_F(ScriptEventsTest, PumpUntilStopsWhenTheConditionHolds)
{
    bool bFinished = false, bNever = false;
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Finished"});
    handler.onCall = [&] { bFinished = true; };
    Connect(m_pSource, &handler, L"");

    // A condition object answers through DISPID_VALUE, as a script function.
    RecordingHandler condition(NameLookup::DispatchOnly, {}, &bFinished);
    m_pSource->FireLater(1, 10);
    VARIANT result;
    VariantInit(&result);
    EXPECT_HRESULT_SUCCEEDED(Call(L"PumpUntil", {10000, &condition}, &result));
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    EXPECT_EQ(handler.calls.size(), 1u);
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
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Tick"});
    const int lCookie = Connect(m_pSource, &handler, L"");
    handler.onCall = [this, lCookie] { EXPECT_HRESULT_SUCCEEDED(Call(L"Disconnect", {lCookie})); };
    // Connected later, so served later: once it has Finished, every tick has
    // been delivered.
    RecordingHandler barrier(NameLookup::DispatchOnly, {L"Finished"});
    const int lBarrier = Connect(m_pSource, &barrier, L"");
    m_pSource->FireLater(3, 0);
    ASSERT_TRUE(PumpUntil([&] { return !barrier.calls.empty(); }));
    EXPECT_EQ(handler.calls.size(), 1u) << "the ticks after the disconnect must not arrive";
    EXPECT_EQ(SinkCount(), 1);
    Call(L"Disconnect", {lBarrier});

    // Connections left open are closed when the script lets go of the helper.
    handler.onCall = nullptr;
    Connect(m_pSource, &handler, L"");
    Connect(m_pSource, &handler, L"");
    EXPECT_EQ(SinkCount(), 2);
    ReleaseHelper();
    EXPECT_EQ(SinkCount(), 0);
    EXPECT_EQ(handler.References(), 1);
}

} // namespace
